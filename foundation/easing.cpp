#include "foundation/easing.h"

#include <cmath>

namespace {

// 2 pi and 1 / (2 pi) as the curves use them (single-precision values widened).
constexpr double kTwoPi = 6.2831854820251465;
constexpr double kInvTwoPi = 0.15915493866300567;

}  // namespace

float GxEasePower(float start, float end, float t, float a)
{
    if (a > 0.0f)
        return end - (end - start) * std::pow(1.0f - t, 1.0f + 4.0f * a);
    return start + (end - start) * std::pow(t, 1.0f - 4.0f * a);
}

float GxEaseSineWave(float start, float end, float t, float a)
{
    const double wave = std::sin(kTwoPi * t) * kInvTwoPi;
    return start + (end - start) * static_cast<float>(t + a * wave);
}
