// GxUIManage: the engine's one UI state, made by the core's start-up (through the widget
// services) right after the task manager and kept until shut-down. The screens and the input gate
// read and write its fields directly; its only behaviour is ending the play screen's auto and
// skip modes and the reset walk of the widgets' event states.
#pragma once

#include <cstdint>

class GxTaskBase;

class GxUIManage {
public:
    GxUIManage() = default;
    virtual ~GxUIManage() = default;

    // Auto mode off; with a task given, its child "btn_auto" (index 0) shows it. Nothing when the
    // mode is already off.
    void EndAutoMode(GxTaskBase* task);
    // The same for skip mode and "btn_skip".
    void EndSkipMode(GxTaskBase* task);
    // ResetEventState on every widget of the task's subtree and of each following sibling's,
    // children before their parent.
    static void ResetEventStateTree(GxTaskBase* task);

    std::int32_t m_DialogCount = 0;            // the modal level: open system dialogs
    bool m_AutoMode = false;
    bool m_SkipMode = false;
    std::int32_t m_PlayCounter = 0;            // the auto mode's remaining wait in milliseconds
    bool m_PlayFlag1 = false;
    bool m_PlayFlag2 = false;                  // while set the play screen's skip and auto steps rest
    std::int32_t m_UIHold[4] = {0, 0, 0, 0};   // 0: the input hold; 1 to 3: the UI holds
};
