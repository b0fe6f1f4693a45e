// The demo generator's user-interface kit: collects the UI module and layout rows of every screen
// together with the image-set cells their widgets draw (button looks with their labels rendered
// here), then writes the sets "uigis/<set>.gis" over one atlas each and both UI tables.
#pragma once

#include "tests/support/image_fixtures.h"
#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The looks a widget kind needs: a push button "_off", "_on", "_over", "_na"; a toggle or radio
// button those and "_onover", "_onna".
enum class DemoLooks { kButton, kToggle };

// A colour scheme for button looks: fill and line of the plain, pointed-at, on and disabled looks.
struct DemoPalette {
    std::uint32_t fill, line, overFill, onFill, onLine, naFill;
};

const DemoPalette& DemoBluePalette();
const DemoPalette& DemoAmberPalette();

class DemoUIKit {
public:
    // One origin image of `set` ("name.png", lower case) with one pattern per frame.
    void AddCell(const std::u16string& set, const std::u16string& file, const std::vector<TestImage>& frames);
    void AddCell(const std::u16string& set, const std::u16string& file, const TestImage& image)
    {
        AddCell(set, file, std::vector<TestImage>{image});
    }
    // The looks of a button of the size given, its label centred on each.
    void AddButtonCells(const std::u16string& set, const std::u16string& stem, std::int32_t width,
                        std::int32_t height, const std::u16string& label, DemoLooks looks,
                        const DemoPalette& palette = DemoBluePalette());
    // The thumb looks and the track ("_back", "_backna") of a slider.
    void AddSliderCells(const std::u16string& set, const std::u16string& stem, std::int32_t trackWidth,
                        std::int32_t trackHeight, std::int32_t thumbWidth, std::int32_t thumbHeight);

    // A module row; the ID is given here (from 1, in the order added). A second row of the same
    // name is dropped: modules are shared by name.
    void AddModule(ModuleRow row);
    // A layout row; the ID is given here.
    void AddLayout(LayoutRow row);

    // Writes the sets with their atlases "uigis/<set>.png" and the two tables under the game
    // folder; false when a label could not be rendered or a file not written.
    bool Write(const std::filesystem::path& gameFolder) const;

    // Set when a label or text could not be rendered.
    void Fail() { m_Failed = true; }
    bool Failed() const { return m_Failed; }

private:
    struct Cell {
        std::u16string file;
        std::vector<TestImage> frames;
    };
    std::map<std::u16string, std::vector<Cell>> m_Sets;
    std::vector<ModuleRow> m_Modules;
    std::vector<LayoutRow> m_Layouts;
    bool m_Failed = false;
};

// A framed box: `fill` inside a two-pixel `line`.
TestImage DemoFrame(std::int32_t width, std::int32_t height, std::uint32_t fill, std::uint32_t line);
// A frame with a label centred on it (glyphs `textHeight` high, white); marks the kit failed when
// the label cannot be rendered.
TestImage DemoLabelled(DemoUIKit& kit, std::int32_t width, std::int32_t height, std::uint32_t fill,
                       std::uint32_t line, const std::u16string& label, std::uint32_t textColour = 0xFFFFFF);
