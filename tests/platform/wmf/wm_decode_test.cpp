// The decoder filter the graph inserts behind the Windows Media reader filter's pins: the
// reader's WMV2 and WMA2 samples, pushed through it, come out as frames and PCM.
#include "platform/dshow/base_pin.h"
#include "platform/dshow/movie_convert.h"
#include "platform/dshow/movie_decoder_filter.h"
#include "platform/wmf/wm_reader.h"
#include "tests/platform/wmf/wm_test_objects.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

namespace {

using namespace wmf_test;

// One output pin that delivers what the test pushes, on the test's thread.
class PushPin final : public CBaseOutputPin {
public:
    PushPin(CBaseFilter* filter, CCritSec* lock, const CMediaType& type)
        : CBaseOutputPin(u"Push pin", filter, lock, nullptr, u"Out"), m_Type(type)
    {
    }
    HRESULT GetMediaType(int position, CMediaType* type) override
    {
        if (position != 0) return VFW_S_NO_MORE_ITEMS;
        *type = m_Type;
        return S_OK;
    }
    HRESULT CheckMediaType(const CMediaType* type) override { return *type == m_Type ? S_OK : VFW_E_TYPE_NOT_ACCEPTED; }
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override
    {
        ALLOCATOR_PROPERTIES wanted = *request;
        wanted.cBuffers = 2;
        wanted.cbBuffer = 256 * 1024;
        ALLOCATOR_PROPERTIES actual{};
        return allocator->SetProperties(&wanted, &actual);
    }
    HRESULT Push(const std::vector<std::uint8_t>& bytes, REFERENCE_TIME start, bool sync)
    {
        IMediaSample* sample = nullptr;
        HRESULT hr = GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(hr)) return hr;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::memcpy(data, bytes.data(), bytes.size());
        sample->SetActualDataLength(static_cast<LONG>(bytes.size()));
        REFERENCE_TIME stop = start + 1;
        sample->SetTime(&start, &stop);
        sample->SetSyncPoint(sync ? TRUE : FALSE);
        hr = Deliver(sample);
        sample->Release();
        return hr;
    }

private:
    CMediaType m_Type;
};

class PushSource final : public CBaseFilter {
public:
    explicit PushSource(const CMediaType& type)
        : CBaseFilter(u"Push source", nullptr, &m_Lock, TarnwickDshowGuid(0x9401)), m_Pin(this, &m_Lock, type)
    {
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }
    PushPin& Pin() { return m_Pin; }

private:
    CCritSec m_Lock;
    PushPin m_Pin;
};

struct Output {
    std::vector<std::uint8_t> bytes;
    REFERENCE_TIME start;
};

class CollectPin final : public CBaseInputPin {
public:
    CollectPin(CBaseFilter* filter, CCritSec* lock) : CBaseInputPin(u"Collect pin", filter, lock, nullptr, u"In") {}
    HRESULT CheckMediaType(const CMediaType* type) override
    {
        return type->subtype == MEDIASUBTYPE_RGB24 || type->subtype == MEDIASUBTYPE_PCM ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT Receive(IMediaSample* sample) override
    {
        const HRESULT hr = CBaseInputPin::Receive(sample);
        if (hr != S_OK) return hr;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        Output output;
        output.bytes.assign(data, data + sample->GetActualDataLength());
        REFERENCE_TIME stop = 0;
        sample->GetTime(&output.start, &stop);
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Outputs.push_back(std::move(output));
        return S_OK;
    }
    HRESULT EndOfStream() override
    {
        m_Ended = true;
        return S_OK;
    }
    std::vector<Output> Outputs()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Outputs;
    }
    bool Ended() const { return m_Ended; }

private:
    std::mutex m_Mutex;
    std::vector<Output> m_Outputs;
    std::atomic<bool> m_Ended{false};
};

class CollectSink final : public CBaseFilter {
public:
    CollectSink() : CBaseFilter(u"Collect sink", nullptr, &m_Lock, TarnwickDshowGuid(0x9402)), m_Pin(this, &m_Lock) {}
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }
    CollectPin& Pin() { return m_Pin; }

private:
    CCritSec m_Lock;
    CollectPin m_Pin;
};

CMediaType StreamType(IWMReader* reader, WORD number)
{
    CMediaType result;
    IWMProfile* profile = nullptr;
    EXPECT_EQ(reader->QueryInterface(IID_IWMProfile, reinterpret_cast<void**>(&profile)), S_OK);
    DWORD count = 0;
    profile->GetStreamCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        IWMStreamConfig* config = nullptr;
        profile->GetStream(i, &config);
        WORD stream = 0;
        config->GetStreamNumber(&stream);
        if (stream == number) {
            IWMMediaProps* props = nullptr;
            config->QueryInterface(IID_IWMMediaProps, reinterpret_cast<void**>(&props));
            DWORD size = 0;
            props->GetMediaType(nullptr, &size);
            std::vector<std::uint64_t> storage((size + 7) / 8);
            auto* type = reinterpret_cast<WM_MEDIA_TYPE*>(storage.data());
            props->GetMediaType(type, &size);
            result = *type;   // copies the format block
            props->Release();
        }
        config->Release();
    }
    profile->Release();
    return result;
}

TEST(WmDecode, TheDecoderFilterTurnsTheReadersWmv2AndWma2SamplesIntoFramesAndPcm)
{
    TestMovieSpec spec;
    spec.container = TestMovieContainer::Asf;
    spec.audioStreams = 1;
    const MovieBytes bytes = BuildTestMovie(spec);
    ASSERT_FALSE(bytes.empty());
    auto* stream = new MemoryStream(bytes);
    auto* callback = new RecordingCallback;
    IWMReader* reader = nullptr;
    ASSERT_EQ(WMCreateReader(nullptr, 0, &reader), S_OK);
    IWMReaderAdvanced2* advanced = nullptr;
    ASSERT_EQ(reader->QueryInterface(IID_IWMReaderAdvanced2, reinterpret_cast<void**>(&advanced)), S_OK);
    ASSERT_EQ(advanced->OpenStream(stream, callback, nullptr), S_OK);
    ASSERT_TRUE(callback->WaitForStatus(WMT_OPENED));
    for (WORD number : {WORD{1}, WORD{2}}) ASSERT_EQ(advanced->SetReceiveStreamSamples(number, TRUE), S_OK);
    ASSERT_EQ(reader->Start(0, 0, 1.0f, nullptr), S_OK);
    ASSERT_TRUE(callback->WaitForStatus(WMT_END_OF_FILE));

    struct DecodeCase {
        const char* name;
        WORD stream;
    };
    for (const DecodeCase& c : {DecodeCase{"WMV2", 1}, DecodeCase{"WMA2", 2}}) {
        SCOPED_TRACE(c.name);
        const CMediaType type = StreamType(reader, c.stream);
        EXPECT_NE(CMovieDecoderFilter::CodecOf(type), AV_CODEC_ID_NONE);
        auto* source = new PushSource(type);
        source->AddRef();
        IBaseFilter* decoderFilter = nullptr;
        ASSERT_EQ(CMovieDecoderFilter::Create(&decoderFilter), S_OK);
        auto* decoder = static_cast<CMovieDecoderFilter*>(decoderFilter);
        auto* sink = new CollectSink;
        sink->AddRef();
        ASSERT_EQ(source->GetPin(0)->Connect(decoder->GetPin(0), nullptr), S_OK);
        ASSERT_EQ(decoder->GetPin(1)->Connect(sink->GetPin(0), nullptr), S_OK);
        sink->Pause();
        decoder->Pause();
        source->Pause();
        QWORD first = 0;
        bool any = false;
        for (const ReaderEvent& event : callback->Events()) {
            if (event.kind != ReaderEvent::Sample || event.stream != c.stream) continue;
            if (!any) first = event.time;
            any = true;
            EXPECT_EQ(source->Pin().Push(event.bytes, static_cast<REFERENCE_TIME>(event.time - first),
                                         (event.flags & WM_SF_CLEANPOINT) != 0),
                      S_OK);
        }
        EXPECT_EQ(source->Pin().DeliverEndOfStream(), S_OK);
        EXPECT_TRUE(sink->Pin().Ended());
        const std::vector<Output> outputs = sink->Pin().Outputs();
        if (c.stream == 1) {
            ASSERT_EQ(outputs.size(), 10u);
            for (std::size_t i = 0; i < outputs.size(); ++i) {
                ASSERT_EQ(outputs[i].bytes.size(), static_cast<std::size_t>(platform::MovieRowBytes(64) * 48));
                const std::uint8_t* pixel = outputs[i].bytes.data() + platform::MovieRowBytes(64) * 24 + 32 * 3;
                EXPECT_EQ(TestMovieFrameNumber(pixel[0], pixel[1], pixel[2]), static_cast<int>(i));
                EXPECT_EQ(outputs[i].start, static_cast<REFERENCE_TIME>(i) * kUnitsPerSecond / 10);
            }
        } else {
            std::size_t samples = 0;
            int loudest = 0;
            for (const Output& output : outputs) {
                samples += output.bytes.size() / 2;
                for (std::size_t i = 0; i + 1 < output.bytes.size(); i += 2) {
                    const auto value = static_cast<std::int16_t>(output.bytes[i] | (output.bytes[i + 1] << 8));
                    loudest = std::max(loudest, std::abs(static_cast<int>(value)));
                }
            }
            EXPECT_GE(samples, 20000u);   // about one second at 22,050 Hz, mono
            EXPECT_LE(samples, 26000u);
            EXPECT_GT(loudest, 8000);
        }
        source->Stop();
        decoder->Stop();
        sink->Stop();
        source->GetPin(0)->Disconnect();
        decoder->GetPin(0)->Disconnect();
        decoder->GetPin(1)->Disconnect();
        sink->GetPin(0)->Disconnect();
        source->Release();
        decoderFilter->Release();
        sink->Release();
    }
    ASSERT_EQ(reader->Close(), S_OK);
    ASSERT_TRUE(callback->WaitForStatus(WMT_CLOSED));
    advanced->Release();
    reader->Release();
    callback->Release();
    stream->Release();
}

}  // namespace
