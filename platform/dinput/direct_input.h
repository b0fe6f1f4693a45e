// The DirectInput 8 object: creates the devices and lists the attached game controllers
// (internal to the DirectInput layer).
#pragma once

#include "platform/dinput/dinput.h"

#include <atomic>

namespace platform {

class DirectInput final : public IDirectInput8W {
public:
    DirectInput();
    ~DirectInput();
    DirectInput(const DirectInput&) = delete;
    DirectInput& operator=(const DirectInput&) = delete;

    bool IsStarted() const { return m_Started; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8W* device, LPUNKNOWN outer) override;
    HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID reference, DWORD flags) override;

private:
    std::atomic<ULONG> m_References{1};
    bool m_Started = false;
};

DirectInputFaults CurrentDirectInputFaults();

}  // namespace platform
