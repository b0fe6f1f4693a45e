#include "foundation/value_types.h"

#include "foundation/matrix.h"

#include <cmath>

void GxVector2::Set(float x_, float y_)
{
    x = x_;
    y = y_;
}

void GxVector2::Assign(const float pair[2])
{
    x = pair[0];
    y = pair[1];
}

void GxVector2::SetFromPoint2(const GxPoint2& point)
{
    x = static_cast<float>(point.x);
    y = static_cast<float>(point.y);
}

GxVector2 GxVector2::operator/(float s) const
{
    return GxVector2(x / s, y / s);
}

float GxVector3::Length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

void GxVector3::SetLength(float length)
{
    float current = Length();
    if (!(current >= 1.1920929e-7f)) return;   // also catches NaN
    float scale = length / current;
    x *= scale;
    y *= scale;
    z *= scale;
}

GxVector3& GxVector3::operator+=(const GxVector3& other)
{
    x += other.x;
    y += other.y;
    z += other.z;
    w = 0.0f;
    return *this;
}

GxVector3 GxVector3::operator+(const GxVector3& other) const
{
    return GxVector3(x + other.x, y + other.y, z + other.z);
}

GxVector3 GxVector3::operator-(const GxVector3& other) const
{
    return GxVector3(x - other.x, y - other.y, z - other.z);
}

GxVector3 GxVector3::operator*(float s) const
{
    return GxVector3(x * s, y * s, z * s);
}

bool GxVector3::operator==(const GxVector3& other) const
{
    return x == other.x && y == other.y && z == other.z;
}

bool GxVector3::operator!=(const GxVector3& other) const
{
    return !(*this == other);
}

void GxVector3::Transform(const GxMatrix& m)
{
    GxVector3 result;
    TransformTo(m, result);
    *this = result;
}

void GxVector3::TransformTo(const GxMatrix& m, GxVector3& result) const
{
    // Through locals, so that `result` may alias this vector.
    float tx = x * m.m[0] + y * m.m[4] + z * m.m[8] + m.m[12];
    float ty = x * m.m[1] + y * m.m[5] + z * m.m[9] + m.m[13];
    float tz = x * m.m[2] + y * m.m[6] + z * m.m[10] + m.m[14];
    result.x = tx;
    result.y = ty;
    result.z = tz;
    result.w = 0.0f;
}

GxVector4 GxVector4::operator+(const GxVector4& o) const
{
    return GxVector4(x + o.x, y + o.y, z + o.z, w + o.w);
}

GxVector4 GxVector4::operator-(const GxVector4& o) const
{
    return GxVector4(x - o.x, y - o.y, z - o.z, w - o.w);
}

GxVector4 GxVector4::operator*(float s) const
{
    return GxVector4(x * s, y * s, z * s, w * s);
}

GxQuat GxQuat::operator+(const GxQuat& o) const
{
    return GxQuat(x + o.x, y + o.y, z + o.z, w + o.w);
}

GxQuat GxQuat::operator-(const GxQuat& o) const
{
    return GxQuat(x - o.x, y - o.y, z - o.z, w - o.w);
}

GxQuat GxQuat::operator*(float s) const
{
    return GxQuat(x * s, y * s, z * s, w * s);
}

GxFColor GxFColor::operator+(const GxFColor& o) const
{
    return GxFColor(r + o.r, g + o.g, b + o.b, a + o.a);
}

GxFColor GxFColor::operator-(const GxFColor& o) const
{
    return GxFColor(r - o.r, g - o.g, b - o.b, a - o.a);
}

GxFColor GxFColor::operator*(float s) const
{
    return GxFColor(r * s, g * s, b * s, a * s);
}

void GxFColor::Assign(const GxFColor& other)
{
    *this = other;
}

void GxFColor::MulAssign(const GxFColor& o)
{
    r *= o.r;
    g *= o.g;
    b *= o.b;
    a *= o.a;
}

void GxFColor::Mul(const GxFColor& o, GxFColor& result) const
{
    result = GxFColor(r * o.r, g * o.g, b * o.b, a * o.a);
}

std::uint16_t ConvertA8R8G8B8ToA4R4G4B4(std::uint32_t color)
{
    std::uint32_t a = (color >> 28) & 0xF;
    std::uint32_t r = (color >> 20) & 0xF;
    std::uint32_t g = (color >> 12) & 0xF;
    std::uint32_t b = (color >> 4) & 0xF;
    return static_cast<std::uint16_t>((a << 12) | (r << 8) | (g << 4) | b);
}

std::uint32_t ConvertA4R4G4B4ToA8R8G8B8(std::uint16_t pixel)
{
    const std::uint32_t a = (pixel >> 12) & 0xF, r = (pixel >> 8) & 0xF, g = (pixel >> 4) & 0xF, b = pixel & 0xF;
    return (a * 17) << 24 | (r * 17) << 16 | (g * 17) << 8 | (b * 17);
}

namespace {

// Truncates toward zero and keeps the low 8 bits. A value outside the 32-bit range (or NaN)
// gives 0, as the processor's conversion would, instead of an undefined conversion.
std::uint32_t ComponentByte(float component)
{
    float scaled = component * 255.0f;
    if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return 0;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled)) & 0xFFu;
}

}  // namespace

std::uint32_t ColorToArgb(float r, float g, float b, float a)
{
    return (ComponentByte(a) << 24) | (ComponentByte(r) << 16) | (ComponentByte(g) << 8) | ComponentByte(b);
}

std::uint32_t ColorToArgb(const GxFColor& color)
{
    return ColorToArgb(color.r, color.g, color.b, color.a);
}

GxFColor ColorFromArgb(std::uint32_t argb)
{
    return GxFColor(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
                    static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>((argb >> 24) & 0xFF) / 255.0f);
}
