#include "platform/audio/mixer.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/movie_demux.h"
#include "platform/dshow/movie_demux_filter.h"
#include "platform/dshow/reference_clock.h"
#include "platform/win32/com.h"
#include "platform/win32/sync.h"
#include "tests/platform/dshow/movie_test_filters.h"
#include "tests/platform/dshow/test_filters.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/sound_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace dshow_test;
using platform::Mixer;

constexpr REFERENCE_TIME kTenth = kUnitsPerSecond / 10;


// Each movie is encoded once per test program.
const MovieBytes& Movie(const TestMovieSpec& spec)
{
    static std::map<std::string, MovieBytes> cache;
    const std::string key = std::to_string(static_cast<int>(spec.container)) + "/" + std::to_string(spec.width) + "x" +
                            std::to_string(spec.height) + "/" + std::to_string(spec.framesPerSecond) + "/" +
                            std::to_string(spec.frames) + "/" + std::to_string(static_cast<int>(spec.picture)) + "/" +
                            std::to_string(spec.audioStreams) + "/" + std::to_string(spec.playDuration);
    auto found = cache.find(key);
    if (found == cache.end()) found = cache.emplace(key, BuildTestMovie(spec)).first;
    return found->second;
}

TestMovieSpec Spec(TestMovieContainer container, int frames = 10, int audioStreams = 0)
{
    TestMovieSpec spec;
    spec.container = container;
    spec.frames = frames;
    spec.audioStreams = audioStreams;
    return spec;
}

struct MovieGraph {
    IGraphBuilder* builder = nullptr;
    IMediaControl* control = nullptr;
    IMediaPosition* position = nullptr;
    IMediaEvent* events = nullptr;
    MemoryReaderSource* source = nullptr;
    FrameCaptureRenderer* renderer = nullptr;

    MovieGraph(const MovieBytes& bytes, const GUID& subtype, bool withRenderer = true)
    {
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, 0x17, IID_IGraphBuilder, reinterpret_cast<void**>(&builder)),
                  S_OK);
        builder->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control));
        builder->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position));
        builder->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events));
        source = new MemoryReaderSource(bytes, subtype);
        source->AddRef();
        EXPECT_EQ(builder->AddFilter(source, u"Source"), S_OK);
        if (withRenderer) {
            renderer = new FrameCaptureRenderer;
            renderer->AddRef();
            EXPECT_EQ(builder->AddFilter(renderer, u"Renderer"), S_OK);
        }
    }
    ~MovieGraph()
    {
        for (IUnknown* unknown : std::initializer_list<IUnknown*>{events, position, control, builder})
            if (unknown) unknown->Release();
        source->Release();
        if (renderer) renderer->Release();
    }
    HRESULT Render() { return builder->Render(source->GetPin(0)); }
    std::vector<std::string> Connections()
    {
        std::vector<std::string> lines;
        for (const auto& line : platform::FilterGraphOf(builder)->Connections()) lines.push_back(Utf8(line));
        return lines;
    }
    LONG NextEvent()
    {
        LONG code = 0;
        LONG_PTR p1 = 0;
        LONG_PTR p2 = 0;
        if (events->GetEvent(&code, &p1, &p2, 0) != S_OK) return 0;
        events->FreeEventParams(code, p1, p2);
        return code;
    }
};

class MovieDemuxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::RegisterDshowClasses();
        Mixer::Instance().SetSink(platform::AudioSink::Capture);
        m_Clock = new platform::ManualReferenceClock(5 * kUnitsPerSecond);
        m_Clock->AddRef();
        platform::SetDshowGraphClock(m_Clock);
    }
    void TearDown() override
    {
        platform::SetDshowGraphClock(nullptr);
        m_Clock->Release();
        Mixer::Instance().TakeCaptured();
        EXPECT_EQ(g_LiveFilters.load(), 0);
        EXPECT_EQ(Mixer::Instance().SourceCount(), 0u);
    }
    static void Settle() { ASSERT_TRUE(platform::SettleEvents(kSettleMs)); }
    void UseAudioClock() { platform::SetDshowGraphClock(nullptr); }
    static void Run(MovieGraph& graph)
    {
        platform::MarkEventSettle();
        ASSERT_EQ(graph.control->Run(), S_OK);
        Settle();
    }
    void Advance(REFERENCE_TIME delta)
    {
        platform::MarkEventSettle();
        m_Clock->Advance(delta);
        Settle();
    }
    // Half a frame at a time, so that no frame comes late; true once EC_COMPLETE came.
    bool AdvanceUntilComplete(MovieGraph& graph, REFERENCE_TIME limit)
    {
        for (REFERENCE_TIME done = 0; done <= limit; done += kTenth / 2) {
            if (graph.NextEvent() == EC_COMPLETE) return true;
            Advance(kTenth / 2);
        }
        return graph.NextEvent() == EC_COMPLETE;
    }

    platform::ManualReferenceClock* m_Clock = nullptr;
};

// The largest difference between a frame's pixels and one colour; -1 when a row's padding is
// not zero or the size is wrong.
int FrameError(const FrameCaptureRenderer::Frame& frame, int width, int height, std::uint32_t colour)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    if (frame.bytes.size() != stride * static_cast<std::size_t>(height)) return -1;
    const int expected[3] = {static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                             static_cast<int>((colour >> 16) & 0xFF)};
    int worst = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = frame.bytes.data() + stride * static_cast<std::size_t>(y);
        for (int x = 0; x < width * 3; ++x) worst = std::max(worst, std::abs(row[x] - expected[x % 3]));
        for (std::size_t x = static_cast<std::size_t>(width) * 3; x < stride; ++x)
            if (row[x] != 0) return -1;
    }
    return worst;
}

int NumberOf(const FrameCaptureRenderer::Frame& frame, int width, int height)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::uint8_t* pixel =
        frame.bytes.data() + stride * static_cast<std::size_t>(height / 2) + static_cast<std::size_t>(width / 2) * 3;
    return TestMovieFrameNumber(pixel[0], pixel[1], pixel[2]);
}

TEST_F(MovieDemuxTest, RenderInsertsTheDemuxAndRawFramesArriveByteExactAtTheirTimes)
{
    struct RawCase {
        const char* name;
        TestMovieSpec spec;
        GUID subtype;
    };
    TestMovieSpec solid = Spec(TestMovieContainer::Avi);
    solid.picture = TestMoviePicture::Solid;
    TestMovieSpec wide = Spec(TestMovieContainer::Avi, 3);
    wide.width = 321;
    wide.height = 240;
    const RawCase cases[] = {
        {"numbered .avi", Spec(TestMovieContainer::Avi), MEDIASUBTYPE_Avi},
        {"solid colour .avi", solid, MEDIASUBTYPE_Avi},
        {"321 wide, rows of 964 bytes", wide, MEDIASUBTYPE_Avi},
        {".mov with the same content, under a wrong subtype", Spec(TestMovieContainer::Mov), MEDIASUBTYPE_Avi},
    };
    for (const RawCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MovieBytes& bytes = Movie(c.spec);
        ASSERT_FALSE(bytes.empty());
        MovieGraph graph(bytes, c.subtype);
        ASSERT_EQ(graph.Render(), S_OK);
        EXPECT_EQ(graph.Connections(),
                  (std::vector<std::string>{"Source.Out -> Movie Demux.Input", "Movie Demux.Video -> Renderer.In"}));
        EXPECT_EQ(graph.renderer->Width(), c.spec.width);
        EXPECT_EQ(graph.renderer->Height(), c.spec.height);   // positive: bottom-up rows
        double seconds = 0.0;
        ASSERT_EQ(graph.position->get_Duration(&seconds), S_OK);
        EXPECT_NEAR(seconds, c.spec.frames / 10.0, 0.01);
        Run(graph);
        EXPECT_TRUE(AdvanceUntilComplete(graph, 2 * kUnitsPerSecond));
        const std::vector<FrameCaptureRenderer::Frame> frames = graph.renderer->Frames();
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.spec.frames));
        for (std::size_t k = 0; k < frames.size(); ++k) {
            EXPECT_EQ(frames[k].start, static_cast<REFERENCE_TIME>(k) * kTenth) << k;
            EXPECT_EQ(FrameError(frames[k], c.spec.width, c.spec.height, TestMovieFrameColour(c.spec, static_cast<int>(k))), 0)
                << k;
        }
        if (c.spec.picture == TestMoviePicture::Solid) {
            EXPECT_EQ(frames[0].bytes[0], 0x12);
            EXPECT_EQ(frames[0].bytes[1], 0x34);
            EXPECT_EQ(frames[0].bytes[2], 0x56);
        }
        EXPECT_EQ(graph.NextEvent(), 0);   // once
        EXPECT_EQ(graph.control->Stop(), S_OK);
    }
}

TEST_F(MovieDemuxTest, CompressedMoviesArriveInOrderWithTimesRisingFromZero)
{
    struct CompressedCase {
        const char* name;
        TestMovieSpec spec;
        GUID subtype;
    };
    const CompressedCase cases[] = {
        {"MPEG-1 program stream", Spec(TestMovieContainer::Mpg), MEDIASUBTYPE_MPEG1System},
        {"WMV2 in ASF", Spec(TestMovieContainer::Asf), MEDIASUBTYPE_Asf},
    };
    for (const CompressedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MovieBytes& bytes = Movie(c.spec);
        ASSERT_FALSE(bytes.empty());
        MovieGraph graph(bytes, c.subtype);
        ASSERT_EQ(graph.Render(), S_OK);
        double seconds = 0.0;
        ASSERT_EQ(graph.position->get_Duration(&seconds), S_OK);
        EXPECT_NEAR(seconds, 1.0, 0.11);   // not the last time stamp FFmpeg's probe happens to see
        Run(graph);
        EXPECT_TRUE(AdvanceUntilComplete(graph, 2 * kUnitsPerSecond));
        const std::vector<FrameCaptureRenderer::Frame> frames = graph.renderer->Frames();
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.spec.frames));
        EXPECT_GE(frames[0].start, 0);
        EXPECT_LT(frames[0].start, kTenth);
        for (std::size_t k = 0; k < frames.size(); ++k) {
            EXPECT_EQ(NumberOf(frames[k], c.spec.width, c.spec.height), static_cast<int>(k));
            const int error = FrameError(frames[k], c.spec.width, c.spec.height,
                                         TestMovieFrameColour(c.spec, static_cast<int>(k)));
            EXPECT_GE(error, 0);
            EXPECT_LE(error, 6) << k;
            if (k > 0) {
                EXPECT_GT(frames[k].start, frames[k - 1].start) << k;
            }
        }
        EXPECT_EQ(graph.control->Stop(), S_OK);
    }
}

TEST_F(MovieDemuxTest, SeekingShowsTheTargetFrameNextAndPlaysAgainAfterTheEnd)
{
    const TestMovieSpec spec = Spec(TestMovieContainer::Mpg);
    MovieGraph graph(Movie(spec), MEDIASUBTYPE_MPEG1System);
    ASSERT_EQ(graph.Render(), S_OK);
    Run(graph);
    Advance(kTenth / 2);
    Advance(kTenth / 2);
    ASSERT_EQ(graph.renderer->Frames().size(), 2u);
    graph.renderer->ClearFrames();
    platform::MarkEventSettle();
    ASSERT_EQ(graph.position->put_CurrentPosition(0.5), S_OK);
    Settle();
    std::vector<FrameCaptureRenderer::Frame> frames = graph.renderer->Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(NumberOf(frames[0], spec.width, spec.height), 5);
    EXPECT_EQ(frames[0].start, 0);
    EXPECT_TRUE(AdvanceUntilComplete(graph, kUnitsPerSecond));
    frames = graph.renderer->Frames();
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(NumberOf(frames[4], spec.width, spec.height), 9);

    // After the end, still running: back to 0 plays it all again, with one more EC_COMPLETE.
    graph.renderer->ClearFrames();
    platform::MarkEventSettle();
    ASSERT_EQ(graph.position->put_CurrentPosition(0.0), S_OK);
    Settle();
    EXPECT_TRUE(AdvanceUntilComplete(graph, 2 * kUnitsPerSecond));
    EXPECT_EQ(graph.renderer->Frames().size(), 10u);

    // After the end: stopped, back to 0 and Run again, one more EC_COMPLETE.
    ASSERT_EQ(graph.control->Stop(), S_OK);
    graph.renderer->ClearFrames();
    ASSERT_EQ(graph.position->put_CurrentPosition(0.0), S_OK);
    Run(graph);
    EXPECT_TRUE(AdvanceUntilComplete(graph, 2 * kUnitsPerSecond));
    EXPECT_EQ(graph.renderer->Frames().size(), 10u);

    // Stop and Run go on from where it stopped.
    ASSERT_EQ(graph.control->Stop(), S_OK);
    graph.renderer->ClearFrames();
    ASSERT_EQ(graph.position->put_CurrentPosition(0.3), S_OK);
    Run(graph);
    Advance(kTenth / 2);
    ASSERT_EQ(graph.control->Stop(), S_OK);
    frames = graph.renderer->Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(NumberOf(frames[0], spec.width, spec.height), 3);
    graph.renderer->ClearFrames();
    Run(graph);
    frames = graph.renderer->Frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(NumberOf(frames[0], spec.width, spec.height), 3);
    EXPECT_TRUE(AdvanceUntilComplete(graph, kUnitsPerSecond));
    EXPECT_EQ(graph.control->Stop(), S_OK);
}

TEST_F(MovieDemuxTest, SoundPlaysThroughTheAudioRendererAndCompletesOnceAfterBothStreams)
{
    UseAudioClock();
    struct SoundCase {
        const char* name;
        TestMovieSpec spec;
        GUID subtype;
        bool withRenderer;
        std::vector<std::string> connections;
    };
    const SoundCase cases[] = {
        {".avi with a tone", Spec(TestMovieContainer::Avi, 10, 1), MEDIASUBTYPE_Avi, true,
         {"Source.Out -> Movie Demux.Input", "Movie Demux.Video -> Renderer.In",
          "Movie Demux.Audio -> Audio Renderer.Audio Input pin"}},
        {".mpa alone", Spec(TestMovieContainer::Mpa, 10, 1), MEDIASUBTYPE_MPEG1Audio, false,
         {"Source.Out -> Movie Demux.Input", "Movie Demux.Audio -> Audio Renderer.Audio Input pin"}},
        {".wav", {}, MEDIASUBTYPE_WAVE, false,
         {"Source.Out -> Movie Demux.Input", "Movie Demux.Audio -> Audio Renderer.Audio Input pin"}},
    };
    const std::vector<std::uint8_t> wav = BuildTestPcmWav(1, 22050, 16, TestPcm16Bytes(TestTone(22050, 1, 22050, 440.0)));
    for (const SoundCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MovieBytes& bytes = c.subtype == MEDIASUBTYPE_WAVE ? wav : Movie(c.spec);
        ASSERT_FALSE(bytes.empty());
        MovieGraph graph(bytes, c.subtype, c.withRenderer);
        ASSERT_EQ(graph.Render(), S_OK);
        EXPECT_EQ(graph.Connections(), c.connections);
        Run(graph);
        bool complete = false;
        for (int step = 0; step < 30 && !complete; ++step) {
            platform::MarkEventSettle();
            Mixer::Instance().Advance(2205);
            Settle();
            complete = graph.NextEvent() == EC_COMPLETE;
        }
        EXPECT_TRUE(complete);
        EXPECT_EQ(graph.NextEvent(), 0);
        const std::vector<std::int16_t> captured = Mixer::Instance().TakeCaptured();
        int loudest = 0;
        for (std::int16_t value : captured) loudest = std::max(loudest, std::abs(static_cast<int>(value)));
        EXPECT_GT(loudest, 8000);   // the tone is at 0.4 of full scale
        if (c.withRenderer) {
            EXPECT_EQ(graph.renderer->Frames().size(), 10u);
        }
        EXPECT_EQ(graph.control->Stop(), S_OK);
    }
}

TEST_F(MovieDemuxTest, DamagedAndUnknownFilesFailRenderOrPlayToTheirEnd)
{
    const MovieBytes& avi = Movie(Spec(TestMovieContainer::Avi));
    const MovieBytes& mpg = Movie(Spec(TestMovieContainer::Mpg));
    const MovieBytes& asf = Movie(Spec(TestMovieContainer::Asf));
    const auto cut = [](const MovieBytes& bytes, double share) {
        return MovieBytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * share));
    };
    MovieBytes garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>((i * 7919 + 13) >> 3);
    struct DamageCase {
        const char* name;
        MovieBytes bytes;
        GUID subtype;
        double failReadsFrom = -1.0;   // share of the file from which reads fail
    };
    const DamageCase cases[] = {
        {"garbage named .avi", garbage, MEDIASUBTYPE_Avi},
        {".avi cut at 30 %", cut(avi, 0.3), MEDIASUBTYPE_Avi},
        {".avi cut at 70 %", cut(avi, 0.7), MEDIASUBTYPE_Avi},
        {".mpg cut in its middle", cut(mpg, 0.5), MEDIASUBTYPE_MPEG1System},
        {".asf cut in its header", MovieBytes(asf.begin(), asf.begin() + 200), MEDIASUBTYPE_Asf},
        {"empty", MovieBytes(), MEDIASUBTYPE_Avi},
        {".avi whose reads fail from 60 %", avi, MEDIASUBTYPE_Avi, 0.6},
        {".mpg whose reads fail from 50 %", mpg, MEDIASUBTYPE_MPEG1System, 0.5},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        MovieGraph graph(c.bytes, c.subtype);
        if (c.failReadsFrom >= 0) graph.source->FailReadsFrom(static_cast<LONGLONG>(c.bytes.size() * c.failReadsFrom));
        const HRESULT hr = graph.Render();
        if (FAILED(hr)) {
            EXPECT_EQ(graph.Connections(), std::vector<std::string>{});
            continue;
        }
        Run(graph);
        EXPECT_TRUE(AdvanceUntilComplete(graph, 2 * kUnitsPerSecond));
        EXPECT_EQ(graph.control->Stop(), S_OK);
    }
}

}  // namespace

namespace {

// A sound stream whose header claims an absurd sample rate sizes no buffers from it: the picture
// plays and the sound is left out.
TEST_F(MovieDemuxTest, ASoundStreamWithAnAbsurdSampleRateIsLeftOut)
{
    MovieBytes avi = Movie(Spec(TestMovieContainer::Avi, 10, 1));
    const std::string bytes(avi.begin(), avi.end());
    const std::size_t auds = bytes.find("auds");
    ASSERT_NE(auds, std::string::npos);
    const std::size_t strf = bytes.find("strf", auds);
    ASSERT_NE(strf, std::string::npos);
    const std::size_t rate = strf + 8 + 4;   // chunk header, then the format tag and channel count
    ASSERT_LT(rate + 4, avi.size());
    for (const std::uint32_t samplesPerSecond : {44100u, 335544320u}) {
        SCOPED_TRACE(samplesPerSecond);
        for (int i = 0; i < 4; ++i) avi[rate + i] = static_cast<std::uint8_t>(samplesPerSecond >> (8 * i));
        platform::MovieDemux movie;
        const auto read = [&avi](std::int64_t position, int length, std::uint8_t* buffer) {
            std::copy_n(avi.begin() + static_cast<std::ptrdiff_t>(position), length, buffer);
            return length;
        };
        ASSERT_TRUE(movie.Open(read, static_cast<std::int64_t>(avi.size()), "avi", nullptr));
        EXPECT_TRUE(movie.HasVideo());
        EXPECT_EQ(movie.HasAudio(), samplesPerSecond == 44100u);
    }
}

}  // namespace
