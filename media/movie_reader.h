// GxMovieReader ("FileReader" in a movie graph): the source filter that offers a movie file to
// DirectShow's parsers through IAsyncReader on its one output pin, GxMovieReaderOutputPin
// ("Output"). The file comes as a byte stream of the media type the movie player puts into the
// filter before the graph is built.
#pragma once

#include "media/movie_async_reader.h"
#include "platform/dshow/base_pin.h"

// {B80A63B9-B38E-42E0-9BE8-353F06B4C447}
inline constexpr CLSID CLSID_GxMovieReader = {0xB80A63B9, 0xB38E, 0x42E0, {0x9B, 0xE8, 0x35, 0x3F, 0x06, 0xB4, 0xC4, 0x47}};

class GxMovieReader;

class GxMovieReaderOutputPin : public CBasePin, public IAsyncReader {
public:
    GxMovieReaderOutputPin(HRESULT* result, GxMovieReader* reader, GxMovieAsyncReader* io, CCritSec* lock);

    DECLARE_IUNKNOWN
    // Asking for IAsyncReader is what lets the downstream pin connect.
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    // VFW_E_NO_TRANSPORT when the downstream pin took the connection without asking for
    // IAsyncReader (the pin learns that only once the other side has seen the connection).
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;

    HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* properties,
                             IMemAllocator** actual) override;
    // The span is the sample's times divided by 10,000,000; one that does not fit the sample's
    // buffer (or is negative) is refused with E_INVALIDARG.
    HRESULT Request(IMediaSample* sample, DWORD_PTR user) override;
    HRESULT WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user) override;
    HRESULT SyncReadAligned(IMediaSample* sample) override;
    HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) override;
    HRESULT Length(LONGLONG* total, LONGLONG* available) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    bool QueriedForAsyncReader() const { return m_QueriedForAsyncReader; }

private:
    // The sample's span, cut at the (aligned) end of the stream, with its stop time moved to
    // match; E_INVALIDARG when it cannot be read into the sample's buffer.
    HRESULT SampleSpan(IMediaSample* sample, LONGLONG* position, LONG* length, BYTE** buffer);
    HRESULT InitAllocator(IMemAllocator** allocator);

    bool m_QueriedForAsyncReader = false;
    GxMovieReader* m_Reader;
    GxMovieAsyncReader* m_Io;
};

class GxMovieReader : public CBaseFilter {
public:
    // Reads `stream`, which stays the caller's (the movie player deletes it after the graph).
    GxMovieReader(LPCWSTR name, LPUNKNOWN outer, CAsyncStream* stream, HRESULT* result);
    // Stops the worker thread and frees its requests.
    ~GxMovieReader() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    // Nothing to shut down here; readers with a session of their own override it, and the
    // movie player calls it as it closes.
    virtual void Shutdown() {}

    // The type the output pin offers; set before the graph is built, under the filter lock.
    void SetOutputMediaType(const CMediaType& type);
    const CMediaType* OutputMediaType() const { return &m_MediaType; }
    CCritSec* FilterLock() { return &m_FilterLock; }
    GxMovieAsyncReader& Io() { return m_Io; }

private:
    CCritSec m_FilterLock;
    GxMovieAsyncReader m_Io;
    GxMovieReaderOutputPin m_OutputPin;
    CMediaType m_MediaType;
};
