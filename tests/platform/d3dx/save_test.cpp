// Saving textures and surfaces as PNG: the layout chosen per format, round trips, and failures
// that leave nothing behind.
#include "tests/platform/d3dx/d3dx_fixture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

std::uint32_t SavedPattern(std::uint32_t x, std::uint32_t y)
{
    return (std::uint32_t(0x30 + 20 * x) << 24) | (std::uint32_t(x * 40) << 16) | (std::uint32_t(y * 50) << 8) |
           std::uint32_t(x + y);
}

class D3dxSaveTest : public D3dxTest {
protected:
    void SetUp() override
    {
        D3dxTest::SetUp();
        char folder[] = "/tmp/tw_d3dx_save_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_Folder = folder;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_Folder, ignored);
        D3dxTest::TearDown();
    }

    std::u16string Wide(const fs::path& path) const
    {
        const std::string text = path.string();
        return std::u16string(text.begin(), text.end());   // the test folder is ASCII
    }

    ImageBytes ReadFile(const fs::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return ImageBytes(std::istreambuf_iterator<char>(in), {});
    }

    std::set<std::string> Entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_Folder)) names.insert(entry.path().filename().string());
        return names;
    }

    IDirect3DTexture9* MakeTexture(D3DFORMAT format, const TestImage& image)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTexture(m_Device, image.width, image.height, 1, 0, format, D3DPOOL_MANAGED, &texture),
                  D3D_OK);
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (std::uint32_t y = 0; y < image.height; ++y)
            std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, &image.argb[y * image.width],
                        image.width * 4);
        texture->UnlockRect(0);
        return texture;
    }

    fs::path m_Folder;
};

}  // namespace

TEST_F(D3dxSaveTest, TexturesSaveAsRgbaOrRgbByFormatAndReadBack)
{
    const TestImage image = TestImage::Make(5, 3, SavedPattern);
    struct Case {
        D3DFORMAT format;
        std::uint8_t colorType;   // byte 25 of the file, in IHDR
        std::uint32_t alphaForced;
    };
    for (const Case& c : {Case{D3DFMT_A8R8G8B8, 6, 0}, Case{D3DFMT_X8R8G8B8, 2, 0xFF000000}}) {
        SCOPED_TRACE(static_cast<unsigned>(c.format));
        IDirect3DTexture9* texture = MakeTexture(c.format, image);
        const fs::path path = m_Folder / "shot.png";
        ASSERT_EQ(D3DXSaveTextureToFileW(Wide(path).c_str(), D3DXIFF_PNG, texture, nullptr), D3D_OK);
        texture->Release();
        const ImageBytes file = ReadFile(path);
        ASSERT_GT(file.size(), 26u);
        EXPECT_EQ(file[24], 8) << "bit depth";
        EXPECT_EQ(file[25], c.colorType);
        TestImage back;
        ASSERT_EQ(LoadFile(file, back), D3D_OK);
        for (std::size_t i = 0; i < image.argb.size(); ++i) EXPECT_EQ(back.argb[i], image.argb[i] | c.alphaForced) << i;
    }
    EXPECT_EQ(Entries(), std::set<std::string>{"shot.png"}) << "no temporary file is left";
}

TEST_F(D3dxSaveTest, SurfacesSaveARectangleThroughWideAndNarrowPaths)
{
    const TestImage image = TestImage::Make(6, 4, SavedPattern);
    IDirect3DSurface9* surface = MakeSurface(6, 4, D3DFMT_A8R8G8B8);
    const ImageBytes png = BuildPng(PngSpecRgba8(image));
    ASSERT_EQ(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, nullptr, png.data(), UINT(png.size()), nullptr,
                                              D3DX_FILTER_NONE, 0, nullptr),
              D3D_OK);
    const RECT part{1, 1, 4, 3};
    ASSERT_EQ(D3DXSaveSurfaceToFileW(Wide(m_Folder / "wide.png").c_str(), D3DXIFF_PNG, surface, nullptr, &part), D3D_OK);
    ASSERT_EQ(D3DXSaveSurfaceToFileA((m_Folder / "narrow.png").string().c_str(), D3DXIFF_PNG, surface, nullptr, nullptr),
              D3D_OK);
    surface->Release();

    TestImage back;
    ASSERT_EQ(LoadFile(ReadFile(m_Folder / "wide.png"), back), D3D_OK);
    ASSERT_EQ(back.width, 3u);
    ASSERT_EQ(back.height, 2u);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 3; ++x) EXPECT_EQ(back.At(x, y), image.At(x + 1, y + 1));
    ASSERT_EQ(LoadFile(ReadFile(m_Folder / "narrow.png"), back), D3D_OK);
    EXPECT_EQ(back.argb, image.argb);
}

TEST_F(D3dxSaveTest, FailedSavesLeaveNothingBehind)
{
    IDirect3DTexture9* texture = MakeTexture(D3DFMT_A8R8G8B8, TestImage::Make(4, 4, SavedPattern));
    // A folder that does not exist, another file format, and a name taken by a folder (the
    // file is written in full and then cannot take its name).
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(Wide(m_Folder / "missing" / "a.png").c_str(), D3DXIFF_PNG, texture, nullptr)));
    EXPECT_EQ(D3DXSaveTextureToFileW(Wide(m_Folder / "a.bmp").c_str(), D3DXIFF_BMP, texture, nullptr),
              D3DERR_INVALIDCALL);
    fs::create_directory(m_Folder / "taken.png");
    EXPECT_TRUE(FAILED(D3DXSaveTextureToFileW(Wide(m_Folder / "taken.png").c_str(), D3DXIFF_PNG, texture, nullptr)));
    texture->Release();
    EXPECT_EQ(Entries(), std::set<std::string>{"taken.png"});
    EXPECT_TRUE(fs::is_directory(m_Folder / "taken.png"));
}
