#include "platform/d3d9/format_info.h"

namespace platform::d3d9 {

FormatInfo DescribeFormat(D3DFORMAT format)
{
    using PF = raster::PixelFormat;
    switch (format) {
    case D3DFMT_A8R8G8B8: return {4, false, false, false, PF::A8R8G8B8};
    case D3DFMT_X8R8G8B8: return {4, false, false, false, PF::X8R8G8B8};
    case D3DFMT_R5G6B5: return {2, false, false, false, PF::R5G6B5};
    case D3DFMT_X1R5G5B5: return {2, false, false, false, PF::X1R5G5B5};
    case D3DFMT_A1R5G5B5: return {2, false, false, false, PF::A1R5G5B5};
    case D3DFMT_A4R4G4B4: return {2, false, false, false, PF::A4R4G4B4};
    case D3DFMT_X4R4G4B4: return {2, false, false, false, PF::X4R4G4B4};
    case D3DFMT_A2R10G10B10: return {4, false, false, false, PF::A2R10G10B10};
    case D3DFMT_A8: return {1, false, false, false, PF::A8};
    case D3DFMT_L8: return {1, false, false, false, PF::L8};
    case D3DFMT_D16_LOCKABLE: return {2, true, false, true, PF::Unknown};
    case D3DFMT_D16: return {2, true, false, false, PF::Unknown};
    case D3DFMT_D15S1: return {2, true, true, false, PF::Unknown};
    case D3DFMT_D24S8: return {4, true, true, false, PF::Unknown};
    case D3DFMT_D24X8: return {4, true, false, false, PF::Unknown};
    case D3DFMT_D24X4S4: return {4, true, true, false, PF::Unknown};
    case D3DFMT_D24FS8: return {4, true, true, false, PF::Unknown};
    case D3DFMT_D32: return {4, true, false, false, PF::Unknown};
    case D3DFMT_D32F_LOCKABLE: return {4, true, false, true, PF::Unknown};
    case D3DFMT_D32_LOCKABLE: return {4, true, false, true, PF::Unknown};
    default: return {};
    }
}

bool IsDisplayFormat(D3DFORMAT format)
{
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 ||
           format == D3DFMT_A2R10G10B10;
}

bool IsBackBufferFormat(D3DFORMAT format)
{
    return IsDisplayFormat(format) || format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5;
}

}  // namespace platform::d3d9
