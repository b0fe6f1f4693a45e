// The DirectInput object: creation arguments, injected failures, device listing and lifetime.
#include "dinput_fixture.h"

#include <array>
#include <vector>

namespace {

using namespace dinputtest;

TEST_F(DirectInputTest, CreationRejectsBadArgumentsAndInjectedFaults)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    struct Case {
        HINSTANCE instance;
        DWORD version;
        const IID* iid;
        bool outer;
        HRESULT expected;
    } cases[] = {
        {nullptr, DIRECTINPUT_VERSION, &IID_IDirectInput8W, false, DIERR_INVALIDPARAM},
        {instance, 0x0700, &IID_IDirectInput8W, false, DIERR_OLDDIRECTINPUTVERSION},
        {instance, 0x0900, &IID_IDirectInput8W, false, DIERR_BETADIRECTINPUTVERSION},
        {instance, DIRECTINPUT_VERSION, &IID_IDirectInputDevice8W, false, DIERR_NOINTERFACE},
        {instance, DIRECTINPUT_VERSION, &IID_IDirectInput8W, true, CLASS_E_NOAGGREGATION},
    };
    for (const Case& c : cases) {
        void* object = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(DirectInput8Create(c.instance, c.version, *c.iid, &object, c.outer ? static_cast<IUnknown*>(m_Input) : nullptr),
                  c.expected);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8W, nullptr, nullptr), DIERR_INVALIDPARAM);

    platform::SetDirectInputFaults({E_FAIL, DIERR_DEVICENOTREG, DIERR_OUTOFMEMORY});
    void* object = nullptr;
    EXPECT_EQ(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8W, &object, nullptr), E_FAIL);
    EXPECT_EQ(object, nullptr);
    IDirectInputDevice8W* device = nullptr;
    EXPECT_EQ(m_Input->CreateDevice(GUID_SysKeyboard, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(m_Input->CreateDevice(GUID_SysMouse, &device, nullptr), DIERR_OUTOFMEMORY);
    EXPECT_EQ(device, nullptr);
    platform::SetDirectInputFaults({});
    EXPECT_EQ(m_Input->CreateDevice(GUID_SysMouse, &device, nullptr), DI_OK);
    ASSERT_NE(device, nullptr);
    device->Release();

    // Unknown devices and bad arguments.
    EXPECT_EQ(m_Input->CreateDevice(IID_IUnknown, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(m_Input->CreateDevice(GUID_SysKeyboard, nullptr, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(m_Input->EnumDevices(DI8DEVCLASS_ALL, nullptr, nullptr, 0), DIERR_INVALIDPARAM);
}

TEST_F(DirectInputTest, EnumerationListsTheSystemDevicesByClass)
{
    auto collect = [](LPCDIDEVICEINSTANCEW instance, LPVOID reference) -> BOOL {
        static_cast<std::vector<GUID>*>(reference)->push_back(instance->guidInstance);
        return DIENUM_CONTINUE;
    };
    std::vector<GUID> all, keyboards, pointers;
    m_Input->EnumDevices(DI8DEVCLASS_ALL, collect, &all, DIEDFL_ALLDEVICES);
    m_Input->EnumDevices(DI8DEVCLASS_KEYBOARD, collect, &keyboards, DIEDFL_ATTACHEDONLY);
    m_Input->EnumDevices(DI8DEVCLASS_POINTER, collect, &pointers, DIEDFL_ATTACHEDONLY);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(all[0] == GUID_SysKeyboard);
    EXPECT_TRUE(all[1] == GUID_SysMouse);
    ASSERT_EQ(keyboards.size(), 1u);
    EXPECT_TRUE(keyboards[0] == GUID_SysKeyboard);
    ASSERT_EQ(pointers.size(), 1u);
    EXPECT_TRUE(pointers[0] == GUID_SysMouse);

    // Stopping the enumeration stops it.
    auto first = [](LPCDIDEVICEINSTANCEW, LPVOID reference) -> BOOL {
        ++*static_cast<int*>(reference);
        return DIENUM_STOP;
    };
    int calls = 0;
    m_Input->EnumDevices(DI8DEVCLASS_ALL, first, &calls, 0);
    EXPECT_EQ(calls, 1);
}

TEST_F(DirectInputTest, DevicesKeepTheirDirectInputObjectAlive)
{
    IDirectInputDevice8W* keyboard = OpenDevice(GUID_SysKeyboard, c_dfDIKeyboard);
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(m_Input->Release(), 1u);   // the device still holds it
    m_Input = nullptr;
    EXPECT_NE(SDL_WasInit(SDL_INIT_JOYSTICK), 0u);

    PushKey(true, SDL_SCANCODE_ESCAPE);
    std::array<BYTE, 256> keys{};
    ASSERT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);
    EXPECT_EQ(keys[DIK_ESCAPE], 0x80);

    void* unknown = nullptr;
    ASSERT_EQ(keyboard->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(keyboard->Release(), 1u);
    EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 0u);
    // The last object gone, SDL's joystick subsystem is let go too.
    EXPECT_EQ(SDL_WasInit(SDL_INIT_JOYSTICK), 0u);
}

}  // namespace
