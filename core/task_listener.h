// The listener interfaces every task carries. Each operation returns non-zero when the task
// consumed the event; the manager's listener walks stop at the first task that does.
// Every default consumes nothing.
#pragma once

#include "foundation/value_types.h"
#include "platform/win32/win_types.h"

#include <cstdint>

// One input device record (keyboard, mouse, pads, or the action record); defined by the input
// devices. Tasks only read it.
struct GxInputDeviceState;

// The primary base of every task: no operations of its own.
class GxTaskListenerBase {
protected:
    GxTaskListenerBase() = default;
    ~GxTaskListenerBase() = default;
};

class GxTaskWindowListenerBase {
public:
    virtual int OnWindowActivate() { return 0; }
    virtual int OnWindowDeactivate() { return 0; }
    // When no task consumes it the window closes.
    virtual int OnWindowClose() { return 0; }
    virtual int OnWindowEvent(std::int32_t, std::int32_t) { return 0; }

protected:
    ~GxTaskWindowListenerBase() = default;
};

// Points are in virtual-screen coordinates; keys is the message's key-state word.
class GxTaskMouseListenerBase {
public:
    virtual int OnMouseMove(const GxVector2*, std::uint32_t) { return 0; }
    virtual int OnMouseWheel(const GxVector2*, std::int32_t, std::uint32_t) { return 0; }
    // doubleClick: 0 for a press, 1 for a double click.
    virtual int OnMouseLeftDown(const GxVector2*, std::uint32_t, std::int32_t) { return 0; }
    virtual int OnMouseLeftUp(const GxVector2*, std::uint32_t) { return 0; }
    virtual int OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t) { return 0; }
    virtual int OnMouseRightUp(const GxVector2*, std::uint32_t) { return 0; }
    virtual int OnMouseMiddleDown(const GxVector2*, std::uint32_t, std::int32_t) { return 0; }
    virtual int OnMouseMiddleUp(const GxVector2*, std::uint32_t) { return 0; }

protected:
    ~GxTaskMouseListenerBase() = default;
};

class GxTaskKeyInputListenerBase {
public:
    // The key message's two parameters.
    virtual int OnKeyDown(WPARAM, LPARAM) { return 0; }
    virtual int OnKeyUp(WPARAM, LPARAM) { return 0; }
    virtual int OnKeyInput3(std::int32_t, std::int32_t) { return 0; }
    virtual int OnKeyInput4(std::int32_t, std::int32_t, std::int32_t) { return 0; }

protected:
    ~GxTaskKeyInputListenerBase() = default;
};

// Fed from the input state each logic step.
class GxTaskKeyActionListenerBase {
public:
    // The action record, in every step in which any action is down, pressed, released or repeating.
    virtual int OnKeyAction(const GxInputDeviceState*, std::int32_t /*step*/, std::uint64_t /*elapsed*/) { return 0; }
    // One active axis of record `device` (0 keyboard, 1 mouse, 2 and 3 pads, 4 actions).
    virtual int OnKeyActionEx(const GxVector3* /*axis*/, std::int32_t /*device*/, std::int32_t /*axisIndex*/,
                              std::int32_t /*step*/, std::uint64_t /*elapsed*/)
    {
        return 0;
    }

protected:
    ~GxTaskKeyActionListenerBase() = default;
};

// Nothing sends these and no task overrides them; kept so every task carries the interface.
class GxTaskNetListenerBase {
public:
    virtual int OnNetEvent1(std::int32_t) { return 0; }
    virtual int OnNetEvent2(std::int32_t) { return 0; }
    virtual int OnNetEvent3(std::int32_t, std::int32_t) { return 0; }
    virtual int OnNetEvent4(std::int32_t, std::int32_t) { return 0; }
    virtual int OnNetEvent5(std::int32_t, std::int32_t) { return 0; }

protected:
    ~GxTaskNetListenerBase() = default;
};
