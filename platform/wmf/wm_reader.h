// The Windows Media reader WMCreateReader makes: reads an ASF file through the IStream it is
// given (absolute seeks only, size unknown) with FFmpeg's ASF demuxer and hands the compressed
// samples of its selected streams to the callback. One thread of its own runs every command
// (open, start, stop, close) and the delivery, and makes every callback; each command always
// ends with its status, also when it fails. The thread waits on a platform event, so tests can
// settle a graph that holds a reader.
#pragma once

#include "platform/dshow/ffmpeg_handles.h"
#include "platform/dshow/media_type.h"
#include "platform/wmf/wmf.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform {

class WmReader final : public IWMReader, public IWMReaderAdvanced2, public IWMProfile, public IWMHeaderInfo {
public:
    WmReader();   // one reference for the caller

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IWMReader
    HRESULT Open(LPCWSTR url, IWMReaderCallback* callback, void* context) override;
    HRESULT Close() override;
    HRESULT Start(QWORD start, QWORD duration, float rate, void* context) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Resume() override;

    // IWMReaderAdvanced / IWMReaderAdvanced2
    HRESULT SetUserProvidedClock(BOOL userClock) override;
    HRESULT GetUserProvidedClock(BOOL* userClock) override;
    HRESULT DeliverTime(QWORD time) override;
    HRESULT GetStreamSelected(WORD stream, WMT_STREAM_SELECTION* selection) override;
    HRESULT SetReceiveStreamSamples(WORD stream, BOOL receive) override;
    HRESULT GetReceiveStreamSamples(WORD stream, BOOL* receive) override;
    HRESULT SetAllocateForStream(WORD stream, BOOL allocate) override;
    HRESULT GetAllocateForStream(WORD stream, BOOL* allocate) override;
    HRESULT GetMaxStreamSampleSize(WORD stream, DWORD* size) override;
    HRESULT OpenStream(IStream* stream, IWMReaderCallback* callback, void* context) override;

    // IWMProfile
    HRESULT GetStreamCount(DWORD* count) override;
    HRESULT GetStream(DWORD index, IWMStreamConfig** config) override;

    // IWMHeaderInfo: "Duration" of stream 0, a QWORD, when the header gives a play duration.
    HRESULT GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length) override;

    // The rate Start keeps: zero, negative or non-finite rates play at 1.0; others are held
    // within 0.1 to 10.
    static float AcceptedRate(float rate);

private:
    enum class Command { Open, Start, Stop, Close, Quit };
    struct Request {
        Command command;
        QWORD start = 0;
    };
    struct StreamInfo {
        WORD number = 0;
        int index = -1;   // FFmpeg's stream index
        bool video = false;
        bool selected = false;
        bool receive = false;
        bool allocate = false;
        std::u16string name;
        CMediaType type;
        DWORD maxSize = 0;
    };
    struct Held {   // a video sample kept until the target of a seek is reached
        WORD number;
        QWORD time;
        QWORD duration;
        bool key;
        std::vector<std::uint8_t> bytes;
    };

    ~WmReader();
    void Post(const Request& request);
    void WakeThread();                                // m_Mutex held
    void WaitForWake(std::unique_lock<std::mutex>& lock);
    void TakeWake(std::unique_lock<std::mutex>& lock);   // the thread's, before it calls back
    bool CommandWaiting();
    void ThreadMain();
    HRESULT DoOpen();
    bool OpenInput();
    void DoStart(QWORD start);
    bool DeliverSample(WORD number, QWORD time, QWORD duration, DWORD flags, const std::uint8_t* data, std::size_t size);
    void Status(WMT_STATUS status, HRESULT result);
    StreamInfo* StreamOf(WORD number);
    static int ReadPacket(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence);

    std::atomic<ULONG> m_RefCount{1};
    std::mutex m_Mutex;               // everything below that both threads touch
    HANDLE m_Wake;                    // auto reset
    bool m_ThreadWoken = false;       // m_Wake set and not yet taken
    std::deque<Request> m_Requests;
    IStream* m_Stream = nullptr;                       // counted while open
    IWMReaderCallback* m_Callback = nullptr;           // counted while open
    IWMReaderCallbackAdvanced* m_Advanced = nullptr;   // counted while open
    void* m_Context = nullptr;
    bool m_UserClock = false;
    QWORD m_DeliverTime = 0;
    bool m_OnTimeDue = false;
    bool m_Opened = false;
    float m_Rate = 1.0f;
    std::vector<StreamInfo> m_Streams;
    std::optional<QWORD> m_Duration;
    std::thread m_Thread;

    // The reader thread's own.
    std::int64_t m_Position = 0;
    FfIo m_Io;
    FfInput m_Input;
    FfPacket m_Packet;
};

}  // namespace platform
