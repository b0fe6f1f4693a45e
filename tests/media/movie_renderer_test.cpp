// The movie texture renderer: the media types it takes, the frame geometry, the pixel formats,
// row order and clipping, the flip, and the failure paths that must leave the frame lock free.
#include "graphics/texture_movie.h"
#include "media/movie_renderer.h"
#include "tests/media/media_fixture.h"
#include "tests/media/movie_test_filters.h"
#include "tests/support/test_device.h"

#include <cstring>
#include <thread>

namespace {

using movietest::RowPitch;
using movietest::TestSample;

CMediaType VideoType(LONG width, LONG height, const GUID& subtype = MEDIASUBTYPE_RGB24,
                     const GUID& format = FORMAT_VideoInfo, ULONG formatBytes = sizeof(VIDEOINFOHEADER))
{
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&format);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biBitCount = 24;
    type.cbFormat = formatBytes;   // the block stays allocated in full; only the stated length shrinks
    return type;
}

// A bottom-up RGB24 frame whose pixel (x, y from the top) is blue 0x10+x, green 0x20+y, red `red`.
std::unique_ptr<TestSample> Frame(LONG width, LONG height, BYTE red, LONG length = -1)
{
    const LONG size = RowPitch(width) * height;
    auto sample = std::make_unique<TestSample>(size);
    std::memset(sample->Data(), 0, static_cast<std::size_t>(size));
    for (LONG y = 0; y < height; ++y) {
        BYTE* row = sample->Data() + (height - 1 - y) * RowPitch(width);
        for (LONG x = 0; x < width; ++x) {
            row[x * 3] = static_cast<BYTE>(0x10 + x);
            row[x * 3 + 1] = static_cast<BYTE>(0x20 + y);
            row[x * 3 + 2] = red;
        }
    }
    sample->SetActualDataLength(length < 0 ? size : length);
    return sample;
}

std::uint32_t Argb(LONG x, LONG y, BYTE red) { return 0xFF000000u | (red << 16) | ((0x20u + y) << 8) | (0x10u + x); }

// Texel (x, y) of level 0 as its raw 32 or 16 bits.
std::uint32_t Texel(IDirect3DTexture9* texture, LONG x, LONG y, int bytes = 4)
{
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return 0xDEADBEEF;
    std::uint32_t value = 0;
    std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * bytes,
                static_cast<std::size_t>(bytes));
    texture->UnlockRect(0);
    return value;
}

// Whether another thread can take the frame lock now (it would wait for ever otherwise).
bool FrameLockIsFree(GxTextureMovie& movie)
{
    bool took = false;
    std::thread other([&] {
        GxMutexScopedLock lock(movie.GetFrameLock());
        took = true;
    });
    other.join();
    return took;
}

class MovieRendererTest : public MediaTest {
protected:
    void SetUp() override
    {
        MediaTest::SetUp();
        m_Device = std::make_unique<TestDevice>();
        ASSERT_TRUE(m_Device->Created());
    }
    void TearDown() override
    {
        m_Device.reset();
        MediaTest::TearDown();
    }

    // A renderer over `movie` that has agreed the type of a width × height video.
    GxMovieRenderer* Renderer(GxTextureMovie* movie, LONG width, LONG height)
    {
        HRESULT hr = E_FAIL;
        auto* renderer = new GxMovieRenderer(nullptr, movie, false, &hr);
        EXPECT_EQ(hr, S_OK);
        const CMediaType type = VideoType(width, height);
        EXPECT_EQ(renderer->CheckMediaType(&type), S_OK);
        EXPECT_EQ(renderer->SetMediaType(&type), S_OK);
        return renderer;
    }

    std::unique_ptr<TestDevice> m_Device;
};

TEST_F(MovieRendererTest, ConstructionTakesOneReferenceUnderItsClassId)
{
    HRESULT hr = E_FAIL;
    auto* renderer = new GxMovieRenderer(nullptr, nullptr, false, &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(renderer->RefCount(), 1u);
    CLSID clsid{};
    EXPECT_EQ(renderer->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, (CLSID{0x71771540, 0x2017, 0x11CF, {0xAE, 0x26, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}}));
    EXPECT_EQ(renderer->GetPinCount(), 1);
    EXPECT_EQ(renderer->Release(), 0u);
}

TEST_F(MovieRendererTest, OnlyRgb24VideoInfoWithAPictureIsAccepted)
{
    HRESULT hr = S_OK;
    auto* renderer = new GxMovieRenderer(nullptr, nullptr, false, &hr);
    CMediaType audio = VideoType(8, 8);
    audio.SetType(&MEDIATYPE_Audio);
    struct Case {
        const char* what;
        CMediaType type;
        HRESULT expected;
    };
    const Case cases[] = {
        {"rgb24", VideoType(8, 8), S_OK},
        {"top-down rgb24", VideoType(8, -8), S_OK},
        {"other format block", VideoType(8, 8, MEDIASUBTYPE_RGB24, FORMAT_WaveFormatEx), E_INVALIDARG},
        {"rgb32", VideoType(8, 8, MEDIASUBTYPE_RGB32), E_FAIL},
        {"audio", audio, E_FAIL},
        {"short format block", VideoType(8, 8, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo, sizeof(VIDEOINFOHEADER) - 1),
         E_INVALIDARG},
        {"no width", VideoType(0, 8), E_FAIL},
        {"no height", VideoType(8, 0), E_FAIL},
        {"negative width", VideoType(-8, 8), E_FAIL},
        {"frame beyond a sample's length", VideoType(0x10000, 0x10000), E_FAIL},
    };
    for (const Case& c : cases) EXPECT_EQ(renderer->CheckMediaType(&c.type), c.expected) << c.what;
    EXPECT_EQ(renderer->CheckMediaType(nullptr), E_POINTER);
    renderer->Release();
}

TEST_F(MovieRendererTest, SetMediaTypeKeepsTheSizeAndTheDibPitch)
{
    GxTextureMovie movie;
    struct Case {
        LONG width;
        LONG height;
        LONG pitch;
        LONG keptHeight;
    };
    for (const Case& c : {Case{320, 240, 960, 240}, {321, 240, 964, 240}, {322, -240, 968, 240}, {1, 1, 4, 1}}) {
        HRESULT hr = S_OK;
        auto* renderer = new GxMovieRenderer(nullptr, &movie, false, &hr);
        const CMediaType type = VideoType(c.width, c.height);
        ASSERT_EQ(renderer->SetMediaType(&type), S_OK);
        EXPECT_EQ(renderer->VideoWidth(), c.width);
        EXPECT_EQ(renderer->VideoHeight(), c.keptHeight);
        EXPECT_EQ(renderer->VideoPitch(), c.pitch) << c.width;
        renderer->Release();
    }
}

TEST_F(MovieRendererTest, PixelsAreConvertedToTheTexturesFormat)
{
    struct Case {
        D3DFORMAT format;
        int bytes;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 4, 0xFF563412u},   // bytes 12 34 56 FF
        {D3DFMT_X8R8G8B8, 4, 0xFF563412u},
        {D3DFMT_A1R5G5B5, 2, 0xA8C2u},
        {D3DFMT_A4R4G4B4, 2, 0xF531u},
        {D3DFMT_X4R4G4B4, 2, 0xF531u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.format));
        GxTextureMovie movie;
        ASSERT_TRUE(movie.Create(u"", 1, 1, c.format, 0, false));
        GxMovieRenderer* renderer = Renderer(&movie, 1, 1);
        TestSample sample(4);
        const BYTE pixel[3] = {0x12, 0x34, 0x56};
        std::memcpy(sample.Data(), pixel, 3);
        sample.SetActualDataLength(4);
        ASSERT_EQ(renderer->DoRenderSample(&sample), S_OK);
        EXPECT_EQ(Texel(movie.GetCurrentTexture(), 0, 0, c.bytes), c.expected);
        renderer->Release();
    }
}

TEST_F(MovieRendererTest, EveryPixelOfAWideRowIsConvertedAlike)
{
    // Rows are converted in blocks of 32 and 16 pixels with a remainder: a width of 83 has each
    // of them, and bytes spread over every value catch a field taken from the wrong place.
    constexpr LONG kWide = 83;
    TestSample sample(RowPitch(kWide) * 2);
    for (LONG i = 0; i < RowPitch(kWide) * 2; ++i) sample.Data()[i] = static_cast<BYTE>(i * 73 + 11);
    sample.SetActualDataLength(RowPitch(kWide) * 2);
    struct Case {
        D3DFORMAT format;
        int bytes;
    };
    for (const Case& c : {Case{D3DFMT_A8R8G8B8, 4}, {D3DFMT_X8R8G8B8, 4}, {D3DFMT_A1R5G5B5, 2}, {D3DFMT_A4R4G4B4, 2},
                          {D3DFMT_X4R4G4B4, 2}}) {
        SCOPED_TRACE(static_cast<int>(c.format));
        GxTextureMovie movie;
        ASSERT_TRUE(movie.Create(u"", kWide, 2, c.format, 0, false));
        GxMovieRenderer* renderer = Renderer(&movie, kWide, 2);
        ASSERT_EQ(renderer->DoRenderSample(&sample), S_OK);
        for (LONG y = 0; y < 2; ++y) {
            for (LONG x = 0; x < kWide; ++x) {
                const BYTE* pixel = sample.Data() + (1 - y) * RowPitch(kWide) + x * 3;
                const std::uint32_t blue = pixel[0], green = pixel[1], red = pixel[2];
                std::uint32_t expected = 0xFF000000u | (red << 16) | (green << 8) | blue;
                if (c.format == D3DFMT_A1R5G5B5) expected = 0x8000 + (red & 0xF8) * 128 + (green & 0xF8) * 4 + blue / 8;
                if (c.bytes == 2 && c.format != D3DFMT_A1R5G5B5)
                    expected = 0xF000 + (red & 0xF0) * 16 + (green & 0xF0) + blue / 16;
                ASSERT_EQ(Texel(movie.GetCurrentTexture(), x, y, c.bytes), expected) << x << "," << y;
            }
        }
        renderer->Release();
    }
}

TEST_F(MovieRendererTest, AnotherFormatIsLeftAsItWasButStillFlipped)
{
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"", 2, 2, D3DFMT_R5G6B5, 0xFF00FF00u, false));
    IDirect3DTexture9* back = movie.GetNextTexture();
    const std::uint32_t before = Texel(back, 1, 1, 2);
    GxMovieRenderer* renderer = Renderer(&movie, 2, 2);
    ASSERT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x40).get()), S_OK);
    EXPECT_EQ(movie.GetCurrentTexture(), back);
    EXPECT_EQ(Texel(back, 1, 1, 2), before);
    renderer->Release();
}

TEST_F(MovieRendererTest, RowsAreTurnedTopDownAndCutToTheTexture)
{
    struct Case {
        LONG videoWidth;
        LONG videoHeight;
        std::uint32_t textureSize;   // the movie texture's own (a power of two)
    };
    for (const Case& c : {Case{3, 3, 2}, {2, 5, 4}, {6, 2, 4}, {4, 4, 4}}) {
        SCOPED_TRACE(std::to_string(c.videoWidth) + "x" + std::to_string(c.videoHeight));
        GxTextureMovie movie;
        ASSERT_TRUE(movie.Create(u"", c.textureSize, c.textureSize, D3DFMT_A8R8G8B8, 0xFF0000FFu, false));
        ASSERT_EQ(movie.GetWidth(), c.textureSize);
        GxMovieRenderer* renderer = Renderer(&movie, c.videoWidth, c.videoHeight);
        ASSERT_EQ(renderer->DoRenderSample(Frame(c.videoWidth, c.videoHeight, 0x77).get()), S_OK);
        IDirect3DTexture9* shown = movie.GetCurrentTexture();
        for (LONG y = 0; y < static_cast<LONG>(c.textureSize); ++y) {
            for (LONG x = 0; x < static_cast<LONG>(c.textureSize); ++x) {
                const bool inside = x < c.videoWidth && y < c.videoHeight;
                EXPECT_EQ(Texel(shown, x, y), inside ? Argb(x, y, 0x77) : 0xFF0000FFu) << x << "," << y;
            }
        }
        renderer->Release();
    }
}

TEST_F(MovieRendererTest, ATopDownSourceIsCopiedAsIfBottomUp)
{
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"", 2, 2, D3DFMT_A8R8G8B8, 0, false));
    GxMovieRenderer* renderer = Renderer(&movie, 2, -2);
    ASSERT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x33).get()), S_OK);
    EXPECT_EQ(Texel(movie.GetCurrentTexture(), 1, 0), Argb(1, 0, 0x33));   // the last sample row on top
    EXPECT_EQ(Texel(movie.GetCurrentTexture(), 0, 1), Argb(0, 1, 0x33));
    renderer->Release();
}

TEST_F(MovieRendererTest, FramesAlternateBetweenTheTwoTextures)
{
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"", 2, 2, D3DFMT_A8R8G8B8, 0xFF000000u, false));
    IDirect3DTexture9* first = movie.GetCurrentTexture();
    IDirect3DTexture9* second = movie.GetNextTexture();
    GxMovieRenderer* renderer = Renderer(&movie, 2, 2);

    ASSERT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x01).get()), S_OK);
    EXPECT_EQ(movie.GetCurrentTexture(), second);
    EXPECT_EQ(Texel(second, 1, 1), Argb(1, 1, 0x01));
    EXPECT_EQ(Texel(first, 1, 1), 0xFF000000u);   // still the clear colour

    ASSERT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x02).get()), S_OK);
    EXPECT_EQ(movie.GetCurrentTexture(), first);
    EXPECT_EQ(Texel(first, 1, 1), Argb(1, 1, 0x02));
    EXPECT_EQ(Texel(second, 1, 1), Argb(1, 1, 0x01));

    ASSERT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x03).get()), S_OK);
    EXPECT_EQ(movie.GetCurrentTexture(), second);
    EXPECT_EQ(Texel(second, 0, 0), Argb(0, 0, 0x03));
    EXPECT_TRUE(FrameLockIsFree(movie));
    renderer->Release();
}

TEST_F(MovieRendererTest, AFailedFrameKeepsThePreviousOneAndFreesTheFrameLock)
{
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"", 2, 2, D3DFMT_A8R8G8B8, 0xFF000000u, false));
    GxMovieRenderer* renderer = Renderer(&movie, 2, 2);
    ASSERT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x01).get()), S_OK);
    IDirect3DTexture9* shown = movie.GetCurrentTexture();

    // No sample.
    EXPECT_EQ(renderer->DoRenderSample(nullptr), E_POINTER);
    EXPECT_TRUE(FrameLockIsFree(movie));
    // A sample one byte short of the frame is refused before anything is read.
    EXPECT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x02, RowPitch(2) * 2 - 1).get()), E_FAIL);
    EXPECT_TRUE(FrameLockIsFree(movie));
    // The back texture cannot be locked (someone else holds it).
    IDirect3DTexture9* back = movie.GetNextTexture();
    D3DLOCKED_RECT held{};
    ASSERT_EQ(back->LockRect(0, &held, nullptr, 0), D3D_OK);
    EXPECT_EQ(renderer->DoRenderSample(Frame(2, 2, 0x03).get()), E_FAIL);
    back->UnlockRect(0);
    EXPECT_TRUE(FrameLockIsFree(movie));

    EXPECT_EQ(movie.GetCurrentTexture(), shown);   // never flipped
    EXPECT_EQ(Texel(shown, 1, 1), Argb(1, 1, 0x01));
    EXPECT_EQ(Texel(back, 1, 1), 0xFF000000u);     // never written
    renderer->Release();

    // A texture with nothing made in it has no back texture.
    GxTextureMovie empty;
    GxMovieRenderer* idle = Renderer(&empty, 2, 2);
    EXPECT_EQ(idle->DoRenderSample(Frame(2, 2, 0x04).get()), E_UNEXPECTED);
    EXPECT_TRUE(FrameLockIsFree(empty));
    idle->Release();
}

TEST_F(MovieRendererTest, WithoutATextureTheRendererMakesAndDeletesItsOwn)
{
    HRESULT hr = E_FAIL;
    auto* renderer = new GxMovieRenderer(nullptr, nullptr, true, &hr);
    EXPECT_EQ(renderer->DoRenderSample(Frame(3, 2, 0x05).get()), E_UNEXPECTED);   // nothing made yet
    const CMediaType type = VideoType(3, 2);
    ASSERT_EQ(renderer->SetMediaType(&type), S_OK);
    GxTextureMovie* own = renderer->Texture();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->GetFormat(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(own->GetImageWidth(), 3u);
    EXPECT_EQ(own->GetImageHeight(), 2u);
    EXPECT_EQ(own->GetName(), u"");
    EXPECT_EQ(Texel(own->GetCurrentTexture(), 0, 0), 0xFF000000u);
    // Dynamic, so the discard lock works.
    ASSERT_EQ(renderer->DoRenderSample(Frame(3, 2, 0x06).get()), S_OK);
    EXPECT_EQ(Texel(own->GetCurrentTexture(), 2, 1), Argb(2, 1, 0x06));
    renderer->Release();   // the sanitizer build shows a texture left behind

    // Without a device no texture can be made.
    m_Device.reset();
    auto* orphan = new GxMovieRenderer(nullptr, nullptr, true, &hr);
    EXPECT_EQ(orphan->SetMediaType(&type), E_FAIL);
    EXPECT_EQ(orphan->Texture(), nullptr);
    orphan->Release();
}

}  // namespace
