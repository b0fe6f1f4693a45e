// [Adventure builtins] the user dialog: its request to the system layer (identifier, receiver,
// text, button set), the refusal while one is shown, a missing dialog widget, the answer coming
// back through the sequence base; and the script's own hiding of the message window.
#include "avg_builtin_fixture.h"

#include "core/task_folder.h"
#include "core/ui_listener.h"
#include "avg/module_services.h"
#include "ui/task_ui_null.h"
#include "ui/ui_services.h"

#include <gtest/gtest.h>

using namespace avg_builtin_test;

namespace {

using AvgDialogBuiltin = AvgBuiltinTest;

TEST_F(AvgDialogBuiltin, TheRequestCarriesTheTextAndTheButtonSetAsGiven)
{
    GxSeqBase* title = EnterSequence(u"SeqTitle", 0, 0, 0);
    struct Case {
        const char* what;
        GxMoaVariable args;
        const char16_t* text;
        std::int32_t buttonSet;
    };
    const Case cases[] = {
        {"yes and no", Arr({Str(u"終了しますか？"), Int(3)}), u"終了しますか？", 3},
        {"ok and cancel", Arr({Str(u"a"), Int(2)}), u"a", 2},
        {"no set", Arr({Str(u"b")}), u"b", 1},
        {"empty set", Arr({Str(u"c"), Str(u"")}), u"c", 1},
        {"set 0", Arr({Str(u"d"), Int(0)}), u"d", 0},
        {"set 7", Arr({Str(u"e"), Int(7)}), u"e", 7},
        {"low 32 bits", Arr({Str(u"f"), Int(0x100000003)}), u"f", 3},
        {"nothing", Arr({}), u"", 1},
    };
    std::int32_t requests = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_UserData.m_LastDialogResult = 1;
        EXPECT_EQ(Call(u"DLG", c.args), "Null");
        EXPECT_EQ(m_UserData.m_LastDialogResult, 0);
        ASSERT_EQ(m_System->GetUserDialogRequestCount(), ++requests);
        const GxUserDialogRequest& request = m_System->GetLastUserDialogRequest();
        EXPECT_EQ(request.m_Identifier, u"SeqAvgMain_USERDIALOG");
        EXPECT_EQ(request.m_Requester, title);   // no play screen: the sequence of slot 0
        EXPECT_EQ(request.m_Text, c.text);
        EXPECT_EQ(request.m_ButtonSet, c.buttonSet);
    }
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqAvgMain_USERDIALOG");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgDialogBuiltin, TheReceiverIsThePlayScreenOnlyWhileItRunsInASlot)
{
    EXPECT_EQ(Call(u"DLG", {Str(u"q")}), "Null");
    EXPECT_EQ(m_System->GetLastUserDialogRequest().m_Requester, nullptr);   // nothing runs at all

    GxSeqBase* play = new GxSeqBase(m_Root, u"SeqAvgMain");
    GxSeqBase* title = EnterSequence(u"SeqTitle", 0, 0, 0);
    EXPECT_EQ(Call(u"DLG", {Str(u"q")}), "Null");
    EXPECT_EQ(m_System->GetLastUserDialogRequest().m_Requester, title);

    EnterSequence(u"SeqAvgMain", 1, 0, 0);
    EXPECT_EQ(Call(u"DLG", {Str(u"q")}), "Null");
    EXPECT_EQ(m_System->GetLastUserDialogRequest().m_Requester, play);
}

TEST_F(AvgDialogBuiltin, AShownDialogRefusesASecondOneAndAMissingOneCountsAsClosed)
{
    // No "dlg_user" at all (no resident layer): the request goes on.
    EXPECT_EQ(Call(u"DLG", {Str(u"first")}), "Null");
    EXPECT_EQ(m_System->GetUserDialogRequestCount(), 1);

    GxTaskBase* dialog = new GxTaskBase(m_Root, u"dlg_user", nullptr, 0);
    ASSERT_TRUE(Run("BUILTIN DLG\n$a = 1\nDLG(\"second\", 3)\nPrint(\"never\")"));
    const std::string at = "err:[Script=\"main\"/line=4] ";
    EXPECT_EQ(Errors(), (std::vector<std::string>{at + "dlg:ダイアログは二重に開けません\n",
                                                  at + "関数実行時にエラーが発生したので停止します[builtin:dlg]\n"}));
    EXPECT_EQ(m_System->GetUserDialogRequestCount(), 1);
    EXPECT_EQ(m_UserData.m_LastDialogResult, 0);

    // Shown no longer: the next request goes on.
    dialog->Suspend();
    m_Log.Clear();
    EXPECT_EQ(Call(u"DLG", {Str(u"third")}), "Null");
    EXPECT_EQ(m_System->GetUserDialogRequestCount(), 2);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgDialogBuiltin, AYesFromTheDialogReachesTheGameDataThroughTheSequenceBase)
{
    m_Core.m_WidgetServices = &GetUIServices();
    GxSeqBase* play = EnterSequence(u"SeqAvgMain", 0, 0, 0);
    // The dialog is a folder, so that its buttons are found by their local names.
    GxTaskBase* dialog = new GxTaskFolder(m_Root, u"dlg_user", nullptr, 0);
    auto* yes = new GxTaskUINull(dialog, u"btn_dlguser_yes:dlg_user", u"btn_dlguser_yes", 0);
    dialog->Suspend();

    EXPECT_EQ(Call(u"DLG", {Str(u"続けますか？"), Int(3)}), "Null");
    EXPECT_EQ(m_System->GetUserDialogOpener(), play);
    GxUIEventParam param{};
    UINotifyParam::Init(&param, yes, 0, 0);
    EXPECT_EQ(play->OnUIEvent(yes, &param), 1);
    EXPECT_EQ(m_UserData.m_LastDialogResult, 1);
    EXPECT_EQ(Call(u"GetDialogResult", {}), "Int:1");
    // Closing forgets the requester; the identifier stays.
    EXPECT_EQ(m_System->GetUserDialogOpener(), nullptr);
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqAvgMain_USERDIALOG");
    m_Core.m_WidgetServices = nullptr;
}

TEST_F(AvgDialogBuiltin, TheScriptHidesAndShowsTheMessageWindow)
{
    EXPECT_EQ(Call(u"MSG.HIDE", {}), "Null");
    EXPECT_TRUE(m_UserData.m_HideWindowByCommandFlag);
    EXPECT_EQ(Call(u"MSG.HIDE", {Int(0)}), "Null");   // arguments are ignored
    EXPECT_TRUE(m_UserData.m_HideWindowByCommandFlag);
    EXPECT_EQ(Call(u"MSG.SHOW", {}), "Null");
    EXPECT_FALSE(m_UserData.m_HideWindowByCommandFlag);
}

}  // namespace
