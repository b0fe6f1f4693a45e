// [GxD3DResource] reference counts, names, the registry's notices, sums and exit report, bytes
// per pixel, image information and scratch surfaces from files.
#include "graphics_device_fixture.h"

#include "tests/support/image_fixtures.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace graphicstest;

class D3DResourceTest : public GraphicsDeviceTest {
protected:
    fs::path WriteFile(const std::string& name, const ImageBytes& bytes)
    {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

TEST_F(D3DResourceTest, ReferenceCountFreesOnTheLastRelease)
{
    CountingResource resource;
    resource.CreateEmpty(kObjTypeTexture, u"Image");
    EXPECT_EQ(resource.AddRef(), 2u);
    EXPECT_EQ(resource.Release(), 1u);
    EXPECT_EQ(resource.freed, 0);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&resource));

    EXPECT_EQ(resource.Release(), 0u);
    EXPECT_EQ(resource.freed, 1);
    EXPECT_TRUE(resource.unregistered);
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&resource));
    EXPECT_EQ(resource.GetObjectType(), kObjTypeNone);
    EXPECT_EQ(resource.GetName(), u"");

    EXPECT_EQ(resource.Release(), 0u);   // nothing left to release
    EXPECT_EQ(resource.freed, 1);
}

TEST_F(D3DResourceTest, DecRefNeverFreesOrLeavesTheRegistry)
{
    CountingResource resource;
    resource.CreateEmpty(kObjTypeTexture, u"Image");
    resource.SetFailed(true);
    EXPECT_EQ(resource.DecRef(), 0u);
    EXPECT_EQ(resource.DecRef(), 0u);   // never below zero
    EXPECT_EQ(resource.freed, 0);
    EXPECT_TRUE(resource.IsFailed());
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&resource));
    EXPECT_TRUE(GetD3DResourceManage().Unregister(&resource));
    EXPECT_FALSE(GetD3DResourceManage().Unregister(&resource));   // a second removal changes nothing
    resource.ResetRefCount();
    EXPECT_FALSE(resource.IsFailed());
}

TEST_F(D3DResourceTest, NamesAreStoredWithAToZLowered)
{
    CountingResource resource;
    resource.SetName(u"System/BG_Title.PNG ＡＢ é");
    EXPECT_EQ(resource.GetName(), u"system/bg_title.png ＡＢ é");
    EXPECT_EQ(resource.GetJobName(), resource.GetName());
}

TEST_F(D3DResourceTest, RegistryNoticesAndVideoMemorySum)
{
    GxD3DResourceManage registry;
    CountingResource a, b, c;
    a.videoMemory = 100;
    b.videoMemory = 20;
    c.videoMemory = 3;
    registry.Register(&a);
    registry.Register(&b);
    registry.Register(&b);   // once only
    EXPECT_EQ(registry.GetCount(), 2u);
    EXPECT_EQ(registry.GetTotalVideoMemory(), 120u);
    registry.Register(&c);
    EXPECT_EQ(registry.GetTotalVideoMemory(), 123u);

    registry.NotifyLostDevice();
    registry.NotifyResetDevice();
    for (CountingResource* resource : {&a, &b, &c}) {
        EXPECT_EQ(resource->lost, 1);
        EXPECT_EQ(resource->reset, 1);
    }
    EXPECT_TRUE(registry.Unregister(&a));
    EXPECT_TRUE(registry.Unregister(&b));
    EXPECT_TRUE(registry.Unregister(&c));
    EXPECT_FALSE(registry.Unregister(&c));
}

// A notice may make other resources leave the registry: those not yet visited are skipped.
TEST_F(D3DResourceTest, NoticeWalkSkipsResourcesThatLeftDuringIt)
{
    struct Leaver : CountingResource {
        GxD3DResourceManage* registry = nullptr;
        std::vector<CountingResource>* others = nullptr;
        void OnLostDevice() override
        {
            CountingResource::OnLostDevice();
            for (CountingResource& other : *others) registry->Unregister(&other);
        }
    };
    GxD3DResourceManage registry;
    std::vector<CountingResource> others(4);
    Leaver leaver;
    leaver.registry = &registry;
    leaver.others = &others;
    registry.Register(&leaver);
    for (CountingResource& other : others) registry.Register(&other);

    registry.NotifyLostDevice();
    EXPECT_EQ(leaver.lost, 1);
    const auto* leaverAddress = static_cast<const CountingResource*>(&leaver);
    for (const CountingResource& other : others) {
        EXPECT_EQ(other.lost, std::less<const CountingResource*>()(&other, leaverAddress) ? 1 : 0);
    }
    registry.Unregister(&leaver);
}

// A loader thread holds a resource's lock while it registers (resource lock, then registry
// lock); the sum asks each resource for its size and must not hold the registry lock meanwhile.
TEST_F(D3DResourceTest, VideoMemorySumDoesNotHoldTheRegistryAgainstALoader)
{
    struct Locked : CountingResource {
        std::promise<void> asked;
        std::shared_future<void> registered;
        std::uint32_t GetVideoMemorySize() const override
        {
            const_cast<std::promise<void>&>(asked).set_value();
            // Lets the loader register first; a sum holding the registry lock would wait here.
            registeredInTime = registered.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
            if (!registeredInTime) return 0;   // taking the lock now would deadlock
            GxMutexScopedLock lock(GetResourceLock());
            return 7;
        }
        GxMutex& Lock() { return GetResourceLock(); }
        mutable bool registeredInTime = false;
    };
    GxD3DResourceManage registry;
    Locked resource;
    CountingResource loaded;
    std::promise<void> registeredPromise;
    resource.registered = registeredPromise.get_future().share();
    std::future<void> asked = resource.asked.get_future();
    registry.Register(&resource);

    std::promise<void> holding;
    std::thread loader([&] {
        GxMutexScopedLock lock(resource.Lock());
        holding.set_value();
        asked.wait();
        registry.Register(&loaded);
        registeredPromise.set_value();
    });
    holding.get_future().wait();
    EXPECT_EQ(registry.GetTotalVideoMemory(), 7u);
    loader.join();
    EXPECT_TRUE(resource.registeredInTime);
    EXPECT_TRUE(registry.IsRegistered(&loaded));
    registry.Unregister(&resource);
    registry.Unregister(&loaded);
}

TEST_F(D3DResourceTest, ExitReportWarnsOncePerLeftoverInAddressOrder)
{
    CountingResource pair[2];
    {
        GxD3DResourceManage registry;
        pair[1].CreateEmpty(kObjTypeSwapChain, u"Second");
        pair[0].CreateEmpty(kObjTypeShaderEffect, u"First");
        // CreateEmpty used the process registry; move both into this one.
        for (CountingResource& resource : pair) {
            GetD3DResourceManage().Unregister(&resource);
            registry.Register(&resource);
        }
    }
    std::vector<std::u16string> warnings;
    for (const LoggedLine& line : log.lines) {
        if (line.level == GxDebugListenerBase::kLevelWarning) warnings.push_back(line.text);
    }
    ASSERT_EQ(warnings.size(), 2u);
    const std::u16string first = FormatWide(u"Warning/未解放のまま終了したリソースがあります 0x%llx [OBJTYPE_SHADEREFFECT:first]\n",
                                            static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&pair[0])));
    const std::u16string second = FormatWide(u"Warning/未解放のまま終了したリソースがあります 0x%llx [OBJTYPE_SWAPCHAIN:second]\n",
                                             static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&pair[1])));
    EXPECT_EQ(warnings[0], first);
    EXPECT_EQ(warnings[1], second);
    for (CountingResource& resource : pair) resource.ResetRefCount();
}

TEST(D3DResourceNames, ObjectTypeNames)
{
    EXPECT_EQ(std::u16string(GxD3DResourceManage::GetObjectTypeName(kObjTypeImageData)), u"OBJTYPE_IMAGEDATA");
    EXPECT_EQ(std::u16string(GxD3DResourceManage::GetObjectTypeName(kObjTypeReserved2)), u"OBJTYPE_RESERVED_2");
    EXPECT_EQ(std::u16string(GxD3DResourceManage::GetObjectTypeName(99)), u"OBJTYPE_NONE");
    EXPECT_EQ(std::u16string(GxD3DResourceManage::GetObjectTypeName(-1)), u"OBJTYPE_NONE");
}

TEST(D3DResourceFormats, BytesPerPixel)
{
    const std::pair<D3DFORMAT, std::uint32_t> cases[] = {
        {D3DFMT_R8G8B8, 4},       {D3DFMT_DXT1, 4},         {D3DFMT_DXT5, 4},          {D3DFMT_A8R8G8B8, 4},
        {D3DFMT_D24S8, 4},        {D3DFMT_A8, 1},           {D3DFMT_S8_LOCKABLE, 1},   {D3DFMT_R5G6B5, 2},
        {D3DFMT_D16, 2},          {D3DFMT_R16F, 2},         {D3DFMT_INDEX16, 2},       {D3DFMT_G32R32F, 8},
        {D3DFMT_A16B16G16R16, 8}, {D3DFMT_A32B32G32R32F, 16}, {D3DFMT_UNKNOWN, 4},
    };
    for (const auto& [format, bytes] : cases) EXPECT_EQ(GetFormatBytesPerPixel(format), bytes) << format;
}

ImageBytes DdsHeader(std::uint32_t width, std::uint32_t height, std::uint32_t depth)
{
    ImageBytes bytes(128, 0);
    bytes[0] = 'D';
    bytes[1] = 'D';
    bytes[2] = 'S';
    bytes[3] = ' ';
    auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = std::uint8_t(value >> (8 * i));
    };
    put(4, 124);
    put(12, height);
    put(16, width);
    put(24, depth);
    return bytes;
}

TEST_F(D3DResourceTest, ImageInfoFromMemoryReadsHeadersAndFailsCleanly)
{
    const ImageBytes png = BuildPng(PngSpecRgba8(TestImage::Solid(300, 20, 0xFF00FF00)));
    GxImageInfo info;
    GetImageInfoFromMemory(png.data(), png.size(), &info);
    EXPECT_EQ(info.width, 300u);
    EXPECT_EQ(info.height, 20u);
    EXPECT_EQ(info.depth, 0u);

    const ImageBytes dds = DdsHeader(64, 32, 5);
    GetImageInfoFromMemory(dds.data(), dds.size(), &info);
    EXPECT_EQ(info.width, 64u);
    EXPECT_EQ(info.height, 32u);
    EXPECT_EQ(info.depth, 5u);

    // A signature without the size behind it is not read past the end.
    const ImageBytes cut(png.begin(), png.begin() + 12);
    info.width = 99;
    GetImageInfoFromMemory(cut.data(), cut.size(), &info);
    EXPECT_EQ(info.width, 0u);
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromMemory Failed(Addr:"));

    const ImageBytes bmp = BuildBmp(TestImage::Solid(7, 3, 0xFF000000), 24);
    GetImageInfoFromMemory(bmp.data(), bmp.size(), &info);
    EXPECT_EQ(info.width, 7u);
    EXPECT_EQ(info.height, 3u);
}

TEST_F(D3DResourceTest, ImageInfoFromFileByExtension)
{
    const ImageBytes png = BuildPng(PngSpecRgba8(TestImage::Solid(40, 30, 0xFFFFFFFF)));
    GxImageInfo info;
    EXPECT_TRUE(GetImageInfoFromFile(WidePath(WriteFile("ok.png", png)), &info));
    EXPECT_EQ(info.width, 40u);
    EXPECT_EQ(info.height, 30u);
    EXPECT_TRUE(GetImageInfoFromFile(WidePath(WriteFile("ok.DDS", DdsHeader(8, 4, 1))), &info));
    EXPECT_EQ(info.width, 8u);
    EXPECT_EQ(info.depth, 1u);

    // A damaged signature under the capital-letter PNG extension is still checked as a PNG;
    // the same bytes under ".bmp" go to the general reader.
    ImageBytes damaged = png;
    damaged[1] = 'X';
    EXPECT_FALSE(GetImageInfoFromFile(WidePath(WriteFile("damaged.PNG", damaged)), &info));
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile This file is not PNG image(Name:"));
    EXPECT_EQ(info.width, 0u);
    EXPECT_FALSE(GetImageInfoFromFile(WidePath(WriteFile("damaged.bmp", damaged)), &info));
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile Failed(Name:"));

    ImageBytes notDds = DdsHeader(8, 4, 1);
    notDds[3] = 'X';
    EXPECT_FALSE(GetImageInfoFromFile(WidePath(WriteFile("bad.dds", notDds)), &info));
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile This file is not DDS image(Name:"));

    EXPECT_FALSE(GetImageInfoFromFile(WidePath(WriteFile("short.png", ImageBytes(png.begin(), png.begin() + 20))),
                                      &info));
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile Read error(Name:"));
    EXPECT_FALSE(GetImageInfoFromFile(WidePath(folder / "missing.png"), &info));
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile Open error(Name:"));
}

TEST_F(D3DResourceTest, ScratchSurfaceFromFileLoadsTheImage)
{
    const fs::path path = WriteFile("quad.png", BuildPng(PngSpecRgba8(TestImage::Quadrants(
                                                    6, 4, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF))));
    IDirect3DSurface9* surface = nullptr;
    GxImageInfo info;
    // Without a device there is nothing to create it on.
    EXPECT_FALSE(CreateScratchSurfaceFromFile(WidePath(path), &surface, D3DFMT_A8R8G8B8, &info, 0));
    EXPECT_TRUE(log.Contains(u"Error/CreateScratchSurfaceFromFile Failed(Name:\""));
    EXPECT_EQ(surface, nullptr);

    ASSERT_TRUE(Create());
    ASSERT_TRUE(CreateScratchSurfaceFromFile(WidePath(path), &surface, D3DFMT_A8R8G8B8, &info, 0));
    ASSERT_NE(surface, nullptr);
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 6u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(desc.Pool, D3DPOOL_SCRATCH);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* row0 = static_cast<const std::uint32_t*>(locked.pBits);
    const auto* row3 = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                              3 * locked.Pitch);
    EXPECT_EQ(row0[0], 0xFFFF0000u);
    EXPECT_EQ(row0[5], 0xFF00FF00u);
    EXPECT_EQ(row3[0], 0xFF0000FFu);
    EXPECT_EQ(row3[5], 0x80FFFFFFu);
    surface->UnlockRect();
    surface->Release();

    // A file whose header reads but whose data does not load: logged, the surface is handed out.
    ImageBytes broken = BuildPng(PngSpecRgba8(TestImage::Solid(4, 4, 0xFFFFFFFF)));
    broken.resize(40);
    EXPECT_FALSE(CreateScratchSurfaceFromFile(WidePath(WriteFile("broken.png", broken)), &surface, D3DFMT_A8R8G8B8,
                                              &info, 0));
    EXPECT_TRUE(log.Contains(u"Error/ImageLoadFromFile Failed(Name:\""));
    ASSERT_NE(surface, nullptr);
    surface->Release();
}

}  // namespace
