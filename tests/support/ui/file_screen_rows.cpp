#include "tests/support/ui/file_screen_rows.h"

#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/ui/title_rows.h"

#include <string>

namespace {

// The page buttons' cells side by side in one atlas: off, on, and their hover looks alike.
struct PageCell {
    const char16_t* file;
    std::uint32_t color;
};

const PageCell kPageCells[] = {
    {u"page_off.png", kPageOffColor},
    {u"page_on.png", kPageOnColor},
    {u"page_over.png", kPageOffColor},
    {u"page_onover.png", kPageOnColor},
};

constexpr std::int32_t kPageCellCount = static_cast<std::int32_t>(sizeof(kPageCells) / sizeof(kPageCells[0]));

struct FilePanel {
    const char16_t* name;
    const char* image;   // "cg/ui/<image>.png"
    std::int32_t width;
    std::int32_t height;
    std::uint32_t color;
};

const FilePanel kPanels[] = {
    {u"btn_fileplate", "fileplate", kPlateWidth, kPlateHeight, kFilePlateColor},
    {u"tip_new", "tip_new", kNewTipSize, kNewTipSize, kNewTipColor},
    {u"btn_back", "btn_back", kFileBackWidth, kFileBackHeight, kFileBackColor},
};

std::uint32_t PageAtlasPixel(std::uint32_t x, std::uint32_t)
{
    return kPageCells[x / kPageWidth].color;
}

TestImageSetSpec PageImageSet()
{
    TestImageSetSpec spec;
    spec.atlases.push_back(TestGisAtlas{u"saveload.png", kPageWidth * kPageCellCount, kPageHeight, 1, 0});
    for (std::int32_t cell = 0; cell < kPageCellCount; ++cell) {
        TestGisOrigin origin;
        origin.fileName = kPageCells[cell].file;
        origin.width = kPageWidth;
        origin.height = kPageHeight;
        TestGisPattern pattern;
        pattern.width = kPageWidth;
        pattern.height = kPageHeight;
        pattern.crammedLeft = cell * kPageWidth;
        pattern.crammedWidth = kPageWidth;
        pattern.crammedHeight = kPageHeight;
        pattern.centerPosX = static_cast<float>(kPageWidth) / 2.0f;
        pattern.centerPosY = static_cast<float>(kPageHeight) / 2.0f;
        origin.patterns.push_back(pattern);
        spec.origins.push_back(origin);
    }
    return spec;
}

}  // namespace

std::vector<ModuleRow> FileScreenModuleRows()
{
    std::vector<ModuleRow> rows;
    ModuleRow page;
    page.type = 20;   // a radio button: its value shows the page
    page.name = u"btn_filepage";
    page.imageSet = u"ui_saveload";
    page.image = u"page";
    page.font = 1;
    rows.push_back(page);
    for (const FilePanel& panel : kPanels) {
        ModuleRow row;
        row.type = 8;   // an image panel: it takes clicks and reports them to the screen
        row.name = panel.name;
        row.imageSet = u"cg/ui/";
        const std::string image = panel.image;
        row.image = std::u16string(image.begin(), image.end());
        row.w = panel.width;
        row.h = panel.height;
        row.font = 1;
        rows.push_back(row);
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

std::vector<LayoutRow> FileScreenLayoutRows(std::int32_t firstID)
{
    std::vector<LayoutRow> rows;
    // Index 0 for the single widgets, so that each screen finds its own of a shared name.
    auto add = [&rows](const char16_t* parent, const char16_t* module, std::u16string task, std::int32_t index,
                       std::int32_t left, std::int32_t top, float orderZ) {
        LayoutRow row;
        row.parentName = parent;
        row.moduleName = module;
        row.taskName = std::move(task);
        row.taskIndex = index;
        row.left = static_cast<float>(left);
        row.top = static_cast<float>(top);
        row.orderZ = orderZ;
        rows.push_back(row);
    };
    for (const char16_t* parent : {u"$UI:SeqSave", u"$UI:SeqLoad"}) {
        for (std::int32_t k = 1; k <= 10; ++k)
            add(parent, u"btn_filepage", FormatWide(u"b%02d", k), 0, kPageLeft + (k - 1) * kPageStep, kPageTop,
                10.0f);
        for (std::int32_t p = 0; p < 8; ++p)
            add(parent, u"btn_fileplate", u"btn_fileplate", p, FilePlateCenterX(p) - kPlateWidth / 2,
                FilePlateCenterY(p) - kPlateHeight / 2, 10.0f);
        // Away from any plate: the screen moves it onto the newest slot's plate.
        add(parent, u"tip_new", u"tip_new", 0, 960, 20, 20.0f);
        add(parent, u"btn_back", u"btn_back", 0, kFileBackLeft, kFileBackTop, 10.0f);
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = firstID + static_cast<std::int32_t>(i);
    return rows;
}

TestGameFolder& AddFileScreenFiles(TestGameFolder& game)
{
    game.Png("cg/ui/bg_save.png", TestImage::Solid(1024, 768, kSaveBackgroundColor));
    game.Png("cg/ui/bg_load.png", TestImage::Solid(1024, 768, kLoadBackgroundColor));
    for (const FilePanel& panel : kPanels)
        game.Png(std::string("cg/ui/") + panel.image + ".png",
                 TestImage::Solid(panel.width, panel.height, panel.color));
    game.Png("uigis/saveload.png", TestImage::Make(kPageWidth * kPageCellCount, kPageHeight, &PageAtlasPixel));
    game.ImageSet("uigis/ui_saveload.gis", PageImageSet());
    return game;
}

std::int32_t FilePageCenterX(std::int32_t page)
{
    return kPageLeft + (page - 1) * kPageStep + kPageWidth / 2;
}

std::int32_t FilePageCenterY()
{
    return kPageTop + kPageHeight / 2;
}

std::int32_t FilePlateCenterX(std::int32_t plate)
{
    return 52 + 484 * (plate / 4) - kPlateMargin + kPlateWidth / 2;
}

std::int32_t FilePlateCenterY(std::int32_t plate)
{
    return 150 + 131 * (plate % 4) - kPlateMargin + kPlateHeight / 2;
}

void AddFilePageClick(TestEngineRunner& runner, std::uint32_t pass, std::int32_t page)
{
    AddClick(runner, pass, FilePageCenterX(page), FilePageCenterY());
}

void AddFilePlateClick(TestEngineRunner& runner, std::uint32_t pass, std::int32_t plate)
{
    AddClick(runner, pass, FilePlateCenterX(plate), FilePlateCenterY(plate));
}
