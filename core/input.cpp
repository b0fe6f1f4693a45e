#include "core/input.h"

#include "core/key_code.h"
#include "foundation/log.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/window.h"

#include <cmath>
#include <cstring>

// Sections: global state · start-up and shut-down · polling · record processing · bindings

namespace {

constexpr std::int32_t kDeviceCount = 4;   // keyboard, mouse, pad 1, pad 2
constexpr std::int32_t kPadCount = 2;
constexpr DWORD kCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
constexpr LONG kPadRangeMin = -1000;
constexpr LONG kPadRangeMax = 1000;
constexpr float kKeyAxisStep = 600.0f;
constexpr float kStickThreshold = 600.0f;
constexpr LONG kTriggerThreshold = 400;
constexpr std::uint64_t kRepeatDelay = 30;   // steps before the first auto-repeat
// Acquire never reports a lost device twice in a row on this platform; the cap guards a hang.
constexpr int kMaxReacquire = 16;

struct AxisBinding {
    std::int32_t device = -1;
    std::int32_t axis = -1;
};

IDirectInput8W* g_DirectInput = nullptr;
IDirectInputDevice8W* g_Devices[kDeviceCount] = {};
DIDEVCAPS g_PadCaps[kPadCount] = {};
GxInputDeviceState g_States[kInputRecordCount] = {};
std::int32_t g_Bindings[kKeyCodeCount][kInputBindingSlots] = {};
AxisBinding g_AxisBindings[kInputAxisCount];

// Direction bits of a sector.
constexpr int kDirUp = 1;
constexpr int kDirDown = 2;
constexpr int kDirLeft = 4;
constexpr int kDirRight = 8;

// Whole degrees, 0 up and growing clockwise, to the directions of one of eight sectors.
int SectorDirections(int degrees)
{
    if (degrees < 0 || degrees > 365) return 0;
    if (degrees <= 22 || degrees >= 337) return kDirUp;
    if (degrees <= 67) return kDirUp | kDirRight;
    if (degrees <= 112) return kDirRight;
    if (degrees <= 157) return kDirDown | kDirRight;
    if (degrees <= 202) return kDirDown;
    if (degrees <= 247) return kDirDown | kDirLeft;
    if (degrees <= 292) return kDirLeft;
    return kDirUp | kDirLeft;
}

// ---- start-up and shut-down -------------------------------------------------------------------

void ReleaseDevice(IDirectInputDevice8W*& device)
{
    if (!device) return;
    device->Unacquire();
    device->Release();
    device = nullptr;
}

// Data format and cooperative level; on failure the device is released and the slot emptied.
bool PrepareDevice(IDirectInputDevice8W*& device, HWND window, const DIDATAFORMAT& format)
{
    if (!device) return false;
    if (FAILED(device->SetDataFormat(&format)) || FAILED(device->SetCooperativeLevel(window, kCooperation))) {
        ReleaseDevice(device);
        return false;
    }
    return true;
}

void OpenSystemDevice(std::int32_t slot, HWND window, REFGUID guid, const DIDATAFORMAT& format, const char16_t* name)
{
    IDirectInputDevice8W*& device = g_Devices[slot];
    if (FAILED(g_DirectInput->CreateDevice(guid, &device, nullptr))) device = nullptr;
    if (PrepareDevice(device, window, format))
        LogPrintDevice(u"\t・%s 初期化成功\n", name);
    else
        LogPrintDevice(u"\t・%s スキップ\n", name);
}

BOOL AddPad(LPCDIDEVICEINSTANCEW instance, LPVOID reference)
{
    auto* count = static_cast<std::int32_t*>(reference);
    if (*count >= kPadCount) return DIENUM_STOP;
    IDirectInputDevice8W*& device = g_Devices[kInputPad1 + *count];
    if (FAILED(g_DirectInput->CreateDevice(instance->guidInstance, &device, nullptr)) || !device) {
        device = nullptr;
        return DIENUM_CONTINUE;   // the next one may still open
    }
    DIDEVCAPS& caps = g_PadCaps[*count];
    caps = {};
    caps.dwSize = sizeof caps;
    if (FAILED(device->GetCapabilities(&caps))) {
        caps = {};
        caps.dwSize = sizeof caps;
    }
    ++*count;
    return *count >= kPadCount ? DIENUM_STOP : DIENUM_CONTINUE;
}

BOOL SetAxisRange(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID reference)
{
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwHow = DIPH_BYID;
    range.diph.dwObj = object->dwType;
    range.lMin = kPadRangeMin;
    range.lMax = kPadRangeMax;
    static_cast<IDirectInputDevice8W*>(reference)->SetProperty(DIPROP_RANGE, &range.diph);
    return DIENUM_CONTINUE;
}

void OpenPads(HWND window)
{
    std::int32_t count = 0;
    g_DirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, AddPad, &count, DIEDFL_ATTACHEDONLY);
    for (std::int32_t pad = 0; pad < kPadCount; ++pad) {
        IDirectInputDevice8W*& device = g_Devices[kInputPad1 + pad];
        if (!PrepareDevice(device, window, c_dfDIJoystick2)) {
            LogPrintDevice(u"\t・PAD%d スキップ\n", pad + 1);
            continue;
        }
        device->EnumObjects(SetAxisRange, device, DIDFT_AXIS);
        const DIDEVCAPS& caps = g_PadCaps[pad];
        LogPrintDevice(u"\t・PAD%d 初期化成功\n", pad + 1);
        LogPrintDevice(u"\t\t・タイプ:0x%08X\n", caps.dwDevType);
        LogPrintDevice(u"\t\t・フラグ:0x%08X\n", caps.dwFlags);
        LogPrintDevice(u"\t\t・軸の数:%u\n", caps.dwAxes);
        LogPrintDevice(u"\t\t・ボタンの数:%u\n", caps.dwButtons);
        LogPrintDevice(u"\t\t・ハットスイッチの数:%u\n", caps.dwPOVs);
    }
}

// ---- polling ----------------------------------------------------------------------------------

// Reads the device's state; on failure re-acquires it and the step has no input from it.
bool ReadDevice(IDirectInputDevice8W* device, DWORD size, void* data)
{
    if (SUCCEEDED(device->GetDeviceState(size, data))) return true;
    int tries = 0;
    while (device->Acquire() == DIERR_INPUTLOST && ++tries < kMaxReacquire) {
    }
    return false;
}

void MoveKeyAxis(GxInputDeviceState& state, std::int32_t axis, float dx, float dy)
{
    state.m_Axes[axis].x += dx;
    state.m_Axes[axis].y += dy;
    state.m_AxisActive[axis] = 1;
}

void PollKeyboard(IDirectInputDevice8W* device, GxInputDeviceState& state)
{
    BYTE keys[256] = {};
    if (!ReadDevice(device, sizeof keys, keys)) return;
    for (std::int32_t k = 1; k <= 237; ++k)
        if (keys[k] & 0x80) state.m_Down.Set(k);
    struct KeyAxis {
        BYTE key;
        std::int32_t axis;
        float dx, dy;
    };
    static constexpr KeyAxis kKeyAxes[] = {
        {DIK_UP, 0, 0, -kKeyAxisStep},      {DIK_DOWN, 0, 0, kKeyAxisStep},
        {DIK_LEFT, 0, -kKeyAxisStep, 0},    {DIK_RIGHT, 0, kKeyAxisStep, 0},
        {DIK_NUMPAD8, 1, 0, -kKeyAxisStep}, {DIK_NUMPAD2, 1, 0, kKeyAxisStep},
        {DIK_NUMPAD4, 1, -kKeyAxisStep, 0}, {DIK_NUMPAD6, 1, kKeyAxisStep, 0},
        {DIK_W, 2, 0, -kKeyAxisStep},       {DIK_S, 2, 0, kKeyAxisStep},
        {DIK_A, 2, -kKeyAxisStep, 0},       {DIK_D, 2, kKeyAxisStep, 0},
    };
    for (const KeyAxis& k : kKeyAxes)
        if (keys[k.key] & 0x80) MoveKeyAxis(state, k.axis, k.dx, k.dy);
}

void PollMouse(IDirectInputDevice8W* device, GxInputDeviceState& state)
{
    DIMOUSESTATE2 mouse{};
    if (!ReadDevice(device, sizeof mouse, &mouse)) return;
    for (std::int32_t b = 0; b < 8; ++b)
        if (mouse.rgbButtons[b] & 0x80) state.m_Down.Set(b + 1);
    state.m_Axes[0].x = static_cast<float>(mouse.lX);
    state.m_Axes[0].y = static_cast<float>(mouse.lY);
    if (mouse.lX != 0 || mouse.lY != 0) state.m_AxisActive[0] = 1;
    state.m_Axes[1].y = static_cast<float>(mouse.lZ);
    if (mouse.lZ > 1) {
        state.m_Down.Set(kInputMouseWheelUp);
        state.m_AxisActive[1] = 1;
    } else if (mouse.lZ < -1) {
        state.m_Down.Set(kInputMouseWheelDown);
        state.m_AxisActive[1] = 1;
    }
}

void SetDirectionKeys(GxInputDeviceState& state, int directions, std::int32_t upKey)
{
    if (directions & kDirUp) state.m_Down.Set(upKey);
    if (directions & kDirDown) state.m_Down.Set(upKey + 1);
    if (directions & kDirLeft) state.m_Down.Set(upKey + 2);
    if (directions & kDirRight) state.m_Down.Set(upKey + 3);
}

void SetStick(GxInputDeviceState& state, std::int32_t axis, LONG x, LONG y, std::int32_t upKey)
{
    GxVector3& v = state.m_Axes[axis];
    v.x = static_cast<float>(x);
    v.y = static_cast<float>(y);
    const double dx = x, dy = y;
    if (std::sqrt(dx * dx + dy * dy) <= kStickThreshold) return;
    // Up is negative y; clockwise puts right at 90 degrees.
    double degrees = std::atan2(dx, -dy) * 180.0 / 3.14159265358979323846;
    if (degrees < 0) degrees += 360.0;
    SetDirectionKeys(state, SectorDirections(static_cast<int>(std::lround(degrees))), upKey);
    state.m_AxisActive[axis] = 1;
}

void SetHat(GxInputDeviceState& state, std::int32_t axis, DWORD pov, std::int32_t upKey)
{
    GxVector3& v = state.m_Axes[axis];
    v.x = v.y = 0.0f;
    if ((pov & 0xFFFFu) == 0xFFFFu) return;   // centred
    const int directions = SectorDirections(static_cast<int>(pov / 100));
    if (directions & kDirUp) v.y = -kKeyAxisStep;
    if (directions & kDirDown) v.y = kKeyAxisStep;
    if (directions & kDirLeft) v.x = -kKeyAxisStep;
    if (directions & kDirRight) v.x = kKeyAxisStep;
    int keys = 0;
    if (v.y < -1.0f) keys |= kDirUp;
    if (v.y > 1.0f) keys |= kDirDown;
    if (v.x < -1.0f) keys |= kDirLeft;
    if (v.x > 1.0f) keys |= kDirRight;
    SetDirectionKeys(state, keys, upKey);
    if (keys) state.m_AxisActive[axis] = 1;
}

void PollPad(IDirectInputDevice8W* device, GxInputDeviceState& state)
{
    device->Poll();
    DIJOYSTATE2 pad{};
    if (!ReadDevice(device, sizeof pad, &pad)) return;
    for (std::int32_t b = 0; b < 16; ++b)
        if (pad.rgbButtons[b] & 0x80) state.m_Down.Set(b + 1);
    SetStick(state, 0, pad.lX, pad.lY, kInputPadStick1Up);
    if (state.m_PadLayout == 1) {
        SetStick(state, 1, pad.lRx, pad.lRy, kInputPadStick2Up);
        if (pad.lZ > kTriggerThreshold) state.m_Down.Set(kInputPadTrigger1);
        if (pad.lZ < -kTriggerThreshold) state.m_Down.Set(kInputPadTrigger2);
    } else {
        SetStick(state, 1, pad.lZ, pad.lRz, kInputPadStick2Up);
    }
    SetHat(state, 2, pad.rgdwPOV[0], kInputPadHat1Up);
    SetHat(state, 3, pad.rgdwPOV[1], kInputPadHat2Up);
}

void BeginPoll(GxInputDeviceState& state)
{
    state.m_Down.Clear();
    for (std::int32_t a = 0; a < kInputAxisCount; ++a) {
        state.m_Axes[a] = GxVector3();
        state.m_AxisActive[a] = 0;
    }
}

// ---- record processing ------------------------------------------------------------------------

void ProcessRecord(GxInputDeviceState& state)
{
    state.m_Pressed.Clear();
    state.m_ReleasedEdge.Clear();
    state.m_Repeat.Clear();
    for (std::int32_t k = 0; k < kInputKeyCount; ++k) {
        if (!state.m_Down.Test(k)) {
            if (state.m_PreviousDown.Test(k)) state.m_ReleasedEdge.Set(k);
            ++state.m_Released[k];
            state.m_Held[k] = 0;
            continue;
        }
        if (!state.m_PreviousDown.Test(k)) state.m_Pressed.Set(k);
        // Tested before the count moves on: repeats at held 30, 32, 34, ...
        if (state.m_Held[k] >= kRepeatDelay && (state.m_Held[k] - kRepeatDelay) % 2 == 0) state.m_Repeat.Set(k);
        ++state.m_Held[k];
        state.m_Released[k] = 0;
    }
    for (std::int32_t w = 0; w < 4; ++w) state.m_Repeat.m_Bits[w] |= state.m_Pressed.m_Bits[w];
    state.m_PreviousDown = state.m_Down;
    for (std::int32_t a = 0; a < kInputAxisCount; ++a) {
        state.m_PreviousAxes[a] = state.m_Axes[a];
        state.m_PreviousAxisActive[a] = state.m_AxisActive[a];
    }
}

void BuildActions()
{
    GxInputDeviceState& actions = g_States[kInputActions];
    actions.m_Down.Clear();
    for (std::int32_t slot = 1; slot < kInputBindingSlots; ++slot)
        for (std::int32_t code = 0; code < kKeyCodeCount; ++code) {
            const std::int32_t action = g_Bindings[code][slot];
            if (action != 0 && g_States[code / kInputKeyCount].m_Down.Test(code % kInputKeyCount))
                actions.m_Down.Set(action);
        }
    for (std::int32_t n = 0; n < kInputAxisCount; ++n) {
        const AxisBinding& binding = g_AxisBindings[n];
        if (binding.device >= 0 && binding.axis >= 0) {
            const GxInputDeviceState& source = g_States[binding.device];
            actions.m_Axes[n] = source.m_Axes[binding.axis];
            actions.m_AxisActive[n] = source.m_AxisActive[binding.axis];
        } else {
            actions.m_Axes[n] = GxVector3();
            actions.m_AxisActive[n] = 0;
        }
    }
}

}  // namespace

bool InitDirectInput(HWND window)
{
    // A second start-up must not leak the devices of the first.
    GxInput::ReleaseDevices();
    for (DIDEVCAPS& caps : g_PadCaps) caps = {};
    GxInput::ClearAllDeviceStates();
    KeyDisplayName();
    GxInput::ClearKeyBindings();
    GxInput::ClearAxisBindings();

    void* object = nullptr;
    if (FAILED(DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &object,
                                  nullptr)) ||
        !object) {
        LogPrintDevice(u"DirectInput8の初期化に失敗しました\n");
        return false;
    }
    g_DirectInput = static_cast<IDirectInput8W*>(object);
    LogPrintDevice(u"DirectInput8の初期化を開始します\n");
    OpenSystemDevice(kInputKeyboard, window, GUID_SysKeyboard, c_dfDIKeyboard, u"KEYBOARD");
    OpenSystemDevice(kInputMouse, window, GUID_SysMouse, c_dfDIMouse2, u"MOUSE");
    OpenPads(window);
    LogPrintDevice(u"DirectInput8の初期化完了\n");
    return true;
}

namespace GxInput {

void ReleaseDevices()
{
    for (IDirectInputDevice8W*& device : g_Devices) ReleaseDevice(device);
    if (g_DirectInput) {
        g_DirectInput->Release();
        g_DirectInput = nullptr;
    }
}

void OnActivate(bool active)
{
    for (IDirectInputDevice8W* device : g_Devices) {
        if (!device) continue;
        if (active)
            device->Acquire();
        else
            device->Unacquire();
    }
}

void Update()
{
    for (std::int32_t d = 0; d < kDeviceCount; ++d) {
        IDirectInputDevice8W* device = g_Devices[d];
        if (!device) continue;
        GxInputDeviceState& state = g_States[d];
        BeginPoll(state);
        if (d == kInputKeyboard)
            PollKeyboard(device, state);
        else if (d == kInputMouse)
            PollMouse(device, state);
        else
            PollPad(device, state);
        ProcessRecord(state);
    }
    BuildActions();
    ProcessRecord(g_States[kInputActions]);
}

GxInputDeviceState* GetDeviceState(std::int32_t n)
{
    if (n < 0 || n >= kInputRecordCount) {
        LogPrint(u"GxInput::GetDeviceState/デバイス番号が不正です (%d)\n", n);
        return nullptr;
    }
    return &g_States[n];
}

GxInputDeviceState* GetActionState() { return &g_States[kInputActions]; }

bool IsAnyActionActive()
{
    const GxInputDeviceState& actions = g_States[kInputActions];
    return actions.m_Down.Any() || actions.m_Pressed.Any() || actions.m_ReleasedEdge.Any() || actions.m_Repeat.Any();
}

void ClearKeyBindings() { std::memset(g_Bindings, 0, sizeof g_Bindings); }

void ClearAxisBindings()
{
    for (AxisBinding& binding : g_AxisBindings) binding = AxisBinding();
}

void BindKey(std::int32_t code, std::int32_t action, std::int32_t slot)
{
    if (code < 0 || code >= kKeyCodeCount || slot < 0 || slot >= kInputBindingSlots || action < 0 ||
        action >= kInputKeyCount) {
        LogPrint(u"GxInput::BindKey/引数が不正です (code=%d action=%d slot=%d)\n", code, action, slot);
        return;
    }
    g_Bindings[code][slot] = action;
}

void BindAxis(std::int32_t n, std::int32_t device, std::int32_t axis)
{
    if (n < 0 || n >= kInputAxisCount || device < -1 || device >= kDeviceCount || axis < -1 ||
        axis >= kInputAxisCount) {
        LogPrint(u"GxInput::BindAxis/引数が不正です (n=%d device=%d axis=%d)\n", n, device, axis);
        return;
    }
    g_AxisBindings[n] = {device, axis};
}

void ClearAllDeviceStates()
{
    for (GxInputDeviceState& state : g_States) state = GxInputDeviceState{};
}

void ClearDeviceState(GxInputDeviceState* state)
{
    if (!state) return;
    const std::int32_t layout = state->m_PadLayout;
    *state = GxInputDeviceState{};
    state->m_PadLayout = layout;
}

}  // namespace GxInput
