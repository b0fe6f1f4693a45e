// [Adventure] the key bindings made from the key map and from the player options' key codes, as
// the input layer then builds actions from real key presses, and the system-voice switches made
// from the voice-volume table.
#include "avg/key_bindings.h"

#include "core/key_code.h"
#include "data/data_tables.h"
#include "data/user_config.h"
#include "tests/core/input/input_fixture.h"

namespace {

using inputtest::InputTest;

class KeyBindingsTest : public InputTest {
protected:
    void SetUp() override
    {
        // The window's class lock goes into a folder of this test's own, whatever ran before.
        platform::SetWindowLockFolder(m_Locks.Path().string());
        InputTest::SetUp();
        ResetDataTables();
        Start();
        DBKeyMapRow* row = GetDBKeyMap().GetRow(5);
        row->m_Group = 1;
        row->m_KeyCodeStr[0] = u"KC_KEYB_RETURN";
        row->m_KeyCodeStr[2] = u"KC_KEYB_SPACE";
        DBKeyMapRow* unknown = GetDBKeyMap().GetRow(6);
        unknown->m_Group = 9;   // outside the binding slots: logged by the input layer, not bound
        unknown->m_KeyCodeStr[0] = u"KC_NO_SUCH_KEY";
        unknown->m_KeyCodeStr[1] = u"KC_KEYB_X";
        m_Config.m_PadAxisBinding = 3;
        m_Config.m_PadSetting = 1;
    }
    void TearDown() override
    {
        ResetDataTables();
        InputTest::TearDown();
    }

    // Presses and releases the key across two input steps; whether the action went down.
    bool PressBuildsAction(SDL_Scancode key, std::int32_t action)
    {
        PushKey(true, key);
        GxInput::Update();
        const bool down = Actions().m_Down.Test(action);
        PushKey(false, key);
        GxInput::Update();
        GxInput::Update();
        return down;
    }

    TestTempDir m_Locks{"tw_avg_keys"};
    GxUserConfig m_Config;
};

TEST_F(KeyBindingsTest, TheKeyMapFillsTheCodeTableAndBindsEachCodeToItsRowInItsGroup)
{
    GxInput::BindKey(KeyCodeFromName(u"KC_KEYB_A"), 9, 1);   // an earlier binding goes
    m_Config.m_KeyCodes[7][3] = 99;                          // and so does the rest of the table
    GxInputDeviceState* pad = GxInput::GetDeviceState(kInputPad1);
    pad->m_Held[4] = 12;

    BindKeysFromKeyMap(m_Config);

    EXPECT_EQ(m_Config.m_KeyCodes[5][0], 28);
    EXPECT_EQ(m_Config.m_KeyCodes[5][2], KeyCodeFromName(u"KC_KEYB_SPACE"));
    EXPECT_EQ(m_Config.m_KeyCodes[5][1], 0);
    EXPECT_EQ(m_Config.m_KeyCodes[6][0], 0);   // an unknown name is code 0
    EXPECT_EQ(m_Config.m_KeyCodes[7][3], 0);
    EXPECT_TRUE(PressBuildsAction(SDL_SCANCODE_RETURN, 5));
    EXPECT_TRUE(PressBuildsAction(SDL_SCANCODE_SPACE, 5));
    EXPECT_FALSE(PressBuildsAction(SDL_SCANCODE_A, 9));
    EXPECT_FALSE(PressBuildsAction(SDL_SCANCODE_X, 6));
    // The pad record takes the pad setting and is cleared.
    EXPECT_EQ(pad->m_PadLayout, 1);
    EXPECT_EQ(pad->m_Held[4], 0u);
}

TEST_F(KeyBindingsTest, RebindingBindsOnlyTheCodesAlreadyInTheTable)
{
    BindKeysFromKeyMap(m_Config);
    m_Config.m_KeyCodes[5][0] = 0;
    m_Config.m_KeyCodes[5][4] = KeyCodeFromName(u"KC_KEYB_Z");

    RebindKeysFromUserConfig(m_Config);

    EXPECT_FALSE(PressBuildsAction(SDL_SCANCODE_RETURN, 5));
    EXPECT_TRUE(PressBuildsAction(SDL_SCANCODE_SPACE, 5));
    EXPECT_TRUE(PressBuildsAction(SDL_SCANCODE_Z, 5));
    EXPECT_EQ(m_Config.m_KeyCodes[5][4], KeyCodeFromName(u"KC_KEYB_Z"));   // the table is left alone
}

TEST(CharacterVoiceFlagsTest, OnWhereBothSwitchesAreSetUpToTheRowCount)
{
    ResetDataTables();
    DBVoiceVolume& table = GetDBVoiceVolume();
    // Rows 0 to 2 loaded: a row count of 3. Columns: ID, visible, order, face, test, exist, enabled.
    ASSERT_TRUE(table.LoadTableLines({u"0\t1\t0\tf\tt\t1\t1", u"1\t1\t0\tf\tt\t1\t0", u"2\t1\t0\tf\tt\t0\t1"}));
    for (std::int32_t index : {3, 4, 31}) {
        table.GetRow(index)->m_SystemVoiceExist = 1;
        table.GetRow(index)->m_SystemVoiceEnabled = 1;
    }
    GxUserConfig config;
    std::fill(std::begin(config.m_SystemVoice_Activated), std::end(config.m_SystemVoice_Activated), true);
    ResetCharacterVoiceFlags(config);
    for (std::int32_t index = 0; index < GxUserConfig::kVoiceGroupCount; ++index) {
        const bool expected = index == 0 || index == 3;   // 3: not above the count of 3
        EXPECT_EQ(config.m_SystemVoice_Activated[index], expected) << index;
    }
    ResetDataTables();
}

}  // namespace
