// The DirectInput 8 object: creates the devices and lists the attached game controllers
// (internal to the DirectInput layer).
#pragma once

#include "platform/dinput/dinput.h"
#include "platform/win32/com_object.h"

namespace platform {

class DirectInput final : public ComObject<IDirectInput8W, IID_IDirectInput8W> {
public:
    DirectInput();
    ~DirectInput() override;

    bool IsStarted() const { return m_Started; }

    HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8W* device, LPUNKNOWN outer) override;
    HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID reference, DWORD flags) override;

private:
    bool m_Started = false;
};

DirectInputFaults CurrentDirectInputFaults();

}  // namespace platform
