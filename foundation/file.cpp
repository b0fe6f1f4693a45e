#include "foundation/file.h"

#include "foundation/file_cache.h"
#include "foundation/file_handle.h"
#include "foundation/log.h"
#include "foundation/mutex.h"
#include "foundation/pack_file.h"
#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/file.h"
#include "platform/win32/shell.h"

#include <cstring>
#include <limits>
#include <memory>

namespace {

// One per process. The lock comes first so that it outlives the packs and the cache.
struct FileSystemState {
    GxMutex lock;
    std::vector<std::unique_ptr<GxPackFileHeaderCache>> packs;
    std::vector<GxPackFailure> packFailures;
    std::uint64_t packReleases = 0;
    GxFileCache cache;
};

FileSystemState& State()
{
    static FileSystemState state;
    return state;
}

constexpr std::size_t kPathBufferUnits = 520;

bool IsSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

// Position of the last of the given units, or npos.
std::size_t FindLastOf(const std::u16string& text, std::u16string_view set)
{
    return text.find_last_of(set.data(), std::u16string::npos, set.size());
}

}  // namespace

// ---- file system state and packs -------------------------------------------------------

GxMutex& GxFile::GetLock()
{
    return State().lock;
}

GxFileCache& GxFile::GetCache()
{
    return State().cache;
}

std::uint64_t PackReleaseCount()
{
    return State().packReleases;
}

bool LooseFileExists(const std::u16string& name, bool packed)
{
    // A packed name is checked against recently read folder listings only: reading a pack's
    // files one after another then costs no folder check each.
    return !name.empty() && platform::PathExists(name, packed);
}

int FileExists(const std::u16string& name)
{
    GxPackFileHeaderCache* pack = nullptr;
    const GxPackFileEntry* entry = nullptr;
    const bool packed = FindPackEntry(name, &pack, &entry);
    if (LooseFileExists(name, packed))
        return kFileOnDisk;
    return packed ? kFileInPack : kFileNotFound;
}

bool FindPackEntry(const std::u16string& name, GxPackFileHeaderCache** pack, const GxPackFileEntry** entry)
{
    GxMutexScopedLock lock(GxFile::GetLock());
    *pack = nullptr;
    *entry = nullptr;
    for (const auto& candidate : State().packs) {
        if (const GxPackFileEntry* found = candidate->Find(name)) {
            *pack = candidate.get();
            *entry = found;
            return true;
        }
    }
    return false;
}

bool GxFile::AddPackFile(const std::u16string& path)
{
    auto pack = std::make_unique<GxPackFileHeaderCache>();
    if (!pack->Load(path)) {   // read before the lock is taken: readers of other packs go on
        GxPackFailure failure;
        failure.m_Path = path;
        failure.m_Reason = pack->GetLoadError();
        failure.m_Missing = !PathFileExistsW(path.c_str());
        GxMutexScopedLock lock(GetLock());
        State().packFailures.push_back(std::move(failure));
        return false;
    }
    GxMutexScopedLock lock(GetLock());
    State().packs.push_back(std::move(pack));
    return true;
}

void GxFile::ReleasePacks()
{
    GxMutexScopedLock lock(GetLock());
    State().packs.clear();
    State().packFailures.clear();
    ++State().packReleases;
}

std::vector<GxPackFailure> GxFile::GetPackFailures()
{
    GxMutexScopedLock lock(GetLock());
    return State().packFailures;
}

void GxFile::SetCacheEnabled(bool enabled)
{
    GxMutexScopedLock lock(GetLock());
    GetCache().SetEnabled(enabled);
}

void GxFile::SetCacheCapacity(std::uint32_t bytes)
{
    GxMutexScopedLock lock(GetLock());
    GetCache().SetCapacity(bytes);
}

void GxFile::SetCacheMaxFileSize(std::uint32_t bytes)
{
    GxMutexScopedLock lock(GetLock());
    GetCache().SetMaxFileSize(bytes);
}

void GxFile::ClearCache()
{
    GxMutexScopedLock lock(GetLock());
    GetCache().Clear();
}

std::uint32_t GxFile::GetFileSize(const std::u16string& name)
{
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        GxPackFileHeaderCache* pack = nullptr;
        const GxPackFileEntry* entry = nullptr;
        return FindPackEntry(name, &pack, &entry) ? entry->m_Size : 0;
    }
    LARGE_INTEGER size{};
    std::uint32_t result = 0;
    if (GetFileSizeEx(handle, &size))
        result = size.QuadPart > std::numeric_limits<std::uint32_t>::max()
                     ? std::numeric_limits<std::uint32_t>::max()
                     : static_cast<std::uint32_t>(size.QuadPart);
    CloseHandle(handle);
    return result;
}

// ---- whole files -------------------------------------------------------------------------

bool GxFile::ReadWholeFile(GxBinBuffer& buffer, const std::u16string& name, bool useCache, bool quiet)
{
    const std::u16string key = useCache ? WideToLowerAscii(name) : std::u16string();
    GxFileHandle file;
    if (!file.Open(name)) {
        if (!quiet)
            LogPrint(u"File open error or not exist:%s\n", name.c_str());
        return false;
    }

    if (useCache) {
        GxFileCache& cache = GetCache();
        GxMutexScopedLock cacheLock(cache.GetLock());   // the entry must not go while it is copied
        if (const GxFileCacheBuffer* hit = cache.Find(key, file.GetFileTime())) {
            if (buffer.Allocate(hit->GetSize()) == nullptr) {
                if (!quiet)
                    LogPrint(u"File read error:%s\n", name.c_str());
                return false;
            }
            if (hit->GetSize() != 0)
                std::memcpy(buffer.GetData(), hit->GetData(), hit->GetSize());
            return true;
        }
    }

    const std::uint32_t size = file.GetSize();
    if (buffer.AllocateForOverwrite(size) == nullptr) {
        if (!quiet)
            LogPrint(u"File read error:%s\n", name.c_str());
        return false;
    }
    if (size == 0)
        return true;
    const std::uint32_t got = file.Read(buffer.GetData(), size);
    if (got < size) {
        std::memset(buffer.GetData() + got, 0, size - got);   // never hand out bytes that were not read
        if (!quiet)
            LogPrint(u"File read error:%s\n", name.c_str());
        return false;
    }
    if (useCache)
        GetCache().Add(key, buffer, file.GetFileTime());
    return true;
}

bool ReadWholeFileTerminated(GxBinBuffer& buffer, const std::u16string& name, bool quiet)
{
    GxFileHandle file;
    if (!file.Open(name)) {
        if (!quiet)
            LogPrint(u"File open error:%s\n", name.c_str());
        return false;
    }
    // Two zero bytes follow the text; a size that leaves no room for them is refused
    // rather than wrapped.
    const std::uint32_t size = file.GetSize();
    const std::uint64_t allocation = std::uint64_t{size} + 2;
    if (allocation > std::numeric_limits<std::uint32_t>::max() ||
        buffer.Allocate(static_cast<std::uint32_t>(allocation)) == nullptr) {
        if (!quiet)
            LogPrint(u"File read error:%s\n", name.c_str());
        return false;
    }
    if (size != 0 && file.Read(buffer.GetData(), size) < size) {
        if (!quiet)
            LogPrint(u"File read error:%s\n", name.c_str());
        return false;
    }
    return true;
}

// ---- text lines ------------------------------------------------------------------------

bool ReadTextLine(const char*& cursor, const char* end, std::string& line, int& lineCount, UINT codePage)
{
    line.clear();
    if (cursor >= end || *cursor == '\0')
        return false;
    const UINT page = codePage == 0 ? kTextCodePage : codePage;
    const bool doubleByte = page != CP_UTF8;
    const UINT leadPage = page == CP_ACP ? GetACP() : page;
    while (cursor < end) {
        const char c = *cursor;
        if (c == '\0')
            return true;
        if (c == '\n') {
            ++cursor;
            ++lineCount;
            while (cursor < end && (*cursor == '\r' || *cursor == '\f'))
                ++cursor;
            return true;
        }
        if (c == '\r' || c == '\f') {
            ++cursor;
            continue;
        }
        // A lead byte takes its trail byte along, so a trail byte is never read as a line end.
        if (doubleByte && cursor + 1 < end && cursor[1] != '\0' &&
            IsDBCSLeadByteEx(leadPage, static_cast<BYTE>(c))) {
            line.append(cursor, 2);
            cursor += 2;
            continue;
        }
        line.push_back(c);
        ++cursor;
    }
    return true;
}

bool ReadTextLineWide(const char16_t*& cursor, const char16_t* end, std::u16string& line, int& lineCount)
{
    line.clear();
    if (cursor >= end || *cursor == u'\0')
        return false;
    while (cursor < end) {
        const char16_t c = *cursor;
        if (c == u'\0')
            return true;
        ++cursor;
        if (c == u'\n') {
            ++lineCount;
            while (cursor < end && (*cursor == u'\r' || *cursor == u'\f'))
                ++cursor;
            return true;
        }
        if (c != u'\r' && c != u'\f')
            line.push_back(c);
    }
    return true;
}

bool LoadFileToBuffer(std::vector<std::u16string>& lines, const std::u16string& name, bool skipEmpty)
{
    GxBinBuffer buffer;
    if (!GxFile::ReadWholeFile(buffer, name, false, false))
        return false;
    return TextBytesToLines(lines, buffer.GetData(), buffer.GetSize(), skipEmpty);
}

bool TextBytesToLines(std::vector<std::u16string>& lines, const BYTE* data, std::size_t size, bool skipEmpty)
{
    if (data == nullptr || size == 0)
        return false;
    int lineCount = 0;

    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return false;   // UTF-16BE is not read
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        std::u16string text((size - 2) / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(data[2 + i * 2] | (data[3 + i * 2] << 8));
        const char16_t* cursor = text.data();
        std::u16string line;
        while (ReadTextLineWide(cursor, text.data() + text.size(), line, lineCount))
            if (!skipEmpty || !line.empty())
                lines.push_back(line);
        return true;
    }

    const bool utf8 = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF;
    const char* cursor = reinterpret_cast<const char*>(data) + (utf8 ? 3 : 0);
    const char* end = reinterpret_cast<const char*>(data) + size;
    std::string line;
    while (ReadTextLine(cursor, end, line, lineCount, utf8 ? CP_UTF8 : kTextCodePage)) {
        std::u16string wide = utf8 ? Utf8ToWide(line) : MultiByteToWide(line);
        if (!skipEmpty || !wide.empty())
            lines.push_back(std::move(wide));
    }
    return true;
}

bool LoadTextLines(std::vector<std::string>& lines, const std::u16string& name, bool skipEmpty)
{
    lines.clear();
    GxBinBuffer buffer;
    if (!GxFile::ReadWholeFile(buffer, name, false, false))
        return false;
    const char* cursor = reinterpret_cast<const char*>(buffer.GetData());
    const char* end = cursor + buffer.GetSize();
    int lineCount = 0;
    std::string line;
    while (ReadTextLine(cursor, end, line, lineCount))
        if (!skipEmpty || !line.empty())
            lines.push_back(line);
    return true;
}

// ---- paths and folders -----------------------------------------------------------------

std::u16string GetFileExtension(const std::u16string& path)
{
    const std::size_t at = FindLastOf(path, u".\\/:");
    if (at == std::u16string::npos || path[at] != u'.')
        return {};
    return path.substr(at);
}

bool HasFileExtension(const std::u16string& path, const std::u16string& extension)
{
    return WideCompare(GetFileExtension(path), extension) == 0;
}

std::u16string ChangeFileExtension(const std::u16string& path, const std::u16string& extension)
{
    const std::size_t at = FindLastOf(path, u".\\/:");
    if (at == std::u16string::npos || path[at] != u'.')
        return path + extension;
    return path.substr(0, at) + extension;
}

std::u16string GetFileNameFromPath(const std::u16string& path)
{
    const std::size_t at = FindLastOf(path, u"\\/:");
    return at == std::u16string::npos ? path : path.substr(at + 1);
}

std::u16string GetFileTitleFromPath(const std::u16string& path)
{
    std::u16string name = GetFileNameFromPath(path);
    const std::size_t dot = name.find(u'.');
    if (dot != std::u16string::npos)
        name.resize(dot);
    return name;
}

std::u16string GetFolderFromPath(const std::u16string& path)
{
    const std::size_t at = FindLastOf(path, u"\\/:");
    return at == std::u16string::npos ? std::u16string() : path.substr(0, at + 1);
}

std::u16string AppendPathSeparator(const std::u16string& path, char16_t separator)
{
    if (path.empty() || IsSeparator(path.back()))
        return path;
    return path + separator;
}

std::u16string CombinePath(const std::u16string& folder, const std::u16string& name, char16_t separator)
{
    if (folder.empty())
        return name;
    if (IsSeparator(folder.back()))
        return folder + name;
    return folder + separator + name;
}

std::u16string RemoveTrailingSeparator(const std::u16string& path)
{
    if (!path.empty() && IsSeparator(path.back()))
        return path.substr(0, path.size() - 1);
    return path;
}

std::u16string GetFullPath(const std::u16string& path)
{
    char16_t buffer[kPathBufferUnits] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), kPathBufferUnits, buffer, nullptr);
    if (length == 0 || length >= kPathBufferUnits)
        return {};
    return std::u16string(buffer, length);
}

std::u16string ReplaceWideChar(const std::u16string& text, char16_t from, char16_t to)
{
    std::u16string result = text;
    for (char16_t& c : result)
        if (c == from)
            c = to;
    return result;
}

std::u16string GetCurrentFolder()
{
    char16_t buffer[kPathBufferUnits + 1] = {};
    const DWORD length = GetCurrentDirectoryW(kPathBufferUnits + 1, buffer);
    if (length == 0 || length > kPathBufferUnits)
        return {};
    return ReplaceWideChar(std::u16string(buffer, length), u'\\', u'/');
}

std::u16string GetUserDataFolder()
{
    char16_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return {};
    buffer[MAX_PATH - 1] = u'\0';
    return ReplaceWideChar(std::u16string(buffer), u'\\', u'/');
}

bool CreateFolder(const std::u16string& path)
{
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool FolderExists(const std::u16string& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool OpenFileRead(const std::u16string& path)
{
    std::FILE* file = _wfopen(path.c_str(), u"rb");
    if (file == nullptr)
        return false;
    fclose_w(file);
    return true;
}
