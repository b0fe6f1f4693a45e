// GxInput per device: keyboard axes, mouse buttons, motion and wheel, pad buttons, stick sectors,
// triggers, hats, the second pad, and the axis bindings of the actions.
#include "input_fixture.h"

#include "core/key_code.h"

namespace {

using namespace inputtest;

void ExpectAxis(const GxInputDeviceState& state, int axis, float x, float y, bool active)
{
    EXPECT_EQ(state.m_Axes[axis].x, x) << "axis " << axis;
    EXPECT_EQ(state.m_Axes[axis].y, y) << "axis " << axis;
    EXPECT_EQ(state.m_Axes[axis].z, 0.0f) << "axis " << axis;
    EXPECT_EQ(state.m_AxisActive[axis], active ? 1 : 0) << "axis " << axis;
}

TEST_F(InputTest, KeyboardArrowsNumpadAndWasdDriveThreeAxes)
{
    Start();
    GxInput::Update();
    struct Case {
        std::vector<SDL_Scancode> keys;
        int axis;
        float x, y;
    } cases[] = {
        {{SDL_SCANCODE_UP}, 0, 0, -600},
        {{SDL_SCANCODE_DOWN, SDL_SCANCODE_RIGHT}, 0, 600, 600},
        {{SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT}, 0, 0, 0},   // opposite keys cancel, still touched
        {{SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_4}, 1, -600, -600},
        {{SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_6}, 1, 600, 600},
        {{SDL_SCANCODE_W, SDL_SCANCODE_D}, 2, 600, -600},
        {{SDL_SCANCODE_S, SDL_SCANCODE_A}, 2, -600, 600},
    };
    for (const Case& c : cases) {
        for (SDL_Scancode key : c.keys) PushKey(true, key);
        GxInput::Update();
        SCOPED_TRACE(SDL_GetScancodeName(c.keys[0]));
        for (int axis = 0; axis < 4; ++axis) {
            if (axis == c.axis)
                ExpectAxis(Record(kInputKeyboard), axis, c.x, c.y, true);
            else
                ExpectAxis(Record(kInputKeyboard), axis, 0, 0, false);
        }
        for (SDL_Scancode key : c.keys) PushKey(false, key);
        GxInput::Update();
        for (int axis = 0; axis < 4; ++axis) ExpectAxis(Record(kInputKeyboard), axis, 0, 0, false);
    }
}

TEST_F(InputTest, MouseButtonsMotionAndWheel)
{
    Start();
    GxInput::BindKey(KeyCodeFromName(u"KC_MOUSE_WHEEL_UP"), 20, 1);
    GxInput::BindKey(KeyCodeFromName(u"KC_MOUSE_BTN8"), 21, 1);
    GxInput::Update();
    auto push = [](SDL_Event e) { SDL_PushEvent(&e); };
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.xrel = 3;
    e.motion.yrel = -4;
    push(e);
    e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 1;
    push(e);
    e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    push(e);
    e.button.button = 8;   // the fifth side button, DirectInput's eighth
    push(e);
    GxInput::Update();
    const GxInputDeviceState& mouse = Record(kInputMouse);
    EXPECT_TRUE(mouse.m_Pressed.Test(2));
    EXPECT_TRUE(mouse.m_Pressed.Test(8));
    EXPECT_FALSE(mouse.m_Down.Test(1));
    EXPECT_TRUE(mouse.m_Down.Test(kInputMouseWheelUp));
    EXPECT_FALSE(mouse.m_Down.Test(kInputMouseWheelDown));
    ExpectAxis(mouse, 0, 3, -4, true);
    ExpectAxis(mouse, 1, 0, 120, true);
    EXPECT_TRUE(Actions().m_Pressed.Test(20));
    EXPECT_TRUE(Actions().m_Pressed.Test(21));

    e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -2;
    push(e);
    GxInput::Update();
    EXPECT_TRUE(mouse.m_Pressed.Test(kInputMouseWheelDown));
    EXPECT_TRUE(mouse.m_ReleasedEdge.Test(kInputMouseWheelUp));
    ExpectAxis(mouse, 0, 0, 0, false);
    ExpectAxis(mouse, 1, 0, -240, true);
    EXPECT_TRUE(Actions().m_ReleasedEdge.Test(20));

    GxInput::Update();   // nothing moved: both axes rest
    ExpectAxis(mouse, 1, 0, 0, false);
    EXPECT_TRUE(mouse.m_Down.Test(2));
}

// A stick beyond length 600 selects the direction keys of its sector (0 degrees up, clockwise).
TEST_F(InputTest, PadStickSectorsAndThreshold)
{
    SDL_Joystick* joystick = AttachPad();
    Start();
    GxInput::BindKey(KeyCodeFromName(u"KC_PAD_DIR1_RIGHT"), 30, 1);
    GxInput::Update();
    enum { U = 1, D = 2, L = 4, R = 8 };
    struct Case {
        int x, y;
        int keys;
    } cases[] = {
        {700, 0, R},        {500, 0, 0},       {600, 0, 0},        {601, 0, R},
        {0, -700, U},       {0, 700, D},       {-700, 0, L},       {500, -500, U | R},
        {500, 500, D | R},  {-500, 500, D | L}, {-500, -500, U | L},
        // Sector edges after rounding to whole degrees: 22 is up, 23 up-right; 337 up, 336 up-left.
        {259, -642, U},     {276, -648, U | R}, {-273, -643, U},   {-284, -640, U | L},
    };
    for (const Case& c : cases) {
        SDL_JoystickSetVirtualAxis(joystick, 0, SdlAxis(c.x));
        SDL_JoystickSetVirtualAxis(joystick, 1, SdlAxis(c.y));
        GxInput::Update();
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const GxInputDeviceState& pad = Record(kInputPad1);
        ExpectAxis(pad, 0, static_cast<float>(c.x), static_cast<float>(c.y), c.keys != 0);
        EXPECT_EQ(pad.m_Down.Test(kInputPadStick1Up), (c.keys & U) != 0);
        EXPECT_EQ(pad.m_Down.Test(kInputPadStick1Up + 1), (c.keys & D) != 0);
        EXPECT_EQ(pad.m_Down.Test(kInputPadStick1Up + 2), (c.keys & L) != 0);
        EXPECT_EQ(pad.m_Down.Test(kInputPadStick1Up + 3), (c.keys & R) != 0);
        EXPECT_EQ(Actions().m_Down.Test(30), (c.keys & R) != 0);
    }
}

TEST_F(InputTest, PadLayoutChoosesTheSecondStickAndTriggers)
{
    SDL_Joystick* joystick = AttachPad();
    Start();
    Record(kInputPad1).m_PadLayout = 0;
    GxInput::Update();
    // lZ, lRx, lRy, lRz
    SDL_JoystickSetVirtualAxis(joystick, 2, SdlAxis(-700));
    SDL_JoystickSetVirtualAxis(joystick, 3, SdlAxis(300));
    SDL_JoystickSetVirtualAxis(joystick, 4, SdlAxis(800));
    SDL_JoystickSetVirtualAxis(joystick, 5, SdlAxis(100));
    SDL_JoystickSetVirtualButton(joystick, 0, 1);
    SDL_JoystickSetVirtualButton(joystick, 15, 1);
    GxInput::Update();
    const GxInputDeviceState& pad = Record(kInputPad1);
    EXPECT_TRUE(pad.m_Pressed.Test(1));
    EXPECT_TRUE(pad.m_Pressed.Test(16));
    ExpectAxis(pad, 0, 0, 0, false);
    ExpectAxis(pad, 1, -700, 100, true);   // (z, z rotation)
    EXPECT_TRUE(pad.m_Down.Test(kInputPadStick2Up + 2));   // left
    EXPECT_FALSE(pad.m_Down.Test(kInputPadTrigger2));

    Record(kInputPad1).m_PadLayout = 1;
    GxInput::Update();
    ExpectAxis(pad, 1, 300, 800, true);   // (x rotation, y rotation)
    EXPECT_TRUE(pad.m_Down.Test(kInputPadStick2Up + 1));   // down
    EXPECT_FALSE(pad.m_Down.Test(kInputPadStick2Up + 2));
    EXPECT_TRUE(pad.m_Pressed.Test(kInputPadTrigger2));    // z below -400
    EXPECT_FALSE(pad.m_Down.Test(kInputPadTrigger1));

    SDL_JoystickSetVirtualAxis(joystick, 2, SdlAxis(401));
    GxInput::Update();
    EXPECT_TRUE(pad.m_Pressed.Test(kInputPadTrigger1));
    EXPECT_TRUE(pad.m_ReleasedEdge.Test(kInputPadTrigger2));
    SDL_JoystickSetVirtualAxis(joystick, 2, SdlAxis(400));
    GxInput::Update();
    EXPECT_FALSE(pad.m_Down.Test(kInputPadTrigger1));
}

TEST_F(InputTest, PadHatsSetAxesTwoAndThreeAndTheirKeys)
{
    SDL_Joystick* joystick = AttachPad();
    Start();
    GxInput::Update();
    struct Case {
        Uint8 hat;
        float x, y;
    } cases[] = {
        {SDL_HAT_CENTERED, 0, 0},      {SDL_HAT_UP, 0, -600},       {SDL_HAT_RIGHTUP, 600, -600},
        {SDL_HAT_RIGHT, 600, 0},       {SDL_HAT_RIGHTDOWN, 600, 600}, {SDL_HAT_DOWN, 0, 600},
        {SDL_HAT_LEFTDOWN, -600, 600}, {SDL_HAT_LEFT, -600, 0},     {SDL_HAT_LEFTUP, -600, -600},
    };
    const GxInputDeviceState& pad = Record(kInputPad1);
    for (const Case& c : cases) {
        for (int hat = 0; hat < 2; ++hat) {
            SDL_JoystickSetVirtualHat(joystick, hat, c.hat);
            SDL_JoystickSetVirtualHat(joystick, 1 - hat, SDL_HAT_CENTERED);
            GxInput::Update();
            SCOPED_TRACE(std::to_string(c.hat) + " on hat " + std::to_string(hat));
            const bool moved = c.hat != SDL_HAT_CENTERED;
            ExpectAxis(pad, 2 + hat, c.x, c.y, moved);
            ExpectAxis(pad, 3 - hat, 0, 0, false);
            const std::int32_t up = hat == 0 ? kInputPadHat1Up : kInputPadHat2Up;
            const std::int32_t other = hat == 0 ? kInputPadHat2Up : kInputPadHat1Up;
            EXPECT_EQ(pad.m_Down.Test(up), c.y < 0);
            EXPECT_EQ(pad.m_Down.Test(up + 1), c.y > 0);
            EXPECT_EQ(pad.m_Down.Test(up + 2), c.x < 0);
            EXPECT_EQ(pad.m_Down.Test(up + 3), c.x > 0);
            for (int k = 0; k < 4; ++k) EXPECT_FALSE(pad.m_Down.Test(other + k));
        }
    }
}

// Pad 2 fills its own record, but pad key codes name pad 1: only an axis binding reaches pad 2.
TEST_F(InputTest, SecondPadServesAxisBindingsOnly)
{
    SDL_Joystick* first = AttachPad();
    SDL_Joystick* second = AttachPad();
    Start();
    GxInput::BindKey(KeyCodeFromName(u"KC_PAD_BTN01"), 50, 1);
    GxInput::BindAxis(0, kInputPad1, 0);
    GxInput::BindAxis(1, kInputPad2, 0);
    GxInput::Update();
    SDL_JoystickSetVirtualButton(second, 0, 1);
    SDL_JoystickSetVirtualAxis(second, 0, SdlAxis(-900));
    SDL_JoystickSetVirtualAxis(first, 1, SdlAxis(300));
    GxInput::Update();
    EXPECT_TRUE(Record(kInputPad2).m_Pressed.Test(1));
    EXPECT_FALSE(Actions().m_Down.Test(50));
    ExpectAxis(Record(kInputPad2), 0, -900, 0, true);
    ExpectAxis(Actions(), 0, 0, 300, false);   // copied with its flag: below the threshold
    ExpectAxis(Actions(), 1, -900, 0, true);
    ExpectAxis(Actions(), 2, 0, 0, false);     // unbound

    SDL_JoystickSetVirtualButton(first, 0, 1);
    GxInput::Update();
    EXPECT_TRUE(Actions().m_Pressed.Test(50));

    GxInput::ClearAxisBindings();
    GxInput::Update();
    for (int axis = 0; axis < 4; ++axis) ExpectAxis(Actions(), axis, 0, 0, false);
}

TEST_F(InputTest, WithoutAPadItsAxisBindingStaysInactiveAndZero)
{
    Start();
    GxInput::BindAxis(0, kInputPad1, 0);
    GxInput::BindKey(KeyCodeFromName(u"KC_PAD_BTN01"), 50, 1);
    GxInput::Update();
    PushKey(true, SDL_SCANCODE_UP);   // the keyboard's axis 0 moves; the pad's does not exist
    GxInput::Update();
    ExpectAxis(Record(kInputKeyboard), 0, 0, -600, true);
    ExpectAxis(Actions(), 0, 0, 0, false);
    EXPECT_FALSE(GxInput::IsAnyActionActive());
}

}  // namespace
