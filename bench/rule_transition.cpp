// Cost of the play screen's rule transition: one frame's refill of the 1024 x 768 transition
// texture from the captured screen and the rule image, beside a memcpy of the same 3 MiB measured
// in the same run, so the ratio of the two is what counts (goal: at most 3 x the copy). Each run
// alternates two rates, as a running transition does from frame to frame.
#include "avg/snapshot_pixels.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1024;
constexpr std::uint32_t kHeight = 768;
constexpr std::size_t kPixels = static_cast<std::size_t>(kWidth) * kHeight;

struct Buffers {
    Buffers() : captured(kPixels), rule(kPixels), target(kPixels)
    {
        for (std::size_t i = 0; i < kPixels; ++i) {
            captured[i] = static_cast<std::uint32_t>(i * 2654435761u);
            // A left-to-right gradient in red, as rule images usually are.
            rule[i] = 0xFF000000u | ((i % kWidth) * 255 / (kWidth - 1)) << 16;
        }
    }
    static GxConstPixels View(const std::vector<std::uint32_t>& pixels)
    {
        return {reinterpret_cast<const std::uint8_t*>(pixels.data()), kWidth * 4, kWidth, kHeight};
    }
    std::vector<std::uint32_t> captured;
    std::vector<std::uint32_t> rule;
    std::vector<std::uint32_t> target;
};

void ApplyRuleTransition(benchmark::State& state)
{
    Buffers buffers;
    const GxPixels target{reinterpret_cast<std::uint8_t*>(buffers.target.data()), kWidth * 4, kWidth, kHeight};
    float rate = 0.3f;
    for (auto _ : state) {
        ApplyRuleTransitionPixels(Buffers::View(buffers.captured), Buffers::View(buffers.rule), target, kWidth,
                                  kHeight, rate);
        rate = rate < 0.5f ? 0.7f : 0.3f;
        benchmark::DoNotOptimize(buffers.target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kPixels * 4));
}
BENCHMARK(ApplyRuleTransition);

// The reference: the same bytes copied.
void MemcpyScreen(benchmark::State& state)
{
    Buffers buffers;
    for (auto _ : state) {
        std::memcpy(buffers.target.data(), buffers.captured.data(), kPixels * 4);
        benchmark::DoNotOptimize(buffers.target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kPixels * 4));
}
BENCHMARK(MemcpyScreen);

}  // namespace
