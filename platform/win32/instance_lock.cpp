#include "platform/win32/instance_lock.h"

#include "platform/win32/window_registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

struct HeldLock {
    int fd = -1;
    std::string path;
};

struct LockState {
    std::mutex mutex;
    std::string folder;        // empty: the default
    std::map<std::u16string, HeldLock> held;   // class key -> the lock file this process holds
    bool exitHookInstalled = false;
};

// Never destroyed: windows may still be released while the process exits.
LockState& Locks()
{
    static LockState* state = new LockState;
    return *state;
}

// Removes the file while still holding its lock, so that a process that opened it meanwhile
// sees it gone (see Acquire) instead of taking a lock nobody else can find.
void Drop(HeldLock& lock)
{
    unlink(lock.path.c_str());
    close(lock.fd);
}

void ReleaseAllAtExit()
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    for (auto& [key, held] : state.held) Drop(held);
    state.held.clear();
}

// A folder only this user can write to; empty when it cannot be made safely.
std::string PrivateFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        platform::LogUserError("window lock folder \"%s\" cannot be made: %s", path.c_str(), std::strerror(errno));
        return {};
    }
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0) {
        platform::LogUserError("window lock folder \"%s\" is not a private folder of this user", path.c_str());
        return {};
    }
    return path;
}

// Per user: the session's runtime folder, else a private folder of this user under the
// temporary folder.
std::string DefaultFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && *runtime && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) return runtime;
    const char* temp = std::getenv("TMPDIR");
    const std::string base = temp && *temp ? temp : "/tmp";
    return PrivateFolder(base + "/tarnwick-" + std::to_string(getuid()));
}

// The file name comes from a hash so that any title (slashes, Japanese) makes a valid name.
// Empty when there is no folder to keep it in.
std::string LockPath(const std::string& folder, const std::u16string& classKey)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char16_t unit : classKey) {
        hash = (hash ^ (unit & 0xFFu)) * 0x100000001b3ull;
        hash = (hash ^ (unit >> 8)) * 0x100000001b3ull;
    }
    const std::string base = folder.empty() ? DefaultFolder() : folder;
    if (base.empty()) return {};
    char name[64];
    std::snprintf(name, sizeof name, "/tarnwick-window-%016llx.lock", static_cast<unsigned long long>(hash));
    return base + name;
}

// Whether the descriptor is still the file at `path` (not removed by its last holder).
bool StillAtPath(int fd, const std::string& path)
{
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Takes the lock file at `path`: -1 when another process holds it or it cannot be opened.
int Acquire(const std::string& path)
{
    // A holder that releases removes the file; whoever opened it just before retries on a new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            platform::LogUserError("window lock file \"%s\" cannot be opened: %s", path.c_str(), std::strerror(errno));
            return -1;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return -1;
        }
        if (StillAtPath(fd, path)) return fd;
        close(fd);
    }
    return -1;
}

}  // namespace

namespace platform {

void SetClassLockFolder(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(Locks().mutex);
    Locks().folder = folder;
}

void AcquireClassLock(const std::u16string& classKey)
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.held.count(classKey)) return;
    const std::string path = LockPath(state.folder, classKey);
    if (path.empty()) return;
    // Taken by another process: that one stays the one others see; we simply hold nothing.
    const int fd = Acquire(path);
    if (fd < 0) return;
    state.held[classKey] = HeldLock{fd, path};
    if (!state.exitHookInstalled) {
        state.exitHookInstalled = true;
        std::atexit(ReleaseAllAtExit);
    }
}

void ReleaseClassLock(const std::u16string& classKey)
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = state.held.find(classKey);
    if (it == state.held.end()) return;
    Drop(it->second);
    state.held.erase(it);
}

void ReleaseAllClassLocks()
{
    ReleaseAllAtExit();
}

bool IsClassLockedElsewhere(const std::u16string& classKey)
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.held.count(classKey)) return false;
    const std::string path = LockPath(state.folder, classKey);
    if (path.empty()) return false;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;   // no file: nobody holds it
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool elsewhere = errno == EWOULDBLOCK;
        close(fd);
        return elsewhere;
    }
    // Left by a process that ended without releasing it: removed while we hold it.
    HeldLock stale{fd, path};
    if (StillAtPath(fd, path))
        Drop(stale);
    else
        close(fd);
    return false;
}

}  // namespace platform
