// A headless device and helpers to read back what the D3DX image functions wrote.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx_image.h"
#include "tests/support/image_fixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class D3dxTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Level `level` of a texture as 0xAARRGGBB values: 32-bit formats as stored, 16-bit
    // formats widened by nibble doubling (n * 17).
    TestImage ReadLevel(IDirect3DTexture9* texture, UINT level = 0);
    TestImage ReadSurface(IDirect3DSurface9* surface);
    IDirect3DSurface9* MakeSurface(UINT width, UINT height, D3DFORMAT format);
    // The whole file into a scratch surface of its own size (as the engine's scratch loader does).
    HRESULT LoadFile(const ImageBytes& file, TestImage& pixels, D3DCOLOR colorKey = 0,
                     D3DFORMAT format = D3DFMT_A8R8G8B8);

    IDirect3D9* m_Direct3D = nullptr;
    IDirect3DDevice9* m_Device = nullptr;
};

// Equal within `tolerance` in every channel.
::testing::AssertionResult NearArgb(std::uint32_t expected, std::uint32_t actual, int tolerance);
