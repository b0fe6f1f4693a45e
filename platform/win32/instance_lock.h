// Per-class lock files that make one process's windows visible to another (internal to the
// user layer). While a process has a window of a class it holds an flock on a file named from
// the class name; another process finding that lock taken knows such a window exists. The files
// live in a folder of this user's own and are removed when released and at process exit.
#pragma once

#include <string>

namespace platform {

void SetClassLockFolder(const std::string& folder);
// `classKey` is the class name with ASCII letters lowered.
void AcquireClassLock(const std::u16string& classKey);
void ReleaseClassLock(const std::u16string& classKey);
void ReleaseAllClassLocks();
// True when another process holds the lock of the class.
bool IsClassLockedElsewhere(const std::u16string& classKey);

}  // namespace platform
