#include "foundation/file_handle.h"

#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/mutex.h"
#include "foundation/pack_file.h"
#include "platform/win32/file.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// Small enough to be descrambled while still in the caches the read copied it through, large
// enough that a file of a megabyte is one system call: on a virtual machine a call costs about
// what copying 20 KB does.
constexpr std::uint32_t kDescramblePiece = 1024 * 1024;

// Packed bytes read ahead for reads that continue the previous one: files read one after
// another in the pack's order, or a stream read piece by piece, then cost one system call per
// window instead of one each. Small enough to stay in the cache it is copied out of.
constexpr std::uint32_t kWindowBytes = 256 * 1024;

// The calling thread's window: loader threads read packs at once, each in its own order.
struct PackWindow {
    const GxPackFileHeaderCache* pack = nullptr;
    std::uint64_t releases = 0;   // the pack list's generation, so a later pack at the same address differs
    std::uint64_t start = 0;      // pack offsets
    std::uint32_t size = 0;
    std::uint64_t nextOffset = 0;   // where the thread's previous read of the pack ended
    std::unique_ptr<BYTE[]> bytes;

    bool Same(const GxPackFileHeaderCache* of, std::uint64_t generation) const
    {
        return pack == of && releases == generation;
    }
    bool Holds(const GxPackFileHeaderCache* of, std::uint64_t generation, std::uint64_t offset) const
    {
        return Same(of, generation) && offset >= start && offset - start < size;
    }
};

thread_local PackWindow t_window;

HANDLE OpenForRead(const std::u16string& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// Reads at a position of `handle`; false at the end or on a failure.
bool ReadAt(HANDLE handle, std::uint64_t offset, BYTE* out, std::uint32_t count, DWORD& got)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    got = 0;
    return ReadFile(handle, out, count, &got, &at) && got != 0;
}

}  // namespace

GxFileHandle::~GxFileHandle()
{
    Close();
}

std::uint64_t GxFileHandle::BaseOffset() const
{
    return m_Pack != nullptr ? m_Pack->GetDataStart() + m_Entry->m_DataOffset : 0;
}

bool GxFileHandle::Open(const std::u16string& name)
{
    GxPackFileHeaderCache* pack = nullptr;
    const GxPackFileEntry* entry = nullptr;
    std::uint64_t releases = 0;
    {
        GxMutexScopedLock lock(GxFile::GetLock());
        FindPackEntry(name, &pack, &entry);
        releases = PackReleaseCount();
    }
    // The disk is asked without the lock.
    if (!LooseFileExists(name, entry != nullptr))
        return entry != nullptr && OpenPacked(name, releases, pack, entry);
    if (m_Open)
        Close();

    {
        HANDLE handle = OpenForRead(name);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER size{};
        std::uint64_t fileSize = 0;
        if (GetFileSizeEx(handle, &size))
            fileSize = static_cast<std::uint64_t>(size.QuadPart);
        // Sizes are 32-bit throughout; a larger file would be read truncated.
        if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
            LogPrint(u"GxFileHandle::Open/File too large:%s\n", name.c_str());
            CloseHandle(handle);
            return false;
        }
        FILETIME lastWrite{};
        ::GetFileTime(handle, nullptr, nullptr, &lastWrite);
        m_Handle = handle;
        m_Open = true;
        m_AtEnd = false;
        m_Position = 0;
        m_Size = static_cast<std::uint32_t>(fileSize);
        m_FileTime = (static_cast<std::uint64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime;
        return true;
    }
}

bool GxFileHandle::OpenPacked(const std::u16string& name, std::uint64_t releases, GxPackFileHeaderCache* pack,
                              const GxPackFileEntry* entry)
{
    GxMutexScopedLock lock(GxFile::GetLock());   // the pack list must not change while its entry is taken
    if (PackReleaseCount() != releases && !FindPackEntry(name, &pack, &entry))
        return false;
    if (m_Open)
        Close();
    if (pack->GetHandle() == INVALID_HANDLE_VALUE)
        return false;
    m_Handle = pack->GetHandle();   // the pack's own, read at positions and never closed here
    m_Open = true;
    m_AtEnd = false;
    m_Position = 0;
    m_Size = entry->m_Size;
    m_FileTime = entry->m_FileTime;
    m_Pack = pack;
    m_Entry = entry;
    m_Releases = PackReleaseCount();
    return true;
}

std::uint32_t GxFileHandle::Read(void* buffer, std::uint32_t count)
{
    if (!m_Open || m_AtEnd || m_Handle == INVALID_HANDLE_VALUE)
        return 0;
    const std::uint64_t left = m_Position < m_Size ? m_Size - m_Position : 0;
    const std::uint32_t toRead = count < left ? count : static_cast<std::uint32_t>(left);
    BYTE* out = static_cast<BYTE*>(buffer);
    std::uint32_t total = 0;
    if (m_Pack == nullptr) {
        while (total < toRead) {
            DWORD got = 0;
            if (!ReadFile(m_Handle, out + total, toRead - total, &got, nullptr) || got == 0)
                break;
            total += got;
        }
    } else {
        total = ReadPacked(out, toRead);
    }
    m_Position += total;
    m_AtEnd = m_Position >= m_Size;
    return total;
}

std::uint32_t GxFileHandle::ReadPacked(BYTE* out, std::uint32_t count)
{
    const bool scrambled = m_Pack->IsScrambled();
    PackWindow& window = t_window;
    std::uint32_t total = 0;
    while (total < count) {
        const std::uint64_t offset = BaseOffset() + m_Position + total;
        // Keyed by the position within the file, so each file descrambles as if it began at 0.
        const std::uint32_t key = static_cast<std::uint32_t>(m_Position + total);
        const std::uint32_t want = count - total;
        if (window.Holds(m_Pack, m_Releases, offset)) {
            const std::uint64_t held = window.start + window.size - offset;
            const std::uint32_t take = want < held ? want : static_cast<std::uint32_t>(held);
            const BYTE* from = window.bytes.get() + (offset - window.start);
            if (scrambled)
                PackScrambleCopy(out + total, from, take, key);
            else
                std::memcpy(out + total, from, take);
            total += take;
            window.nextOffset = offset + take;
            continue;
        }
        if (want < kWindowBytes / 2 && window.Same(m_Pack, m_Releases) && offset == window.nextOffset) {
            if (!window.bytes)
                window.bytes.reset(new (std::nothrow) BYTE[kWindowBytes]);
            DWORD got = 0;
            if (window.bytes && ReadAt(m_Handle, offset, window.bytes.get(), kWindowBytes, got)) {
                window.start = offset;
                window.size = got;
                continue;
            }
            window.size = 0;
        }
        // A scrambled file is read in pieces small enough to be descrambled while they are still
        // in the cache the read copied them through, rather than in a second pass over memory.
        const std::uint32_t piece = scrambled && want > kDescramblePiece ? kDescramblePiece : want;
        DWORD got = 0;
        if (!ReadAt(m_Handle, offset, out + total, piece, got))
            break;
        if (scrambled)
            PackScramble(out + total, got, key);
        total += got;
        if (!window.Same(m_Pack, m_Releases)) {   // what it holds is another pack's
            window.pack = m_Pack;
            window.releases = m_Releases;
            window.size = 0;
        }
        window.nextOffset = offset + got;
    }
    return total;
}

bool GxFileHandle::Seek(std::int64_t offset, int origin)
{
    if (!m_Open || m_Handle == INVALID_HANDLE_VALUE)
        return false;
    std::int64_t from = 0;
    switch (origin) {
    case 0: from = 0; break;
    case 1: from = static_cast<std::int64_t>(m_Position); break;
    case 2: from = static_cast<std::int64_t>(m_Size); break;
    default: return false;
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(from, offset, &target))
        target = offset < 0 ? 0 : static_cast<std::int64_t>(m_Size);
    if (target < 0)
        target = 0;
    if (target > static_cast<std::int64_t>(m_Size))
        target = m_Size;

    if (m_Pack != nullptr) {   // reads name their position: nothing to move
        m_Position = static_cast<std::uint64_t>(target);
        m_AtEnd = m_Position >= m_Size;
        return true;
    }
    const std::uint64_t base = BaseOffset();
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(base + static_cast<std::uint64_t>(target));
    LARGE_INTEGER reached{};
    if (!SetFilePointerEx(m_Handle, distance, &reached, FILE_BEGIN))
        return false;
    const std::uint64_t osPosition = static_cast<std::uint64_t>(reached.QuadPart);
    m_Position = osPosition >= base ? osPosition - base : 0;
    m_AtEnd = m_Position >= m_Size;
    return true;
}

void GxFileHandle::Close()
{
    if (m_Handle != INVALID_HANDLE_VALUE && m_Pack == nullptr)
        CloseHandle(m_Handle);
    m_Handle = INVALID_HANDLE_VALUE;
    m_Size = 0;
    m_Open = false;
    m_AtEnd = false;
    m_Position = 0;
    m_FileTime = 0;
    m_Pack = nullptr;
    m_Entry = nullptr;
    m_Releases = 0;
}
