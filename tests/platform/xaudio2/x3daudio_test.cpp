#include "platform/xaudio2/x3daudio.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The records filled as the sound devices and the players fill them.
struct Scene {
    X3DAUDIO_HANDLE instance{};
    X3DAUDIO_CONE listenerCone{2.6179941f, 5.7595868f, 1.0f, 0.75f, 0.0f, 0.25f, 0.708f, 1.0f};
    X3DAUDIO_LISTENER listener{};
    X3DAUDIO_CONE emitterCone{0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f};
    X3DAUDIO_DISTANCE_CURVE_POINT volumePoints[2] = {{0.0f, 1.0f}, {1.0f, 0.0f}};
    X3DAUDIO_DISTANCE_CURVE_POINT lfePoints[3] = {{0.0f, 1.0f}, {0.25f, 0.5f}, {1.0f, 0.0f}};
    X3DAUDIO_DISTANCE_CURVE_POINT reverbPoints[3] = {{0.0f, 0.5f}, {0.75f, 1.0f}, {1.0f, 0.0f}};
    X3DAUDIO_DISTANCE_CURVE volumeCurve{volumePoints, 2};
    X3DAUDIO_DISTANCE_CURVE lfeCurve{lfePoints, 3};
    X3DAUDIO_DISTANCE_CURVE reverbCurve{reverbPoints, 3};
    float azimuths[2] = {0.0f, 0.0f};
    X3DAUDIO_EMITTER emitter{};
    float matrix[2 * 8] = {};
    X3DAUDIO_DSP_SETTINGS dsp{};

    Scene()
    {
        EXPECT_EQ(X3DAudioInitialize(0x3, X3DAUDIO_SPEED_OF_SOUND, instance), S_OK);
        listener.OrientFront = {0.0f, 0.0f, 1.0f};
        listener.OrientTop = {0.0f, 1.0f, 0.0f};
        listener.pCone = &listenerCone;
        emitter.pCone = &emitterCone;
        emitter.OrientFront = {0.0f, 0.0f, 1.0f};
        emitter.OrientTop = {0.0f, 1.0f, 0.0f};
        emitter.InnerRadius = 500.0f;
        emitter.ChannelCount = 2;
        emitter.ChannelRadius = 1.0f;
        emitter.pChannelAzimuths = azimuths;
        emitter.pVolumeCurve = &volumeCurve;
        emitter.pLFECurve = &lfeCurve;
        emitter.pReverbCurve = &reverbCurve;
        emitter.CurveDistanceScaler = 550.0f;
        emitter.DopplerScaler = 1.0f;
        dsp.pMatrixCoefficients = matrix;
        dsp.SrcChannelCount = 2;
        dsp.DstChannelCount = 2;
    }
    void Calculate() { X3DAudioCalculate(instance, &listener, &emitter, 0x3D, &dsp); }
};

TEST(X3DAudio, FlagsComposeTheEngineValue)
{
    EXPECT_EQ(X3DAUDIO_CALCULATE_MATRIX | X3DAUDIO_CALCULATE_LPF_DIRECT | X3DAUDIO_CALCULATE_LPF_REVERB |
                  X3DAUDIO_CALCULATE_REVERB | X3DAUDIO_CALCULATE_DOPPLER,
              0x3Du);
    X3DAUDIO_HANDLE instance{};
    EXPECT_EQ(X3DAudioInitialize(0, X3DAUDIO_SPEED_OF_SOUND, instance), E_INVALIDARG);
    EXPECT_EQ(X3DAudioInitialize(0x3, 0.0f, instance), E_INVALIDARG);
}

TEST(X3DAudio, PansByAzimuthAndFadesWithDistance)
{
    Scene scene;
    scene.Calculate();   // emitter at the listener: straight ahead
    for (float level : scene.matrix) EXPECT_TRUE(std::isfinite(level));
    EXPECT_FLOAT_EQ(scene.matrix[0], scene.matrix[2]);   // source 0: left equals right
    EXPECT_FLOAT_EQ(scene.matrix[1], scene.matrix[3]);
    EXPECT_NEAR(scene.matrix[0], 0.70710678f, 1e-5f);

    scene.emitter.Position = {0.0f, 0.0f, 275.0f};   // ahead, half-way down the volume curve
    scene.Calculate();
    EXPECT_NEAR(scene.matrix[0], scene.matrix[2], 1e-6f);
    EXPECT_NEAR(scene.matrix[0], 0.5f * 0.70710678f, 1e-5f);
    EXPECT_FLOAT_EQ(scene.dsp.EmitterToListenerDistance, 275.0f);

    scene.emitter.Position = {100.0f, 0.0f, 0.0f};   // to the right: all in the right channel
    scene.Calculate();
    EXPECT_NEAR(scene.matrix[0], 0.0f, 1e-5f);
    EXPECT_GT(scene.matrix[2], 0.5f);

    scene.emitter.Position = {0.0f, 0.0f, 1000.0f};   // past the end of the curve
    scene.Calculate();
    EXPECT_EQ(scene.matrix[0], 0.0f);

    scene.listener.OrientFront = {0.0f, 0.0f, 0.0f};   // degenerate records stay finite
    scene.emitter.Position = {NAN, 0.0f, 0.0f};
    scene.Calculate();
    for (float level : scene.matrix) EXPECT_TRUE(std::isfinite(level));
}

}  // namespace
