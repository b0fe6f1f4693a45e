// The save and load screens for test game folders: the rows of "$UI:SeqSave" and "$UI:SeqLoad"
// (the page buttons "b01".."b10" as radio buttons over "uigis/ui_saveload.gis", the eight plates
// "btn_fileplate" told apart by their index, "tip_new" and "btn_back", each panel a solid image of
// its own colour) and the screens' backgrounds "cg/ui/bg_save.png" and "cg/ui/bg_load.png", so
// that an engine run can save, load and tell from a captured frame which widget is where. No
// GoogleTest and no widget code.
#pragma once

#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <string>
#include <vector>

class TestEngineRunner;

constexpr std::uint32_t kSaveBackgroundColor = 0xFF203828;
constexpr std::uint32_t kLoadBackgroundColor = 0xFF282038;
constexpr std::uint32_t kPageOffColor = 0xFF606060;
constexpr std::uint32_t kPageOnColor = 0xFFF0D020;
constexpr std::uint32_t kFilePlateColor = 0xFF404878;
constexpr std::uint32_t kNewTipColor = 0xFFFF40A0;
constexpr std::uint32_t kFileBackColor = 0xFFA06030;

// Page button k (1..10) at (kPageLeft + (k - 1) * kPageStep, kPageTop).
constexpr std::int32_t kPageLeft = 52;
constexpr std::int32_t kPageTop = 60;
constexpr std::int32_t kPageStep = 66;
constexpr std::int32_t kPageWidth = 60;
constexpr std::int32_t kPageHeight = 30;
// A plate frames its slot's thumbnail and two text lines, which the screen draws at fixed places
// (52 + 484c, 150 + 131r): the plate starts kPlateMargin above and left of them.
constexpr std::int32_t kPlateMargin = 8;
constexpr std::int32_t kPlateWidth = 468;
constexpr std::int32_t kPlateHeight = 116;
constexpr std::int32_t kNewTipSize = 24;
constexpr std::int32_t kFileBackLeft = 880;
constexpr std::int32_t kFileBackTop = 700;
constexpr std::int32_t kFileBackWidth = 120;
constexpr std::int32_t kFileBackHeight = 40;

// The module rows (their IDs follow whatever rows come first: AddSystemLayer renumbers them) and
// the layout rows of both screens with IDs from `firstID`.
std::vector<ModuleRow> FileScreenModuleRows();
std::vector<LayoutRow> FileScreenLayoutRows(std::int32_t firstID = 1);
// The backgrounds, the panels' images, the image set and its atlas.
TestGameFolder& AddFileScreenFiles(TestGameFolder& game);

// Centres, in client coordinates, of page button k (1..10) and plate p (0..7); clicks on them.
std::int32_t FilePageCenterX(std::int32_t page);
std::int32_t FilePageCenterY();
std::int32_t FilePlateCenterX(std::int32_t plate);
std::int32_t FilePlateCenterY(std::int32_t plate);
void AddFilePageClick(TestEngineRunner& runner, std::uint32_t pass, std::int32_t page);
void AddFilePlateClick(TestEngineRunner& runner, std::uint32_t pass, std::int32_t plate);
