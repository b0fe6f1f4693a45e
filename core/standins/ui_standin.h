// Stand-in for the UI state of the widget subsystem until it is built: the fields the task tree
// and the screens read.
#pragma once

#include <cstdint>

class GxUIManage {
public:
    GxUIManage() = default;
    virtual ~GxUIManage();

    std::int32_t m_DialogCount = 0;            // open system dialogs
    std::int32_t m_UIHold[4] = {0, 0, 0, 0};   // 0 means no hold
};
