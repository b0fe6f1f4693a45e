#include "platform/win32/file.h"
#include "platform/win32/folder_listing_cache.h"
#include "platform/win32/shell.h"
#include "platform/win32/sync.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Each test works in a fresh folder that is also the current folder.
class Win32Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tw_kernel_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_Root = fs::canonical(pattern);
        m_Previous = fs::current_path();
        fs::current_path(m_Root);
        // Listings live for the whole process, keyed by folder inode; the folder of the test
        // before was removed and its inode may come back here with the same aged time.
        platform::FolderListingCache::Instance().Clear();
    }

    void TearDown() override
    {
        fs::current_path(m_Previous);
        fs::remove_all(m_Root);
    }

    static void Write(const fs::path& path, const std::string& bytes)
    {
        fs::create_directories(fs::path(path).parent_path().empty() ? "." : fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string Read(const fs::path& path)
    {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }

    // The whole content of a file opened through CreateFileW, or "<fail>".
    static std::string ReadThroughApi(const char16_t* name)
    {
        HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<fail>";
        std::string content(256, '\0');
        DWORD got = 0;
        ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got, nullptr);
        CloseHandle(file);
        content.resize(got);
        return content;
    }

    fs::path m_Root;
    fs::path m_Previous;
};

TEST_F(Win32Files, WindowsNamesFindFilesWhateverTheCaseAndSeparator)
{
    Write("system/sysconf.ini", "conf");
    Write("FONT16SYS.png", "font");
    Write("data/sub/x.txt", "x");

    EXPECT_EQ(ReadThroughApi(u"SYSTEM\\SysConf.INI"), "conf");
    EXPECT_EQ(ReadThroughApi(u"system/sysconf.ini"), "conf");
    EXPECT_EQ(ReadThroughApi(u"font16sys.PNG"), "font");
    EXPECT_EQ(ReadThroughApi(u"Data\\SUB/X.txt"), "x");
    EXPECT_EQ(ReadThroughApi(u"./data/../DATA/sub/x.txt"), "x");
    EXPECT_EQ(ReadThroughApi((m_Root.u16string() + u"/SYSTEM/SYSCONF.INI").c_str()), "conf");   // absolute

    EXPECT_TRUE(PathFileExistsW(u"SYSTEM\\SysConf.INI"));
    EXPECT_TRUE(PathFileExistsW(u"Data\\Sub"));
    EXPECT_FALSE(PathFileExistsW(u"system\\missing.ini"));
    EXPECT_FALSE(PathFileExistsW(u""));
    EXPECT_FALSE(PathFileExistsW(nullptr));
    EXPECT_EQ(GetFileAttributesW(u"DATA\\sub") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(u"SYSTEM\\SYSCONF.INI") & FILE_ATTRIBUTE_DIRECTORY, 0u);

    EXPECT_TRUE(DeleteFileW(u"Data\\Sub\\X.TXT"));
    EXPECT_FALSE(fs::exists("data/sub/x.txt"));
}

TEST_F(Win32Files, ExactSpellingWinsThenTheSmallestVariant)
{
    Write("Save.dat", "Save");
    Write("save.dat", "save");
    Write("SAVE.DAT", "SAVE");
    EXPECT_EQ(ReadThroughApi(u"save.dat"), "save");
    EXPECT_EQ(ReadThroughApi(u"Save.dat"), "Save");
    EXPECT_EQ(ReadThroughApi(u"sAvE.dAt"), "SAVE");   // the byte-wise smallest name, every time
    EXPECT_EQ(platform::ResolvePath(u"sAvE.dAt"), "SAVE.DAT");
    // Full-width letters fold too.
    Write("\xEF\xBC\xA1.txt", "A");   // "Ａ.txt"
    EXPECT_EQ(ReadThroughApi(u"\uFF41.TXT"), "A");
}

TEST_F(Win32Files, NewNamesKeepTheirSpellingInsideMatchedFolders)
{
    fs::create_directory("save");
    EXPECT_EQ(platform::ResolvePath(u"SAVE\\New.dat", true), "save/New.dat");
    EXPECT_EQ(platform::ResolvePath(u"Missing\\Deeper\\x"), "Missing/Deeper/x");
    EXPECT_EQ(platform::ResolvePath(u"/no/such/Folder/"), "/no/such/Folder/");
    EXPECT_EQ(platform::ResolvePath(u""), "");

    HANDLE file = CreateFileW(u"SAVE\\New.dat", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(Read("save/New.dat"), "abc");

    // An existing file in another case is the same file, as on Windows.
    EXPECT_EQ(CreateFileW(u"save\\NEW.DAT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    file = CreateFileW(u"save\\NEW.DAT", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(file);
    EXPECT_EQ(Read("save/New.dat"), "");   // truncated
    EXPECT_FALSE(fs::exists("save/NEW.DAT"));
}

TEST_F(Win32Files, OpenFailuresNameTheirCause)
{
    fs::create_directory("folder");
    struct Case {
        const char16_t* name;
        DWORD disposition;
        DWORD error;
    };
    const Case cases[] = {
        {u"missing.txt", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {u"nofolder\\missing.txt", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {u"nofolder\\new.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {u"FOLDER", OPEN_EXISTING, ERROR_ACCESS_DENIED},   // a folder is not a file
        {u"", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {u"x", 99, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(CreateFileW(c.name, GENERIC_READ, FILE_SHARE_READ, nullptr, c.disposition, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(Win32Files, ReadsSeeksAndSizesPerHandle)
{
    std::string bytes(120, '\0');
    for (int i = 0; i < 120; ++i) bytes[i] = static_cast<char>(i);
    Write("data.bin", bytes);
    HANDLE a = CreateFileW(u"DATA.BIN", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE b = CreateFileW(u"data.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(a, INVALID_HANDLE_VALUE);
    ASSERT_NE(b, INVALID_HANDLE_VALUE);

    LARGE_INTEGER size{};
    EXPECT_TRUE(GetFileSizeEx(a, &size));
    EXPECT_EQ(size.QuadPart, 120);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(a, &high), 120u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    // A read past the end is short, then empty, and both succeed.
    LARGE_INTEGER to{};
    LARGE_INTEGER at{};
    to.QuadPart = 90;
    EXPECT_TRUE(SetFilePointerEx(a, to, &at, FILE_BEGIN));
    EXPECT_EQ(at.QuadPart, 90);
    char buffer[100] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(a, buffer, 100, &got, nullptr));
    EXPECT_EQ(got, 30u);
    EXPECT_EQ(buffer[0], 90);
    EXPECT_TRUE(ReadFile(a, buffer, 100, &got, nullptr));
    EXPECT_EQ(got, 0u);

    // The other handle has its own position.
    EXPECT_TRUE(ReadFile(b, buffer, 4, &got, nullptr));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(buffer[0], 0);

    // Relative moves; a move before the start fails and leaves the position alone.
    to.QuadPart = -10;
    EXPECT_TRUE(SetFilePointerEx(a, to, &at, FILE_END));
    EXPECT_EQ(at.QuadPart, 110);
    to.QuadPart = -200;
    EXPECT_FALSE(SetFilePointerEx(a, to, &at, FILE_CURRENT));
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    to.QuadPart = 0;
    EXPECT_TRUE(SetFilePointerEx(a, to, &at, FILE_CURRENT));
    EXPECT_EQ(at.QuadPart, 110);
    EXPECT_FALSE(SetFilePointerEx(a, to, &at, 7));
    // A read at a named offset leaves the handle's position alone; past the end it is empty.
    OVERLAPPED offset;
    offset.Offset = 7;
    char two[2] = {};
    EXPECT_TRUE(ReadFile(a, two, 2, &got, &offset));
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(two[0], 7);
    EXPECT_EQ(two[1], 8);
    EXPECT_TRUE(SetFilePointerEx(a, to, &at, FILE_CURRENT));
    EXPECT_EQ(at.QuadPart, 110);
    offset.Offset = 500;
    EXPECT_TRUE(ReadFile(a, two, 2, &got, &offset));
    EXPECT_EQ(got, 0u);
    offset.OffsetHigh = 0xFFFFFFFFu;
    EXPECT_FALSE(ReadFile(a, two, 2, &got, &offset));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(b));
    // Closed, or not a file at all: every file call fails cleanly.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (HANDLE handle : {a, event, INVALID_HANDLE_VALUE}) {
        EXPECT_FALSE(ReadFile(handle, buffer, 1, &got, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(got, 0u);
        EXPECT_EQ(GetFileSize(handle, nullptr), INVALID_FILE_SIZE);
        EXPECT_FALSE(SetFilePointerEx(handle, to, nullptr, FILE_BEGIN));
        EXPECT_FALSE(GetFileTime(handle, nullptr, nullptr, nullptr));
    }
    CloseHandle(event);
}

TEST(Win32FileTime, ConvertsUnixTimeTo100NanosecondsSince1601)
{
    struct Case {
        std::int64_t seconds;
        std::int64_t nanoseconds;
        std::uint64_t ticks;
    };
    const Case cases[] = {
        {0, 0, 116444736000000000ull},
        {1, 999, 116444736010000009ull},
        {1700000000, 123456789, 133444736001234567ull},
        {-11644473600, 0, 0},
        {-11644473601, 0, 0},   // before 1601: clamped, not wrapped
    };
    for (const Case& c : cases) {
        const FILETIME time = platform::FileTimeFromUnix(c.seconds, c.nanoseconds);
        EXPECT_EQ((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime, c.ticks) << c.seconds;
    }
}

TEST_F(Win32Files, LastWriteTimeFollowsTheFile)
{
    Write("cached.png", "one");
    auto lastWrite = [] {
        HANDLE file = CreateFileW(u"Cached.PNG", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME time{};
        EXPECT_TRUE(GetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    const timespec first[2] = {{0, UTIME_OMIT}, {1700000000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, "cached.png", first, 0), 0);
    EXPECT_EQ(lastWrite(), 133444736000000005ull);
    const timespec touched[2] = {{0, UTIME_OMIT}, {1700000000, 700}};   // 200 ns later
    ASSERT_EQ(utimensat(AT_FDCWD, "cached.png", touched, 0), 0);
    EXPECT_EQ(lastWrite(), 133444736000000007ull);
}

TEST_F(Win32Files, FoldersAreMadeOneLevelAtATime)
{
    EXPECT_TRUE(CreateDirectoryW(u"Tarnwick_SAVE", nullptr));
    EXPECT_EQ(GetFileAttributesW(u"tarnwick_save"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(CreateDirectoryW(u"TARNWICK_SAVE", nullptr));   // exists in another case
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(u"a\\b", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(CreateDirectoryW(u"tarnwick_save\\Slot", nullptr));
    EXPECT_TRUE(fs::is_directory("Tarnwick_SAVE/Slot"));
    EXPECT_EQ(GetFileAttributesW(u"nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    Write("Tarnwick_SAVE/Slot/f", "");
    EXPECT_FALSE(RemoveDirectoryW(u"TARNWICK_SAVE\\slot"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_FALSE(DeleteFileW(u"TARNWICK_SAVE\\slot"));   // a folder is not deleted as a file
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DeleteFileW(u"TARNWICK_SAVE\\slot\\F"));
    EXPECT_TRUE(RemoveDirectoryW(u"TARNWICK_SAVE\\slot"));
    EXPECT_FALSE(DeleteFileW(u"gone.txt"));
}

TEST_F(Win32Files, CurrentAndFullPathsCountUtf16UnitsWithSlashes)
{
    fs::create_directory("\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96");   // "セーブ": 9 bytes, 3 units
    EXPECT_TRUE(SetCurrentDirectoryW(u"\u30BB\u30FC\u30D6"));
    const std::u16string expected = m_Root.u16string() + u"/\u30BB\u30FC\u30D6";

    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    EXPECT_EQ(needed, expected.size() + 1);
    char16_t tooSmall[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(GetCurrentDirectoryW(4, tooSmall), needed);
    EXPECT_EQ(tooSmall[0], u'#');
    std::u16string folder(needed, u'\0');
    EXPECT_EQ(GetCurrentDirectoryW(needed, folder.data()), needed - 1);
    folder.resize(needed - 1);
    EXPECT_EQ(folder, expected);

    char16_t full[MAX_PATH * 2] = {};
    LPWSTR filePart = nullptr;
    const DWORD length = GetFullPathNameW(u"a\\.\\b\\..\\save.dat", MAX_PATH * 2, full, &filePart);
    EXPECT_EQ(std::u16string(full), expected + u"/a/save.dat");
    EXPECT_EQ(length, expected.size() + 11);
    ASSERT_NE(filePart, nullptr);
    EXPECT_EQ(std::u16string(filePart), u"save.dat");
    EXPECT_EQ(GetFullPathNameW(u"/x/../../y/", MAX_PATH, full, &filePart), 3u);
    EXPECT_EQ(std::u16string(full), u"/y/");
    EXPECT_EQ(filePart, nullptr);
    EXPECT_EQ(GetFullPathNameW(u"abc", 2, full, nullptr), expected.size() + 5);   // size needed
    EXPECT_EQ(GetFullPathNameW(u"", MAX_PATH, full, nullptr), 0u);

    EXPECT_TRUE(SetCurrentDirectoryW(u".."));
    EXPECT_FALSE(SetCurrentDirectoryW(u"no such folder"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(Win32Files, CopyAndMoveNeverLoseData)
{
    Write("a.txt", "alpha");
    Write("b.txt", "beta");
    EXPECT_FALSE(CopyFileW(u"A.TXT", u"b.txt", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_FALSE(CopyFileW(u"a.txt", u"A.txt", FALSE));   // onto itself
    EXPECT_EQ(Read("a.txt"), "alpha");
    EXPECT_TRUE(CopyFileW(u"A.TXT", u"B.TXT", FALSE));
    EXPECT_EQ(Read("b.txt"), "alpha");
    EXPECT_FALSE(fs::exists("B.TXT"));
    EXPECT_TRUE(CopyFileW(u"a.txt", u"c.txt", TRUE));
    EXPECT_EQ(fs::last_write_time("a.txt"), fs::last_write_time("c.txt"));

    EXPECT_FALSE(MoveFileW(u"a.txt", u"B.txt"));   // never replaces
    EXPECT_EQ(Read("b.txt"), "alpha");
    EXPECT_TRUE(MoveFileW(u"C.TXT", u"moved.txt"));
    EXPECT_EQ(Read("moved.txt"), "alpha");
    EXPECT_TRUE(MoveFileW(u"moved.txt", u"Moved.TXT"));   // a change of case only
    EXPECT_TRUE(fs::exists("Moved.TXT"));
    EXPECT_FALSE(fs::exists("moved.txt"));
    EXPECT_FALSE(MoveFileW(u"none.txt", u"x.txt"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32Files, MoveWithReplaceSwapsTheFileInOneStep)
{
    Write("new.tmp", "fresh");
    Write("Old.dat", "stale and longer");
    EXPECT_FALSE(MoveFileExW(u"new.tmp", u"old.dat", MOVEFILE_WRITE_THROUGH));   // no replace flag
    EXPECT_EQ(Read("Old.dat"), "stale and longer");
    EXPECT_TRUE(MoveFileExW(u"new.tmp", u"old.dat", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(Read("Old.dat"), "fresh");   // the existing name, whatever its case
    EXPECT_FALSE(fs::exists("new.tmp"));
    EXPECT_FALSE(fs::exists("old.dat"));

    fs::create_directory("folder");
    Write("x.tmp", "x");
    EXPECT_FALSE(MoveFileExW(u"x.tmp", u"folder", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileExW(u"none.tmp", u"y.dat", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(MoveFileExW(u"x.tmp", u"y.dat", MOVEFILE_WRITE_THROUGH));   // a plain move, synced
    EXPECT_EQ(Read("y.dat"), "x");
}

TEST(Win32Module, FileNameIsTheRunningProgramCutToFit)
{
    char16_t name[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH * 4);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(name[0], u'/');
    EXPECT_NE(std::u16string(name).find(u"test_platform_win32"), std::u16string::npos);
    char16_t small[5] = {};
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small[4], u'\0');
}

// Sets a folder's modification time to a moment of 2020 (`minutes` after a fixed one), as an
// old game folder has.
void AgeFolder(const fs::path& folder, long minutes)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000 + minutes * 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), times, 0), 0);
}

TEST_F(Win32Files, FolderListingsAreReadAgainOnlyWhenTheFolderChanges)
{
    Write("Data/A.png", "a");
    Write("Data/b.png", "b");
    AgeFolder(".", 3600);
    AgeFolder("Data", 3600);
    auto reads = [] { return platform::FolderListingCache::Instance().ReadCount(); };

    EXPECT_EQ(platform::ResolvePath(u"DATA\\a.PNG"), "Data/A.png");
    const auto afterFirst = reads();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(platform::ResolvePath(u"data\\packed" + std::u16string(1, char16_t(u'a' + i)) + u".png"),
                  "Data/packed" + std::string(1, char('a' + i)) + ".png");
        EXPECT_EQ(platform::ResolvePath(u"DATA/B.PNG"), "Data/b.png");
    }
    EXPECT_EQ(reads(), afterFirst);   // nothing changed: no folder was read again

    // Behind the engine's back: found once the folder's time moves on.
    Write("Data/New.PNG", "n");
    AgeFolder("Data", 1800);
    EXPECT_EQ(platform::ResolvePath(u"data/new.png"), "Data/New.PNG");
    fs::rename("Data/New.PNG", "Data/Renamed.PNG");
    AgeFolder("Data", 1200);
    EXPECT_EQ(platform::ResolvePath(u"data/renamed.png"), "Data/Renamed.PNG");
    EXPECT_EQ(platform::ResolvePath(u"data/new.png"), "Data/new.png");   // gone: kept as given
    const auto settled = reads();
    EXPECT_EQ(platform::ResolvePath(u"data/RENAMED.png"), "Data/Renamed.PNG");
    EXPECT_EQ(reads(), settled);

    // A folder changed just now is listed at every look-up: its time may not show the next change.
    Write("Data/Fresh.png", "f");
    EXPECT_EQ(platform::ResolvePath(u"data/FRESH.png"), "Data/Fresh.png");
    Write("Data/Fresher.png", "f");
    EXPECT_EQ(platform::ResolvePath(u"data/FRESHER.png"), "Data/Fresher.png");
}

// A name that a pack also holds may be answered from a settled listing checked within the last
// millisecond; once that time is over, a loose copy put there behind the engine's back is seen.
// Every other name is checked at once.
TEST_F(Win32Files, LooseCopiesOfPackedNamesAreSeenOnceTheTrustedMomentIsOver)
{
    Write("Old.png", "o");
    AgeFolder(".", 3600);
    EXPECT_FALSE(platform::PathExists(u"packed.PNG", true));
    EXPECT_TRUE(platform::PathExists(u"OLD.png", true));

    Write("Packed.png", "loose copy");
    AgeFolder(".", 1800);
    EXPECT_TRUE(PathFileExistsW(u"packed.png"));   // always checked
    std::this_thread::sleep_for(
        std::chrono::nanoseconds(2 * platform::FolderListingCache::kTrustNanoseconds));
    EXPECT_TRUE(platform::PathExists(u"packed.PNG", true));

    // The engine's own changes are seen at once.
    ASSERT_TRUE(DeleteFileW(u"PACKED.png"));
    EXPECT_FALSE(platform::PathExists(u"packed.PNG", true));
}

// The trusted check answers from the first part's listing when that part is missing, and goes
// on through the rest of the path when it is there, however the path is spelled.
TEST_F(Win32Files, TrustedChecksFollowEveryFormOfPath)
{
    Write("Data/Sub/File.png", "f");
    AgeFolder("Data/Sub", 3600);
    AgeFolder("Data", 3600);
    AgeFolder(".", 3600);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
    const std::u16string here = platform::Utf8ToUtf16(cwd);
    const struct {
        std::u16string path;
        bool exists;
    } cases[] = {
        {u"data\\SUB/file.PNG", true},
        {u"./Data/Sub/File.png", true},
        {here + u"/DATA/sub/file.png", true},
        {here + u"\\data\\sub\\FILE.png", true},
        {u"DATA", true},
        {u"data/sub/none.png", false},
        {u"none/File.png", false},
        {u"\\none\\File.png", false},
        {here + u"/none/File.png", false},
        {u"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::PathExists(c.path, true), c.exists) << platform::Utf16ToUtf8(c.path);
        EXPECT_EQ(platform::PathExists(c.path, false), c.exists) << platform::Utf16ToUtf8(c.path);
    }
}

TEST_F(Win32Files, TheEnginesOwnChangesAreSeenEvenWhenTheFolderTimeStandsStill)
{
    Write("Save/Old.dat", "o");
    AgeFolder(".", 3600);
    AgeFolder("Save", 3600);
    EXPECT_EQ(platform::ResolvePath(u"SAVE\\old.DAT"), "Save/Old.dat");   // the listing is cached

    // Each change is followed by putting the folder's old time back.
    HANDLE file = CreateFileW(u"SAVE\\Made.dat", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    AgeFolder("Save", 3600);
    EXPECT_EQ(platform::ResolvePath(u"save/MADE.DAT"), "Save/Made.dat");

    ASSERT_TRUE(MoveFileW(u"save\\made.dat", u"SAVE\\Moved.dat"));
    AgeFolder("Save", 3600);
    EXPECT_EQ(platform::ResolvePath(u"save/MOVED.DAT"), "Save/Moved.dat");
    EXPECT_EQ(platform::ResolvePath(u"save/MADE.DAT"), "Save/MADE.DAT");

    ASSERT_TRUE(DeleteFileW(u"save\\moved.dat"));
    AgeFolder("Save", 3600);
    EXPECT_EQ(platform::ResolvePath(u"save/MOVED.DAT"), "Save/MOVED.DAT");

    ASSERT_TRUE(CreateDirectoryW(u"SAVE\\Slot", nullptr));
    AgeFolder("Save", 3600);
    EXPECT_EQ(platform::ResolvePath(u"save/SLOT/x.dat"), "Save/Slot/x.dat");
    ASSERT_TRUE(RemoveDirectoryW(u"save\\slot"));
    AgeFolder("Save", 3600);
    EXPECT_EQ(platform::ResolvePath(u"save/SLOT/x.dat"), "Save/SLOT/x.dat");
}

}  // namespace
