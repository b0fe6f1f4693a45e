#include "screens/seq_quick_load.h"

#include "core/core.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "foundation/file.h"

namespace {

constexpr std::int32_t kUpdatesBeforeLoad = 30;
constexpr char16_t kDefaultQuickSaveName[] = u"gamedata_quick.gd";

}  // namespace

SeqQuickLoad::SeqQuickLoad(GxTaskBase* owner) : GxScreenBase(owner, u"SeqQuickLoad") {}

void SeqQuickLoad::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    m_UpdateCount = 0;
}

void SeqQuickLoad::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (GxCore* core = GetCore())
        core->m_FrameTimer.ResetFrameTimer();
}

int SeqQuickLoad::Update(std::int32_t, std::uint64_t)
{
    ProcessUIEvents(nullptr);
    if (m_UpdateCount > kUpdatesBeforeLoad) {
        QuickLoad();
        if (GxCore* core = GetCore())
            core->ChangeSequenceByName();
    }
    ++m_UpdateCount;
    return 0;
}

int SeqQuickLoad::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event)
{
    GxScreenBase::OnUIEvent(widget, event);
    return 0;
}

void SeqQuickLoad::QuickLoad()
{
    GxCore* core = GetCore();
    if (core == nullptr || core->m_UserData == nullptr)
        return;
    const GxSystemConfig* config = core->m_SystemConfig;
    const std::u16string name =
        config != nullptr && !config->m_QuickSaveFileName.empty() ? config->m_QuickSaveFileName : kDefaultQuickSaveName;
    const std::u16string path = core->GetSaveDir() + name;
    if (!OpenFileRead(path))
        return;
    ResetAvgState(core->m_UserData, true);
    core->ModulesBeforeLoadGame();
    // A damaged file is logged by the reader, naming it; the game resumes from what was read.
    LoadGameData(core->m_UserData, path, true);
}
