// [Screens] the resident system screen stand-in draws the script engine's debug status line at (0, 0) with
// its own glyph cache and counters, under the debug console switch or after logged errors.
#include "avg/standins/screens_standin.h"
#include "core/core.h"
#include "core/debug_statistics.h"
#include "core/script_services.h"
#include "core/task_manage.h"
#include "foundation/log.h"
#include "graphics/gdi_font_map.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/error_log_capture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class RecordingScriptServices : public GxScriptServicesBase {
public:
    struct Call {
        float x, y;
        GxGDIFontMap* fontMap;
        const GxDebugStatistics* statistics;
    };
    bool IsErrorStop() override { return m_Stopped; }
    void DrawDebugStatusLine(float x, float y, GxGDIFontMap* fontMap, const GxDebugStatistics& statistics) override
    {
        m_Calls.push_back(Call{x, y, fontMap, &statistics});
    }

    bool m_Stopped = false;
    std::vector<Call> m_Calls;
};

class SystemStatusLineTest : public ::testing::Test {
protected:
    SystemStatusLineTest()
    {
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_System = CreateStandinScreens(new GxTaskBase(m_Manage.get()));
        m_Previous = SetScriptServices(&m_Script);
        LogResetErrorCount();
    }
    ~SystemStatusLineTest() override
    {
        SetScriptServices(m_Previous);
        LogResetErrorCount();
        m_Manage.reset();
    }

    TestErrorLogCapture m_Log;
    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};
    std::unique_ptr<GxTaskManage> m_Manage;
    SeqSystem* m_System = nullptr;
    RecordingScriptServices m_Script;
    GxScriptServicesBase* m_Previous = nullptr;
};

TEST_F(SystemStatusLineTest, DrawnUnderTheConsoleSwitchOrAfterErrorsUnlessSlightErrorsAreSkipped)
{
    struct Case {
        bool consoleFlag;
        bool error;
        bool skipSlightError;
        bool stoppedOnError;
        bool drawn;
    };
    const Case cases[] = {
        {true, false, true, false, true},
        {false, false, false, false, false},
        {false, false, false, true, false},
        {false, true, false, false, true},
        {false, true, true, false, false},   // slight errors skipped while the script runs on
        {false, true, true, true, true},
    };
    for (const Case& c : cases) {
        LogResetErrorCount();
        if (c.error)
            LogPrint(u"Test/an error\n");
        m_Config.m_System.m_DebugConsoleFlag = c.consoleFlag;
        m_Config.m_System.m_SkipSlightError = c.skipSlightError;
        m_Config.Refresh();
        m_Script.m_Stopped = c.stoppedOnError;
        m_Script.m_Calls.clear();
        m_System->Draw(-1, 9);
        ASSERT_EQ(m_Script.m_Calls.size(), c.drawn ? 1u : 0u)
            << c.consoleFlag << c.error << c.skipSlightError << c.stoppedOnError;
        if (c.drawn) {
            const RecordingScriptServices::Call& call = m_Script.m_Calls[0];
            EXPECT_EQ(call.x, 0.0f);
            EXPECT_EQ(call.y, 0.0f);
            EXPECT_EQ(call.fontMap, &m_System->m_DebugFont);
            EXPECT_EQ(call.statistics, &m_System->m_Statistics);
        }
    }
}

TEST_F(SystemStatusLineTest, TheScreenOwnsADefaultSizeGlyphCacheAndZeroCounters)
{
    EXPECT_EQ(m_System->m_DebugFont.GetFontSize(), GxGDIFontMap::kDefaultFontSize);
    const GxDebugStatistics& s = m_System->m_Statistics;
    EXPECT_EQ(s.m_Clk + s.m_Time + s.m_Mov + s.m_AA + s.m_ASNumber + s.m_BGM + s.m_BGV + s.m_SE + s.m_VO, 0);
    EXPECT_TRUE(s.m_ASName.empty());
}

TEST_F(SystemStatusLineTest, NothingWithoutScriptServices)
{
    SetScriptServices(nullptr);
    m_Config.m_System.m_DebugConsoleFlag = true;
    m_Config.Refresh();
    EXPECT_EQ(m_System->Draw(-1, 9), 0);
    EXPECT_TRUE(m_Script.m_Calls.empty());
}

}  // namespace
