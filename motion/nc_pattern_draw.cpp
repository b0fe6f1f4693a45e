#include "motion/nc_pattern_draw.h"

#include "graphics/texture.h"
#include "motion/crammed_image_set.h"
#include "motion/nc_graphics_calls.h"

#include <algorithm>

namespace {

const GxNcPattern* FindDrawablePattern(const GxNcOriginImage* image, std::int32_t index)
{
    if (image == nullptr || index < 0 || static_cast<std::size_t>(index) >= image->m_PatternArray.size())
        return nullptr;
    const GxNcPattern& pattern = image->m_PatternArray[static_cast<std::size_t>(index)];
    return pattern.m_pCrammedImage != nullptr ? &pattern : nullptr;
}

// The quad of `width` x `height` at the pattern's offset, showing the atlas window that starts
// at (sourceLeft, sourceTop).
void DrawPatternQuad(const GxNcPattern& pattern, std::int32_t sourceLeft, std::int32_t sourceTop,
                     std::int32_t width, std::int32_t height, const GxMatrix& matrix, float alpha,
                     const GxFColor& color, const GxFColor& color1, std::int32_t blend)
{
    const float left = static_cast<float>(pattern.m_CrammedOffsetLeft);
    const float top = static_cast<float>(pattern.m_CrammedOffsetTop);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    GxVector2 corners[4] = {{left, top}, {left, top + h}, {left + w, top + h}, {left + w, top}};
    for (GxVector2& corner : corners)
        corner.Transform(matrix);

    GxTexture* texture = pattern.m_pCrammedImage->m_pTexture;
    GxFRect uv;
    if (texture != nullptr) {
        uv.left = texture->GetU(static_cast<float>(sourceLeft));
        uv.top = texture->GetV(static_cast<float>(sourceTop));
        uv.right = texture->GetU(static_cast<float>(sourceLeft + width));
        uv.bottom = texture->GetV(static_cast<float>(sourceTop + height));
    }
    const D3DCOLOR diffuse = ColorToArgb(color.r, color.g, color.b, color.a * alpha);
    const D3DCOLOR second = ColorToArgb(color1);
    const D3DCOLOR diffuses[4] = {diffuse, diffuse, diffuse, diffuse};
    const D3DCOLOR seconds[4] = {second, second, second, second};
    GetNcGraphicsCalls().DrawQuad2D(texture, corners, uv, diffuses, seconds, blend);
}

}  // namespace

void DrawCrammedImagePatternNoClip(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix,
                                   float alpha, const GxFColor& color, const GxFColor& color1, std::int32_t blend)
{
    const GxNcPattern* pattern = FindDrawablePattern(image, index);
    if (pattern == nullptr)
        return;
    DrawPatternQuad(*pattern, pattern->m_CrammedLeft, pattern->m_CrammedTop, pattern->m_CrammedWidth,
                    pattern->m_CrammedHeight, matrix, alpha, color, color1, blend);
}

void DrawCrammedImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxRect& clip,
                             const GxMatrix& matrix, float alpha, const GxFColor& color, const GxFColor& color1,
                             std::int32_t blend)
{
    const GxNcPattern* pattern = FindDrawablePattern(image, index);
    if (pattern == nullptr)
        return;
    // Wide arithmetic: a damaged rectangle or pattern cannot overflow.
    auto cut = [](std::int64_t clipStart, std::int64_t clipEnd, std::int64_t start, std::int64_t size,
                  std::int64_t source, std::int64_t& from, std::int64_t& length) {
        if (clipStart < start) {
            from = source;
            length = size;
        } else {
            from = source + (clipStart - start);
            length = size - (clipStart - start);
        }
        length = std::min(length, clipEnd - clipStart);
    };
    std::int64_t x = 0, width = 0, y = 0, height = 0;
    cut(clip.left, clip.right, pattern->m_CrammedOffsetLeft, pattern->m_CrammedWidth, pattern->m_CrammedLeft, x,
        width);
    cut(clip.top, clip.bottom, pattern->m_CrammedOffsetTop, pattern->m_CrammedHeight, pattern->m_CrammedTop, y,
        height);
    // A rectangle that leaves nothing visible would otherwise mirror the quad.
    if (width <= 0 || height <= 0)
        return;
    DrawPatternQuad(*pattern, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                    static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), matrix, alpha, color,
                    color1, blend);
}
