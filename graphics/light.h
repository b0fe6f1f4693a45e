// GxLight and GxLightTable: the lights of a scene for the effects, stored and read as named
// fields of a content record; and the graphics layer's two lights of its own (a directional
// light and a two-colour light) that its default drawing state sets.
#pragma once

#include "foundation/content.h"
#include "foundation/value_types.h"

#include <cstdint>

// Kinds of light the graphics layer uses itself.
constexpr std::int32_t kLightTypeDirectional = 2;
constexpr std::int32_t kLightTypeTwoColor = 7;

class GxLight {
public:
    virtual ~GxLight() = default;

    // The nine fields in order; false when a field was not written.
    virtual bool Write(GxContentWriterBase& writer) const;
    // The nine fields in order; false when the reader has counted an error.
    virtual bool Read(GxContentReaderBase& reader);

    bool m_Visible = false;
    std::int32_t m_Type = 0;
    GxVector3 m_LightSphere_Pos;
    float m_LightSphere_Radius = 0.0f;
    GxVector3 m_Dir;
    GxFColor m_LightColor0;   // white
    GxFColor m_LightColor1;   // white
    float m_ConeAngle = 0.0f;
    float m_Intensity = 1.0f;
};

class GxLightTable {
public:
    static constexpr std::int32_t kMaxLights = 256;

    virtual ~GxLightTable() = default;

    // Both counts, then the lights in use of each list.
    virtual bool Write(GxContentWriterBase& writer) const;
    // A stored count outside 0 to 256 is refused (logged, counts back to 0) before any light
    // is read.
    virtual bool Read(GxContentReaderBase& reader);

    GxLight m_PointLights[kMaxLights];
    GxLight m_SpotLights[kMaxLights];
    std::int32_t m_PointLightCount = 0;
    std::int32_t m_SpotLightCount = 0;
};

namespace GxGraphics {

// Visible, kind 2, with the colour and direction.
void SetDirectionalLight(const GxFColor& color, const GxVector3& direction);
// Visible, kind 7, with both colours and the direction.
void SetTwoColorLight(const GxFColor& color0, const GxFColor& color1, const GxVector3& direction);
const GxLight& GetDirectionalLight();
const GxLight& GetTwoColorLight();

}  // namespace GxGraphics
