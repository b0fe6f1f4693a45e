// Shared set-up for the Direct3D 9 layer tests: a configurable adapter, a windowed device on
// a fake window handle (headless), and small pixel helpers.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/device_control.h"
#include "platform/d3d9/virtual_adapter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace d3d9test {

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
}

inline D3DPRESENT_PARAMETERS WindowedParameters(UINT width, UINT height)
{
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_FLIP;
    parameters.hDeviceWindow = FakeWindow();
    parameters.Windowed = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    return parameters;
}

// Every test starts from the built-in adapter (changed through `adapter` before CreateDevice).
class D3D9Test : public ::testing::Test {
protected:
    void SetUp() override { adapter = platform::d3d9::DefaultVirtualAdapter(); }

    void TearDown() override
    {
        if (device) {
            EXPECT_EQ(device->Release(), 0u) << "the test leaked a reference";
        }
        if (d3d) d3d->Release();
        platform::d3d9::ResetVirtualAdapter();
    }

    IDirect3D9* CreateD3D()
    {
        platform::d3d9::SetVirtualAdapter(adapter);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        return d3d;
    }

    // A windowed HAL device; fails the test when it cannot be made.
    void CreateDevice(UINT width = 64, UINT height = 64, DWORD flags = 0x86)
    {
        ASSERT_NE(CreateD3D(), nullptr);
        D3DPRESENT_PARAMETERS parameters = WindowedParameters(width, height);
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, FakeWindow(), flags, &parameters, &device),
                  D3D_OK);
    }

    IDirect3DTexture9* MakeTexture(UINT width, UINT height, DWORD usage, D3DPOOL pool,
                                   D3DFORMAT format = D3DFMT_A8R8G8B8, UINT levels = 1)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(width, height, levels, usage, format, pool, &texture, nullptr), D3D_OK);
        return texture;
    }

    IDirect3DSurface9* Level0(IDirect3DTexture9* texture)
    {
        IDirect3DSurface9* surface = nullptr;
        EXPECT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
        return surface;
    }

    platform::d3d9::VirtualAdapter adapter;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

// Reads one 32-bit pixel through a read-only lock.
inline std::uint32_t ReadPixel32(IDirect3DSurface9* surface, int x, int y)
{
    D3DLOCKED_RECT locked;
    const RECT one{x, y, x + 1, y + 1};
    if (surface->LockRect(&locked, &one, D3DLOCK_READONLY) != D3D_OK) return 0xDEADBEEF;
    std::uint32_t value;
    std::memcpy(&value, locked.pBits, 4);
    surface->UnlockRect();
    return value;
}

// Fills a whole 32-bit surface through a lock with f(x, y).
template <typename Pattern>
void FillSurface32(IDirect3DSurface9* surface, Pattern pattern)
{
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y)
        for (UINT x = 0; x < desc.Width; ++x) {
            const std::uint32_t value = pattern(x, y);
            std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &value, 4);
        }
    surface->UnlockRect();
}

}  // namespace d3d9test
