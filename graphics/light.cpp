#include "graphics/light.h"

#include "foundation/log.h"

bool GxLight::Write(GxContentWriterBase& writer) const
{
    // Every field is written even after a failed one; the result says whether all went out.
    bool written = writer.WriteBool("m_Visible", m_Visible);
    written = writer.WriteS32("m_Type", m_Type) && written;
    written = writer.WriteVector3("m_LightSphere_Pos", &m_LightSphere_Pos) && written;
    written = writer.WriteF32("m_LightSphere_Radius", m_LightSphere_Radius) && written;
    written = writer.WriteVector3("m_Dir", &m_Dir) && written;
    written = writer.WriteFColor("m_LightColor0", &m_LightColor0) && written;
    written = writer.WriteFColor("m_LightColor1", &m_LightColor1) && written;
    written = writer.WriteF32("m_ConeAngle", m_ConeAngle) && written;
    written = writer.WriteF32("m_Intensity", m_Intensity) && written;
    return written && writer.GetErrorCount() <= 0;
}

bool GxLight::Read(GxContentReaderBase& reader)
{
    reader.ReadBool("m_Visible", &m_Visible);
    m_Type = reader.GetS32("m_Type");
    reader.ReadVector3("m_LightSphere_Pos", &m_LightSphere_Pos);
    reader.ReadF32("m_LightSphere_Radius", &m_LightSphere_Radius);
    reader.ReadVector3("m_Dir", &m_Dir);
    reader.ReadFColor("m_LightColor0", &m_LightColor0);
    reader.ReadFColor("m_LightColor1", &m_LightColor1);
    reader.ReadF32("m_ConeAngle", &m_ConeAngle);
    reader.ReadF32("m_Intensity", &m_Intensity);
    return reader.GetErrorCount() <= 0;
}

namespace {

bool WriteLightList(GxContentWriterBase& writer, const char* name, const GxLight* lights, std::int32_t count)
{
    bool written = writer.WriteListBegin(name, "", static_cast<std::uint32_t>(count));
    for (std::int32_t i = 0; i < count; ++i) written = lights[i].Write(writer) && written;
    return writer.WriteListEnd() && written;
}

bool ReadLightList(GxContentReaderBase& reader, const char* name, GxLight* lights, std::int32_t count)
{
    // The list's own count is read and not used: the table's count decides.
    std::uint32_t stored = 0;
    reader.ReadListBegin(name, &stored);
    for (std::int32_t i = 0; i < count; ++i) lights[i].Read(reader);
    reader.ReadListEnd();
    return reader.GetErrorCount() <= 0;
}

bool IsValidCount(std::int32_t count)
{
    return count >= 0 && count <= GxLightTable::kMaxLights;
}

}  // namespace

bool GxLightTable::Write(GxContentWriterBase& writer) const
{
    // The counts are kept in range here too, so that the lists never run past the tables.
    const std::int32_t points = IsValidCount(m_PointLightCount) ? m_PointLightCount : 0;
    const std::int32_t spots = IsValidCount(m_SpotLightCount) ? m_SpotLightCount : 0;
    if (points != m_PointLightCount || spots != m_SpotLightCount) {
        LogPrint(u"Error/GxLightTable Write: light count out of range(point:%d spot:%d)\n", m_PointLightCount,
                 m_SpotLightCount);
        return false;
    }
    bool written = writer.WriteS32("m_PointLightCount", points);
    written = writer.WriteS32("m_SpotLightCount", spots) && written;
    written = WriteLightList(writer, "m_PointLights", m_PointLights, points) && written;
    written = WriteLightList(writer, "m_SpotLights", m_SpotLights, spots) && written;
    return written && writer.GetErrorCount() <= 0;
}

bool GxLightTable::Read(GxContentReaderBase& reader)
{
    m_PointLightCount = 0;
    m_SpotLightCount = 0;
    const std::int32_t points = reader.GetS32("m_PointLightCount");
    const std::int32_t spots = reader.GetS32("m_SpotLightCount");
    if (reader.GetErrorCount() > 0) return false;
    if (!IsValidCount(points) || !IsValidCount(spots)) {
        LogPrint(u"Error/GxLightTable Read: light count out of range(point:%d spot:%d)\n", points, spots);
        return false;
    }
    m_PointLightCount = points;
    m_SpotLightCount = spots;
    ReadLightList(reader, "m_PointLights", m_PointLights, points);
    ReadLightList(reader, "m_SpotLights", m_SpotLights, spots);
    return reader.GetErrorCount() <= 0;
}

namespace {

struct GraphicsLights {
    GxLight directional;
    GxLight twoColor;
};

GraphicsLights& Lights()
{
    static GraphicsLights lights;
    return lights;
}

}  // namespace

namespace GxGraphics {

void SetDirectionalLight(const GxFColor& color, const GxVector3& direction)
{
    GxLight& light = Lights().directional;
    light.m_Visible = true;
    light.m_Type = kLightTypeDirectional;
    light.m_LightColor0 = color;
    light.m_Dir = direction;
}

void SetTwoColorLight(const GxFColor& color0, const GxFColor& color1, const GxVector3& direction)
{
    GxLight& light = Lights().twoColor;
    light.m_Visible = true;
    light.m_Type = kLightTypeTwoColor;
    light.m_LightColor0 = color0;
    light.m_LightColor1 = color1;
    light.m_Dir = direction;
}

const GxLight& GetDirectionalLight()
{
    return Lights().directional;
}

const GxLight& GetTwoColorLight()
{
    return Lights().twoColor;
}

}  // namespace GxGraphics
