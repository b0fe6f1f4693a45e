#include "platform/dinput/input_device.h"

#include "platform/dinput/direct_input.h"
#include "platform/dinput/input_hub.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/mouse.h"
#include "platform/win32/user_log.h"
#include "platform/win32/window.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

namespace platform {

constexpr DWORD kOlderCapabilitiesSize = 24;   // the record before the force-feedback fields

bool ReportObject(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD type, DWORD offset,
                  const char16_t* name)
{
    DIDEVICEOBJECTINSTANCEW object{};
    object.dwSize = sizeof object;
    object.dwOfs = offset;
    object.dwType = type;
    std::u16string text(name);
    std::copy_n(text.c_str(), std::min<std::size_t>(text.size(), MAX_PATH - 1), object.tszName);
    return callback(&object, reference) != DIENUM_STOP;
}

bool FillCapabilities(LPDIDEVCAPS caps, DWORD flags, DWORD type, DWORD axes, DWORD buttons, DWORD povs)
{
    if (!caps || (caps->dwSize != sizeof(DIDEVCAPS) && caps->dwSize != kOlderCapabilitiesSize)) return false;
    DWORD size = caps->dwSize;
    DIDEVCAPS full{};
    full.dwSize = size;
    full.dwFlags = flags;
    full.dwDevType = type;
    full.dwAxes = axes;
    full.dwButtons = buttons;
    full.dwPOVs = povs;
    std::memcpy(caps, &full, size);
    return true;
}

// --- the shared rules ------------------------------------------------------------------------

InputDevice::InputDevice(DirectInput* owner) : m_Owner(owner)
{
    m_Owner->AddRef();   // a device keeps its DirectInput object (and SDL) alive
    InputHub::Get().Register(this);
}

InputDevice::~InputDevice()
{
    InputHub::Get().Unregister(this);
    m_Owner->Release();
}

HRESULT InputDevice::SetProperty(REFGUID, LPCDIPROPHEADER header)
{
    return header ? DIERR_UNSUPPORTED : DIERR_INVALIDPARAM;
}

bool InputDevice::InForeground() const
{
    return !(m_Cooperation & DISCL_FOREGROUND) || GetActiveWindow() == m_Window;
}

HRESULT InputDevice::Acquire()
{
    if (!m_Format) return DIERR_INVALIDPARAM;
    if (!IsAttached()) {
        m_Acquired = false;
        return DIERR_UNPLUGGED;
    }
    // Never DIERR_INPUTLOST here: callers re-acquire for as long as they see that one.
    if (!InForeground()) {
        m_Acquired = false;
        return DIERR_OTHERAPPHASPRIO;
    }
    if (m_Acquired) return DI_NOEFFECT;
    m_Acquired = true;
    std::lock_guard<std::mutex> lock(InputHub::Get().Mutex());
    OnAcquire();
    return DI_OK;
}

HRESULT InputDevice::Unacquire()
{
    if (!m_Acquired) return DI_NOEFFECT;
    m_Acquired = false;
    return DI_OK;
}

HRESULT InputDevice::GetDeviceState(DWORD size, LPVOID data)
{
    if (!data || !m_Format || size != m_Format->dwDataSize) return DIERR_INVALIDPARAM;
    if (!m_Acquired) return DIERR_NOTACQUIRED;
    if (!InForeground()) {
        m_Acquired = false;   // the window lost the focus: as Windows does, the device lets go
        return DIERR_NOTACQUIRED;
    }
    Refresh();
    if (!IsAttached()) {
        m_Acquired = false;
        return DIERR_INPUTLOST;
    }
    if (!ReadsEventState()) return ReadState(data);
    std::lock_guard<std::mutex> lock(InputHub::Get().Mutex());
    return ReadState(data);
}

HRESULT InputDevice::SetDataFormat(LPCDIDATAFORMAT format)
{
    if (!format) return DIERR_INVALIDPARAM;
    if (m_Acquired) return DIERR_ACQUIRED;
    if (format != StandardFormat()) {
        LogUserError("DirectInput: only the device's standard data format is supported");
        return DIERR_INVALIDPARAM;
    }
    m_Format = format;
    return DI_OK;
}

HRESULT InputDevice::SetCooperativeLevel(HWND window, DWORD flags)
{
    DWORD sharing = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    DWORD focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if ((sharing != DISCL_EXCLUSIVE && sharing != DISCL_NONEXCLUSIVE) ||
        (focus != DISCL_FOREGROUND && focus != DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    if (focus == DISCL_FOREGROUND && !IsWindow(window)) return E_HANDLE;
    if (m_Acquired) return DIERR_ACQUIRED;
    m_Window = window;
    m_Cooperation = flags;
    return DI_OK;
}

HRESULT InputDevice::Poll()
{
    if (!m_Acquired || !InForeground()) {
        m_Acquired = false;
        return DIERR_NOTACQUIRED;
    }
    if (!IsPolled()) return DI_NOEFFECT;
    Refresh();
    return DI_OK;
}

void InputDevice::Refresh()
{
    // Events reach the devices through the hub's watch while SDL pumps; pump on the window thread.
    if (IsWindowThread()) SDL_PumpEvents();
}

// --- keyboard ------------------------------------------------------------------------------

KeyboardDevice::KeyboardDevice(DirectInput* owner) : InputDevice(owner) {}

HRESULT KeyboardDevice::GetCapabilities(LPDIDEVCAPS caps)
{
    return FillCapabilities(caps, DIDC_ATTACHED, DI8DEVTYPE_KEYBOARD | (DI8DEVTYPEKEYBOARD_PCENH << 8), 0, 128, 0)
               ? DI_OK
               : DIERR_INVALIDPARAM;
}

HRESULT KeyboardDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags)
{
    if (!callback) return DIERR_INVALIDPARAM;
    if (flags != DIDFT_ALL && !(flags & DIDFT_BUTTON)) return DI_OK;
    std::array<bool, 256> present{};
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) present[ScanCodeFromSdl(scancode)] = true;
    for (DWORD key = 1; key < 256; ++key)
        if (present[key] && !ReportObject(callback, reference, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(key), key, u"Key"))
            break;
    return DI_OK;
}

void KeyboardDevice::OnSdlEvent(const SDL_Event& event)
{
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        BYTE key = ScanCodeFromSdl(event.key.keysym.scancode);
        if (key == 0) return;
        bool down = event.type == SDL_KEYDOWN;
        m_Down[key] = down;
        if (down) m_PressedSinceRead[key] = true;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        m_Down.fill(false);   // their releases will go elsewhere
    }
}

HRESULT KeyboardDevice::ReadState(void* data)
{
    auto* keys = static_cast<BYTE*>(data);
    for (std::size_t k = 0; k < 256; ++k) keys[k] = (m_Down[k] || m_PressedSinceRead[k]) ? 0x80 : 0;
    m_PressedSinceRead.fill(false);
    return DI_OK;
}

void KeyboardDevice::OnAcquire() { m_PressedSinceRead.fill(false); }

// --- mouse ----------------------------------------------------------------------------------

namespace {

// SDL numbers left, middle, right, then the side buttons; DirectInput left, right, middle.
int MouseButtonIndex(Uint8 sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return sdlButton >= 4 && sdlButton <= 8 ? sdlButton - 1 : -1;
    }
}

LONG ClampLong(std::int64_t value) { return static_cast<LONG>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX)); }

}  // namespace

MouseDevice::MouseDevice(DirectInput* owner) : InputDevice(owner) {}

HRESULT MouseDevice::GetCapabilities(LPDIDEVCAPS caps)
{
    return FillCapabilities(caps, DIDC_ATTACHED, DI8DEVTYPE_MOUSE | (DI8DEVTYPEMOUSE_UNKNOWN << 8), 3, 8, 0)
               ? DI_OK
               : DIERR_INVALIDPARAM;
}

HRESULT MouseDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags)
{
    if (!callback) return DIERR_INVALIDPARAM;
    bool all = flags == DIDFT_ALL;
    if (all || (flags & DIDFT_AXIS)) {
        const char16_t* names[] = {u"X", u"Y", u"Wheel"};
        for (DWORD axis = 0; axis < 3; ++axis)
            if (!ReportObject(callback, reference, DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(axis), axis * 4, names[axis]))
                return DI_OK;
    }
    if (all || (flags & DIDFT_BUTTON))
        for (DWORD button = 0; button < 8; ++button)
            if (!ReportObject(callback, reference, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(button),
                              static_cast<DWORD>(offsetof(DIMOUSESTATE2, rgbButtons)) + button, u"Button"))
                return DI_OK;
    return DI_OK;
}

void MouseDevice::OnSdlEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_MOUSEMOTION:
        m_MoveX += event.motion.xrel;
        m_MoveY += event.motion.yrel;
        break;
    case SDL_MOUSEWHEEL:
        m_Wheel += WheelDeltaFromSdl(event.wheel.y, event.wheel.preciseY, event.wheel.direction);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int index = MouseButtonIndex(event.button.button);
        if (index < 0) break;
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        m_Down[static_cast<std::size_t>(index)] = down;
        if (down) m_PressedSinceRead[static_cast<std::size_t>(index)] = true;
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) m_Down.fill(false);
        break;
    default:
        break;
    }
}

HRESULT MouseDevice::ReadState(void* data)
{
    auto* state = static_cast<DIMOUSESTATE2*>(data);
    state->lX = ClampLong(m_MoveX);
    state->lY = ClampLong(m_MoveY);
    state->lZ = ClampLong(m_Wheel);
    for (std::size_t b = 0; b < 8; ++b) state->rgbButtons[b] = (m_Down[b] || m_PressedSinceRead[b]) ? 0x80 : 0;
    m_MoveX = m_MoveY = m_Wheel = 0;
    m_PressedSinceRead.fill(false);
    return DI_OK;
}

void MouseDevice::OnAcquire()
{
    m_MoveX = m_MoveY = m_Wheel = 0;
    m_PressedSinceRead.fill(false);
}

}  // namespace platform
