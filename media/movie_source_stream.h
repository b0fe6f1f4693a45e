// GxMovieSourceFilterFile: a movie file as the byte stream of the asynchronous reader, read
// through GxFileHandle so that a movie may lie loose on disk or inside a pack archive.
// Reads can be throttled to a transfer rate; the engine always passes the unlimited rate.
#pragma once

#include "foundation/file_handle.h"
#include "foundation/mutex.h"
#include "media/async_stream.h"

#include <cstdint>
#include <string>

class GxMovieSourceFilterFile : public CAsyncStream {
public:
    static constexpr DWORD kUnlimitedRate = 0xFFFFFFFFu;

    // Opens the file at once; IsOpen tells whether that worked. `rate` is in bytes per
    // millisecond.
    explicit GxMovieSourceFilterFile(const std::u16string& fileName, DWORD rate = kUnlimitedRate);
    ~GxMovieSourceFilterFile() override;

    bool IsOpen() const { return m_File.IsOpen(); }

    HRESULT SetPointer(LONGLONG position) override;
    // The count is cut to what remains; a file read that delivers fewer bytes than that (the
    // file shrank on disk) gives S_FALSE with the bytes it did read.
    HRESULT Read(BYTE* buffer, DWORD count, BOOL aligned, DWORD* bytesRead) override;
    LONGLONG Size(LONGLONG* available = nullptr) override;
    DWORD Alignment() override { return 1; }
    void Lock() override { m_Lock.Lock(); }
    void Unlock() override { m_Lock.Unlock(); }

private:
    bool IsUnlimited() const { return m_Rate == kUnlimitedRate || m_Rate == 0; }

    GxMutex m_Lock;
    GxFileHandle m_File;
    std::uint64_t m_Position = 0;
    DWORD m_Rate;
    DWORD m_StartTime;
};
