#include "foundation/safe_save.h"

#include "foundation/log.h"
#include "foundation/mutex.h"
#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/file.h"

#include <filesystem>
#include <set>
#include <system_error>

namespace {

constexpr const char16_t* kTemporarySuffix = u".tmp";
constexpr const char16_t* kKeptSuffix = u".damaged";

struct RefusedFiles {
    GxMutex lock;
    std::set<std::u16string> paths;
};

RefusedFiles& Refused()
{
    static RefusedFiles files;
    return files;
}

bool IsRefused(const std::u16string& path)
{
    RefusedFiles& refused = Refused();
    GxMutexScopedLock lock(refused.lock);
    return refused.paths.count(path) != 0;
}

void ForgetRefused(const std::u16string& path)
{
    RefusedFiles& refused = Refused();
    GxMutexScopedLock lock(refused.lock);
    refused.paths.erase(path);
}

bool Exists(const std::u16string& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadLooseFile(const std::u16string& path, std::string& bytes)
{
    std::FILE* stream = _wfopen(path.c_str(), u"rb");
    if (stream == nullptr)
        return false;
    char buffer[64 * 1024];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), stream)) > 0)
        bytes.append(buffer, got);
    const bool read = std::ferror(stream) == 0;
    fclose_w(stream);
    return read;
}

// The refused file's bytes into "<path>.damaged", itself saved whole or not at all. A file that
// is gone has nothing left to keep.
bool KeepRefusedFile(const std::u16string& path)
{
    if (!Exists(path))
        return true;
    std::string bytes;
    if (!ReadLooseFile(path, bytes))
        return false;
    const std::u16string kept = path + kKeptSuffix;
    const bool saved = SaveFileReplacing(kept, [&bytes](std::FILE* stream) {
        return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    });
    if (saved)
        LogPrint(u"SaveFile: the file refused at load is kept as [%s] before [%s] is replaced\n", kept.c_str(),
                 path.c_str());
    return saved;
}

}  // namespace

bool SaveFileReplacing(const std::u16string& path, const std::function<bool(std::FILE*)>& write)
{
    const std::u16string temporary = path + kTemporarySuffix;
    std::FILE* stream = _wfopen(temporary.c_str(), u"wb");
    if (stream == nullptr) {
        LogPrint(u"SaveFile: cannot create the file [%s]\n", path.c_str());
        return false;
    }
    bool written = write(stream);
    written = std::fflush(stream) == 0 && written;
    written = std::ferror(stream) == 0 && written;
    written = _commit(_fileno(stream)) == 0 && written;
    written = fclose_w(stream) == 0 && written;
    if (written && IsRefused(path)) {
        if (!KeepRefusedFile(path)) {
            DeleteFileW(temporary.c_str());
            LogPrint(u"SaveFile: the file refused at load could not be kept, so it is not replaced [%s]\n",
                     path.c_str());
            return false;
        }
        ForgetRefused(path);
    }
    if (written && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // The move syncs the folder after the rename: when only that failed, the new file is there.
    if (written && !Exists(temporary) && Exists(path)) {
        LogPrint(u"SaveFile: the new file is in place, but its folder could not be synced, so a power loss may "
                 u"still undo the save [%s]\n",
                 path.c_str());
        return true;
    }
    DeleteFileW(temporary.c_str());
    LogPrint(u"SaveFile: writing failed, the earlier file is kept [%s]\n", path.c_str());
    return false;
}

void KeepRefusedFileAtNextSave(const std::u16string& path)
{
    RefusedFiles& refused = Refused();
    GxMutexScopedLock lock(refused.lock);
    refused.paths.insert(path);
}

void RemoveStaleSaveTemporaries(const std::u16string& folder)
{
    const std::string native = platform::ResolvePath(folder.empty() ? std::u16string(u".") : folder);
    std::error_code error;
    std::filesystem::directory_iterator entries(native, error);
    const std::string suffix = WideToUtf8(kTemporarySuffix);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::error_code kind;
        if (!entries->is_regular_file(kind))
            continue;
        std::error_code removed;
        if (std::filesystem::remove(entries->path(), removed)) {
            platform::ForgetFolderListing(entries->path().string());
            LogPrintDebug(u"SaveFile: removed what a save that did not finish left [%s]\n",
                          Utf8ToWide(entries->path().string()).c_str());
        }
    }
}
