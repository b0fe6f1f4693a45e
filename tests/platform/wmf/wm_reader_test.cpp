#include "platform/wmf/wm_reader.h"
#include "tests/platform/wmf/wm_test_objects.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace wmf_test;

constexpr QWORD kSecond = 10'000'000;
constexpr WORD kVideo = 1;   // stream numbers FFmpeg's ASF muxer gives, in stream order
constexpr WORD kAudio = 2;

const MovieBytes& Asf(int audioStreams, bool playDuration = true, int frames = 10)
{
    static std::map<std::string, MovieBytes> cache;
    const std::string key = std::to_string(audioStreams) + "/" + std::to_string(playDuration) + "/" + std::to_string(frames);
    auto found = cache.find(key);
    if (found == cache.end()) {
        TestMovieSpec spec;
        spec.container = TestMovieContainer::Asf;
        spec.frames = frames;
        spec.audioStreams = audioStreams;
        spec.playDuration = playDuration;
        found = cache.emplace(key, BuildTestMovie(spec)).first;
    }
    return found->second;
}

// A reader opened over the bytes, with the callback that records it.
struct OpenReader {
    IWMReader* reader = nullptr;
    IWMReaderAdvanced2* advanced = nullptr;
    RecordingCallback* callback = new RecordingCallback;
    MemoryStream* stream = nullptr;
    HRESULT opened = E_FAIL;   // until WMT_OPENED says otherwise

    explicit OpenReader(const std::vector<std::uint8_t>& bytes, std::int64_t failReadsFrom = -1)
    {
        stream = new MemoryStream(bytes, failReadsFrom);
        EXPECT_EQ(WMCreateReader(nullptr, 0, &reader), S_OK);
        EXPECT_EQ(reader->QueryInterface(IID_IWMReaderAdvanced2, reinterpret_cast<void**>(&advanced)), S_OK);
        EXPECT_EQ(advanced->OpenStream(stream, callback, nullptr), S_OK);
        EXPECT_TRUE(callback->WaitForStatus(WMT_OPENED));
        for (const ReaderEvent& event : callback->Events()) {
            if (event.kind == ReaderEvent::Status && event.status == WMT_OPENED) opened = event.result;
        }
    }
    ~OpenReader()
    {
        if (SUCCEEDED(reader->Close())) {
            EXPECT_TRUE(callback->WaitForStatus(WMT_CLOSED));
        }
        advanced->Release();
        reader->Release();
        callback->Release();
        stream->Release();
    }
    void Receive(WORD number, bool allocate = false)
    {
        EXPECT_EQ(advanced->SetReceiveStreamSamples(number, TRUE), S_OK);
        EXPECT_EQ(advanced->SetAllocateForStream(number, allocate ? TRUE : FALSE), S_OK);
    }
    std::vector<ReaderEvent> Samples(WORD number)
    {
        std::vector<ReaderEvent> samples;
        for (ReaderEvent& event : callback->Events())
            if (event.kind == ReaderEvent::Sample && event.stream == number) samples.push_back(std::move(event));
        return samples;
    }
    int StatusCount(LONG status)
    {
        int count = 0;
        for (const ReaderEvent& event : callback->Events())
            count += event.kind == ReaderEvent::Status && event.status == status ? 1 : 0;
        return count;
    }
};

template <typename Interface>
Interface* Query(IUnknown* unknown, REFIID iid)
{
    Interface* result = nullptr;
    EXPECT_EQ(unknown->QueryInterface(iid, reinterpret_cast<void**>(&result)), S_OK);
    return result;
}

TEST(WmReader, OpenStreamDescribesTheProfileTheSelectionAndTheDuration)
{
    ASSERT_FALSE(Asf(2).empty());
    OpenReader open(Asf(2));
    ASSERT_EQ(open.opened, S_OK);
    IWMProfile* profile = Query<IWMProfile>(open.reader, IID_IWMProfile);
    DWORD count = 0;
    ASSERT_EQ(profile->GetStreamCount(&count), S_OK);
    ASSERT_EQ(count, 3u);
    struct Expected {
        WORD number;
        GUID major;
        DWORD tag;
        WMT_STREAM_SELECTION selection;
    };
    const Expected expected[] = {{1, MEDIATYPE_Video, MakeFourCC('W', 'M', 'V', '2'), WMT_ON},
                                 {2, MEDIATYPE_Audio, 0x0161, WMT_ON},
                                 {3, MEDIATYPE_Audio, 0x0161, WMT_OFF}};
    for (DWORD i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        IWMStreamConfig* config = nullptr;
        ASSERT_EQ(profile->GetStream(i, &config), S_OK);
        WORD number = 0;
        ASSERT_EQ(config->GetStreamNumber(&number), S_OK);
        EXPECT_EQ(number, expected[i].number);
        WORD nameLength = 0;
        ASSERT_EQ(config->GetStreamName(nullptr, &nameLength), S_OK);
        std::u16string name(nameLength, u'\0');
        ASSERT_EQ(config->GetStreamName(name.data(), &nameLength), S_OK);
        EXPECT_GT(nameLength, 1);
        WMT_STREAM_SELECTION selection = WMT_CLEANPOINT_ONLY;
        ASSERT_EQ(open.advanced->GetStreamSelected(number, &selection), S_OK);
        EXPECT_EQ(selection, expected[i].selection);
        IWMMediaProps* props = Query<IWMMediaProps>(config, IID_IWMMediaProps);
        DWORD size = 0;
        ASSERT_EQ(props->GetMediaType(nullptr, &size), S_OK);
        ASSERT_GT(size, sizeof(WM_MEDIA_TYPE));
        std::vector<std::uint64_t> storage((size + 7) / 8);
        auto* type = reinterpret_cast<WM_MEDIA_TYPE*>(storage.data());
        DWORD tooSmall = size - 1;
        EXPECT_EQ(props->GetMediaType(type, &tooSmall), ASF_E_BUFFERTOOSMALL);
        ASSERT_EQ(props->GetMediaType(type, &size), S_OK);
        EXPECT_TRUE(type->majortype == expected[i].major);
        EXPECT_TRUE(type->subtype == FourCCGuid(expected[i].tag));
        EXPECT_EQ(type->pbFormat, reinterpret_cast<BYTE*>(type + 1));
        if (expected[i].major == MEDIATYPE_Video) {
            ASSERT_GE(type->cbFormat, sizeof(VIDEOINFOHEADER));
            const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
            EXPECT_EQ(info->bmiHeader.biWidth, 64);
            EXPECT_EQ(info->bmiHeader.biHeight, 48);
        } else {
            ASSERT_GE(type->cbFormat, sizeof(WAVEFORMATEX));
            const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(type->pbFormat);
            EXPECT_EQ(wave->nSamplesPerSec, 22050u);
            EXPECT_EQ(type->cbFormat, sizeof(WAVEFORMATEX) + wave->cbSize);
        }
        DWORD largest = 0;
        ASSERT_EQ(open.advanced->GetMaxStreamSampleSize(number, &largest), S_OK);
        EXPECT_GT(largest, 0u);
        props->Release();
        config->Release();
    }
    profile->Release();

    IWMHeaderInfo* header = Query<IWMHeaderInfo>(open.reader, IID_IWMHeaderInfo);
    WORD stream = 0;
    WMT_ATTR_DATATYPE type = WMT_TYPE_DWORD;
    QWORD duration = 0;
    WORD length = sizeof(duration);
    ASSERT_EQ(header->GetAttributeByName(&stream, u"Duration", &type, reinterpret_cast<BYTE*>(&duration), &length), S_OK);
    EXPECT_EQ(type, WMT_TYPE_QWORD);
    EXPECT_EQ(length, 8);
    EXPECT_NEAR(static_cast<double>(duration), static_cast<double>(kSecond), kSecond / 10.0);
    header->Release();
}

TEST(WmReader, AHeaderWithoutPlayDurationHasNoDurationAndGarbageFailsTheOpen)
{
    {
        OpenReader open(Asf(0));   // no sound: the profile holds the video stream alone
        ASSERT_EQ(open.opened, S_OK);
        IWMProfile* profile = Query<IWMProfile>(open.reader, IID_IWMProfile);
        DWORD count = 0;
        EXPECT_EQ(profile->GetStreamCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
        profile->Release();
        WMT_STREAM_SELECTION selection = WMT_OFF;
        EXPECT_EQ(open.advanced->GetStreamSelected(kVideo, &selection), S_OK);
        EXPECT_EQ(selection, WMT_ON);
        EXPECT_EQ(open.advanced->GetStreamSelected(kAudio, &selection), NS_E_NO_STREAM);
    }
    {
        OpenReader open(Asf(1, false));
        ASSERT_EQ(open.opened, S_OK);
        IWMHeaderInfo* header = Query<IWMHeaderInfo>(open.reader, IID_IWMHeaderInfo);
        WORD stream = 0;
        WMT_ATTR_DATATYPE type = WMT_TYPE_DWORD;
        QWORD duration = 0;
        WORD length = sizeof(duration);
        EXPECT_TRUE(FAILED(header->GetAttributeByName(&stream, u"Duration", &type, reinterpret_cast<BYTE*>(&duration), &length)));
        header->Release();
    }
    std::vector<std::uint8_t> garbage(3000);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const MovieBytes& asf = Asf(1);
    for (const std::vector<std::uint8_t>& bytes :
         {garbage, std::vector<std::uint8_t>(asf.begin(), asf.begin() + 300), std::vector<std::uint8_t>()}) {
        OpenReader open(bytes);
        EXPECT_TRUE(FAILED(open.opened));
        // Every command still completes with its status.
        ASSERT_EQ(open.reader->Start(0, 0, 1.0f, nullptr), S_OK);
        EXPECT_TRUE(open.callback->WaitForStatus(WMT_STARTED));
        ASSERT_EQ(open.reader->Stop(), S_OK);
        EXPECT_TRUE(open.callback->WaitForStatus(WMT_STOPPED));
    }
}

TEST(WmReader, SamplesComeOnlyUpToTheDeliverTimeThenOnTimeAndTheEndOnce)
{
    OpenReader open(Asf(1));
    ASSERT_EQ(open.opened, S_OK);
    open.Receive(kVideo, true);
    open.Receive(kAudio);
    ASSERT_EQ(open.advanced->SetUserProvidedClock(TRUE), S_OK);
    ASSERT_EQ(open.reader->Start(0, 0, 1.0f, nullptr), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_STARTED));
    const QWORD limit = 35 * kSecond / 100;
    ASSERT_EQ(open.advanced->DeliverTime(limit), S_OK);
    ASSERT_TRUE(open.callback->WaitFor([](const std::vector<ReaderEvent>& events) {
        return std::any_of(events.begin(), events.end(), [](const ReaderEvent& e) { return e.kind == ReaderEvent::Time; });
    }));
    std::vector<ReaderEvent> events = open.callback->Events();
    const auto time = std::find_if(events.begin(), events.end(), [](const ReaderEvent& e) { return e.kind == ReaderEvent::Time; });
    EXPECT_EQ(time->time, limit);
    for (const ReaderEvent& event : events) {
        if (event.kind == ReaderEvent::Sample) {
            EXPECT_LE(event.time, limit);
        }
    }
    EXPECT_EQ(open.Samples(kVideo).size(), 4u);   // the first four frames, 0.1 s apart

    ASSERT_EQ(open.advanced->DeliverTime(100 * kSecond), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_END_OF_FILE));
    for (WORD number : {kVideo, kAudio}) {
        const std::vector<ReaderEvent> samples = open.Samples(number);
        ASSERT_FALSE(samples.empty());
        EXPECT_TRUE(samples[0].flags & WM_SF_DISCONTINUITY);
        for (std::size_t i = 1; i < samples.size(); ++i) EXPECT_GE(samples[i].time, samples[i - 1].time) << number;
    }
    const std::vector<ReaderEvent> video = open.Samples(kVideo);
    ASSERT_EQ(video.size(), 10u);
    // The muxer shifts every stream by the sound encoder's delay; frames stay 0.1 s apart.
    EXPECT_LT(video[0].time, kSecond / 10);
    for (std::size_t i = 0; i < video.size(); ++i) EXPECT_EQ(video[i].time - video[0].time, i * kSecond / 10);
    EXPECT_TRUE(video[0].flags & WM_SF_CLEANPOINT);
    EXPECT_EQ(open.callback->AllocationCount(), 10);   // the video stream's buffers came from the callback
    ASSERT_EQ(open.reader->Stop(), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_STOPPED));
    EXPECT_EQ(open.StatusCount(WMT_END_OF_FILE), 1);
    EXPECT_EQ(open.StatusCount(WMT_ERROR), 0);
}

TEST(WmReader, StartFromTheMiddleStopAndCloseEachComplete)
{
    OpenReader open(Asf(1));
    ASSERT_EQ(open.opened, S_OK);
    open.Receive(kVideo);
    open.Receive(kAudio);
    const QWORD start = kSecond / 2;
    ASSERT_EQ(open.reader->Start(start, 0, 1.0f, nullptr), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_END_OF_FILE));
    for (const ReaderEvent& sample : open.Samples(kAudio)) EXPECT_GE(sample.time, start);
    // Pictures before the start come only from the key frame that decoding starts at.
    const std::vector<ReaderEvent> video = open.Samples(kVideo);
    ASSERT_FALSE(video.empty());
    EXPECT_TRUE(video[0].flags & WM_SF_CLEANPOINT);
    EXPECT_LE(video[0].time, start);
    EXPECT_GT(video.back().time, 9 * kSecond / 10);
    // Frame 5 is the first at or after the start.
    const auto atStart = std::find_if(video.begin(), video.end(), [&](const ReaderEvent& e) { return e.time >= start; });
    ASSERT_NE(atStart, video.end());
    EXPECT_LT(atStart->time, start + kSecond / 10);

    ASSERT_EQ(open.reader->Stop(), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_STOPPED));
    ASSERT_EQ(open.reader->Close(), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_CLOSED));
    const std::size_t seen = open.callback->Events().size();
    EXPECT_EQ(open.reader->Start(0, 0, 1.0f, nullptr), NS_E_INVALID_REQUEST);
    EXPECT_EQ(open.callback->Events().size(), seen);   // nothing after the close
    EXPECT_EQ(open.callback->Events().back().status, WMT_CLOSED);
}

TEST(WmReader, AReadFailingInTheMiddleSendsAnErrorThenTheEndOnce)
{
    const MovieBytes& asf = Asf(1);
    OpenReader open(asf, static_cast<std::int64_t>(asf.size() * 6 / 10));
    ASSERT_EQ(open.opened, S_OK);
    open.Receive(kVideo);
    open.Receive(kAudio);
    ASSERT_EQ(open.reader->Start(0, 0, 1.0f, nullptr), S_OK);
    ASSERT_TRUE(open.callback->WaitForStatus(WMT_END_OF_FILE));
    std::vector<LONG> statuses;
    for (const ReaderEvent& event : open.callback->Events()) {
        if (event.kind == ReaderEvent::Status) statuses.push_back(event.status);
    }
    EXPECT_EQ(statuses, (std::vector<LONG>{WMT_OPENED, WMT_STARTED, WMT_ERROR, WMT_END_OF_FILE}));
    EXPECT_FALSE(open.Samples(kVideo).empty());
    EXPECT_LT(open.Samples(kVideo).size(), 10u);
}

TEST(WmReader, RatesAreBroughtIntoTheRangeTheReaderAccepts)
{
    struct RateCase {
        float rate;
        float accepted;
    };
    for (const RateCase& c : {RateCase{1.0f, 1.0f}, {2.0f, 2.0f}, {0.0f, 1.0f}, {-3.0f, 1.0f}, {50.0f, 10.0f}, {0.01f, 0.1f}})
        EXPECT_EQ(platform::WmReader::AcceptedRate(c.rate), c.accepted) << c.rate;
}

}  // namespace
