// [Screens] the debug console registered by the start-up and the debug status line drawn by the
// resident system layer in a whole run, read back from the frame the device rendered.
#include "tests/support/engine_run_fixture.h"

#include "core/debug_statistics.h"
#include "script/debug_console.h"
#include "script/debug_status_line.h"
#include "graphics/gdi_font_map.h"

namespace engine_test {
namespace {

// The status line's drawing calls, forwarded to the graphics layer; the first text reads the
// back buffer, where the first band is drawn by then.
class BandReadingDrawCalls : public GxDebugStatusDrawCalls {
public:
    void DrawText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y, D3DCOLOR color) override
    {
        if (m_Draws++ == 0) {
            m_Band = BackBufferPixel(799, 2);
            m_Outside = BackBufferPixel(801, 2);
            m_FontSize = fontMap != nullptr ? fontMap->GetFontSize() : -1;
        }
        GxDebugStatusDrawCalls::DrawText(fontMap, text, x, y, color);
    }

    int m_Draws = 0;
    std::uint32_t m_Band = 0;
    std::uint32_t m_Outside = 0;
    std::int32_t m_FontSize = 0;
};

class DebugStatusRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseEngineServices();
        m_Previous = SetDebugStatusDrawCalls(&m_Services);
    }
    void TearDown() override
    {
        SetDebugStatusDrawCalls(m_Previous);
        LogSetSink(nullptr);
        EngineRunTest::TearDown();
    }

    BandReadingDrawCalls m_Services;
    GxDebugStatusDrawCalls* m_Previous = nullptr;
};

TEST_F(DebugStatusRunTest, TheConsoleSwitchShowsTheStatusLineBandOverTheClearedScreen)
{
    MakeGameFolder(m_Game, GameFolder{GameFolder().sysconf, "DebugConsoleFlag=1\nSkipSlightError=1\n"});
    m_Module.m_OnInitialize = [] { LogPrintDebug(u"Test/seen by the console\n"); };
    m_Run.SetMaxPasses(5);
    EXPECT_EQ(Run(), 0);

    // Registered by the start-up before the modules initialise.
    const std::deque<std::u16string> lines = GetDebugConsoleOutput().GetLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), u"Test/seen by the console\n"), lines.end());

    ASSERT_GT(m_Services.m_Draws, 0);
    // The layer's own glyph cache, at the default size.
    EXPECT_EQ(m_Services.m_FontSize, GxGDIFontMap::kDefaultFontSize);
    // 0x80000050 over opaque black: blue 0x50 at half strength.
    EXPECT_EQ(m_Services.m_Band & 0xFFFF00u, 0u) << std::hex << m_Services.m_Band;
    EXPECT_NEAR(static_cast<int>(m_Services.m_Band & 0xFFu), 0x28, 1) << std::hex << m_Services.m_Band;
    EXPECT_EQ(m_Services.m_Outside & 0xFFFFFFu, 0u) << std::hex << m_Services.m_Outside;
}

TEST_F(DebugStatusRunTest, WithoutTheSwitchOrErrorsNothingIsDrawn)
{
    MakeGameFolder(m_Game, GameFolder{GameFolder().sysconf, "SkipSlightError=1\n"});
    m_Module.m_OnInitialize = [] { LogResetErrorCount(); };
    m_Run.SetMaxPasses(5);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(m_Services.m_Draws, 0);
}

}  // namespace
}  // namespace engine_test
