// The information builtins: single values of the engine, the sequence slots, the game data and
// the persistent data, read or set by the script.
#include "avg/avg_builtin_handler.h"

#include "core/core.h"
#include "core/task_manage.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/crc32.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/standins/module_resource.h"
#include "script/moa.h"
#include "script/variable.h"
#include "script/worker.h"

namespace {

// The program's own picture whose checksum tells builds apart.
constexpr WORD kSignatureResourceId = 102;

bool DebugModeOn(const GxCore* core)
{
    return core != nullptr && core->GetConfig().m_DebugModeFlag;
}

}  // namespace

const GxSeqWorker* AvgBuiltin::SequenceSlot(const std::u16string& name, GxMoaVariable& args) const
{
    const std::int32_t slot = Arg(args, 0).ToInt();
    GxTaskManage* manage = m_Core != nullptr ? m_Core->m_TaskManage : nullptr;
    const GxSeqWorker* worker = manage != nullptr ? manage->GetWorker(slot) : nullptr;
    // Only slots 0 and 1 exist; a script asking for another one gets empty values.
    if (worker == nullptr && manage != nullptr)
        LogPrintWarning(u"AvgBuiltin/%s: no sequence slot %d\n", name.c_str(), slot);
    return worker;
}

TW_AVG_HANDLER(Print)
{
    const std::u16string text = Arg(args, 0).ToString();
    if (DebugModeOn(m_Core) && worker != nullptr && worker->GetOwner() != nullptr)
        worker->GetOwner()->Print(u"%s", text.c_str());
    return true;
}

TW_AVG_HANDLER(Debug)
{
    const std::u16string text = Arg(args, 0).ToString();
    if (DebugModeOn(m_Core))
        LogPrintDebug(u"%s\n", text.c_str());
    return true;
}

TW_AVG_HANDLER(GetSaveDir)
{
    result.SetString(m_Core != nullptr ? m_Core->GetSaveDir() : std::u16string());
    return true;
}

TW_AVG_HANDLER(GetCurSeqName)
{
    const GxSeqWorker* slot = SequenceSlot(name, args);
    result.SetString(slot != nullptr ? slot->m_CurrentName : std::u16string());
    return true;
}

TW_AVG_HANDLER(GetPrevSeqName)
{
    const GxSeqWorker* slot = SequenceSlot(name, args);
    result.SetString(slot != nullptr ? slot->m_PreviousName : std::u16string());
    return true;
}

TW_AVG_HANDLER(GetCurSeqParam0)
{
    const GxSeqWorker* slot = SequenceSlot(name, args);
    result.SetInt64(slot != nullptr ? slot->m_CurrentParam[0] : 0);
    return true;
}

TW_AVG_HANDLER(GetCurSeqParam1)
{
    const GxSeqWorker* slot = SequenceSlot(name, args);
    result.SetInt64(slot != nullptr ? slot->m_CurrentParam[1] : 0);
    return true;
}

TW_AVG_HANDLER(GetPrevSeqParam0)
{
    const GxSeqWorker* slot = SequenceSlot(name, args);
    result.SetInt64(slot != nullptr ? slot->m_PreviousParam[0] : 0);
    return true;
}

TW_AVG_HANDLER(GetPrevSeqParam1)
{
    const GxSeqWorker* slot = SequenceSlot(name, args);
    result.SetInt64(slot != nullptr ? slot->m_PreviousParam[1] : 0);
    return true;
}

TW_AVG_HANDLER(GetLastSelect)
{
    const GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    result.SetInt64(data != nullptr ? data->m_LastSelectNum : 0);
    return true;
}

TW_AVG_HANDLER(GetDialogResult)
{
    const GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    result.SetInt64(data != nullptr ? data->m_LastDialogResult : 0);
    return true;
}

TW_AVG_HANDLER(GetDebugModeFlag)
{
    result.SetInt64(DebugModeOn(m_Core) ? 1 : 0);
    return true;
}

TW_AVG_HANDLER(GetSystemSignature)
{
    std::uint32_t crc = 0;
    HRSRC resource = FindResourceW(nullptr, MakeIntResourceW(kSignatureResourceId), u"PNG");
    if (resource != nullptr) {
        const DWORD size = SizeofResource(nullptr, resource);
        const void* bytes = LockResource(LoadResource(nullptr, resource));
        if (bytes != nullptr)
            crc = GxCalcCRC32(bytes, size);
    }
    result.SetString(FormatWide(u"%08X", crc));
    return true;
}

TW_AVG_HANDLER(SetGameDataTitle)
{
    const std::u16string title = Arg(args, 0).ToString();
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr)
        data->SetGameDataTitle(title);
    return true;
}

TW_AVG_HANDLER(GetGameDataTitle)
{
    const GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    result.SetString(data != nullptr ? data->m_GameDataTitle : std::u16string());
    return true;
}

TW_AVG_HANDLER(GetReplayMode)
{
    const GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    result.SetInt64(data != nullptr && data->m_IsReplayMode ? 1 : 0);
    return true;
}

TW_AVG_HANDLER(GetPassedLabel)
{
    if (!IsGiven(args, 0))
        return Fail(name, worker, entity, execStack, u"ラベル名を指定してください");
    const std::u16string label = Arg(args, 0).ToString();
    const GxUserDataPerman* perman = m_Core != nullptr ? m_Core->m_UserDataPerman : nullptr;
    result.SetInt64(perman != nullptr && perman->m_PassedReplayLabels.count(label) != 0 ? 1 : 0);
    return true;
}

TW_AVG_HANDLER(SetNameIdentifyMode)
{
    const std::int32_t mode = Arg(args, 0).ToInt();
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr)
        data->m_NameIdentifyMode = mode;
    return true;
}
