#include "foundation/easing.h"

#include <cmath>

namespace {

// 2 pi and 1 / (2 pi) as the curves use them (single-precision values widened).
constexpr double kTwoPi = 6.2831854820251465;
constexpr double kInvTwoPi = 0.15915493866300567;
constexpr float kPiF = 3.1415927f;
constexpr float kTwoPiF = 6.2831855f;

template <typename F>
GxVector4 ForEach(const GxVector4& start, const GxVector4& end, F curve)
{
    return GxVector4(curve(start.x, end.x), curve(start.y, end.y), curve(start.z, end.z), curve(start.w, end.w));
}

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

float GxEaseSineHalfWave(float start, float end, float t, float a)
{
    return start + (end - start) * (t + std::sin(kPiF * t) * a / kPiF);
}

GxVector4 GxEasePower(const GxVector4& start, const GxVector4& end, float t, float a)
{
    return ForEach(start, end, [t, a](float s, float e) { return GxEasePower(s, e, t, a); });
}

GxVector4 GxEaseSineHalfWave(const GxVector4& start, const GxVector4& end, float t, float a)
{
    return ForEach(start, end, [t, a](float s, float e) { return GxEaseSineHalfWave(s, e, t, a); });
}

GxVector4 GxEaseSineWave(const GxVector4& start, const GxVector4& end, float t, float a)
{
    return ForEach(start, end, [t, a](float s, float e) {
        return s + (e - s) * (t + std::sin(kTwoPiF * t) * a / kTwoPiF);
    });
}
