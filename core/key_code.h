// Key codes: one integer per keyboard key, mouse button and pad control (0 to 607).
// code / 256 selects the input record (0 keyboard, 1 mouse, 2 first pad) and code % 256 the
// key bit inside it. Keyboard codes are the DirectInput scan codes.
#pragma once

#include <cstdint>
#include <string>

constexpr std::int32_t kKeyCodeCount = 608;
constexpr std::int32_t kKeyCodeNone = 0;
constexpr std::int32_t kKeyCodeMouseBase = 256;
constexpr std::int32_t kKeyCodePadBase = 512;

// The code of a "KC_…" name, compared exactly; 0 (as "KC_NONE") for any other text.
std::int32_t KeyCodeFromName(const std::u16string& name);

// Fills the display-name table once (input start-up calls it).
void KeyDisplayName();
// The text shown to the player for a code; empty for codes without one or out of range.
const std::u16string& GetKeyDisplayText(std::int32_t code);
