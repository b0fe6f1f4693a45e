// The DirectInput keyboard and mouse: SDL events as key bytes, motion, wheel and buttons; the
// foreground rule; the data-format and cooperative-level checks.
#include "dinput_fixture.h"

#include "platform/win32/keyboard.h"

#include <array>

namespace {

using namespace dinputtest;

TEST_F(DirectInputTest, PushedKeyIsBit7OfItsKeyByteOnTheNextRead)
{
    Released<IDirectInputDevice8W> keyboard{OpenDevice(GUID_SysKeyboard, c_dfDIKeyboard)};
    ASSERT_NE(keyboard.object, nullptr);
    std::array<BYTE, 256> keys{};

    PushKey(true, SDL_SCANCODE_RETURN);
    ASSERT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(keys[k], k == DIK_RETURN ? 0x80 : 0) << k;
    ASSERT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);   // still held
    EXPECT_EQ(keys[DIK_RETURN], 0x80);
    PushKey(false, SDL_SCANCODE_RETURN);
    ASSERT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);
    EXPECT_EQ(keys[DIK_RETURN], 0);

    // A tap that went down and up between two reads is seen once, not lost.
    PushKey(true, SDL_SCANCODE_SPACE);
    PushKey(false, SDL_SCANCODE_SPACE);
    keyboard->GetDeviceState(256, keys.data());
    EXPECT_EQ(keys[DIK_SPACE], 0x80);
    keyboard->GetDeviceState(256, keys.data());
    EXPECT_EQ(keys[DIK_SPACE], 0);
}

TEST(DirectInputKeyCodes, SdlScancodesMapToTheirKeyCodes)
{
    struct Case {
        SDL_Scancode scancode;
        BYTE key;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},      {SDL_SCANCODE_1, DIK_1},
        {SDL_SCANCODE_0, DIK_0},                {SDL_SCANCODE_Q, DIK_Q},
        {SDL_SCANCODE_A, DIK_A},                {SDL_SCANCODE_M, DIK_M},
        {SDL_SCANCODE_Z, DIK_Z},                {SDL_SCANCODE_RETURN, DIK_RETURN},
        {SDL_SCANCODE_SPACE, DIK_SPACE},        {SDL_SCANCODE_F10, DIK_F10},
        {SDL_SCANCODE_F11, DIK_F11},            {SDL_SCANCODE_F15, DIK_F15},
        {SDL_SCANCODE_KP_7, DIK_NUMPAD7},       {SDL_SCANCODE_KP_0, DIK_NUMPAD0},
        {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER}, {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE},
        {SDL_SCANCODE_RCTRL, DIK_RCONTROL},     {SDL_SCANCODE_RALT, DIK_RMENU},
        {SDL_SCANCODE_UP, DIK_UP},              {SDL_SCANCODE_DOWN, DIK_DOWN},
        {SDL_SCANCODE_LEFT, DIK_LEFT},          {SDL_SCANCODE_RIGHT, DIK_RIGHT},
        {SDL_SCANCODE_PAGEUP, DIK_PRIOR},       {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
        {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},  {SDL_SCANCODE_PAUSE, DIK_PAUSE},
        {SDL_SCANCODE_LGUI, DIK_LWIN},          {SDL_SCANCODE_APPLICATION, DIK_APPS},
        {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102},
        // Japanese keys.
        {SDL_SCANCODE_INTERNATIONAL1, DIK_ABNT_C1}, {SDL_SCANCODE_INTERNATIONAL2, DIK_KANA},
        {SDL_SCANCODE_INTERNATIONAL3, DIK_YEN},     {SDL_SCANCODE_INTERNATIONAL4, DIK_CONVERT},
        {SDL_SCANCODE_INTERNATIONAL5, DIK_NOCONVERT}, {SDL_SCANCODE_LANG5, DIK_KANJI},
        {SDL_SCANCODE_MEDIASELECT, DIK_MEDIASELECT}, {SDL_SCANCODE_SLEEP, DIK_SLEEP},
        {SDL_SCANCODE_UNKNOWN, 0},              {SDL_SCANCODE_F20, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::ScanCodeFromSdl(c.scancode), c.key) << c.scancode;
    EXPECT_EQ(DIK_MEDIASELECT, 237);
    EXPECT_EQ(platform::ScanCodeFromSdl(-1), 0);
    EXPECT_EQ(platform::ScanCodeFromSdl(SDL_NUM_SCANCODES), 0);
}

TEST_F(DirectInputTest, MouseMotionAndWheelAccumulateBetweenReads)
{
    Released<IDirectInputDevice8W> mouse{OpenDevice(GUID_SysMouse, c_dfDIMouse2)};
    ASSERT_NE(mouse.object, nullptr);
    auto push = [](SDL_Event e) { SDL_PushEvent(&e); };
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = 3, motion.motion.yrel = 4;
    push(motion);
    motion.motion.xrel = 5, motion.motion.yrel = -2;
    push(motion);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    push(wheel);
    push(wheel);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    push(button);
    button.button.button = SDL_BUTTON_X1;
    push(button);

    DIMOUSESTATE2 state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 8);
    EXPECT_EQ(state.lY, 2);
    EXPECT_EQ(state.lZ, 240);   // two notches of 120
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);   // right is button 1
    EXPECT_EQ(state.rgbButtons[3], 0x80);   // the first side button is button 3

    // The next read starts from zero; held buttons stay held.
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
}

TEST_F(DirectInputTest, ForegroundDevicesFailNotAcquiredWhileInactive)
{
    Released<IDirectInputDevice8W> keyboard{OpenDevice(GUID_SysKeyboard, c_dfDIKeyboard)};
    ASSERT_NE(keyboard.object, nullptr);
    std::array<BYTE, 256> keys{};
    ASSERT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);

    PushFocus(false);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys.data()), DIERR_NOTACQUIRED);
    // The engine re-acquires while it sees the input-lost error: that must end at once here.
    int attempts = 0;
    HRESULT result = keyboard->Acquire();
    while (result == DIERR_INPUTLOST && attempts < 100) {
        result = keyboard->Acquire();
        ++attempts;
    }
    EXPECT_EQ(attempts, 0);
    EXPECT_EQ(result, DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys.data()), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Poll(), DIERR_NOTACQUIRED);

    // Back in front: acquiring works again and keys read.
    PushFocus(true);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
    PushKey(true, SDL_SCANCODE_A);
    ASSERT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);
    EXPECT_EQ(keys[DIK_A], 0x80);

    // A background device reads whatever window has the focus.
    PushFocus(false);
    Released<IDirectInputDevice8W> background{nullptr};
    ASSERT_EQ(m_Input->CreateDevice(GUID_SysKeyboard, &background.object, nullptr), DI_OK);
    background->SetDataFormat(&c_dfDIKeyboard);
    ASSERT_EQ(background->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    EXPECT_EQ(background->Acquire(), DI_OK);
    EXPECT_EQ(background->GetDeviceState(256, keys.data()), DI_OK);
}

TEST_F(DirectInputTest, DevicesCheckFormatsSizesAndCooperativeLevels)
{
    IDirectInputDevice8W* raw = nullptr;
    ASSERT_EQ(m_Input->CreateDevice(GUID_SysKeyboard, &raw, nullptr), DI_OK);
    Released<IDirectInputDevice8W> keyboard{raw};
    std::array<BYTE, 256> keys{};
    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);                       // no format yet
    EXPECT_EQ(keyboard->GetDeviceState(256, keys.data()), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse2), DIERR_INVALIDPARAM);    // not a keyboard's
    EXPECT_EQ(keyboard->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);

    struct Level {
        HWND window;
        DWORD flags;
        HRESULT expected;
    } levels[] = {
        {m_Window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {m_Window, DISCL_NONEXCLUSIVE, DIERR_INVALIDPARAM},
        {m_Window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM},
        {nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, E_HANDLE},
        {m_Window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK},
    };
    for (const Level& l : levels) EXPECT_EQ(keyboard->SetCooperativeLevel(l.window, l.flags), l.expected) << l.flags;

    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->GetDeviceState(255, keys.data()), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->Poll(), DI_NOEFFECT);   // not a polled device
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
    EXPECT_EQ(keyboard->GetDeviceState(256, keys.data()), DIERR_NOTACQUIRED);

    DIDEVCAPS caps{};
    EXPECT_EQ(keyboard->GetCapabilities(&caps), DIERR_INVALIDPARAM);   // size not set
    caps.dwSize = sizeof caps;
    ASSERT_EQ(keyboard->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwDevType & 0xFFu, DI8DEVTYPE_KEYBOARD);
    EXPECT_EQ(caps.dwFlags & DIDC_ATTACHED, DIDC_ATTACHED);
}

}  // namespace
