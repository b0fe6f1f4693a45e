// Textures and surfaces: creation rules, exact sizes, zero fill, pitch, locks and their
// refusals, and COM reference counts.
#include "d3d9_fixture.h"

#include <cstring>
#include <string>
#include <utility>

using namespace d3d9test;

TEST_F(D3D9Test, ResourceCreationRefusals)
{
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    HANDLE shared = nullptr;
    const struct {
        const char* name;
        UINT width, height, levels;
        DWORD usage;
        D3DFORMAT format;
        D3DPOOL pool;
        HANDLE* sharedHandle;
    } cases[] = {
        {"render target outside DEFAULT", 8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr},
        {"dynamic MANAGED", 8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr},
        {"compressed format", 8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, nullptr},
        {"float render target", 8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT, nullptr},
        {"wider than the caps", 16384, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr},
        {"zero size", 0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr},
        {"more levels than the size", 8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr},
        {"non-power-of-two with a mip chain", 300, 200, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr},
        {"shared handle", 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &shared},
        {"unknown pool", 8, 8, 1, 0, D3DFMT_A8R8G8B8, static_cast<D3DPOOL>(4), nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(device->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &texture,
                                        c.sharedHandle),
                  D3DERR_INVALIDCALL)
            << c.name;
        EXPECT_EQ(texture, nullptr) << c.name;
    }
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &surface, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateDepthStencilSurface(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &surface, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &surface, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_4_SAMPLES, 0, FALSE, &surface, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(D3D9Test, SquareOnlyCapsRefuseOblongTextures)
{
    adapter.caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
    CreateDevice();
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    texture->Release();
}

TEST_F(D3D9Test, NewResourcesHaveTheAskedSizesAndZeroPixels)
{
    CreateDevice();
    const struct {
        UINT width, height, levels, expectedLevels;
        D3DFORMAT format;
        D3DPOOL pool;
        DWORD usage;
    } cases[] = {
        {512, 256, 1, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0},
        {256, 64, 0, 9, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, 0},   // 0 levels: the whole chain to 1x1
        {300, 200, 1, 1, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, 0},
        {64, 64, 1, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC},
        {16, 16, 1, 1, D3DFMT_X4R4G4B4, D3DPOOL_SCRATCH, 0},
    };
    for (const auto& c : cases) {
        IDirect3DTexture9* texture = MakeTexture(c.width, c.height, c.usage, c.pool, c.format, c.levels);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetLevelCount(), c.expectedLevels);
        for (UINT level = 0; level < c.expectedLevels; ++level) {
            D3DSURFACE_DESC desc;
            ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
            EXPECT_EQ(desc.Width, std::max(1u, c.width >> level));
            EXPECT_EQ(desc.Height, std::max(1u, c.height >> level));
            EXPECT_EQ(desc.Format, c.format);
            EXPECT_EQ(desc.Pool, c.pool);
            EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
            EXPECT_EQ(desc.Usage, c.usage);
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            const std::size_t rowBytes = desc.Width * (c.format == D3DFMT_A8R8G8B8 || c.format == D3DFMT_X8R8G8B8 ? 4 : 2);
            bool zero = true;
            for (UINT y = 0; y < desc.Height; ++y) {
                const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch;
                for (std::size_t i = 0; i < rowBytes; ++i) zero = zero && row[i] == 0;
            }
            EXPECT_TRUE(zero) << c.width << "x" << c.height << " level " << level;
            texture->UnlockRect(level);
        }
        EXPECT_EQ(texture->Release(), 0u);
    }
}

// Surfaces of megabytes are laid out apart from small ones: they too start zeroed, hold every
// byte written up to their last row, and a new one after a release starts zeroed again.
TEST_F(D3D9Test, LargeSurfacesAreZeroAndHoldEveryRow)
{
    CreateDevice();
    for (const auto& [width, height] : {std::pair<UINT, UINT>{1100, 1000}, {1024, 512}, {2048, 1024}}) {
        for (int round = 0; round < 2; ++round) {
            IDirect3DTexture9* texture = MakeTexture(width, height, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8, 1);
            ASSERT_NE(texture, nullptr);
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
            bool zero = true;
            for (UINT y = 0; y < height; ++y) {
                auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch;
                for (UINT i = 0; i < width * 4; ++i) zero = zero && row[i] == 0;
                std::memset(row, static_cast<int>(y & 0xFF), width * 4);
            }
            EXPECT_TRUE(zero) << width << "x" << height << " round " << round;
            texture->UnlockRect(0);
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
            const auto* last = static_cast<const std::uint8_t*>(locked.pBits) + (height - 1) * locked.Pitch;
            EXPECT_EQ(last[width * 4 - 1], static_cast<std::uint8_t>((height - 1) & 0xFF));
            texture->UnlockRect(0);
            EXPECT_EQ(texture->Release(), 0u);
        }
    }
}

TEST_F(D3D9Test, PaddedPitchShowsInEveryLock)
{
    adapter.pitchPadding = 12;
    CreateDevice();
    IDirect3DTexture9* texture = MakeTexture(16, 8, 0, D3DPOOL_MANAGED);
    D3DLOCKED_RECT whole;
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
    EXPECT_EQ(whole.Pitch, 16 * 4 + 12);
    auto* base = static_cast<std::uint8_t*>(whole.pBits);
    const std::uint32_t marker = 0x11223344;
    std::memcpy(base + 5 * whole.Pitch + 3 * 4, &marker, 4);   // pixel (3, 5)
    texture->UnlockRect(0);
    D3DLOCKED_RECT part;
    const RECT area{3, 5, 7, 8};
    ASSERT_EQ(texture->LockRect(0, &part, &area, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(part.Pitch, whole.Pitch);
    std::uint32_t value;
    std::memcpy(&value, part.pBits, 4);
    EXPECT_EQ(value, marker);
    texture->UnlockRect(0);
    texture->Release();
}

TEST_F(D3D9Test, LockRefusals)
{
    CreateDevice();
    IDirect3DTexture9* managed = MakeTexture(16, 16, 0, D3DPOOL_MANAGED);
    IDirect3DTexture9* target = MakeTexture(16, 16, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    IDirect3DTexture9* plainDefault = MakeTexture(16, 16, 0, D3DPOOL_DEFAULT);
    IDirect3DTexture9* dynamic = MakeTexture(16, 16, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    D3DLOCKED_RECT locked;

    const RECT outside{8, 8, 17, 12}, inverted{8, 8, 4, 12}, empty{4, 4, 4, 8}, negative{-1, 0, 4, 4};
    const struct {
        const char* name;
        IDirect3DTexture9* texture;
        UINT level;
        const RECT* rect;
        DWORD flags;
    } refused[] = {
        {"render-target texture", target, 0, nullptr, 0},
        {"non-dynamic DEFAULT texture", plainDefault, 0, nullptr, 0},
        {"rectangle past the edge", managed, 0, &outside, 0},
        {"inverted rectangle", managed, 0, &inverted, 0},
        {"empty rectangle", managed, 0, &empty, 0},
        {"negative rectangle", managed, 0, &negative, 0},
        {"level out of range", managed, 1, nullptr, 0},
        {"discard on a managed texture", managed, 0, nullptr, D3DLOCK_DISCARD},
        {"discard with read-only", dynamic, 0, nullptr, D3DLOCK_DISCARD | D3DLOCK_READONLY},
    };
    for (const auto& c : refused) {
        locked.pBits = &locked;
        EXPECT_EQ(c.texture->LockRect(c.level, &locked, c.rect, c.flags), D3DERR_INVALIDCALL) << c.name;
        EXPECT_EQ(locked.pBits, nullptr) << c.name;
    }
    EXPECT_EQ(dynamic->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_EQ(dynamic->UnlockRect(0), D3D_OK);

    // A second lock is refused and leaves the first one intact.
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3D_OK);
    void* first = locked.pBits;
    D3DLOCKED_RECT second;
    EXPECT_EQ(managed->LockRect(0, &second, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* level = Level0(managed);
    EXPECT_EQ(level->LockRect(&second, nullptr, 0), D3DERR_INVALIDCALL);   // same level through its surface
    static_cast<std::uint32_t*>(first)[0] = 0xCAFEBABE;
    EXPECT_EQ(managed->UnlockRect(0), D3D_OK);
    EXPECT_EQ(managed->UnlockRect(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(ReadPixel32(level, 0, 0), 0xCAFEBABEu);

    // Surfaces: a lockable render target can be locked, a non-lockable one and a depth buffer not.
    IDirect3DSurface9 *lockable = nullptr, *sealed = nullptr, *depth = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &lockable, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &sealed, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr),
              D3D_OK);
    EXPECT_EQ(lockable->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(lockable->UnlockRect(), D3D_OK);
    EXPECT_EQ(sealed->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(depth->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(backBuffer->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);   // not D3DPRESENTFLAG_LOCKABLE_BACKBUFFER

    for (IUnknown* object : std::initializer_list<IUnknown*>{level, backBuffer, lockable, sealed, depth, managed,
                                                             target, plainDefault, dynamic})
        object->Release();
}

TEST_F(D3D9Test, ReferenceCountsFollowCom)
{
    CreateDevice();
    IDirect3DTexture9* texture = MakeTexture(8, 8, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* level = Level0(texture);   // a level shares its texture's count
    EXPECT_EQ(texture->AddRef(), 3u);
    EXPECT_EQ(level->Release(), 2u);
    IDirect3DTexture9* container = nullptr;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9, reinterpret_cast<void**>(&container)), D3D_OK);
    EXPECT_EQ(container, texture);
    EXPECT_EQ(container->Release(), 2u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(texture->QueryInterface(IID_IDirect3DBaseTexture9, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(texture->QueryInterface(IID_IDirect3DSurface9, reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(texture->Release(), 0u);

    // The implicit chain and back buffer count on the device.
    IDirect3DSwapChain9* chain = nullptr;
    ASSERT_EQ(device->GetSwapChain(0, &chain), D3D_OK);
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(chain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device->AddRef(), 4u);
    EXPECT_EQ(device->Release(), 3u);
    EXPECT_EQ(backBuffer->Release(), 2u);
    EXPECT_EQ(chain->Release(), 1u);
    EXPECT_EQ(device->GetSwapChain(1, &chain), D3DERR_INVALIDCALL);

    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &plain, nullptr), D3D_OK);
    HDC dc = reinterpret_cast<HDC>(1);
    EXPECT_EQ(plain->GetDC(&dc), D3DERR_INVALIDCALL);
    EXPECT_EQ(dc, nullptr);
    EXPECT_EQ(plain->ReleaseDC(nullptr), D3DERR_INVALIDCALL);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(plain->GetContainer(IID_IDirect3DDevice9, reinterpret_cast<void**>(&owner)), D3D_OK);
    EXPECT_EQ(owner, device);
    owner->Release();
    EXPECT_EQ(plain->Release(), 0u);
}

TEST_F(D3D9Test, ADeviceOutlivesItsLastReleaseWhileResourcesLive)
{
    CreateDevice();
    IDirect3DTexture9* texture = MakeTexture(8, 8, 0, D3DPOOL_MANAGED);
    EXPECT_EQ(device->Release(), 0u);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);   // still a live device
    EXPECT_EQ(owner->Release(), 0u);
    device = nullptr;
    EXPECT_EQ(texture->Release(), 0u);   // the last resource takes the device with it
}
