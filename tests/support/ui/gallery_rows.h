// The picture gallery, the replay gallery and the music room for test game folders: their UI
// module and layout rows, backgrounds and image sets, so that an engine run can open them from
// the title, press their buttons and tell from a captured frame what they show. Buttons are
// image-set buttons and radio buttons with cells of "uigis/ui_extra.gis" (every screen here
// loads that set), each module in a colour of its own; the playing marker is an image panel.
// Every widget has a local name with an index (0 for the single ones): names such as "btn_back"
// recur on each screen, and only task names without an index must be unique in the game.
// Plates sit on a 5 x 5 grid, the same on both galleries. No GoogleTest and no widget code.
#pragma once

#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <string>
#include <vector>

class TestGameFolder;

constexpr std::uint32_t kCGModeBackgroundColor = 0xFF203828;
constexpr std::uint32_t kRPModeBackgroundColor = 0xFF382820;
constexpr std::uint32_t kBGMModeBackgroundColor = 0xFF282038;
// "tip_cgplate.png" and "tip_rpplate.png" of "ui_extra.gis": what a locked plate shows.
constexpr std::uint32_t kLockedCGPlateColor = 0xFF606060;
constexpr std::uint32_t kLockedRPPlateColor = 0xFF705050;
constexpr std::uint32_t kGalleryButtonColor = 0xFF4080A0;
constexpr std::uint32_t kPlateCellColor = 0xFF101010;
constexpr std::uint32_t kMusicButtonColor = 0xFFA08040;
constexpr std::uint32_t kMusicButtonOnColor = 0xFFE0C060;
constexpr std::uint32_t kPlayingTipColor = 0xFFF0F040;

constexpr std::int32_t kGalleryPlateWidth = 160;
constexpr std::int32_t kGalleryPlateHeight = 90;
constexpr std::int32_t kGalleryButtonWidth = 120;
constexpr std::int32_t kGalleryButtonHeight = 40;
constexpr std::int32_t kPlayingTipSize = 30;
// The marker sits this far left of the playing track's select button.
constexpr std::int32_t kPlayingTipOffsetX = -37;

// A plate's top left (index 0 to 24, row by row) and a gallery button's ("btn_back",
// "btn_prev", "btn_next"; {-1, -1} for another name), in client coordinates.
std::int32_t GalleryPlateLeft(std::int32_t index);
std::int32_t GalleryPlateTop(std::int32_t index);
std::int32_t GalleryButtonLeft(const std::u16string& name);
std::int32_t GalleryButtonTop(const std::u16string& name);
// The music room's buttons: "btn_back", "btn_bgmplay", "btn_bgmstop", "btn_bgmprev",
// "btn_bgmnext" and "btn_bgmselect" of `track` (1 on); {-1, -1} for another name.
std::int32_t MusicButtonLeft(const std::u16string& name, std::int32_t track = 0);
std::int32_t MusicButtonTop(const std::u16string& name, std::int32_t track = 0);

// The modules every screen here uses: "btn_gallery", "btn_plate" (type 18), "radio_music"
// (type 20) and "tip_playing" (type 8). Their IDs follow whatever rows come first.
std::vector<ModuleRow> GalleryModuleRows();
// Layout rows with IDs from `firstID`: the picture gallery ("$UI:SeqCGMode": back, prev, next
// and plates "btn_cgselect" 0 to 24), the replay gallery ("$UI:SeqRPMode", plates
// "btn_rpselect") and the music room ("$UI:SeqBGMMode": back, play and stop in radio group 2,
// prev, next, "tip_playing", and "btn_bgmselect" 1 to `tracks` in radio group 1).
std::vector<LayoutRow> CGModeLayoutRows(std::int32_t firstID);
std::vector<LayoutRow> RPModeLayoutRows(std::int32_t firstID);
std::vector<LayoutRow> BGMModeLayoutRows(std::int32_t firstID, std::int32_t tracks);

// A thumbnail: the origin name a gallery row gives ("th_cg01.png") and its colour.
struct GalleryThumbnail {
    std::u16string name;
    std::uint32_t color;
};

// The three backgrounds "cg/ui/bg_cgmode.png", "bg_rpmode.png", "bg_bgmmode.png", the image
// sets "uigis/th_cgmode.gis" and "uigis/th_rpmode.gis" (one plate-sized cell per thumbnail),
// "uigis/ui_extra.gis" (the locked patterns and the buttons' cells), "uigis/ui_bgmname.gis"
// and the marker's image "cg/ui/tip_playing.png".
TestGameFolder& AddGalleryFiles(TestGameFolder& game, const std::vector<GalleryThumbnail>& cgThumbnails,
                                const std::vector<GalleryThumbnail>& rpThumbnails);
