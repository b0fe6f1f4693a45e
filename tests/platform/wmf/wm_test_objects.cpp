#include "tests/platform/wmf/wm_test_objects.h"

#include "platform/wmf/wm_buffer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace wmf_test {

// --- MemoryStream -------------------------------------------------------------------------

MemoryStream::MemoryStream(std::vector<std::uint8_t> bytes, std::int64_t failFrom)
    : m_Bytes(std::move(bytes)), m_FailFrom(failFrom)
{
}

HRESULT MemoryStream::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(riid == IID_IUnknown) && !(riid == IID_IStream)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IStream*>(this);
    return S_OK;
}

ULONG MemoryStream::AddRef() { return ++m_RefCount; }

ULONG MemoryStream::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) delete this;
    return count;
}

HRESULT MemoryStream::Read(void* buffer, ULONG count, ULONG* read)
{
    const std::uint64_t available = m_Position < m_Bytes.size() ? m_Bytes.size() - m_Position : 0;
    auto length = static_cast<ULONG>(std::min<std::uint64_t>(count, available));
    // The bytes before a broken spot still come; the read after them fails.
    if (m_FailFrom >= 0) {
        const auto failFrom = static_cast<std::uint64_t>(m_FailFrom);
        if (m_Position >= failFrom) return E_FAIL;
        length = static_cast<ULONG>(std::min<std::uint64_t>(length, failFrom - m_Position));
    }
    if (length) std::memcpy(buffer, m_Bytes.data() + m_Position, length);
    m_Position += length;
    if (read) *read = length;
    return S_OK;
}

HRESULT MemoryStream::Write(const void*, ULONG, ULONG*) { return E_NOTIMPL; }

HRESULT MemoryStream::Seek(LARGE_INTEGER move, DWORD, ULARGE_INTEGER* newPosition)
{
    // Every offset is a position from the start, whatever the origin; the position reported is 0.
    m_Position = static_cast<std::uint64_t>(std::max<LONGLONG>(0, move.QuadPart));
    if (newPosition) newPosition->QuadPart = 0;
    return S_OK;
}

HRESULT MemoryStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }

HRESULT MemoryStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }

HRESULT MemoryStream::Commit(DWORD) { return E_NOTIMPL; }

HRESULT MemoryStream::Revert() { return E_NOTIMPL; }

HRESULT MemoryStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }

HRESULT MemoryStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }

HRESULT MemoryStream::Stat(STATSTG* stat, DWORD)
{
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->type = STGTY_STREAM;
    return S_OK;
}

HRESULT MemoryStream::Clone(IStream** stream)
{
    if (!stream) return STG_E_INVALIDPOINTER;
    *stream = new MemoryStream(m_Bytes, m_FailFrom);
    return S_OK;
}

// --- RecordingCallback --------------------------------------------------------------------

RecordingCallback::RecordingCallback() = default;

HRESULT RecordingCallback::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IWMReaderCallback || riid == IID_IWMStatusCallback) {
        *object = static_cast<IWMReaderCallback*>(this);
    } else if (riid == IID_IWMReaderCallbackAdvanced) {
        *object = static_cast<IWMReaderCallbackAdvanced*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG RecordingCallback::AddRef() { return ++m_RefCount; }

ULONG RecordingCallback::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) delete this;
    return count;
}

HRESULT RecordingCallback::OnStatus(WMT_STATUS status, HRESULT result, WMT_ATTR_DATATYPE, BYTE*, void*)
{
    ReaderEvent event;
    event.kind = ReaderEvent::Status;
    event.status = status;
    event.result = result;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Events.push_back(std::move(event));
    }
    m_Changed.notify_all();
    return S_OK;
}

HRESULT RecordingCallback::OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) { return S_FALSE; }

HRESULT RecordingCallback::OnStreamSample(WORD stream, QWORD time, QWORD, DWORD flags, INSSBuffer* sample, void*)
{
    ReaderEvent event;
    event.kind = ReaderEvent::Sample;
    event.stream = stream;
    event.time = time;
    event.flags = flags;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (sample && SUCCEEDED(sample->GetBufferAndLength(&data, &length))) event.bytes.assign(data, data + length);
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Events.push_back(std::move(event));
    }
    m_Changed.notify_all();
    return S_OK;
}

HRESULT RecordingCallback::OnTime(QWORD time, void*)
{
    ReaderEvent event;
    event.kind = ReaderEvent::Time;
    event.time = time;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Events.push_back(std::move(event));
    }
    m_Changed.notify_all();
    return S_OK;
}

HRESULT RecordingCallback::OnStreamSelection(WORD, WORD*, WMT_STREAM_SELECTION*, void*) { return S_OK; }

HRESULT RecordingCallback::OnOutputPropsChanged(DWORD, WM_MEDIA_TYPE*, void*) { return S_OK; }

HRESULT RecordingCallback::AllocateForStream(WORD, DWORD size, INSSBuffer** buffer, void*)
{
    if (!buffer) return E_POINTER;
    ++m_Allocations;
    *buffer = new platform::WmBuffer(size);
    return S_OK;
}

HRESULT RecordingCallback::AllocateForOutput(DWORD, DWORD, INSSBuffer**, void*) { return E_NOTIMPL; }

bool RecordingCallback::WaitFor(const std::function<bool(const std::vector<ReaderEvent>&)>& done)
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::minutes(1), [&] { return done(m_Events); });
}

bool RecordingCallback::WaitForStatus(LONG status, int occurrences)
{
    return WaitFor([&](const std::vector<ReaderEvent>& events) {
        return std::count_if(events.begin(), events.end(), [&](const ReaderEvent& event) {
                   return event.kind == ReaderEvent::Status && event.status == status;
               }) >= occurrences;
    });
}

std::vector<ReaderEvent> RecordingCallback::Events()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Events;
}

}  // namespace wmf_test
