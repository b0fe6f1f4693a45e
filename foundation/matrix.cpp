#include "foundation/matrix.h"

#include <cmath>

namespace {

// The rotation by `angle` that turns axis i towards axis j: X is (1, 2), Y (2, 0), Z (0, 1).
void SetPlaneRotation(GxMatrix& matrix, int i, int j, float angle)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    matrix.SetIdentity();
    matrix.m[i * 5] = c;
    matrix.m[i * 4 + j] = s;
    matrix.m[j * 4 + i] = -s;
    matrix.m[j * 5] = c;
}

// The matrix times that rotation on the right; an angle of 0 changes nothing.
void RotateInPlane(GxMatrix& matrix, int i, int j, float angle)
{
    if (angle == 0.0f) return;
    GxMatrix rotation;
    SetPlaneRotation(rotation, i, j, angle);
    matrix *= rotation;
}

}  // namespace

GxMatrix::GxMatrix() : m{}
{
    SetIdentity();
}

void GxMatrix::Set(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8, float m9,
                   float m10, float m11, float m12, float m13, float m14, float m15)
{
    const float values[16] = {m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15};
    for (int i = 0; i < 16; ++i) m[i] = values[i];
}

void GxMatrix::SetIdentity()
{
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void GxMatrix::SetTranslationXYZ(float x, float y, float z)
{
    SetIdentity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void GxMatrix::SetTranslation(const GxVector3& v)
{
    SetTranslationXYZ(v.x, v.y, v.z);
}

void GxMatrix::SetScaling(float sx, float sy, float sz)
{
    SetIdentity();
    m[0] = sx;
    m[5] = sy;
    m[10] = sz;
}

void GxMatrix::SetRotationX(float angle)
{
    SetPlaneRotation(*this, 1, 2, angle);
}

void GxMatrix::SetRotationY(float angle)
{
    SetPlaneRotation(*this, 2, 0, angle);
}

void GxMatrix::SetRotationZ(float angle)
{
    SetPlaneRotation(*this, 0, 1, angle);
}

void GxMatrix::AddTranslation(const GxVector3& v)
{
    AddTranslationXYZ(v.x, v.y, v.z);
}

void GxMatrix::AddTranslationXYZ(float x, float y, float z)
{
    m[12] += x;
    m[13] += y;
    m[14] += z;
}

void GxMatrix::ScaleColumns(const GxVector3& scale)
{
    for (int row = 0; row < 4; ++row) {
        m[row * 4 + 0] *= scale.x;
        m[row * 4 + 1] *= scale.y;
        m[row * 4 + 2] *= scale.z;
    }
}

GxMatrix operator*(const GxMatrix& a, const GxMatrix& b)
{
    GxMatrix result;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[row * 4 + k] * b.m[k * 4 + col];
            result.m[row * 4 + col] = sum;
        }
    }
    return result;
}

GxMatrix& GxMatrix::operator*=(const GxMatrix& other)
{
    *this = *this * other;
    return *this;
}

void GxMatrix::RotateX(float angle)
{
    RotateInPlane(*this, 1, 2, angle);
}

void GxMatrix::RotateY(float angle)
{
    RotateInPlane(*this, 2, 0, angle);
}

void GxMatrix::RotateZ(float angle)
{
    RotateInPlane(*this, 0, 1, angle);
}

namespace {

enum class GxRotationOrder { XYZ, ZXY };

void BuildTransform(GxMatrix& matrix, const GxVector3& position, const GxVector3& rotation, const GxVector3& scale,
                    const GxVector3& pivot, GxRotationOrder order)
{
    GxVector3 negPivot(-pivot.x, -pivot.y, -pivot.z);
    matrix.SetTranslation(negPivot);
    matrix.ScaleColumns(scale);
    // Added and taken away as two steps: both roundings belong to the result that motion data was authored against.
    matrix.AddTranslation(pivot);
    matrix.AddTranslation(negPivot);
    if (order == GxRotationOrder::XYZ) {
        matrix.RotateX(rotation.x);
        matrix.RotateY(rotation.y);
        matrix.RotateZ(rotation.z);
    } else {
        matrix.RotateZ(rotation.z);
        matrix.RotateX(rotation.x);
        matrix.RotateY(rotation.y);
    }
    matrix.AddTranslation(pivot);
    matrix.AddTranslation(position);
}

}  // namespace

void GxMatrix::BuildTransformXYZ(const GxVector3& position, const GxVector3& rotation, const GxVector3& scale,
                                 const GxVector3& pivot)
{
    BuildTransform(*this, position, rotation, scale, pivot, GxRotationOrder::XYZ);
}

void GxMatrix::BuildTransformZXY(const GxVector3& position, const GxVector3& rotation, const GxVector3& scale,
                                 const GxVector3& pivot)
{
    BuildTransform(*this, position, rotation, scale, pivot, GxRotationOrder::ZXY);
}
