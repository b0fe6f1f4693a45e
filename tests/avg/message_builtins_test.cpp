// [Adventure builtins] messages and choices on a headless play screen, run from assembled scripts
// through the module's binding: the read state of a line and its key (shared with plain text
// lines), the speaker as image or text, the log entries, a hiding by command ended by a message,
// clearing; "SEL" texts, hidden items, the eleventh text, the choice's key and the menu shown.
#include "play_screen_fixture.h"

#include "app/game_worker_host.h"
#include "avg/avg_builtin.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/moa_assembler.h"

#include <filesystem>

using namespace play_screen_test;

namespace {

namespace fs = std::filesystem;

class MessageBuiltinsTest : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        const fs::path names = m_Harness.Folder() / "name";
        fs::create_directories(names);
        ASSERT_TRUE(WriteImageFile((names / "hero.png").string(),
                                   BuildPng(PngSpecRgba8(TestImage::Solid(40, 20, 0xFF00FF00u)))));
        m_Harness.Config().m_System.m_Folders[GxSystemConfig::kFolderCGName] = Utf8ToWide(names.string()) + u"/";
        m_Harness.Config().Refresh();
        CreateScriptEngine(&m_Harness.Core());
        m_PreviousHost = SetGameWorkerHost(&m_Host);
        m_Avg.RegisterBuiltins(GetFunctionBinder());
        m_Screen = Build();
        Enter();
    }
    void TearDown() override
    {
        SetGameWorkerHost(m_PreviousHost);
        DestroyScriptEngine();
        PlayScreenTest::TearDown();
    }

    // Script "main" (line 0 "*MAIN", line 1 the declarations), started at MAIN.
    void Load(const std::string& body)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\nBUILTIN MSG, MSGN, MSG.HIDE, MSG.CLEAR, SEL, SEL.HASH\n" + body + "\n");
        ASSERT_TRUE(assembler.Build(*GetScriptInstance()));
        GetScriptInstance()->BuildVariables();
        GetMainWorker()->RebuildScriptEntities();
        ASSERT_TRUE(GetMainWorker()->ResetAndJump(u"MAIN", nullptr));
        // Past the label and the declarations to line 2.
        Next();
        ASSERT_EQ(GetMainWorker()->GetLine(nullptr), 2);
    }
    // The worker's next statement, whatever the screen waits for.
    void Next() { ASSERT_TRUE(GetMainWorker()->Step(GetFunctionBinder())); }

    GxTaskUIMessageWindowFx& Window() { return *m_Screen->GetMessageWindow(); }
    GxSelectMenuItem& Item(std::size_t i) { return Data().m_SelectMenuItemList.at(i); }

    GxGameWorkerHost m_Host{&m_Harness.Core()};
    GxGameWorkerHostBase* m_PreviousHost = nullptr;
    AvgBuiltin m_Avg{&m_Harness.Core()};
};

TEST_F(MessageBuiltinsTest, ALineIsUnreadOnceThenReadUnderTheKeyPlainTextLinesUse)
{
    // Line 2 "MSG", line 3 a plain text line; then back to line 2.
    Load("MSG(\"first\")\nplain line\nGO(\"*MAIN\")");
    Data().m_IgnoreKinsoku = true;
    Next();
    EXPECT_EQ(Window().GetStepText(), u"first");
    EXPECT_FALSE(Window().IsReadedText());
    EXPECT_TRUE(m_Perman.IsMessageRead(u"main", 3));
    Next();
    EXPECT_TRUE(m_Perman.IsMessageRead(u"main", 4));
    EXPECT_FALSE(m_Perman.IsMessageRead(u"main", 2));

    Load("MSG(\"again\")");
    Next();
    EXPECT_EQ(Window().GetStepText(), u"again");
    EXPECT_TRUE(Window().IsReadedText());

    // One log entry per line shown, no speaker, the line-breaking switch passed on.
    ASSERT_EQ(Data().m_MessageLog.size(), 3u);
    EXPECT_EQ(Data().m_MessageLog[0].m_Name, u"");
    EXPECT_EQ(Data().m_MessageLog[0].m_Message, u"first");
    EXPECT_TRUE(Data().m_MessageLog[0].m_IgnoreKinsoku);
    EXPECT_EQ(Data().m_MessageLog[2].m_Message, u"again");
}

TEST_F(MessageBuiltinsTest, TheSpeakerShowsAsImageElseTextAndAnEmptyNameClearsItButIsLogged)
{
    Load("MSGN(\"hero\", \"one\")\nMSGN(\"stranger\", \"two\")\nMSGN(\"\", \"three\")\nMSG()");
    GxTaskUIBase* name = m_Screen->GetNameWindow();
    GxTaskLayer* image = m_Screen->GetNameImage();
    Next();
    EXPECT_TRUE(name->IsVisible());
    EXPECT_EQ(name->GetText(), u"");
    EXPECT_TRUE(image->IsVisible());
    Next();
    EXPECT_TRUE(name->IsVisible());
    EXPECT_EQ(name->GetText(), u"stranger");
    EXPECT_FALSE(image->IsVisible());
    Next();
    EXPECT_FALSE(name->IsVisible());
    EXPECT_EQ(Window().GetStepText(), u"three");
    Next();   // no argument: an empty message, shown and logged
    EXPECT_EQ(Window().GetStepText(), u"");

    const char16_t* speakers[] = {u"hero", u"stranger", u"", u""};
    const char16_t* texts[] = {u"one", u"two", u"three", u""};
    ASSERT_EQ(Data().m_MessageLog.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Data().m_MessageLog[i].m_Name, speakers[i]) << i;
        EXPECT_EQ(Data().m_MessageLog[i].m_Message, texts[i]) << i;
    }
}

TEST_F(MessageBuiltinsTest, AMessageEndsAHidingByCommandAndClearingEmptiesWindowAndSpeaker)
{
    Load("MSGN(\"stranger\", \"words\")\nMSG.HIDE()\nMSG(\"back\")\nMSG.CLEAR()");
    Next();
    Next();
    EXPECT_TRUE(Data().m_HideWindowByCommandFlag);
    Next();
    EXPECT_FALSE(Data().m_HideWindowByCommandFlag);
    EXPECT_EQ(Window().GetStepText(), u"back");
    // "MSG" cleared the speaker of the line before.
    EXPECT_FALSE(m_Screen->GetNameWindow()->IsVisible());
    m_Screen->SetSpeakerName(u"stranger", 1);
    Next();
    EXPECT_EQ(Window().GetStepText(), u"");
    EXPECT_FALSE(m_Screen->GetNameWindow()->IsVisible());
}

TEST_F(MessageBuiltinsTest, SelSetsTheTextsHidesTheRestAndOpensTheMenu)
{
    // Line 2: two texts; line 3: an empty one in the middle; line 4: eleven texts after a key.
    Load("SEL(\"yes\", \"no\")\n"
         "SEL(\"A\", \"\", \"C\")\n"
         "SEL.HASH(\"mine\")\n"
         "SEL(\"1\", \"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\", \"9\", \"10\", \"11\")");
    Item(4).m_Label = u"kept";
    Item(4).m_BeforeSelected = true;
    Item(4).m_UseGosub = true;
    Data().m_HideWindowByCommandFlag = true;
    Next();
    EXPECT_EQ(Data().m_SelectHash, u"main:3");
    EXPECT_FALSE(Data().m_HideWindowByCommandFlag);
    EXPECT_TRUE(Data().m_IsSelecting);
    EXPECT_EQ(Item(1).m_Text, u"yes");
    EXPECT_EQ(Item(2).m_Text, u"no");
    for (std::size_t i = 3; i <= 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Item(i).m_Text, u"");
        EXPECT_FALSE(Item(i).m_Visible);
        EXPECT_FALSE(Item(i).m_Enable);
        EXPECT_FALSE(Item(i).m_UseGosub);
    }
    EXPECT_EQ(Item(4).m_Label, u"kept");
    EXPECT_TRUE(Item(4).m_BeforeSelected);
    EXPECT_TRUE(m_Screen->GetChoiceButton(1)->IsVisible());
    EXPECT_EQ(m_Screen->GetChoiceButton(2)->GetText(), u"no");
    EXPECT_FALSE(m_Screen->GetChoiceButton(3)->IsVisible());

    // Cleared items are all visible: "SEL" still hides the one it gave no text.
    Data().ClearSelectMenu();
    Next();
    EXPECT_EQ(Data().m_SelectHash, u"main:4");
    EXPECT_TRUE(m_Screen->GetChoiceButton(1)->IsVisible());
    EXPECT_FALSE(m_Screen->GetChoiceButton(2)->IsVisible());
    EXPECT_TRUE(m_Screen->GetChoiceButton(3)->IsVisible());

    Data().ClearSelectMenu();
    Next();
    Next();
    EXPECT_EQ(Data().m_SelectHash, u"mine");
    EXPECT_EQ(Item(10).m_Text, u"10");
    ASSERT_EQ(Data().m_SelectMenuItemList.size(), 11u);
    EXPECT_EQ(Item(0).m_Text, u"");
}

}  // namespace
