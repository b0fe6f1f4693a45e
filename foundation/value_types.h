// Small value types of positions, sizes, colours and rectangles. Storage order is the order in
// which the content records write them component by component.
#pragma once

#include <cstdint>

class GxMatrix;
struct GxPoint2;

struct GxVector2 {
    float x = 0.0f;
    float y = 0.0f;

    GxVector2() = default;
    GxVector2(float x_, float y_) : x(x_), y(y_) {}

    void Set(float x_, float y_);
    void Assign(const float pair[2]);
    void SetFromPoint2(const GxPoint2& point);
    GxVector2 operator/(float s) const;
    // In place: (x, y, 0, 1) times the matrix. Defined in matrix.h, inline: 2D drawing transforms
    // four corners per quad.
    inline void Transform(const GxMatrix& m);
};

// w carries no value of its own: every operation producing a new vector sets it to 0.
struct GxVector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    GxVector3() = default;
    GxVector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    float Length() const;
    // Unchanged when the current length is below the float epsilon or not a number.
    void SetLength(float length);

    GxVector3& operator+=(const GxVector3& other);
    GxVector3 operator+(const GxVector3& other) const;
    GxVector3 operator-(const GxVector3& other) const;
    GxVector3 operator*(float s) const;
    bool operator==(const GxVector3& other) const;
    bool operator!=(const GxVector3& other) const;

    // (x, y, z, 1) times the matrix; w of the result is 0.
    void Transform(const GxMatrix& m);
    void TransformTo(const GxMatrix& m, GxVector3& result) const;
};

struct GxVector4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    GxVector4() = default;
    GxVector4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    GxVector4 operator+(const GxVector4& other) const;
    GxVector4 operator-(const GxVector4& other) const;
    GxVector4 operator*(float s) const;
};

// Same storage and four-component arithmetic as GxVector4; the default is the identity rotation.
struct GxQuat {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    GxQuat() = default;
    GxQuat(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    GxQuat operator+(const GxQuat& other) const;
    GxQuat operator-(const GxQuat& other) const;
    GxQuat operator*(float s) const;
};

// Red, green, blue, alpha; the default is opaque white.
struct GxFColor {
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    float a = 1.0f;

    GxFColor() = default;
    GxFColor(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}

    GxFColor operator+(const GxFColor& other) const;
    GxFColor operator-(const GxFColor& other) const;
    GxFColor operator*(float s) const;

    void Assign(const GxFColor& other);
    // Component-wise product, in place or into `result`.
    void MulAssign(const GxFColor& other);
    void Mul(const GxFColor& other, GxFColor& result) const;
};

struct GxFRect {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

struct GxRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct GxPoint2 {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct GxPoint3 {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
};

struct GxPoint4 {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
    std::int32_t w = 0;
};

// The top four bits of alpha, red, green and blue, alpha in the high bits.
std::uint16_t ConvertA8R8G8B8ToA4R4G4B4(std::uint32_t color);
// Back to 0xAARRGGBB: each four-bit value doubled into a byte (0xA becomes 0xAA).
std::uint32_t ConvertA4R4G4B4ToA8R8G8B8(std::uint16_t pixel);
// Each component times 255, truncated toward zero and cut to its low 8 bits (no clamping),
// packed 0xAARRGGBB.
std::uint32_t ColorToArgb(float r, float g, float b, float a);
std::uint32_t ColorToArgb(const GxFColor& color);
// Each byte of 0xAARRGGBB divided by 255.
GxFColor ColorFromArgb(std::uint32_t argb);
