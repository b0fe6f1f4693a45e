// [Screens] the opening screen: the movie opened on entering and started by the first update,
// nothing prepared for a missing name or file (the title then follows on the second update),
// clicks that skip to the title unless a system dialog is open, and the layer emptied on leaving.
#include "screens/seq_opening.h"

#include "core/core.h"
#include "core/layer_content.h"
#include "core/movie_services.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/wide_string.h"
#include "tests/screens/screen_test_support.h"
#include "ui/task_ui_null.h"
#include "ui/ui_manage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace screens_test {
namespace opening {

// The slot calls the layer makes; nothing plays.
class RecordingSlots : public GxMovieServicesBase {
public:
    bool MovieSlotOpen(std::uint32_t, const std::u16string& file, GxTextureMovie*, std::int32_t,
                       std::int32_t) override
    {
        m_Calls.push_back("open " + WideToUtf8(file));
        return true;
    }
    void MovieSlotSetLoopStart(std::uint32_t, double) override {}
    void MovieSlotSetPosition(std::uint32_t, double) override {}
    void MovieSlotPlay(std::uint32_t, std::int32_t loops, std::int32_t attenuation) override
    {
        m_Calls.push_back("play " + std::to_string(loops) + " " + std::to_string(attenuation));
    }
    void MovieSlotStop(std::uint32_t) override { m_Calls.push_back("stop"); }
    void MovieSlotClose(std::uint32_t) override {}
    double MovieSlotGetPosition(std::uint32_t) override { return 0.0; }
    std::int32_t MovieSlotGetLoopCount(std::uint32_t) override { return 0; }
    GxMoviePlayerFile* MovieSlotGetPlayer(std::uint32_t) override { return nullptr; }
    bool IsPlayerPlaying(GxMoviePlayerFile*) override { return false; }
    double GetPlayerPosition(GxMoviePlayerFile*) override { return 0.0; }

    std::vector<std::string> m_Calls;
};

class Opening : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_PreviousSlots = SetMovieServices(&m_Slots);
        m_H.MakeSystem();
        m_Screen = new SeqOpening(m_H.m_UI.Root());
        m_Title = new GxSeqBase(m_H.m_UI.Root(), u"SeqTitle");
    }
    void TearDown() override { SetMovieServices(m_PreviousSlots); }
    GxTaskManage& Manage() { return m_H.m_UI.Manage(); }
    GxSystemConfig& System() { return m_H.m_UI.Config().m_System; }
    void Enter()
    {
        ASSERT_TRUE(Manage().ChangeSequence(m_Screen, 0, 0, 0));
        Manage().ApplySequenceChanges();
        Manage().SetWorkerReady(0);
    }
    void Frame()
    {
        m_Screen->Update(0, 0);
        Manage().ApplySequenceChanges();
    }
    GxSeqBase* Current() { return Manage().GetWorker(0)->m_Current; }

    ScreenHarness m_H;
    RecordingSlots m_Slots;
    GxMovieServicesBase* m_PreviousSlots = nullptr;
    SeqOpening* m_Screen = nullptr;
    GxSeqBase* m_Title = nullptr;
};

TEST_F(Opening, TheCallerIsAUINullWidgetOfTheScreensOwnFolder)
{
    auto* caller = dynamic_cast<GxTaskUINull*>(m_Screen->GetEventCaller());
    ASSERT_NE(caller, nullptr);
    EXPECT_EQ(caller->GetTaskLocalName(), u"null_eventcaller");
    EXPECT_EQ(caller->m_TaskType, kUITypeNull);
    EXPECT_EQ(caller->GetParent(), m_Screen->GetUIFolder());
}

TEST_F(Opening, TheMovieIsOpenedOnEnteringAndStartedByTheFirstUpdate)
{
    const std::filesystem::path folder = m_H.m_UI.Folder() / "movies";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "op.mpg", std::ios::binary) << "not empty";
    System().m_Folders[GxSystemConfig::kFolderMovies] = folder.u16string() + u"/";
    System().m_MovNameOpening = u"op.mpg";

    Enter();
    // Prepared, not yet opened in its slot.
    const GxLayerContent& content = m_Screen->GetBackgroundLayer()->GetCurrentContent();
    EXPECT_EQ(content.m_ContentType, kLayerContentMovie);
    EXPECT_EQ(content.m_ContentFileName, folder.u16string() + u"/op.mpg");
    EXPECT_EQ(content.m_Width, 1024);
    EXPECT_EQ(content.m_Height, 768);
    EXPECT_EQ(m_Slots.m_Calls, std::vector<std::string>{});
    Frame();
    ASSERT_EQ(m_Slots.m_Calls.size(), 2u);
    EXPECT_EQ(m_Slots.m_Calls[0], "open " + WideToUtf8(folder.u16string()) + "/op.mpg");
    EXPECT_EQ(m_Slots.m_Calls[1].rfind("play ", 0), 0u) << m_Slots.m_Calls[1];
    EXPECT_EQ(Current(), m_Screen);

    // Leaving stops the movie and empties the layer.
    Frame();
    EXPECT_EQ(Current(), m_Title);
    EXPECT_EQ(m_Screen->GetBackgroundLayer()->GetContent(0).m_ContentType, kLayerContentNone);
    EXPECT_EQ(m_Screen->GetBackgroundLayer()->GetContent(1).m_ContentType, kLayerContentNone);
}

TEST_F(Opening, AMissingNameOrFilePreparesNothingAndTheTitleFollowsOnTheSecondUpdate)
{
    for (const char16_t* name : {u"", u"absent.mpg"}) {
        System().m_MovNameOpening = name;
        m_Slots.m_Calls.clear();
        Enter();
        Frame();
        EXPECT_EQ(Current(), m_Screen) << WideToUtf8(name);
        Frame();
        EXPECT_EQ(Current(), m_Title) << WideToUtf8(name);
        EXPECT_EQ(m_Slots.m_Calls, std::vector<std::string>{}) << WideToUtf8(name);
    }
}

TEST_F(Opening, EitherClickSkipsToTheTitleButOnlyTheLeftGoesThroughTheBaseHandler)
{
    for (bool left : {true, false}) {
        Enter();
        m_H.m_Sound.m_Calls.clear();
        const GxVector2 point{10.0f, 10.0f};
        const int consumed = left ? m_Screen->OnMouseLeftDown(&point, 0, 0) : m_Screen->OnMouseRightDown(&point, 0, 0);
        EXPECT_EQ(consumed, 1);
        Frame();
        EXPECT_EQ(Current(), m_Title) << left;
        EXPECT_EQ(m_H.m_Sound.m_Calls, std::vector<std::string>{}) << left;
    }
}

TEST_F(Opening, ClicksDoNothingWhileASystemDialogIsOpen)
{
    System().m_MovNameOpening = u"";
    Enter();
    m_H.m_UI.UI().m_DialogCount = 1;
    const GxVector2 point{10.0f, 10.0f};
    EXPECT_EQ(m_Screen->OnMouseLeftDown(&point, 0, 0), 0);
    EXPECT_EQ(m_Screen->OnMouseRightDown(&point, 0, 0), 0);
    m_H.m_UI.UI().m_DialogCount = 0;
    Frame();
    EXPECT_EQ(Current(), m_Screen);
}

}  // namespace opening
}  // namespace screens_test
