// The builtins of the galleries and the resident layer: replay labels and event pictures unlocked
// in the persistent data, the end of a replay, notices posted to the system sequence, the jump
// back to the title screen and the extra option bits.
#include "avg/avg_builtin_handler.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/system_dialog_host.h"
#include "core/task_manage.h"
#include "data/data_lookup.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "script/variable.h"
#include "script/worker.h"

namespace {

constexpr char16_t kNoLabel[] = u"ラベル名を指定してください";
constexpr char16_t kNoPicture[] = u"イベント画像名を指定してください";
constexpr char16_t kTitleSequence[] = u"SeqTitle";
constexpr std::int32_t kDefaultNoticeAlignment = 1;
constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::int32_t kExtraOptionBits = 32;

GxUserDataPerman* Perman(GxCore* core)
{
    return core != nullptr ? core->m_UserDataPerman : nullptr;
}

// A bit number the 32-bit option set has; any other is refused with a warning, so that a script
// never shifts by an amount the machine leaves undefined.
bool IsExtraOptionBit(const std::u16string& name, std::int32_t bit)
{
    if (bit >= 0 && bit < kExtraOptionBits)
        return true;
    LogPrintWarning(u"AvgBuiltin/%s: option bit %d is not between 0 and 31\n", name.c_str(), bit);
    return false;
}

}  // namespace

void AvgBuiltin::PostNotice(const std::u16string& name, GxMoaVariable& args, bool user)
{
    const std::u16string text = Arg(args, 0).ToString();
    const std::u16string icon = Arg(args, 1).ToString();
    const std::int32_t alignment =
        IsGiven(args, 2) ? static_cast<std::int32_t>(Arg(args, 2).ToInt64()) : kDefaultNoticeAlignment;
    // Notices are always opaque: a given colour keeps only its colour channels.
    const std::uint32_t colour =
        IsGiven(args, 3) ? static_cast<std::uint32_t>(Arg(args, 3).ToInt64()) | kOpaque : 0xFFFFFFFFu;

    GxTaskManage* manage = m_Core != nullptr ? m_Core->m_TaskManage : nullptr;
    auto* host = manage != nullptr ? dynamic_cast<GxSystemDialogHost*>(manage->GetSystemSequence()) : nullptr;
    if (host == nullptr) {
        LogPrint(u"AvgBuiltin/%s: no system sequence to post the notice\n", name.c_str());
        return;
    }
    if (user)
        host->PostUserNotice(text, icon, alignment, colour);
    else
        host->PostSystemNotice(text, icon, alignment, colour);
}

TW_AVG_HANDLER(NoticeSys)
{
    PostNotice(name, args, false);
    return true;
}

TW_AVG_HANDLER(NoticeUser)
{
    PostNotice(name, args, true);
    return true;
}

TW_AVG_HANDLER(RpSet)
{
    if (!IsGiven(args, 0))
        return Fail(name, worker, entity, execStack, kNoLabel);
    const std::u16string label = Arg(args, 0).ToString();
    if (!IsReplayLabel(label))
        return Fail(name, worker, entity, execStack,
                    u"ラベル名[" + label + u"]はリプレイモード定義と一致しません");
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->m_PassedReplayLabels.insert(label);
    return true;
}

TW_AVG_HANDLER(RpUnset)
{
    if (!IsGiven(args, 0))
        return Fail(name, worker, entity, execStack, kNoLabel);
    const std::u16string label = Arg(args, 0).ToString();
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->m_PassedReplayLabels.erase(label);
    return true;
}

TW_AVG_HANDLER(RpSetAll)
{
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->SetAllReplayLabelsPassed();
    return true;
}

TW_AVG_HANDLER(RpUnsetAll)
{
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->m_PassedReplayLabels.clear();
    return true;
}

TW_AVG_HANDLER(RpEnd)
{
    // The play screen sees its worker idle during a replay and returns to the replay gallery.
    const GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data != nullptr && data->m_IsReplayMode && worker != nullptr)
        worker->Stop();
    return true;
}

TW_AVG_HANDLER(CgSet)
{
    if (!IsGiven(args, 0))
        return Fail(name, worker, entity, execStack, kNoPicture);
    const std::u16string picture = Arg(args, 0).ToString();
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->SetCGShown(picture);
    return true;
}

TW_AVG_HANDLER(CgSetGroup)
{
    if (!IsGiven(args, 0))
        return Fail(name, worker, entity, execStack, kNoPicture);
    const std::u16string picture = Arg(args, 0).ToString();
    std::int32_t row = 0;
    std::int32_t element = 0;
    if (!FindCGByFileName(picture, &row, &element))
        return Fail(name, worker, entity, execStack, u"定義されていない画像名です");
    // A listed row whose count is 0 flags nothing, which is no error of the script.
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->SetCGGroupShown(picture);
    return true;
}

TW_AVG_HANDLER(CgSetAll)
{
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->SetAllCGShown();
    return true;
}

TW_AVG_HANDLER(CgUnsetAll)
{
    if (GxUserDataPerman* perman = Perman(m_Core))
        perman->m_ShowedCGFlags.clear();
    return true;
}

TW_AVG_HANDLER(JumpToTitle)
{
    GxTaskManage* manage = m_Core != nullptr ? m_Core->m_TaskManage : nullptr;
    GxTaskBase* title = manage != nullptr ? manage->FindTask(kTitleSequence) : nullptr;
    if (title == nullptr) {
        LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", kTitleSequence);
        return true;
    }
    manage->ChangeSequence(title, 0, 0, 6);
    return true;
}

TW_AVG_HANDLER(SetExtraOption)
{
    const std::int32_t bit = Arg(args, 0).ToInt();
    const bool on = Arg(args, 1).ToInt() != 0;
    GxUserDataPerman* perman = Perman(m_Core);
    if (!IsExtraOptionBit(name, bit) || perman == nullptr)
        return true;
    const std::uint32_t mask = 1u << bit;
    perman->m_ExtraOption = on ? perman->m_ExtraOption | mask : perman->m_ExtraOption & ~mask;
    return true;
}

TW_AVG_HANDLER(GetExtraOption)
{
    const std::int32_t bit = Arg(args, 0).ToInt();
    const GxUserDataPerman* perman = Perman(m_Core);
    const bool set = IsExtraOptionBit(name, bit) && perman != nullptr && (perman->m_ExtraOption >> bit & 1u) != 0;
    result.SetInt64(set ? 1 : 0);
    return true;
}
