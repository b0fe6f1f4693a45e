// Fuzz target: the D3DX load-and-convert path of every texture: the reader picked by sniffing,
// then scaling, colour key, mip levels and conversion into a texture of the chosen format.
// The first byte of the input chooses the options; the rest is the image file.
#include "tests/fuzz/fuzz_device.h"
#include "platform/d3d9/d3dx_image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IDirect3DDevice9* device = FuzzDevice();
    if (!device || size < 1) return 0;
    const std::uint8_t options = data[0];
    const std::uint8_t* file = data + 1;
    const UINT fileSize = static_cast<UINT>(size - 1);

    D3DXIMAGE_INFO info{};
    if (FAILED(D3DXGetImageInfoFromFileInMemory(file, fileSize, &info))) return 0;
    // Big images only cost time: the readers' own limits are covered by the reader targets.
    if (std::uint64_t(info.Width) * info.Height > (1u << 16)) return 0;

    static const D3DFORMAT kFormats[] = {D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4,
                                         D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_A8, D3DFMT_L8};
    static const DWORD kFilters[] = {D3DX_FILTER_NONE, D3DX_FILTER_POINT, D3DX_FILTER_LINEAR, D3DX_FILTER_TRIANGLE};
    const D3DFORMAT format = kFormats[options & 7];
    const DWORD filter = kFilters[(options >> 3) & 3];
    const UINT width = (options & 0x20) ? D3DX_DEFAULT_NONPOW2 : ((options & 0x40) ? 7 : 0);
    const UINT mipLevels = (options & 0x80) ? 0 : 1;
    const D3DCOLOR colorKey = (options & 0x10) ? 0xFF000000 : 0;

    IDirect3DTexture9* texture = nullptr;
    if (D3DXCreateTextureFromFileInMemoryEx(device, file, fileSize, width, width, mipLevels, 0, format,
                                            D3DPOOL_MANAGED, filter, D3DX_DEFAULT, colorKey, &info, nullptr,
                                            &texture) == D3D_OK &&
        texture) {
        D3DLOCKED_RECT locked{};
        if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) == D3D_OK) texture->UnlockRect(0);
        texture->Release();
    }
    return 0;
}
