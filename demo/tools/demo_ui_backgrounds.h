// The screens' full-screen backgrounds "cg/ui/bg_*.png" and the frames of the loose-image widgets
// the screens add, written by the demo generator: 1024 by 768 gradients, each screen in its own
// colours, with the screen's title and the captions of its rows rendered on them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct DemoCaption {
    std::int32_t left, top;   // the caption's left end, and the middle of its line
    std::u16string text;
};

struct DemoBackground {
    const char* file;         // under "cg/ui/"
    std::u16string title;
    std::uint32_t top, bottom;   // the gradient's colours, 0xRRGGBB
    std::vector<DemoCaption> captions;
};

// Writes each background; false when a text cannot be rendered or a file written.
bool WriteDemoBackgrounds(const std::filesystem::path& gameFolder, const std::vector<DemoBackground>& backgrounds);
// Writes a framed panel "cg/ui/<name>.png" of that size.
bool WriteDemoPanelImage(const std::filesystem::path& gameFolder, const char* name, std::int32_t width,
                         std::int32_t height, std::uint32_t fill, std::uint32_t line);
