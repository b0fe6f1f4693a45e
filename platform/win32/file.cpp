#include "platform/win32/file.h"

#include "platform/win32/codepage.h"
#include "platform/win32/folder_listing_cache.h"
#include "platform/win32/handle_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

thread_local DWORD t_LastError = ERROR_SUCCESS;

class FileObject : public platform::KernelObject {
public:
    explicit FileObject(int descriptor) : m_Descriptor(descriptor) {}
    ~FileObject() override { close(m_Descriptor); }
    int Descriptor() const { return m_Descriptor; }

private:
    int m_Descriptor;
};

std::shared_ptr<FileObject> FindFile(HANDLE file)
{
    auto object = platform::FindHandleAs<FileObject>(file);
    if (!object) SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

bool Exists(const std::string& path)
{
    struct stat info{};
    return lstat(path.c_str(), &info) == 0;
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

DWORD ErrorFromErrno(int error, const std::string& path = {})
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT:
        // Windows tells a missing folder on the way from a missing file.
        if (!path.empty() && !Exists(ParentOf(path))) return ERROR_PATH_NOT_FOUND;
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
    case EBUSY:
    case EBADF: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_GEN_FAILURE;
    }
}

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL FailWithErrno(const std::string& path = {}) { return FailWith(ErrorFromErrno(errno, path)); }

// --- name resolution ----------------------------------------------------------------------

// The engine's own changes to a folder are seen at once, whatever the folder's time stamp says.
void Forget(const std::string& path)
{
    platform::FolderListingCache::Instance().ForgetPath(path);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The entry of `folder` spelled `name`, or a case variant of it, or "" (see the cache).
std::string FindEntry(const std::string& folder, const std::string& name, bool trustRecent)
{
    std::optional<std::string> entry =
        platform::FolderListingCache::Instance().FindCaseVariant(folder, name, trustRecent);
    if (entry) return *entry;
    // A folder that can be entered but not listed still opens names spelled exactly.
    return Exists(JoinPath(folder, name)) ? name : std::string();
}

std::string ToNative(const std::u16string& path)
{
    std::string native = platform::Utf16ToUtf8(path);
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

std::string Resolve(LPCWSTR path, bool forCreate = false)
{
    return path ? platform::ResolvePath(path, forCreate) : std::string();
}

// --- full paths ---------------------------------------------------------------------------

std::u16string CurrentFolder()
{
    std::vector<char> buffer(256);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    return platform::Utf8ToUtf16(buffer.data());
}

std::u16string NormalizeFullPath(std::u16string path)
{
    for (char16_t& c : path)
        if (c == u'\\') c = u'/';
    const bool trailing = path.back() == u'/';
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'/', start);
        if (end == std::u16string::npos) end = path.size();
        std::u16string part = path.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    std::u16string result;
    for (const std::u16string& part : parts) result += u"/" + part;
    if (result.empty() || trailing) result += u"/";
    return result;
}

// Copies text and NUL when it fits; returns the length, or the size needed with the NUL.
DWORD CopyOut(const std::u16string& text, DWORD bufferLength, LPWSTR buffer)
{
    if (text.size() >= std::numeric_limits<DWORD>::max()) return FailWith(ERROR_FILENAME_EXCED_RANGE);
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || bufferLength < needed) return needed;
    std::memcpy(buffer, text.c_str(), needed * sizeof(char16_t));
    return needed - 1;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, SECURITY_ATTRIBUTES*, DWORD creationDisposition,
                   DWORD, HANDLE)
{
    constexpr DWORD kGenericAll = 0x10000000u;
    const bool read = desiredAccess & (GENERIC_READ | kGenericAll);
    const bool write = desiredAccess & (GENERIC_WRITE | kGenericAll);
    int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    bool mayCreate = true;
    switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case OPEN_EXISTING: mayCreate = false; break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        mayCreate = false;
        break;
    default: FailWith(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    if (!fileName || !fileName[0]) {
        FailWith(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = platform::ResolvePath(fileName, mayCreate);
    const bool existed = Exists(path);
    const int descriptor = open(path.c_str(), flags, 0666);
    if (descriptor < 0) {
        FailWithErrno(path);
        return INVALID_HANDLE_VALUE;
    }
    struct stat info{};
    if (fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {   // folders open only as folders
        close(descriptor);
        FailWith(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (!existed) Forget(path);
    const bool reportsExisting = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return platform::AddHandle(std::make_shared<FileObject>(descriptor));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped)
{
    if (bytesRead) *bytesRead = 0;
    auto object = FindFile(file);
    if (!object) return FALSE;
    if (!buffer && bytesToRead) return FailWith(ERROR_INVALID_PARAMETER);
    const std::uint64_t offset =
        overlapped ? (std::uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset : 0;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) - bytesToRead)
        return FailWith(ERROR_INVALID_PARAMETER);
    DWORD total = 0;
    while (total < bytesToRead) {
        char* to = static_cast<char*>(buffer) + total;
        const ssize_t got = overlapped ? pread(object->Descriptor(), to, bytesToRead - total, off_t(offset + total))
                                       : read(object->Descriptor(), to, bytesToRead - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            if (bytesRead) *bytesRead = total;
            return FailWithErrno();
        }
        if (got == 0) break;   // end of file: a short read is a success
        total += static_cast<DWORD>(got);
    }
    if (bytesRead) *bytesRead = total;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped)
{
    if (bytesWritten) *bytesWritten = 0;
    auto object = FindFile(file);
    if (!object) return FALSE;
    if (overlapped || (!buffer && bytesToWrite)) return FailWith(ERROR_INVALID_PARAMETER);
    DWORD total = 0;
    while (total < bytesToWrite) {
        const ssize_t put =
            write(object->Descriptor(), static_cast<const char*>(buffer) + total, bytesToWrite - total);
        if (put < 0) {
            if (errno == EINTR) continue;
            if (bytesWritten) *bytesWritten = total;
            return FailWithErrno();
        }
        total += static_cast<DWORD>(put);
    }
    if (bytesWritten) *bytesWritten = total;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod)
{
    auto object = FindFile(file);
    if (!object) return FALSE;
    const int descriptor = object->Descriptor();
    off_t base = 0;
    if (moveMethod == FILE_CURRENT) {
        base = lseek(descriptor, 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info{};
        base = fstat(descriptor, &info) == 0 ? info.st_size : -1;
    } else if (moveMethod != FILE_BEGIN) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    if (base < 0) return FailWithErrno();
    off_t target = 0;
    if (__builtin_add_overflow(base, distance.QuadPart, &target)) return FailWith(ERROR_INVALID_PARAMETER);
    if (target < 0) return FailWith(ERROR_NEGATIVE_SEEK);
    const off_t result = lseek(descriptor, target, SEEK_SET);
    if (result < 0) return FailWithErrno();
    if (newPosition) newPosition->QuadPart = result;
    return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* fileSizeHigh)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return INVALID_FILE_SIZE;
    if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size.QuadPart) >> 32);
    SetLastError(ERROR_SUCCESS);   // lets callers tell a size of 0xFFFFFFFF from a failure
    return static_cast<DWORD>(size.QuadPart & 0xFFFFFFFFu);
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size)
{
    auto object = FindFile(file);
    if (!object) return FALSE;
    if (!size) return FailWith(ERROR_INVALID_PARAMETER);
    struct stat info{};
    if (fstat(object->Descriptor(), &info) != 0) return FailWithErrno();
    size->QuadPart = info.st_size;
    return TRUE;
}

BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite)
{
    auto object = FindFile(file);
    if (!object) return FALSE;
    struct statx info{};
    if (statx(object->Descriptor(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return FailWithErrno();
    auto convert = [](const statx_timestamp& time) { return platform::FileTimeFromUnix(time.tv_sec, time.tv_nsec); };
    // Not every file system keeps a birth time; the last write is the nearest stand-in.
    if (creation) *creation = convert((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
    if (lastAccess) *lastAccess = convert(info.stx_atime);
    if (lastWrite) *lastWrite = convert(info.stx_mtime);
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file)
{
    auto object = FindFile(file);
    if (!object) return FALSE;
    if (fsync(object->Descriptor()) != 0 && errno != EINVAL) return FailWithErrno();
    return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
    if (!platform::RemoveHandle(object)) return FailWith(ERROR_INVALID_HANDLE);
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR fileName)
{
    const std::string path = Resolve(fileName);
    if (path.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    struct stat info{};
    if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return FailWith(ERROR_ACCESS_DENIED);
    if (unlink(path.c_str()) != 0) return FailWithErrno(path);
    Forget(path);
    return TRUE;
}

BOOL MoveFileW(LPCWSTR existing, LPCWSTR newName)
{
    const std::string from = Resolve(existing);
    std::string to = Resolve(newName, true);
    if (from.empty() || to.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    if (!Exists(from)) return FailWithErrno(from);
    if (to == from) {
        // The new name differs only in case: rename to its own spelling within the matched folder.
        const std::string spelled = ToNative(newName);
        to = JoinPath(ParentOf(from), spelled.substr(spelled.find_last_of('/') + 1));
        if (to == from) return TRUE;
    }
    // Like Windows, never replace an existing file.
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) return FailWithErrno(to);
        if (Exists(to) && to != from) return FailWith(ERROR_ALREADY_EXISTS);
        if (rename(from.c_str(), to.c_str()) != 0) return FailWithErrno(to);
    }
    Forget(from);
    Forget(to);
    return TRUE;
}

namespace {
std::atomic<bool> g_FolderSyncFails{false};
}  // namespace

void platform::SetFolderSyncFailsForTesting(bool fails)
{
    g_FolderSyncFails = fails;
}

BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newName, DWORD flags)
{
    const bool sync = (flags & MOVEFILE_WRITE_THROUGH) != 0;
    const auto syncPath = [](const std::string& path, int openFlags) {
        const int fd = open(path.c_str(), openFlags | O_CLOEXEC);
        if (fd < 0) return false;
        const bool synced = fsync(fd) == 0;
        close(fd);
        return synced;
    };
    if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
        const std::string from = Resolve(existing);
        if (sync && !from.empty() && !syncPath(from, O_RDONLY)) return FailWithErrno(from);
        if (!MoveFileW(existing, newName)) return FALSE;
        const std::string to = Resolve(newName);
        if (sync && !syncPath(ParentOf(to), O_RDONLY | O_DIRECTORY)) return FailWithErrno(to);
        return TRUE;
    }
    const std::string from = Resolve(existing);
    const std::string to = Resolve(newName, true);
    if (from.empty() || to.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    if (!Exists(from)) return FailWithErrno(from);
    struct stat info{};
    if (stat(to.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return FailWith(ERROR_ACCESS_DENIED);
    if (sync && !syncPath(from, O_RDONLY)) return FailWithErrno(from);
    if (rename(from.c_str(), to.c_str()) != 0) return FailWithErrno(to);
    Forget(from);
    Forget(to);
    if (sync && g_FolderSyncFails.load()) return FailWith(ERROR_GEN_FAILURE);
    if (sync && !syncPath(ParentOf(to), O_RDONLY | O_DIRECTORY)) return FailWithErrno(to);
    return TRUE;
}

BOOL CopyFileW(LPCWSTR existing, LPCWSTR newName, BOOL failIfExists)
{
    const std::string from = Resolve(existing);
    const std::string to = Resolve(newName, true);
    if (from.empty() || to.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return FailWithErrno(from);
    struct stat sourceInfo{};
    if (fstat(source, &sourceInfo) != 0 || S_ISDIR(sourceInfo.st_mode)) {
        close(source);
        return FailWith(ERROR_ACCESS_DENIED);
    }
    const int target =
        open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : 0), sourceInfo.st_mode & 0777);
    if (target < 0) {
        const DWORD error = ErrorFromErrno(errno, to);
        close(source);
        return FailWith(error);
    }
    struct stat targetInfo{};
    // Truncating a file copied onto itself would lose it.
    if (fstat(target, &targetInfo) != 0 ||
        (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) || ftruncate(target, 0) != 0) {
        close(source);
        close(target);
        return FailWith(ERROR_SHARING_VIOLATION);
    }
    std::vector<char> buffer(64 * 1024);
    DWORD error = ERROR_SUCCESS;
    while (error == ERROR_SUCCESS) {
        const ssize_t got = read(source, buffer.data(), buffer.size());
        if (got == 0) break;
        if (got < 0) {
            if (errno != EINTR) error = ErrorFromErrno(errno);
            continue;
        }
        for (ssize_t done = 0; done < got && error == ERROR_SUCCESS;) {
            const ssize_t put = write(target, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno != EINTR) error = ErrorFromErrno(errno);
            } else {
                done += put;
            }
        }
    }
    if (error == ERROR_SUCCESS) {
        const timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};   // Windows keeps the write time
        futimens(target, times);
    }
    close(source);
    if (close(target) != 0 && error == ERROR_SUCCESS) error = ErrorFromErrno(errno);
    Forget(to);
    if (error != ERROR_SUCCESS) return FailWith(error);
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES*)
{
    const std::string path = Resolve(pathName, true);
    if (path.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    if (mkdir(path.c_str(), 0777) != 0) {
        if (errno == EEXIST) return FailWith(ERROR_ALREADY_EXISTS);
        if (errno == ENOENT) return FailWith(ERROR_PATH_NOT_FOUND);
        return FailWithErrno(path);
    }
    Forget(path);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName)
{
    const std::string path = Resolve(pathName);
    if (path.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    Forget(path);   // while the folder can still be found, then its parent
    if (rmdir(path.c_str()) != 0) return FailWithErrno(path);
    Forget(path);
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName)
{
    const std::string path = Resolve(fileName);
    struct stat info{};
    if (path.empty() || stat(path.c_str(), &info) != 0) {
        FailWith(path.empty() ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return (info.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer)
{
    const std::u16string folder = CurrentFolder();
    if (folder.empty()) return FailWithErrno();
    return CopyOut(folder, bufferLength, buffer);
}

BOOL SetCurrentDirectoryW(LPCWSTR pathName)
{
    const std::string path = Resolve(pathName);
    if (path.empty()) return FailWith(ERROR_PATH_NOT_FOUND);
    if (chdir(path.c_str()) != 0) return FailWith(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno));
    platform::FolderListingCache::Instance().ForgetRelativeFolders();
    return TRUE;
}

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart)
{
    if (filePart) *filePart = nullptr;
    if (!fileName || !fileName[0]) return FailWith(ERROR_INVALID_NAME);
    std::u16string path = fileName;
    if (path[0] != u'/' && path[0] != u'\\') {
        const std::u16string folder = CurrentFolder();
        if (folder.empty()) return FailWithErrno();
        path = folder + u"/" + path;
    }
    const std::u16string full = NormalizeFullPath(path);
    const DWORD result = CopyOut(full, bufferLength, buffer);
    if (result == full.size() && filePart && full.back() != u'/')
        *filePart = buffer + full.find_last_of(u'/') + 1;
    return result;
}

DWORD GetModuleFileNameW(HMODULE, LPWSTR fileName, DWORD size)
{
    std::vector<char> target(4096);
    const ssize_t length = readlink("/proc/self/exe", target.data(), target.size() - 1);
    if (length < 0) return FailWithErrno();
    const std::u16string path = platform::Utf8ToUtf16(std::string_view(target.data(), static_cast<std::size_t>(length)));
    if (!fileName || size == 0) return FailWith(ERROR_INSUFFICIENT_BUFFER);
    if (path.size() + 1 > size) {   // cut to fit, as Windows does
        std::memcpy(fileName, path.data(), (size - 1) * sizeof(char16_t));
        fileName[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path.c_str(), (path.size() + 1) * sizeof(char16_t));
    return static_cast<DWORD>(path.size());
}

DWORD GetLastError() { return t_LastError; }

void SetLastError(DWORD error) { t_LastError = error; }

namespace platform {

std::string ResolvePath(LPCWSTR path, bool forCreate)
{
    return path ? ResolvePath(std::u16string(path), forCreate) : std::string();
}

std::string ResolvePath(const std::u16string& path, bool forCreate)
{
    bool found = false;
    return ResolvePath(path, forCreate, found);
}

namespace {

// The first part of `path` in UTF-8, "" when it has none or it is "." or ".."; `base` is the
// folder it is in: "/" for a path from the root, else "" (the current folder).
std::string FirstPart(const std::u16string& path, std::string& base)
{
    const auto isSlash = [](char16_t c) { return c == u'/' || c == u'\\'; };
    std::size_t start = 0;
    while (start < path.size() && isSlash(path[start])) ++start;
    std::size_t end = start;
    while (end < path.size() && !isSlash(path[end])) ++end;
    // Built by characters: g++ 12 at -O2 misreads the assignment of a literal here as a
    // possibly overlapping copy (-Wrestrict).
    base.clear();
    if (start > 0) base.push_back('/');
    std::string first = Utf16ToUtf8(std::u16string_view(path).substr(start, end - start));
    return first == "." || first == ".." ? std::string() : first;
}

std::string ResolveNative(const std::u16string& path, bool trustRecent, bool& found)
{
    found = false;
    if (path.empty()) return {};
    const std::string native = ToNative(path);

    // The base folder's listing answers for the first part before the disk is asked for the
    // whole path: a name whose first part is not there (every packed file) costs one check of
    // the folder's time, and a plain name in the base folder needs nothing more.
    std::string base;
    const std::string first = FirstPart(path, base);
    std::optional<std::string> firstVariant;
    if (!first.empty()) firstVariant = FolderListingCache::Instance().FindCaseVariant(base, first, trustRecent);
    if (firstVariant && *firstVariant == native) {
        found = true;
        return native;
    }
    if ((!firstVariant || !firstVariant->empty()) && Exists(native)) {
        found = true;
        return native;
    }

    std::string resolved = base;
    bool matching = true;
    std::size_t start = 0;
    while (start < native.size()) {
        std::size_t end = native.find('/', start);
        if (end == std::string::npos) end = native.size();
        const std::string part = native.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        std::string next = JoinPath(resolved, part);
        if (matching && part != "." && part != "..") {
            std::string variant;
            if (firstVariant) {
                variant = *firstVariant;   // the base folder's answer, taken above
                firstVariant.reset();
            } else {
                variant = FindEntry(resolved, part, trustRecent);
            }
            if (variant.empty())
                matching = false;   // missing from here on: the caller's call reports or creates it
            else
                next = JoinPath(resolved, variant);
        }
        resolved = std::move(next);
    }
    if (native.back() == '/' && !resolved.empty() && resolved.back() != '/') resolved += '/';
    found = matching;
    return resolved;
}

}  // namespace

std::string ResolvePath(const std::u16string& path, bool, bool& found)
{
    return ResolveNative(path, false, found);
}

namespace {

// Whether the base folder's recently checked listing lacks the path's first part, so that
// nothing more needs converting or asking: the answer for every packed file's name.
bool FirstPartMissingFromRecentListing(const std::u16string& path)
{
    std::string base;
    const std::string first = FirstPart(path, base);
    if (first.empty()) return false;
    const std::optional<std::string> variant = FolderListingCache::Instance().FindCaseVariant(base, first, true);
    return variant && variant->empty();
}

}  // namespace

bool PathExists(const std::u16string& path, bool trustRecentListings)
{
    // A listing trusted for a while is asked twice for a first part that is there without a
    // second check of the folder; other callers go the whole way at once.
    if (trustRecentListings && FirstPartMissingFromRecentListing(path)) return false;
    bool found = false;
    const std::string native = ResolveNative(path, trustRecentListings, found);
    struct stat info{};
    return found && !native.empty() && stat(native.c_str(), &info) == 0;
}

void ForgetFolderListing(const std::string& path)
{
    FolderListingCache::Instance().ForgetPath(path);
}

FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds)
{
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    std::int64_t ticks = 0;
    if (seconds < -kSecondsFrom1601To1970) {
        ticks = 0;   // before 1601: the earliest FILETIME
    } else if (__builtin_mul_overflow(seconds + kSecondsFrom1601To1970, std::int64_t{10000000}, &ticks) ||
               __builtin_add_overflow(ticks, nanoseconds / 100, &ticks)) {
        ticks = std::numeric_limits<std::int64_t>::max();
    }
    if (ticks < 0) ticks = 0;
    const auto value = static_cast<std::uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

}  // namespace platform
