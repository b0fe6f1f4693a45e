// File-system services: where a game's file lies (loose on disk or in a pack archive), whole-
// file reading (optionally through the file cache), text files as lines, path strings and
// folders. Names may use "\" or "/"; loose files are found without regard to case.
//
// Sections: file system state and packs | whole files | text lines | paths and folders
#pragma once

#include "foundation/bin_buffer.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>
#include <vector>

class GxMutex;
class GxFileCache;
class GxPackFileHeaderCache;
struct GxPackFileEntry;

// ---- file system state and packs -------------------------------------------------------

// Where FileExists found a name.
constexpr int kFileNotFound = 0;
constexpr int kFileOnDisk = 1;
constexpr int kFileInPack = 2;

// kFileOnDisk when the name exists on disk, else kFileInPack when a registered pack holds it,
// else kFileNotFound.
int FileExists(const std::u16string& name);

// The first registered pack that holds the name, and its entry. Both outputs are left null
// when no pack holds it.
bool FindPackEntry(const std::u16string& name, GxPackFileHeaderCache** pack, const GxPackFileEntry** entry);
// How many times the packs were released, read under GxFile::GetLock(). Packs are only ever
// added after those already searched, so an entry found earlier stays the one to read while
// this count is unchanged.
std::uint64_t PackReleaseCount();
// Whether `name` is a loose file on disk, which is read in place of a packed one of that name;
// `packed` tells whether a pack holds the name. Asked without the lock: a look-up may read a
// folder listing, and other threads' reads from packs need not wait for it.
bool LooseFileExists(const std::u16string& name, bool packed);

// A pack that AddPackFile refused, and why (English, as logged).
struct GxPackFailure {
    std::u16string m_Path;
    std::u16string m_Reason;
    bool m_Missing = false;   // no file of that name at all
};

namespace GxFile {

// Size of a disk file, else of the pack entry, else 0.
std::uint32_t GetFileSize(const std::u16string& name);

// Reads a whole file into `buffer`. A missing file logs (unless quiet) and leaves the buffer
// untouched; a short read logs and leaves it allocated at the file's size.
bool ReadWholeFile(GxBinBuffer& buffer, const std::u16string& name, bool useCache = false, bool quiet = false);

void SetCacheEnabled(bool enabled);
void SetCacheCapacity(std::uint32_t bytes);
void SetCacheMaxFileSize(std::uint32_t bytes);
void ClearCache();
// The one global cache (tests and the read path use it directly).
GxFileCache& GetCache();

// Loads a pack's index and appends it to the pack list (looked up in registration order).
// A refused pack is logged and remembered until ReleasePacks.
bool AddPackFile(const std::u16string& path);
void ReleasePacks();
// The packs refused since the last ReleasePacks, in order. Packs are registered before the logs
// have a file, so start-up writes these into the logs once they do.
std::vector<GxPackFailure> GetPackFailures();

// The file-system lock: recursive; guards the pack list, the cache settings, opens and closes.
GxMutex& GetLock();

}  // namespace GxFile

// ---- whole files -------------------------------------------------------------------------

// Reads a whole file, without the cache, into a buffer two zero bytes longer than the file,
// so that 8-bit and UTF-16 text is terminated.
bool ReadWholeFileTerminated(GxBinBuffer& buffer, const std::u16string& name, bool quiet = false);

// ---- text lines ------------------------------------------------------------------------

// A text file as wide lines: UTF-8 (EF BB BF) or UTF-16LE (FF FE) by signature, else 8-bit
// text in the engine's code page. UTF-16BE, an empty or an unreadable file give false.
// Lines are appended to `lines`.
bool LoadFileToBuffer(std::vector<std::u16string>& lines, const std::u16string& name, bool skipEmpty);
// The decoding step of LoadFileToBuffer on bytes already read (the same rules and results).
bool TextBytesToLines(std::vector<std::u16string>& lines, const BYTE* data, std::size_t size, bool skipEmpty);
// Empties `lines`, then appends the file's 8-bit lines unconverted.
bool LoadTextLines(std::vector<std::string>& lines, const std::u16string& name, bool skipEmpty);

// Line readers: take the next line from [cursor, end) into `line`, advancing the cursor and
// adding 1 to `lineCount` for each line feed. CR and FF are dropped wherever they stand; a
// NUL ends the text. False when no text is left. The 8-bit form steps over whole double-byte
// characters of `codePage` (0 = the engine's 8-bit code page; CP_UTF8 steps byte by byte).
bool ReadTextLine(const char*& cursor, const char* end, std::string& line, int& lineCount, UINT codePage = 0);
bool ReadTextLineWide(const char16_t*& cursor, const char16_t* end, std::u16string& line, int& lineCount);

// ---- paths and folders -----------------------------------------------------------------
// "\" and "/" both separate; ":" ends a drive.

// From the last of ".", "\", "/" and ":" to the end when that is a "."; else empty.
std::u16string GetFileExtension(const std::u16string& path);
// The extension (with its dot) equals `extension`, ignoring the case of A-Z.
bool HasFileExtension(const std::u16string& path, const std::u16string& extension);
std::u16string ChangeFileExtension(const std::u16string& path, const std::u16string& extension);
std::u16string GetFileNameFromPath(const std::u16string& path);
// The file name cut before its first ".".
std::u16string GetFileTitleFromPath(const std::u16string& path);
// Up to and including the last separator; empty when there is none.
std::u16string GetFolderFromPath(const std::u16string& path);
std::u16string AppendPathSeparator(const std::u16string& path, char16_t separator = u'/');
std::u16string CombinePath(const std::u16string& folder, const std::u16string& name, char16_t separator = u'/');
std::u16string RemoveTrailingSeparator(const std::u16string& path);
std::u16string GetFullPath(const std::u16string& path);
std::u16string ReplaceWideChar(const std::u16string& text, char16_t from, char16_t to);
std::u16string GetCurrentFolder();
std::u16string GetUserDataFolder();
bool CreateFolder(const std::u16string& path);
bool FolderExists(const std::u16string& path);
// Whether the file opens for reading ("rb"); the save screens test for saved files with it.
bool OpenFileRead(const std::u16string& path);
