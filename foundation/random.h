// The engine's random generator: MT19937 with an exactly uniform range reduction.
#pragma once

#include <cstdint>

struct GxRandomState {
    static constexpr int kWords = 624;

    std::uint32_t state[kWords] = {};
    // The next word to hand out; 0 also means the state is regenerated first.
    std::int32_t index = 0;
    std::int32_t seeded = 0;
    // Range cache of GxRandomBelow.
    std::int32_t rangeN = 0;
    std::uint32_t rangeBound = 0;
    std::int32_t rangeShift = 0;
};

// The process's default instance (used on the window thread).
GxRandomState& GxRandomDefaultState();

// A null state means the default instance.
void GxRandomSeed(std::uint32_t seed, GxRandomState* state = nullptr);
// The next 32-bit output. An unseeded default instance seeds itself with 5489; any other
// instance with a process-wide counter (5490, 5491, ...).
std::uint32_t GxRandomNext(GxRandomState* state = nullptr);
// Uniform in 0..n - 1; 0 (drawing nothing) when n < 1.
std::int32_t GxRandomBelow(std::int32_t n, GxRandomState* state = nullptr);
