// GxInput: start-up and its device log, per-key counts with edges and auto-repeat, actions built
// from the key bindings, activation, and bad arguments.
#include "input_fixture.h"

#include "core/key_code.h"

#include <set>

namespace {

using namespace inputtest;

const std::u16string kLogStart = u"DirectInput8の初期化を開始します\r\n";
const std::u16string kLogDone = u"DirectInput8の初期化完了\r\n";

TEST_F(InputTest, StartUpWritesTheDeviceLogLineByLine)
{
    AttachPad();
    ASSERT_TRUE(InitDirectInput(m_Window));
    EXPECT_EQ(DeviceLog(), kLogStart +
                               u"\t・KEYBOARD 初期化成功\r\n"
                               u"\t・MOUSE 初期化成功\r\n"
                               u"\t・PAD1 初期化成功\r\n"
                               u"\t\t・タイプ:0x00000214\r\n"   // joystick, standard
                               u"\t\t・フラグ:0x00000003\r\n"   // attached, polled
                               u"\t\t・軸の数:6\r\n"
                               u"\t\t・ボタンの数:16\r\n"
                               u"\t\t・ハットスイッチの数:2\r\n"
                               u"\t・PAD2 スキップ\r\n" +
                               kLogDone);
    // Start-up also fills the key display names.
    EXPECT_EQ(GetKeyDisplayText(28), u"ENTER");
}

TEST_F(InputTest, MissingDevicesAreSkippedAndAFailedStartUpSaysSo)
{
    platform::SetDirectInputFaults({S_OK, DIERR_DEVICENOTREG, DIERR_DEVICENOTREG});
    ASSERT_TRUE(InitDirectInput(m_Window));
    EXPECT_EQ(DeviceLog(), kLogStart +
                               u"\t・KEYBOARD スキップ\r\n"
                               u"\t・MOUSE スキップ\r\n"
                               u"\t・PAD1 スキップ\r\n"
                               u"\t・PAD2 スキップ\r\n" +
                               kLogDone);
    // Skipped devices are never polled.
    GxInput::BindKey(DIK_RETURN, 3, 1);
    PushKey(true, SDL_SCANCODE_RETURN);
    GxInput::Update();
    GxInput::Update();
    EXPECT_FALSE(Record(kInputKeyboard).m_Down.Any());
    EXPECT_FALSE(GxInput::IsAnyActionActive());
    GxInput::ReleaseDevices();

    std::filesystem::remove(m_LogPath);
    platform::SetDirectInputFaults({DIERR_OUTOFMEMORY, S_OK, S_OK});
    EXPECT_FALSE(InitDirectInput(m_Window));
    EXPECT_EQ(DeviceLog(), u"DirectInput8の初期化に失敗しました\r\n");
    GxInput::Update();   // nothing to poll, nothing breaks
    EXPECT_FALSE(GxInput::IsAnyActionActive());
}

TEST_F(InputTest, StartingAgainReplacesTheDevicesAndForgetsBindings)
{
    Start();
    GxInput::BindKey(DIK_SPACE, 9, 1);
    Start();   // the first set of devices is released, not leaked
    PushKey(true, SDL_SCANCODE_SPACE);
    GxInput::Update();
    EXPECT_TRUE(Record(kInputKeyboard).m_Down.Test(DIK_SPACE));
    EXPECT_FALSE(Actions().m_Down.Test(9));
}

// Held 40 steps: pressed once, repeat on the press and then at held counts 30, 32, ... 38, the
// released edge one step after the key is let go. The bound action follows the same rules.
TEST_F(InputTest, HeldKeyCountsStepsAndRepeatsAfterThirtySteps)
{
    Start();
    GxInput::BindKey(DIK_Z, 42, 1);
    GxInput::Update();
    PushKey(true, SDL_SCANCODE_Z);
    const std::set<int> repeatSteps = {1, 31, 33, 35, 37, 39};
    for (int step = 1; step <= 40; ++step) {
        GxInput::Update();
        SCOPED_TRACE(step);
        for (const GxInputDeviceState* state : {&Record(kInputKeyboard), &Actions()}) {
            const std::int32_t key = state == &Actions() ? 42 : DIK_Z;
            EXPECT_TRUE(state->m_Down.Test(key));
            EXPECT_EQ(state->m_Pressed.Test(key), step == 1);
            EXPECT_EQ(state->m_Repeat.Test(key), repeatSteps.count(step) == 1);
            EXPECT_FALSE(state->m_ReleasedEdge.Test(key));
            EXPECT_EQ(state->m_Held[key], static_cast<std::uint64_t>(step));
            EXPECT_EQ(state->m_Released[key], 0u);
        }
    }
    PushKey(false, SDL_SCANCODE_Z);
    for (int step = 41; step <= 42; ++step) {
        GxInput::Update();
        SCOPED_TRACE(step);
        for (const GxInputDeviceState* state : {&Record(kInputKeyboard), &Actions()}) {
            const std::int32_t key = state == &Actions() ? 42 : DIK_Z;
            EXPECT_FALSE(state->m_Down.Test(key));
            EXPECT_EQ(state->m_ReleasedEdge.Test(key), step == 41);
            EXPECT_FALSE(state->m_Repeat.Test(key));
            EXPECT_EQ(state->m_Held[key], 0u);
            EXPECT_EQ(state->m_Released[key], static_cast<std::uint64_t>(step - 40));
        }
    }
    EXPECT_FALSE(GxInput::IsAnyActionActive());
}

TEST_F(InputTest, OnlyBindingSlotsOneToSevenBuildActions)
{
    Start();
    GxInput::BindKey(DIK_A, 5, 0);
    GxInput::BindKey(DIK_B, 6, 7);
    GxInput::BindKey(kKeyCodeMouseBase + 1, 7, 3);   // mouse left
    GxInput::Update();
    PushKey(true, SDL_SCANCODE_A);
    PushKey(true, SDL_SCANCODE_B);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&click);
    GxInput::Update();
    EXPECT_FALSE(Actions().m_Down.Test(5));   // slot 0 is stored only
    EXPECT_TRUE(Actions().m_Pressed.Test(6));
    EXPECT_TRUE(Actions().m_Pressed.Test(7));
    EXPECT_TRUE(GxInput::IsAnyActionActive());

    GxInput::BindKey(DIK_A, 5, 1);
    GxInput::BindKey(DIK_B, 0, 7);   // action 0 unbinds
    GxInput::Update();
    EXPECT_TRUE(Actions().m_Pressed.Test(5));   // pressed for the action, though the key was held
    EXPECT_FALSE(Actions().m_Down.Test(6));
    EXPECT_TRUE(Actions().m_ReleasedEdge.Test(6));

    GxInput::ClearKeyBindings();
    GxInput::Update();
    GxInput::Update();
    EXPECT_TRUE(Record(kInputKeyboard).m_Down.Test(DIK_A));
    EXPECT_FALSE(GxInput::IsAnyActionActive());
}

TEST_F(InputTest, TwoKeysOnOneActionGiveOnePressAndOneRelease)
{
    Start();
    GxInput::BindKey(DIK_RETURN, 7, 1);
    GxInput::BindKey(DIK_SPACE, 7, 2);
    GxInput::Update();
    struct Step {
        bool down;
        SDL_Scancode key;
        bool actionDown, pressed, released;
    } steps[] = {
        {true, SDL_SCANCODE_RETURN, true, true, false},
        {true, SDL_SCANCODE_SPACE, true, false, false},    // the second key adds no press
        {false, SDL_SCANCODE_RETURN, true, false, false},  // still held by the other key
        {false, SDL_SCANCODE_SPACE, false, false, true},
    };
    for (const Step& s : steps) {
        PushKey(s.down, s.key);
        GxInput::Update();
        SCOPED_TRACE(std::string(s.down ? "down " : "up ") + SDL_GetScancodeName(s.key));
        EXPECT_EQ(Actions().m_Down.Test(7), s.actionDown);
        EXPECT_EQ(Actions().m_Pressed.Test(7), s.pressed);
        EXPECT_EQ(Actions().m_ReleasedEdge.Test(7), s.released);
    }
}

// Deactivation unacquires: no keys until the window is active again. A read that fails with the
// window still active re-acquires, so only that one step is lost.
TEST_F(InputTest, DeactivationStopsInputUntilReactivated)
{
    Start();
    GxInput::BindKey(DIK_X, 1, 1);
    PushKey(true, SDL_SCANCODE_X);
    GxInput::Update();
    ASSERT_TRUE(Actions().m_Down.Test(1));

    GxInput::OnActivate(false);
    GxInput::Update();
    EXPECT_FALSE(Record(kInputKeyboard).m_Down.Any());
    EXPECT_TRUE(Actions().m_ReleasedEdge.Test(1));
    GxInput::Update();
    EXPECT_TRUE(Actions().m_Down.Test(1));   // re-acquired by the failed read
    EXPECT_TRUE(Actions().m_Pressed.Test(1));

    PushFocus(false);
    GxInput::OnActivate(false);
    PushKey(true, SDL_SCANCODE_Y);
    for (int step = 0; step < 3; ++step) {
        GxInput::Update();
        EXPECT_FALSE(Record(kInputKeyboard).m_Down.Any()) << step;
        EXPECT_FALSE(Record(kInputMouse).m_Down.Any()) << step;
    }
    EXPECT_FALSE(GxInput::IsAnyActionActive());

    PushFocus(true);
    GxInput::OnActivate(true);
    PushKey(true, SDL_SCANCODE_X);
    GxInput::Update();
    EXPECT_TRUE(Actions().m_Pressed.Test(1));
}

TEST_F(InputTest, RecordsClearWithOrWithoutThePadLayout)
{
    Start();
    PushKey(true, SDL_SCANCODE_Q);
    GxInput::Update();
    GxInputDeviceState& keyboard = Record(kInputKeyboard);
    ASSERT_TRUE(keyboard.m_Down.Test(DIK_Q));
    keyboard.m_PadLayout = 1;
    GxInput::ClearDeviceState(&keyboard);
    EXPECT_FALSE(keyboard.m_Down.Any());
    EXPECT_FALSE(keyboard.m_PreviousDown.Any());
    EXPECT_EQ(keyboard.m_Held[DIK_Q], 0u);
    EXPECT_EQ(keyboard.m_PadLayout, 1);
    GxInput::ClearDeviceState(nullptr);

    GxInput::ClearAllDeviceStates();
    EXPECT_EQ(keyboard.m_PadLayout, 0);
}

TEST_F(InputTest, OutOfRangeArgumentsAreLoggedAndChangeNothing)
{
    Start();
    GxInput::BindAxis(0, kInputKeyboard, 0);
    struct Bad {
        std::int32_t code, action, slot;
    } badKeys[] = {{608, 1, 1}, {-1, 1, 1}, {DIK_E, 256, 1}, {DIK_E, -1, 1}, {DIK_E, 1, 8}, {DIK_E, 1, -1}};
    for (const Bad& b : badKeys) GxInput::BindKey(b.code, b.action, b.slot);
    struct BadAxis {
        std::int32_t n, device, axis;
    } badAxes[] = {{4, 0, 0}, {-1, 0, 0}, {0, 4, 0}, {0, -2, 0}, {0, 0, 4}};
    for (const BadAxis& b : badAxes) GxInput::BindAxis(b.n, b.device, b.axis);
    EXPECT_EQ(GxInput::GetDeviceState(5), nullptr);
    EXPECT_EQ(GxInput::GetDeviceState(-1), nullptr);
    EXPECT_EQ(m_Errors.m_Lines.size(), std::size(badKeys) + std::size(badAxes) + 2);
    for (const std::string& line : m_Errors.m_Lines) EXPECT_EQ(line.rfind("GxInput::", 0), 0u) << line;

    GxInput::Update();
    PushKey(true, SDL_SCANCODE_E);
    PushKey(true, SDL_SCANCODE_RIGHT);
    GxInput::Update();
    EXPECT_FALSE(Actions().m_Down.Any());
    // The good axis binding survived the bad ones.
    EXPECT_EQ(Actions().m_Axes[0].x, 600.0f);
    EXPECT_EQ(Actions().m_AxisActive[0], 1);
}

}  // namespace
