// The Windows Media reader filter on movies the fixture builder makes: its IStream over the
// source stream, the pins an open gives, the callbacks driven directly, and the pins' seeking.
#include "media/movie_reader_wmv.h"
#include "media/movie_sample_wmv.h"
#include "media/movie_stream_input_wmv.h"
#include "platform/wmf/wm_buffer.h"
#include "tests/media/movie_test_filters.h"
#include "tests/support/movie_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using movietest::MemoryStream;

std::vector<BYTE> Bytes(const MovieBytes& movie) { return std::vector<BYTE>(movie.begin(), movie.end()); }

TEST(MovieStreamInputWMV, ReadsSeeksAndReportsTheStoredValue)
{
    MemoryStream source({1, 2, 3, 4, 5, 6, 7, 8}, 1);
    auto* input = new GxMovieStreamInputWMV(&source, 77);
    IStream* stream = nullptr;
    ASSERT_EQ(input->NonDelegatingQueryInterface(IID_IStream, reinterpret_cast<void**>(&stream)), S_OK);

    LARGE_INTEGER move{};
    move.QuadPart = 5;
    ULARGE_INTEGER reported{};
    // The origin is not looked at: every seek is from the start.
    EXPECT_EQ(stream->Seek(move, STREAM_SEEK_END, &reported), S_OK);
    EXPECT_EQ(reported.QuadPart, 77u);
    BYTE buffer[8] = {};
    ULONG read = 99;
    EXPECT_EQ(stream->Read(buffer, 8, &read), S_OK);
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(buffer[0], 6);
    EXPECT_EQ(stream->Read(buffer, 8, &read), S_OK);   // at the end
    EXPECT_EQ(read, 0u);

    STATSTG stat;
    std::memset(&stat, 0xCD, sizeof(stat));
    EXPECT_EQ(stream->Stat(&stat, 0), S_OK);
    EXPECT_EQ(stat.type, STGTY_STREAM);
    EXPECT_EQ(stat.cbSize.QuadPart, 77u);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(stat.grfMode, 0u);
    EXPECT_EQ(stream->Stat(nullptr, 0), STG_E_INVALIDPOINTER);

    IStream* clone = nullptr;
    EXPECT_EQ(stream->Clone(nullptr), STG_E_INVALIDPOINTER);
    ASSERT_EQ(stream->Clone(&clone), S_OK);
    move.QuadPart = 1;
    EXPECT_EQ(clone->Seek(move, STREAM_SEEK_SET, &reported), S_OK);
    EXPECT_EQ(reported.QuadPart, 77u);
    EXPECT_EQ(clone->Read(buffer, 1, &read), S_OK);
    EXPECT_EQ(buffer[0], 2);
    EXPECT_EQ(clone->Release(), 0u);

    ULARGE_INTEGER none{};
    EXPECT_EQ(stream->Write(buffer, 1, nullptr), E_NOTIMPL);
    EXPECT_EQ(stream->SetSize(none), E_NOTIMPL);
    EXPECT_EQ(stream->CopyTo(nullptr, none, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(stream->Commit(0), E_NOTIMPL);
    EXPECT_EQ(stream->Revert(), E_NOTIMPL);
    EXPECT_EQ(stream->LockRegion(none, none, 0), E_NOTIMPL);
    EXPECT_EQ(stream->UnlockRegion(none, none, 0), E_NOTIMPL);
    EXPECT_EQ(stream->Release(), 0u);
}

TEST(MovieStreamInputWMV, AReadThatFailsGivesNoBytes)
{
    struct FailingStream final : CAsyncStream {
        HRESULT SetPointer(LONGLONG) override { return S_OK; }
        HRESULT Read(BYTE*, DWORD, BOOL, DWORD* bytesRead) override
        {
            *bytesRead = 3;   // what a failing read leaves is not to be trusted
            return S_FALSE;
        }
        LONGLONG Size(LONGLONG*) override { return 3; }
        DWORD Alignment() override { return 1; }
        void Lock() override {}
        void Unlock() override {}
    } source;
    GxMovieStreamInputWMV input(&source);
    input.NonDelegatingAddRef();
    BYTE buffer[4] = {};
    ULONG read = 99;
    EXPECT_EQ(input.Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(read, 0u);
}

// A reader filter opened on a movie in memory; shut down and released at the end.
class ReaderWMVTest : public ::testing::Test {
protected:
    void Open(const TestMovieSpec& spec)
    {
        const MovieBytes movie = BuildTestMovie(spec);
        ASSERT_FALSE(movie.empty());
        m_Source = std::make_unique<MemoryStream>(Bytes(movie), 1);
        HRESULT hr = E_FAIL;
        m_Reader = new GxMovieReaderWMV(CLSID_WMAsfReader, u"FileReader", nullptr, m_Source.get(), &hr);
        ASSERT_EQ(hr, S_OK);
        m_Reader->AddRef();
    }
    void TearDown() override
    {
        if (!m_Reader) return;
        m_Reader->Shutdown();
        EXPECT_EQ(m_Reader->Release(), 0u);   // the closed reader let go of its callback
    }
    static TestMovieSpec Wmv(int audioStreams = 0)
    {
        TestMovieSpec spec;
        spec.container = TestMovieContainer::Asf;
        spec.frames = 10;
        spec.framesPerSecond = 10;
        spec.audioStreams = audioStreams;
        return spec;
    }
    GxMovieOutputPinWMV* Pin(int n) { return static_cast<GxMovieOutputPinWMV*>(m_Reader->GetPin(n)); }

    std::unique_ptr<MemoryStream> m_Source;
    GxMovieReaderWMV* m_Reader = nullptr;
};

TEST_F(ReaderWMVTest, OneOutputPinPerSelectedStreamInStreamOrder)
{
    Open(Wmv(2));   // video and two sound streams: the second sound stream is listed, not selected
    ASSERT_EQ(m_Reader->GetPinCount(), 2);
    EXPECT_EQ(m_Reader->GetPin(2), nullptr);
    EXPECT_EQ(m_Reader->GetPin(-1), nullptr);
    EXPECT_LT(Pin(0)->StreamNumber(), Pin(1)->StreamNumber());
    CMediaType first;
    CMediaType second;
    ASSERT_EQ(Pin(0)->GetMediaType(0, &first), S_OK);
    ASSERT_EQ(Pin(1)->GetMediaType(0, &second), S_OK);
    EXPECT_EQ(first.majortype, MEDIATYPE_Video);
    EXPECT_EQ(second.majortype, MEDIATYPE_Audio);
    EXPECT_EQ(Pin(0)->GetMediaType(1, &first), VFW_S_NO_MORE_ITEMS);
    EXPECT_EQ(Pin(0)->CheckMediaType(&first), S_OK);
    EXPECT_EQ(Pin(0)->CheckMediaType(&second), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_GT(Pin(0)->BufferSize(), 0);
    EXPECT_GE(m_Reader->Duration(), 10'000'000);   // the sound runs a little past the last frame
    EXPECT_LT(m_Reader->Duration(), 11'000'000);
    CLSID clsid{};
    m_Reader->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_WMAsfReader);
}

TEST_F(ReaderWMVTest, NoDurationAttributeLeavesTheDurationAtZero)
{
    TestMovieSpec spec = Wmv();
    spec.playDuration = false;
    Open(spec);
    EXPECT_EQ(m_Reader->Duration(), 0);
    LONGLONG stop = -5;
    EXPECT_EQ(Pin(0)->GetStopPosition(&stop), S_OK);
    EXPECT_EQ(stop, 0);
}

TEST(ReaderWMVOpen, AFileTheReaderCannotOpenFailsTheConstruction)
{
    TestMovieSpec spec;
    spec.container = TestMovieContainer::Asf;
    MovieBytes cut = BuildTestMovie(spec);
    ASSERT_GT(cut.size(), 200u);
    cut.resize(100);
    for (const std::vector<BYTE>& bytes : {std::vector<BYTE>(cut.begin(), cut.end()), std::vector<BYTE>(4096, 0x5A)}) {
        MemoryStream source(bytes, 1);
        HRESULT hr = S_OK;
        auto* reader = new GxMovieReaderWMV(CLSID_WMAsfReader, u"FileReader", nullptr, &source, &hr);
        EXPECT_TRUE(FAILED(hr));
        EXPECT_EQ(reader->GetPinCount(), 0);
        EXPECT_EQ(reader->RefCount(), 0u);   // the reader let go of the callback
        delete reader;
    }
}

TEST_F(ReaderWMVTest, CallbacksDrivenDirectly)
{
    Open(Wmv());
    EXPECT_EQ(m_Reader->OnSample(0, 0, 0, 0, nullptr, nullptr), S_FALSE);
    INSSBuffer* none = nullptr;
    EXPECT_EQ(m_Reader->AllocateForOutput(0, 10, &none, nullptr), E_NOTIMPL);
    EXPECT_EQ(m_Reader->OnStreamSelection(0, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(m_Reader->OnOutputPropsChanged(0, nullptr, nullptr), S_OK);

    const WORD stream = Pin(0)->StreamNumber();
    EXPECT_EQ(m_Reader->AllocateForStream(99, 10, &none, nullptr), E_INVALIDARG);
    auto* foreign = new platform::WmBuffer(16);
    EXPECT_EQ(m_Reader->OnStreamSample(99, 0, 0, 0, foreign, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_Reader->OnStreamSample(stream, 0, 0, 0, foreign, nullptr), E_NOINTERFACE);
    foreign->Release();

    // Pacing: one second ahead of the start, then of each time reported.
    EXPECT_EQ(m_Reader->OnStatus(WMT_STARTED, S_OK, WMT_TYPE_DWORD, nullptr, nullptr), S_OK);
    EXPECT_EQ(m_Reader->DeliveryTime(), 10'000'000u);
    EXPECT_EQ(m_Reader->OnTime(30'000'000, nullptr), S_OK);
    EXPECT_EQ(m_Reader->DeliveryTime(), 40'000'000u);

    // A stop of 5 s ends every stream once at 5 s; afterwards OnTime says so.
    LONGLONG stop = 50'000'000;
    ASSERT_EQ(Pin(0)->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning), S_OK);
    EXPECT_EQ(m_Reader->OnTime(49'999'999, nullptr), S_OK);
    EXPECT_FALSE(m_Reader->EndOfFile());
    EXPECT_EQ(m_Reader->OnTime(50'000'000, nullptr), S_OK);
    EXPECT_TRUE(m_Reader->EndOfFile());
    EXPECT_EQ(m_Reader->OnTime(60'000'000, nullptr), S_FALSE);
    EXPECT_EQ(m_Reader->DeliveryTime(), 59'999'999u);
    EXPECT_EQ(m_Reader->OnStatus(WMT_END_OF_FILE, S_OK, WMT_TYPE_DWORD, nullptr, nullptr), S_OK);
}

TEST_F(ReaderWMVTest, PinsSeekInMediaTime)
{
    Open(Wmv());
    IMediaSeeking* seeking = nullptr;
    ASSERT_EQ(Pin(0)->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)), S_OK);
    DWORD caps = 0;
    EXPECT_EQ(seeking->GetCapabilities(&caps), S_OK);
    EXPECT_EQ(caps, 55u);
    EXPECT_EQ(seeking->IsFormatSupported(&TIME_FORMAT_MEDIA_TIME), S_OK);
    EXPECT_EQ(seeking->IsFormatSupported(&TIME_FORMAT_NONE), S_FALSE);
    EXPECT_EQ(seeking->SetTimeFormat(&TIME_FORMAT_NONE), E_INVALIDARG);
    LONGLONG converted = 0;
    EXPECT_EQ(seeking->ConvertTimeFormat(&converted, &TIME_FORMAT_NONE, 5, &TIME_FORMAT_MEDIA_TIME), E_INVALIDARG);

    LONGLONG stop = 0;
    LONGLONG current = 0;
    EXPECT_EQ(seeking->GetStopPosition(&stop), S_OK);
    EXPECT_EQ(stop, 10'000'000);   // no stop set: the duration
    LONGLONG earliest = -1;
    LONGLONG latest = -1;
    EXPECT_EQ(seeking->GetAvailable(&earliest, &latest), S_OK);
    EXPECT_EQ(earliest, 0);
    EXPECT_EQ(latest, 10'000'000);
    LONGLONG preroll = -1;
    EXPECT_EQ(seeking->GetPreroll(&preroll), S_OK);
    EXPECT_EQ(preroll, 0);

    // Stopped: positions are only stored. Absolute, then relative with the resulting times.
    current = 2'000'000;
    ASSERT_EQ(seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning), S_OK);
    current = 1'000'000;
    stop = -2'000'000;
    ASSERT_EQ(seeking->SetPositions(&current, AM_SEEKING_RelativePositioning | AM_SEEKING_ReturnTime, &stop,
                                    AM_SEEKING_IncrementalPositioning | AM_SEEKING_ReturnTime),
              S_OK);
    EXPECT_EQ(current, 3'000'000);
    EXPECT_EQ(stop, 8'000'000);
    EXPECT_EQ(m_Reader->StartPosition(), 3'000'000);

    // Rates: 0 is refused (every sample time is divided by it), others are kept.
    EXPECT_EQ(seeking->SetRate(0.0), E_INVALIDARG);
    double rate = 0.0;
    EXPECT_EQ(seeking->GetRate(&rate), S_OK);
    EXPECT_EQ(rate, 1.0);
    EXPECT_EQ(seeking->SetRate(2.0), S_OK);
    EXPECT_EQ(m_Reader->Rate(), 2.0);
    seeking->Release();
}

TEST(EncapsulateSample, WrapsTheSampleAndRefusesLengthsBeyondIt)
{
    movietest::TestSample storage(32);   // counts, never frees
    IMediaSample* sample = &storage;
    int owner = 0;
    auto* wrapper = new EncapsulateSample(sample, &owner);
    INSSBuffer* buffer = nullptr;
    ASSERT_EQ(wrapper->NonDelegatingQueryInterface(IID_INSSBuffer, reinterpret_cast<void**>(&buffer)), S_OK);
    DWORD length = 0;
    EXPECT_EQ(buffer->GetMaxLength(&length), S_OK);
    EXPECT_EQ(length, 32u);
    EXPECT_EQ(buffer->SetLength(33), E_INVALIDARG);
    EXPECT_EQ(buffer->SetLength(20), S_OK);
    BYTE* bytes = nullptr;
    EXPECT_EQ(buffer->GetBufferAndLength(&bytes, &length), S_OK);
    EXPECT_EQ(length, 20u);
    BYTE* direct = nullptr;
    sample->GetPointer(&direct);
    EXPECT_EQ(bytes, direct);
    IEncapsulatedAccess* access = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IEncapsulatedAccess, reinterpret_cast<void**>(&access)), S_OK);
    EXPECT_EQ(access->Owner(), &owner);
    IMediaSample* inner = nullptr;
    ASSERT_EQ(access->GetMediaSample(&inner), S_OK);
    EXPECT_EQ(inner, sample);
    inner->Release();
    access->Release();
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(sample->AddRef(), 2u);   // the wrapper let go of its reference
}

}  // namespace
