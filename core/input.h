// GxInput: the keyboard, the mouse and up to two game pads read through DirectInput once per
// logic step; per-key step counts and edge/repeat masks for every device; bound keys turned into
// up to 256 game actions kept in a fifth record of the same layout; four axes per record.
// One instance per process, free functions over global state, window thread only.
//
// Records: 0 keyboard, 1 mouse, 2 pad 1, 3 pad 2, 4 actions. A key code names record
// code / 256 and key bit code % 256 (see core/key_code.h); no code reaches pad 2, which serves
// the axis bindings only.
#pragma once

#include "foundation/value_types.h"
#include "platform/win32/win_types.h"

#include <cstdint>

// 256 keys, bit k is bit k % 64 of word k / 64.
struct GxKeyMask {
    std::uint64_t m_Bits[4] = {0, 0, 0, 0};

    bool Test(std::int32_t key) const
    {
        return key >= 0 && key < 256 && ((m_Bits[key >> 6] >> (key & 63)) & 1u) != 0;
    }
    void Set(std::int32_t key)
    {
        if (key >= 0 && key < 256) m_Bits[key >> 6] |= std::uint64_t{1} << (key & 63);
    }
    void Clear() { m_Bits[0] = m_Bits[1] = m_Bits[2] = m_Bits[3] = 0; }
    bool Any() const { return (m_Bits[0] | m_Bits[1] | m_Bits[2] | m_Bits[3]) != 0; }
};

constexpr std::int32_t kInputKeyCount = 256;
constexpr std::int32_t kInputAxisCount = 4;
constexpr std::int32_t kInputBindingSlots = 8;

// Record indices.
constexpr std::int32_t kInputKeyboard = 0;
constexpr std::int32_t kInputMouse = 1;
constexpr std::int32_t kInputPad1 = 2;
constexpr std::int32_t kInputPad2 = 3;
constexpr std::int32_t kInputActions = 4;
constexpr std::int32_t kInputRecordCount = 5;

// Key bits that are not buttons: wheel notches, stick directions, hat directions.
constexpr std::int32_t kInputMouseWheelUp = 33;
constexpr std::int32_t kInputMouseWheelDown = 34;
constexpr std::int32_t kInputPadTrigger1 = 11;   // pad layout 1: z above 400
constexpr std::int32_t kInputPadTrigger2 = 12;   // pad layout 1: z below -400
constexpr std::int32_t kInputPadStick1Up = 33;   // then down, left, right
constexpr std::int32_t kInputPadStick2Up = 49;
constexpr std::int32_t kInputPadHat1Up = 65;
constexpr std::int32_t kInputPadHat2Up = 81;

// One device's (or the actions') input state.
struct GxInputDeviceState {
    std::uint64_t m_Held[kInputKeyCount];       // consecutive steps down, 0 while up
    std::uint64_t m_Released[kInputKeyCount];   // consecutive steps up, 0 while down
    GxKeyMask m_Down;
    GxKeyMask m_Pressed;        // went down in this step
    GxKeyMask m_ReleasedEdge;   // went up in this step
    GxKeyMask m_Repeat;         // pressed, then again 30 steps later and every second step after
    GxVector3 m_Axes[kInputAxisCount];   // x and y used, z 0
    std::uint8_t m_AxisActive[kInputAxisCount];
    std::int32_t m_PadLayout;   // pads: 1 takes the second stick from the rotations, else from z
    GxKeyMask m_PreviousDown;
    GxVector3 m_PreviousAxes[kInputAxisCount];
    std::uint8_t m_PreviousAxisActive[kInputAxisCount];
};

// Opens DirectInput and the devices for `window` and writes the device log; false when DirectInput
// itself cannot be created. Missing devices are skipped and never polled.
bool InitDirectInput(HWND window);

namespace GxInput {

// Unacquires and releases every device, then DirectInput (shut-down).
void ReleaseDevices();
// The window's activation changed: acquire or unacquire every present device.
void OnActivate(bool active);
// The per-step poll of every device, then the actions built from the bindings.
void Update();

// Record n (0 to 4); null for any other n.
GxInputDeviceState* GetDeviceState(std::int32_t n);
GxInputDeviceState* GetActionState();
bool IsAnyActionActive();

void ClearKeyBindings();
void ClearAxisBindings();
// bindings[code][slot] = action; slot 0 is stored but never builds an action, action 0 unbinds.
// Out-of-range arguments are logged and ignored.
void BindKey(std::int32_t code, std::int32_t action, std::int32_t slot);
// Action axis n copies axis `axis` of record `device`; -1 in either unbinds.
void BindAxis(std::int32_t n, std::int32_t device, std::int32_t axis);

void ClearAllDeviceStates();
// Zeroes one record but keeps its pad layout.
void ClearDeviceState(GxInputDeviceState* state);

}  // namespace GxInput
