// MakeUILayerParam: pattern 0 of an image-set cell drawn at a position with a scale and a packed
// colour, as the notice panel's icon and the drop-menu items' icons are drawn.
#pragma once

#include "foundation/value_types.h"

#include <cstdint>

struct GxNcOriginImage;

// Identity scaled by (scaleX, scaleY, 1), then translated to `position`; colours (argb, 0),
// alpha factor 1 and blend preset 2. Nothing for a null cell.
void MakeUILayerParam(const GxNcOriginImage* cell, float scaleX, float scaleY, const GxVector3& position,
                      std::uint32_t argb);
