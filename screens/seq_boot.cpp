#include "screens/seq_boot.h"

#include "core/core.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "platform/win32/keyboard.h"

namespace {

constexpr int kVirtualKeyControl = 0x11;

}  // namespace

SeqBoot::SeqBoot(GxTaskBase* owner) : GxSeqTransitBase(owner, u"SeqBoot") {}

void SeqBoot::OnSequenceEnter(std::int32_t worker)
{
    GxSeqTransitBase::OnSequenceEnter(worker);
    GxCore* core = m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
    if (core == nullptr)
        return;
    if (core->m_UserData != nullptr)
        ResetAvgState(core->m_UserData, false);
    core->ModulesOnBootTitle();
}

int SeqBoot::Update(std::int32_t, std::uint64_t)
{
    GxCore* core = m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
    const bool movieNamed = core != nullptr && core->m_SystemConfig != nullptr &&
                            !core->m_SystemConfig->m_MovNameOpening.empty();
    const bool controlHeld = (GetKeyState(kVirtualKeyControl) & 0x8000) != 0;
    if (m_Manage != nullptr)
        m_Manage->ChangeSequenceByCName(movieNamed && !controlHeld ? u"SeqOpening" : u"SeqTitle", GetWorkerIndex(),
                                        0, 0);
    ++m_UpdateCount;
    return 0;
}
