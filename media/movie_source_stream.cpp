#include "media/movie_source_stream.h"

#include "platform/win32/sync.h"
#include "platform/win32/timer.h"

#include <algorithm>

GxMovieSourceFilterFile::GxMovieSourceFilterFile(const std::u16string& fileName, DWORD rate)
    : m_Rate(rate), m_StartTime(timeGetTime())
{
    // A missing file leaves the stream closed; the movie player reports it.
    m_File.Open(fileName);
}

GxMovieSourceFilterFile::~GxMovieSourceFilterFile()
{
    if (m_File.IsOpen())
        m_File.Close();
}

HRESULT GxMovieSourceFilterFile::SetPointer(LONGLONG position)
{
    GxMutexScopedLock lock(m_Lock);
    if (!m_File.IsOpen() || position < 0 || static_cast<std::uint64_t>(position) > m_File.GetSize())
        return S_FALSE;
    if (!m_File.Seek(position, 0))
        return S_FALSE;
    m_Position = static_cast<std::uint64_t>(position);
    return S_OK;
}

HRESULT GxMovieSourceFilterFile::Read(BYTE* buffer, DWORD count, BOOL, DWORD* bytesRead)
{
    GxMutexScopedLock lock(m_Lock);
    if (bytesRead)
        *bytesRead = 0;
    if (!m_File.IsOpen())
        return S_FALSE;
    const std::uint64_t size = m_File.GetSize();
    const std::uint64_t left = m_Position < size ? size - m_Position : 0;
    const DWORD toRead = static_cast<DWORD>(std::min<std::uint64_t>(count, left));

    if (!IsUnlimited()) {
        // Not faster than the rate: wait until the end of this read is due.
        const DWORD due = static_cast<DWORD>((m_Position + toRead) / m_Rate);
        const DWORD elapsed = timeGetTime() - m_StartTime;
        if (elapsed < due)
            Sleep(due - elapsed);
    }

    const DWORD got = toRead == 0 ? 0 : m_File.Read(buffer, toRead);
    m_Position += got;
    if (bytesRead)
        *bytesRead = got;
    return got == toRead ? S_OK : S_FALSE;
}

LONGLONG GxMovieSourceFilterFile::Size(LONGLONG* available)
{
    const std::uint64_t size = m_File.IsOpen() ? m_File.GetSize() : 0;
    if (available) {
        if (IsUnlimited()) {
            *available = static_cast<LONGLONG>(size);
        } else {
            const std::uint64_t elapsed = static_cast<DWORD>(timeGetTime() - m_StartTime);
            *available = static_cast<LONGLONG>(std::min<std::uint64_t>(size, elapsed * m_Rate));
        }
    }
    return static_cast<LONGLONG>(size);
}
