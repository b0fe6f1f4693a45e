#include "core/key_code.h"

#include <gtest/gtest.h>

#include <set>

TEST(KeyCodes, NamesMapExactlyToTheirCodes)
{
    struct Case {
        const char16_t* name;
        std::int32_t code;
    };
    const Case cases[] = {
        {u"KC_NONE", 0},           {u"KC_KEYB_ESCAPE", 1},       {u"KC_KEYB_RETURN", 28},
        {u"KC_KEYB_SPACE", 57},    {u"KC_KEYB_UP", 200},         {u"KC_KEYB_MEDIASELECT", 237},
        {u"KC_KEYB_F13", 0x64},    {u"KC_MOUSE_LEFT", 257},      {u"KC_MOUSE_BTN8", 264},
        {u"KC_MOUSE_WHEEL_UP", 289}, {u"KC_MOUSE_WHEEL_DOWN", 290}, {u"KC_PAD_BTN01", 513},
        {u"KC_PAD_BTN16", 528},    {u"KC_PAD_DIR1_UP", 545},     {u"KC_PAD_DIR2_RIGHT", 564},
        {u"KC_PAD_POV1_DOWN", 578}, {u"KC_PAD_POV2_LEFT", 595},
        // Exact comparison: another case or spelling is no key.
        {u"kc_keyb_return", 0},    {u"KC_KEYB_RETURN ", 0},      {u"KC_PAD_BTN1", 0},
        {u"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyCodeFromName(c.name), c.code) << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)).c_str();
}

TEST(KeyCodes, DisplayTableNamesUnknownKeyboardCodesOnly)
{
    KeyDisplayName();
    EXPECT_EQ(GetKeyDisplayText(0), u"無し");
    EXPECT_EQ(GetKeyDisplayText(28), u"ENTER");
    EXPECT_EQ(GetKeyDisplayText(0x10), u"Q");
    EXPECT_EQ(GetKeyDisplayText(0x58), u"F12");
    EXPECT_EQ(GetKeyDisplayText(0x7D), u"\\");
    EXPECT_EQ(GetKeyDisplayText(84), u"不明[0x0054]");
    EXPECT_EQ(GetKeyDisplayText(255), u"不明[0x00FF]");
    EXPECT_EQ(GetKeyDisplayText(257), u"左ボタン");
    EXPECT_EQ(GetKeyDisplayText(300), u"");   // mouse code without a name
    EXPECT_EQ(GetKeyDisplayText(522), u"ボタン10");
    EXPECT_EQ(GetKeyDisplayText(577), u"方向[3]↑");
    EXPECT_EQ(GetKeyDisplayText(-1), u"");
    EXPECT_EQ(GetKeyDisplayText(608), u"");
}
