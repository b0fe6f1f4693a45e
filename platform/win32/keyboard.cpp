#include "platform/win32/keyboard.h"

#include <SDL.h>

#include <array>
#include <mutex>

namespace {

struct KeyEntry {
    SDL_Scancode scancode;
    BYTE scan;        // set-1 scan code, 0x80 for the extended ones (the DirectInput key code)
    int virtualKey;
};

// Letters and digits are added by code below; this table holds every other key.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 0x01, VK_ESCAPE},
    {SDL_SCANCODE_MINUS, 0x0C, VK_OEM_MINUS},
    {SDL_SCANCODE_EQUALS, 0x0D, VK_OEM_PLUS},
    {SDL_SCANCODE_BACKSPACE, 0x0E, VK_BACK},
    {SDL_SCANCODE_TAB, 0x0F, VK_TAB},
    {SDL_SCANCODE_LEFTBRACKET, 0x1A, VK_OEM_4},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, VK_OEM_6},
    {SDL_SCANCODE_RETURN, 0x1C, VK_RETURN},
    {SDL_SCANCODE_LCTRL, 0x1D, VK_CONTROL},
    {SDL_SCANCODE_SEMICOLON, 0x27, VK_OEM_1},
    {SDL_SCANCODE_APOSTROPHE, 0x28, VK_OEM_7},
    {SDL_SCANCODE_GRAVE, 0x29, VK_OEM_3},
    {SDL_SCANCODE_LSHIFT, 0x2A, VK_SHIFT},
    {SDL_SCANCODE_BACKSLASH, 0x2B, VK_OEM_5},
    {SDL_SCANCODE_NONUSHASH, 0x2B, VK_OEM_5},
    {SDL_SCANCODE_COMMA, 0x33, VK_OEM_COMMA},
    {SDL_SCANCODE_PERIOD, 0x34, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, 0x35, VK_OEM_2},
    {SDL_SCANCODE_RSHIFT, 0x36, VK_SHIFT},
    {SDL_SCANCODE_KP_MULTIPLY, 0x37, VK_MULTIPLY},
    {SDL_SCANCODE_LALT, 0x38, VK_MENU},
    {SDL_SCANCODE_SPACE, 0x39, VK_SPACE},
    {SDL_SCANCODE_CAPSLOCK, 0x3A, VK_CAPITAL},
    {SDL_SCANCODE_F1, 0x3B, VK_F1},
    {SDL_SCANCODE_F2, 0x3C, VK_F1 + 1},
    {SDL_SCANCODE_F3, 0x3D, VK_F1 + 2},
    {SDL_SCANCODE_F4, 0x3E, VK_F1 + 3},
    {SDL_SCANCODE_F5, 0x3F, VK_F1 + 4},
    {SDL_SCANCODE_F6, 0x40, VK_F1 + 5},
    {SDL_SCANCODE_F7, 0x41, VK_F1 + 6},
    {SDL_SCANCODE_F8, 0x42, VK_F1 + 7},
    {SDL_SCANCODE_F9, 0x43, VK_F1 + 8},
    {SDL_SCANCODE_F10, 0x44, VK_F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, 0x46, VK_SCROLL},
    {SDL_SCANCODE_KP_7, 0x47, VK_NUMPAD0 + 7},
    {SDL_SCANCODE_KP_8, 0x48, VK_NUMPAD0 + 8},
    {SDL_SCANCODE_KP_9, 0x49, VK_NUMPAD0 + 9},
    {SDL_SCANCODE_KP_MINUS, 0x4A, VK_SUBTRACT},
    {SDL_SCANCODE_KP_4, 0x4B, VK_NUMPAD0 + 4},
    {SDL_SCANCODE_KP_5, 0x4C, VK_NUMPAD0 + 5},
    {SDL_SCANCODE_KP_6, 0x4D, VK_NUMPAD0 + 6},
    {SDL_SCANCODE_KP_PLUS, 0x4E, VK_ADD},
    {SDL_SCANCODE_KP_1, 0x4F, VK_NUMPAD0 + 1},
    {SDL_SCANCODE_KP_2, 0x50, VK_NUMPAD0 + 2},
    {SDL_SCANCODE_KP_3, 0x51, VK_NUMPAD0 + 3},
    {SDL_SCANCODE_KP_0, 0x52, VK_NUMPAD0},
    {SDL_SCANCODE_KP_PERIOD, 0x53, VK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, VK_OEM_102},
    {SDL_SCANCODE_F11, 0x57, VK_F11},
    {SDL_SCANCODE_F12, 0x58, VK_F12},
    {SDL_SCANCODE_F13, 0x64, VK_F1 + 12},
    {SDL_SCANCODE_F14, 0x65, VK_F1 + 13},
    {SDL_SCANCODE_F15, 0x66, VK_F1 + 14},
    // Japanese keys: katakana/hiragana, ro, henkan, muhenkan, yen, zenkaku/hankaku.
    {SDL_SCANCODE_INTERNATIONAL2, 0x70, VK_KANA},
    {SDL_SCANCODE_LANG1, 0x70, VK_KANA},
    {SDL_SCANCODE_LANG3, 0x70, VK_KANA},
    {SDL_SCANCODE_LANG4, 0x70, VK_KANA},
    {SDL_SCANCODE_INTERNATIONAL1, 0x73, VK_OEM_102},
    {SDL_SCANCODE_INTERNATIONAL4, 0x79, VK_CONVERT},
    {SDL_SCANCODE_INTERNATIONAL5, 0x7B, VK_NONCONVERT},
    {SDL_SCANCODE_INTERNATIONAL3, 0x7D, VK_OEM_5},
    {SDL_SCANCODE_LANG5, 0x94, VK_KANJI},
    {SDL_SCANCODE_KP_EQUALS, 0x8D, VK_OEM_PLUS},
    {SDL_SCANCODE_AUDIOPREV, 0x90, VK_MEDIA_PREV_TRACK},
    {SDL_SCANCODE_AUDIONEXT, 0x99, VK_MEDIA_NEXT_TRACK},
    {SDL_SCANCODE_KP_ENTER, 0x9C, VK_RETURN},
    {SDL_SCANCODE_RCTRL, 0x9D, VK_CONTROL},
    {SDL_SCANCODE_MUTE, 0xA0, VK_VOLUME_MUTE},
    {SDL_SCANCODE_AUDIOMUTE, 0xA0, VK_VOLUME_MUTE},
    {SDL_SCANCODE_CALCULATOR, 0xA1, 0},
    {SDL_SCANCODE_AUDIOPLAY, 0xA2, VK_MEDIA_PLAY_PAUSE},
    {SDL_SCANCODE_AUDIOSTOP, 0xA4, VK_MEDIA_STOP},
    {SDL_SCANCODE_VOLUMEDOWN, 0xAE, VK_VOLUME_DOWN},
    {SDL_SCANCODE_VOLUMEUP, 0xB0, VK_VOLUME_UP},
    {SDL_SCANCODE_AC_HOME, 0xB2, 0},
    {SDL_SCANCODE_KP_COMMA, 0xB3, VK_SEPARATOR},
    {SDL_SCANCODE_KP_DIVIDE, 0xB5, VK_DIVIDE},
    {SDL_SCANCODE_PRINTSCREEN, 0xB7, VK_SNAPSHOT},
    {SDL_SCANCODE_SYSREQ, 0xB7, VK_SNAPSHOT},
    {SDL_SCANCODE_RALT, 0xB8, VK_MENU},
    {SDL_SCANCODE_PAUSE, 0xC5, VK_PAUSE},
    {SDL_SCANCODE_HOME, 0xC7, VK_HOME},
    {SDL_SCANCODE_UP, 0xC8, VK_UP},
    {SDL_SCANCODE_PAGEUP, 0xC9, VK_PRIOR},
    {SDL_SCANCODE_LEFT, 0xCB, VK_LEFT},
    {SDL_SCANCODE_RIGHT, 0xCD, VK_RIGHT},
    {SDL_SCANCODE_END, 0xCF, VK_END},
    {SDL_SCANCODE_DOWN, 0xD0, VK_DOWN},
    {SDL_SCANCODE_PAGEDOWN, 0xD1, VK_NEXT},
    {SDL_SCANCODE_INSERT, 0xD2, VK_INSERT},
    {SDL_SCANCODE_DELETE, 0xD3, VK_DELETE},
    {SDL_SCANCODE_LGUI, 0xDB, VK_LWIN},
    {SDL_SCANCODE_RGUI, 0xDC, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, 0xDD, VK_APPS},
    {SDL_SCANCODE_POWER, 0xDE, 0},
    {SDL_SCANCODE_SLEEP, 0xDF, VK_SLEEP},
    {SDL_SCANCODE_AC_SEARCH, 0xE5, 0},
    {SDL_SCANCODE_AC_BOOKMARKS, 0xE6, 0},
    {SDL_SCANCODE_AC_REFRESH, 0xE7, 0},
    {SDL_SCANCODE_AC_STOP, 0xE8, 0},
    {SDL_SCANCODE_AC_FORWARD, 0xE9, 0},
    {SDL_SCANCODE_AC_BACK, 0xEA, 0},
    {SDL_SCANCODE_COMPUTER, 0xEB, 0},
    {SDL_SCANCODE_MAIL, 0xEC, 0},
    {SDL_SCANCODE_MEDIASELECT, 0xED, 0},
};

// Set-1 scan codes of the letters A to Z, in alphabet order.
constexpr BYTE kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                   0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

struct KeyTables {
    std::array<BYTE, SDL_NUM_SCANCODES> scan{};
    std::array<int, SDL_NUM_SCANCODES> virtualKey{};

    KeyTables()
    {
        for (int i = 0; i < 26; ++i) {
            scan[SDL_SCANCODE_A + i] = kLetterScans[i];
            virtualKey[SDL_SCANCODE_A + i] = 'A' + i;
        }
        for (int i = 0; i < 9; ++i) {   // 1 to 9, then 0
            scan[SDL_SCANCODE_1 + i] = static_cast<BYTE>(0x02 + i);
            virtualKey[SDL_SCANCODE_1 + i] = '1' + i;
        }
        scan[SDL_SCANCODE_0] = 0x0B;
        virtualKey[SDL_SCANCODE_0] = '0';
        for (const KeyEntry& entry : kKeys) {
            scan[entry.scancode] = entry.scan;
            virtualKey[entry.scancode] = entry.virtualKey;
        }
    }
};

const KeyTables& Tables()
{
    static const KeyTables tables;
    return tables;
}

struct KeyState {
    std::mutex mutex;
    std::array<bool, 256> down{};
    std::array<bool, 256> toggled{};
};

KeyState& Keys()
{
    static KeyState state;
    return state;
}

bool IsDownLocked(const KeyState& keys, int virtualKey)
{
    switch (virtualKey) {
    case VK_SHIFT: return keys.down[VK_SHIFT] || keys.down[VK_LSHIFT] || keys.down[VK_RSHIFT];
    case VK_CONTROL: return keys.down[VK_CONTROL] || keys.down[VK_LCONTROL] || keys.down[VK_RCONTROL];
    case VK_MENU: return keys.down[VK_MENU] || keys.down[VK_LMENU] || keys.down[VK_RMENU];
    default: return virtualKey >= 0 && virtualKey < 256 && keys.down[static_cast<std::size_t>(virtualKey)];
    }
}

}  // namespace

SHORT GetKeyState(int virtualKey)
{
    KeyState& keys = Keys();
    std::lock_guard<std::mutex> lock(keys.mutex);
    int state = 0;
    if (IsDownLocked(keys, virtualKey)) state |= 0x8000;
    if (virtualKey >= 0 && virtualKey < 256 && keys.toggled[static_cast<std::size_t>(virtualKey)]) state |= 1;
    return static_cast<SHORT>(state);
}

namespace platform {

BYTE ScanCodeFromSdl(int sdlScancode)
{
    if (sdlScancode <= 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
    return Tables().scan[static_cast<std::size_t>(sdlScancode)];
}

int VirtualKeyFromSdl(int sdlScancode, int sdlKeycode)
{
    // Letters follow the layout (an AZERTY "A" is VK 'A'); every other key keeps its place.
    if (sdlKeycode >= 'a' && sdlKeycode <= 'z') return sdlKeycode - 'a' + 'A';
    if (sdlScancode <= 0 || sdlScancode >= SDL_NUM_SCANCODES) return 0;
    return Tables().virtualKey[static_cast<std::size_t>(sdlScancode)];
}

void SetVirtualKeyDown(int virtualKey, bool down)
{
    if (virtualKey <= 0 || virtualKey >= 256) return;
    KeyState& keys = Keys();
    std::lock_guard<std::mutex> lock(keys.mutex);
    auto index = static_cast<std::size_t>(virtualKey);
    if (down && !keys.down[index]) keys.toggled[index] = !keys.toggled[index];
    keys.down[index] = down;
}

bool IsVirtualKeyDown(int virtualKey)
{
    KeyState& keys = Keys();
    std::lock_guard<std::mutex> lock(keys.mutex);
    return IsDownLocked(keys, virtualKey);
}

void ClearVirtualKeyState()
{
    KeyState& keys = Keys();
    std::lock_guard<std::mutex> lock(keys.mutex);
    keys.down.fill(false);
}

}  // namespace platform
