#include "platform/dinput/pad_device.h"

#include "platform/win32/user_log.h"
#include "platform/win32/window_registry.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

constexpr LONG kDefaultMin = 0;
constexpr LONG kDefaultMax = 65535;
constexpr DWORD kCentredPov = 0xFFFFFFFFu;
constexpr int kControllerButtons = 10;
constexpr int kMaxButtons = 128;
constexpr int kMaxHats = 4;

// A pad's guidInstance: the SDL instance id in Data1 and a fixed mark in the rest.
constexpr WORD kPadMark2 = 0x5457;
constexpr WORD kPadMark3 = 0x5044;
constexpr BYTE kPadMark4[8] = {'T', 'W', 'P', 'A', 'D', 0, 0, 0};

// Buttons in the order Windows reports such a pad's buttons.
constexpr SDL_GameControllerButton kControllerButtonOrder[kControllerButtons] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,          SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,      SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
};

constexpr const char16_t* kAxisNames[8] = {u"X Axis", u"Y Axis", u"Z Axis", u"X Rotation",
                                           u"Y Rotation", u"Z Rotation", u"Slider", u"Slider"};

// Hundredths of a degree clockwise from up, by the horizontal and vertical direction.
DWORD PovFromDirection(int dx, int dy)
{
    if (dx == 0 && dy == 0) return kCentredPov;
    static constexpr DWORD kTable[3][3] = {
        {31500, 0, 4500},        // up-left, up, up-right
        {27000, 0, 9000},        // left, (centre), right
        {22500, 18000, 13500},   // down-left, down, down-right
    };
    return kTable[dy + 1][dx + 1];
}

DWORD PovFromHat(Uint8 hat)
{
    int dx = ((hat & SDL_HAT_RIGHT) ? 1 : 0) - ((hat & SDL_HAT_LEFT) ? 1 : 0);
    int dy = ((hat & SDL_HAT_DOWN) ? 1 : 0) - ((hat & SDL_HAT_UP) ? 1 : 0);
    return PovFromDirection(dx, dy);
}

LONG* AxisField(DIJOYSTATE2& state, int slot)
{
    LONG* fields[8] = {&state.lX, &state.lY, &state.lZ, &state.lRx, &state.lRy, &state.lRz,
                       &state.rglSlider[0], &state.rglSlider[1]};
    return fields[slot];
}

}  // namespace

PadDevice::PadDevice(DirectInput* owner, int deviceIndex) : InputDevice(owner)
{
    m_Min.fill(kDefaultMin);
    m_Max.fill(kDefaultMax);
    if (SDL_IsGameController(deviceIndex)) {
        m_Controller = SDL_GameControllerOpen(deviceIndex);
        if (m_Controller) m_Joystick = SDL_GameControllerGetJoystick(m_Controller);
    }
    if (!m_Joystick) m_Joystick = SDL_JoystickOpen(deviceIndex);
    if (!m_Joystick) {
        LogUserError("DirectInput: pad %d cannot be opened: %s", deviceIndex, SDL_GetError());
        return;
    }
    if (m_Controller) {
        for (int slot : {0, 1, 2, 3, 4}) m_HasAxis[static_cast<std::size_t>(slot)] = true;   // no lRz
    } else {
        int axes = std::min(SDL_JoystickNumAxes(m_Joystick), kAxisSlots);
        for (int slot = 0; slot < axes; ++slot) m_HasAxis[static_cast<std::size_t>(slot)] = true;
    }
}

PadDevice::~PadDevice()
{
    if (m_Controller)
        SDL_GameControllerClose(m_Controller);
    else if (m_Joystick)
        SDL_JoystickClose(m_Joystick);
}

DIDEVICEINSTANCEW PadDevice::DescribeDevice(int deviceIndex)
{
    DIDEVICEINSTANCEW instance{};
    instance.dwSize = sizeof instance;
    instance.guidInstance.Data1 = static_cast<DWORD>(SDL_JoystickGetDeviceInstanceID(deviceIndex));
    instance.guidInstance.Data2 = kPadMark2;
    instance.guidInstance.Data3 = kPadMark3;
    std::memcpy(instance.guidInstance.Data4, kPadMark4, sizeof kPadMark4);
    SDL_JoystickGUID product = SDL_JoystickGetDeviceGUID(deviceIndex);
    static_assert(sizeof product.data == sizeof(GUID));
    std::memcpy(&instance.guidProduct, product.data, sizeof(GUID));
    bool controller = SDL_IsGameController(deviceIndex);
    instance.dwDevType = controller ? (DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8))
                                    : (DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8));
    std::u16string name = ToUtf16(SDL_JoystickNameForIndex(deviceIndex));
    if (name.empty()) name = u"Game controller";
    std::size_t length = std::min<std::size_t>(name.size(), MAX_PATH - 1);
    std::copy_n(name.c_str(), length, instance.tszInstanceName);
    std::copy_n(name.c_str(), length, instance.tszProductName);
    instance.wUsagePage = 0x01;            // generic desktop
    instance.wUsage = controller ? 0x05 : 0x04;   // game pad, joystick
    return instance;
}

int PadDevice::InstanceIdFromGuid(const GUID& guid)
{
    if (guid.Data2 != kPadMark2 || guid.Data3 != kPadMark3 || std::memcmp(guid.Data4, kPadMark4, 8) != 0) return -1;
    return static_cast<int>(guid.Data1);
}

int PadDevice::AxisCount() const
{
    return static_cast<int>(std::count(m_HasAxis.begin(), m_HasAxis.end(), true));
}

int PadDevice::ButtonCount() const
{
    if (m_Controller) return kControllerButtons;
    return m_Joystick ? std::clamp(SDL_JoystickNumButtons(m_Joystick), 0, kMaxButtons) : 0;
}

int PadDevice::HatCount() const
{
    if (m_Controller) return 1;
    return m_Joystick ? std::clamp(SDL_JoystickNumHats(m_Joystick), 0, kMaxHats) : 0;
}

HRESULT PadDevice::GetCapabilities(LPDIDEVCAPS caps)
{
    DWORD type = m_Controller ? (DI8DEVTYPE_GAMEPAD | (DI8DEVTYPEGAMEPAD_STANDARD << 8))
                              : (DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8));
    DWORD flags = (IsAttached() ? DIDC_ATTACHED : 0) | DIDC_POLLEDDEVICE;
    return FillCapabilities(caps, flags, type, static_cast<DWORD>(AxisCount()), static_cast<DWORD>(ButtonCount()),
                            static_cast<DWORD>(HatCount()))
               ? DI_OK
               : DIERR_INVALIDPARAM;
}

HRESULT PadDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags)
{
    if (!callback) return DIERR_INVALIDPARAM;
    bool all = flags == DIDFT_ALL;
    if (all || (flags & DIDFT_AXIS))
        for (int slot = 0; slot < kAxisSlots; ++slot)
            if (m_HasAxis[static_cast<std::size_t>(slot)] &&
                !ReportObject(callback, reference, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(static_cast<DWORD>(slot)),
                              static_cast<DWORD>(slot) * 4, kAxisNames[slot]))
                return DI_OK;
    if (all || (flags & DIDFT_POV))
        for (int hat = 0; hat < HatCount(); ++hat)
            if (!ReportObject(callback, reference, DIDFT_POV | DIDFT_MAKEINSTANCE(static_cast<DWORD>(hat)),
                              static_cast<DWORD>(offsetof(DIJOYSTATE2, rgdwPOV) + 4 * hat), u"Hat Switch"))
                return DI_OK;
    if (all || (flags & DIDFT_BUTTON))
        for (int button = 0; button < ButtonCount(); ++button)
            if (!ReportObject(callback, reference, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(static_cast<DWORD>(button)),
                              static_cast<DWORD>(offsetof(DIJOYSTATE2, rgbButtons) + button), u"Button"))
                return DI_OK;
    return DI_OK;
}

HRESULT PadDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header)
{
    if (!header) return DIERR_INVALIDPARAM;
    if (!(property == DIPROP_RANGE)) return DIERR_UNSUPPORTED;
    if (header->dwHeaderSize != sizeof(DIPROPHEADER) || header->dwSize != sizeof(DIPROPRANGE))
        return DIERR_INVALIDPARAM;
    const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
    if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;

    int only = -1;   // one slot, or every axis
    switch (header->dwHow) {
    case DIPH_DEVICE:
        if (header->dwObj != 0) return DIERR_INVALIDPARAM;
        break;
    case DIPH_BYID:
        if (!(header->dwObj & DIDFT_AXIS)) return DIERR_OBJECTNOTFOUND;
        only = static_cast<int>(DIDFT_GETINSTANCE(header->dwObj));
        break;
    case DIPH_BYOFFSET:
        if (header->dwObj % 4 != 0) return DIERR_OBJECTNOTFOUND;
        only = static_cast<int>(header->dwObj / 4);
        break;
    default:
        return DIERR_INVALIDPARAM;
    }
    if (only >= 0 && (only >= kAxisSlots || !m_HasAxis[static_cast<std::size_t>(only)])) return DIERR_OBJECTNOTFOUND;
    for (int slot = 0; slot < kAxisSlots; ++slot) {
        if (only >= 0 && slot != only) continue;
        m_Min[static_cast<std::size_t>(slot)] = range->lMin;
        m_Max[static_cast<std::size_t>(slot)] = range->lMax;
    }
    return DI_OK;
}

LONG PadDevice::Scale(int slot, int value) const
{
    // SDL's -32768..32767 onto the axis range, rounded to the nearest step.
    std::int64_t low = m_Min[static_cast<std::size_t>(slot)];
    std::int64_t span = static_cast<std::int64_t>(m_Max[static_cast<std::size_t>(slot)]) - low;
    std::int64_t offset = static_cast<std::int64_t>(std::clamp(value, -32768, 32767)) + 32768;
    return static_cast<LONG>(low + (offset * span + 32767) / 65535);
}

bool PadDevice::IsAttached() const { return m_Joystick && SDL_JoystickGetAttached(m_Joystick); }

void PadDevice::Refresh() { SDL_JoystickUpdate(); }

HRESULT PadDevice::ReadState(void* data)
{
    DIJOYSTATE2 state{};
    for (DWORD& pov : state.rgdwPOV) pov = kCentredPov;
    if (m_Controller) {
        auto axis = [this](SDL_GameControllerAxis a) { return SDL_GameControllerGetAxis(m_Controller, a); };
        state.lX = Scale(0, axis(SDL_CONTROLLER_AXIS_LEFTX));
        state.lY = Scale(1, axis(SDL_CONTROLLER_AXIS_LEFTY));
        // Both triggers share one axis: the left pushes it up, the right down.
        state.lZ = Scale(2, axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) - axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
        state.lRx = Scale(3, axis(SDL_CONTROLLER_AXIS_RIGHTX));
        state.lRy = Scale(4, axis(SDL_CONTROLLER_AXIS_RIGHTY));
        for (int b = 0; b < kControllerButtons; ++b)
            state.rgbButtons[b] = SDL_GameControllerGetButton(m_Controller, kControllerButtonOrder[b]) ? 0x80 : 0;
        auto held = [this](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(m_Controller, b) ? 1 : 0; };
        state.rgdwPOV[0] = PovFromDirection(held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) - held(SDL_CONTROLLER_BUTTON_DPAD_LEFT),
                                            held(SDL_CONTROLLER_BUTTON_DPAD_DOWN) - held(SDL_CONTROLLER_BUTTON_DPAD_UP));
    } else {
        for (int slot = 0; slot < kAxisSlots; ++slot)
            if (m_HasAxis[static_cast<std::size_t>(slot)]) *AxisField(state, slot) = Scale(slot, SDL_JoystickGetAxis(m_Joystick, slot));
        for (int b = 0; b < ButtonCount(); ++b) state.rgbButtons[b] = SDL_JoystickGetButton(m_Joystick, b) ? 0x80 : 0;
        for (int h = 0; h < HatCount(); ++h) state.rgdwPOV[h] = PovFromHat(SDL_JoystickGetHat(m_Joystick, h));
    }
    std::memcpy(data, &state, sizeof state);
    return DI_OK;
}

}  // namespace platform
