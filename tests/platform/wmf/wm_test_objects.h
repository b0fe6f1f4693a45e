// Test objects around the Windows Media reader: an IStream over bytes in memory that, like the
// movie player's, takes every seek as absolute and reports a size of 0; and a callback that
// records what the reader calls on its threads.
#pragma once

#include "platform/wmf/wmf.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace wmf_test {

class MemoryStream final : public IStream {
public:
    // Reads stop short at `failFrom` and fail from there on (-1: none does).
    explicit MemoryStream(std::vector<std::uint8_t> bytes, std::int64_t failFrom = -1);   // one reference for the caller

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    HRESULT SetSize(ULARGE_INTEGER size) override;
    HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Revert() override;
    HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;
    HRESULT Clone(IStream** stream) override;

private:
    ~MemoryStream() = default;
    std::atomic<ULONG> m_RefCount{1};
    std::vector<std::uint8_t> m_Bytes;
    std::uint64_t m_Position = 0;
    std::int64_t m_FailFrom;
};

struct ReaderEvent {
    enum Kind { Status, Sample, Time } kind = Status;
    LONG status = 0;
    HRESULT result = S_OK;
    WORD stream = 0;
    QWORD time = 0;
    DWORD flags = 0;
    std::vector<std::uint8_t> bytes;
};

class RecordingCallback final : public IWMReaderCallback, public IWMReaderCallbackAdvanced {
public:
    RecordingCallback();   // one reference for the caller

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT OnStatus(WMT_STATUS status, HRESULT result, WMT_ATTR_DATATYPE type, BYTE* value, void* context) override;
    HRESULT OnSample(DWORD output, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample, void* context) override;
    HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                           void* context) override;
    HRESULT OnTime(QWORD time, void* context) override;
    HRESULT OnStreamSelection(WORD count, WORD* streams, WMT_STREAM_SELECTION* selections, void* context) override;
    HRESULT OnOutputPropsChanged(DWORD output, WM_MEDIA_TYPE* type, void* context) override;
    HRESULT AllocateForStream(WORD stream, DWORD size, INSSBuffer** buffer, void* context) override;
    HRESULT AllocateForOutput(DWORD output, DWORD size, INSSBuffer** buffer, void* context) override;

    // Waits (at most a minute, real time) until `done` holds for the events so far.
    bool WaitFor(const std::function<bool(const std::vector<ReaderEvent>&)>& done);
    bool WaitForStatus(LONG status, int occurrences = 1);
    std::vector<ReaderEvent> Events();
    int AllocationCount() const { return m_Allocations.load(); }

private:
    ~RecordingCallback() = default;
    std::atomic<ULONG> m_RefCount{1};
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<ReaderEvent> m_Events;
    std::atomic<int> m_Allocations{0};
};

}  // namespace wmf_test
