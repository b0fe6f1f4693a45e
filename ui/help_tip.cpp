#include "ui/help_tip.h"

#include "core/task_manage.h"
#include "ui/task_ui_base.h"
#include "ui/ui_tip_help.h"

void ShowHelpTip(GxTaskManage* manage, const char16_t* text, const float* pointer)
{
    GxTaskBase* task = manage ? manage->FindTask(u"tip_help") : nullptr;
    if (!task || !(task->m_KindFlags & kKindWidget))
        return;
    auto* tip = static_cast<GxTaskUIBase*>(task);
    tip->Resume();
    tip->Show();
    tip->SetText(text);
    if (auto* help = dynamic_cast<GxTaskUITipHelpIs*>(tip); help && pointer)
        help->PlaceAt(pointer);
}
