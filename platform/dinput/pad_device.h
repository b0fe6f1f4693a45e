// A game controller or joystick as a DirectInput device (internal to the DirectInput layer).
#pragma once

#include "platform/dinput/input_device.h"

#include <array>
#include <string>

struct _SDL_Joystick;
struct _SDL_GameController;

namespace platform {

class PadDevice final : public InputDevice {
public:
    // Opens the SDL joystick at `deviceIndex`; IsOpen tells whether that worked.
    PadDevice(DirectInput* owner, int deviceIndex);
    ~PadDevice() override;

    bool IsOpen() const { return m_Joystick != nullptr; }

    HRESULT GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags) override;
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;

    // The instance record EnumDevices reports for the joystick at `deviceIndex`.
    static DIDEVICEINSTANCEW DescribeDevice(int deviceIndex);
    // The SDL joystick instance id a pad's guidInstance names, or -1.
    static int InstanceIdFromGuid(const GUID& guid);

protected:
    const DIDATAFORMAT* StandardFormat() const override { return &c_dfDIJoystick2; }
    HRESULT ReadState(void* data) override;
    bool IsAttached() const override;
    bool IsPolled() const override { return true; }
    bool ReadsEventState() const override { return false; }
    void Refresh() override;

private:
    static constexpr int kAxisSlots = 8;   // lX, lY, lZ, lRx, lRy, lRz, slider 0, slider 1

    LONG Scale(int slot, int value) const;
    int AxisCount() const;
    int ButtonCount() const;
    int HatCount() const;

    _SDL_Joystick* m_Joystick = nullptr;
    _SDL_GameController* m_Controller = nullptr;   // set when SDL knows the layout
    std::array<bool, kAxisSlots> m_HasAxis{};
    std::array<LONG, kAxisSlots> m_Min{};
    std::array<LONG, kAxisSlots> m_Max{};
};

}  // namespace platform
