#include "ui/ui_services.h"

#include "core/core.h"
#include "ui/play_screen_widgets.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"
#include "ui/widget_factory.h"

GxTaskBase* GxUIServices::GetWidgetTask(GxTaskUIBase* widget)
{
    return widget;
}

bool GxUIServices::IsVisibleInTree(GxTaskUIBase* widget)
{
    return widget && widget->IsVisibleInTree();
}

bool GxUIServices::IsEnabledInTree(GxTaskUIBase* widget)
{
    return widget && widget->IsEnabledInTree();
}

bool GxUIServices::IsLockedInTree(GxTaskUIBase* widget)
{
    return widget && widget->IsLockedInTree();
}

std::int32_t GxUIServices::GetModalPriorityInTree(GxTaskUIBase* widget)
{
    return widget ? widget->GetModalPriorityInTree() : 0;
}

bool GxUIServices::IsActionListEmpty(GxTaskUIBase* widget)
{
    return !widget || widget->IsActionListEmpty();
}

GxTaskUIBase* GxUIServices::CreateWidget(GxSeqBase* sequence, GxTaskBase* owner, const DBUILayoutRow* row,
                                         const char16_t* name, std::int32_t index)
{
    return CreateWidgetFromLayout(sequence, owner, row, name, index);
}

GxTaskUIBase* GxUIServices::CreateWidgetFromModule(GxSeqBase*, GxTaskBase* owner, const DBUIModuleRow* row,
                                                   const char16_t* name, std::int32_t index)
{
    return CreateWidgetFromModuleRow(owner, row, name, index);
}

GxUIManage* GxUIServices::CreateUIManage()
{
    return new GxUIManage();
}

void GxUIServices::DeleteUIManage(GxUIManage* ui)
{
    delete ui;
}

std::int32_t GxUIServices::GetModalLevel(const GxUIManage* ui)
{
    return ui ? ui->m_DialogCount : 0;
}

std::int32_t GxUIServices::GetUIHold(const GxUIManage* ui, std::int32_t index)
{
    return ui && index >= 0 && index < 4 ? ui->m_UIHold[index] : 0;
}

GxUIServices& GetUIServices()
{
    static GxUIServices services;
    return services;
}

void InstallUIServices()
{
    GxCore::GetInstance()->m_WidgetServices = &GetUIServices();
    SetPlayScreenWidgets(&GetUIPlayScreenWidgets());
}
