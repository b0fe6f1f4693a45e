// [UI harness] a widget drawn through the drawing seam lands at its absolute position in the
// frame read back from the device, the top list covers the widget list, the recorder sees the
// same calls, and the cursor and input reach the engine. The frame is also compared with a
// reference picture (exactly: solid rectangles on the software device).
//
// TARNWICK_UPDATE_GOLDEN=1 writes the reference anew (look at it before keeping it).
#include "ui_test_support.h"

#include "tests/support/ui/golden_frame.h"

#include <filesystem>

namespace ui_test {
namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;

std::filesystem::path GoldenPath()
{
    return std::filesystem::path(TW_SOURCE_DIR) / "tests/ui/golden/harness_frame.png";
}

class UIHarnessSelfTest : public UIHarnessTest {
protected:
    RecordingWidget* Filler(GxTaskBase* parent, float x, float y, std::int32_t w, std::int32_t h, std::uint32_t rgb)
    {
        auto* widget = new RecordingWidget(parent ? parent : Screen(), nullptr);
        widget->SetPos(GxVector3(x, y, 0.0f));
        widget->m_Width = w;
        widget->m_Height = h;
        widget->m_Fill = true;
        widget->m_FillRgb = rgb;
        return widget;
    }
    std::uint32_t Rgb(int x, int y) { return m_Harness.Pixel(x, y) & 0xFFFFFF; }
};

TEST_F(UIHarnessSelfTest, AWidgetFillsItsBoundsAtItsAbsolutePosition)
{
    RecordingWidget* parent = Filler(nullptr, 20.0f, 30.0f, 0, 0, 0);
    Filler(parent, 100.0f, 50.0f, 40, 30, kRed);   // absolute (120, 80)
    // Top-most beats a greater depth in the widget list.
    RecordingWidget* over = Filler(nullptr, 150.0f, 100.0f, 40, 30, kGreen);
    over->SetTopMostFlag(true);
    over->SetOrderZ(0.0f);
    m_Harness.Step(16000);

    EXPECT_EQ(Rgb(120, 80), kRed);
    EXPECT_EQ(Rgb(149, 99), kRed);
    EXPECT_EQ(Rgb(119, 80), 0u);    // the screen's clear around it
    EXPECT_EQ(Rgb(120, 79), 0u);
    EXPECT_EQ(Rgb(150, 100), kGreen);   // the overlap: list 7 after list 5
    EXPECT_EQ(Rgb(159, 109), kGreen);
    EXPECT_EQ(Rgb(189, 129), kGreen);
    EXPECT_EQ(Rgb(190, 130), 0u);

    const std::vector<WidgetDrawCall> rects = m_Harness.Recorder().CallsOf("DrawColorRect");
    ASSERT_EQ(rects.size(), 3u);   // the empty parent draws nothing visible
    EXPECT_EQ(rects[1].points[0].x, 120.0f);
    EXPECT_EQ(rects[1].points[0].y, 80.0f);
    EXPECT_EQ(rects[1].points[1].x, 160.0f);
    EXPECT_EQ(rects[1].points[1].y, 110.0f);
    EXPECT_EQ(rects[1].colors[0], 0xFF000000 | kRed);
    EXPECT_EQ(rects[1].preset, 1);
    EXPECT_EQ(rects[2].colors[0], 0xFF000000 | kGreen);   // drawn last

    UINT width = 0, height = 0;
    const std::vector<std::uint32_t> frame = m_Harness.ReadFrame(&width, &height);
    ASSERT_EQ(width, 1024u);
    ASSERT_EQ(height, 768u);
    const GoldenFrame golden = UpdateAndLoadGoldenFrame(GoldenPath(), width, height, frame);
    ASSERT_EQ(golden.m_Width, width) << "no reference at " << GoldenPath();
    ASSERT_EQ(golden.m_Height, height);
    EXPECT_EQ(CountDifferingRgb(frame, golden.m_Pixels), 0u);
}

TEST_F(UIHarnessSelfTest, AFadedWidgetDrawsWithItsTreeAlpha)
{
    RecordingWidget* w = Filler(nullptr, 10.0f, 10.0f, 8, 8, 0xFFFFFF);
    w->SetAlpha(128);
    m_Harness.Step(16000);
    const std::vector<WidgetDrawCall> rects = m_Harness.Recorder().CallsOf("DrawColorRect");
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].colors[0], 0x80FFFFFFu);
}

TEST_F(UIHarnessSelfTest, TheCursorAndTheInputEntriesReachTheEngine)
{
    m_Harness.SetCursor(300, 200);
    const POINT cursor = m_Harness.Core().GetCursorClientPos();
    EXPECT_EQ(cursor.x, 300);
    EXPECT_EQ(cursor.y, 200);

    // A screen's tasks see the input that the harness sends through the manager.
    class InputProbe : public GxTaskBase {
    public:
        using GxTaskBase::GxTaskBase;
        int OnMouseMove(const GxVector2* p, std::uint32_t) override { return Note("move", p); }
        int OnMouseLeftDown(const GxVector2* p, std::uint32_t, std::int32_t dbl) override
        {
            return Note(dbl ? "double" : "down", p);
        }
        int OnMouseLeftUp(const GxVector2* p, std::uint32_t) override { return Note("up", p); }
        int OnMouseRightDown(const GxVector2* p, std::uint32_t, std::int32_t) override { return Note("right", p); }
        int OnMouseWheel(const GxVector2* p, std::int32_t delta, std::uint32_t) override
        {
            return Note("wheel " + std::to_string(delta), p);
        }
        int OnKeyDown(WPARAM key, LPARAM) override
        {
            m_Seen.push_back("key " + std::to_string(key));
            return 1;
        }
        int Note(const std::string& what, const GxVector2* p)
        {
            m_Seen.push_back(what + " " + std::to_string(static_cast<int>(p->x)) + "," +
                             std::to_string(static_cast<int>(p->y)));
            return 1;
        }
        std::vector<std::string> m_Seen;
    };
    auto* probe = new InputProbe(Screen(), nullptr, nullptr, 0);
    EXPECT_EQ(m_Harness.MouseMove(10, 20), 1);
    EXPECT_EQ(m_Harness.LeftDown(11, 21), 1);
    EXPECT_EQ(m_Harness.LeftDown(11, 21, true), 1);
    EXPECT_EQ(m_Harness.LeftUp(12, 22), 1);
    EXPECT_EQ(m_Harness.RightDown(13, 23), 1);
    EXPECT_EQ(m_Harness.Wheel(14, 24, 60), 1);
    EXPECT_EQ(m_Harness.KeyDown(0x20), 1);
    EXPECT_EQ(probe->m_Seen, (std::vector<std::string>{"move 10,20", "down 11,21", "double 11,21", "up 12,22",
                                                       "right 13,23", "wheel 60 14,24", "key 32"}));
    EXPECT_EQ(m_Harness.Core().GetCursorClientPos().x, 14);
}

}  // namespace
}  // namespace ui_test
