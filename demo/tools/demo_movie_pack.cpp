// The opening movie and the scrambled pack "demo00.gxp". The movie is painted here frame by
// frame (scrolling colour bands, a rising sun and the title) over a short arpeggio, and encoded
// at the screen's size, since the engine draws a movie at its own size. The pack takes the movie
// and one scene's pictures, which then exist only inside it.
#include "demo_generator.h"

#include "demo_glyphs.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/pack_builder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
// At 10 frames a second the container's probe finds no rate for the MPEG sound and the movie
// plays silent; 25 is read everywhere.
constexpr int kFramesPerSecond = 25;
constexpr int kFrames = 75;   // three seconds
constexpr int kFadeFrames = 10;

std::uint32_t Rgb(int red, int green, int blue)
{
    const auto clamp = [](int value) { return static_cast<std::uint32_t>(std::clamp(value, 0, 255)); };
    return 0xFF000000u | (clamp(red) << 16) | (clamp(green) << 8) | clamp(blue);
}

std::uint32_t Scale(std::uint32_t colour, int numerator, int denominator)
{
    return Rgb(static_cast<int>((colour >> 16) & 0xFF) * numerator / denominator,
               static_cast<int>((colour >> 8) & 0xFF) * numerator / denominator,
               static_cast<int>(colour & 0xFF) * numerator / denominator);
}

// The title, white on black, as coverage for the frames to blend in.
struct Title {
    TestImage coverage;
    int top = 0;
};

Title RenderTitle()
{
    Title title;
    title.coverage = TestImage::Solid(kWidth, 160, 0xFF000000u);
    title.top = kHeight / 2 - 140;
    if (!DrawDemoText(title.coverage, u"Tarnwick Demo", 72, kWidth / 2, 60, 0xFFFFFF) ||
        !DrawDemoText(title.coverage, u"はじまりの街", 36, kWidth / 2, 130, 0xFFFFFF))
        std::fprintf(stderr, "generate_demo: the movie's title could not be drawn\n");
    return title;
}

// Evening bands that scroll down, a sun that rises behind them, the title fading in from the
// first second, and the whole faded from and to black.
void PaintFrame(const Title& title, int index, std::vector<std::uint32_t>& argb)
{
    static constexpr std::uint32_t kBands[] = {0x1B1F4A, 0x2E2A6B, 0x5B3A87, 0x9A4F8C, 0xD9707A, 0xF29E63};
    constexpr int kBandHeight = 64;
    const int scroll = index * 4;
    std::uint32_t* const pixels = argb.data();
    std::uint32_t previous = 0;
    for (int y = 0; y < kHeight; ++y) {
        // Bands shaded darker towards the top, moving down with the scroll.
        const int band = ((y + scroll) / kBandHeight) % 6;
        const int shade = 60 + 40 * y / kHeight;
        const std::uint32_t colour = Scale(kBands[band], shade, 100);
        std::uint32_t* row = pixels + static_cast<std::ptrdiff_t>(y) * kWidth;
        if (y > 0 && colour == previous)
            std::memcpy(row, row - kWidth, kWidth * sizeof(std::uint32_t));
        else
            std::fill_n(row, kWidth, colour);
        previous = colour;
    }
    // The sun: a disc rising from below the bottom edge.
    const int radius = 110;
    const int centreX = kWidth / 2 + (index - kFrames / 2) * 2;
    const int centreY = kHeight + radius - index * 6;
    for (int y = std::max(0, centreY - radius); y < std::min(kHeight, centreY + radius); ++y) {
        const int dy = y - centreY;
        const int half = static_cast<int>(std::sqrt(static_cast<double>(radius * radius - dy * dy)));
        const int from = std::max(0, centreX - half);
        const int to = std::min(kWidth, centreX + half);
        if (from < to)
            std::fill(argb.begin() + static_cast<std::ptrdiff_t>(y) * kWidth + from,
                      argb.begin() + static_cast<std::ptrdiff_t>(y) * kWidth + to, Rgb(255, 214, 120 + dy / 4));
    }
    // The title over the bands.
    const int titleAlpha = std::clamp((index - kFramesPerSecond) * 255 / 12, 0, 255);
    if (titleAlpha > 0) {
        for (std::uint32_t y = 0; y < title.coverage.height; ++y) {
            for (std::uint32_t x = 0; x < title.coverage.width; ++x) {
                const int cover = static_cast<int>((title.coverage.At(x, y) >> 16) & 0xFF) * titleAlpha / 255;
                if (cover == 0)
                    continue;
                std::uint32_t& pixel = argb[static_cast<std::size_t>(title.top + static_cast<int>(y)) * kWidth + x];
                const auto mix = [&](int shift) {
                    const int under = static_cast<int>((pixel >> shift) & 0xFF);
                    return under + (255 - under) * cover / 255;
                };
                pixel = Rgb(mix(16), mix(8), mix(0));
            }
        }
    }
    const int fade = std::min({index + 1, kFrames - index, kFadeFrames});
    if (fade < kFadeFrames) {
        // Runs of one colour: scaled once a run.
        std::uint32_t from = 0;
        std::uint32_t to = Scale(from, fade, kFadeFrames);
        for (std::uint32_t& pixel : argb) {
            if (pixel != from) {
                from = pixel;
                to = Scale(pixel, fade, kFadeFrames);
            }
            pixel = to;
        }
    }
}

// An arpeggio of soft bell notes, C major climbing, fading out with the picture.
double Arpeggio(double seconds)
{
    static constexpr double kNotes[] = {523.25, 659.26, 783.99, 1046.5, 783.99, 659.26, 523.25, 392.0};
    constexpr double kNote = 0.375;
    double value = 0.0;
    // The current note and the tail of the one before it.
    const int current = static_cast<int>(seconds / kNote);
    for (int n = std::max(0, current - 1); n <= current; ++n) {
        const double t = seconds - n * kNote;
        const double hertz = kNotes[n % 8];
        value += std::exp(-4.0 * t) * std::min(1.0, t / 0.01) *
                 (std::sin(2.0 * std::numbers::pi * hertz * t) + 0.3 * std::sin(4.0 * std::numbers::pi * hertz * t));
    }
    const double length = static_cast<double>(kFrames) / kFramesPerSecond;
    const double fade = std::clamp((length - seconds) / 0.4, 0.0, 1.0);
    return 0.3 * value * fade;
}

MovieBytes BuildOpening()
{
    const Title title = RenderTitle();
    TestMovieSpec spec;
    spec.container = TestMovieContainer::Mpg;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.framesPerSecond = kFramesPerSecond;
    spec.frames = kFrames;
    spec.picture = TestMoviePicture::Drawn;
    spec.drawFrame = [&title](int index, std::vector<std::uint32_t>& argb) { PaintFrame(title, index, argb); };
    spec.videoBitRate = 1000000;
    spec.videoMaxRate = 2000000;
    spec.gopSize = 12;
    spec.audioStreams = 1;
    spec.sampleRate = 44100;
    spec.channels = 1;
    spec.sound = Arpeggio;
    return BuildTestMovie(spec);
}

bool ReadFileBytes(const std::filesystem::path& path, std::vector<BYTE>* bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

}  // namespace

bool WriteDemoMoviePack(const std::filesystem::path& gameFolder)
{
    const MovieBytes movie = BuildOpening();
    if (movie.empty()) {
        std::fprintf(stderr, "generate_demo: the opening movie could not be encoded\n");
        return false;
    }
    // Entry names as the engine looks them up: "/" between folders (a pack's names are matched
    // with their case ignored, "\" read as "/" only in the name asked for).
    TestPackBuilder pack;
    pack.SetScrambled(true);
    pack.Add(u"movies/opening.mpg", std::vector<BYTE>(movie.begin(), movie.end()));
    std::vector<std::filesystem::path> packed;
    for (const char* name : {"cg/bg/bg_street.png", "cg/ev/ev_sunset.png"}) {
        const std::filesystem::path loose = gameFolder / name;
        std::vector<BYTE> bytes;
        if (!std::filesystem::is_regular_file(loose) || !ReadFileBytes(loose, &bytes)) {
            std::printf("generate_demo: not packed, missing: %s\n", name);
            continue;
        }
        const std::string text(name);
        pack.Add(std::u16string(text.begin(), text.end()), std::move(bytes));
        packed.push_back(loose);
    }
    if (!pack.Write((gameFolder / "demo00.gxp").string())) {
        std::fprintf(stderr, "generate_demo: cannot write %s\n", (gameFolder / "demo00.gxp").string().c_str());
        return false;
    }
    // A loose file would be read in place of the packed one.
    bool ok = true;
    for (const std::filesystem::path& loose : packed) {
        std::error_code error;
        if (!std::filesystem::remove(loose, error)) {
            std::fprintf(stderr, "generate_demo: cannot remove %s\n", loose.string().c_str());
            ok = false;
        }
    }
    std::error_code error;
    std::filesystem::remove(gameFolder / "movies" / "opening.mpg", error);
    return ok;
}
