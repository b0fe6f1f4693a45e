// DirectInput devices: the shared acquisition, data-format and cooperative-level rules, and the
// system keyboard and mouse fed by SDL events (internal to the DirectInput layer).
#pragma once

#include "platform/dinput/dinput.h"
#include "platform/win32/com_object.h"

#include <array>
#include <cstdint>

union SDL_Event;

namespace platform {

class DirectInput;

class InputDevice : public ComObject<IDirectInputDevice8W, IID_IDirectInputDevice8W> {
public:
    explicit InputDevice(DirectInput* owner);
    ~InputDevice() override;

    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT Poll() override;

    // Called for every SDL event with the hub's mutex held.
    virtual void OnSdlEvent(const SDL_Event&) {}

protected:
    virtual const DIDATAFORMAT* StandardFormat() const = 0;
    // Fills `data` (the format's size) and starts a new reading period.
    virtual HRESULT ReadState(void* data) = 0;
    // Forgets what happened while the device was not acquired.
    virtual void OnAcquire() {}
    virtual bool IsAttached() const { return true; }
    virtual bool IsPolled() const { return false; }
    // Whether ReadState reads state that the SDL event watch writes (guarded by the hub's mutex).
    virtual bool ReadsEventState() const { return true; }
    // Brings the device's source up to date (outside the hub's mutex).
    virtual void Refresh();

private:
    bool InForeground() const;

    DirectInput* m_Owner;
    const DIDATAFORMAT* m_Format = nullptr;
    HWND m_Window = nullptr;
    DWORD m_Cooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool m_Acquired = false;
};

class KeyboardDevice final : public InputDevice {
public:
    explicit KeyboardDevice(DirectInput* owner);

    HRESULT GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags) override;
    void OnSdlEvent(const SDL_Event& event) override;

protected:
    const DIDATAFORMAT* StandardFormat() const override { return &c_dfDIKeyboard; }
    HRESULT ReadState(void* data) override;
    void OnAcquire() override;

private:
    std::array<bool, 256> m_Down{};
    std::array<bool, 256> m_PressedSinceRead{};
};

class MouseDevice final : public InputDevice {
public:
    explicit MouseDevice(DirectInput* owner);

    HRESULT GetCapabilities(LPDIDEVCAPS caps) override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags) override;
    void OnSdlEvent(const SDL_Event& event) override;

protected:
    const DIDATAFORMAT* StandardFormat() const override { return &c_dfDIMouse2; }
    HRESULT ReadState(void* data) override;
    void OnAcquire() override;

private:
    std::int64_t m_MoveX = 0, m_MoveY = 0, m_Wheel = 0;
    std::array<bool, 8> m_Down{};
    std::array<bool, 8> m_PressedSinceRead{};
};

// Calls the callback for one object; false when it asked to stop.
bool ReportObject(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD type, DWORD offset,
                  const char16_t* name);
// The capabilities record after checking its size (current or the older, shorter one).
bool FillCapabilities(LPDIDEVCAPS caps, DWORD flags, DWORD type, DWORD axes, DWORD buttons, DWORD povs);

}  // namespace platform
