#include "ui/ui_manage.h"

#include "core/task_folder.h"
#include "ui/task_ui_base.h"

namespace {

// The mode's button shows the mode off; a task without that button is left alone.
void ClearModeButton(GxTaskBase* task, const char16_t* button)
{
    if (!task || !(task->m_KindFlags & kKindFolder))
        return;
    GxTaskBase* child = static_cast<GxTaskFolder*>(task)->FindTaskLocal(button, 0);
    if (child && (child->m_KindFlags & kKindWidget))
        static_cast<GxTaskUIBase*>(child)->SetValueBool(false);
}

void ResetTree(GxTaskBase* task)
{
    for (; task; task = task->m_NextSibling) {
        ResetTree(task->m_FirstChild);
        if (task->m_KindFlags & kKindWidget)
            static_cast<GxTaskUIBase*>(task)->ResetEventState();
    }
}

}  // namespace

void GxUIManage::EndAutoMode(GxTaskBase* task)
{
    if (!m_AutoMode)
        return;
    m_AutoMode = false;
    ClearModeButton(task, u"btn_auto");
}

void GxUIManage::EndSkipMode(GxTaskBase* task)
{
    if (!m_SkipMode)
        return;
    m_SkipMode = false;
    ClearModeButton(task, u"btn_skip");
}

void GxUIManage::ResetEventStateTree(GxTaskBase* task)
{
    ResetTree(task);
}
