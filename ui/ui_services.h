// GxUIServices: the widget subsystem's side of the core's GxWidgetServicesBase: the tree tests
// the input gate asks, the widget factory, and the UI state the core makes at start-up.
#pragma once

#include "core/widget_services.h"

class GxUIServices : public GxWidgetServicesBase {
public:
    GxTaskBase* GetWidgetTask(GxTaskUIBase* widget) override;
    bool IsVisibleInTree(GxTaskUIBase* widget) override;
    bool IsEnabledInTree(GxTaskUIBase* widget) override;
    bool IsLockedInTree(GxTaskUIBase* widget) override;
    std::int32_t GetModalPriorityInTree(GxTaskUIBase* widget) override;
    bool IsActionListEmpty(GxTaskUIBase* widget) override;
    GxTaskUIBase* CreateWidget(GxSeqBase* sequence, GxTaskBase* owner, const DBUILayoutRow* row,
                               const char16_t* name, std::int32_t index) override;
    GxTaskUIBase* CreateWidgetFromModule(GxSeqBase* sequence, GxTaskBase* owner, const DBUIModuleRow* row,
                                         const char16_t* name, std::int32_t index) override;
    GxUIManage* CreateUIManage() override;
    void DeleteUIManage(GxUIManage* ui) override;
    std::int32_t GetModalLevel(const GxUIManage* ui) override;
    std::int32_t GetUIHold(const GxUIManage* ui, std::int32_t index) override;
};

// The one process-wide GxUIServices.
GxUIServices& GetUIServices();
// Installs it into the engine's core (GxCore::m_WidgetServices), and the widget calls a saved
// game's load makes on the play screen.
void InstallUIServices();
