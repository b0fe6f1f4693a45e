#include "core/seq_base.h"

#include "core/core.h"
#include "core/system_dialog_host.h"
#include "core/task_manage.h"
#include "core/widget_services.h"
#include "graphics/graphics.h"
#include "foundation/log.h"

#include <string_view>

namespace {

const char16_t kUserDialogName[] = u"dlg_user";
const char16_t kUserDialogTag[] = u"SeqAvgMain_USERDIALOG";

}  // namespace

GxSeqBase::GxSeqBase(GxTaskBase* owner, const char16_t* name) : GxTaskFolder(owner, name, nullptr, 0)
{
    m_TaskFlags |= kTaskEndOfChain;
    m_KindFlags |= kKindSequence;
    m_Sequence = this;
    m_WorkerIndex = -1;
}

GxSeqBase::~GxSeqBase() = default;

void GxSeqBase::OnSequenceLeave(std::int32_t worker)
{
    GxTaskFolder::OnSequenceLeave(worker);
    if (!m_Manage)
        return;
    if (GxTaskBase* tip = m_Manage->FindTask(u"tip_help"))
        tip->Suspend();
    auto* host = dynamic_cast<GxSystemDialogHost*>(m_Manage->GetSystemSequence());
    if (!host)
        return;
    GxTaskBase* shutdown = m_Manage->FindTask(u"dlg_shutdown");
    if (shutdown && shutdown->IsActive())
        host->CloseShutdownDialog(false);
    // A user dialog opened by another screen stays up.
    GxTaskBase* user = m_Manage->FindTask(kUserDialogName);
    if (user && user->IsActive() && host->GetUserDialogOpener() == this)
        host->CloseUserDialog(false);
}

void GxSeqBase::RefreshSequence(std::int32_t)
{
    m_Sequence = this;
}

int GxSeqBase::StartMain(std::int32_t, std::uint64_t)
{
    const std::int32_t worker = GetWorkerIndex();
    if (worker < 0)
        return 0;
    // A request on the slot clears its switched flag at once, so a sequence that has not yet run
    // its start step when a change is asked for (e.g. from its own enter hook, or an input event
    // before the frame) is simply on its way out: it waits for the switch, it is not broken.
    if (m_Manage && m_Manage->IsChangePending(worker))
        return 0;
    if (!m_Manage || !m_Manage->IsWorkerSwitched(worker)) {
        LogPrint(u"GxTaskManage::StartMain/シーケンスの準備ができていません seqworkindex=%d\n", worker);
        return 0;
    }
    m_Manage->SetWorkerReady(worker);
    return 0;
}

int GxSeqBase::Render(std::int32_t, std::uint64_t)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    if (GxTaskRenderManage* list = core ? core->GetRenderList(0) : nullptr)
        list->Add(kRenderModeDefault, this, 0.0f, 0);
    return 0;
}

int GxSeqBase::Draw(std::int32_t, std::int32_t)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    const DWORD color = core ? core->GetClearColor() : 0xFF000000;
    ClearTarget(kSeqClearFlags, color, 1.0f, 0, nullptr);
    return 0;
}

int GxSeqBase::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam*)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    GxWidgetServicesBase* services = core ? core->m_WidgetServices : nullptr;
    if (!widget || !services)
        return 0;
    GxTaskBase* task = services->GetWidgetTask(widget);
    GxTaskBase* parent = task ? task->GetParent() : nullptr;
    if (!parent || parent->GetTaskName() != kUserDialogName)
        return 0;
    auto* host = dynamic_cast<GxSystemDialogHost*>(m_Manage->GetSystemSequence());
    if (!host || host->GetUserDialogTag() != kUserDialogTag)
        return 0;

    const std::u16string& button = task->GetTaskLocalName();
    std::int32_t answer;
    if (button == u"btn_dlguser_yes" || button == u"btn_dlguser_ok")
        answer = 1;
    else if (button == u"btn_dlguser_no" || button == u"btn_dlguser_cancel")
        answer = 0;
    else
        return 0;
    core->SetLastDialogResult(answer);
    host->CloseUserDialog(true);
    return 1;
}

bool GxSeqBase::IsWidgetInputAllowed(GxTaskUIBase* widget, std::uint8_t ignore)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    GxWidgetServicesBase* services = core ? core->m_WidgetServices : nullptr;
    if (!widget)
        return false;
    if (!services) {
        LogPrint(u"GxSeqBase::IsWidgetInputAllowed/no widget services (%s)\n", m_TaskName.c_str());
        return false;
    }
    GxTaskBase* task = services->GetWidgetTask(widget);
    if (!task)
        return false;
    if (!(ignore & kInputGateIgnoreSuspended) && task->IsSuspended())
        return false;
    if (!(ignore & kInputGateIgnoreInactive) && !IsWidgetActive(widget))
        return false;
    if (!services->IsEnabledInTree(widget))
        return false;
    if (services->IsLockedInTree(widget))
        return false;
    if (!(ignore & kInputGateIgnoreActions) && !services->IsActionListEmpty(widget))
        return false;
    const std::int32_t modalLevel = core->GetUIModalLevel();
    if (!(ignore & kInputGateIgnoreModal) && modalLevel != 0 && services->GetModalPriorityInTree(widget) < modalLevel)
        return false;
    // A sequence in no worker slot (the resident system sequence) is never waiting for its
    // slot: it is treated as ready with nothing pending.
    const std::int32_t worker = GetWorkerIndex();
    if (worker >= 0) {
        if (!(ignore & kInputGateIgnoreNotReady) && !m_Manage->IsWorkerReady(worker))
            return false;
        if (!(ignore & kInputGateIgnoreChangePending) && m_Manage->IsChangePending(worker))
            return false;
    }
    return core->GetUIHold(0) == 0;
}

bool GxSeqBase::IsWidgetActive(GxTaskUIBase* widget)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    GxWidgetServicesBase* services = core ? core->m_WidgetServices : nullptr;
    GxTaskBase* task = services && widget ? services->GetWidgetTask(widget) : nullptr;
    if (!task || task->IsSuspended())
        return false;
    return services->IsVisibleInTree(widget);
}

bool GxSeqBase::IsUIHoldClear(int index) const
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    return !core || core->GetUIHold(index) == 0;
}

bool GxSeqBase::IsUIHoldClear1()
{
    return IsUIHoldClear(1);
}

bool GxSeqBase::IsUIHoldClear2()
{
    return IsUIHoldClear(2);
}

bool GxSeqBase::IsUIHoldClear3()
{
    return IsUIHoldClear(3);
}

GxTaskUIBase* GxSeqBase::CreateWidgetFromModule(GxTaskBase* owner, const DBUIModuleRow* row, const char16_t* name,
                                                std::int32_t index)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    if (!core || !core->m_WidgetServices) {
        LogPrint(u"GxSeqBase::CreateWidgetFromModule/no widget services (%s)\n", name ? name : u"");
        return nullptr;
    }
    return core->m_WidgetServices->CreateWidgetFromModule(this, owner, row, name, index);
}

GxTaskUIBase* GxSeqBase::CreateWidget(GxTaskBase* owner, const DBUILayoutRow* row, const char16_t* name,
                                      std::int32_t index)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    if (!core || !core->m_WidgetServices) {
        LogPrint(u"GxSeqBase::CreateWidget/no widget services (%s)\n", name ? name : u"");
        return nullptr;
    }
    return core->m_WidgetServices->CreateWidget(this, owner, row, name, index);
}

bool GxWStringEqualsCStr(const std::u16string& text, const char16_t* cstr)
{
    if (!cstr)
        return text.empty();
    return text == std::u16string_view(cstr);
}

bool GxWStringLess(const std::u16string& a, const std::u16string& b)
{
    return a < b;
}
