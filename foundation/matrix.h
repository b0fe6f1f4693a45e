// 4x4 matrix of 32-bit floats, row-major, for row vectors: a point is the row (x, y, z, 1)
// times the matrix, so the translation is the fourth row (m[12], m[13], m[14]).
#pragma once

#include "foundation/value_types.h"

class GxMatrix {
public:
    float m[16];

    // The identity.
    GxMatrix();
    GxMatrix(const GxMatrix& other) = default;
    GxMatrix& operator=(const GxMatrix& other) = default;

    void Set(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8, float m9,
             float m10, float m11, float m12, float m13, float m14, float m15);
    void SetIdentity();
    void SetTranslationXYZ(float x, float y, float z);
    void SetTranslation(const GxVector3& v);
    void SetScaling(float sx, float sy, float sz);
    void SetRotationX(float angle);
    void SetRotationY(float angle);
    void SetRotationZ(float angle);
    void AddTranslation(const GxVector3& v);
    void AddTranslationXYZ(float x, float y, float z);
    // This matrix times a scaling on the right: columns 0, 1, 2 (translation included) by x, y, z.
    void ScaleColumns(const GxVector3& scale);

    GxMatrix& operator*=(const GxMatrix& other);
    // This matrix times the rotation on the right; an angle of 0 changes nothing.
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);

    // p -> ((p - pivot) * scale) rotated about X, then Y, then Z, + pivot + position.
    void BuildTransformXYZ(const GxVector3& position, const GxVector3& rotation, const GxVector3& scale,
                           const GxVector3& pivot);
    // The same with the rotations in the order Z, X, Y.
    void BuildTransformZXY(const GxVector3& position, const GxVector3& rotation, const GxVector3& scale,
                           const GxVector3& pivot);
};

GxMatrix operator*(const GxMatrix& a, const GxMatrix& b);

inline void GxVector2::Transform(const GxMatrix& m)
{
    float tx = x * m.m[0] + y * m.m[4] + m.m[12];
    float ty = x * m.m[1] + y * m.m[5] + m.m[13];
    x = tx;
    y = ty;
}
