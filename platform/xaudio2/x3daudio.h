// The X3DAudio subset: a listener, an emitter and the output matrix between them. Only the
// matrix is computed: each source channel is panned by its azimuth from the listener's front
// (constant power, sine law: left cos((p+1)pi/4), right sin((p+1)pi/4) with p the sine of the
// azimuth, so front and back sound alike), times the emitter's volume curve at the distance
// over CurveDistanceScaler (linear between the curve's points; without a curve 1/max(1, d)).
// Cones, inner radius, low-pass, reverb and Doppler get neutral results.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>

constexpr std::uint32_t X3DAUDIO_HANDLE_BYTESIZE = 20;
using X3DAUDIO_HANDLE = BYTE[X3DAUDIO_HANDLE_BYTESIZE];

constexpr float X3DAUDIO_SPEED_OF_SOUND = 343.5f;

constexpr std::uint32_t X3DAUDIO_CALCULATE_MATRIX = 0x1;
constexpr std::uint32_t X3DAUDIO_CALCULATE_DELAY = 0x2;
constexpr std::uint32_t X3DAUDIO_CALCULATE_LPF_DIRECT = 0x4;
constexpr std::uint32_t X3DAUDIO_CALCULATE_LPF_REVERB = 0x8;
constexpr std::uint32_t X3DAUDIO_CALCULATE_REVERB = 0x10;
constexpr std::uint32_t X3DAUDIO_CALCULATE_DOPPLER = 0x20;
constexpr std::uint32_t X3DAUDIO_CALCULATE_EMITTER_ANGLE = 0x40;

struct X3DAUDIO_VECTOR {
    float x;
    float y;
    float z;
};

struct X3DAUDIO_DISTANCE_CURVE_POINT {
    float Distance;     // normalised: 0 to 1 of CurveDistanceScaler
    float DSPSetting;
};

struct X3DAUDIO_DISTANCE_CURVE {
    X3DAUDIO_DISTANCE_CURVE_POINT* pPoints;
    std::uint32_t PointCount;
};

struct X3DAUDIO_CONE {
    float InnerAngle;
    float OuterAngle;
    float InnerVolume;
    float OuterVolume;
    float InnerLPF;
    float OuterLPF;
    float InnerReverb;
    float OuterReverb;
};

struct X3DAUDIO_LISTENER {
    X3DAUDIO_VECTOR OrientFront;
    X3DAUDIO_VECTOR OrientTop;
    X3DAUDIO_VECTOR Position;
    X3DAUDIO_VECTOR Velocity;
    X3DAUDIO_CONE* pCone;
};

struct X3DAUDIO_EMITTER {
    X3DAUDIO_CONE* pCone;
    X3DAUDIO_VECTOR OrientFront;
    X3DAUDIO_VECTOR OrientTop;
    X3DAUDIO_VECTOR Position;
    X3DAUDIO_VECTOR Velocity;
    float InnerRadius;
    float InnerRadiusAngle;
    std::uint32_t ChannelCount;
    float ChannelRadius;
    float* pChannelAzimuths;
    X3DAUDIO_DISTANCE_CURVE* pVolumeCurve;
    X3DAUDIO_DISTANCE_CURVE* pLFECurve;
    X3DAUDIO_DISTANCE_CURVE* pLPFDirectCurve;
    X3DAUDIO_DISTANCE_CURVE* pLPFReverbCurve;
    X3DAUDIO_DISTANCE_CURVE* pReverbCurve;
    float CurveDistanceScaler;
    float DopplerScaler;
};

// pMatrixCoefficients holds SrcChannelCount x DstChannelCount levels, the level of source
// channel s in output channel d at [SrcChannelCount * d + s] (the layout SetOutputMatrix takes).
struct X3DAUDIO_DSP_SETTINGS {
    float* pMatrixCoefficients;
    float* pDelayTimes;
    std::uint32_t SrcChannelCount;
    std::uint32_t DstChannelCount;
    float LPFDirectCoefficient;
    float LPFReverbCoefficient;
    float ReverbLevel;
    float DopplerFactor;
    float EmitterToListenerAngle;
    float EmitterToListenerDistance;
    float EmitterVelocityComponent;
    float ListenerVelocityComponent;
};

// E_INVALIDARG for a zero channel mask or a speed of sound that is not positive.
HRESULT X3DAudioInitialize(std::uint32_t speakerChannelMask, float speedOfSound, X3DAUDIO_HANDLE instance);
void X3DAudioCalculate(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                       const X3DAUDIO_EMITTER* emitter, std::uint32_t flags, X3DAUDIO_DSP_SETTINGS* dsp);
