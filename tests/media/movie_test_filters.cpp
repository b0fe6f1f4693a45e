#include "tests/media/movie_test_filters.h"

#include "platform/win32/file.h"

#include <algorithm>
#include <cstring>

namespace movietest {

LONG RowPitch(LONG width) { return (width * 3 + 3) & ~3; }

std::vector<BYTE> RawFrame(LONG width, LONG height, int index)
{
    const LONG pitch = RowPitch(width);
    std::vector<BYTE> frame(static_cast<std::size_t>(pitch * height), 0);
    for (LONG y = 0; y < height; ++y) {
        BYTE* row = frame.data() + static_cast<std::size_t>((height - 1 - y) * pitch);   // bottom-up
        for (LONG x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<BYTE>(x * 16 + index);
            row[x * 3 + 1] = static_cast<BYTE>(y * 16 + index);
            row[x * 3 + 2] = static_cast<BYTE>(0x80 + index);
        }
    }
    return frame;
}

std::vector<BYTE> RawFrameFile(LONG width, LONG height, int count)
{
    std::vector<BYTE> file(12);
    const std::uint32_t header[3] = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                     static_cast<std::uint32_t>(count)};
    std::memcpy(file.data(), header, sizeof(header));
    for (int f = 0; f < count; ++f) {
        const std::vector<BYTE> frame = RawFrame(width, height, f);
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

// --- TestSample ----------------------------------------------------------------------------

TestSample::TestSample(LONG size, std::size_t offset)
    : m_Storage(static_cast<std::size_t>(size) + offset + 32, 0xEE), m_Size(size)
{
    // The buffer starts `offset` bytes past a 16-byte boundary, whatever the vector was given.
    const auto address = reinterpret_cast<std::uintptr_t>(m_Storage.data());
    m_Offset = (16 - address % 16) % 16 + offset;
}

void TestSample::SetSpan(LONGLONG position, LONGLONG length)
{
    m_Start = position * kUnitsPerSecond;
    m_End = (position + length) * kUnitsPerSecond;
}

HRESULT TestSample::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaSample) {
        *object = static_cast<IMediaSample*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT TestSample::GetPointer(BYTE** buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = Data();
    return S_OK;
}

HRESULT TestSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    *start = m_Start;
    *end = m_End;
    return S_OK;
}

HRESULT TestSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (start) m_Start = *start;
    if (end) m_End = *end;
    return S_OK;
}

HRESULT TestSample::SetActualDataLength(LONG length)
{
    if (length < 0 || length > m_Size) return VFW_E_BUFFER_OVERFLOW;
    m_Actual = length;
    return S_OK;
}

HRESULT TestSample::GetMediaType(AM_MEDIA_TYPE** type)
{
    *type = nullptr;
    return S_FALSE;
}

HRESULT TestSample::SetDiscontinuity(BOOL discontinuity)
{
    m_Discontinuity = discontinuity != FALSE;
    return S_OK;
}

// --- MemoryStream --------------------------------------------------------------------------

std::atomic<int> MemoryStream::s_ReaderThreadsEnded{0};

namespace {
// Counts the end of each thread that read from a memory stream.
struct ThreadEndCounter {
    ~ThreadEndCounter() { ++MemoryStream::s_ReaderThreadsEnded; }
};
}  // namespace

MemoryStream::MemoryStream(std::vector<BYTE> bytes, DWORD alignment)
    : m_Bytes(std::move(bytes)),
      m_Alignment(alignment),
      m_Entered(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_Released(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

MemoryStream::~MemoryStream()
{
    CloseHandle(m_Entered);
    CloseHandle(m_Released);
}

HRESULT MemoryStream::SetPointer(LONGLONG position)
{
    if (position < 0 || static_cast<std::uint64_t>(position) > m_Bytes.size()) return S_FALSE;
    m_Position = static_cast<std::uint64_t>(position);
    return S_OK;
}

HRESULT MemoryStream::Read(BYTE* buffer, DWORD count, BOOL, DWORD* bytesRead)
{
    static thread_local ThreadEndCounter counter;
    (void)counter;
    if (m_Hold) {
        SetEvent(m_Entered);
        WaitForSingleObject(m_Released, INFINITE);
    }
    const std::uint64_t left = m_Bytes.size() - m_Position;
    const DWORD n = static_cast<DWORD>(std::min<std::uint64_t>(count, left));
    std::memcpy(buffer, m_Bytes.data() + m_Position, n);
    m_Position += n;
    *bytesRead = n;
    ++m_Reads;
    return S_OK;
}

LONGLONG MemoryStream::Size(LONGLONG* available)
{
    if (available) *available = static_cast<LONGLONG>(m_Bytes.size());
    return static_cast<LONGLONG>(m_Bytes.size());
}

// --- the raw-frame parser ------------------------------------------------------------------

std::atomic<int> RawFrameParser::s_Live{0};
std::atomic<int> RawFrameParser::s_LiveThreads{0};

RawParserInput::RawParserInput(RawFrameParser* parser, CCritSec* lock)
    : CBasePin(u"Raw parser input", parser, lock, nullptr, u"In", PINDIR_INPUT), m_Parser(parser)
{
}

HRESULT RawParserInput::CheckMediaType(const CMediaType* type)
{
    return type->majortype == MEDIATYPE_Stream && type->subtype == kRawFramesSubtype ? S_OK : S_FALSE;
}

HRESULT RawParserInput::CheckConnect(IPin* pin)
{
    HRESULT hr = CBasePin::CheckConnect(pin);
    if (FAILED(hr) || !m_Parser->m_AskForReader) return hr;
    return pin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(&m_Parser->m_Reader));
}

HRESULT RawParserInput::CompleteConnect(IPin*)
{
    IAsyncReader* reader = m_Parser->m_Reader;
    if (!reader) return S_OK;   // a pin that did not ask still takes the connection
    std::uint32_t header[3] = {};
    const HRESULT hr = reader->SyncRead(0, sizeof(header), reinterpret_cast<BYTE*>(header));
    if (hr != S_OK || header[0] == 0 || header[1] == 0 || header[0] > 4096 || header[1] > 4096) return E_FAIL;
    m_Parser->m_Width = static_cast<LONG>(header[0]);
    m_Parser->m_Height = static_cast<LONG>(header[1]);
    m_Parser->m_Count = static_cast<int>(header[2]);
    return S_OK;
}

HRESULT RawParserInput::BreakConnect()
{
    if (m_Parser->m_Reader) {
        m_Parser->m_Reader->Release();
        m_Parser->m_Reader = nullptr;
    }
    return S_OK;
}

RawParserOutput::RawParserOutput(RawFrameParser* parser, CCritSec* lock)
    : CBaseOutputPin(u"Raw parser output", parser, lock, nullptr, u"Out"), m_Parser(parser)
{
}

HRESULT RawParserOutput::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *type = CMediaType(&MEDIATYPE_Video);
    type->SetSubtype(&MEDIASUBTYPE_RGB24);
    type->SetFormatType(&FORMAT_VideoInfo);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type->AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = m_Parser->m_Width;
    info->bmiHeader.biHeight = m_Parser->m_Height;
    info->bmiHeader.biBitCount = 24;
    info->bmiHeader.biPlanes = 1;
    info->AvgTimePerFrame = kFrameTime;
    return S_OK;
}

HRESULT RawParserOutput::CheckMediaType(const CMediaType* type)
{
    return type->majortype == MEDIATYPE_Video && type->subtype == MEDIASUBTYPE_RGB24 ? S_OK : S_FALSE;
}

HRESULT RawParserOutput::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    request->cBuffers = 2;
    request->cbBuffer = RowPitch(m_Parser->m_Width) * m_Parser->m_Height;
    request->cbAlign = 1;
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(request, &actual);
}

RawFrameParser::RawFrameParser(bool askForReader)
    : CBaseFilter(u"Raw frame parser", nullptr, &m_FilterLock, TarnwickDshowGuid(0x9A02)),
      m_AskForReader(askForReader),
      m_Input(this, &m_FilterLock),
      m_Output(this, &m_FilterLock)
{
    ++s_Live;
}

RawFrameParser::~RawFrameParser()
{
    m_StreamThread.Stop();
    if (m_Reader) m_Reader->Release();
    --s_Live;
}

HRESULT RawFrameParser::Create(IBaseFilter** filter)
{
    auto* parser = new RawFrameParser();
    parser->AddRef();
    *filter = parser;
    return S_OK;
}

CBasePin* RawFrameParser::GetPin(int n)
{
    if (n == 0) return &m_Input;
    if (n == 1) return &m_Output;
    return nullptr;
}

HRESULT RawFrameParser::Pause()
{
    CAutoLock lock(&m_FilterLock);
    const bool wasStopped = m_State == State_Stopped;
    const HRESULT hr = CBaseFilter::Pause();
    if (SUCCEEDED(hr) && wasStopped && m_Reader && !m_StreamThread.Running())
        m_StreamThread.Start([this] { Stream(); }, &s_LiveThreads);
    return hr;
}

HRESULT RawFrameParser::Stop()
{
    CAutoLock lock(&m_FilterLock);
    m_StreamThread.RequestQuit();
    const HRESULT hr = CBaseFilter::Stop();   // the decommit frees a thread waiting for a buffer
    m_StreamThread.Stop();
    return hr;
}

void RawFrameParser::Stream()
{
    const LONG frameBytes = RowPitch(m_Width) * m_Height;
    m_Output.DeliverNewSegment(0, m_Count * kFrameTime, 1.0);
    bool ended = true;
    for (int index = 0; index < m_Count; ++index) {
        if (m_StreamThread.Quitting()) {
            ended = false;
            break;
        }
        IMediaSample* sample = nullptr;
        if (FAILED(m_Output.GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) {
            ended = false;
            break;
        }
        // Pull the frame's bytes into the renderer's own buffer, then stamp it with its time.
        const LONGLONG position = 12 + static_cast<LONGLONG>(index) * frameBytes;
        REFERENCE_TIME from = position * kUnitsPerSecond;
        REFERENCE_TIME to = (position + frameBytes) * kUnitsPerSecond;
        sample->SetTime(&from, &to);
        IMediaSample* done = nullptr;
        DWORD_PTR user = 0;
        HRESULT hr = m_Reader->Request(sample, static_cast<DWORD_PTR>(index));
        if (hr == S_OK) hr = m_Reader->WaitForNext(INFINITE, &done, &user);
        if (hr != S_OK || done != sample || user != static_cast<DWORD_PTR>(index)) {
            sample->Release();
            ended = false;
            break;
        }
        from = index * kFrameTime;
        to = (index + 1) * kFrameTime;
        sample->SetTime(&from, &to);
        hr = m_Output.Deliver(sample);
        sample->Release();
        if (hr != S_OK) {
            ended = false;
            break;
        }
    }
    if (ended && !m_StreamThread.Quitting()) m_Output.DeliverEndOfStream();
    m_StreamThread.ParkUntilQuit();
}

}  // namespace movietest
