// [ProjectFactory] loading projects by name, their folders and image sets, the resolution of
// image keys, releases and the shut-down report.
#include "motion_fixture.h"

#include "motion/crammed_image_set.h"
#include "motion/nc_project_ex.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/motion_project_builder.h"

namespace motion_test {
namespace {

class ProjectFactoryTest : public MotionTest {
protected:
    GxNcProjectFactory& Factory() { return GetNcProjectFactory(); }

    // "gnc/chara.gnc": group "body" with motions "wait" (a layer showing face.gis/eye.png, one
    // with no image file, one with a missing image, one playing "body"/"blink" and one playing a
    // missing motion) and "blink"; its image sets "C:\work\face.gis" and "extra.gis".
    void WriteChara()
    {
        TestNcMotion wait;
        wait.motionName = u"wait";
        GxNcLayer nested = ImageLayer(u"Nested", u"", u"");
        nested.m_ImageKeys[0].m_MotionGroupName = u"body";
        nested.m_ImageKeys[0].m_MotionName = u"blink";
        GxNcLayer missingMotion = ImageLayer(u"Lost", u"", u"");
        missingMotion.m_ImageKeys[0].m_Time = 12;
        missingMotion.m_ImageKeys[0].m_MotionGroupName = u"body";
        missingMotion.m_ImageKeys[0].m_MotionName = u"run";
        wait.layers = {ImageLayer(u"Eye", u"face.gis", u"eye.png"), ImageLayer(u"Plain", u"face.gis", u""),
                       ImageLayer(u"Mouth", u"face.gis", u"mouth.png"), nested, missingMotion};
        TestNcMotion blink;
        blink.motionName = u"blink";
        blink.endTime = 8;
        TestNcProjectSpec spec;
        spec.projectName = u"chara";
        spec.groups = {TestNcMotionGroup{u"body", u"", 1, {wait, blink}}};
        spec.imageSetFileNames = {u"C:\\work\\face.gis", u"extra.gis"};
        ASSERT_TRUE(WriteMotionProjectFile(Path("gnc/chara.gnc").string(), spec, TestContentForm::kBinary));
        ASSERT_TRUE(WriteImageSetFile(Path("gnc/gis/face.gis").string(),
                                      OnePatternImageSet(u"face.png", u"eye.png", 4, 4), TestContentForm::kText));
        ASSERT_TRUE(WriteImageSetFile(Path("gnc/gis/extra.gis").string(),
                                      OnePatternImageSet(u"extra.png", u"x.png", 4, 4), TestContentForm::kText));
    }
};

TEST_F(ProjectFactoryTest, NamesDifferingInCaseShareOneProject)
{
    WriteChara();
    GxNcProjectEx* first = Factory().GetNcProject(u"Gnc/Chara.gnc", u"gnc/gis", false);
    GxNcProjectEx* second = Factory().GetNcProject(u"gnc/chara.gnc", u"gnc/gis", false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(Factory().GetCount(), 1);
    EXPECT_EQ(Factory().FindNcProject(u"GNC/CHARA.GNC"), first);
    EXPECT_EQ(first->m_ProjectName, u"chara");
}

TEST_F(ProjectFactoryTest, AProjectLoadsItsImageSetsFromItsImageSetFolderAndResolvesItsKeys)
{
    WriteChara();
    GxNcProjectEx* project = Factory().GetNcProject(u"gnc/chara", u"Gnc/Gis", false);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->GetProjectFolder(), u"gnc/");
    EXPECT_EQ(project->GetImageSetFolder(), u"gnc/gis/");
    EXPECT_EQ(project->GetImageSetList(), (std::vector<std::u16string>{u"gnc/gis/face.gis", u"gnc/gis/extra.gis"}));
    GxNcCrammedImageSet* face = GetCrammedImageSetFactory().FindCrammedImageSet(u"gnc/gis/face.gis");
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->GetRefCount(), 1u);
    EXPECT_EQ(GetCrammedImageSetFactory().GetPendingTextureCount(), 2);   // requested without textures

    const GxNcMotion& wait = *project->m_MotionGroupList[0]->m_MotionList[0];
    const GxNcMotion* blink = project->m_MotionGroupList[0]->m_MotionList[1].get();
    EXPECT_EQ(wait.m_LayerList[0]->m_ImageKeys[0].m_pOriginImage, face->FindOriginImage(u"eye.png"));
    EXPECT_NE(wait.m_LayerList[0]->m_ImageKeys[0].m_pOriginImage, nullptr);
    EXPECT_EQ(wait.m_LayerList[1]->m_ImageKeys[0].m_pOriginImage, nullptr);
    EXPECT_EQ(wait.m_LayerList[2]->m_ImageKeys[0].m_pOriginImage, nullptr);
    EXPECT_EQ(wait.m_LayerList[3]->m_ImageKeys[0].m_pMotion, blink);
    EXPECT_EQ(wait.m_LayerList[4]->m_ImageKeys[0].m_pMotion, nullptr);
    EXPECT_EQ(wait.m_LayerList[0]->m_ImageKeys[0].m_pMotion, nullptr);
    EXPECT_EQ(m_Log.warnings,
              (std::vector<std::string>{
                  "画像が存在しません MotionGroup:body Motion:wait Layer:Mouth Time:0 -> ImageSet:face.gis File:mouth.png\n",
                  "KeyFrameが存在しないモーションを参照しています MotionGroup:body Motion:wait Layer:Lost Time:12 -> "
                  "MotionGroup:body Motion:run\n"}));
    EXPECT_TRUE(m_Log.errors.empty()) << m_Log.errors.front();

    // The last release gives each set back once; nothing warns.
    Factory().ReleaseNcProject(project);
    EXPECT_EQ(Factory().GetCount(), 0);
    EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0);
    EXPECT_EQ(GetCrammedImageSetFactory().GetPendingTextureCount(), 0);
    EXPECT_EQ(m_Log.warnings.size(), 2u);
}

TEST_F(ProjectFactoryTest, ASetSharedWithAnotherUserOutlivesTheProject)
{
    WriteChara();
    GxNcCrammedImageSet* held = GetCrammedImageSetFactory().GetCrammedImageSet(u"gnc/gis/face.gis", false);
    GxNcProjectEx* project = Factory().GetNcProject(u"gnc/chara.gnc", u"gnc/gis/", false);
    EXPECT_EQ(held->GetRefCount(), 2u);
    project->AddRef();
    Factory().ReleaseNcProject(u"GNC/chara.gnc");
    EXPECT_EQ(held->GetRefCount(), 2u);
    Factory().ReleaseNcProject(u"gnc/chara.gnc");
    EXPECT_EQ(held->GetRefCount(), 1u);
    EXPECT_EQ(GetCrammedImageSetFactory().FindCrammedImageSet(u"gnc/gis/extra.gis"), nullptr);
    GetCrammedImageSetFactory().ReleaseCrammedImageSet(held);
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(ProjectFactoryTest, AMissingFileGivesARegisteredEmptyProject)
{
    GxNcProjectEx* project = Factory().GetNcProject(u"gnc/none", u"gnc/gis", true);
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->GetRefCount(), 1u);
    EXPECT_TRUE(project->m_MotionGroupList.empty());
    EXPECT_EQ(Factory().FindNcProject(u"gnc/none"), project);
    EXPECT_EQ(m_Log.Errors("File open error or not exist:gnc/none.gnc"), 1);
    m_Log.Clear();
    Factory().ReleaseNcProject(u"gnc/none");
    EXPECT_EQ(Factory().GetCount(), 0);
    EXPECT_TRUE(m_Log.warnings.empty());
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(ProjectFactoryTest, ReleasesOfUnknownProjectsWarnAndShutDownReportsTheRest)
{
    WriteChara();
    Factory().GetNcProject(u"gnc/chara.gnc", u"gnc/gis", false);
    Factory().GetNcProject(u"Gnc/Alpha.gnc", u"gnc/gis", false);   // missing: registered empty
    m_Log.Clear();
    Factory().ReleaseNcProject(u"gnc/other.gnc");
    EXPECT_EQ(m_Log.warnings,
              std::vector<std::string>{"Warning/GxNcProjectFactory You tried to release the object does not exist(gnc/other.gnc)\n"});
    Factory().ReportUnreleasedNcProjects();
    EXPECT_EQ(m_Log.errors, (std::vector<std::string>{"Warning/GxNcProjectFactory Object Not Released(gnc/alpha.gnc)\n",
                                                      "Warning/GxNcProjectFactory Object Not Released(gnc/chara.gnc)\n"}));
    // The shut-down order: both reports, then the projects (giving their sets back), then the sets.
    GetCrammedImageSetFactory().ReportUnreleasedImageSets();
    EXPECT_EQ(m_Log.Errors("Warning/GxNcCrammedImageSetFactory Object Not Released"), 2);
    Factory().ReleaseAllNcProjects();
    EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0);
    GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
    EXPECT_EQ(m_Log.warnings.size(), 1u);
}

}  // namespace
}  // namespace motion_test
