// Game controllers and joysticks through DirectInput, driven by SDL virtual joysticks.
#include "dinput_fixture.h"

#include <vector>

namespace {

using namespace dinputtest;

// A virtual pad attached for one test and detached afterwards.
class PadTest : public DirectInputTest {
protected:
    void TearDown() override
    {
        for (SDL_Joystick* j : m_Opened) SDL_JoystickClose(j);
        for (int index = SDL_NumJoysticks() - 1; index >= 0; --index)
            if (SDL_JoystickIsVirtual(index)) SDL_JoystickDetachVirtual(index);
        DirectInputTest::TearDown();
    }

    // Attaches a virtual joystick and returns an open handle to drive it.
    SDL_Joystick* Attach(SDL_JoystickType type, int axes, int buttons, int hats)
    {
        int index = SDL_JoystickAttachVirtual(type, axes, buttons, hats);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        m_Opened.push_back(joystick);
        return joystick;
    }

    std::vector<DIDEVICEINSTANCEW> Pads()
    {
        std::vector<DIDEVICEINSTANCEW> pads;
        auto collect = [](LPCDIDEVICEINSTANCEW instance, LPVOID reference) -> BOOL {
            static_cast<std::vector<DIDEVICEINSTANCEW>*>(reference)->push_back(*instance);
            return DIENUM_CONTINUE;
        };
        EXPECT_EQ(m_Input->EnumDevices(DI8DEVCLASS_GAMECTRL, collect, &pads, DIEDFL_ATTACHEDONLY), DI_OK);
        return pads;
    }

    // The engine's set-up of a pad: format, level, and -1000..1000 on every axis object.
    IDirectInputDevice8W* OpenPad(const DIDEVICEINSTANCEW& instance, int* axisObjects = nullptr)
    {
        IDirectInputDevice8W* pad = nullptr;
        EXPECT_EQ(m_Input->CreateDevice(instance.guidInstance, &pad, nullptr), DI_OK);
        if (!pad) return nullptr;
        EXPECT_EQ(pad->SetDataFormat(&c_dfDIJoystick2), DI_OK);
        EXPECT_EQ(pad->SetCooperativeLevel(m_Window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        struct Context {
            IDirectInputDevice8W* pad;
            int count;
        } context{pad, 0};
        auto setRange = [](LPCDIDEVICEOBJECTINSTANCEW object, LPVOID reference) -> BOOL {
            auto* c = static_cast<Context*>(reference);
            DIPROPRANGE range{};
            range.diph.dwSize = sizeof range;
            range.diph.dwHeaderSize = sizeof range.diph;
            range.diph.dwHow = DIPH_BYID;
            range.diph.dwObj = object->dwType;
            range.lMin = -1000;
            range.lMax = 1000;
            EXPECT_EQ(c->pad->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
            ++c->count;
            return DIENUM_CONTINUE;
        };
        EXPECT_EQ(pad->EnumObjects(setRange, &context, DIDFT_AXIS), DI_OK);
        if (axisObjects) *axisObjects = context.count;
        EXPECT_EQ(pad->Acquire(), DI_OK);
        return pad;
    }

    static DIJOYSTATE2 Read(IDirectInputDevice8W* pad)
    {
        DIJOYSTATE2 state{};
        EXPECT_EQ(pad->Poll(), DI_OK);
        EXPECT_EQ(pad->GetDeviceState(sizeof state, &state), DI_OK);
        return state;
    }

    std::vector<SDL_Joystick*> m_Opened;
};

TEST_F(PadTest, ControllerEnumeratesAsAPadWithScaledAxesButtonsAndPov)
{
    EXPECT_TRUE(Pads().empty());
    // The virtual controller's mapping: buttons a, b, x, y, back, guide, start, sticks, shoulders,
    // then the d-pad on 11 to 14; axes left x/y, right x/y, left and right trigger.
    SDL_Joystick* joystick = Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    auto pads = Pads();
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(pads[0].dwDevType & 0xFFu, DI8DEVTYPE_GAMEPAD);

    int axisObjects = 0;
    Released<IDirectInputDevice8W> pad{OpenPad(pads[0], &axisObjects)};
    ASSERT_NE(pad.object, nullptr);
    EXPECT_EQ(axisObjects, 5);
    DIDEVCAPS caps{};
    caps.dwSize = sizeof caps;
    ASSERT_EQ(pad->GetCapabilities(&caps), DI_OK);
    EXPECT_EQ(caps.dwAxes, 5u);
    EXPECT_EQ(caps.dwButtons, 10u);
    EXPECT_EQ(caps.dwPOVs, 1u);
    EXPECT_EQ(caps.dwFlags, DIDC_ATTACHED | DIDC_POLLEDDEVICE);

    DIJOYSTATE2 rest = Read(pad.object);
    EXPECT_EQ(rest.lX, 0);
    EXPECT_EQ(rest.lRy, 0);
    EXPECT_EQ(rest.lZ, 0);   // both triggers released
    for (DWORD pov : rest.rgdwPOV) EXPECT_EQ(pov, 0xFFFFFFFFu);

    SDL_JoystickSetVirtualAxis(joystick, 0, 32767);    // left stick right
    SDL_JoystickSetVirtualAxis(joystick, 1, -32768);   // left stick up
    SDL_JoystickSetVirtualAxis(joystick, 3, 16384);    // right stick half down
    SDL_JoystickSetVirtualAxis(joystick, 4, 32767);    // left trigger full
    SDL_JoystickSetVirtualButton(joystick, 0, 1);      // A
    SDL_JoystickSetVirtualButton(joystick, 10, 1);     // right shoulder
    SDL_JoystickSetVirtualButton(joystick, 11, 1);     // d-pad up
    SDL_JoystickSetVirtualButton(joystick, 14, 1);     // d-pad right
    DIJOYSTATE2 state = Read(pad.object);
    EXPECT_EQ(state.lX, 1000);
    EXPECT_EQ(state.lY, -1000);
    EXPECT_EQ(state.lRy, 500);
    EXPECT_EQ(state.lZ, 1000);
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[5], 0x80);   // shoulders are buttons 4 and 5
    EXPECT_EQ(state.rgbButtons[4], 0);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);     // up and right: 45 degrees

    SDL_JoystickSetVirtualAxis(joystick, 4, -32768);
    SDL_JoystickSetVirtualAxis(joystick, 5, 32767);   // right trigger pulls z the other way
    SDL_JoystickSetVirtualButton(joystick, 11, 0);
    state = Read(pad.object);
    EXPECT_EQ(state.lZ, -1000);
    EXPECT_EQ(state.rgdwPOV[0], 9000u);
}

TEST_F(PadTest, JoystickReadsAxesInOrderHatsAndPerAxisRanges)
{
    SDL_Joystick* joystick = Attach(SDL_JOYSTICK_TYPE_UNKNOWN, 4, 8, 2);
    auto pads = Pads();
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(pads[0].dwDevType & 0xFFu, DI8DEVTYPE_JOYSTICK);
    IDirectInputDevice8W* raw = nullptr;
    ASSERT_EQ(m_Input->CreateDevice(pads[0].guidInstance, &raw, nullptr), DI_OK);
    Released<IDirectInputDevice8W> pad{raw};
    ASSERT_EQ(pad->SetDataFormat(&c_dfDIJoystick2), DI_OK);

    // Only lY gets -1000..1000; the others keep the default 0..65535.
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwHow = DIPH_BYOFFSET;
    range.diph.dwObj = 4;
    range.lMin = -1000;
    range.lMax = 1000;
    ASSERT_EQ(pad->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);

    struct Bad {
        DWORD how, object;
        LONG min, max;
        DWORD size;
        HRESULT expected;
    } bad[] = {
        {DIPH_BYID, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(5), -1, 1, sizeof(DIPROPRANGE), DIERR_OBJECTNOTFOUND},
        {DIPH_BYOFFSET, 40, -1, 1, sizeof(DIPROPRANGE), DIERR_OBJECTNOTFOUND},
        {DIPH_BYID, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0), -1, 1, sizeof(DIPROPRANGE), DIERR_OBJECTNOTFOUND},
        {DIPH_DEVICE, 0, 5, 5, sizeof(DIPROPRANGE), DIERR_INVALIDPARAM},
        {DIPH_DEVICE, 0, -1, 1, sizeof(DIPROPHEADER), DIERR_INVALIDPARAM},
        {7, 0, -1, 1, sizeof(DIPROPRANGE), DIERR_INVALIDPARAM},
    };
    for (const Bad& b : bad) {
        DIPROPRANGE r = range;
        r.diph.dwHow = b.how;
        r.diph.dwObj = b.object;
        r.diph.dwSize = b.size;
        r.lMin = b.min;
        r.lMax = b.max;
        EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &r.diph), b.expected) << b.how << " " << b.object;
    }
    EXPECT_EQ(pad->SetProperty(DIPROP_DEADZONE, &range.diph), DIERR_UNSUPPORTED);
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, nullptr), DIERR_INVALIDPARAM);

    ASSERT_EQ(pad->SetCooperativeLevel(m_Window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(pad->Acquire(), DI_OK);
    SDL_JoystickSetVirtualAxis(joystick, 0, -32768);
    SDL_JoystickSetVirtualAxis(joystick, 1, 32767);
    SDL_JoystickSetVirtualAxis(joystick, 3, 32767);
    SDL_JoystickSetVirtualButton(joystick, 7, 1);
    SDL_JoystickSetVirtualHat(joystick, 0, SDL_HAT_RIGHTUP);
    SDL_JoystickSetVirtualHat(joystick, 1, SDL_HAT_LEFT);
    DIJOYSTATE2 state = Read(pad.object);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 1000);
    EXPECT_EQ(state.lRx, 65535);   // the fourth axis is lRx
    EXPECT_EQ(state.lRz, 0);       // absent
    EXPECT_EQ(state.rgbButtons[7], 0x80);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);
    EXPECT_EQ(state.rgdwPOV[1], 27000u);
    EXPECT_EQ(state.rgdwPOV[2], 0xFFFFFFFFu);
}

TEST_F(PadTest, UnpluggedPadFailsItsReadAndReacquiringEnds)
{
    Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    auto pads = Pads();
    ASSERT_EQ(pads.size(), 1u);
    Released<IDirectInputDevice8W> pad{OpenPad(pads[0])};
    ASSERT_NE(pad.object, nullptr);
    Read(pad.object);

    SDL_JoystickDetachVirtual(0);
    DIJOYSTATE2 state{};
    EXPECT_EQ(pad->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
    int attempts = 0;
    HRESULT result = pad->Acquire();
    while (result == DIERR_INPUTLOST && attempts < 100) {
        result = pad->Acquire();
        ++attempts;
    }
    EXPECT_EQ(attempts, 0);
    EXPECT_EQ(result, DIERR_UNPLUGGED);
    EXPECT_TRUE(Pads().empty());
    IDirectInputDevice8W* stale = nullptr;
    EXPECT_EQ(m_Input->CreateDevice(pads[0].guidInstance, &stale, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(stale, nullptr);
}

}  // namespace
