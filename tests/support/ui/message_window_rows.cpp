#include "tests/support/ui/message_window_rows.h"

#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <string>

ModuleRow MessageWindowModuleRow(const std::u16string& frameFolder)
{
    ModuleRow row;
    row.id = 1;
    row.type = 9;
    row.name = u"tip_msgwindow";
    row.imageSet = frameFolder;
    row.image = u"meswin";
    row.clientLeft = 40;
    row.clientTop = 24;
    row.clientWidth = 800;
    row.clientHeight = 150;
    row.font = 2;
    row.anime = 2;
    return row;
}

LayoutRow MessageWindowLayoutRow(const std::u16string& parentName)
{
    LayoutRow row;
    row.id = 1;
    row.parentName = parentName;
    row.moduleName = u"tip_msgwindow";
    row.taskName = u"$MESWIN:SeqAvgMain";
    row.taskIndex = -1;
    row.left = 72.0f;
    row.top = 540.0f;
    return row;
}

bool WriteMessageWindowFrame(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    TestImage image;
    image.width = kMessageFrameWidth;
    image.height = kMessageFrameHeight;
    image.argb.assign(static_cast<std::size_t>(image.width) * image.height, kMessageFrameColor);
    return WriteImageFile((folder / "meswin.png").string(), BuildPng(PngSpecRgba8(image)));
}

ModuleRow NameWindowModuleRow()
{
    return {2, 11, u"tip_namewindow", u"", u"", 200, 40, 0, 0, 200, 40, 0, 2};
}

LayoutRow NameWindowLayoutRow()
{
    return {2, u"SeqAvgMain", u"tip_namewindow", u"$NAMEWIN:SeqAvgMain", -1, 1, 1, 1, 72.0f, 480.0f, 15001.0f};
}

ModuleRow ChoiceButtonModuleRow(std::int32_t width, std::int32_t height)
{
    return {3, 21, u"btn_select0", u"", u"", width, height, 0, 0, width, height, 0, 2};
}

std::vector<ModuleRow> PlayScreenModuleRows(std::int32_t choiceWidth, std::int32_t choiceHeight)
{
    return {MessageWindowModuleRow(), NameWindowModuleRow(), ChoiceButtonModuleRow(choiceWidth, choiceHeight)};
}

std::vector<LayoutRow> PlayScreenLayoutRows()
{
    return {MessageWindowLayoutRow(u"SeqAvgMain"), NameWindowLayoutRow()};
}

namespace {

struct QuickButton {
    const char16_t* name;
    const char16_t* imageSet;   // one set each, so that each has a colour of its own
    const char16_t* pattern;
    const char* atlas;
    std::uint32_t color;
    float top;
};

const QuickButton kQuickButtons[] = {
    {u"btn_qsave", u"ui_common", u"qs", "uigis/qsave.png", kQuickSaveButtonColor, 10.0f},
    {u"btn_qload", u"ui_avgmain", u"ql", "uigis/qload.png", kQuickLoadButtonColor, 40.0f},
};

}  // namespace

std::vector<ModuleRow> QuickButtonModuleRows()
{
    std::vector<ModuleRow> rows;
    for (const QuickButton& button : kQuickButtons) {
        ModuleRow row;
        row.id = static_cast<std::int32_t>(rows.size()) + 1;
        row.type = 18;
        row.name = button.name;
        row.imageSet = button.imageSet;
        row.image = button.pattern;
        row.w = row.clientWidth = 40;
        row.h = row.clientHeight = 20;
        rows.push_back(row);
    }
    return rows;
}

std::vector<LayoutRow> QuickButtonLayoutRows(std::int32_t firstID)
{
    std::vector<LayoutRow> rows;
    for (const QuickButton& button : kQuickButtons) {
        LayoutRow row;
        row.id = firstID + static_cast<std::int32_t>(rows.size());
        row.parentName = u"$MESWIN:SeqAvgMain";
        row.moduleName = button.name;
        row.taskName = button.name;
        row.taskIndex = 0;
        row.left = 800.0f;
        row.top = button.top;
        rows.push_back(row);
    }
    return rows;
}

TestGameFolder& AddQuickButtonFiles(TestGameFolder& game)
{
    for (const QuickButton& button : kQuickButtons) {
        const std::string atlas = button.atlas;
        const std::u16string atlasName(atlas.begin() + 6, atlas.end());   // past "uigis/"
        game.Png(atlas, TestImage::Solid(40, 20, button.color))
            .ImageSet("uigis/" + std::string(button.imageSet, button.imageSet + std::char_traits<char16_t>::length(button.imageSet)) + ".gis",
                      OnePatternImageSet(atlasName, std::u16string(button.pattern) + u"_off.png", 40, 20));
    }
    return game;
}

namespace {

struct PlayFileButton {
    const char16_t* name;
    const char* file;
    std::int32_t left;
    std::uint32_t color;
};

const PlayFileButton kPlayFileButtons[] = {
    {u"btn_save", "btn_save.png", kPlaySaveLeft, kPlaySaveButtonColor},
    {u"btn_load", "btn_load.png", kPlayLoadLeft, kPlayLoadButtonColor},
};

}  // namespace

std::vector<ModuleRow> PlayFileButtonModuleRows(const std::u16string& imageFolder)
{
    std::vector<ModuleRow> rows;
    for (const PlayFileButton& button : kPlayFileButtons) {
        ModuleRow row;
        row.id = static_cast<std::int32_t>(rows.size()) + 1;
        row.type = 8;   // an image panel: it takes clicks and reports them to the screen
        row.name = button.name;
        row.imageSet = imageFolder;
        row.image = button.name;
        row.w = kPlayButtonWidth;
        row.h = kPlayButtonHeight;
        row.font = 1;
        rows.push_back(row);
    }
    return rows;
}

std::vector<LayoutRow> PlayFileButtonLayoutRows(std::int32_t firstID)
{
    std::vector<LayoutRow> rows;
    for (const PlayFileButton& button : kPlayFileButtons) {
        LayoutRow row;
        row.id = firstID + static_cast<std::int32_t>(rows.size());
        row.parentName = u"$MESWIN:SeqAvgMain";
        row.moduleName = button.name;
        row.taskName = button.name;
        row.taskIndex = 0;
        // Places inside the window.
        row.left = static_cast<float>(button.left - 72);
        row.top = static_cast<float>(kPlayButtonTop - 540);
        rows.push_back(row);
    }
    return rows;
}

bool WritePlayFileButtonImages(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = true;
    for (const PlayFileButton& button : kPlayFileButtons) {
        const TestImage image = TestImage::Solid(kPlayButtonWidth, kPlayButtonHeight, button.color);
        ok = WriteImageFile((folder / button.file).string(), BuildPng(PngSpecRgba8(image))) && ok;
    }
    return ok;
}
