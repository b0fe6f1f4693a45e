#include "tests/support/ui/title_rows.h"

#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <algorithm>
#include <string>

const TitleButton kTitleButtons[8] = {
    {u"btn_title_start", 432, 300, 0xFFE04040},  {u"btn_title_load", 432, 350, 0xFF40E040},
    {u"btn_title_visual", 432, 400, 0xFF4040E0}, {u"btn_title_event", 432, 450, 0xFFE0E040},
    {u"btn_title_music", 432, 500, 0xFFE040E0},  {u"btn_title_config", 432, 550, 0xFF40E0E0},
    {u"btn_title_extra", 432, 600, 0xFFE09040},  {u"btn_title_exit", 432, 650, 0xFF9040E0},
};

namespace {

std::string Narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace

const TitleButton* FindTitleButton(const std::u16string& name)
{
    for (const TitleButton& button : kTitleButtons)
        if (name == button.name)
            return &button;
    return nullptr;
}

std::int32_t TitleButtonCenterX(const std::u16string& name)
{
    const TitleButton* button = FindTitleButton(name);
    return button ? button->left + kTitleButtonWidth / 2 : -1;
}

std::int32_t TitleButtonCenterY(const std::u16string& name)
{
    const TitleButton* button = FindTitleButton(name);
    return button ? button->top + kTitleButtonHeight / 2 : -1;
}

std::vector<ModuleRow> TitleModuleRows()
{
    std::vector<ModuleRow> rows;
    for (const TitleButton& button : kTitleButtons) {
        ModuleRow row;
        row.id = static_cast<std::int32_t>(rows.size()) + 1;
        row.type = 8;   // an image panel: it takes clicks and reports them to the screen
        row.name = button.name;
        row.imageSet = u"cg/ui/";
        row.image = button.name;
        row.w = kTitleButtonWidth;
        row.h = kTitleButtonHeight;
        row.font = 1;
        rows.push_back(row);
    }
    return rows;
}

std::vector<LayoutRow> TitleLayoutRows(std::int32_t firstID)
{
    std::vector<LayoutRow> rows;
    for (const TitleButton& button : kTitleButtons) {
        LayoutRow row;
        row.id = firstID + static_cast<std::int32_t>(rows.size());
        row.parentName = u"$UI:SeqTitle";
        row.moduleName = button.name;
        row.taskName = button.name;
        row.left = static_cast<float>(button.left);
        row.top = static_cast<float>(button.top);
        rows.push_back(row);
    }
    return rows;
}

void AppendTitleRows(std::vector<ModuleRow>& modules, std::vector<LayoutRow>& layouts)
{
    std::int32_t lastModule = 0;
    for (const ModuleRow& row : modules)
        lastModule = std::max(lastModule, row.id);
    for (ModuleRow row : TitleModuleRows()) {
        row.id += lastModule;
        modules.push_back(row);
    }
    std::int32_t lastLayout = 0;
    for (const LayoutRow& row : layouts)
        lastLayout = std::max(lastLayout, row.id);
    for (const LayoutRow& row : TitleLayoutRows(lastLayout + 1))
        layouts.push_back(row);
}

TestGameFolder& AddTitleFiles(TestGameFolder& game)
{
    game.Png("cg/ui/bg_title.png", TestImage::Solid(1024, 768, kTitleBackgroundColor));
    for (const TitleButton& button : kTitleButtons)
        game.Png("cg/ui/" + Narrow(button.name) + ".png",
                 TestImage::Solid(kTitleButtonWidth, kTitleButtonHeight, button.color));
    game.Png("uigis/title.png", TestImage::Solid(8, 8, 0xFF808080));
    game.ImageSet("uigis/ui_title.gis", OnePatternImageSet(u"title.png", u"title/frame.png", 8, 8));
    return game;
}

void AddClick(TestEngineRunner& runner, std::uint32_t pass, std::int32_t x, std::int32_t y)
{
    const std::string at = " " + std::to_string(x) + " " + std::to_string(y);
    runner.AddInput(pass, "move" + at);
    runner.AddInput(pass + 1, "ldown" + at);
    runner.AddInput(pass + 2, "lup" + at);
}

void AddTitleClick(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& name)
{
    AddClick(runner, pass, TitleButtonCenterX(name), TitleButtonCenterY(name));
}
