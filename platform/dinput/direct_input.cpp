#include "platform/dinput/direct_input.h"

#include "platform/dinput/input_device.h"
#include "platform/dinput/input_hub.h"
#include "platform/dinput/pad_device.h"
#include "platform/win32/user_log.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>

constexpr DWORD kDataFormatRelativeAxes = 0x2;
constexpr DWORD kDataFormatAbsoluteAxes = 0x1;

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), kDataFormatRelativeAxes, 256, 0,
                                     nullptr};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), kDataFormatRelativeAxes,
                                   sizeof(DIMOUSESTATE2), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), kDataFormatAbsoluteAxes,
                                      sizeof(DIJOYSTATE2), 0, nullptr};

namespace {

std::mutex g_FaultMutex;
platform::DirectInputFaults g_Faults;

DIDEVICEINSTANCEW SystemDevice(const GUID& guid, DWORD type, const char16_t* name)
{
    DIDEVICEINSTANCEW instance{};
    instance.dwSize = sizeof instance;
    instance.guidInstance = guid;
    instance.guidProduct = guid;
    instance.dwDevType = type;
    std::u16string text(name);
    std::copy(text.begin(), text.end(), instance.tszInstanceName);
    std::copy(text.begin(), text.end(), instance.tszProductName);
    return instance;
}

}  // namespace

namespace platform {

void SetDirectInputFaults(const DirectInputFaults& faults)
{
    std::lock_guard<std::mutex> lock(g_FaultMutex);
    g_Faults = faults;
}

DirectInputFaults CurrentDirectInputFaults()
{
    std::lock_guard<std::mutex> lock(g_FaultMutex);
    return g_Faults;
}

DirectInput::DirectInput() : m_Started(InputHub::Get().Start()) {}

DirectInput::~DirectInput()
{
    if (m_Started) InputHub::Get().Stop();
}

HRESULT DirectInput::CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8W* device, LPUNKNOWN outer)
{
    if (!device) return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    DirectInputFaults faults = CurrentDirectInputFaults();
    if (instance == GUID_SysKeyboard) {
        if (faults.keyboard != S_OK) return faults.keyboard;
        *device = new KeyboardDevice(this);
        return DI_OK;
    }
    if (instance == GUID_SysMouse) {
        if (faults.mouse != S_OK) return faults.mouse;
        *device = new MouseDevice(this);
        return DI_OK;
    }
    int instanceId = PadDevice::InstanceIdFromGuid(instance);
    if (instanceId < 0 || !InputHub::Get().HasJoysticks()) return DIERR_DEVICENOTREG;
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) != instanceId) continue;
        auto* pad = new PadDevice(this, index);
        if (!pad->IsOpen()) {
            pad->Release();
            return DIERR_UNPLUGGED;
        }
        *device = pad;
        return DI_OK;
    }
    return DIERR_DEVICENOTREG;   // unplugged since it was listed
}

HRESULT DirectInput::EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID reference, DWORD)
{
    if (!callback) return DIERR_INVALIDPARAM;
    bool all = deviceClass == DI8DEVCLASS_ALL;
    if (all || deviceClass == DI8DEVCLASS_KEYBOARD) {
        DIDEVICEINSTANCEW keyboard =
            SystemDevice(GUID_SysKeyboard, DI8DEVTYPE_KEYBOARD | (DI8DEVTYPEKEYBOARD_PCENH << 8), u"Keyboard");
        if (callback(&keyboard, reference) == DIENUM_STOP) return DI_OK;
    }
    if (all || deviceClass == DI8DEVCLASS_POINTER) {
        DIDEVICEINSTANCEW mouse = SystemDevice(GUID_SysMouse, DI8DEVTYPE_MOUSE | (DI8DEVTYPEMOUSE_UNKNOWN << 8), u"Mouse");
        if (callback(&mouse, reference) == DIENUM_STOP) return DI_OK;
    }
    if ((all || deviceClass == DI8DEVCLASS_GAMECTRL) && InputHub::Get().HasJoysticks()) {
        SDL_JoystickUpdate();   // notices pads plugged in since the last look
        // Every listed joystick is attached, so DIEDFL_ATTACHEDONLY changes nothing.
        for (int index = 0; index < SDL_NumJoysticks(); ++index) {
            DIDEVICEINSTANCEW pad = PadDevice::DescribeDevice(index);
            if (callback(&pad, reference) == DIENUM_STOP) break;
        }
    }
    return DI_OK;
}

}  // namespace platform

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* object, LPUNKNOWN outer)
{
    if (!object) return DIERR_INVALIDPARAM;
    *object = nullptr;
    platform::DirectInputFaults faults = platform::CurrentDirectInputFaults();
    if (faults.create != S_OK) return faults.create;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!instance) return DIERR_INVALIDPARAM;
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    if (!(riid == IID_IDirectInput8W) && !(riid == IID_IUnknown)) return DIERR_NOINTERFACE;
    auto* input = new platform::DirectInput();
    if (!input->IsStarted()) {
        input->Release();
        platform::LogUserError("DirectInput8Create: SDL input cannot start");
        return DIERR_GENERIC;
    }
    *object = static_cast<IDirectInput8W*>(input);
    return DI_OK;
}
