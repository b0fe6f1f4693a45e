// Cost of text: laying out and drawing a 400-character Japanese message from a warm glyph cache,
// beside a memcpy of the message window's pixels (the reference measured in the same run); and
// the first rasterisation of 2,000 distinct kanji at size 24 (page fills), beside looking the
// same kanji up once cached, so that glyph-cache misses stay visible as a ratio.
#include "graphics/draw2d.h"
#include "graphics/gdi_font_map.h"
#include "graphics/graphics.h"
#include "graphics/text_layout.h"
#include "graphics/texture.h"
#include "tests/support/test_device.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The message window: 960 x 200 pixels, 32-bit.
constexpr std::uint32_t kWindowWidth = 960;
constexpr std::uint32_t kWindowHeight = 200;
constexpr std::int32_t kMessageFontSize = 24;

// A headless device for the length of one benchmark run.
// The tests' headless device, made as the engine makes it.
class BenchDevice : public TestDevice {
public:
    bool IsReady() const { return Created(); }
};

std::u16string JapaneseMessage(std::size_t length)
{
    const std::u16string sentence = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"
                                    u"何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。";
    std::u16string text;
    while (text.size() < length) text += sentence;
    text.resize(length);
    return text;
}

void TextMessage400Cached(benchmark::State& state)
{
    BenchDevice device;
    if (!device.IsReady()) {
        state.SkipWithError("no device");
        return;
    }
    {
        GxTexture target;
        target.CreateRenderTarget(u"bench_message", kWindowWidth, kWindowHeight, D3DFMT_A8R8G8B8);
        const GxRect window{0, 0, static_cast<std::int32_t>(kWindowWidth), static_cast<std::int32_t>(kWindowHeight)};
        GxGraphics::PushRenderTarget(0, &target, nullptr, &window);
        GxGDIFontMap map;
        map.SetFont(kMessageFontSize, nullptr);
        const std::u16string message = JapaneseMessage(400);
        for (char16_t character : message) map.GetGlyph(character);   // warm the cache

        for (auto _ : state) {
            BeginSceneNested();
            const GxRect layout =
                DrawTextAlignLeft(&map, message, window, 0xFFFFFFFF, 0, 0xFF000000, kBlendAlpha, u'|');
            EndSceneNested();
            benchmark::DoNotOptimize(layout);
        }
        state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(message.size()));
        GxGraphics::PopRenderTarget(0);
    }
}
BENCHMARK(TextMessage400Cached)->Unit(benchmark::kMicrosecond);

// The reference: one copy of the message window's pixels.
void MemcpyMessageWindow(benchmark::State& state)
{
    std::vector<std::uint32_t> source(kWindowWidth * kWindowHeight, 0x80FFFFFF);
    std::vector<std::uint32_t> destination(source.size());
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), source.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.size() * 4));
}
BENCHMARK(MemcpyMessageWindow)->Unit(benchmark::kMicrosecond);

constexpr char16_t kFirstKanji = 0x4E00;
constexpr std::int32_t kKanjiCount = 2000;

void FirstRasterisation2000Kanji(benchmark::State& state)
{
    BenchDevice device;
    if (!device.IsReady()) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        GxGDIFontMap map;
        map.SetFont(24, nullptr);
        for (std::int32_t i = 0; i < kKanjiCount; ++i)
            benchmark::DoNotOptimize(map.GetGlyph(static_cast<char16_t>(kFirstKanji + i)));
        state.PauseTiming();   // dropping the pages is not part of the cost
        map.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kKanjiCount);
}
BENCHMARK(FirstRasterisation2000Kanji)->Unit(benchmark::kMillisecond);

void CachedLookup2000Kanji(benchmark::State& state)
{
    BenchDevice device;
    if (!device.IsReady()) {
        state.SkipWithError("no device");
        return;
    }
    {
        GxGDIFontMap map;
        map.SetFont(24, nullptr);
        for (std::int32_t i = 0; i < kKanjiCount; ++i) map.GetGlyph(static_cast<char16_t>(kFirstKanji + i));
        for (auto _ : state) {
            for (std::int32_t i = 0; i < kKanjiCount; ++i)
                benchmark::DoNotOptimize(map.GetGlyph(static_cast<char16_t>(kFirstKanji + i)));
        }
        state.SetItemsProcessed(state.iterations() * kKanjiCount);
    }
}
BENCHMARK(CachedLookup2000Kanji)->Unit(benchmark::kMicrosecond);

}  // namespace
