// [Layers] a layer over the real image-set and motion-project services: files on disk, the
// headless device, the factories of motion/.
#include "layer_fixture.h"

#include "core/task_layer.h"
#include "graphics/graphics.h"
#include "graphics/texture_factory.h"
#include "motion/crammed_image_set.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/motion_services.h"
#include "motion/nc_project_ex.h"
#include "motion/nc_project_factory.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/motion_project_builder.h"
#include "tests/support/temp_dir.h"

#include <filesystem>

namespace layer_test {
namespace {

namespace fs = std::filesystem;

class RealMotionLayerTest : public LayerFixture {
protected:
    RealMotionLayerTest() : m_Previous(fs::current_path())
    {
        fs::current_path(m_Dir.Path());
        InstallMotionServices();
        platform::SetMessageBoxHeadless(true);
        platform::d3d9::SetVirtualAdapter(platform::d3d9::DefaultVirtualAdapter());
        m_Device = GxGraphics::CreateDevice(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x2345)), nullptr,
                                            nullptr, nullptr);
        m_Layer = new GxTaskLayer(m_Root, u"chara");

        TestImageSetSpec face = OnePatternImageSet(u"face.png", u"eye.png", 16, 8);
        TestGisPattern second = face.origins[0].patterns[0];
        second.width = 6;
        second.height = 5;
        face.origins[0].patterns.push_back(second);
        WriteImageSetFile("gnc/gis/face.gis", face, TestContentForm::kBinary);
        WriteImageFile("gnc/gis/face.png", BuildPng(PngSpecRgba8(TestImage::Solid(16, 8, 0xFFFF0000))));
        TestNcProjectSpec chara;
        TestNcMotion wait;
        wait.motionName = u"wait";
        wait.endTime = 30;
        wait.layers = {ImageLayer(u"Eye", u"face.gis", u"eye.png")};
        chara.groups = {TestNcMotionGroup{u"body", u"", 1, {wait}}};
        chara.imageSetFileNames = {u"face.gis"};
        WriteMotionProjectFile("gnc/chara.gnc", chara, TestContentForm::kText);
    }
    ~RealMotionLayerTest() override
    {
        m_Manage.reset();   // the layer gives its references back while the services are there
        GetNcProjectFactory().ReleaseAllNcProjects();
        GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
        GetTextureFactory().ReleaseAll();
        GxGraphics::Release();
        platform::d3d9::ResetVirtualAdapter();
        fs::current_path(m_Previous);
    }

    TestTempDir m_Dir{"tw_layer_motion"};
    fs::path m_Previous;
    bool m_Device = false;
    GxTaskLayer* m_Layer = nullptr;
};

TEST_F(RealMotionLayerTest, AnImageSetPatternTakesThePatternsSize)
{
    ASSERT_TRUE(m_Device);
    ASSERT_TRUE(m_Layer->LoadImageSetPattern(u"gnc/gis/face.gis", u"Eye.png", 1, 0));
    const GxLayerContent& content = m_Layer->GetCurrentContent();
    GxNcCrammedImageSet* set = GetCrammedImageSetFactory().FindCrammedImageSet(u"gnc/gis/face.gis");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(content.m_pImageSet, set);
    EXPECT_EQ(content.m_pPatternGroup, set->FindOriginImage(u"eye.png"));
    EXPECT_EQ(content.m_Width, 6);
    EXPECT_EQ(content.m_Height, 5);
    EXPECT_NE(set->m_CrammedImageArray[0].m_pTexture, nullptr);   // loaded at once for a layer

    EXPECT_FALSE(m_Layer->LoadImageSetPattern(u"gnc/gis/missing.gis", u"eye.png", 0, 0));
    EXPECT_EQ(m_Log.m_Errors.back(), "GetCrammedImageSet:Load Failed:gnc/gis/missing.gis\n");
}

TEST_F(RealMotionLayerTest, AMotionProjectIsKeptOnlyWhenItsGroupExists)
{
    ASSERT_TRUE(m_Layer->LoadMotionProject(u"gnc/chara.gnc", u"gnc/gis", u"body", u"wait", 0, 0));
    GxNcProjectEx* project = GetNcProjectFactory().FindNcProject(u"gnc/chara.gnc");
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(m_Layer->GetCurrentContent().m_pProject, project);
    EXPECT_EQ(project->GetRefCount(), 1u);
    EXPECT_NE(GetCrammedImageSetFactory().FindCrammedImageSet(u"gnc/gis/face.gis"), nullptr);

    // Another layer asks for a group the project lacks: its reference goes back at once.
    auto* other = new GxTaskLayer(m_Root, u"other");
    EXPECT_FALSE(other->LoadMotionProject(u"GNC/Chara.gnc", u"gnc/gis", u"head", u"wait", 0, 0));
    EXPECT_EQ(project->GetRefCount(), 1u);
    EXPECT_TRUE(m_Log.m_Errors.empty());
}

}  // namespace
}  // namespace layer_test
