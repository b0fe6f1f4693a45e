#include "foundation/random.h"

#include <atomic>

namespace {

constexpr int kMiddle = 397;
constexpr std::uint32_t kMatrixA = 0x9908B0DFu;
constexpr std::uint32_t kUpperMask = 0x80000000u;
constexpr std::uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr std::uint32_t kDefaultSeed = 5489u;

std::atomic<std::uint32_t> g_SeedCounter{kDefaultSeed};

void Regenerate(GxRandomState& s)
{
    for (int i = 0; i < GxRandomState::kWords; ++i) {
        std::uint32_t y = (s.state[i] & kUpperMask) | (s.state[(i + 1) % GxRandomState::kWords] & kLowerMask);
        std::uint32_t next = s.state[(i + kMiddle) % GxRandomState::kWords] ^ (y >> 1);
        if (y & 1u) next ^= kMatrixA;
        s.state[i] = next;
    }
}

GxRandomState& Resolve(GxRandomState* state)
{
    return state ? *state : GxRandomDefaultState();
}

}  // namespace

GxRandomState& GxRandomDefaultState()
{
    static GxRandomState state;
    return state;
}

void GxRandomSeed(std::uint32_t seed, GxRandomState* state)
{
    GxRandomState& s = Resolve(state);
    s.state[0] = seed;
    for (int i = 1; i < GxRandomState::kWords; ++i)
        s.state[i] = 1812433253u * (s.state[i - 1] ^ (s.state[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
    s.index = 0;
    s.seeded = 1;
    s.rangeN = 0;
}

std::uint32_t GxRandomNext(GxRandomState* state)
{
    GxRandomState& s = Resolve(state);
    if (s.index == 0) {
        if (s.seeded != 1) {
            std::uint32_t seed = (&s == &GxRandomDefaultState()) ? kDefaultSeed : ++g_SeedCounter;
            GxRandomSeed(seed, &s);
        }
        Regenerate(s);
    }
    std::uint32_t y = s.state[s.index];
    s.index = (s.index + 1) % GxRandomState::kWords;
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

std::int32_t GxRandomBelow(std::int32_t n, GxRandomState* state)
{
    if (n < 1) return 0;
    GxRandomState& s = Resolve(state);
    if (n != s.rangeN) {
        s.rangeN = n;
        std::uint32_t bound = static_cast<std::uint32_t>(n);
        std::int32_t shift = 0;
        if (bound <= 0x40000000u) {
            while (bound <= 0x40000000u) {
                bound <<= 1;
                ++shift;
            }
        }
        s.rangeBound = bound;
        s.rangeShift = shift;
    }
    const std::uint32_t un = static_cast<std::uint32_t>(n);
    for (;;) {
        std::uint32_t r = GxRandomNext(&s) >> 1;
        if (r < s.rangeBound) return static_cast<std::int32_t>(r >> s.rangeShift);
        // Spend the leftover range [bound, 2^31) in power-of-two slices of n before drawing again.
        std::uint32_t span = s.rangeBound;
        std::uint32_t rest = 0x80000000u - s.rangeBound;
        std::uint32_t v = r - s.rangeBound;
        std::int32_t shift = s.rangeShift;
        while (rest >= un) {
            while (span > rest) {
                span >>= 1;
                --shift;
            }
            if (v < span) return static_cast<std::int32_t>(v >> shift);
            rest -= span;
            v -= span;
        }
    }
}
