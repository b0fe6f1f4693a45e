// GxFileHandle: a read-only file with a 64-bit position, either on disk or inside a pack
// archive (then positions count from the entry's first byte and scrambled data is
// descrambled as it is read).
#pragma once

#include "foundation/object_base.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>

class GxPackFileHeaderCache;
struct GxPackFileEntry;

class GxFileHandle : public GxObjectNotCopyable {
public:
    GxFileHandle() = default;
    ~GxFileHandle() override;

    // Opens a loose file, else the entry of the first pack that holds the name. An open
    // handle is closed first.
    bool Open(const std::u16string& name);
    // Reads up to `count` bytes from the position; fewer at the end, 0 once at the end.
    std::uint32_t Read(void* buffer, std::uint32_t count);
    // origin 0 from the start, 1 from the position, 2 from the end; the target is clamped to
    // the file. False for another origin or when the OS seek fails.
    bool Seek(std::int64_t offset, int origin);
    void Close();

    std::uint64_t Tell() const { return m_Position; }
    std::uint64_t GetFileTime() const { return m_FileTime; }
    std::uint32_t GetSize() const { return m_Size; }
    bool IsOpen() const { return m_Open; }
    bool IsAtEnd() const { return m_AtEnd; }
    bool IsInPack() const { return m_Pack != nullptr; }

private:
    // Opens the entry found while the packs had been released `releases` times, looked up again
    // if they were released since.
    bool OpenPacked(const std::u16string& name, std::uint64_t releases, GxPackFileHeaderCache* pack,
                    const GxPackFileEntry* entry);
    // Reads from the entry at the position, through the calling thread's read-ahead window
    // where the read continues its previous one.
    std::uint32_t ReadPacked(BYTE* out, std::uint32_t count);
    // File offset of the entry's first byte (0 for a disk file).
    std::uint64_t BaseOffset() const;

    std::uint32_t m_Size = 0;
    HANDLE m_Handle = INVALID_HANDLE_VALUE;
    bool m_Open = false;
    bool m_AtEnd = false;
    std::uint64_t m_FileTime = 0;
    std::uint64_t m_Position = 0;
    GxPackFileHeaderCache* m_Pack = nullptr;
    const GxPackFileEntry* m_Entry = nullptr;
    std::uint64_t m_Releases = 0;   // the pack list's generation the entry was opened in
};
