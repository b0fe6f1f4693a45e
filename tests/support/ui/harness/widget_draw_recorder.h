// A widget drawing seam for tests: records every call with its points, colours, blend preset and
// clip rectangle, then (unless told not to) draws it through the built-in drawing, so that the
// read-back frame and the record describe the same calls. No GoogleTest.
#pragma once

#include "ui/widget_graphics.h"

#include <cstdint>
#include <string>
#include <vector>

struct WidgetDrawCall {
    std::string call;                    // the seam operation, e.g. "DrawColorRect"
    std::vector<GxVector2> points;       // positions: top left, or the rectangle's corners
    std::vector<std::uint32_t> colors;   // colour, specular, outline colour as the call has them
    std::int32_t preset = 0;
    bool clipped = false;
    GxRect clip;                         // the pattern's cut or the text rectangle
    std::u16string text;
    std::int32_t index = 0;              // the pattern's index
    float distance = 0.0f;               // a glyph ring's distance
    GxVector3 rotation;                  // a flex texture's rotation (radians)
};

class WidgetDrawRecorder : public GxWidgetGraphicsBase {
public:
    // Installs itself for its lifetime.
    explicit WidgetDrawRecorder(bool draw = true);
    ~WidgetDrawRecorder() override;
    WidgetDrawRecorder(const WidgetDrawRecorder&) = delete;
    WidgetDrawRecorder& operator=(const WidgetDrawRecorder&) = delete;

    void ResetRenderStates() override;
    bool BeginSceneNested() override;
    bool EndSceneNested() override;
    void DrawTexture(GxTexture* texture, float x, float y, const GxVector2& scale, std::uint32_t color,
                     std::uint32_t specular, std::int32_t preset) override;
    void DrawFlexTexture(GxTextureFlex* texture, float x, float y, const GxVector2& scale, const GxVector3& rotation,
                         const GxVector2& pivot, std::uint32_t color, std::uint32_t specular,
                         std::int32_t preset) override;
    void DrawGlyphRecord(const GxGlyphRecord& glyph, float x, float y, const GxVector2& scale, std::uint32_t color,
                         std::uint32_t specular, std::int32_t preset) override;
    void DrawGlyphRing(const GxGlyphRecord& glyph, float x, float y, float distance, const GxVector2& scale,
                       std::uint32_t color, std::uint32_t specular, std::int32_t preset) override;
    void DrawImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix, float alpha,
                          const GxFColor& color, const GxFColor& color1, std::int32_t preset) override;
    void DrawImagePatternClipped(const GxNcOriginImage* image, std::int32_t index, const GxRect& clip,
                                 const GxMatrix& matrix, float alpha, const GxFColor& color, const GxFColor& color1,
                                 std::int32_t preset) override;
    void DrawGlyph(const GxImageCell& cell, float x, float y, const GxVector2& scale, std::uint32_t color,
                   std::uint32_t specular, std::int32_t preset) override;
    void DrawGlyphOutlined(const GxImageCell& cell, float x, float y, float distance, std::uint32_t color,
                           std::uint32_t specular, std::uint32_t outlineColor, std::int32_t preset,
                           const GxVector2& scale) override;
    GxRect DrawAlignedText(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect,
                           GxWidgetTextAlign align, std::uint32_t color, std::uint32_t specular,
                           std::uint32_t outlineColor, std::int32_t preset, char16_t breakChar) override;
    void DrawFontMapText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y, const GxVector2& scale,
                         std::uint32_t color, std::uint32_t specular, std::int32_t preset,
                         char16_t breakChar) override;
    void DrawBitmapFontText(GxFontData* font, std::u16string_view text, float x, float y, const GxVector2& scale,
                            std::uint32_t color, std::uint32_t specular, std::int32_t preset) override;
    void DrawColorRect(const GxFRect& rect, std::uint32_t color, std::int32_t preset) override;

    const std::vector<WidgetDrawCall>& Calls() const { return m_Calls; }
    // The calls of one operation only.
    std::vector<WidgetDrawCall> CallsOf(const std::string& call) const;
    void Clear() { m_Calls.clear(); }

private:
    WidgetDrawCall& Add(const char* call, std::int32_t preset);

    bool m_Draw;
    GxWidgetGraphicsBase* m_Previous = nullptr;
    std::vector<WidgetDrawCall> m_Calls;
};
