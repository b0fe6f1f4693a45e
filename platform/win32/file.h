// Files and folders: the Win32 kernel subset over POSIX.
// Every path-taking call reads "\" as "/" and, when the exact name is absent, matches each
// path component without regard to case (the exact spelling wins when several exist).
#pragma once

#include "platform/win32/win_types.h"

#include <string>

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

// Error codes of the file calls beyond those in win_types.h.
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;

struct SECURITY_ATTRIBUTES;

// Only the offset is used: a read with one reads at Offset/OffsetHigh without moving the
// handle's position, so threads can share one handle.
struct OVERLAPPED {
    ULONG_PTR Internal = 0;
    ULONG_PTR InternalHigh = 0;
    DWORD Offset = 0;
    DWORD OffsetHigh = 0;
    HANDLE hEvent = nullptr;
};

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// I/O is synchronous; `overlapped`, when given, only names the offset to read at.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition, DWORD moveMethod);
DWORD GetFileSize(HANDLE file, DWORD* fileSizeHigh);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
BOOL FlushFileBuffers(HANDLE file);
// Files, threads, processes, events and semaphores; a bad or already closed handle fails with
// ERROR_INVALID_HANDLE.
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileW(LPCWSTR fileName);
BOOL MoveFileW(LPCWSTR existing, LPCWSTR newName);
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
// MOVEFILE_REPLACE_EXISTING replaces a file (never a folder) of the new name in one step;
// without it this is MoveFileW. MOVEFILE_WRITE_THROUGH syncs the file before and its new folder
// after, so the move has reached the disk when it returns.
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR newName, DWORD flags);
BOOL CopyFileW(LPCWSTR existing, LPCWSTR newName, BOOL failIfExists);
BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES* security);   // one level
BOOL RemoveDirectoryW(LPCWSTR pathName);
DWORD GetFileAttributesW(LPCWSTR fileName);
// Writes the current folder with "/" separators; returns the length, or the size needed
// (with the NUL) when the buffer is too small, or 0 on failure.
DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
BOOL SetCurrentDirectoryW(LPCWSTR pathName);
// Joins a relative name to the current folder and folds "." and ".." in the text alone (the
// disk is not asked); "/" separators. Returns the length, or the size needed, or 0.
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

DWORD GetLastError();
void SetLastError(DWORD error);

namespace platform {

// The native (UTF-8, "/") path a Windows-style wide path names, with the case-insensitive
// component match applied (A-Z and full-width Ａ-Ｚ; among several case variants the exact
// spelling wins, else the byte-wise smallest name). The first component that matches nothing
// is kept as given, with the rest of the path, so a name to be created (`forCreate`) keeps its
// spelling while its parent folders are still matched; the call that uses the path then fails
// or creates as the OS decides. Absolute paths pass through the same way.
std::string ResolvePath(LPCWSTR path, bool forCreate = false);
std::string ResolvePath(const std::u16string& path, bool forCreate = false);
// As above; `found` tells whether every component was matched (the path exists as returned,
// unless it changed meanwhile), which spares callers a second look.
std::string ResolvePath(const std::u16string& path, bool forCreate, bool& found);
// Whether the file or folder `path` is there (PathFileExistsW). With `trustRecentListings`, for a
// name that a pack also holds, folder listings checked within the last millisecond answer without
// asking the disk again (see the listing cache), so that reading a pack's files one after another
// costs no folder check each; a loose copy put beside the pack behind the engine's back is thus
// seen at most a millisecond late. Without it every call checks.
bool PathExists(const std::u16string& path, bool trustRecentListings = false);
// Tells the name match that the engine created, renamed or deleted the native `path` by other
// means than the calls above (stdio streams, rename()), so that its folder is listed afresh.
void ForgetFolderListing(const std::string& path);

// Test seam: while set, the folder sync of MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH fails (ERROR_GEN_FAILURE) after the rename took place, as on a disk
// that refuses it.
void SetFolderSyncFailsForTesting(bool fails);

// FILETIME from POSIX seconds and nanoseconds.
FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace platform
