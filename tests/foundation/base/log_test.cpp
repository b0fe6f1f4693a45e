#include "foundation/log.h"

#include "foundation/wide_string.h"
#include "platform/win32/message_box.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Received {
    std::u16string text;
    std::int32_t level;
};

class RecordingListener : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Lines.push_back({text, level});
        return 0;
    }
    std::vector<Received> Lines()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Lines;
    }

private:
    std::mutex m_Mutex;
    std::vector<Received> m_Lines;
};

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// UTF-16LE file content without its signature.
std::u16string ReadUtf16(const fs::path& path)
{
    std::string bytes = ReadBytes(path);
    std::size_t start = (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') ? 2 : 0;
    std::u16string text;
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

std::u16string PathText(const fs::path& path)
{
    return Utf8ToWide(path.string());
}

// The log is process-wide: every test starts from empty paths, no listener, warnings on, count 0.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Reset();
    }
    void TearDown() override
    {
        Reset();
    }
    static void Reset()
    {
        LogSetErrorFile(u"");
        LogSetDebugFile(u"");
        LogSetDeviceFile(u"");
        LogSetSink(nullptr);
        LogSetWarningsMuted(false);
        LogResetErrorCount();
    }
    void UseFiles()
    {
        LogSetErrorFile(PathText(ErrorPath()).c_str());
        LogSetDebugFile(PathText(DebugPath()).c_str());
        LogSetDeviceFile(PathText(DevicePath()).c_str());
    }
    fs::path ErrorPath() const { return m_Dir / "error.log"; }
    fs::path DebugPath() const { return m_Dir / "debug.log"; }
    fs::path DevicePath() const { return m_Dir / "device.log"; }

    TestTempDir m_Temp{"tw_log"};
    fs::path m_Dir = m_Temp.Path();
    RecordingListener m_Listener;
};

TEST_F(LogTest, CountsAndRoutesEachKindOfMessage)
{
    UseFiles();
    LogSetSink(&m_Listener);

    LogPrint(u"GxTest::Run/error %d\n", 1);
    LogPrintWarning(u"Warning/%s\n", u"warn");
    LogPrintDebug(u"GxTest::Run/trace\n");
    LogPrintDevice(u"device %d\n", 3);
    LogPrintTagged("tagged %s\n", "text");

    EXPECT_EQ(LogGetErrorCount(), 3);   // error, warning and tagged; never debug or device
    std::vector<Received> lines = m_Listener.Lines();
    ASSERT_EQ(lines.size(), 4u);        // the device log has no listener
    EXPECT_EQ(lines[0].text, u"GxTest::Run/error 1\n");
    EXPECT_EQ(lines[0].level, 1);
    EXPECT_EQ(lines[1].level, 0);
    EXPECT_EQ(lines[2].level, 2);
    EXPECT_EQ(lines[3].text, u"tagged text\n");
    EXPECT_EQ(lines[3].level, 1);

    EXPECT_EQ(ReadUtf16(ErrorPath()), u"GxTest::Run/error 1\r\nWarning/warn\r\ntagged text\r\n");
    EXPECT_EQ(ReadUtf16(DebugPath()), u"GxTest::Run/trace\r\n");
    EXPECT_EQ(ReadUtf16(DevicePath()), u"device 3\r\n");

    EXPECT_TRUE(LogResetErrorCount());
    EXPECT_EQ(LogGetErrorCount(), 0);
}

TEST_F(LogTest, WithoutFilesMessagesStillCountAndReachTheListener)
{
    LogSetSink(&m_Listener);
    LogPrint(u"no file\n");
    EXPECT_EQ(LogGetErrorCount(), 1);
    ASSERT_EQ(m_Listener.Lines().size(), 1u);
    EXPECT_EQ(m_Listener.Lines()[0].level, 1);
    EXPECT_TRUE(fs::is_empty(m_Dir));

    // A path that cannot be opened only skips the file.
    LogSetErrorFile(PathText(m_Dir / "missing_folder" / "error.log").c_str());
    LogPrint(u"still counted\n");
    EXPECT_EQ(LogGetErrorCount(), 2);
}

TEST_F(LogTest, MutedWarningsLeaveNoTrace)
{
    UseFiles();
    LogSetSink(&m_Listener);
    LogSetWarningsMuted(true);
    LogPrintWarning(u"Warning/dropped\n");
    EXPECT_EQ(LogGetErrorCount(), 0);
    EXPECT_TRUE(m_Listener.Lines().empty());
    EXPECT_FALSE(fs::exists(ErrorPath()));

    // Muting applies to warnings only.
    LogPrint(u"error\n");
    LogPrintTagged("tagged\n");
    EXPECT_EQ(LogGetErrorCount(), 2);
    EXPECT_EQ(m_Listener.Lines().size(), 2u);
}

TEST_F(LogTest, LongMessagesAreCutOnlyWhereBuffersAreFixed)
{
    UseFiles();
    LogSetSink(&m_Listener);
    const std::u16string wide(3000, u'w');
    LogPrint(u"%s", wide.c_str());
    EXPECT_EQ(ReadUtf16(ErrorPath()), wide);   // the file gets it whole
    ASSERT_EQ(m_Listener.Lines().size(), 1u);
    EXPECT_EQ(m_Listener.Lines()[0].text, std::u16string(1023, u'w'));

    fs::remove(ErrorPath());
    const std::string narrow(3000, 'n');
    LogPrintTagged("%s", narrow.c_str());
    EXPECT_EQ(ReadUtf16(ErrorPath()), std::u16string(1023, u'n'));
    EXPECT_EQ(m_Listener.Lines()[1].text, std::u16string(1023, u'n'));
}

TEST_F(LogTest, TaggedTextGoesThroughTheCodePage)
{
    UseFiles();
    LogPrintTagged("GxContent/%s\n", "\x82\xA0");   // "あ" in code page 932
    EXPECT_EQ(ReadUtf16(ErrorPath()), u"GxContent/あ\r\n");
}

TEST_F(LogTest, NewFileGetsSignatureOnceAndCrLfLines)
{
    UseFiles();
    LogPrint(u"a\n");
    LogPrint(u"b\n");
    const std::string expected("\xFF\xFE" "a\0\r\0\n\0" "b\0\r\0\n\0", 14);
    EXPECT_EQ(ReadBytes(ErrorPath()), expected);
}

TEST_F(LogTest, DeleteRemovesFilesAndIgnoresMissingOnes)
{
    UseFiles();
    LogPrint(u"e\n");
    LogPrintDebug(u"d\n");
    LogPrintDevice(u"v\n");
    LogDeleteErrorFile();
    LogDeleteDebugFile();
    LogDeleteDeviceFile();
    EXPECT_TRUE(fs::is_empty(m_Dir));
    LogDeleteErrorFile();   // already gone: nothing happens
    LogPrint(u"again\n");
    EXPECT_EQ(ReadUtf16(ErrorPath()), u"again\r\n");
}

TEST_F(LogTest, LinesFromTwoThreadsNeverInterleave)
{
    UseFiles();
    LogSetSink(&m_Listener);
    constexpr int kLines = 100;
    const std::u16string a(200, u'A');
    const std::u16string b(200, u'B');
    auto writer = [](const std::u16string& text) {
        for (int i = 0; i < kLines; ++i) LogPrint(u"%s\n", text.c_str());
    };
    std::thread t1(writer, std::cref(a));
    std::thread t2(writer, std::cref(b));
    t1.join();
    t2.join();

    EXPECT_EQ(LogGetErrorCount(), 2 * kLines);
    std::vector<std::u16string> lines;
    SplitWide(lines, ReadUtf16(ErrorPath()), u"\r\n");
    ASSERT_EQ(lines.size(), 2u * kLines + 1);
    EXPECT_EQ(lines.back(), u"");
    lines.pop_back();
    int countA = 0;
    for (const std::u16string& line : lines) {
        ASSERT_TRUE(line == a || line == b) << "mixed line of " << line.size() << " units";
        countA += line == a;
    }
    EXPECT_EQ(countA, kLines);
    EXPECT_EQ(m_Listener.Lines().size(), 2u * kLines);
}

TEST_F(LogTest, ErrorBoxIsCutAndWritesNoLog)
{
    UseFiles();
    LogSetSink(&m_Listener);
    platform::SetMessageBoxHeadless(true);
    platform::ClearShownMessageBoxes();

    const std::u16string text(600, u't');
    EXPECT_EQ(ShowErrorBox(u"タイトル", u"%s", text.c_str()), IDOK);
    const auto& boxes = platform::ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"タイトル");
    EXPECT_EQ(boxes[0].text, std::u16string(521, u't'));
    EXPECT_EQ(boxes[0].type, 0x40u);

    EXPECT_EQ(LogGetErrorCount(), 0);
    EXPECT_TRUE(m_Listener.Lines().empty());
    EXPECT_FALSE(fs::exists(ErrorPath()));
    platform::ClearShownMessageBoxes();
}

}  // namespace
