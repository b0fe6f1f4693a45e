// The message window of the widget checks and engine runs: its UI module row (type 9, font 2,
// text region (40, 24, 800, 150)), a layout row placing "$MESWIN:SeqAvgMain" at (72, 540), and its
// 880 x 200 frame image. No GoogleTest and no widget code.
#pragma once

#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

constexpr std::uint32_t kMessageFrameColor = 0xFF102030;
constexpr std::int32_t kMessageFrameWidth = 880;
constexpr std::int32_t kMessageFrameHeight = 200;

// `frameFolder` is the image path's folder part ("cg/ui/" in a game folder, or an absolute one).
ModuleRow MessageWindowModuleRow(const std::u16string& frameFolder = u"cg/ui/");
LayoutRow MessageWindowLayoutRow(const std::u16string& parentName);
// "meswin.png" under the folder, in kMessageFrameColor; false when it cannot be written.
bool WriteMessageWindowFrame(const std::filesystem::path& folder);

// The rest of a play screen that shows text and choices: the name window "$NAMEWIN:SeqAvgMain"
// (200 x 40 at (72, 480)) and the choice buttons' module "btn_select0" (a text button).
ModuleRow NameWindowModuleRow();
LayoutRow NameWindowLayoutRow();
ModuleRow ChoiceButtonModuleRow(std::int32_t width = 601, std::int32_t height = 40);
// The three module rows and the two layout rows of the message window, the name window and the
// choice buttons, as the play screen's end-to-end runs use them.
std::vector<ModuleRow> PlayScreenModuleRows(std::int32_t choiceWidth = 601, std::int32_t choiceHeight = 40);
std::vector<LayoutRow> PlayScreenLayoutRows();

// The play screen's quick save and quick load buttons, "btn_qsave" and "btn_qload": image buttons
// of their own colours, 40 x 20 on the message window at (800, 10) and (800, 40). The module
// rows' IDs are renumbered by AddSystemLayer or set by the caller.
constexpr std::uint32_t kQuickSaveButtonColor = 0xFF30A0D0;
constexpr std::uint32_t kQuickLoadButtonColor = 0xFFD0A030;
std::vector<ModuleRow> QuickButtonModuleRows();
std::vector<LayoutRow> QuickButtonLayoutRows(std::int32_t firstID);
// Their image sets "uigis/ui_common.gis" and "uigis/ui_avgmain.gis" (written over those of
// StartupFiles: call it after) over "uigis/qsave.png" and "uigis/qload.png".
TestGameFolder& AddQuickButtonFiles(TestGameFolder& game);
// The buttons' centres in client coordinates.
constexpr std::int32_t kQuickButtonCenterX = 72 + 800 + 20;
constexpr std::int32_t kQuickSaveCenterY = 540 + 10 + 10;
constexpr std::int32_t kQuickLoadCenterY = 540 + 40 + 10;

// The play screen's "btn_save" and "btn_load": image panels of their own colour, children of
// "$MESWIN:SeqAvgMain" in its bottom right corner (absolute places below), with their images.
constexpr std::uint32_t kPlaySaveButtonColor = 0xFF30A0A0;
constexpr std::uint32_t kPlayLoadButtonColor = 0xFFA0A030;
constexpr std::int32_t kPlayButtonWidth = 80;
constexpr std::int32_t kPlayButtonHeight = 30;
constexpr std::int32_t kPlaySaveLeft = 72 + 680;
constexpr std::int32_t kPlayLoadLeft = 72 + 770;
constexpr std::int32_t kPlayButtonTop = 540 + 160;
// Module IDs follow whatever rows come first (AddSystemLayer renumbers them); layout IDs from
// `firstID`. The images are "<folder>btn_save.png" and "<folder>btn_load.png".
std::vector<ModuleRow> PlayFileButtonModuleRows(const std::u16string& imageFolder = u"cg/ui/");
std::vector<LayoutRow> PlayFileButtonLayoutRows(std::int32_t firstID = 1);
bool WritePlayFileButtonImages(const std::filesystem::path& folder);
