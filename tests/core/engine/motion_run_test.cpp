// [Engine] whole runs with the motion subsystem's services installed: the user-interface image
// sets of the start-up, and the shut-down's report of what was never released.
#include "tests/support/engine_run_fixture.h"

#include "motion/crammed_image_set.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

namespace engine_test {
namespace {

constexpr const char* kUISets[] = {"ui_common.gis", "ui_avgmain.gis", "ui_iconpool.gis"};

class MotionRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseMotionServices();
        m_Run.SetMaxPasses(60);
    }

    void WriteUISets(const fs::path& folder)
    {
        fs::create_directories(folder);
        WriteImageFile((folder / "ui.png").string(), BuildPng(PngSpecRgba8(TestImage::Solid(8, 8, 0xFF00FF00))));
        for (const char* name : kUISets)
            WriteImageSetFile((folder / name).string(), OnePatternImageSet(u"ui.png", u"button.png", 8, 8),
                              TestContentForm::kBinary);
    }

    std::string ErrorLog() const { return ReadLog(m_Game / "ENGINE_SAVE" / "error.log"); }
};

TEST_F(MotionRunTest, TheStartUpPoolsTheThreeUserInterfaceSetsAndTheResetGivesThemBack)
{
    MakeGameFolder(m_Game, GameFolder{});
    WriteUISets(m_Game / "uigis");
    std::vector<std::string> pooled;
    m_Module.m_OnInitialize = [&] {
        // Added after the module core is attached, before the modules initialise.
        for (const char* name : kUISets) {
            GxNcCrammedImageSet* set = GetImageSetPool().GetImageSet(u"uigis/" + Utf8ToWide(name));
            if (set != nullptr && set->m_CrammedImageArray.at(0).m_pTexture != nullptr)
                pooled.push_back(name);
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(pooled, (std::vector<std::string>{kUISets[0], kUISets[1], kUISets[2]}));
    EXPECT_EQ(GetImageSetPool().GetCount(), 0u);
    EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0);
    const std::string log = ErrorLog();
    EXPECT_EQ(log.find("GxNcImageSetPool"), std::string::npos) << log;
    EXPECT_EQ(log.find("Load Failed"), std::string::npos) << log;
    EXPECT_EQ(log.find("Object Not Released"), std::string::npos) << log;
}

TEST_F(MotionRunTest, MissingSetsAreLoggedAndASetNeverReleasedIsReportedAtShutDown)
{
    MakeGameFolder(m_Game, GameFolder{});
    fs::create_directories(m_Game / "extra");
    WriteImageSetFile((m_Game / "extra" / "kept.gis").string(), OnePatternImageSet(u"ui.png", u"button.png", 8, 8),
                      TestContentForm::kText);
    m_Module.m_OnInitialize = [] { GetMotionServices()->GetCrammedImageSet(u"extra/Kept.gis", 1); };
    EXPECT_EQ(Run(), 0);
    const std::string log = ErrorLog();
    for (const char* name : kUISets) {
        EXPECT_NE(log.find(std::string("GxNcImageSetPool::Add イメージセット読み込み失敗[uigis/") + name + "]"),
                  std::string::npos)
            << log;
    }
    EXPECT_NE(log.find("Warning/GxNcCrammedImageSetFactory Object Not Released(extra/kept.gis)"), std::string::npos)
        << log;
    EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0);   // released after the report
}

}  // namespace
}  // namespace engine_test
