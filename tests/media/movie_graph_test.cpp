// A movie graph as the movie player builds it: the reader filter over a raw-frame file (loose
// or in a scrambled pack), the test parser found by the graph as a decoder, and the texture
// renderer over a movie texture, run against a manual clock.
#include "graphics/texture_movie.h"
#include "media/movie_reader.h"
#include "media/movie_renderer.h"
#include "media/movie_source_stream.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/reference_clock.h"
#include "platform/win32/com.h"
#include "tests/media/media_fixture.h"
#include "tests/media/movie_test_filters.h"
#include "tests/support/test_device.h"

#include <cstring>

namespace {

using movietest::kFrameTime;
using movietest::RawFrameParser;

constexpr LONG kWidth = 5;
constexpr LONG kHeight = 3;
constexpr int kFrames = 4;

// The picture of frame `index` as the texture should show it: top-down A8R8G8B8 rows.
std::vector<std::uint32_t> Expected(int index)
{
    const std::vector<BYTE> frame = movietest::RawFrame(kWidth, kHeight, index);
    std::vector<std::uint32_t> pixels;
    for (LONG y = 0; y < kHeight; ++y) {
        const BYTE* row = frame.data() + (kHeight - 1 - y) * movietest::RowPitch(kWidth);
        for (LONG x = 0; x < kWidth; ++x)
            pixels.push_back(0xFF000000u | (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3]);
    }
    return pixels;
}

std::vector<std::uint32_t> Shown(GxTextureMovie& movie)
{
    GxMutexScopedLock lock(movie.GetFrameLock());
    IDirect3DTexture9* texture = movie.GetCurrentTexture();
    D3DLOCKED_RECT locked{};
    std::vector<std::uint32_t> pixels;
    if (FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return pixels;
    for (LONG y = 0; y < kHeight; ++y) {
        for (LONG x = 0; x < kWidth; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
            pixels.push_back(value);
        }
    }
    texture->UnlockRect(0);
    return pixels;
}

class MovieGraphTest : public MediaTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        MediaTest::SetUp();
        m_Device = std::make_unique<TestDevice>();
        ASSERT_TRUE(m_Device->Created());
        platform::RegisterDshowClasses();
        platform::RegisterDshowDecoder(u"Raw frames", &RawFrameParser::Create);
        m_Clock = new platform::ManualReferenceClock(0);
        m_Clock->AddRef();
        platform::SetDshowGraphClock(m_Clock);
    }
    void TearDown() override
    {
        platform::SetDshowGraphClock(nullptr);
        platform::UnregisterDshowDecoder(u"Raw frames");
        m_Clock->Release();
        EXPECT_EQ(RawFrameParser::s_Live.load(), 0);
        EXPECT_EQ(RawFrameParser::s_LiveThreads.load(), 0);
        m_Device.reset();
        MediaTest::TearDown();
    }
    void Advance(REFERENCE_TIME delta)
    {
        platform::MarkEventSettle();
        m_Clock->Advance(delta);
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
    }

    std::unique_ptr<TestDevice> m_Device;
    platform::ManualReferenceClock* m_Clock = nullptr;
};

TEST_P(MovieGraphTest, EveryFrameReachesTheTextureInOrder)
{
    const bool packed = GetParam();
    const std::vector<BYTE> file = movietest::RawFrameFile(kWidth, kHeight, kFrames);
    if (packed) {
        TestPackBuilder pack;
        pack.SetScrambled(true).Add(u"movie/intro.raw", file);
        ASSERT_TRUE(pack.Write(m_Folder.Join("movie.gxp").string()));
        ASSERT_TRUE(GxFile::AddPackFile(u"movie.gxp"));
    } else {
        std::filesystem::create_directories(m_Folder.Join("movie"));
        ASSERT_TRUE(WriteBytesToFile(m_Folder.Join("movie/intro.raw").string(), file));
    }

    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"intro", kWidth, kHeight, D3DFMT_A8R8G8B8, 0xFF000000u, false));
    GxMovieSourceFilterFile stream(u"movie/intro.raw");
    ASSERT_TRUE(stream.IsOpen());
    {
        HRESULT hr = E_FAIL;
        auto* reader = new GxMovieReader(u"FileReader", nullptr, &stream, &hr);
        reader->AddRef();
        CMediaType type(&MEDIATYPE_Stream);
        type.SetSubtype(&movietest::kRawFramesSubtype);
        reader->SetOutputMediaType(type);
        auto* renderer = new GxMovieRenderer(nullptr, &movie, false, &hr);

        IGraphBuilder* graph = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, 0x1, IID_IGraphBuilder, reinterpret_cast<void**>(&graph)),
                  S_OK);
        IMediaControl* control = nullptr;
        IMediaEvent* events = nullptr;
        ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
        ASSERT_EQ(graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)), S_OK);
        ASSERT_EQ(graph->AddFilter(reader, u"FileReader"), S_OK);
        ASSERT_EQ(graph->AddFilter(renderer, u"TextureRenderer"), S_OK);
        ASSERT_EQ(graph->Render(reader->GetPin(0)), S_OK);
        auto* pin = static_cast<GxMovieReaderOutputPin*>(reader->GetPin(0));
        EXPECT_TRUE(pin->QueriedForAsyncReader());
        EXPECT_EQ(renderer->VideoWidth(), kWidth);
        EXPECT_EQ(renderer->VideoHeight(), kHeight);

        platform::MarkEventSettle();
        ASSERT_EQ(control->Run(), S_OK);
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
        for (int frame = 0; frame < kFrames; ++frame) {
            EXPECT_EQ(Shown(movie), Expected(frame)) << frame;
            EXPECT_EQ(renderer->FramesDrawn(), frame + 1);
            for (int step = 0; step < 2; ++step) Advance(kFrameTime / 2);
        }
        EXPECT_EQ(Shown(movie), Expected(kFrames - 1));   // the last frame stays
        LONG code = 0;
        LONG_PTR p1 = 0;
        LONG_PTR p2 = 0;
        ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
        EXPECT_EQ(code, EC_COMPLETE);
        events->FreeEventParams(code, p1, p2);
        EXPECT_EQ(control->Stop(), S_OK);

        events->Release();
        control->Release();
        graph->Release();
        EXPECT_EQ(renderer->Release(), 0u);   // the graph let its own go
        EXPECT_EQ(reader->Release(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(LooseAndPacked, MovieGraphTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "InAPack" : "OnDisk"; });

}  // namespace
