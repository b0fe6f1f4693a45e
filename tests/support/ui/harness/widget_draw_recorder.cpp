#include "tests/support/ui/harness/widget_draw_recorder.h"

#include "graphics/draw2d.h"

WidgetDrawRecorder::WidgetDrawRecorder(bool draw) : m_Draw(draw)
{
    m_Previous = SetWidgetGraphics(this);
}

WidgetDrawRecorder::~WidgetDrawRecorder()
{
    SetWidgetGraphics(m_Previous);
}

WidgetDrawCall& WidgetDrawRecorder::Add(const char* call, std::int32_t preset)
{
    WidgetDrawCall& record = m_Calls.emplace_back();
    record.call = call;
    record.preset = preset;
    return record;
}

std::vector<WidgetDrawCall> WidgetDrawRecorder::CallsOf(const std::string& call) const
{
    std::vector<WidgetDrawCall> found;
    for (const WidgetDrawCall& record : m_Calls)
        if (record.call == call)
            found.push_back(record);
    return found;
}

void WidgetDrawRecorder::ResetRenderStates()
{
    Add("ResetRenderStates", 0);
    if (m_Draw)
        GxWidgetGraphicsBase::ResetRenderStates();
}

bool WidgetDrawRecorder::BeginSceneNested()
{
    Add("BeginSceneNested", 0);
    return m_Draw ? GxWidgetGraphicsBase::BeginSceneNested() : true;
}

bool WidgetDrawRecorder::EndSceneNested()
{
    Add("EndSceneNested", 0);
    return m_Draw ? GxWidgetGraphicsBase::EndSceneNested() : true;
}

void WidgetDrawRecorder::DrawTexture(GxTexture* texture, float x, float y, const GxVector2& scale,
                                     std::uint32_t color, std::uint32_t specular, std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawTexture", preset);
    record.points = {GxVector2(x, y), scale};
    record.colors = {color, specular};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawTexture(texture, x, y, scale, color, specular, preset);
}

void WidgetDrawRecorder::DrawFlexTexture(GxTextureFlex* texture, float x, float y, const GxVector2& scale,
                                         const GxVector3& rotation, const GxVector2& pivot, std::uint32_t color,
                                         std::uint32_t specular, std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawFlexTexture", preset);
    record.points = {GxVector2(x, y), scale, pivot};
    record.rotation = rotation;
    record.colors = {color, specular};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawFlexTexture(texture, x, y, scale, rotation, pivot, color, specular, preset);
}

void WidgetDrawRecorder::DrawGlyphRecord(const GxGlyphRecord& glyph, float x, float y, const GxVector2& scale,
                                         std::uint32_t color, std::uint32_t specular, std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawGlyphRecord", preset);
    record.points = {GxVector2(x, y), scale};
    record.colors = {color, specular};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawGlyphRecord(glyph, x, y, scale, color, specular, preset);
}

void WidgetDrawRecorder::DrawGlyphRing(const GxGlyphRecord& glyph, float x, float y, float distance,
                                       const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                       std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawGlyphRing", preset);
    record.points = {GxVector2(x, y), scale};
    record.distance = distance;
    record.colors = {color, specular};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawGlyphRing(glyph, x, y, distance, scale, color, specular, preset);
}

void WidgetDrawRecorder::DrawImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix,
                                          float alpha, const GxFColor& color, const GxFColor& color1,
                                          std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawImagePattern", preset);
    record.index = index;
    record.points = {GxVector2(matrix.m[12], matrix.m[13])};
    record.colors = {ColorToArgb(color.r, color.g, color.b, color.a * alpha), ColorToArgb(color1)};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawImagePattern(image, index, matrix, alpha, color, color1, preset);
}

void WidgetDrawRecorder::DrawImagePatternClipped(const GxNcOriginImage* image, std::int32_t index,
                                                 const GxRect& clip, const GxMatrix& matrix, float alpha,
                                                 const GxFColor& color, const GxFColor& color1, std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawImagePatternClipped", preset);
    record.index = index;
    record.points = {GxVector2(matrix.m[12], matrix.m[13])};
    record.colors = {ColorToArgb(color.r, color.g, color.b, color.a * alpha), ColorToArgb(color1)};
    record.clipped = true;
    record.clip = clip;
    if (m_Draw)
        GxWidgetGraphicsBase::DrawImagePatternClipped(image, index, clip, matrix, alpha, color, color1, preset);
}

void WidgetDrawRecorder::DrawGlyph(const GxImageCell& cell, float x, float y, const GxVector2& scale,
                                   std::uint32_t color, std::uint32_t specular, std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawGlyph", preset);
    record.points = {GxVector2(x, y), scale};
    record.colors = {color, specular};
    record.clip = GxRect{cell.left, cell.top, cell.left + cell.width, cell.top + cell.height};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawGlyph(cell, x, y, scale, color, specular, preset);
}

void WidgetDrawRecorder::DrawGlyphOutlined(const GxImageCell& cell, float x, float y, float distance,
                                           std::uint32_t color, std::uint32_t specular, std::uint32_t outlineColor,
                                           std::int32_t preset, const GxVector2& scale)
{
    WidgetDrawCall& record = Add("DrawGlyphOutlined", preset);
    record.points = {GxVector2(x, y), scale, GxVector2(distance, distance)};
    record.colors = {color, specular, outlineColor};
    record.clip = GxRect{cell.left, cell.top, cell.left + cell.width, cell.top + cell.height};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawGlyphOutlined(cell, x, y, distance, color, specular, outlineColor, preset, scale);
}

GxRect WidgetDrawRecorder::DrawAlignedText(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect,
                                           GxWidgetTextAlign align, std::uint32_t color, std::uint32_t specular,
                                           std::uint32_t outlineColor, std::int32_t preset, char16_t breakChar)
{
    WidgetDrawCall& record = Add("DrawAlignedText", preset);
    record.points = {GxVector2(static_cast<float>(rect.left), static_cast<float>(rect.top))};
    record.colors = {color, specular, outlineColor};
    record.clip = rect;
    record.text = text;
    record.index = static_cast<std::int32_t>(align);
    if (m_Draw)
        return GxWidgetGraphicsBase::DrawAlignedText(fontMap, text, rect, align, color, specular, outlineColor, preset,
                                                     breakChar);
    return rect;
}

void WidgetDrawRecorder::DrawFontMapText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y,
                                         const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                         std::int32_t preset, char16_t breakChar)
{
    WidgetDrawCall& record = Add("DrawFontMapText", preset);
    record.points = {GxVector2(x, y), scale};
    record.colors = {color, specular};
    record.text = text;
    if (m_Draw)
        GxWidgetGraphicsBase::DrawFontMapText(fontMap, text, x, y, scale, color, specular, preset, breakChar);
}

void WidgetDrawRecorder::DrawBitmapFontText(GxFontData* font, std::u16string_view text, float x, float y,
                                            const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                            std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawBitmapFontText", preset);
    record.points = {GxVector2(x, y), scale};
    record.colors = {color, specular};
    record.text = text;
    if (m_Draw)
        GxWidgetGraphicsBase::DrawBitmapFontText(font, text, x, y, scale, color, specular, preset);
}

void WidgetDrawRecorder::DrawColorRect(const GxFRect& rect, std::uint32_t color, std::int32_t preset)
{
    WidgetDrawCall& record = Add("DrawColorRect", preset);
    record.points = {GxVector2(rect.left, rect.top), GxVector2(rect.right, rect.bottom)};
    record.colors = {color};
    if (m_Draw)
        GxWidgetGraphicsBase::DrawColorRect(rect, color, preset);
}
