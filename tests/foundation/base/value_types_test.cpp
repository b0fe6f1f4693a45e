#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kHalfPi = 1.57079632679f;

GxVector3 Apply(const GxMatrix& m, const GxVector3& p)
{
    GxVector3 out;
    p.TransformTo(m, out);
    return out;
}

void ExpectNear(const GxVector3& actual, const GxVector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

TEST(ValueTypes, DefaultsMatchTheRecordDefaults)
{
    GxQuat q;
    EXPECT_EQ(q.w, 1.0f);
    GxFColor c;
    EXPECT_EQ(c.r + c.g + c.b + c.a, 4.0f);
    GxMatrix m;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    static_assert(sizeof(GxVector3) == 16 && sizeof(GxMatrix) == 64 && sizeof(GxRect) == 16);
}

TEST(ValueTypes, Vector3ResultsCarryZeroW)
{
    GxVector3 a(1, 2, 3);
    GxVector3 b(4, 5, 6);
    a.w = 7.0f;
    b.w = 9.0f;
    GxVector3 sum = a + b;
    EXPECT_EQ(sum, GxVector3(5, 7, 9));
    EXPECT_EQ(sum.w, 0.0f);
    EXPECT_EQ((a - b).w, 0.0f);
    EXPECT_EQ((a * 2.0f).w, 0.0f);
    a += b;
    EXPECT_EQ(a.w, 0.0f);
    GxVector3 t;
    b.TransformTo(GxMatrix(), t);
    EXPECT_EQ(t.w, 0.0f);

    GxVector3 withNan(std::numeric_limits<float>::quiet_NaN(), 0, 0);
    EXPECT_FALSE(withNan == withNan);
    EXPECT_TRUE(withNan != withNan);
}

TEST(ValueTypes, SetLengthLeavesDegenerateVectorsAlone)
{
    GxVector3 v(3, 0, 4);
    EXPECT_FLOAT_EQ(v.Length(), 5.0f);
    v.SetLength(10.0f);
    ExpectNear(v, GxVector3(6, 0, 8));

    GxVector3 zero;
    zero.SetLength(5.0f);
    EXPECT_EQ(zero, GxVector3(0, 0, 0));
    GxVector3 tiny(1e-8f, 0, 0);
    tiny.SetLength(1.0f);
    EXPECT_EQ(tiny.x, 1e-8f);
    GxVector3 nan(std::numeric_limits<float>::quiet_NaN(), 1, 1);
    nan.SetLength(1.0f);
    EXPECT_EQ(nan.y, 1.0f);
}

TEST(ValueTypes, FourComponentArithmetic)
{
    GxVector4 v = (GxVector4(1, 2, 3, 4) + GxVector4(1, 1, 1, 1)) * 2.0f - GxVector4(0, 0, 0, 10);
    EXPECT_EQ(v.x, 4.0f);
    EXPECT_EQ(v.w, 0.0f);
    GxFColor c = GxFColor(0.5f, 0.5f, 1, 1) * 0.5f;
    EXPECT_EQ(c.r, 0.25f);
    EXPECT_EQ(c.a, 0.5f);

    GxFColor product;
    GxFColor(0.5f, 1, 0, 1).Mul(GxFColor(0.5f, 0.5f, 1, 0.25f), product);
    EXPECT_EQ(product.r, 0.25f);
    EXPECT_EQ(product.g, 0.5f);
    EXPECT_EQ(product.a, 0.25f);
    product.MulAssign(GxFColor(2, 2, 2, 2));
    EXPECT_EQ(product.r, 0.5f);
}

TEST(ValueTypes, ColourPacking)
{
    std::uint16_t packed = ConvertA8R8G8B8ToA4R4G4B4(0x80FF4020u);
    EXPECT_EQ(packed >> 12, 8);
    EXPECT_EQ((packed >> 8) & 0xF, 15);
    EXPECT_EQ((packed >> 4) & 0xF, 4);
    EXPECT_EQ(packed & 0xF, 2);
    EXPECT_EQ(ConvertA4R4G4B4ToA8R8G8B8(packed), 0x88FF4422u) << "each nibble doubled";
    EXPECT_EQ(ConvertA4R4G4B4ToA8R8G8B8(0x0F1Au), 0x00FF11AAu);

    EXPECT_EQ(ColorToArgb(1.0f, 0.5f, 0.0f, 1.0f), 0xFFFF7F00u);   // 127.5 truncates to 127
    // No clamping: 1.5 * 255 = 382 keeps its low 8 bits (0x7E); -1.5 * 255 truncates to -382 (0x82).
    EXPECT_EQ(ColorToArgb(1.5f, 0.0f, -1.5f, 0.0f), 0x007E0082u);
    // Values beyond any integer, and NaN, give 0 rather than an undefined conversion.
    EXPECT_EQ(ColorToArgb(1e30f, std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f), 0xFF000000u);

    GxFColor back = ColorFromArgb(0x80FF0033u);
    EXPECT_FLOAT_EQ(back.a, 128.0f / 255.0f);
    EXPECT_EQ(back.r, 1.0f);
    EXPECT_EQ(back.g, 0.0f);
    EXPECT_FLOAT_EQ(back.b, 0.2f);
    EXPECT_EQ(ColorToArgb(ColorFromArgb(0x12345678u)), 0x12345678u);
}

TEST(Matrix, RowVectorConvention)
{
    GxMatrix translate;
    translate.SetTranslationXYZ(1, 0, 0);
    GxMatrix rotate;
    rotate.SetRotationZ(kHalfPi);
    // Row vectors: the left matrix applies first.
    ExpectNear(Apply(translate * rotate, GxVector3(0, 0, 0)), GxVector3(0, 1, 0));
    ExpectNear(Apply(rotate * translate, GxVector3(0, 0, 0)), GxVector3(1, 0, 0));

    GxMatrix both = translate;
    both *= rotate;
    ExpectNear(Apply(both, GxVector3(1, 0, 0)), GxVector3(0, 2, 0));

    GxVector2 p(2, 3);
    GxMatrix m;
    m.Set(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1);
    p.Transform(m);
    EXPECT_EQ(p.x, 14.0f);
    EXPECT_EQ(p.y, 29.0f);

    GxVector2 fromPoint;
    fromPoint.SetFromPoint2(GxPoint2{-3, 8});
    GxVector2 half = fromPoint / 2.0f;
    EXPECT_EQ(half.x, -1.5f);
    EXPECT_EQ(half.y, 4.0f);
}

TEST(Matrix, RotationElementsAndZeroAngleSkip)
{
    GxMatrix x;
    x.SetRotationX(kHalfPi);
    ExpectNear(Apply(x, GxVector3(0, 1, 0)), GxVector3(0, 0, 1));
    GxMatrix y;
    y.SetRotationY(kHalfPi);
    ExpectNear(Apply(y, GxVector3(0, 0, 1)), GxVector3(1, 0, 0));

    // Angle 0 does not multiply at all: an infinite element would otherwise spread NaN (inf * 0).
    GxMatrix m;
    m.m[0] = std::numeric_limits<float>::infinity();
    m.RotateX(0.0f);
    m.RotateY(0.0f);
    m.RotateZ(0.0f);
    EXPECT_EQ(m.m[1], 0.0f);
    EXPECT_EQ(m.m[2], 0.0f);
    m.RotateZ(0.5f);
    EXPECT_TRUE(std::isnan(m.m[2]));
}

TEST(Matrix, ScaleColumnsAlsoScalesTranslation)
{
    GxMatrix m;
    m.SetTranslationXYZ(1, 2, 3);
    m.ScaleColumns(GxVector3(2, 3, 4));
    EXPECT_EQ(m.m[0], 2.0f);
    EXPECT_EQ(m.m[5], 3.0f);
    EXPECT_EQ(m.m[10], 4.0f);
    EXPECT_EQ(m.m[12], 2.0f);
    EXPECT_EQ(m.m[13], 6.0f);
    EXPECT_EQ(m.m[14], 12.0f);
    EXPECT_EQ(m.m[15], 1.0f);
    m.AddTranslationXYZ(1, 1, 1);
    EXPECT_EQ(m.m[14], 13.0f);
}

TEST(Matrix, BuildTransformAboutPivot)
{
    struct Case {
        const char* what;
        GxVector3 rotation, scale, pivot, point, expected;
    };
    const GxVector3 position(100, 200, 300);
    const Case cases[] = {
        {"no rotation, unit scale: pure translation", {0, 0, 0}, {1, 1, 1}, {37, -5, 2}, {1, 2, 3}, {101, 202, 303}},
        {"the pivot stays put under scaling", {0, 0, 0}, {2, 2, 2}, {10, 0, 0}, {10, 0, 0}, {110, 200, 300}},
        {"scaled away from the pivot", {0, 0, 0}, {2, 2, 2}, {10, 0, 0}, {11, 0, 0}, {112, 200, 300}},
        {"rotated about the pivot", {0, 0, kHalfPi}, {1, 1, 1}, {10, 10, 0}, {11, 10, 0}, {110, 211, 300}},
        {"scale before rotation", {0, 0, kHalfPi}, {3, 1, 1}, {0, 0, 0}, {1, 0, 0}, {100, 203, 300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GxMatrix m;
        m.BuildTransformXYZ(position, c.rotation, c.scale, c.pivot);
        ExpectNear(Apply(m, c.point), c.expected);
    }
}

TEST(Matrix, RotationOrderXYZAgainstZXY)
{
    const GxVector3 rotation(kHalfPi, 0, kHalfPi);
    const GxVector3 none(0, 0, 0);
    const GxVector3 unit(1, 1, 1);
    GxMatrix xyz;
    xyz.BuildTransformXYZ(none, rotation, unit, none);
    GxMatrix zxy;
    zxy.BuildTransformZXY(none, rotation, unit, none);
    // (0, 1, 0): X first gives (0, 0, 1), which Z leaves; Z first gives (-1, 0, 0), which X leaves.
    ExpectNear(Apply(xyz, GxVector3(0, 1, 0)), GxVector3(0, 0, 1));
    ExpectNear(Apply(zxy, GxVector3(0, 1, 0)), GxVector3(-1, 0, 0));
}

}  // namespace
