// [Script] the debug console (the last 20 log lines, fed from any thread) and the debug status
// line, checked through a recorder of its graphics calls: texts, colours, bands and their order.
#include "core/debug_statistics.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/gdi_font_map.h"
#include "graphics/text_layout.h"
#include "script/debug_console.h"
#include "script/debug_status_line.h"
#include "script/moa.h"
#include "script/worker.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr float kLine = static_cast<float>(GxGDIFontMap::kDefaultFontSize);

struct DrawnLine {
    GxFRect band;
    std::u16string text;
    float x = 0.0f;
    float y = 0.0f;
    D3DCOLOR color = 0;
};

// Keeps every call; a band is paired with the text drawn after it.
class RecordingCalls : public GxDebugStatusDrawCalls {
public:
    void SetBlendMode(std::uint32_t stage, std::int32_t preset) override
    {
        if (m_Lines.empty() && !m_BandOpen)
            m_BlendBeforeFirstDraw.emplace_back(stage, preset);
    }
    void DrawColorRect2D(const GxFRect& rect, const D3DCOLOR diffuse[5], const D3DCOLOR specular[5],
                         std::int32_t preset) override
    {
        for (int i = 0; i < 5; ++i) {
            if (diffuse[i] != kDebugStatusBandColor || specular[i] != 0)
                m_BadBandColour = true;
        }
        m_Presets.push_back(preset);
        m_Band = rect;
        m_BandOpen = true;
    }
    void DrawText(GxGDIFontMap*, std::u16string_view text, float x, float y, D3DCOLOR color) override
    {
        ASSERT_TRUE(m_BandOpen) << "text without its band";
        m_Lines.push_back(DrawnLine{m_Band, std::u16string(text), x, y, color});
        m_BandOpen = false;
    }
    std::uint32_t GetTotalVideoMemory() override { return m_VideoMemory; }

    std::vector<std::u16string> Texts() const
    {
        std::vector<std::u16string> texts;
        for (const DrawnLine& line : m_Lines)
            texts.push_back(line.text);
        return texts;
    }

    std::uint32_t m_VideoMemory = 0;
    std::vector<DrawnLine> m_Lines;
    std::vector<std::pair<std::uint32_t, std::int32_t>> m_BlendBeforeFirstDraw;
    std::vector<std::int32_t> m_Presets;
    bool m_BadBandColour = false;

private:
    GxFRect m_Band;
    bool m_BandOpen = false;
};

class DebugStatusLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Dir.Valid());
        LogSetErrorFile(Utf8ToWide(m_Dir.Join("error.log").string()).c_str());
        LogSetDebugFile(u"");
        LogSetWarningsMuted(false);
        LogResetErrorCount();
        m_Font.SetFont(GxGDIFontMap::kDefaultFontSize, nullptr);
        m_Previous = SetDebugStatusDrawCalls(&m_Calls);
    }
    void TearDown() override
    {
        SetDebugStatusDrawCalls(m_Previous);
        LogSetSink(nullptr);
        LogSetErrorFile(u"");
        LogResetErrorCount();
    }

    void Draw(float x = 0.0f, float y = 0.0f, GxMoaWorker* worker = nullptr)
    {
        m_Calls.m_Lines.clear();
        DrawDebugStatusLine(m_Console, x, y, GxDebugStatusSource{&m_Font, &m_Statistics, worker});
    }

    // An element of `kind` in script `name`, its run position on `line` (0-based).
    static GxMoaExecStackElement Element(const std::u16string& name, std::int32_t line, std::int32_t kind)
    {
        GxMoaExecStackElement element;
        element.m_BlockType = kind;
        element.m_RunPos.m_ScriptName = name;
        element.m_RunPos.m_Line = line;
        return element;
    }

    static float Width(const std::u16string& text) { return static_cast<float>(TextWidthUnits(text)) * kLine / 2; }

    TestTempDir m_Dir{"debug_status"};
    GxDebugConsoleOutputEx m_Console;
    GxGDIFontMap m_Font;
    GxDebugStatistics m_Statistics;
    RecordingCalls m_Calls;
    GxDebugStatusDrawCalls* m_Previous = nullptr;
};

TEST_F(DebugStatusLineTest, ConsoleKeepsTheLastTwentyLoggedLinesOldestFirst)
{
    LogSetSink(&m_Console);
    for (int i = 1; i <= 25; ++i)
        LogPrintDebug(u"line %d\n", i);
    LogSetSink(nullptr);
    const std::deque<std::u16string> lines = m_Console.GetLines();
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines.front(), u"line 6\n");
    EXPECT_EQ(lines.back(), u"line 25\n");
}

TEST_F(DebugStatusLineTest, FirstLineShowsTheErrorNoticeOrTheVideoMemoryAndCounters)
{
    struct Case {
        std::uint32_t videoMemory;
        bool warning;
        std::u16string text;
        D3DCOLOR color;
    };
    const Case cases[] = {
        {0, false, u"※エラー無し/VRAM 6.0MB/Clk(0) Time(0) Mov(0) AA(0) AS(0:) BGM(0) BGV(0) SE(0) VO(0)",
         0xFFFFFFFF},
        // Unsigned: a registry above 2 GiB still shows its size.
        {104857600, false, u"※エラー無し/VRAM 106.0MB/Clk(0) Time(0) Mov(0) AA(0) AS(0:) BGM(0) BGV(0) SE(0) VO(0)",
         0xFFFFFFFF},
        {0xC0000000u, false,
         u"※エラー無し/VRAM 3078.0MB/Clk(0) Time(0) Mov(0) AA(0) AS(0:) BGM(0) BGV(0) SE(0) VO(0)", 0xFFFFFFFF},
        // A warning counts as an error.
        {104857600, true, u"※エラー発生。error.logを確認してください", 0xFFFFFF00},
    };
    for (const Case& c : cases) {
        LogResetErrorCount();
        if (c.warning)
            LogPrintWarning(u"Test/one warning\n");
        m_Calls.m_VideoMemory = c.videoMemory;
        Draw(10.0f, 20.0f);
        ASSERT_FALSE(m_Calls.m_Lines.empty());
        const DrawnLine& first = m_Calls.m_Lines[0];
        EXPECT_EQ(WideToUtf8(first.text), WideToUtf8(c.text));
        EXPECT_EQ(first.color, c.color);
        EXPECT_EQ(first.x, 10.0f);
        EXPECT_EQ(first.y, 20.0f);
        // The first band always spans 0 to 800, whatever x is.
        EXPECT_EQ(first.band.left, 0.0f);
        EXPECT_EQ(first.band.right, 800.0f);
        EXPECT_EQ(first.band.top, 20.0f);
        EXPECT_EQ(first.band.bottom, 20.0f + kLine);
    }
}

TEST_F(DebugStatusLineTest, CountersComeFromTheOwnersRecordInOrder)
{
    m_Statistics = GxDebugStatistics{1, 2, 3, 4, 5, u"bg01", 6, 7, 8, 9};
    Draw();
    ASSERT_FALSE(m_Calls.m_Lines.empty());
    EXPECT_EQ(WideToUtf8(m_Calls.m_Lines[0].text),
              "※エラー無し/VRAM 6.0MB/Clk(1) Time(2) Mov(3) AA(4) AS(5:bg01) BGM(6) BGV(7) SE(8) VO(9)");
}

TEST_F(DebugStatusLineTest, AStoppedWorkerGetsOneLineOnATwelveLineBand)
{
    GxMoa instance;
    GxMoaWorker worker(&instance);
    for (GxMoaWorker* source : {static_cast<GxMoaWorker*>(nullptr), &worker}) {
        Draw(4.0f, 0.0f, source);
        ASSERT_EQ(m_Calls.m_Lines.size(), 2u);
        const DrawnLine& line = m_Calls.m_Lines[1];
        EXPECT_EQ(WideToUtf8(line.text), "Script:実行していません");
        EXPECT_EQ(line.color, 0xFFFFFFFFu);
        EXPECT_EQ(line.y, kLine);
        EXPECT_EQ(line.band.left, 4.0f);
        EXPECT_EQ(line.band.right, 4.0f + 12 * kLine);
        EXPECT_EQ(line.band.top, kLine);
        EXPECT_EQ(line.band.bottom, 2 * kLine);
    }
}

TEST_F(DebugStatusLineTest, CallersBottomFirstThenThePositionWithItsBlockKind)
{
    GxMoa instance;
    GxMoaWorker worker(&instance);
    worker.GetExecStack().push_back(Element(u"main.txt", 4, MOA_BLOCK_FRAME));
    worker.GetExecStack().push_back(Element(u"sub.txt", 10, MOA_BLOCK_UNKNOWN));
    worker.GetExecStack().push_back(Element(u"loop.txt", 8, MOA_BLOCK_FOR));

    Draw(0.0f, 0.0f, &worker);
    ASSERT_EQ(m_Calls.m_Lines.size(), 4u);
    const std::u16string position =
        FormatWide(u"実行位置:loop.txt/Line=%d/FORブロック", worker.GetLastLine(nullptr));
    EXPECT_EQ(WideToUtf8(m_Calls.m_Lines[1].text), "呼出し元:main.txt/Line=5/通常ブロック");
    EXPECT_EQ(WideToUtf8(m_Calls.m_Lines[2].text), "呼出し元:sub.txt/Line=11/不明");
    EXPECT_EQ(WideToUtf8(m_Calls.m_Lines[3].text), WideToUtf8(position));
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(m_Calls.m_Lines[i].band.right - m_Calls.m_Lines[i].band.left, 24 * kLine);
    EXPECT_EQ(m_Calls.m_Lines[3].band.right, Width(position));
    for (std::size_t i = 0; i < m_Calls.m_Lines.size(); ++i)
        EXPECT_EQ(m_Calls.m_Lines[i].y, kLine * static_cast<float>(i));

    instance.SetErrorStop(true);
    Draw(0.0f, 0.0f, &worker);
    ASSERT_EQ(m_Calls.m_Lines.size(), 4u);
    EXPECT_EQ(m_Calls.m_Lines[3].text, position + u"/エラー停止中");
    EXPECT_EQ(m_Calls.m_Lines[3].band.right, Width(position + u"/エラー停止中"));

    // One element: no caller line.
    worker.GetExecStack().erase(worker.GetExecStack().begin(), worker.GetExecStack().begin() + 2);
    Draw(0.0f, 0.0f, &worker);
    ASSERT_EQ(m_Calls.m_Lines.size(), 2u);
    EXPECT_EQ(m_Calls.m_Lines[1].text, position + u"/エラー停止中");
}

TEST_F(DebugStatusLineTest, BlockNamesCoverTheKindsAndAnswerUnknownOutsideThem)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "不明"},          {1, "通常ブロック"}, {2, "関数ブロック"}, {3, "IFブロック"},
        {4, "ELSEブロック"},  {5, "WHILEブロック"}, {6, "FORブロック"}, {7, "DOブロック"},
        {8, "通常SUBブロック"}, {9, "不明"},        {-1, "不明"},
    };
    for (const auto& [kind, name] : cases)
        EXPECT_EQ(WideToUtf8(GetDebugBlockName(kind)), name) << kind;
}

TEST_F(DebugStatusLineTest, ConsoleLinesGetBandsAtLeastTwentyFourLinesWide)
{
    const std::u16string longLine(60, u'ア');   // full-width: 120 units, wider than 24 line heights
    m_Console.Output(u"short\n", GxDebugListenerBase::kLevelError);
    m_Console.Output((longLine + u"\n").c_str(), GxDebugListenerBase::kLevelDebug);
    Draw(0.0f, 0.0f);
    ASSERT_EQ(m_Calls.m_Lines.size(), 4u);
    EXPECT_EQ(m_Calls.m_Lines[2].text, u"short");   // the line feed is not drawn
    EXPECT_EQ(m_Calls.m_Lines[2].band.right, 24 * kLine);
    EXPECT_EQ(m_Calls.m_Lines[3].text, longLine);
    EXPECT_EQ(m_Calls.m_Lines[3].band.right, 60 * kLine);
    EXPECT_EQ(m_Calls.m_Lines[3].y, 3 * kLine);
    EXPECT_EQ(m_Calls.m_Lines[3].band.bottom, 4 * kLine);
}

TEST_F(DebugStatusLineTest, AlphaPresetOnStageZeroBeforeEveryTranslucentBand)
{
    m_Console.Output(u"x\n", GxDebugListenerBase::kLevelError);
    Draw();
    ASSERT_EQ(m_Calls.m_BlendBeforeFirstDraw.size(), 1u);
    EXPECT_EQ(m_Calls.m_BlendBeforeFirstDraw[0], (std::pair<std::uint32_t, std::int32_t>(0, 2)));
    EXPECT_FALSE(m_Calls.m_BadBandColour);
    EXPECT_EQ(m_Calls.m_Lines.size(), 3u);
}

TEST_F(DebugStatusLineTest, NothingWithoutAGlyphCache)
{
    DrawDebugStatusLine(m_Console, 0.0f, 0.0f, GxDebugStatusSource{nullptr, &m_Statistics, nullptr});
    EXPECT_TRUE(m_Calls.m_Lines.empty());
    EXPECT_TRUE(m_Calls.m_BlendBeforeFirstDraw.empty());
}

// Loader threads log while the window thread draws: every drawn console line is one whole
// logged line (run under ASan, a race on the queue shows as a crash or a report).
TEST_F(DebugStatusLineTest, LoggingThreadsAndTheDrawingThreadShareTheConsole)
{
    LogSetSink(&m_Console);
    std::atomic<bool> go{false};
    auto logger = [&go](const char16_t* tag) {
        while (!go.load())
            std::this_thread::yield();
        for (int i = 0; i < 10000; ++i)
            LogPrintDebug(u"thread %s line %05d of a fairly long debug message\n", tag, i);
    };
    std::thread first(logger, u"A");
    std::thread second(logger, u"B");
    go = true;
    bool torn = false;
    for (int frame = 0; frame < 1000 && !torn; ++frame) {
        Draw();
        for (std::size_t i = 2; i < m_Calls.m_Lines.size(); ++i) {
            const std::u16string& text = m_Calls.m_Lines[i].text;
            const std::u16string_view view(text);
            if (view.size() != 50 || view.substr(0, 7) != u"thread " || view.substr(9, 5) != u"line " ||
                view.substr(19) != u" of a fairly long debug message")
                torn = true;
        }
    }
    first.join();
    second.join();
    LogSetSink(nullptr);
    EXPECT_FALSE(torn);
    EXPECT_EQ(m_Console.GetLines().size(), 20u);
}

}  // namespace
