// GxWidgetServicesBase: what the task tree and the screens ask of widgets, answered by the
// widget subsystem, which registers one object with the core at start-up
// (GxCore::m_WidgetServices). The core never includes the widget headers.
#pragma once

#include <cstdint>

class GxTaskBase;
class GxTaskUIBase;
class GxSeqBase;
class GxUIManage;  // the engine's UI state, defined by the widgets
struct DBUILayoutRow;  // one row of the UI layout table
struct DBUIModuleRow;  // one row of the UI module table

class GxWidgetServicesBase {
public:
    virtual ~GxWidgetServicesBase() = default;

    // The widget as a task (every widget is one).
    virtual GxTaskBase* GetWidgetTask(GxTaskUIBase* widget) = 0;
    // The widget and every UI ancestor are visible.
    virtual bool IsVisibleInTree(GxTaskUIBase* widget) = 0;
    // The widget and every UI ancestor are enabled.
    virtual bool IsEnabledInTree(GxTaskUIBase* widget) = 0;
    // The widget or a UI ancestor holds a lock.
    virtual bool IsLockedInTree(GxTaskUIBase* widget) = 0;
    virtual std::int32_t GetModalPriorityInTree(GxTaskUIBase* widget) = 0;
    // Both action lists of the widget are empty.
    virtual bool IsActionListEmpty(GxTaskUIBase* widget) = 0;

    // Builds one widget under owner from a layout row (the row's module looked up in the module
    // table), or from a module row directly; null when nothing could be built.
    virtual GxTaskUIBase* CreateWidget(GxSeqBase* sequence, GxTaskBase* owner, const DBUILayoutRow* row,
                                       const char16_t* name, std::int32_t index) = 0;
    virtual GxTaskUIBase* CreateWidgetFromModule(GxSeqBase* sequence, GxTaskBase* owner, const DBUIModuleRow* row,
                                                 const char16_t* name, std::int32_t index) = 0;

    // The UI state: made by the core's start-up right after the task manager and given back to
    // the same services at shut-down.
    virtual GxUIManage* CreateUIManage() = 0;
    virtual void DeleteUIManage(GxUIManage* ui) = 0;
    // What the input gate reads of it: the modal level, and hold 0 (the input hold) to 3.
    virtual std::int32_t GetModalLevel(const GxUIManage* ui) = 0;
    virtual std::int32_t GetUIHold(const GxUIManage* ui, std::int32_t index) = 0;
};
