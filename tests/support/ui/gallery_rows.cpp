#include "tests/support/ui/gallery_rows.h"

#include "foundation/wide_string.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <string>

namespace {

constexpr std::int32_t kPlateCount = 25;

struct PlacedButton {
    const char16_t* name;
    std::int32_t left;
    std::int32_t top;
};

const PlacedButton kGalleryButtons[] = {{u"btn_back", 880, 700}, {u"btn_prev", 40, 40}, {u"btn_next", 200, 40}};
const PlacedButton kMusicButtons[] = {{u"btn_back", 880, 700},    {u"btn_bgmplay", 600, 150},
                                      {u"btn_bgmstop", 600, 210}, {u"btn_bgmprev", 600, 270},
                                      {u"btn_bgmnext", 600, 330}};
constexpr std::int32_t kSelectLeft = 300;
constexpr std::int32_t kSelectTop = 150;
constexpr std::int32_t kSelectStep = 60;

using Cell = TestSolidCell;

// The state cells of a button module: "_off", "_on", "_over", "_na", and for the toggle family
// "_onover" and "_onna" too.
void AddStateCells(std::vector<Cell>& cells, const std::u16string& image, std::int32_t width, std::int32_t height,
                   std::uint32_t off, std::uint32_t on, bool toggle)
{
    cells.push_back({image + u"_off.png", width, height, off});
    cells.push_back({image + u"_on.png", width, height, on});
    cells.push_back({image + u"_over.png", width, height, off});
    cells.push_back({image + u"_na.png", width, height, off});
    if (toggle) {
        cells.push_back({image + u"_onover.png", width, height, on});
        cells.push_back({image + u"_onna.png", width, height, on});
    }
}

ModuleRow Module(std::int32_t type, const char16_t* name, const char16_t* imageSet, std::int32_t width,
                 std::int32_t height)
{
    ModuleRow row;
    row.type = type;
    row.name = name;
    row.imageSet = imageSet;
    row.image = name;
    row.w = width;
    row.h = height;
    row.font = 1;
    return row;
}

LayoutRow Placed(const char16_t* parent, const char16_t* module, const std::u16string& task, std::int32_t index,
                 std::int32_t left, std::int32_t top, std::int32_t group = 0)
{
    LayoutRow row;
    row.parentName = parent;
    row.moduleName = module;
    row.taskName = task;
    row.taskIndex = index;
    row.left = static_cast<float>(left);
    row.top = static_cast<float>(top);
    row.groupId = group;
    return row;
}

std::vector<LayoutRow> Numbered(std::vector<LayoutRow> rows, std::int32_t firstID)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = firstID + static_cast<std::int32_t>(i);
    return rows;
}

std::vector<LayoutRow> PlateGalleryRows(const char16_t* parent, const char16_t* plate, std::int32_t firstID)
{
    std::vector<LayoutRow> rows;
    for (const PlacedButton& button : kGalleryButtons)
        rows.push_back(Placed(parent, u"btn_gallery", button.name, 0, button.left, button.top));
    for (std::int32_t i = 0; i < kPlateCount; ++i)
        rows.push_back(Placed(parent, u"btn_plate", plate, i, GalleryPlateLeft(i), GalleryPlateTop(i)));
    return Numbered(std::move(rows), firstID);
}

const PlacedButton* Find(const PlacedButton* begin, const PlacedButton* end, const std::u16string& name)
{
    for (const PlacedButton* button = begin; button != end; ++button)
        if (name == button->name)
            return button;
    return nullptr;
}

}  // namespace

std::int32_t GalleryPlateLeft(std::int32_t index)
{
    return 40 + 180 * (index % 5);
}

std::int32_t GalleryPlateTop(std::int32_t index)
{
    return 130 + 118 * (index / 5);
}

std::int32_t GalleryButtonLeft(const std::u16string& name)
{
    const PlacedButton* button = Find(std::begin(kGalleryButtons), std::end(kGalleryButtons), name);
    return button != nullptr ? button->left : -1;
}

std::int32_t GalleryButtonTop(const std::u16string& name)
{
    const PlacedButton* button = Find(std::begin(kGalleryButtons), std::end(kGalleryButtons), name);
    return button != nullptr ? button->top : -1;
}

std::int32_t MusicButtonLeft(const std::u16string& name, std::int32_t track)
{
    if (name == u"btn_bgmselect")
        return track >= 1 ? kSelectLeft : -1;
    const PlacedButton* button = Find(std::begin(kMusicButtons), std::end(kMusicButtons), name);
    return button != nullptr ? button->left : -1;
}

std::int32_t MusicButtonTop(const std::u16string& name, std::int32_t track)
{
    if (name == u"btn_bgmselect")
        return track >= 1 ? kSelectTop + kSelectStep * (track - 1) : -1;
    const PlacedButton* button = Find(std::begin(kMusicButtons), std::end(kMusicButtons), name);
    return button != nullptr ? button->top : -1;
}

std::vector<ModuleRow> GalleryModuleRows()
{
    std::vector<ModuleRow> rows = {
        Module(18, u"btn_gallery", u"ui_extra", kGalleryButtonWidth, kGalleryButtonHeight),
        Module(18, u"btn_plate", u"ui_extra", kGalleryPlateWidth, kGalleryPlateHeight),
        Module(20, u"radio_music", u"ui_extra", kGalleryButtonWidth, kGalleryButtonHeight),
        Module(8, u"tip_playing", u"cg/ui/", kPlayingTipSize, kPlayingTipSize),
    };
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

std::vector<LayoutRow> CGModeLayoutRows(std::int32_t firstID)
{
    return PlateGalleryRows(u"$UI:SeqCGMode", u"btn_cgselect", firstID);
}

std::vector<LayoutRow> RPModeLayoutRows(std::int32_t firstID)
{
    return PlateGalleryRows(u"$UI:SeqRPMode", u"btn_rpselect", firstID);
}

std::vector<LayoutRow> BGMModeLayoutRows(std::int32_t firstID, std::int32_t tracks)
{
    constexpr char16_t kParent[] = u"$UI:SeqBGMMode";
    std::vector<LayoutRow> rows;
    for (const PlacedButton& button : kMusicButtons) {
        const std::u16string name = button.name;
        const bool radio = name == u"btn_bgmplay" || name == u"btn_bgmstop";
        rows.push_back(
            Placed(kParent, radio ? u"radio_music" : u"btn_gallery", name, 0, button.left, button.top, radio ? 2 : 0));
    }
    rows.push_back(Placed(kParent, u"tip_playing", u"tip_playing", 0, kSelectLeft + kPlayingTipOffsetX, kSelectTop));
    for (std::int32_t track = 1; track <= tracks; ++track)
        rows.push_back(Placed(kParent, u"radio_music", u"btn_bgmselect", track, kSelectLeft,
                              kSelectTop + kSelectStep * (track - 1), 1));
    return Numbered(std::move(rows), firstID);
}

TestGameFolder& AddGalleryFiles(TestGameFolder& game, const std::vector<GalleryThumbnail>& cgThumbnails,
                                const std::vector<GalleryThumbnail>& rpThumbnails)
{
    game.Png("cg/ui/bg_cgmode.png", TestImage::Solid(1024, 768, kCGModeBackgroundColor));
    game.Png("cg/ui/bg_rpmode.png", TestImage::Solid(1024, 768, kRPModeBackgroundColor));
    game.Png("cg/ui/bg_bgmmode.png", TestImage::Solid(1024, 768, kBGMModeBackgroundColor));
    game.Png("cg/ui/tip_playing.png", TestImage::Solid(kPlayingTipSize, kPlayingTipSize, kPlayingTipColor));

    std::vector<Cell> cg;
    for (const GalleryThumbnail& thumbnail : cgThumbnails)
        cg.push_back({thumbnail.name, kGalleryPlateWidth, kGalleryPlateHeight, thumbnail.color});
    game.SolidCellImageSet("uigis/", "th_cgmode", cg);
    std::vector<Cell> rp;
    for (const GalleryThumbnail& thumbnail : rpThumbnails)
        rp.push_back({thumbnail.name, kGalleryPlateWidth, kGalleryPlateHeight, thumbnail.color});
    game.SolidCellImageSet("uigis/", "th_rpmode", rp);

    std::vector<Cell> extra = {
        {u"tip_cgplate.png", kGalleryPlateWidth, kGalleryPlateHeight, kLockedCGPlateColor},
        {u"tip_rpplate.png", kGalleryPlateWidth, kGalleryPlateHeight, kLockedRPPlateColor},
    };
    AddStateCells(extra, u"btn_gallery", kGalleryButtonWidth, kGalleryButtonHeight, kGalleryButtonColor,
                  kGalleryButtonColor, false);
    AddStateCells(extra, u"btn_plate", kGalleryPlateWidth, kGalleryPlateHeight, kPlateCellColor, kPlateCellColor,
                  false);
    AddStateCells(extra, u"radio_music", kGalleryButtonWidth, kGalleryButtonHeight, kMusicButtonColor,
                  kMusicButtonOnColor, true);
    game.SolidCellImageSet("uigis/", "ui_extra", extra);
    game.SolidCellImageSet("uigis/", "ui_bgmname", {{u"bgmname.png", 8, 8, 0xFF808080}});
    return game;
}
