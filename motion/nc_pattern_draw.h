// Drawing one pattern of an origin image of a crammed image set through a matrix, whole or cut
// to a rectangle: what widgets, screens and picture layers draw image-set cells with.
#pragma once

#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <cstdint>

struct GxNcOriginImage;

// Pattern `index` of `image` as one quad: its kept part at its offset in the origin image,
// placed by `matrix`; the colour's alpha times `alpha`. Nothing for a null image, an index
// outside the patterns or a pattern in no atlas.
void DrawCrammedImagePatternNoClip(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix,
                                   float alpha, const GxFColor& color, const GxFColor& color1, std::int32_t blend);
// The same cut to the rectangle `clip` (left, top, right, bottom in the origin image's pixels):
// the quad keeps its top-left corner at the pattern's offset while the source window moves.
// Nothing when the cut leaves no width or height.
void DrawCrammedImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxRect& clip,
                             const GxMatrix& matrix, float alpha, const GxFColor& color, const GxFColor& color1,
                             std::int32_t blend);
