#include "platform/xaudio2/x3daudio.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Instance {
    std::uint32_t channelMask;
    float speedOfSound;
};
static_assert(sizeof(Instance) <= X3DAUDIO_HANDLE_BYTESIZE);

X3DAUDIO_VECTOR Sub(const X3DAUDIO_VECTOR& a, const X3DAUDIO_VECTOR& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(const X3DAUDIO_VECTOR& a, const X3DAUDIO_VECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
X3DAUDIO_VECTOR Cross(const X3DAUDIO_VECTOR& a, const X3DAUDIO_VECTOR& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// A unit vector, or `fallback` for one too short (or not finite) to have a direction.
X3DAUDIO_VECTOR Unit(const X3DAUDIO_VECTOR& v, const X3DAUDIO_VECTOR& fallback)
{
    const float length = std::sqrt(Dot(v, v));
    if (!std::isfinite(length) || length < 1e-6f) return fallback;
    return {v.x / length, v.y / length, v.z / length};
}

float CurveAt(const X3DAUDIO_DISTANCE_CURVE* curve, float distance)
{
    if (!curve || !curve->pPoints || curve->PointCount == 0) return 1.0f / std::max(1.0f, distance);
    const X3DAUDIO_DISTANCE_CURVE_POINT* points = curve->pPoints;
    if (distance <= points[0].Distance) return points[0].DSPSetting;
    for (std::uint32_t i = 1; i < curve->PointCount; ++i) {
        if (distance <= points[i].Distance) {
            const float span = points[i].Distance - points[i - 1].Distance;
            const float t = span > 0.0f ? (distance - points[i - 1].Distance) / span : 1.0f;
            return points[i - 1].DSPSetting + t * (points[i].DSPSetting - points[i - 1].DSPSetting);
        }
    }
    return points[curve->PointCount - 1].DSPSetting;
}

}  // namespace

HRESULT X3DAudioInitialize(std::uint32_t speakerChannelMask, float speedOfSound, X3DAUDIO_HANDLE instance)
{
    if (!instance || speakerChannelMask == 0 || !(speedOfSound > 0.0f)) return E_INVALIDARG;
    const Instance state{speakerChannelMask, speedOfSound};
    std::memset(instance, 0, X3DAUDIO_HANDLE_BYTESIZE);
    std::memcpy(instance, &state, sizeof(state));
    return S_OK;
}

void X3DAudioCalculate(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                       const X3DAUDIO_EMITTER* emitter, std::uint32_t flags, X3DAUDIO_DSP_SETTINGS* dsp)
{
    if (!instance || !listener || !emitter || !dsp) return;
    const X3DAUDIO_VECTOR front = Unit(listener->OrientFront, {0.0f, 0.0f, 1.0f});
    const X3DAUDIO_VECTOR top = Unit(listener->OrientTop, {0.0f, 1.0f, 0.0f});
    const X3DAUDIO_VECTOR right = Unit(Cross(top, front), {1.0f, 0.0f, 0.0f});
    const X3DAUDIO_VECTOR toEmitter = Sub(emitter->Position, listener->Position);
    float distance = std::sqrt(Dot(toEmitter, toEmitter));
    if (!std::isfinite(distance)) distance = 0.0f;
    const float x = Dot(toEmitter, right);
    const float z = Dot(toEmitter, front);
    const float azimuth = (std::isfinite(x) && std::isfinite(z) && (x != 0.0f || z != 0.0f)) ? std::atan2(x, z) : 0.0f;
    const float scaler = emitter->CurveDistanceScaler > 0.0f ? emitter->CurveDistanceScaler : 1.0f;
    float volume = CurveAt(emitter->pVolumeCurve, distance / scaler);
    if (!std::isfinite(volume)) volume = 0.0f;

    dsp->EmitterToListenerDistance = distance;
    dsp->EmitterToListenerAngle = std::fabs(azimuth);
    dsp->LPFDirectCoefficient = 1.0f;
    dsp->LPFReverbCoefficient = 1.0f;
    dsp->ReverbLevel = 0.0f;
    dsp->DopplerFactor = 1.0f;
    dsp->EmitterVelocityComponent = 0.0f;
    dsp->ListenerVelocityComponent = 0.0f;

    if (!(flags & X3DAUDIO_CALCULATE_MATRIX) || !dsp->pMatrixCoefficients) return;
    const std::uint32_t sources = dsp->SrcChannelCount;
    const std::uint32_t outputs = dsp->DstChannelCount;
    constexpr float kQuarterPi = 0.78539816f;
    for (std::uint32_t s = 0; s < sources; ++s) {
        float channelAzimuth = azimuth;
        if (emitter->pChannelAzimuths && s < emitter->ChannelCount) channelAzimuth += emitter->pChannelAzimuths[s];
        const float pan = std::sin(channelAzimuth);
        for (std::uint32_t d = 0; d < outputs; ++d) {
            float level = 0.0f;
            if (d == 0) level = std::cos((pan + 1.0f) * kQuarterPi) * volume;
            if (d == 1) level = std::sin((pan + 1.0f) * kQuarterPi) * volume;
            dsp->pMatrixCoefficients[sources * d + s] = level;
        }
    }
}
