#include "core/key_code.h"

#include "foundation/wide_string.h"
#include "platform/dinput/dinput.h"

#include <array>
#include <map>

namespace {

struct KeyName {
    const char16_t* name;
    std::int32_t code;
    const char16_t* display;
};

// Every named code with the text shown for it, in code order within each device.
constexpr KeyName kKeyNames[] = {
    {u"KC_NONE", kKeyCodeNone, u"無し"},
    {u"KC_KEYB_ESCAPE", DIK_ESCAPE, u"ESC"},
    {u"KC_KEYB_1", DIK_1, u"1"},
    {u"KC_KEYB_2", DIK_2, u"2"},
    {u"KC_KEYB_3", DIK_3, u"3"},
    {u"KC_KEYB_4", DIK_4, u"4"},
    {u"KC_KEYB_5", DIK_5, u"5"},
    {u"KC_KEYB_6", DIK_6, u"6"},
    {u"KC_KEYB_7", DIK_7, u"7"},
    {u"KC_KEYB_8", DIK_8, u"8"},
    {u"KC_KEYB_9", DIK_9, u"9"},
    {u"KC_KEYB_0", DIK_0, u"0"},
    {u"KC_KEYB_MINUS", DIK_MINUS, u"-"},
    {u"KC_KEYB_EQUALS", DIK_EQUALS, u"="},
    {u"KC_KEYB_BACK", DIK_BACK, u"BACKSPACE"},
    {u"KC_KEYB_TAB", DIK_TAB, u"TAB"},
    {u"KC_KEYB_Q", DIK_Q, u"Q"},
    {u"KC_KEYB_W", DIK_W, u"W"},
    {u"KC_KEYB_E", DIK_E, u"E"},
    {u"KC_KEYB_R", DIK_R, u"R"},
    {u"KC_KEYB_T", DIK_T, u"T"},
    {u"KC_KEYB_Y", DIK_Y, u"Y"},
    {u"KC_KEYB_U", DIK_U, u"U"},
    {u"KC_KEYB_I", DIK_I, u"I"},
    {u"KC_KEYB_O", DIK_O, u"O"},
    {u"KC_KEYB_P", DIK_P, u"P"},
    {u"KC_KEYB_LBRACKET", DIK_LBRACKET, u"["},
    {u"KC_KEYB_RBRACKET", DIK_RBRACKET, u"]"},
    {u"KC_KEYB_RETURN", DIK_RETURN, u"ENTER"},
    {u"KC_KEYB_LCONTROL", DIK_LCONTROL, u"左CTRL"},
    {u"KC_KEYB_A", DIK_A, u"A"},
    {u"KC_KEYB_S", DIK_S, u"S"},
    {u"KC_KEYB_D", DIK_D, u"D"},
    {u"KC_KEYB_F", DIK_F, u"F"},
    {u"KC_KEYB_G", DIK_G, u"G"},
    {u"KC_KEYB_H", DIK_H, u"H"},
    {u"KC_KEYB_J", DIK_J, u"J"},
    {u"KC_KEYB_K", DIK_K, u"K"},
    {u"KC_KEYB_L", DIK_L, u"L"},
    {u"KC_KEYB_SEMICOLON", DIK_SEMICOLON, u";"},
    {u"KC_KEYB_APOSTROPHE", DIK_APOSTROPHE, u"'"},
    {u"KC_KEYB_GRAVE", DIK_GRAVE, u"~"},
    {u"KC_KEYB_LSHIFT", DIK_LSHIFT, u"左SHIFT"},
    {u"KC_KEYB_BACKSLASH", DIK_BACKSLASH, u"BACKSLASH"},
    {u"KC_KEYB_Z", DIK_Z, u"Z"},
    {u"KC_KEYB_X", DIK_X, u"X"},
    {u"KC_KEYB_C", DIK_C, u"C"},
    {u"KC_KEYB_V", DIK_V, u"V"},
    {u"KC_KEYB_B", DIK_B, u"B"},
    {u"KC_KEYB_N", DIK_N, u"N"},
    {u"KC_KEYB_M", DIK_M, u"M"},
    {u"KC_KEYB_COMMA", DIK_COMMA, u","},
    {u"KC_KEYB_PERIOD", DIK_PERIOD, u"."},
    {u"KC_KEYB_SLASH", DIK_SLASH, u"/"},
    {u"KC_KEYB_RSHIFT", DIK_RSHIFT, u"右SHIFT"},
    {u"KC_KEYB_MULTIPLY", DIK_MULTIPLY, u"NUM*"},
    {u"KC_KEYB_LMENU", DIK_LMENU, u"左ALT"},
    {u"KC_KEYB_SPACE", DIK_SPACE, u"SPACE"},
    {u"KC_KEYB_CAPITAL", DIK_CAPITAL, u"CAPS"},
    {u"KC_KEYB_F1", DIK_F1, u"F1"},
    {u"KC_KEYB_F2", DIK_F2, u"F2"},
    {u"KC_KEYB_F3", DIK_F3, u"F3"},
    {u"KC_KEYB_F4", DIK_F4, u"F4"},
    {u"KC_KEYB_F5", DIK_F5, u"F5"},
    {u"KC_KEYB_F6", DIK_F6, u"F6"},
    {u"KC_KEYB_F7", DIK_F7, u"F7"},
    {u"KC_KEYB_F8", DIK_F8, u"F8"},
    {u"KC_KEYB_F9", DIK_F9, u"F9"},
    {u"KC_KEYB_F10", DIK_F10, u"F10"},
    {u"KC_KEYB_NUMLOCK", DIK_NUMLOCK, u"NUMLOCK"},
    {u"KC_KEYB_SCROLL", DIK_SCROLL, u"SCRLOCK"},
    {u"KC_KEYB_NUMPAD7", DIK_NUMPAD7, u"NUM7"},
    {u"KC_KEYB_NUMPAD8", DIK_NUMPAD8, u"NUM8"},
    {u"KC_KEYB_NUMPAD9", DIK_NUMPAD9, u"NUM9"},
    {u"KC_KEYB_SUBTRACT", DIK_SUBTRACT, u"NUM-"},
    {u"KC_KEYB_NUMPAD4", DIK_NUMPAD4, u"NUM4"},
    {u"KC_KEYB_NUMPAD5", DIK_NUMPAD5, u"NUM5"},
    {u"KC_KEYB_NUMPAD6", DIK_NUMPAD6, u"NUM6"},
    {u"KC_KEYB_ADD", DIK_ADD, u"NUM+"},
    {u"KC_KEYB_NUMPAD1", DIK_NUMPAD1, u"NUM1"},
    {u"KC_KEYB_NUMPAD2", DIK_NUMPAD2, u"NUM2"},
    {u"KC_KEYB_NUMPAD3", DIK_NUMPAD3, u"NUM3"},
    {u"KC_KEYB_NUMPAD0", DIK_NUMPAD0, u"NUM0"},
    {u"KC_KEYB_DECIMAL", DIK_DECIMAL, u"NUM."},
    {u"KC_KEYB_OEM_102", DIK_OEM_102, u"OEM102"},
    {u"KC_KEYB_F11", DIK_F11, u"F11"},
    {u"KC_KEYB_F12", DIK_F12, u"F12"},
    {u"KC_KEYB_F13", DIK_F13, u"F13"},
    {u"KC_KEYB_F14", DIK_F14, u"F14"},
    {u"KC_KEYB_F15", DIK_F15, u"F15"},
    {u"KC_KEYB_KANA", DIK_KANA, u"カナ"},
    {u"KC_KEYB_ABNT_C1", DIK_ABNT_C1, u"ABNTC1"},
    {u"KC_KEYB_CONVERT", DIK_CONVERT, u"変換"},
    {u"KC_KEYB_NOCONVERT", DIK_NOCONVERT, u"無変換"},
    {u"KC_KEYB_YEN", DIK_YEN, u"\\"},
    {u"KC_KEYB_ABNT_C2", DIK_ABNT_C2, u"ABNTC2"},
    {u"KC_KEYB_NUMPADEQUALS", DIK_NUMPADEQUALS, u"NUM="},
    {u"KC_KEYB_PREVTRACK", DIK_PREVTRACK, u"^"},
    {u"KC_KEYB_AT", DIK_AT, u"@"},
    {u"KC_KEYB_COLON", DIK_COLON, u":"},
    {u"KC_KEYB_UNDERLINE", DIK_UNDERLINE, u"_"},
    {u"KC_KEYB_KANJI", DIK_KANJI, u"漢字"},
    {u"KC_KEYB_STOP", DIK_STOP, u"STOP"},
    {u"KC_KEYB_AX", DIK_AX, u"AX"},
    {u"KC_KEYB_UNLABELED", DIK_UNLABELED, u"UNLABELED"},
    {u"KC_KEYB_NEXTTRACK", DIK_NEXTTRACK, u"NEXT"},
    {u"KC_KEYB_NUMPADENTER", DIK_NUMPADENTER, u"NUMENTER"},
    {u"KC_KEYB_RCONTROL", DIK_RCONTROL, u"右CTRL"},
    {u"KC_KEYB_MUTE", DIK_MUTE, u"無音"},
    {u"KC_KEYB_CALCULATOR", DIK_CALCULATOR, u"電卓"},
    {u"KC_KEYB_PLAYPAUSE", DIK_PLAYPAUSE, u"再生"},
    {u"KC_KEYB_MEDIASTOP", DIK_MEDIASTOP, u"停止"},
    {u"KC_KEYB_VOLUMEDOWN", DIK_VOLUMEDOWN, u"音量↓"},
    {u"KC_KEYB_VOLUMEUP", DIK_VOLUMEUP, u"音量↑"},
    {u"KC_KEYB_WEBHOME", DIK_WEBHOME, u"WEBホーム"},
    {u"KC_KEYB_NUMPADCOMMA", DIK_NUMPADCOMMA, u"NUM,"},
    {u"KC_KEYB_DIVIDE", DIK_DIVIDE, u"NUM/"},
    {u"KC_KEYB_SYSRQ", DIK_SYSRQ, u"PRINTSCREEN"},
    {u"KC_KEYB_RMENU", DIK_RMENU, u"右ALT"},
    {u"KC_KEYB_PAUSE", DIK_PAUSE, u"PAUSE"},
    {u"KC_KEYB_HOME", DIK_HOME, u"HOME"},
    {u"KC_KEYB_UP", DIK_UP, u"↑"},
    {u"KC_KEYB_PRIOR", DIK_PRIOR, u"PAGEUP"},
    {u"KC_KEYB_LEFT", DIK_LEFT, u"←"},
    {u"KC_KEYB_RIGHT", DIK_RIGHT, u"→"},
    {u"KC_KEYB_END", DIK_END, u"END"},
    {u"KC_KEYB_DOWN", DIK_DOWN, u"↓"},
    {u"KC_KEYB_NEXT", DIK_NEXT, u"PAGEDOWN"},
    {u"KC_KEYB_INSERT", DIK_INSERT, u"INSERT"},
    {u"KC_KEYB_DELETE", DIK_DELETE, u"DELETE"},
    {u"KC_KEYB_LWIN", DIK_LWIN, u"左WIN"},
    {u"KC_KEYB_RWIN", DIK_RWIN, u"右WIN"},
    {u"KC_KEYB_APPS", DIK_APPS, u"APPMENU"},
    {u"KC_KEYB_POWER", DIK_POWER, u"POWER"},
    {u"KC_KEYB_SLEEP", DIK_SLEEP, u"SLEEP"},
    {u"KC_KEYB_WAKE", DIK_WAKE, u"WAKE"},
    {u"KC_KEYB_WEBSEARCH", DIK_WEBSEARCH, u"WEB検索"},
    {u"KC_KEYB_WEBFAVORITES", DIK_WEBFAVORITES, u"WEBお気に入り"},
    {u"KC_KEYB_WEBREFRESH", DIK_WEBREFRESH, u"WEB更新"},
    {u"KC_KEYB_WEBSTOP", DIK_WEBSTOP, u"WEB停止"},
    {u"KC_KEYB_WEBFORWARD", DIK_WEBFORWARD, u"WEB進む"},
    {u"KC_KEYB_WEBBACK", DIK_WEBBACK, u"WEB戻る"},
    {u"KC_KEYB_MYCOMPUTER", DIK_MYCOMPUTER, u"MYCOMP"},
    {u"KC_KEYB_MAIL", DIK_MAIL, u"MAIL"},
    {u"KC_KEYB_MEDIASELECT", DIK_MEDIASELECT, u"MEDIASEL"},
    {u"KC_MOUSE_LEFT", kKeyCodeMouseBase + 1, u"左ボタン"},
    {u"KC_MOUSE_RIGHT", kKeyCodeMouseBase + 2, u"右ボタン"},
    {u"KC_MOUSE_MIDDLE", kKeyCodeMouseBase + 3, u"中ボタン"},
    {u"KC_MOUSE_BTN4", kKeyCodeMouseBase + 4, u"ボタン4"},
    {u"KC_MOUSE_BTN5", kKeyCodeMouseBase + 5, u"ボタン5"},
    {u"KC_MOUSE_BTN6", kKeyCodeMouseBase + 6, u"ボタン6"},
    {u"KC_MOUSE_BTN7", kKeyCodeMouseBase + 7, u"ボタン7"},
    {u"KC_MOUSE_BTN8", kKeyCodeMouseBase + 8, u"ボタン8"},
    {u"KC_MOUSE_WHEEL_UP", kKeyCodeMouseBase + 33, u"ホイール↑"},
    {u"KC_MOUSE_WHEEL_DOWN", kKeyCodeMouseBase + 34, u"ホイール↓"},
    {u"KC_PAD_BTN01", kKeyCodePadBase + 1, u"ボタン1"},
    {u"KC_PAD_BTN02", kKeyCodePadBase + 2, u"ボタン2"},
    {u"KC_PAD_BTN03", kKeyCodePadBase + 3, u"ボタン3"},
    {u"KC_PAD_BTN04", kKeyCodePadBase + 4, u"ボタン4"},
    {u"KC_PAD_BTN05", kKeyCodePadBase + 5, u"ボタン5"},
    {u"KC_PAD_BTN06", kKeyCodePadBase + 6, u"ボタン6"},
    {u"KC_PAD_BTN07", kKeyCodePadBase + 7, u"ボタン7"},
    {u"KC_PAD_BTN08", kKeyCodePadBase + 8, u"ボタン8"},
    {u"KC_PAD_BTN09", kKeyCodePadBase + 9, u"ボタン9"},
    {u"KC_PAD_BTN10", kKeyCodePadBase + 10, u"ボタン10"},
    {u"KC_PAD_BTN11", kKeyCodePadBase + 11, u"ボタン11"},
    {u"KC_PAD_BTN12", kKeyCodePadBase + 12, u"ボタン12"},
    {u"KC_PAD_BTN13", kKeyCodePadBase + 13, u"ボタン13"},
    {u"KC_PAD_BTN14", kKeyCodePadBase + 14, u"ボタン14"},
    {u"KC_PAD_BTN15", kKeyCodePadBase + 15, u"ボタン15"},
    {u"KC_PAD_BTN16", kKeyCodePadBase + 16, u"ボタン16"},
    {u"KC_PAD_DIR1_UP", kKeyCodePadBase + 33, u"方向[1]↑"},
    {u"KC_PAD_DIR1_DOWN", kKeyCodePadBase + 34, u"方向[1]↓"},
    {u"KC_PAD_DIR1_LEFT", kKeyCodePadBase + 35, u"方向[1]←"},
    {u"KC_PAD_DIR1_RIGHT", kKeyCodePadBase + 36, u"方向[1]→"},
    {u"KC_PAD_DIR2_UP", kKeyCodePadBase + 49, u"方向[2]↑"},
    {u"KC_PAD_DIR2_DOWN", kKeyCodePadBase + 50, u"方向[2]↓"},
    {u"KC_PAD_DIR2_LEFT", kKeyCodePadBase + 51, u"方向[2]←"},
    {u"KC_PAD_DIR2_RIGHT", kKeyCodePadBase + 52, u"方向[2]→"},
    {u"KC_PAD_POV1_UP", kKeyCodePadBase + 65, u"方向[3]↑"},
    {u"KC_PAD_POV1_DOWN", kKeyCodePadBase + 66, u"方向[3]↓"},
    {u"KC_PAD_POV1_LEFT", kKeyCodePadBase + 67, u"方向[3]←"},
    {u"KC_PAD_POV1_RIGHT", kKeyCodePadBase + 68, u"方向[3]→"},
    {u"KC_PAD_POV2_UP", kKeyCodePadBase + 81, u"方向[4]↑"},
    {u"KC_PAD_POV2_DOWN", kKeyCodePadBase + 82, u"方向[4]↓"},
    {u"KC_PAD_POV2_LEFT", kKeyCodePadBase + 83, u"方向[4]←"},
    {u"KC_PAD_POV2_RIGHT", kKeyCodePadBase + 84, u"方向[4]→"},
};

const std::map<std::u16string, std::int32_t>& NameMap()
{
    static const std::map<std::u16string, std::int32_t> map = [] {
        std::map<std::u16string, std::int32_t> result;
        for (const KeyName& key : kKeyNames) result.emplace(key.name, key.code);
        return result;
    }();
    return map;
}

std::array<std::u16string, kKeyCodeCount>& DisplayTable()
{
    static std::array<std::u16string, kKeyCodeCount> table;
    return table;
}

}  // namespace

std::int32_t KeyCodeFromName(const std::u16string& name)
{
    const auto& map = NameMap();
    auto found = map.find(name);
    return found != map.end() ? found->second : kKeyCodeNone;
}

void KeyDisplayName()
{
    auto& table = DisplayTable();
    for (const KeyName& key : kKeyNames) table[key.code] = key.display;
    // Keyboard codes without a name still get a text the player can tell apart.
    for (std::int32_t code = 0; code < kKeyCodeMouseBase; ++code)
        if (table[code].empty()) table[code] = FormatWide(u"不明[0x%04X]", code);
}

const std::u16string& GetKeyDisplayText(std::int32_t code)
{
    static const std::u16string empty;
    if (code < 0 || code >= kKeyCodeCount) return empty;
    return DisplayTable()[code];
}
