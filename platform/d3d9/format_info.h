// What the layer knows of each format: bytes per pixel, depth and stencil bits, and the
// raster core's view of colour formats.
#pragma once

#include "platform/d3d9/d3d9_types.h"
#include "platform/raster/raster.h"

namespace platform::d3d9 {

struct FormatInfo {
    int bytesPerPixel = 0;   // 0: the layer cannot store the format (compressed, unknown)
    bool depth = false;
    bool stencil = false;
    bool lockableDepth = false;
    raster::PixelFormat raster = raster::PixelFormat::Unknown;   // Unknown for non-colour formats
};

FormatInfo DescribeFormat(D3DFORMAT format);

inline bool IsColorFormat(D3DFORMAT format) { return DescribeFormat(format).raster != raster::PixelFormat::Unknown; }
inline bool IsDepthFormat(D3DFORMAT format) { return DescribeFormat(format).depth; }
// Formats a display mode can have.
bool IsDisplayFormat(D3DFORMAT format);
// Formats a back buffer can have over a display format.
bool IsBackBufferFormat(D3DFORMAT format);

}  // namespace platform::d3d9
