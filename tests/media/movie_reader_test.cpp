// The asynchronous reader and the reader filter: queued and synchronous reads through
// IAsyncReader, the cut at the end of the file, short reads, flushing, alignment, the worker
// thread's life, allocators, media types and the connection rule.
#include "media/movie_reader.h"
#include "media/movie_source_stream.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/mem_allocator.h"
#include "tests/media/media_fixture.h"
#include "tests/media/movie_test_filters.h"

#include <filesystem>
#include <thread>

namespace {

using movietest::MemoryStream;
using movietest::RawFrameParser;
using movietest::TestSample;

std::vector<BYTE> Pattern(std::size_t size)
{
    std::vector<BYTE> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(i * 13 + 1);
    return bytes;
}

CMediaType StreamType(const GUID& subtype)
{
    CMediaType type(&MEDIATYPE_Stream);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_None);   // fully specified, so a connection tries just this type
    return type;
}

// A reader filter over a stream, with the pin's IAsyncReader.
struct ReaderUnderTest {
    explicit ReaderUnderTest(CAsyncStream* stream)
    {
        HRESULT hr = S_OK;
        filter = new GxMovieReader(u"FileReader", nullptr, stream, &hr);
        EXPECT_EQ(hr, S_OK);
        filter->AddRef();
        pin = static_cast<GxMovieReaderOutputPin*>(filter->GetPin(0));
        EXPECT_EQ(pin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(&reader)), S_OK);
    }
    ~ReaderUnderTest() { Release(); }
    void Release()
    {
        if (reader) reader->Release();
        if (filter) {
            EXPECT_EQ(filter->Release(), 0u);
        }
        reader = nullptr;
        filter = nullptr;
    }
    GxMovieReader* filter = nullptr;
    GxMovieReaderOutputPin* pin = nullptr;
    IAsyncReader* reader = nullptr;
};

class MovieReaderTest : public MediaTest {
protected:
    void SetUp() override
    {
        MediaTest::SetUp();
        ASSERT_TRUE(WriteBytesToFile(m_Folder.Join("clip.mpg").string(), Pattern(1000)));
        m_Stream = std::make_unique<GxMovieSourceFilterFile>(u"clip.mpg");
        ASSERT_TRUE(m_Stream->IsOpen());
        m_Reader = std::make_unique<ReaderUnderTest>(m_Stream.get());
    }
    void TearDown() override
    {
        m_Reader.reset();   // the filter goes before the stream it reads
        m_Stream.reset();
        MediaTest::TearDown();
    }
    IAsyncReader* Reader() { return m_Reader->reader; }

    std::unique_ptr<GxMovieSourceFilterFile> m_Stream;
    std::unique_ptr<ReaderUnderTest> m_Reader;
};

bool HoldsBytes(TestSample& sample, std::size_t from, std::size_t count)
{
    const std::vector<BYTE> all = Pattern(1000);
    return std::equal(sample.Data(), sample.Data() + count, all.begin() + static_cast<std::ptrdiff_t>(from));
}

TEST_F(MovieReaderTest, QueuedRequestsCompleteInOrderAndTheLastIsCutAtTheEnd)
{
    struct Ask {
        LONGLONG position;
        LONGLONG length;
        LONG actual;
    };
    const Ask asks[] = {{0, 16, 16}, {500, 64, 64}, {992, 16, 8}, {100, 1, 1}};
    std::vector<std::unique_ptr<TestSample>> samples;
    EXPECT_FALSE(m_Reader->filter->Io().HasWorkerThread());
    for (std::size_t i = 0; i < std::size(asks); ++i) {
        samples.push_back(std::make_unique<TestSample>(64));
        samples.back()->SetSpan(asks[i].position, asks[i].length);
        ASSERT_EQ(Reader()->Request(samples.back().get(), 100 + i), S_OK) << i;
    }
    EXPECT_TRUE(m_Reader->filter->Io().HasWorkerThread());
    // The cut happened as the request was queued: the stop time now ends at the file's end.
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    samples[2]->GetTime(&start, &stop);
    EXPECT_EQ(start, 992 * kUnitsPerSecond);
    EXPECT_EQ(stop, 1000 * kUnitsPerSecond);

    for (std::size_t i = 0; i < std::size(asks); ++i) {
        IMediaSample* done = nullptr;
        DWORD_PTR user = 0;
        ASSERT_EQ(Reader()->WaitForNext(INFINITE, &done, &user), S_OK) << i;
        EXPECT_EQ(done, samples[i].get());
        EXPECT_EQ(user, 100 + i);
        EXPECT_EQ(samples[i]->GetActualDataLength(), asks[i].actual);
        EXPECT_TRUE(HoldsBytes(*samples[i], static_cast<std::size_t>(asks[i].position), asks[i].actual)) << i;
    }
    // Nothing left: a zero wait answers at once.
    IMediaSample* none = nullptr;
    DWORD_PTR user = 0;
    EXPECT_EQ(Reader()->WaitForNext(0, &none, &user), VFW_E_TIMEOUT);
    EXPECT_EQ(none, nullptr);
}

TEST_F(MovieReaderTest, AShortReadInTheMiddleOfTheFileFails)
{
    std::filesystem::resize_file(m_Folder.Join("clip.mpg"), 500);
    for (LONGLONG position : {LONGLONG{490}, LONGLONG{600}}) {
        TestSample sample(64);
        sample.SetSpan(position, 16);
        ASSERT_EQ(Reader()->Request(&sample, 1), S_OK);
        IMediaSample* done = nullptr;
        DWORD_PTR user = 0;
        EXPECT_EQ(Reader()->WaitForNext(INFINITE, &done, &user), E_FAIL) << position;
        EXPECT_EQ(done, &sample);
        EXPECT_EQ(sample.GetActualDataLength(), -1);   // left alone on failure
    }
}

TEST_F(MovieReaderTest, SpansThatDoNotFitTheSampleAreRefusedBeforeTheyAreQueued)
{
    struct Span {
        REFERENCE_TIME start;
        REFERENCE_TIME stop;
    };
    const Span spans[] = {
        {0, 65 * kUnitsPerSecond},                          // longer than the buffer
        {-10 * kUnitsPerSecond, 0},                         // negative position
        {20 * kUnitsPerSecond, 10 * kUnitsPerSecond},       // negative length
        {2000 * kUnitsPerSecond, 2010 * kUnitsPerSecond},   // past the end of the file
        {0, kMaxReferenceTime},                             // a length beyond any buffer
    };
    for (const Span& span : spans) {
        TestSample sample(64);
        REFERENCE_TIME start = span.start;
        REFERENCE_TIME stop = span.stop;
        sample.SetTime(&start, &stop);
        EXPECT_EQ(Reader()->Request(&sample, 0), E_INVALIDARG) << span.start << ".." << span.stop;
        EXPECT_EQ(Reader()->SyncReadAligned(&sample), E_INVALIDARG) << span.start << ".." << span.stop;
    }
    EXPECT_FALSE(m_Reader->filter->Io().HasWorkerThread());
    // A span cut at the end of the file fits again.
    TestSample sample(64);
    sample.SetSpan(960, 100);
    EXPECT_EQ(Reader()->SyncReadAligned(&sample), S_OK);
    EXPECT_EQ(sample.GetActualDataLength(), 40);
    EXPECT_TRUE(HoldsBytes(sample, 960, 40));
}

TEST_F(MovieReaderTest, SynchronousReadsAndTheLength)
{
    std::vector<BYTE> buffer(32, 0);
    EXPECT_EQ(Reader()->SyncRead(3, 7, buffer.data() + 1), S_OK);
    const std::vector<BYTE> all = Pattern(1000);
    EXPECT_TRUE(std::equal(buffer.begin() + 1, buffer.begin() + 8, all.begin() + 3));
    EXPECT_EQ(Reader()->SyncRead(995, 10, buffer.data()), S_FALSE);   // fewer bytes at the end
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 5, all.begin() + 995));
    EXPECT_EQ(Reader()->SyncRead(-1, 4, buffer.data()), E_INVALIDARG);

    TestSample sample(16);
    sample.SetSpan(16, 16);
    EXPECT_EQ(Reader()->SyncReadAligned(&sample), S_OK);
    EXPECT_EQ(sample.GetActualDataLength(), 16);
    EXPECT_TRUE(HoldsBytes(sample, 16, 16));

    LONGLONG total = 0;
    LONGLONG available = 0;
    EXPECT_EQ(Reader()->Length(&total, &available), S_OK);
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(available, 1000);
    EXPECT_FALSE(m_Reader->filter->Io().HasWorkerThread());   // synchronous reads need no thread
}

TEST_F(MovieReaderTest, FlushingRefusesRequestsAndReleasesWaiters)
{
    ASSERT_EQ(Reader()->BeginFlush(), S_OK);
    TestSample sample(16);
    sample.SetSpan(0, 16);
    EXPECT_EQ(Reader()->Request(&sample, 1), VFW_E_WRONG_STATE);
    IMediaSample* done = nullptr;
    DWORD_PTR user = 0;
    EXPECT_EQ(Reader()->WaitForNext(INFINITE, &done, &user), VFW_E_WRONG_STATE);   // does not block
    EXPECT_EQ(done, nullptr);
    ASSERT_EQ(Reader()->EndFlush(), S_OK);
    EXPECT_EQ(Reader()->WaitForNext(0, &done, &user), VFW_E_TIMEOUT);
    ASSERT_EQ(Reader()->Request(&sample, 2), S_OK);
    EXPECT_EQ(Reader()->WaitForNext(INFINITE, &done, &user), S_OK);
    EXPECT_EQ(user, 2u);
}

// --- memory streams: alignment, held reads, the worker thread --------------------------------

class MovieReaderStreamTest : public MediaTest {
protected:
    void SetUp() override
    {
        MediaTest::SetUp();
        platform::RegisterDshowClasses();   // the memory allocator
    }
};

TEST_F(MovieReaderStreamTest, AlignedRequestsOffTheStreamsAlignmentAreRefused)
{
    MemoryStream stream(Pattern(1000), 4);
    ReaderUnderTest reader(&stream);
    struct Case {
        LONGLONG position;
        LONGLONG length;
        std::size_t offset;   // of the buffer from an aligned address
        HRESULT expected;
    };
    for (const Case& c : {Case{2, 8, 0, VFW_E_BADALIGN}, {0, 6, 0, VFW_E_BADALIGN}, {4, 8, 0, S_OK}}) {
        TestSample sample(16, c.offset);
        sample.SetSpan(c.position, c.length);
        EXPECT_EQ(reader.reader->SyncReadAligned(&sample), c.expected) << c.position << "+" << c.length;
    }
    TestSample raw(32, 1);
    EXPECT_EQ(reader.filter->Io().Request(0, 8, TRUE, raw.Data(), nullptr, 0), VFW_E_BADALIGN);
    std::vector<BYTE> buffer(32, 0);
    TestSample misaligned(16, 1);
    misaligned.SetSpan(0, 8);
    EXPECT_EQ(reader.reader->Request(&misaligned, 0), VFW_E_BADALIGN);
    // A synchronous read off the alignment is served unaligned.
    EXPECT_EQ(reader.reader->SyncRead(2, 5, buffer.data() + 1), S_OK);
    const std::vector<BYTE> all = Pattern(1000);
    EXPECT_TRUE(std::equal(buffer.begin() + 1, buffer.begin() + 6, all.begin() + 2));

    // The end of the file, 1000, is already a multiple of 4: a request past it is cut there.
    TestSample last(16);
    last.SetSpan(996, 16);
    ASSERT_EQ(reader.reader->Request(&last, 7), S_OK);
    IMediaSample* done = nullptr;
    DWORD_PTR user = 0;
    EXPECT_EQ(reader.reader->WaitForNext(INFINITE, &done, &user), S_OK);
    EXPECT_EQ(last.GetActualDataLength(), 4);
}

TEST_F(MovieReaderStreamTest, RequestAllocatorFixesTheAlignmentAndPrefersTheOfferedAllocator)
{
    MemoryStream stream(Pattern(1000), 4);
    ReaderUnderTest reader(&stream);
    struct Case {
        LONG asked;
        LONG used;
    };
    for (const Case& c : {Case{0, 4}, {2, 4}, {8, 8}}) {
        ALLOCATOR_PROPERTIES properties{2, 64, c.asked, 0};
        IMemAllocator* allocator = nullptr;
        ASSERT_EQ(reader.reader->RequestAllocator(nullptr, &properties, &allocator), S_OK);
        EXPECT_EQ(properties.cbAlign, c.used);
        ALLOCATOR_PROPERTIES actual{};
        EXPECT_EQ(allocator->GetProperties(&actual), S_OK);
        EXPECT_EQ(actual.cbAlign, c.used);
        EXPECT_EQ(actual.cbBuffer, 64);
        EXPECT_EQ(allocator->Release(), 0u);
    }
    HRESULT hr = S_OK;
    auto* preferred = new CMemAllocator(u"Preferred", nullptr, &hr);
    preferred->AddRef();
    ALLOCATOR_PROPERTIES properties{1, 32, 0, 0};
    IMemAllocator* allocator = nullptr;
    ASSERT_EQ(reader.reader->RequestAllocator(preferred, &properties, &allocator), S_OK);
    EXPECT_EQ(allocator, static_cast<IMemAllocator*>(preferred));
    EXPECT_EQ(allocator->Release(), 1u);
    EXPECT_EQ(preferred->Release(), 0u);
}

TEST_F(MovieReaderStreamTest, AReadInProgressLetsOthersQueueAndFlushWaitsForIt)
{
    const int endedBefore = MemoryStream::s_ReaderThreadsEnded.load();
    MemoryStream stream(Pattern(1000), 1);
    {
        ReaderUnderTest reader(&stream);
        stream.HoldReads(true);
        TestSample first(16);
        first.SetSpan(0, 16);
        ASSERT_EQ(reader.reader->Request(&first, 1), S_OK);
        ASSERT_EQ(WaitForSingleObject(stream.Entered(), INFINITE), WAIT_OBJECT_0);   // the worker is reading

        // The list lock is free while the first read is held: a second request queues at once.
        TestSample second(16);
        second.SetSpan(16, 16);
        ASSERT_EQ(reader.reader->Request(&second, 2), S_OK);

        // The flush hands the queued request back at once and waits for the one in progress.
        std::thread flusher([&] { EXPECT_EQ(reader.reader->BeginFlush(), S_OK); });
        IMediaSample* done = nullptr;
        DWORD_PTR user = 0;
        EXPECT_EQ(reader.reader->WaitForNext(INFINITE, &done, &user), VFW_E_TIMEOUT);   // never read
        EXPECT_EQ(done, &second);
        EXPECT_EQ(user, 2u);
        stream.Release();
        flusher.join();
        EXPECT_EQ(reader.reader->WaitForNext(INFINITE, &done, &user), S_OK);
        EXPECT_EQ(done, &first);
        EXPECT_EQ(first.GetActualDataLength(), 16);
        // Flushing with nothing left: waiters are released instead of blocking.
        EXPECT_EQ(reader.reader->WaitForNext(INFINITE, &done, &user), VFW_E_WRONG_STATE);
        EXPECT_EQ(reader.reader->EndFlush(), S_OK);
        stream.HoldReads(false);
        EXPECT_EQ(stream.Reads(), 1);
        EXPECT_EQ(MemoryStream::s_ReaderThreadsEnded.load(), endedBefore);   // still running
    }
    // Destroying the filter stopped and joined the worker thread.
    EXPECT_EQ(MemoryStream::s_ReaderThreadsEnded.load(), endedBefore + 1);
}

TEST_F(MovieReaderStreamTest, QueuedRequestsLeftAtDestructionAreFreedWithTheFilter)
{
    MemoryStream stream(Pattern(100), 1);
    ReaderUnderTest reader(&stream);
    std::vector<std::unique_ptr<TestSample>> samples;
    for (int i = 0; i < 3; ++i) {
        samples.push_back(std::make_unique<TestSample>(8));
        samples.back()->SetSpan(i * 8, 8);
        ASSERT_EQ(reader.reader->Request(samples.back().get(), 0), S_OK);
    }
    reader.Release();   // no waits: the sanitizer build shows any request left behind
}

// --- the filter and its pin ------------------------------------------------------------------

TEST_F(MovieReaderTest, TheFilterHasOneOutputPinOfferingItsMediaType)
{
    GxMovieReader* filter = m_Reader->filter;
    EXPECT_EQ(filter->GetPinCount(), 1);
    EXPECT_EQ(filter->GetPin(1), nullptr);
    EXPECT_EQ(filter->GetPin(-1), nullptr);
    CBasePin* pin = filter->GetPin(0);
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(pin->Name(), u"Output");
    EXPECT_EQ(pin->Direction(), PINDIR_OUTPUT);
    CLSID clsid{};
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_GxMovieReader);

    filter->SetOutputMediaType(StreamType(MEDIASUBTYPE_MPEG1System));
    CMediaType type;
    EXPECT_EQ(pin->GetMediaType(-1, &type), E_INVALIDARG);
    EXPECT_EQ(pin->GetMediaType(1, &type), VFW_S_NO_MORE_ITEMS);
    ASSERT_EQ(pin->GetMediaType(0, &type), S_OK);
    EXPECT_EQ(type, *filter->OutputMediaType());

    struct Check {
        GUID filterSubtype;
        CMediaType offered;
        HRESULT expected;
    };
    CMediaType video(&MEDIATYPE_Video);
    video.SetSubtype(&MEDIASUBTYPE_MPEG1System);
    const Check checks[] = {
        {MEDIASUBTYPE_MPEG1System, StreamType(MEDIASUBTYPE_MPEG1System), S_OK},
        {MEDIASUBTYPE_MPEG1System, StreamType(MEDIASUBTYPE_Avi), S_FALSE},
        {MEDIASUBTYPE_MPEG1System, video, S_FALSE},
        {GUID_NULL, StreamType(MEDIASUBTYPE_Avi), S_OK},
        {GUID_NULL, video, S_FALSE},
    };
    for (const Check& check : checks) {
        filter->SetOutputMediaType(StreamType(check.filterSubtype));
        EXPECT_EQ(pin->CheckMediaType(&check.offered), check.expected);
    }
}

TEST_F(MovieReaderStreamTest, ADownstreamPinMustAskForIAsyncReaderToConnect)
{
    MemoryStream stream(movietest::RawFrameFile(4, 2, 3), 1);
    HRESULT hr = S_OK;
    auto* filter = new GxMovieReader(u"FileReader", nullptr, &stream, &hr);
    filter->AddRef();
    const CMediaType type = StreamType(movietest::kRawFramesSubtype);
    filter->SetOutputMediaType(type);
    auto* pin = static_cast<GxMovieReaderOutputPin*>(filter->GetPin(0));
    EXPECT_FALSE(pin->QueriedForAsyncReader());

    auto* silent = new RawFrameParser(false);
    silent->AddRef();
    EXPECT_EQ(pin->Connect(silent->GetPin(0), &type), VFW_E_NO_TRANSPORT);
    EXPECT_FALSE(pin->IsConnected());
    EXPECT_FALSE(silent->GetPin(0)->IsConnected());

    auto* asking = new RawFrameParser(true);
    asking->AddRef();
    ASSERT_EQ(pin->Connect(asking->GetPin(0), &type), S_OK);
    EXPECT_TRUE(pin->QueriedForAsyncReader());
    EXPECT_EQ(asking->Width(), 4);   // the parser read the header through the pin
    EXPECT_EQ(asking->Height(), 2);
    EXPECT_EQ(asking->GetPin(0)->Disconnect(), S_OK);
    EXPECT_EQ(pin->Disconnect(), S_OK);
    EXPECT_FALSE(pin->QueriedForAsyncReader());   // breaking the connection cleared it

    EXPECT_EQ(asking->Release(), 0u);
    EXPECT_EQ(silent->Release(), 0u);
    EXPECT_EQ(filter->Release(), 0u);
}

}  // namespace
