// The message builtins: messages with and without a speaker, the script's own hiding and clearing
// of the message window, and the user dialog.
#include "avg/avg_builtin_handler.h"

#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/system_dialog_host.h"
#include "core/task_manage.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "script/variable.h"
#include "script/worker.h"

namespace {

constexpr const char16_t* kUserDialogWidget = u"dlg_user";
constexpr const char16_t* kPlayScreenDialogTag = u"SeqAvgMain_USERDIALOG";
constexpr const char16_t* kPlayScreenName = u"SeqAvgMain";
constexpr std::int32_t kSingleOkButton = 1;
// "MSGN" always shows the name picture when there is one, else the name as text.
constexpr std::int32_t kSpeakerImageElseText = 3;

// The play screen while it runs in a sequence slot, else the sequence of slot 0.
GxSeqBase* DialogReceiver(GxTaskManage& manage)
{
    auto* play = dynamic_cast<GxSeqBase*>(manage.FindTask(kPlayScreenName));
    if (play != nullptr && play->GetWorkerIndex() >= 0)
        return play;
    const GxSeqWorker* slot = manage.GetWorker(0);
    return slot != nullptr ? slot->m_Current : nullptr;
}

void SetHiddenByCommand(GxCore* core, bool hidden)
{
    if (GxUserData* data = core != nullptr ? core->m_UserData : nullptr)
        data->m_HideWindowByCommandFlag = hidden;
}

}  // namespace

void AvgBuiltin::ShowMessage(GxMoaWorker* worker, const std::u16string* speaker, const std::u16string& text)
{
    // The key plain text lines use: the current script and its line counted from 1. The read
    // state is taken before the line is flagged, so a first showing is never "read".
    const std::u16string script = worker != nullptr ? worker->GetScriptName(nullptr) : std::u16string();
    const std::int32_t lineKey = worker != nullptr ? worker->GetLine(nullptr) + 1 : 0;
    GxUserDataPerman* flags = m_Core != nullptr ? m_Core->m_UserDataPerman : nullptr;
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    const bool read = flags != nullptr && flags->IsMessageRead(script, lineKey);
    const bool ignoreKinsoku = data != nullptr && data->m_IgnoreKinsoku;
    // Without a play screen the line is still flagged and logged, only not shown.
    if (SeqAvgMain* screen = FindPlayScreen(m_Core)) {
        if (speaker != nullptr)
            screen->SetSpeakerName(*speaker, kSpeakerImageElseText);
        else
            screen->ClearSpeakerName();
        screen->SetMessageText(text, read, ignoreKinsoku, 0);
    }
    if (flags != nullptr)
        flags->SetPermanentFlag(script, lineKey);
    if (data != nullptr)
        data->AddMessageLog(speaker != nullptr ? *speaker : std::u16string(), text, ignoreKinsoku, false);
}

TW_AVG_HANDLER(Msg)
{
    const std::u16string text = IsGiven(args, 0) ? Arg(args, 0).ToString() : std::u16string();
    ShowMessage(worker, nullptr, text);
    return true;
}

TW_AVG_HANDLER(MsgN)
{
    const std::u16string speaker = IsGiven(args, 0) ? Arg(args, 0).ToString() : std::u16string();
    const std::u16string text = IsGiven(args, 1) ? Arg(args, 1).ToString() : std::u16string();
    ShowMessage(worker, &speaker, text);
    return true;
}

TW_AVG_HANDLER(MsgClear)
{
    if (SeqAvgMain* screen = FindPlayScreen(m_Core))
        screen->ClearMessage();
    return true;
}

TW_AVG_HANDLER(Dlg)
{
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr)
        data->m_LastDialogResult = 0;
    const std::u16string text = Arg(args, 0).ToString();
    const std::int32_t buttonSet =
        IsGiven(args, 1) ? static_cast<std::int32_t>(static_cast<std::uint64_t>(Arg(args, 1).ToInt64()))
                         : kSingleOkButton;

    GxTaskManage* manage = m_Core != nullptr ? m_Core->m_TaskManage : nullptr;
    if (manage == nullptr)
        return true;
    // Without the dialog's widget (no resident layer, or its layout is missing) nothing is open:
    // the request goes on and the system layer reports what it lacks.
    GxTaskBase* dialog = manage->FindTask(kUserDialogWidget);
    if (dialog != nullptr && dialog->IsActive())
        return Fail(name, worker, entity, execStack, u"ダイアログは二重に開けません");

    auto* host = dynamic_cast<GxSystemDialogHost*>(manage->GetSystemSequence());
    if (host == nullptr) {
        LogPrint(u"AvgBuiltin/%s: no system sequence to show the dialog\n", name.c_str());
        return true;
    }
    host->ShowUserDialog(kPlayScreenDialogTag, DialogReceiver(*manage), text, buttonSet);
    return true;
}

TW_AVG_HANDLER(MsgShow)
{
    SetHiddenByCommand(m_Core, false);
    return true;
}

TW_AVG_HANDLER(MsgHide)
{
    SetHiddenByCommand(m_Core, true);
    return true;
}
