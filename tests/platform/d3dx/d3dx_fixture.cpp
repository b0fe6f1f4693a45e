#include "tests/platform/d3dx/d3dx_fixture.h"

#include <cstdlib>
#include <cstring>

void D3dxTest::SetUp()
{
    m_Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_Direct3D, nullptr);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 64;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    // No window lookup is installed, so any handle gives a headless device.
    parameters.hDeviceWindow = reinterpret_cast<HWND>(0x1);
    ASSERT_EQ(m_Direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, parameters.hDeviceWindow,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &m_Device),
              D3D_OK);
}

void D3dxTest::TearDown()
{
    if (m_Device) m_Device->Release();
    if (m_Direct3D) m_Direct3D->Release();
}

namespace {

TestImage ReadLocked(const D3DLOCKED_RECT& locked, D3DFORMAT format, UINT width, UINT height)
{
    TestImage image{width, height, {}};
    for (UINT y = 0; y < height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + std::ptrdiff_t(y) * locked.Pitch;
        for (UINT x = 0; x < width; ++x) {
            if (format == D3DFMT_A4R4G4B4 || format == D3DFMT_X4R4G4B4) {
                std::uint16_t v;
                std::memcpy(&v, row + x * 2, 2);
                std::uint32_t argb = 0;
                for (int n = 0; n < 4; ++n) argb |= ((v >> (4 * n)) & 15u) * 17u << (8 * n);
                image.argb.push_back(argb);
            } else {
                std::uint32_t v;
                std::memcpy(&v, row + x * 4, 4);
                image.argb.push_back(v);
            }
        }
    }
    return image;
}

}  // namespace

TestImage D3dxTest::ReadLevel(IDirect3DTexture9* texture, UINT level)
{
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    TestImage image = ReadLocked(locked, desc.Format, desc.Width, desc.Height);
    texture->UnlockRect(level);
    return image;
}

TestImage D3dxTest::ReadSurface(IDirect3DSurface9* surface)
{
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(surface->GetDesc(&desc), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    TestImage image = ReadLocked(locked, desc.Format, desc.Width, desc.Height);
    surface->UnlockRect();
    return image;
}

IDirect3DSurface9* D3dxTest::MakeSurface(UINT width, UINT height, D3DFORMAT format)
{
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(m_Device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SCRATCH, &surface, nullptr), D3D_OK);
    return surface;
}

HRESULT D3dxTest::LoadFile(const ImageBytes& file, TestImage& pixels, D3DCOLOR colorKey, D3DFORMAT format)
{
    D3DXIMAGE_INFO info{};
    HRESULT result = D3DXGetImageInfoFromFileInMemory(file.data(), UINT(file.size()), &info);
    if (FAILED(result)) return result;
    IDirect3DSurface9* surface = MakeSurface(info.Width, info.Height, format);
    if (!surface) return E_FAIL;
    result = D3DXLoadSurfaceFromFileInMemory(surface, nullptr, nullptr, file.data(), UINT(file.size()), nullptr,
                                             D3DX_FILTER_NONE, colorKey, nullptr);
    if (SUCCEEDED(result)) pixels = ReadSurface(surface);
    surface->Release();
    return result;
}

::testing::AssertionResult NearArgb(std::uint32_t expected, std::uint32_t actual, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int e = int((expected >> shift) & 0xFF), a = int((actual >> shift) & 0xFF);
        if (std::abs(e - a) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "expected 0x" << expected << ", got 0x" << actual;
    }
    return ::testing::AssertionSuccess();
}
