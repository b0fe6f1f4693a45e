#include "platform/audio/mixer.h"
#include "platform/dshow/audio_renderer.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/reference_clock.h"
#include "platform/win32/com.h"
#include "platform/win32/sync.h"
#include "tests/platform/dshow/test_filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace dshow_test;
using platform::Mixer;

// A graph made as the movie player makes it, with the four interfaces it asks for.
struct Graph {
    IGraphBuilder* builder = nullptr;
    IMediaControl* control = nullptr;
    IMediaPosition* position = nullptr;
    IMediaEvent* events = nullptr;
    IBasicAudio* audio = nullptr;

    Graph()
    {
        EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, 0x17, IID_IGraphBuilder, reinterpret_cast<void**>(&builder)),
                  S_OK);
        EXPECT_EQ(builder->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
        EXPECT_EQ(builder->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&position)), S_OK);
        EXPECT_EQ(builder->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)), S_OK);
        EXPECT_EQ(builder->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio)), S_OK);
    }
    ~Graph() { Release(); }
    void Release()
    {
        for (IUnknown* unknown : std::initializer_list<IUnknown*>{audio, events, position, control, builder}) {
            if (unknown) unknown->Release();
        }
        builder = nullptr;
        control = nullptr;
        position = nullptr;
        events = nullptr;
        audio = nullptr;
    }
    CFilterGraph* Impl() const { return platform::FilterGraphOf(builder); }
    // The next event code, or 0 when none waits.
    LONG NextEvent()
    {
        LONG code = 0;
        LONG_PTR p1 = 0;
        LONG_PTR p2 = 0;
        if (events->GetEvent(&code, &p1, &p2, 0) != S_OK) return 0;
        EXPECT_EQ(events->FreeEventParams(code, p1, p2), S_OK);
        return code;
    }
    double Position()
    {
        double seconds = -1.0;
        EXPECT_EQ(position->get_CurrentPosition(&seconds), S_OK);
        return seconds;
    }
};

template <typename Filter>
Filter* Counted(Filter* filter)
{
    filter->AddRef();
    return filter;
}

class DshowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::RegisterDshowClasses();
        Mixer::Instance().SetSink(platform::AudioSink::Capture);
        PassThroughDecoder::s_Log = &m_Log;
        platform::RegisterDshowDecoder(u"Pass-through", &PassThroughDecoder::Create);
        m_Clock = new platform::ManualReferenceClock(5 * kUnitsPerSecond);
        m_Clock->AddRef();
        platform::SetDshowGraphClock(m_Clock);
    }
    void TearDown() override
    {
        platform::SetDshowGraphClock(nullptr);
        platform::UnregisterDshowDecoder(u"Pass-through");
        platform::SetDshowFaults({});
        m_Clock->Release();
        Mixer::Instance().TakeCaptured();
        EXPECT_EQ(g_LiveFilters.load(), 0);
        EXPECT_EQ(g_LiveThreads.load(), 0);
        EXPECT_EQ(Mixer::Instance().SourceCount(), 0u);
    }
    static void Settle() { ASSERT_TRUE(platform::SettleEvents(kSettleMs)); }
    void UseAudioClock() { platform::SetDshowGraphClock(nullptr); }

    EventLog m_Log;
    platform::ManualReferenceClock* m_Clock = nullptr;
};

SourceConfig Video(const GUID& subtype, int count = 5)
{
    SourceConfig config;
    config.type = VideoType(subtype);
    config.count = count;
    return config;
}

SourceConfig Pcm()
{
    SourceConfig config;
    config.type = PcmType(2, 22050, 8);
    config.bufferSize = 2205 * 2;
    config.count = 1;
    return config;
}

// 16-bit stereo at 44.1 kHz, `blocks` samples of 0.1 s each, from a fixed pseudo-random ramp.
std::vector<std::int16_t> ToneSamples(int blocks)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(blocks) * 4410 * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>((static_cast<int>(i) * 7919 + 12345) % 60000 - 30000);
    return samples;
}

SourceConfig Tone(const std::vector<std::int16_t>* samples, int blocks)
{
    SourceConfig config;
    config.type = PcmType(2, 44100, 16);
    config.count = blocks;
    config.bufferSize = 4410 * 4;
    config.fill = [samples](int index, BYTE* data, LONG size) {
        const std::size_t bytes = std::min<std::size_t>(static_cast<std::size_t>(size), 4410 * 4);
        std::memcpy(data, samples->data() + static_cast<std::size_t>(index) * 4410 * 2, bytes);
        return static_cast<LONG>(bytes);
    };
    return config;
}

// --- objects and counts -------------------------------------------------------------------

TEST_F(DshowTest, CUnknownStartsAtZeroAndPinsCountOnTheirFilter)
{
    auto* sink = new RecordingSink(&m_Log);
    EXPECT_EQ(sink->RefCount(), 0u);
    EXPECT_EQ(sink->AddRef(), 1u);
    IPin* pin = sink->GetPin(0);
    EXPECT_EQ(pin->AddRef(), 2u);
    EXPECT_EQ(sink->RefCount(), 2u);
    IUnknown* identity = nullptr;
    ASSERT_EQ(pin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(sink->RefCount(), 3u);
    identity->Release();
    EXPECT_EQ(pin->Release(), 1u);
    EXPECT_EQ(g_LiveFilters.load(), 1);
    EXPECT_EQ(sink->Release(), 0u);
    EXPECT_EQ(g_LiveFilters.load(), 0);
}

TEST_F(DshowTest, TheGraphAnswersItsInterfacesBeforeAnyFilter)
{
    Graph graph;
    IMediaEventSink* sink = nullptr;
    ASSERT_EQ(graph.builder->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)), S_OK);
    sink->Release();
    EXPECT_EQ(graph.NextEvent(), 0);   // E_ABORT at once on an empty queue
    LONG code = -1;
    LONG_PTR p1 = -1;
    LONG_PTR p2 = -1;
    EXPECT_EQ(graph.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
    EXPECT_TRUE(FAILED(graph.audio->put_Volume(-600)));   // no sound: the caller ignores it
    double seconds = -1.0;
    EXPECT_TRUE(FAILED(graph.position->get_Duration(&seconds)));
    EXPECT_EQ(seconds, 0.0);
    struct RateCase {
        double rate;
        HRESULT expected;
    };
    for (const RateCase& c : {RateCase{0.0, E_INVALIDARG}, {-1.0, E_INVALIDARG}, {NAN, E_INVALIDARG}, {2.0, S_OK}}) {
        EXPECT_EQ(graph.position->put_Rate(c.rate), c.expected) << c.rate;
    }
    double rate = 0.0;
    EXPECT_EQ(graph.position->get_Rate(&rate), S_OK);
    EXPECT_EQ(rate, 2.0);
    EXPECT_EQ(platform::PostGraphEvent(graph.builder, EC_ERRORABORT, E_FAIL, 0), S_OK);
    ASSERT_EQ(graph.events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_ERRORABORT);
    EXPECT_EQ(p1, E_FAIL);
    EXPECT_EQ(graph.events->FreeEventParams(code, p1, p2), S_OK);
}

TEST_F(DshowTest, AddFilterKeepsAReferenceAndTheInjectedFailureHitsTheNthCall)
{
    platform::SetDshowFaults({2, E_OUTOFMEMORY});
    Graph graph;
    auto* first = Counted(new RecordingSink(&m_Log));
    auto* second = Counted(new RecordingSink(&m_Log));
    EXPECT_EQ(graph.builder->AddFilter(first, u"FileReader"), S_OK);
    EXPECT_EQ(first->RefCount(), 2u);
    EXPECT_EQ(graph.builder->AddFilter(second, u"TextureRenderer"), E_OUTOFMEMORY);
    EXPECT_EQ(second->RefCount(), 1u);
    EXPECT_EQ(graph.builder->AddFilter(second, u"TextureRenderer"), S_OK);
    EXPECT_EQ(Utf8(graph.Impl()->FilterNames()), (std::vector<std::string>{"FileReader", "TextureRenderer"}));
    // A filter's notification reaches the graph's queue as it is.
    EXPECT_EQ(second->NotifyEvent(EC_ERRORABORT, E_FAIL, 0), S_OK);
    EXPECT_EQ(graph.NextEvent(), EC_ERRORABORT);
    FILTER_INFO info{};
    ASSERT_EQ(second->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(std::u16string(info.achName), u"TextureRenderer");
    EXPECT_NE(info.pGraph, nullptr);
    info.pGraph->Release();
    graph.Release();
    EXPECT_EQ(first->RefCount(), 1u);
    EXPECT_EQ(second->GetFilterGraph(), nullptr);
    first->Release();
    second->Release();
}

// --- rendering ----------------------------------------------------------------------------

TEST_F(DshowTest, RenderConnectsThroughTheGraphDecodersAndAGraphMadeAudioRenderer)
{
    struct RenderCase {
        const char* name;
        SourceConfig config;
        bool withRenderer;
        bool withDecoder;
        bool succeeds;
        std::vector<std::string> connections;
    };
    const RenderCase cases[] = {
        {"renderer in the graph", Video(MEDIASUBTYPE_RGB24), true, true, true, {"Source.Out -> Renderer.In"}},
        {"through a decoder", Video(kEncodedVideo), true, true, true,
         {"Source.Out -> Pass-through.In", "Pass-through.Out -> Renderer.In"}},
        {"PCM to a new audio renderer", Pcm(), false, true, true, {"Source.Out -> Audio Renderer.Audio Input pin"}},
        {"no decoder registered", Video(kEncodedVideo), true, false, false, {}},
        {"a type nothing takes", Video(MEDIASUBTYPE_RGB32), true, true, false, {}},
    };
    for (const RenderCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.withDecoder) platform::UnregisterDshowDecoder(u"Pass-through");
        Graph graph;
        auto* source = Counted(new TestSource(c.config, &m_Log, "source"));
        ASSERT_EQ(graph.builder->AddFilter(source, u"Source"), S_OK);
        if (c.withRenderer) {
            auto* renderer = new RecordingRenderer(&m_Log);
            ASSERT_EQ(graph.builder->AddFilter(renderer, u"Renderer"), S_OK);
        }
        const HRESULT hr = graph.builder->Render(source->GetPin(0));
        EXPECT_EQ(SUCCEEDED(hr), c.succeeds) << std::hex << hr;
        EXPECT_EQ(Utf8(graph.Impl()->Connections()), c.connections);
        if (!c.succeeds) {
            EXPECT_LT(hr, 0);
            EXPECT_EQ(graph.Impl()->FilterNames().size(), c.withRenderer ? 2u : 1u);   // no decoder left behind
        }
        graph.Release();
        source->Release();
        platform::RegisterDshowDecoder(u"Pass-through", &PassThroughDecoder::Create);
    }
}

TEST_F(DshowTest, ConnectingNegotiatesTheTypeThenTheAllocatorInOrder)
{
    Graph graph;
    auto* source = Counted(new TestSource(Video(kEncodedVideo), &m_Log, "source"));
    auto* renderer = Counted(new RecordingRenderer(&m_Log));
    ASSERT_EQ(graph.builder->AddFilter(source, u"Source"), S_OK);
    ASSERT_EQ(graph.builder->AddFilter(renderer, u"Renderer"), S_OK);
    ASSERT_EQ(graph.builder->Render(source->GetPin(0)), S_OK);
    // The renderer refuses the encoded type; the decoder takes it, and its output's type is
    // agreed with the renderer before the decoder sizes its buffers.
    EXPECT_EQ(m_Log.Lines(), (std::vector<std::string>{"renderer.CheckMediaType", "decoder.CheckMediaType",
                                                       "renderer.CheckMediaType", "renderer.SetMediaType",
                                                       "decoder.DecideBufferSize"}));
    EXPECT_EQ(renderer->Width(), kFrameWidth);
    EXPECT_EQ(renderer->Height(), kFrameHeight);
    auto* input = static_cast<CBaseInputPin*>(renderer->GetPin(0));
    ASSERT_NE(input->PeekAllocator(), nullptr);
    ALLOCATOR_PROPERTIES properties{};
    ASSERT_EQ(input->PeekAllocator()->GetProperties(&properties), S_OK);
    EXPECT_EQ(properties.cBuffers, 2);
    EXPECT_GE(properties.cbBuffer, kFrameWidth * kFrameHeight * 3);
    CMediaType agreed;
    ASSERT_EQ(renderer->GetPin(0)->ConnectionMediaType(&agreed), S_OK);
    EXPECT_TRUE(agreed.subtype == MEDIASUBTYPE_RGB24);
    EXPECT_EQ(graph.builder->Render(source->GetPin(0)), VFW_E_ALREADY_CONNECTED);
    graph.Release();
    source->Release();
    renderer->Release();
}

// --- running on the manual clock ----------------------------------------------------------

class DshowRunTest : public DshowTest {
protected:
    void Build(const GUID& subtype, int count = 5)
    {
        m_Graph = std::make_unique<Graph>();   // after the fixture installed its clock
        m_Source = Counted(new TestSource(Video(subtype, count), &m_Log, "source"));
        m_Renderer = Counted(new RecordingRenderer(&m_Log));
        ASSERT_EQ(m_Graph->builder->AddFilter(m_Source, u"Source"), S_OK);
        ASSERT_EQ(m_Graph->builder->AddFilter(m_Renderer, u"Renderer"), S_OK);
        ASSERT_EQ(m_Graph->builder->Render(m_Source->GetPin(0)), S_OK);
    }
    void TearDown() override
    {
        m_Graph.reset();
        if (m_Source) m_Source->Release();
        if (m_Renderer) m_Renderer->Release();
        DshowTest::TearDown();
    }
    void Run()
    {
        platform::MarkEventSettle();
        ASSERT_EQ(m_Graph->control->Run(), S_OK);
        Settle();
    }
    void Advance(REFERENCE_TIME delta)
    {
        platform::MarkEventSettle();
        m_Clock->Advance(delta);
        Settle();
    }
    // A clock that moves in steps of half a frame, as a real one would, so no frame is late.
    void AdvanceInSteps(REFERENCE_TIME total)
    {
        for (REFERENCE_TIME done = 0; done < total; done += kFrameTime / 2) Advance(std::min(kFrameTime / 2, total - done));
    }

    std::unique_ptr<Graph> m_Graph;
    TestSource* m_Source = nullptr;
    RecordingRenderer* m_Renderer = nullptr;
};

TEST_F(DshowRunTest, FramesAreDrawnInTimeOrderAndNoneBeforeItsTime)
{
    Build(MEDIASUBTYPE_RGB24);
    Run();
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0}));
    struct Step {
        REFERENCE_TIME advance;
        std::vector<int> frames;
    };
    const Step steps[] = {
        {kFrameTime - 1, {0}},
        {1, {0, 1}},
        {kFrameTime / 2, {0, 1}},
        {kFrameTime / 2, {0, 1, 2}},
        {2 * kFrameTime, {0, 1, 2, 3, 4}},
    };
    for (const Step& step : steps) {
        Advance(step.advance);
        EXPECT_EQ(m_Renderer->Frames(), step.frames);
    }
    const std::vector<REFERENCE_TIME> times = m_Renderer->DrawTimes();
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_GE(times[i], static_cast<REFERENCE_TIME>(i) * kFrameTime) << i;
    // The end comes once the last frame's time is over, not when it is drawn.
    EXPECT_EQ(m_Graph->NextEvent(), 0);
    Advance(kFrameTime - 1);
    EXPECT_EQ(m_Graph->NextEvent(), 0);
    Advance(1);
    EXPECT_EQ(m_Graph->NextEvent(), EC_COMPLETE);
    EXPECT_EQ(m_Graph->NextEvent(), 0);
    Advance(kFrameTime);
    EXPECT_EQ(m_Graph->NextEvent(), 0);   // once per run-through
}

TEST_F(DshowRunTest, FramesFarBehindTheClockAreDroppedAndCounted)
{
    Build(MEDIASUBTYPE_RGB24);
    Run();
    Advance(10 * kFrameTime);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0}));
    int drawn = 0;
    int dropped = 0;
    IQualProp* quality = nullptr;
    ASSERT_EQ(m_Renderer->QueryInterface(IID_IQualProp, reinterpret_cast<void**>(&quality)), S_OK);
    EXPECT_EQ(quality->get_FramesDrawn(&drawn), S_OK);
    EXPECT_EQ(quality->get_FramesDroppedInRenderer(&dropped), S_OK);
    quality->Release();
    EXPECT_EQ(drawn, 1);
    EXPECT_EQ(dropped, 4);
    EXPECT_EQ(m_Graph->NextEvent(), EC_COMPLETE);
}

TEST_F(DshowRunTest, StopKeepsThePositionAndTheNextRunGoesOnFromIt)
{
    Build(MEDIASUBTYPE_RGB24);
    Run();
    AdvanceInSteps(2 * kFrameTime + kFrameTime / 2);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0, 1, 2}));
    EXPECT_DOUBLE_EQ(m_Graph->Position(), 0.25);
    ASSERT_EQ(m_Graph->control->Stop(), S_OK);
    Advance(7 * kFrameTime);   // a stopped graph's position stands still
    EXPECT_DOUBLE_EQ(m_Graph->Position(), 0.25);
    EXPECT_EQ(m_Graph->NextEvent(), 0);
    Run();
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0, 1, 2}));   // frame 3 is due 50 ms in
    Advance(kFrameTime / 2);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_DOUBLE_EQ(m_Graph->Position(), 0.3);
    Advance(kFrameTime);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0, 1, 2, 3, 4}));
    Advance(kFrameTime);
    EXPECT_EQ(m_Graph->NextEvent(), EC_COMPLETE);
    EXPECT_EQ(m_Graph->NextEvent(), 0);
    EXPECT_EQ(m_Graph->control->Run(), S_OK);   // harmless while running
}

TEST_F(DshowRunTest, PauseHoldsStreamTimeAndRunGoesOnFromIt)
{
    Build(MEDIASUBTYPE_RGB24);
    Run();
    Advance(kFrameTime / 2);
    platform::MarkEventSettle();
    ASSERT_EQ(m_Graph->control->Pause(), S_OK);
    Settle();
    OAFilterState state = -1;
    ASSERT_EQ(m_Graph->control->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Paused);
    Advance(5 * kFrameTime);   // the frame waiting for its time stays held while paused
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0}));
    EXPECT_DOUBLE_EQ(m_Graph->Position(), 0.05);
    Run();
    Advance(kFrameTime / 2 - 1);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0}));
    Advance(1);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{0, 1}));
    EXPECT_DOUBLE_EQ(m_Graph->Position(), 0.1);
}

TEST_F(DshowRunTest, SeekingFlushesEveryPinAndRestartsTheSourceWithOneMoreComplete)
{
    Build(kEncodedVideo);
    double seconds = 0.0;
    ASSERT_EQ(m_Graph->position->get_Duration(&seconds), S_OK);
    EXPECT_DOUBLE_EQ(seconds, 0.5);
    ASSERT_EQ(m_Graph->position->get_StopTime(&seconds), S_OK);
    EXPECT_DOUBLE_EQ(seconds, 0.5);

    // While stopped the position waits for the next Run.
    ASSERT_EQ(m_Graph->position->put_CurrentPosition(0.3), S_OK);
    EXPECT_DOUBLE_EQ(m_Graph->Position(), 0.3);
    Run();
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{3}));
    Advance(kFrameTime);
    EXPECT_EQ(m_Renderer->Frames(), (std::vector<int>{3, 4}));
    Advance(kFrameTime);
    EXPECT_EQ(m_Graph->NextEvent(), EC_COMPLETE);

    struct SeekCase {
        const char* name;
        double to;
        REFERENCE_TIME advanceBefore;   // how far into the run the seek comes
        std::vector<int> framesAfter;   // drawn after the seek, to the end
    };
    const SeekCase cases[] = {
        {"after the end", 0.2, 10 * kFrameTime, {2, 3, 4}},
        {"while running", 0.1, kFrameTime / 2, {1, 2, 3, 4}},
    };
    for (const SeekCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_Graph->position->put_CurrentPosition(0.0), S_OK);
        Settle();
        Advance(c.advanceBefore);
        while (m_Graph->NextEvent() != 0) {
        }
        m_Log.Clear();
        const std::size_t before = m_Renderer->Frames().size();
        platform::MarkEventSettle();
        ASSERT_EQ(m_Graph->position->put_CurrentPosition(c.to), S_OK);
        Settle();
        std::vector<std::string> flow;
        for (const auto& line : m_Log.Lines()) {
            if (line.find("Flush") != std::string::npos || line.find("NewSegment") != std::string::npos) flow.push_back(line);
        }
        const std::string segment = std::to_string(static_cast<REFERENCE_TIME>(c.to * kUnitsPerSecond));
        EXPECT_EQ(flow, (std::vector<std::string>{"decoder.BeginFlush", "renderer.BeginFlush", "decoder.EndFlush",
                                                  "renderer.EndFlush", "decoder.NewSegment " + segment,
                                                  "renderer.NewSegment " + segment}));
        EXPECT_DOUBLE_EQ(m_Graph->Position(), c.to);
        AdvanceInSteps(5 * kFrameTime);
        const std::vector<int> frames = m_Renderer->Frames();
        EXPECT_EQ(std::vector<int>(frames.begin() + static_cast<std::ptrdiff_t>(before), frames.end()), c.framesAfter);
        EXPECT_EQ(m_Graph->NextEvent(), EC_COMPLETE);
        EXPECT_EQ(m_Graph->NextEvent(), 0);
    }
}

// --- audio --------------------------------------------------------------------------------

TEST_F(DshowTest, AudioRendererPlaysBitExactAtFullVolumeAndScaledBelow)
{
    UseAudioClock();
    const std::vector<std::int16_t> tone = ToneSamples(2);
    struct VolumeCase {
        LONG volume;
        double gain;
    };
    for (const VolumeCase& c : {VolumeCase{0, 1.0}, {-600, 0.501187}}) {
        SCOPED_TRACE(c.volume);
        Graph graph;
        auto* source = Counted(new TestSource(Tone(&tone, 2), &m_Log, "tone"));
        ASSERT_EQ(graph.builder->AddFilter(source, u"Tone"), S_OK);
        ASSERT_EQ(graph.builder->Render(source->GetPin(0)), S_OK);
        ASSERT_EQ(graph.audio->put_Volume(c.volume), S_OK);
        LONG volume = 1;
        ASSERT_EQ(graph.audio->get_Volume(&volume), S_OK);
        EXPECT_EQ(volume, c.volume);
        EXPECT_EQ(graph.audio->put_Volume(1), E_INVALIDARG);
        EXPECT_EQ(graph.audio->put_Volume(-10001), E_INVALIDARG);
        platform::MarkEventSettle();
        ASSERT_EQ(graph.control->Run(), S_OK);
        Settle();
        IReferenceClock* clock = graph.Impl()->CurrentClock();
        REFERENCE_TIME before = 0;
        REFERENCE_TIME after = 0;
        clock->GetTime(&before);
        Mixer::Instance().Advance(4410);
        clock->GetTime(&after);
        EXPECT_EQ(after - before, kUnitsPerSecond / 10);   // the frames mixed, exactly
        Mixer::Instance().Advance(4410);
        clock->Release();
        const std::vector<std::int16_t> out = Mixer::Instance().TakeCaptured();
        ASSERT_EQ(out.size(), tone.size());
        int worst = 0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const int expected = static_cast<int>(std::lround(tone[i] * c.gain));
            worst = std::max(worst, std::abs(out[i] - expected));
        }
        EXPECT_LE(worst, c.volume == 0 ? 0 : 1);
        EXPECT_EQ(graph.NextEvent(), EC_COMPLETE);
        graph.Release();
        source->Release();
    }
}

TEST_F(DshowTest, AudioRendererTakesPcmOfEightOrSixteenBitsAndOneToEightChannels)
{
    struct FormatCase {
        const char* name;
        CMediaType type;
        bool accepted;
    };
    CMediaType shortBlock = PcmType(2, 44100, 16);
    shortBlock.cbFormat = 8;
    CMediaType video = PcmType(2, 44100, 16);
    video.SetType(&MEDIATYPE_Video);
    const FormatCase cases[] = {
        {"8-bit mono 8 kHz", PcmType(1, 8000, 8), true},
        {"16-bit stereo 44.1 kHz", PcmType(2, 44100, 16), true},
        {"16-bit 8 channels 48 kHz", PcmType(8, 48000, 16), true},
        {"24-bit", PcmType(2, 44100, 24), false},
        {"9 channels", PcmType(9, 44100, 16), false},
        {"a format block too short", shortBlock, false},
        {"not audio", video, false},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(CAudioRenderer::IsPlayableFormat(c.type), c.accepted) << c.name;
}

TEST_F(DshowTest, CompleteComesOnceAfterTheVideoAndTheAudioRendererEnded)
{
    UseAudioClock();
    const std::vector<std::int16_t> tone = ToneSamples(2);
    Graph graph;
    auto* video = Counted(new TestSource(Video(kEncodedVideo, 2), &m_Log, "video"));
    auto* renderer = Counted(new RecordingRenderer(&m_Log));
    auto* audio = Counted(new TestSource(Tone(&tone, 2), &m_Log, "tone"));
    ASSERT_EQ(graph.builder->AddFilter(video, u"Video"), S_OK);
    ASSERT_EQ(graph.builder->AddFilter(renderer, u"Renderer"), S_OK);
    ASSERT_EQ(graph.builder->AddFilter(audio, u"Tone"), S_OK);
    ASSERT_EQ(graph.builder->Render(video->GetPin(0)), S_OK);
    ASSERT_EQ(graph.builder->Render(audio->GetPin(0)), S_OK);
    EXPECT_EQ(Utf8(graph.Impl()->FilterNames()),
              (std::vector<std::string>{"Video", "Renderer", "Tone", "Pass-through", "Audio Renderer"}));
    platform::MarkEventSettle();
    ASSERT_EQ(graph.control->Run(), S_OK);
    Settle();
    EXPECT_EQ(renderer->Frames(), (std::vector<int>{0}));
    platform::MarkEventSettle();
    Mixer::Instance().Advance(4410);   // the audio clock reaches the second frame
    Settle();
    EXPECT_EQ(renderer->Frames(), (std::vector<int>{0, 1}));
    EXPECT_EQ(graph.NextEvent(), 0);   // the video ended, the sound has not
    platform::MarkEventSettle();
    Mixer::Instance().Advance(4410);
    Settle();
    EXPECT_EQ(graph.NextEvent(), EC_COMPLETE);
    Mixer::Instance().Advance(4410);
    EXPECT_EQ(graph.NextEvent(), 0);
    // Releasing the running graph leaves no thread and no filter behind (checked on tear-down).
    graph.Release();
    video->Release();
    renderer->Release();
    audio->Release();
}

// Without a test clock or sound the graph runs on the system clock; a waiting GetEvent wakes on
// the completion (no assertion on how long it took).
TEST_F(DshowTest, WithoutSoundTheSystemClockRunsTheGraphToItsEnd)
{
    platform::SetDshowGraphClock(nullptr);
    Graph graph;
    auto* source = Counted(new TestSource(Video(MEDIASUBTYPE_RGB24, 2), &m_Log, "source"));
    auto* renderer = Counted(new RecordingRenderer(&m_Log));
    ASSERT_EQ(graph.builder->AddFilter(source, u"Source"), S_OK);
    ASSERT_EQ(graph.builder->AddFilter(renderer, u"Renderer"), S_OK);
    ASSERT_EQ(graph.builder->Render(source->GetPin(0)), S_OK);
    ASSERT_EQ(graph.control->Run(), S_OK);
    LONG code = 0;
    LONG_PTR p1 = 0;
    LONG_PTR p2 = 0;
    ASSERT_EQ(graph.events->GetEvent(&code, &p1, &p2, 60000), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(renderer->Frames(), (std::vector<int>{0, 1}));
    const std::vector<REFERENCE_TIME> times = renderer->DrawTimes();
    ASSERT_EQ(times.size(), 2u);
    EXPECT_GE(times[1], kFrameTime);   // never before its time
    graph.Release();
    source->Release();
    renderer->Release();
}

TEST_F(DshowTest, ReleasingARunningGraphStopsItAndDropsEveryFilter)
{
    Graph graph;
    auto* source = new TestSource(Video(kEncodedVideo), &m_Log, "source");
    ASSERT_EQ(graph.builder->AddFilter(source, u"Source"), S_OK);
    ASSERT_EQ(graph.builder->AddFilter(new RecordingRenderer(&m_Log), u"Renderer"), S_OK);
    ASSERT_EQ(graph.builder->Render(source->GetPin(0)), S_OK);
    platform::MarkEventSettle();
    ASSERT_EQ(graph.control->Run(), S_OK);
    Settle();
    EXPECT_EQ(g_LiveThreads.load(), 1);   // waiting on the clock inside the renderer
    graph.Release();
    EXPECT_EQ(g_LiveFilters.load(), 0);
    EXPECT_EQ(g_LiveThreads.load(), 0);
}

}  // namespace
