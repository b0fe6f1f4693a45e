// Keyframe evaluation: folding frames into a layer's cycle, finding the key pair, the curves of
// the interpolation modes, and what empty tracks give.
#include "foundation/easing.h"
#include "motion/nc_layer_snapshot.h"
#include "motion/nc_project.h"
#include "motion/nc_track_eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

GxNcF32Key Key(std::int32_t time, float value, std::uint32_t mode = 1, float p = 0.0f)
{
    GxNcF32Key key;
    key.m_Time = time;
    key.m_Value = value;
    key.m_InterMode = mode;
    key.m_InterParam0 = p;
    return key;
}

struct EvalCase {
    const char* what;
    std::vector<GxNcF32Key> keys;
    std::uint32_t loop;
    std::int32_t period;
    std::int32_t lastTime;
    std::int32_t frame;
    float value;
    std::int32_t index;
    std::int32_t time;   // of the key written
};

constexpr float kPi = 3.1415927f;

const EvalCase kCases[] = {
    {"one key, no loop, before it: default", {Key(10, 5)}, 0, 100, 0, 9, -1.0f, -1, 0},
    {"one key, no loop, on it", {Key(10, 5)}, 0, 100, 0, 10, 5.0f, 0, 10},
    {"one key, no loop, long after it", {Key(10, 5)}, 0, 100, 0, 500, 5.0f, 0, 10},
    {"one key, looping, before it", {Key(10, 5)}, 1, 100, 0, 3, 5.0f, 0, -90},
    {"one key, looping, after it", {Key(10, 5)}, 1, 100, 0, 60, 5.0f, 0, 10},
    {"loop 1: from the last key towards the first a cycle on", {Key(0, 0), Key(50, 10)}, 1, 100, 0, 75, 5.0f, 1, 50},
    {"loop 1: a frame past the period folds", {Key(0, 0), Key(50, 10)}, 1, 100, 0, 150, 10.0f, 1, 50},
    {"loop 1: between the keys", {Key(0, 0), Key(50, 10)}, 1, 100, 0, 25, 5.0f, 0, 0},
    {"loop 2 with last time 0: every frame is frame 0", {Key(0, 3), Key(10, 13)}, 2, 100, 0, 7, 3.0f, 0, 0},
    {"loop 2 folds by the layer's last time", {Key(0, 0), Key(10, 10)}, 2, 100, 20, 25, 5.0f, 0, 0},
    {"an exact hit gives the key whatever its mode",
     {Key(0, 0, 4, 1.0f), Key(10, 10, 2, 0.7f), Key(20, 20)}, 0, 100, 0, 10, 10.0f, 1, 10},
    {"mode 0 holds up to the frame before the next key", {Key(0, 0, 0), Key(10, 10)}, 0, 100, 0, 9, 0.0f, 0, 0},
    {"mode 0: the next key takes over at its time", {Key(0, 0, 0), Key(10, 10)}, 0, 100, 0, 10, 10.0f, 1, 10},
    {"mode 2, p 0.25, u 0.5", {Key(0, 0, 2, 0.25f), Key(10, 100)}, 0, 100, 0, 5, 75.0f, 0, 0},
    {"mode 2, p -0.25, u 0.5", {Key(0, 0, 2, -0.25f), Key(10, 100)}, 0, 100, 0, 5, 25.0f, 0, 0},
    {"mode 2, p 0 is linear", {Key(0, 0, 2, 0.0f), Key(10, 100)}, 0, 100, 0, 3, 30.0f, 0, 0},
    {"mode 3, p 0.5, u 0.5", {Key(0, 0, 3, 0.5f), Key(10, 100)}, 0, 100, 0, 5,
     100.0f * (0.5f + 0.5f / kPi), 0, 0},
    {"mode 4, p 0.5, u 0.2", {Key(0, 0, 4, 0.5f), Key(10, 100)}, 0, 100, 0, 2,
     100.0f * (0.2f + std::sin(2.0f * kPi * 0.2f) * 0.5f / (2.0f * kPi)), 0, 0},
    {"mode 5 holds", {Key(0, 0, 5), Key(10, 100)}, 0, 100, 0, 5, 0.0f, 0, 0},
    {"of two keys at one time the later counts", {Key(0, 0), Key(5, 7), Key(5, 9), Key(10, 10)}, 0, 100, 0, 5, 9.0f, 2,
     5},
    // A truncating remainder keeps -10 negative: the pair is the last key moved back a cycle.
    {"a negative frame stays negative", {Key(10, 0), Key(50, 10)}, 1, 100, 0, -10, 10.0f - 10.0f * 40.0f / 60.0f, 1,
     -50},
    {"period 0 gives the default", {Key(0, 4)}, 1, 0, 0, 0, -1.0f, -1, 0},
    {"no folding without a loop: before the first key", {Key(10, 4), Key(20, 5)}, 0, 100, 0, -95, -1.0f, -1, 0},
};

TEST(NcTrackEvalTest, TableOfFoldingPairsAndCurves)
{
    for (const EvalCase& c : kCases) {
        SCOPED_TRACE(c.what);
        GxNcLayer layer;
        layer.m_LastTime = c.lastTime;
        GxNcF32Key result;
        const std::int32_t index =
            EvaluateNcTrack(layer, c.keys, c.frame, c.period, c.loop, DefaultNcF32Key(-1.0f), result);
        EXPECT_EQ(index, c.index);
        EXPECT_NEAR(result.m_Value, c.value, 1e-4f);
        EXPECT_EQ(result.m_Time, c.time);
    }
}

TEST(NcTrackEvalTest, AnInterpolatedResultKeepsTheEarlierKeysFields)
{
    GxNcLayer layer;
    GxNcF32Key first = Key(0, 0, 1, 0.3f);
    first.m_InterParam1 = 9.0f;
    first.m_Selected = 1;
    GxNcF32Key result;
    EvaluateNcTrack(layer, std::vector<GxNcF32Key>{first, Key(10, 10, 4, 0.8f)}, 4, 100, 0, DefaultNcF32Key(0),
                    result);
    EXPECT_FLOAT_EQ(result.m_Value, 4.0f);
    EXPECT_EQ(result.m_InterMode, 1u);
    EXPECT_FLOAT_EQ(result.m_InterParam0, 0.3f);
    EXPECT_FLOAT_EQ(result.m_InterParam1, 9.0f);
    EXPECT_EQ(result.m_Selected, 1u);
}

TEST(NcTrackEvalTest, HeldTracksGiveTheKeyAtOrBeforeTheFrame)
{
    GxNcLayer layer;
    std::vector<GxNcU32Key> keys(2);
    keys[0].m_Time = 10;
    keys[0].m_Value = 7;
    keys[0].m_InterMode = 1;   // ignored: visibility never interpolates
    keys[1].m_Time = 20;
    keys[1].m_Value = 8;
    GxNcU32Key result;
    EXPECT_EQ(EvaluateNcTrack(layer, keys, 15, 100, 0, DefaultNcU32Key(1), result), 0);
    EXPECT_EQ(result.m_Value, 7u);
    // Looping, before the first key and after the last: the last key itself, not moved.
    EXPECT_EQ(EvaluateNcTrack(layer, keys, 5, 100, 1, DefaultNcU32Key(1), result), 1);
    EXPECT_EQ(result.m_Value, 8u);
    EXPECT_EQ(result.m_Time, 20);
    EXPECT_EQ(EvaluateNcTrack(layer, keys, 95, 100, 1, DefaultNcU32Key(1), result), 1);
    EXPECT_EQ(result.m_Time, 20);

    std::vector<GxNcVector2Key> factors(2);
    factors[0].m_Value = GxVector2(1, 1);
    factors[1].m_Time = 10;
    factors[1].m_Value = GxVector2(3, 3);
    GxNcVector2Key factor;
    EvaluateNcTrack(layer, factors, 9, 100, 0, DefaultNcVector2Key(GxVector2(1, 1)), factor);
    EXPECT_FLOAT_EQ(factor.m_Value.x, 1.0f);

    std::vector<GxNcImageKey> images(1);
    images[0].m_Time = 5;
    images[0].m_ImageSetName = u"set";
    images[0].m_LoopMode = 0;
    GxNcImageKey image;
    EXPECT_EQ(EvaluateNcTrack(layer, images, 4, 100, 0, DefaultNcImageKey(), image), -1);
    EXPECT_TRUE(image.m_ImageSetName.empty());
    EXPECT_EQ(image.m_LoopMode, 1u);
    EXPECT_EQ(EvaluateNcTrack(layer, images, 6, 100, 0, DefaultNcImageKey(), image), 0);
    EXPECT_EQ(image.m_ImageSetName, u"set");
}

TEST(NcTrackEvalTest, VertexKeysApplyTheCurveToEachOfTheirFiveValues)
{
    GxNcLayer layer;
    std::vector<GxNcVertexKey> keys(2);
    keys[0].m_InterMode = 2;
    keys[0].m_InterParam0 = 0.25f;
    keys[1].m_Time = 10;
    for (std::size_t k = 0; k < 5; ++k)
        keys[1].m_Value[k] = GxVector4(float(k) * 100, -100, 4, 8);
    GxNcVertexKey result;
    EvaluateNcTrack(layer, keys, 5, 100, 0, DefaultNcVertexKey(GxVector4()), result);
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_FLOAT_EQ(result.m_Value[k].x, float(k) * 75);
        EXPECT_FLOAT_EQ(result.m_Value[k].y, -75);
        EXPECT_FLOAT_EQ(result.m_Value[k].w, 6);
    }
}

TEST(NcTrackEvalTest, FindNcKeyIndexGivesTheLastKeyAtOrBeforeTheFrame)
{
    const std::vector<GxNcF32Key> keys{Key(0, 0), Key(10, 0), Key(10, 0), Key(20, 0), Key(30, 0)};
    EXPECT_EQ(FindNcKeyIndex(keys, -5), 0);
    EXPECT_EQ(FindNcKeyIndex(keys, 0), 0);
    EXPECT_EQ(FindNcKeyIndex(keys, 5), 0);
    EXPECT_EQ(FindNcKeyIndex(keys, 19), 2);
    EXPECT_EQ(FindNcKeyIndex(keys, 20), 3);
    EXPECT_EQ(FindNcKeyIndex(keys, 30), 4);
    EXPECT_EQ(FindNcKeyIndex(keys, 99), 4);
    // Unsorted keys (a damaged file) still give an index inside the list.
    const std::vector<GxNcF32Key> unsorted{Key(0, 0), Key(50, 0), Key(20, 0), Key(5, 0), Key(60, 0)};
    for (std::int32_t frame = -2; frame < 64; ++frame) {
        const std::int32_t index = FindNcKeyIndex(unsorted, frame);
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 5);
    }
}

TEST(NcTrackEvalTest, ALayerWithoutKeysIsUnscaledOpaqueVisibleAndWhite)
{
    GxNcLayer layer;
    GxNcLayerSnapShotEx record;
    record.Evaluate(layer, 12, 1, 50);
    EXPECT_EQ(record.m_Frame, 12);
    EXPECT_EQ(record.m_Period, 50);
    EXPECT_EQ(record.m_pLayer, &layer);
    EXPECT_FLOAT_EQ(record.m_Scale.m_Value.x, 1.0f);
    EXPECT_FLOAT_EQ(record.m_Scale.m_Value.w, 1.0f);
    EXPECT_FLOAT_EQ(record.m_ScaleFactor.m_Value.y, 1.0f);
    EXPECT_FLOAT_EQ(record.m_Position.m_Value.x, 0.0f);
    EXPECT_FLOAT_EQ(record.m_Opacity.m_Value, 1.0f);
    EXPECT_EQ(record.m_Visibility.m_Value, 1u);
    for (const GxVector4& colour : record.m_VertexColor.m_Value)
        EXPECT_FLOAT_EQ(colour.x + colour.y + colour.z + colour.w, 4.0f);
    EXPECT_EQ(record.m_Image.m_LoopMode, 1u);
    EXPECT_EQ(record.m_Image.m_PatternIndex, 0);
}

TEST(NcTrackEvalTest, Vector4CurvesMatchTheFloatFormsComponentByComponent)
{
    const GxVector4 a(0, 10, -4, 1), b(100, -10, 4, 1);
    for (float u : {0.1f, 0.5f, 0.9f}) {
        const GxVector4 half = GxEaseSineHalfWave(a, b, u, 0.4f);
        EXPECT_FLOAT_EQ(half.y, GxEaseSineHalfWave(10.0f, -10.0f, u, 0.4f));
        const GxVector4 power = GxEasePower(a, b, u, -0.5f);
        EXPECT_FLOAT_EQ(power.x, GxEasePower(0.0f, 100.0f, u, -0.5f));
        const GxVector4 wave = GxEaseSineWave(a, b, u, 0.4f);
        EXPECT_NEAR(wave.z, GxEaseSineWave(-4.0f, 4.0f, u, 0.4f), 1e-5f);
        EXPECT_FLOAT_EQ(wave.w, 1.0f);
    }
}

}  // namespace
