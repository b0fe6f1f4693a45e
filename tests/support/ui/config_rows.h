// The configuration screen for test game folders: the rows of its five folders ("$UI:SeqConfig"
// with the tabs and the common buttons, and the system, sound, voice and game pages), its image
// sets "uigis/ui_config.gis" (every control's cells in a colour of their own) and
// "uigis/ui_facepanel.gis" (one face per voice row, each its own colour), the page backgrounds
// "cg/ui/bg_config_*.png", the voice plates' image and the voice-volume table. An engine run can
// then press the tabs, drag the sliders, click the on/off buttons and tell from a captured frame
// which page, which thumb position and which face shows. No GoogleTest and no widget code.
#pragma once

#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <string>
#include <vector>

class TestEngineRunner;
class TestGameFolder;

// The page backgrounds: system, sound, voice, game.
extern const std::uint32_t kConfigBackgroundColors[4];
constexpr std::uint32_t kConfigTabOffColor = 0xFF505050;
constexpr std::uint32_t kConfigTabOnColor = 0xFFD0D0D0;
constexpr std::uint32_t kConfigButtonColor = 0xFFA08060;
constexpr std::uint32_t kConfigSwitchOffColor = 0xFF602020;
constexpr std::uint32_t kConfigSwitchOnColor = 0xFF20A020;
constexpr std::uint32_t kConfigTrackColor = 0xFF303080;
constexpr std::uint32_t kConfigThumbColor = 0xFFF0E000;
constexpr std::uint32_t kConfigPlateColor = 0xFF7070B0;

constexpr std::int32_t kConfigTabWidth = 140;
constexpr std::int32_t kConfigTabHeight = 40;
constexpr std::int32_t kConfigButtonWidth = 120;
constexpr std::int32_t kConfigButtonHeight = 40;
constexpr std::int32_t kConfigSwitchWidth = 40;
constexpr std::int32_t kConfigSwitchHeight = 30;
// Horizontal sliders: a track image of 320 x 20 whose 300 pixels from 10 on map the range; the
// thumb is 20 x 20. The vertical scroll slider is the same turned upright (20 x 200, 180 mapped).
constexpr std::int32_t kConfigSliderWidth = 320;
constexpr std::int32_t kConfigSliderHeight = 20;
constexpr std::int32_t kConfigSliderMargin = 10;
constexpr std::int32_t kConfigSliderTrack = 300;
constexpr std::int32_t kConfigThumbSize = 20;
constexpr std::int32_t kConfigScrollHeight = 200;
constexpr std::int32_t kConfigPlateWidth = 200;
constexpr std::int32_t kConfigPlateHeight = 100;
constexpr std::int32_t kConfigFaceSize = 40;

// The folders' names.
extern const char16_t kConfigTop[];      // "$UI:SeqConfig"
extern const char16_t kConfigSystem[];   // "$UI_SYSTEM:SeqConfig"
extern const char16_t kConfigSound[];    // "$UI_SOUND:SeqConfig"
extern const char16_t kConfigVoice[];    // "$UI_VOICE:SeqConfig"

// The colour of voice row `id`'s face ("face<id>.png" of "ui_facepanel.gis").
std::uint32_t ConfigFaceColor(std::int32_t id);

// The module rows (IDs from 1; AddSystemLayer renumbers them) and the layout rows of the five
// folders with IDs from `firstID`. Tabs and on/off pairs are radio buttons, a group per task
// index; the system tab starts on. Controls without an index of their own have index 0.
std::vector<ModuleRow> ConfigModuleRows();
std::vector<LayoutRow> ConfigLayoutRows(std::int32_t firstID = 1);
// The layout row of that control in `folder`, or null.
const LayoutRow* FindConfigRow(const std::u16string& folder, const std::u16string& name, std::int32_t index = 0);
// The top-left corner and the centre of a control in client coordinates ({-1, -1} when unknown).
std::int32_t ConfigLeft(const std::u16string& folder, const std::u16string& name, std::int32_t index = 0);
std::int32_t ConfigTop(const std::u16string& folder, const std::u16string& name, std::int32_t index = 0);
std::int32_t ConfigCenterX(const std::u16string& folder, const std::u16string& name, std::int32_t index = 0);
std::int32_t ConfigCenterY(const std::u16string& folder, const std::u16string& name, std::int32_t index = 0);
// The thumb's centre along a horizontal slider of that row at `value` (its row's Min and Max).
std::int32_t ConfigThumbCenterX(const std::u16string& folder, const std::u16string& name, double value,
                                std::int32_t index = 0);

// The image sets, the backgrounds, the plate's image and "data/db_voicevolume.txt" with
// `voiceRows` rows: ID i, shown, panel order i, face "Face<i>.png" (found in lower case), no
// sample, a system voice.
TestGameFolder& AddConfigFiles(TestGameFolder& game, std::int32_t voiceRows = 7);

// A click on the centre of a control.
void AddConfigClick(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& folder,
                    const std::u16string& name, std::int32_t index = 0);
// A drag of a horizontal slider's thumb from where `from` puts it to where `to` does: a move onto
// the thumb, the button down, two moves and the button up, on five passes from `pass`.
void AddConfigSliderDrag(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& folder,
                         const std::u16string& name, double from, double to);
