// The D3DX image subset: textures made from image files in memory, image information, loading
// files and surfaces into surfaces, and saving textures and surfaces as PNG.
//
// Readers: PNG (libpng), JPEG (libjpeg), BMP, TGA and DDS (DXT1 to DXT5 and uncompressed).
// Images are decoded to 32-bit ARGB, colour-keyed, placed or resampled, then converted to the
// destination format (4-bit channels keep their top four bits).
//
// Placement by filter:
// - D3DX_FILTER_NONE: the image sits at the top left, unscaled and clipped; every texel outside
//   it is transparent black.
// - D3DX_FILTER_POINT: stretched to fill, nearest texel.
// - D3DX_FILTER_LINEAR, D3DX_FILTER_TRIANGLE, D3DX_FILTER_BOX, D3DX_DEFAULT: resampled to fill
//   with a triangle (tent) filter, each channel on its own.
// Mip levels below level 0 are built by a 2x2 box chain unless the mip filter is
// D3DX_FILTER_NONE, which leaves them as created.
//
// Failures return an error code and write the reason to the debugger output.
#pragma once

#include "platform/d3d9/d3d9.h"

struct PALETTEENTRY;   // palettes are never used; only null is accepted

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;
constexpr D3DFORMAT D3DFMT_FROM_FILE = static_cast<D3DFORMAT>(0xFFFFFFFDu);

constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;
constexpr DWORD D3DX_FILTER_MIRROR_U = 1u << 16;
constexpr DWORD D3DX_FILTER_MIRROR_V = 2u << 16;
constexpr DWORD D3DX_FILTER_MIRROR_W = 4u << 16;
constexpr DWORD D3DX_FILTER_MIRROR = 7u << 16;
constexpr DWORD D3DX_FILTER_DITHER = 1u << 19;
constexpr DWORD D3DX_FILTER_DITHER_DIFFUSION = 2u << 19;
constexpr DWORD D3DX_FILTER_SRGB_IN = 1u << 21;
constexpr DWORD D3DX_FILTER_SRGB_OUT = 2u << 21;
constexpr DWORD D3DX_FILTER_SRGB = 3u << 21;

// MAKE_HRESULT(1, 0x876, 2905).
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
    D3DXIFF_FORCE_DWORD = 0x7FFFFFFF,
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;       // 1 for every image this layer reads
    UINT MipLevels;   // levels stored in the file (DDS), else 1
    D3DFORMAT Format;   // the file's own pixel format
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// Levels 0 (or D3DX_DEFAULT) make the full chain down to 1x1; a width or height of 0 is 1.
// Usage 0 or D3DUSAGE_RENDERTARGET (and DYNAMIC); pools as the device accepts them.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);

// Width and height 0 or D3DX_DEFAULT take the image's size raised to powers of two;
// D3DX_DEFAULT_NONPOW2 and D3DX_FROM_FILE take it as it is. Format D3DFMT_UNKNOWN or
// D3DFMT_FROM_FILE gives X8R8G8B8 for opaque images and A8R8G8B8 for the others. A colour key other than 0 turns every texel equal to it (all four
// channels compared, before any scaling) into 0x00000000. `srcInfo` receives the image
// information; `palette` must be null.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT dataSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                            PALETTEENTRY* palette, IDirect3DTexture9** texture);

// Reads the header only; D3DXERR_INVALIDDATA for data no reader recognises or a bad header.
HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT dataSize, D3DXIMAGE_INFO* srcInfo);

// The source rectangle of the image (null: all of it) into the destination rectangle of the
// surface (null: all of it), placed or resampled by `filter` as above.
HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* destSurface, const PALETTEENTRY* destPalette,
                                        const RECT* destRect, LPCVOID data, UINT dataSize, const RECT* srcRect,
                                        DWORD filter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo);

// Copies with format conversion; source and destination may be the same surface.
HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, IDirect3DSurface9* srcSurface,
                                   const PALETTEENTRY* srcPalette, const RECT* srcRect, DWORD filter,
                                   D3DCOLOR colorKey);

// PNG only (other formats: D3DERR_INVALIDCALL). 8-bit RGBA for formats with alpha, 8-bit RGB
// for formats without (X8R8G8B8, X4R4G4B4, R5G6B5 ...), so that no meaningless alpha is
// stored. The file is written under a temporary name and renamed into place: a failure leaves
// no partial file and keeps an older file of that name intact.
HRESULT D3DXSaveTextureToFileW(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DBaseTexture9* srcTexture,
                               const PALETTEENTRY* srcPalette);
HRESULT D3DXSaveSurfaceToFileW(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DSurface9* srcSurface,
                               const PALETTEENTRY* srcPalette, const RECT* srcRect);
// The 8-bit path is converted from the system code page.
HRESULT D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DSurface9* srcSurface,
                               const PALETTEENTRY* srcPalette, const RECT* srcRect);
