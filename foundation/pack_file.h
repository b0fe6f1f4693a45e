// Pack archives: one file holding a 48-byte header, an index of entries and a data area.
// GxPackFileHeaderCache keeps one pack's index in memory, with a hash index of normalised names,
// so that a GxFileHandle can open a file inside the pack by seeking to its data.
//
// Layout (little-endian): header: name encoding @12 (0 = 8-bit names, else UTF-16LE),
// scrambled flag @20, entry count @24, index size @28, data-area start (u64) @40; index at 48:
// entries of { length @0, size @4, file time @16, data offset (u64, from the data-area start)
// @24, NUL-terminated name @32 }. Scrambled packs XOR every byte at logical position p with
// (p & 0xFF) and key[p % 23]; each index entry and each file's data count from 0.
#pragma once

#include "foundation/object_base.h"
#include "platform/crt/crt_locale.h"
#include "platform/win32/win_types.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kPackHeaderSize = 48;
constexpr std::size_t kPackEntryNameOffset = 32;
// Longer names (in UTF-16 units) are left out of the index and never found.
constexpr std::size_t kPackNameMaxLength = 521;

// One index entry as read from the descrambled index.
struct GxPackFileEntry {
    std::uint32_t m_Size = 0;
    std::uint64_t m_FileTime = 0;
    std::uint64_t m_DataOffset = 0;   // from the pack's data-area start
    std::u16string m_Name;            // as stored (converted to UTF-16), not normalised
};

// Applies the scrambling transform in place to `length` bytes whose first byte has the
// logical position `position`. Self-inverse.
void PackScramble(void* bytes, std::size_t length, std::uint32_t position);
// As PackScramble, writing the transformed bytes of `from` to `to` in one pass (`to` may be
// `from`).
void PackScrambleCopy(void* to, const void* from, std::size_t length, std::uint32_t position);

class GxPackFileHeaderCache : public GxObjectNotCopyable {
public:
    GxPackFileHeaderCache();
    ~GxPackFileHeaderCache() override;

    // Reads the header and the index. A pack that cannot be opened or read wholly, or whose
    // index or entries do not fit, is refused; the reason is logged and kept (GetLoadError).
    bool Load(const std::u16string& path);
    // The entry for a name ("\" reads as "/", letter case ignored), or null.
    const GxPackFileEntry* Find(const std::u16string& name) const;
    void Clear();

    bool IsLoaded() const { return m_Loaded; }
    bool IsScrambled() const;
    bool HasWideNames() const;
    std::uint64_t GetDataStart() const;
    std::size_t GetEntryCount() const { return m_Entries.size(); }
    // In index order; `index` below GetEntryCount.
    const GxPackFileEntry& GetEntry(std::size_t index) const { return m_Entries[index]; }
    const std::u16string& GetPath() const { return m_Path; }
    // Open while the pack is loaded; entries are read from it with positional reads, so one
    // handle serves every open entry of every thread.
    HANDLE GetHandle() const { return m_Handle; }
    // Why the last Load refused the pack, in English; empty after a successful one.
    const std::u16string& GetLoadError() const { return m_LoadError; }

private:
    // Logs the refusal of the pack at `path` and keeps its reason; always false.
    bool Refuse(const std::u16string& path, std::u16string reason);
    bool ParseIndex(std::vector<BYTE>& index, std::uint64_t packSize);
    void BuildNameIndex();
    // The index's slot for `name` (normalised; `hash` is its FNV-1a hash): an empty one when absent.
    std::size_t FindSlot(const char16_t* name, std::size_t length, std::uint32_t hash) const;

    // One slot of the name index: open addressing with linear probing. A look-up reads one slot
    // at random and then the entry's name, stored in index order like the entries: reading a
    // pack's files one after another then misses the caches once per file, not at every step.
    struct NameSlot {
        std::uint32_t m_Hash = 0;
        std::uint32_t m_Entry = kNoEntry;
    };
    static constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
    struct NameSpan {
        std::uint32_t m_Start = 0;
        std::uint32_t m_Length = 0;
    };

    _locale_t m_Locale = nullptr;   // the Japanese locale's lower-case mapping
    std::vector<NameSlot> m_NameSlots;   // a power of two in size, at most half full
    std::u16string m_NormalisedNames;    // the indexed names normalised, end to end
    std::vector<NameSpan> m_NameSpans;   // per entry, into m_NormalisedNames
    std::array<BYTE, kPackHeaderSize> m_Header{};
    std::vector<GxPackFileEntry> m_Entries;
    bool m_Loaded = false;
    std::u16string m_Path;
    HANDLE m_Handle = INVALID_HANDLE_VALUE;
    std::u16string m_LoadError;
};
