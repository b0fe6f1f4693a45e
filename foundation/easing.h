// Easing curves shared by the actor's timed actions and anything else that animates a value
// from `start` to `end` over a normalised time t in [0, 1].
#pragma once

#include "foundation/value_types.h"

// a > 0: end - (end - start)(1 - t)^(1 + 4a); otherwise start + (end - start) t^(1 - 4a).
float GxEasePower(float start, float end, float t, float a);
// start + (end - start)(t + a sin(2 pi t) / (2 pi)).
float GxEaseSineWave(float start, float end, float t, float a);
// start + (end - start)(t + a sin(pi t) / pi), in single precision.
float GxEaseSineHalfWave(float start, float end, float t, float a);

// The three curves component by component, all in single precision (the motion tracks' forms).
GxVector4 GxEasePower(const GxVector4& start, const GxVector4& end, float t, float a);
GxVector4 GxEaseSineHalfWave(const GxVector4& start, const GxVector4& end, float t, float a);
GxVector4 GxEaseSineWave(const GxVector4& start, const GxVector4& end, float t, float a);
