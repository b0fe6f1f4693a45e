// The title screen for test game folders: its eight buttons as image panels of their own colour
// in one column, "cg/ui/bg_title.png" in a colour of its own and "uigis/ui_title.gis", so that an
// engine run can reach the title, press its buttons and tell from a captured frame that it shows.
// No GoogleTest and no widget code.
#pragma once

#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <string>
#include <vector>

class TestEngineRunner;

constexpr std::uint32_t kTitleBackgroundColor = 0xFF283C64;
constexpr std::int32_t kTitleButtonWidth = 160;
constexpr std::int32_t kTitleButtonHeight = 40;

struct TitleButton {
    const char16_t* name;
    std::int32_t left;
    std::int32_t top;
    std::uint32_t color;
};

// "btn_title_start", "btn_title_load", "btn_title_visual", "btn_title_event", "btn_title_music",
// "btn_title_config", "btn_title_extra", "btn_title_exit", top to bottom.
extern const TitleButton kTitleButtons[8];

// The button of that name; null for another name.
const TitleButton* FindTitleButton(const std::u16string& name);
// The button's centre in client coordinates ({-1, -1} for an unknown name).
std::int32_t TitleButtonCenterX(const std::u16string& name);
std::int32_t TitleButtonCenterY(const std::u16string& name);

// The module rows (their IDs follow whatever rows come first: AddSystemLayer renumbers them) and
// the layout rows under "$UI:SeqTitle" with IDs from `firstID`.
std::vector<ModuleRow> TitleModuleRows();
std::vector<LayoutRow> TitleLayoutRows(std::int32_t firstID = 1);
// The title's module and layout rows appended to other rows, their IDs following the last ones.
void AppendTitleRows(std::vector<ModuleRow>& modules, std::vector<LayoutRow>& layouts);
// The title's background, button images and image set.
TestGameFolder& AddTitleFiles(TestGameFolder& game);

// A mouse click the way a player makes one: a move, the button down on the next pass and up on
// the one after.
void AddClick(TestEngineRunner& runner, std::uint32_t pass, std::int32_t x, std::int32_t y);
// A click on the centre of the title's button `name`.
void AddTitleClick(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& name);
