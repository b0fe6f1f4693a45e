#include "foundation/pack_file.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr std::array<BYTE, 23> kPackKey = {0x5a, 0x1c, 0x93, 0xe0, 0x7b, 0x2d, 0x48, 0xf6, 0xa1, 0x0e, 0x7c, 0x39,
                                           0x55, 0xd2, 0x8b, 0x6f, 0x04, 0xe9, 0x1a, 0xc7, 0x3b, 0x2e, 0x68};

// The transform's byte pattern repeats every lcm(256, 23) positions. The table holds two
// periods so that a whole period can be taken from any starting phase in one run.
constexpr std::size_t kScramblePeriod = 256 * 23;

struct ScrambleTable {
    std::array<BYTE, kScramblePeriod * 2> bytes{};
    constexpr ScrambleTable()
    {
        for (std::size_t p = 0; p < bytes.size(); ++p)
            bytes[p] = static_cast<BYTE>((p & 0xFF) ^ kPackKey[p % kPackKey.size()]);
    }
};
constexpr ScrambleTable kScrambleTable;

// `to` may be `from`: each block is loaded before it is stored.
void XorRunWords(BYTE* to, const BYTE* from, const BYTE* __restrict pattern, std::size_t length)
{
    // Eight bytes at a time so that even unoptimised builds stay quick; the compiler
    // vectorises the word loop further.
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, from + i, 8);
        std::memcpy(&b, pattern + i, 8);
        a ^= b;
        std::memcpy(to + i, &a, 8);
    }
    for (; i < length; ++i)
        to[i] = from[i] ^ pattern[i];
}

#if defined(__x86_64__)
// 32 bytes at a time where the processor has AVX2: descrambling runs over data that the read
// has just brought into the cache, so the width of the loop sets its speed.
__attribute__((target("avx2"))) void XorRunAvx2(BYTE* to, const BYTE* from, const BYTE* __restrict pattern,
                                                std::size_t length)
{
    typedef std::uint8_t Block __attribute__((vector_size(32)));
    std::size_t i = 0;
    for (; i + 32 <= length; i += 32) {
        Block a, b;
        std::memcpy(&a, from + i, 32);
        std::memcpy(&b, pattern + i, 32);
        a ^= b;
        std::memcpy(to + i, &a, 32);
    }
    XorRunWords(to + i, from + i, pattern + i, length - i);
}
#endif

void XorRun(BYTE* to, const BYTE* from, const BYTE* __restrict pattern, std::size_t length)
{
#if defined(__x86_64__)
    static const bool hasAvx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    if (hasAvx2) {
        XorRunAvx2(to, from, pattern, length);
        return;
    }
#endif
    XorRunWords(to, from, pattern, length);
}

// FNV-1a over the name's UTF-16 units.
constexpr std::uint32_t kNameHashSeed = 2166136261u;
std::uint32_t NameHashStep(std::uint32_t hash, char16_t unit)
{
    return (hash ^ unit) * 16777619u;
}

std::uint32_t ReadU32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t ReadU64(const BYTE* p)
{
    return static_cast<std::uint64_t>(ReadU32(p)) | (static_cast<std::uint64_t>(ReadU32(p + 4)) << 32);
}

constexpr std::size_t kHeaderNameEncoding = 12;
constexpr std::size_t kHeaderScrambled = 20;
constexpr std::size_t kHeaderEntryCount = 24;
constexpr std::size_t kHeaderIndexSize = 28;
constexpr std::size_t kHeaderDataStart = 40;

constexpr std::size_t kEntryLength = 0;
constexpr std::size_t kEntrySize = 4;
constexpr std::size_t kEntryFileTime = 16;
constexpr std::size_t kEntryDataOffset = 24;

struct FileCloser {
    void operator()(std::FILE* file) const { fclose_w(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A refusal reason followed by the C library's text for errno: "Open error (Permission denied)".
std::u16string ErrnoText(const char16_t* what)
{
    const int error = errno;
    return std::u16string(what) + u" (" + Utf8ToWide(std::strerror(error)) + u")";
}

}  // namespace

void PackScramble(void* bytes, std::size_t length, std::uint32_t position)
{
    PackScrambleCopy(bytes, bytes, length, position);
}

void PackScrambleCopy(void* to, const void* from, std::size_t length, std::uint32_t position)
{
    BYTE* out = static_cast<BYTE*>(to);
    const BYTE* in = static_cast<const BYTE*>(from);
    const std::size_t phase = position % kScramblePeriod;
    // Positions are 32-bit and wrap at 2^32; 2^32 is not a multiple of the period, so a run
    // that crosses the wrap restarts its phase there.
    std::uint64_t untilWrap = (std::uint64_t{1} << 32) - position;
    std::size_t first = length < untilWrap ? length : static_cast<std::size_t>(untilWrap);
    std::size_t done = 0;
    while (done < first) {
        std::size_t run = first - done < kScramblePeriod ? first - done : kScramblePeriod;
        XorRun(out + done, in + done, kScrambleTable.bytes.data() + phase, run);
        done += run;
    }
    if (first < length)
        PackScrambleCopy(out + first, in + first, length - first, 0);
}

GxPackFileHeaderCache::GxPackFileHeaderCache()
{
    m_Locale = _create_locale(MSVC_LC_ALL, "Japanese_Japan.932");
}

GxPackFileHeaderCache::~GxPackFileHeaderCache()
{
    Clear();
    if (m_Locale != nullptr)
        _free_locale(m_Locale);
}

void GxPackFileHeaderCache::Clear()
{
    if (m_Handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_Handle);
    m_Handle = INVALID_HANDLE_VALUE;
    m_Header.fill(0);
    m_NameSlots.clear();
    m_NormalisedNames.clear();
    m_NameSpans.clear();
    m_Entries.clear();
    m_Loaded = false;
    m_Path.clear();
}

bool GxPackFileHeaderCache::IsScrambled() const
{
    return ReadU32(m_Header.data() + kHeaderScrambled) != 0;
}

bool GxPackFileHeaderCache::HasWideNames() const
{
    return ReadU32(m_Header.data() + kHeaderNameEncoding) != 0;
}

std::uint64_t GxPackFileHeaderCache::GetDataStart() const
{
    return ReadU64(m_Header.data() + kHeaderDataStart);
}

bool GxPackFileHeaderCache::Refuse(const std::u16string& path, std::u16string reason)
{
    LogPrint(u"GxPackFileHeaderCache::Load/%s:%s\n", reason.c_str(), path.c_str());
    m_LoadError = std::move(reason);
    return false;
}

bool GxPackFileHeaderCache::Load(const std::u16string& path)
{
    if (m_Loaded)
        Clear();
    m_LoadError.clear();

    FilePtr file(_wfopen(path.c_str(), u"rb"));
    if (!file)
        return Refuse(path, ErrnoText(u"Open error"));

    std::array<BYTE, kPackHeaderSize> header{};
    if (std::fread(header.data(), 1, header.size(), file.get()) != header.size()) {
        return Refuse(path, std::ferror(file.get()) ? ErrnoText(u"Header read error")
                                                    : std::u16string(u"Header read error (shorter than the header)"));
    }
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return Refuse(path, ErrnoText(u"Seek error"));
    const long endPosition = std::ftell(file.get());
    const std::uint64_t packSize = endPosition < 0 ? 0 : static_cast<std::uint64_t>(endPosition);

    // The index size is checked against the file before anything is allocated for it.
    const std::uint32_t indexSize = ReadU32(header.data() + kHeaderIndexSize);
    if (indexSize > packSize - kPackHeaderSize || std::fseek(file.get(), kPackHeaderSize, SEEK_SET) != 0)
        return Refuse(path, FormatWide(u"Index size %u beyond the end of the pack", indexSize));
    std::vector<BYTE> index(indexSize);
    if (indexSize != 0 && std::fread(index.data(), 1, index.size(), file.get()) != index.size())
        return Refuse(path, ErrnoText(u"Index read error"));
    file.reset();

    m_Header = header;
    m_Path = path;
    if (!ParseIndex(index, packSize)) {
        Clear();
        return false;
    }
    m_Handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (m_Handle == INVALID_HANDLE_VALUE) {
        LogPrint(u"GxPackFileHeaderCache::Load/Open error:%s\n", path.c_str());
        Clear();
        return false;
    }
    m_Loaded = true;
    return true;
}

bool GxPackFileHeaderCache::ParseIndex(std::vector<BYTE>& index, std::uint64_t packSize)
{
    const std::uint32_t entryCount = ReadU32(m_Header.data() + kHeaderEntryCount);
    const bool scrambled = IsScrambled();
    const bool wideNames = HasWideNames();
    const std::size_t terminatorSize = wideNames ? 2 : 1;
    const std::uint64_t dataStart = GetDataStart();
    const std::uint64_t dataAreaSize = dataStart <= packSize ? packSize - dataStart : 0;

    // Every entry takes at least 33 bytes, so the index size bounds what a count can claim.
    m_Entries.reserve(std::min<std::size_t>(entryCount, index.size() / (kPackEntryNameOffset + 1)));
    std::size_t offset = 0;
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        const std::size_t remaining = index.size() - offset;
        if (remaining < 4) {
            return Refuse(m_Path, FormatWide(u"Entry %u beyond the index (count %u)", i, entryCount));
        }
        BYTE* entry = index.data() + offset;
        if (scrambled)
            PackScramble(entry, 4, 0);
        const std::uint32_t length = ReadU32(entry + kEntryLength);
        if (length < kPackEntryNameOffset + terminatorSize || length > remaining) {
            return Refuse(m_Path, FormatWide(u"Bad entry length %u of entry %u", length, i));
        }
        if (scrambled)
            PackScramble(entry + 4, length - 4, 4);

        GxPackFileEntry parsed;
        parsed.m_Size = ReadU32(entry + kEntrySize);
        parsed.m_FileTime = ReadU64(entry + kEntryFileTime);
        parsed.m_DataOffset = ReadU64(entry + kEntryDataOffset);

        const BYTE* name = entry + kPackEntryNameOffset;
        const std::size_t nameBytes = length - kPackEntryNameOffset;
        bool terminated = false;
        if (wideNames) {
            for (std::size_t k = 0; k + 1 < nameBytes; k += 2) {
                const char16_t unit = static_cast<char16_t>(name[k] | (name[k + 1] << 8));
                if (unit == 0) {
                    terminated = true;
                    break;
                }
                parsed.m_Name.push_back(unit);
            }
        } else {
            const void* nul = std::memchr(name, 0, nameBytes);
            if (nul != nullptr) {
                terminated = true;
                parsed.m_Name = MultiByteToWide(
                    std::string_view(reinterpret_cast<const char*>(name), static_cast<const BYTE*>(nul) - name));
            }
        }
        if (!terminated) {
            return Refuse(m_Path, FormatWide(u"Unterminated name in entry %u", i));
        }
        if (parsed.m_DataOffset > dataAreaSize || parsed.m_Size > dataAreaSize - parsed.m_DataOffset) {
            return Refuse(m_Path, FormatWide(u"Data of entry %u beyond the end of the pack", i));
        }
        m_Entries.push_back(std::move(parsed));
        offset += length;
    }

    BuildNameIndex();
    return true;
}

void GxPackFileHeaderCache::BuildNameIndex()
{
    std::size_t capacity = 16;
    while (capacity < m_Entries.size() * 2)
        capacity *= 2;
    m_NameSlots.assign(capacity, NameSlot{});
    m_NameSpans.assign(m_Entries.size(), NameSpan{});
    for (std::size_t i = 0; i < m_Entries.size(); ++i) {
        const std::u16string& name = m_Entries[i].m_Name;
        if (name.size() > kPackNameMaxLength)
            continue;
        const std::size_t start = m_NormalisedNames.size();
        std::uint32_t hash = kNameHashSeed;
        for (char16_t c : name) {
            const char16_t lower = _towlower_l(c, m_Locale);
            m_NormalisedNames.push_back(lower);
            hash = NameHashStep(hash, lower);
        }
        const std::size_t slot = FindSlot(m_NormalisedNames.data() + start, name.size(), hash);
        if (m_NameSlots[slot].m_Entry != kNoEntry) {   // the first of equal names stays
            m_NormalisedNames.resize(start);
            continue;
        }
        m_NameSlots[slot] = NameSlot{hash, static_cast<std::uint32_t>(i)};
        m_NameSpans[i] = NameSpan{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(name.size())};
    }
}

std::size_t GxPackFileHeaderCache::FindSlot(const char16_t* name, std::size_t length, std::uint32_t hash) const
{
    const std::size_t mask = m_NameSlots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const NameSlot& slot = m_NameSlots[at];
        if (slot.m_Entry == kNoEntry)
            return at;
        if (slot.m_Hash != hash)
            continue;
        const NameSpan& span = m_NameSpans[slot.m_Entry];
        if (span.m_Length == length &&
            std::memcmp(m_NormalisedNames.data() + span.m_Start, name, length * sizeof(char16_t)) == 0)
            return at;
    }
}

const GxPackFileEntry* GxPackFileHeaderCache::Find(const std::u16string& name) const
{
    if (!m_Loaded || name.size() > kPackNameMaxLength || m_NameSlots.empty())
        return nullptr;
    char16_t key[kPackNameMaxLength];
    std::uint32_t hash = kNameHashSeed;
    for (std::size_t i = 0; i < name.size(); ++i) {
        key[i] = name[i] == u'\\' ? u'/' : _towlower_l(name[i], m_Locale);
        hash = NameHashStep(hash, key[i]);
    }
    const NameSlot& slot = m_NameSlots[FindSlot(key, name.size(), hash)];
    return slot.m_Entry == kNoEntry ? nullptr : &m_Entries[slot.m_Entry];
}
