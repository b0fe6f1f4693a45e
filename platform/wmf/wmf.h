// The Windows Media Format subset the movie player's Windows Media reader filter uses: the
// reader made by WMCreateReader, its profile, stream configurations, media properties and header
// attributes, the callbacks it calls on its own threads, the buffers it writes samples into,
// and the IStream it reads from. Our own declarations; identifiers no file on disk holds are of
// our choosing.
#pragma once

#include "platform/dshow/dshow.h"

using QWORD = std::uint64_t;

// Result codes.
constexpr HRESULT NS_E_INVALID_REQUEST = static_cast<HRESULT>(0xC00D002Bu);
constexpr HRESULT NS_E_INVALID_DATA = static_cast<HRESULT>(0xC00D1B5Eu);
constexpr HRESULT ASF_E_BUFFERTOOSMALL = static_cast<HRESULT>(0xC00D07D2u);
constexpr HRESULT ASF_E_NOTFOUND = static_cast<HRESULT>(0xC00D07F0u);
constexpr HRESULT NS_E_NO_STREAM = static_cast<HRESULT>(0xC00D0035u);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = static_cast<HRESULT>(0x80030008u);

enum WMT_STATUS : LONG {
    WMT_ERROR = 0,
    WMT_OPENED = 1,
    WMT_BUFFERING_START = 2,
    WMT_BUFFERING_STOP = 3,
    WMT_END_OF_FILE = 4,
    WMT_END_OF_SEGMENT = 5,
    WMT_END_OF_STREAMING = 6,
    WMT_LOCATING = 7,
    WMT_CONNECTING = 8,
    WMT_NO_RIGHTS = 9,
    WMT_MISSING_CODEC = 10,
    WMT_STARTED = 11,
    WMT_STOPPED = 12,
    WMT_CLOSED = 13,
};

enum WMT_ATTR_DATATYPE : LONG {
    WMT_TYPE_DWORD = 0,
    WMT_TYPE_STRING = 1,
    WMT_TYPE_BINARY = 2,
    WMT_TYPE_BOOL = 3,
    WMT_TYPE_QWORD = 4,
    WMT_TYPE_WORD = 5,
    WMT_TYPE_GUID = 6,
};

enum WMT_STREAM_SELECTION : LONG { WMT_OFF = 0, WMT_CLEANPOINT_ONLY = 1, WMT_ON = 2 };

// Flags of OnStreamSample.
constexpr DWORD WM_SF_CLEANPOINT = 0x1;
constexpr DWORD WM_SF_DISCONTINUITY = 0x2;
constexpr DWORD WM_SF_DATALOSS = 0x4;

// The same layout as AM_MEDIA_TYPE: the reader's types go to DirectShow pins as they are.
using WM_MEDIA_TYPE = AM_MEDIA_TYPE;

inline constexpr GUID WMMEDIATYPE_Video = MEDIATYPE_Video;
inline constexpr GUID WMMEDIATYPE_Audio = MEDIATYPE_Audio;
inline constexpr GUID WMFORMAT_VideoInfo = FORMAT_VideoInfo;
inline constexpr GUID WMFORMAT_WaveFormatEx = FORMAT_WaveFormatEx;

// Our own identifiers: one family, told apart by the first field.
constexpr GUID TarnwickWmfGuid(DWORD id)
{
    return {id, 0x5E02, 0x4A7B, {0x8C, 0x11, 0x6D, 0x2A, 0x90, 0x3F, 0xE4, 0x58}};
}

inline constexpr IID IID_IStream = TarnwickWmfGuid(0x0001);
inline constexpr IID IID_INSSBuffer = TarnwickWmfGuid(0x0002);
inline constexpr IID IID_IWMStatusCallback = TarnwickWmfGuid(0x0003);
inline constexpr IID IID_IWMReaderCallback = TarnwickWmfGuid(0x0004);
inline constexpr IID IID_IWMReaderCallbackAdvanced = TarnwickWmfGuid(0x0005);
inline constexpr IID IID_IWMReader = TarnwickWmfGuid(0x0006);
inline constexpr IID IID_IWMReaderAdvanced = TarnwickWmfGuid(0x0007);
inline constexpr IID IID_IWMReaderAdvanced2 = TarnwickWmfGuid(0x0008);
inline constexpr IID IID_IWMProfile = TarnwickWmfGuid(0x0009);
inline constexpr IID IID_IWMStreamConfig = TarnwickWmfGuid(0x000A);
inline constexpr IID IID_IWMMediaProps = TarnwickWmfGuid(0x000B);
inline constexpr IID IID_IWMHeaderInfo = TarnwickWmfGuid(0x000C);

// --- IStream ------------------------------------------------------------------------------

enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };
constexpr DWORD STGTY_STREAM = 2;

struct STATSTG {
    WCHAR* pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    GUID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

struct IStream : IUnknown {
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;
    virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
    virtual HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
    virtual HRESULT Clone(IStream** stream) = 0;
};

// --- buffers and callbacks ----------------------------------------------------------------

struct INSSBuffer : IUnknown {
    virtual HRESULT GetLength(DWORD* length) = 0;
    virtual HRESULT SetLength(DWORD length) = 0;
    virtual HRESULT GetMaxLength(DWORD* length) = 0;
    virtual HRESULT GetBuffer(BYTE** buffer) = 0;
    virtual HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) = 0;
};

struct IWMStatusCallback : IUnknown {
    virtual HRESULT OnStatus(WMT_STATUS status, HRESULT result, WMT_ATTR_DATATYPE type, BYTE* value, void* context) = 0;
};

struct IWMReaderCallback : IWMStatusCallback {
    // Decompressed samples: the movie player takes stream samples only.
    virtual HRESULT OnSample(DWORD output, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                             void* context) = 0;
};

struct IWMReaderCallbackAdvanced : IUnknown {
    virtual HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                                   void* context) = 0;
    virtual HRESULT OnTime(QWORD time, void* context) = 0;
    virtual HRESULT OnStreamSelection(WORD count, WORD* streams, WMT_STREAM_SELECTION* selections, void* context) = 0;
    virtual HRESULT OnOutputPropsChanged(DWORD output, WM_MEDIA_TYPE* type, void* context) = 0;
    virtual HRESULT AllocateForStream(WORD stream, DWORD size, INSSBuffer** buffer, void* context) = 0;
    virtual HRESULT AllocateForOutput(DWORD output, DWORD size, INSSBuffer** buffer, void* context) = 0;
};

// --- the reader and what it describes -----------------------------------------------------

struct IWMMediaProps : IUnknown {
    virtual HRESULT GetType(GUID* type) = 0;
    // With a null type, the size the whole type needs (the format block follows the struct).
    virtual HRESULT GetMediaType(WM_MEDIA_TYPE* type, DWORD* size) = 0;
};

struct IWMStreamConfig : IUnknown {
    virtual HRESULT GetStreamType(GUID* type) = 0;
    virtual HRESULT GetStreamNumber(WORD* number) = 0;
    // The name with its terminating zero; a null name asks for the length only.
    virtual HRESULT GetStreamName(WCHAR* name, WORD* length) = 0;
};

struct IWMProfile : IUnknown {
    virtual HRESULT GetStreamCount(DWORD* count) = 0;
    virtual HRESULT GetStream(DWORD index, IWMStreamConfig** config) = 0;
};

struct IWMHeaderInfo : IUnknown {
    // Stream 0 is the file. A null value asks for the length only.
    virtual HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value,
                                       WORD* length) = 0;
};

struct IWMReader : IUnknown {
    virtual HRESULT Open(LPCWSTR url, IWMReaderCallback* callback, void* context) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT Start(QWORD start, QWORD duration, float rate, void* context) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Resume() = 0;
};

struct IWMReaderAdvanced : IUnknown {
    virtual HRESULT SetUserProvidedClock(BOOL userClock) = 0;
    virtual HRESULT GetUserProvidedClock(BOOL* userClock) = 0;
    virtual HRESULT DeliverTime(QWORD time) = 0;
    virtual HRESULT GetStreamSelected(WORD stream, WMT_STREAM_SELECTION* selection) = 0;
    virtual HRESULT SetReceiveStreamSamples(WORD stream, BOOL receive) = 0;
    virtual HRESULT GetReceiveStreamSamples(WORD stream, BOOL* receive) = 0;
    virtual HRESULT SetAllocateForStream(WORD stream, BOOL allocate) = 0;
    virtual HRESULT GetAllocateForStream(WORD stream, BOOL* allocate) = 0;
    virtual HRESULT GetMaxStreamSampleSize(WORD stream, DWORD* size) = 0;
};

struct IWMReaderAdvanced2 : IWMReaderAdvanced {
    virtual HRESULT OpenStream(IStream* stream, IWMReaderCallback* callback, void* context) = 0;
};

// A reader with one reference for the caller. `unknown` and `rights` must be null and 0.
HRESULT WMCreateReader(IUnknown* unknown, DWORD rights, IWMReader** reader);
