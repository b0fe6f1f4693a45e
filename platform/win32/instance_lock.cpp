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

struct LockState {
    std::mutex mutex;
    std::string folder;        // empty: the default
    std::map<std::u16string, int> held;   // class key -> descriptor holding the lock
};

LockState& Locks()
{
    static LockState state;
    return state;
}

std::string DefaultFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && *runtime && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) return runtime;
    return "/tmp";
}

// The file name comes from a hash so that any title (slashes, Japanese) makes a valid name.
std::string LockPath(const std::string& folder, const std::u16string& classKey)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char16_t unit : classKey) {
        hash = (hash ^ (unit & 0xFFu)) * 0x100000001b3ull;
        hash = (hash ^ (unit >> 8)) * 0x100000001b3ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "/tarnwick-window-%016llx.lock", static_cast<unsigned long long>(hash));
    return (folder.empty() ? DefaultFolder() : folder) + name;
}

int OpenLockFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) platform::LogUserError("window lock file \"%s\" cannot be opened: %s", path.c_str(), std::strerror(errno));
    return fd;
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
    int fd = OpenLockFile(LockPath(state.folder, classKey));
    if (fd < 0) return;
    // Taken by another process: that one stays the one others see; we simply hold nothing.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    state.held[classKey] = fd;
}

void ReleaseClassLock(const std::u16string& classKey)
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = state.held.find(classKey);
    if (it == state.held.end()) return;
    close(it->second);   // closing drops the flock
    state.held.erase(it);
}

void ReleaseAllClassLocks()
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    for (auto& [key, fd] : state.held) close(fd);
    state.held.clear();
}

bool IsClassLockedElsewhere(const std::u16string& classKey)
{
    LockState& state = Locks();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.held.count(classKey)) return false;
    int fd = OpenLockFile(LockPath(state.folder, classKey));
    if (fd < 0) return false;
    bool elsewhere = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return elsewhere;
}

}  // namespace platform
