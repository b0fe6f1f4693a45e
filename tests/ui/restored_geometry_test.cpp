// [Restored geometry] positions, client rectangles, font sizes and pens that a damaged saved game
// brings (infinite, NaN, near 2^31) are held to what a screen can use when they are read, in both
// content forms, so that the update and the draw after the restore add them up safely: one widget
// at a time, and the play screen's windows through a whole saved game.
#include "ui_test_support.h"

#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "tests/support/content_bytes.h"
#include "tests/support/ui/harness/play_screen_tree.h"
#include "tests/support/ui/harness/ui_system_fonts.h"
#include "tests/support/ui/harness/widget_state_io.h"
#include "ui/message_window.h"
#include "ui/ui_list_box.h"
#include "ui/ui_text_panel_fx.h"
#include "ui/ui_tip_help.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string_view>

namespace ui_test {
namespace {

constexpr float kSavedInf = std::numeric_limits<float>::infinity();
constexpr float kSavedNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::int32_t kSavedTop = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kSavedBottom = std::numeric_limits<std::int32_t>::min();
constexpr float kSavedReach = static_cast<float>(kUIMaxExtent);

class RestoredGeometryTest : public UIHarnessTest {
protected:
    GxTaskUITextPanelFx* NamePanel()
    {
        auto* panel = new GxTaskUITextPanelFx(Screen(), nullptr, nullptr, 0);
        panel->SetPos(GxVector3(100.0f, 500.0f, 0.0f));
        panel->SetClientRect(10, 5, 200, 30);
        panel->SetText(u"名前");
        return panel;
    }
    GxTaskUIMessageWindowFx* MessageWindow()
    {
        auto* window = new GxTaskUIMessageWindowFx(Screen(), nullptr, nullptr, 0);
        window->SetTextRegion(40, 24, 800, 150);
        window->SetText(u"あ≪漢字／かんじ≫です", true, false, false, false);
        return window;
    }

    UISystemFonts m_Fonts{m_Harness.Config().m_System};
};

// Every value of the rectangle the panel's text was drawn in, within a screen's reach of a few
// extents.
void ExpectTextRectWithinReach(const WidgetDrawRecorder& recorder)
{
    const auto calls = recorder.CallsOf("DrawAlignedText");
    ASSERT_EQ(calls.size(), 1u);
    for (const std::int32_t v : {calls[0].clip.left, calls[0].clip.top, calls[0].clip.right, calls[0].clip.bottom})
        EXPECT_LE(std::abs(static_cast<std::int64_t>(v)), 3 * kUIMaxExtent);
}

TEST_F(RestoredGeometryTest, ANamePanelHoldsItsPositionClientRectangleAndFontSize)
{
    struct Case {
        const char* what;
        std::function<void(GxTaskUITextPanelFx*)> damage;
        std::function<void(const GxTaskUITextPanelFx*)> expect;
    };
    const Case cases[] = {
        {"infinite position", [](GxTaskUITextPanelFx* p) { p->SetPos(GxVector3(kSavedInf, -kSavedInf, 0.0f)); },
         [](const GxTaskUITextPanelFx* p) {
             EXPECT_EQ(p->GetPos().x, kSavedReach);
             EXPECT_EQ(p->GetPos().y, -kSavedReach);
         }},
        {"NaN position", [](GxTaskUITextPanelFx* p) { p->SetPos(GxVector3(kSavedNaN, kSavedNaN, kSavedNaN)); },
         [](const GxTaskUITextPanelFx* p) {
             EXPECT_EQ(p->GetPos().x, 0.0f);
             EXPECT_EQ(p->GetPos().y, 0.0f);
             EXPECT_EQ(p->GetPos().z, 0.0f);
         }},
        {"position beyond 2^31", [](GxTaskUITextPanelFx* p) { p->SetPos(GxVector3(3e9f, -3e9f, 0.0f)); },
         [](const GxTaskUITextPanelFx* p) { EXPECT_EQ(p->GetPos().x, kSavedReach); }},
        {"position in reach", [](GxTaskUITextPanelFx* p) { p->SetPos(GxVector3(-40.5f, 900.25f, 0.0f)); },
         [](const GxTaskUITextPanelFx* p) {
             EXPECT_EQ(p->GetPos().x, -40.5f);
             EXPECT_EQ(p->GetPos().y, 900.25f);
         }},
        {"client rectangle near 2^31",
         [](GxTaskUITextPanelFx* p) { p->SetClientRect(kSavedTop, kSavedTop, kSavedTop, kSavedBottom); },
         [](const GxTaskUITextPanelFx* p) {
             EXPECT_EQ(p->GetClientLeft(), kUIMaxExtent);
             EXPECT_EQ(p->GetClientTop(), kUIMaxExtent);
             EXPECT_EQ(p->GetClientWidth(), kUIMaxExtent);
             EXPECT_EQ(p->GetClientHeight(), -kUIMaxExtent);
         }},
        {"size and font size near 2^31",
         [](GxTaskUITextPanelFx* p) {
             p->SetWidth(kSavedTop);
             p->SetHeight(kSavedBottom);
             p->m_TextFontSize = 2000000000;
         },
         [](const GxTaskUITextPanelFx* p) {
             EXPECT_EQ(p->m_Width, kUIMaxExtent);
             EXPECT_EQ(p->m_Height, -kUIMaxExtent);
             EXPECT_EQ(p->m_TextFontSize, kUIMaxExtent);
         }},
    };
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (form == TestContentForm::kText ? " (text)" : " (binary)"));
            GxTaskUITextPanelFx* written = NamePanel();
            c.damage(written);
            const std::string bytes = SaveTaskState(*written, form);
            GxTaskUITextPanelFx* read = NamePanel();
            int errors = -1;
            EXPECT_TRUE(LoadTaskState(*read, form, bytes, &errors));
            EXPECT_EQ(errors, 0);
            c.expect(read);
            m_Harness.Recorder().Clear();
            read->Update(0, 16000);
            read->Draw(0, 0);
            ExpectTextRectWithinReach(m_Harness.Recorder());
            written->SetState(kTaskRemoved);
            read->SetState(kTaskRemoved);
        }
    }
}

TEST_F(RestoredGeometryTest, AMessageWindowHoldsItsFontSizesRegionPensAndRecords)
{
    GxTaskUIMessageWindowFx* written = MessageWindow();
    written->m_TextFontSize = 2000000000;
    written->m_RubyFontSize = kSavedBottom;
    written->m_LetterMarginWidth = kSavedTop;
    written->m_TextTotalHeight = kSavedTop;
    written->m_RubyMarginHeight = kSavedBottom;
    written->SetTextRegion(kSavedBottom, kSavedTop, kSavedTop, kSavedTop);
    written->m_CursorX = kSavedTop;
    written->m_CursorY = kSavedTop;
    written->m_ShowChars.push_back(GxShowChar{u'X', GxVector3(kSavedInf, kSavedNaN, 0.0f), 0xFFFFFFFFu, false});
    written->m_Rubies.push_back(GxRubyInfo{u"よみ", kSavedBottom, kSavedTop, GxVector3(-kSavedInf, 3e9f, 0.0f)});
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        SCOPED_TRACE(form == TestContentForm::kText ? "text" : "binary");
        const std::string bytes = SaveTaskState(*written, form);
        GxTaskUIMessageWindowFx* read = MessageWindow();
        int errors = -1;
        EXPECT_TRUE(LoadTaskState(*read, form, bytes, &errors));
        EXPECT_EQ(errors, 0);
        EXPECT_EQ(read->m_TextFontSize, kUIMaxExtent);
        EXPECT_EQ(read->m_RubyFontSize, -kUIMaxExtent);
        EXPECT_EQ(read->GetLetterMarginWidth(), kUIMaxExtent);
        EXPECT_EQ(read->m_TextTotalHeight, kUIMaxExtent);
        EXPECT_EQ(read->m_RubyMarginHeight, -kUIMaxExtent);
        EXPECT_EQ(read->m_TextRegionLeft, -kUIMaxExtent);
        EXPECT_EQ(read->m_TextRegionWidth, kUIMaxExtent);
        EXPECT_EQ(read->m_CursorX, kUIMaxExtent);
        EXPECT_EQ(read->m_CursorY, kUIMaxExtent);
        ASSERT_EQ(read->m_ShowChars.size(), 1u);
        EXPECT_EQ(read->m_ShowChars[0].m_OffsetPos.x, kSavedReach);
        EXPECT_EQ(read->m_ShowChars[0].m_OffsetPos.y, 0.0f);
        ASSERT_EQ(read->m_Rubies.size(), 1u);
        EXPECT_EQ(read->m_Rubies[0].m_RubyCharWidth, -kUIMaxExtent);
        EXPECT_EQ(read->m_Rubies[0].m_RubyUnderCharWidth, kUIMaxExtent);
        EXPECT_EQ(read->m_Rubies[0].m_OffsetPos.x, -kSavedReach);
        EXPECT_EQ(read->m_Rubies[0].m_OffsetPos.y, kSavedReach);

        // The rest of the text is revealed and everything drawn with those values.
        read->SetProcessPos(0);
        read->ShowAll(false, true);
        EXPECT_EQ(read->GetRemainingChars(), 0);
        m_Harness.Recorder().Clear();
        read->Draw(0, 0);
        EXPECT_FALSE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
        read->SetState(kTaskRemoved);
    }
}

TEST_F(RestoredGeometryTest, APenRunningOnForAWholeLongTextStaysWithin32Bits)
{
    // Sizes in reach, no automatic line breaks and a long text: the pen saturates, and a ruby
    // placed there is drawn from it, instead of wrapping around.
    GxTaskUIMessageWindowFx* window = MessageWindow();
    window->m_TextFontSize = kUIMaxExtent;
    window->m_RubyFontSize = kUIMaxExtent;
    window->SetLetterMarginWidth(kUIMaxExtent);
    window->SetText(std::u16string(20000, u'あ').c_str(), false, false, false, true);
    window->ShowAll(false, true);
    EXPECT_EQ(window->m_CursorX, kSavedTop);
    std::u16string withRuby(20000, u'あ');
    withRuby += std::u16string_view(u"≪漢漢／かんかん≫");
    window->SetText(withRuby.c_str(), false, false, false, true);
    window->ShowAll(false, true);
    ASSERT_EQ(window->m_Rubies.size(), 1u);
    EXPECT_EQ(window->m_Rubies[0].m_OffsetPos.x, static_cast<float>(kSavedTop - kUIMaxExtent / 2));
    m_Harness.Recorder().Clear();
    window->Draw(0, 0);
    EXPECT_FALSE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
}

TEST_F(RestoredGeometryTest, TheListBoxAndTheHelpTipHoldTheirTextSizes)
{
    auto* box = new GxTaskUIListBoxFx(Screen(), nullptr, nullptr, 0);
    box->AddItem(u"row", u"", 0, u"key", 1, u"help");
    box->m_TextFontSize = kSavedBottom;
    auto* readBox = new GxTaskUIListBoxFx(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(LoadTaskState(*readBox, TestContentForm::kBinary, SaveTaskState(*box, TestContentForm::kBinary)));
    EXPECT_EQ(readBox->m_TextFontSize, -kUIMaxExtent);

    auto* tip = new GxTaskUITipHelpIs(Screen(), nullptr, nullptr, 0);
    tip->m_TextFontSize = kSavedTop;
    tip->SetNewLineWidth(kSavedBottom);
    tip->SetPadding(kSavedTop);
    auto* readTip = new GxTaskUITipHelpIs(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(LoadTaskState(*readTip, TestContentForm::kText, SaveTaskState(*tip, TestContentForm::kText)));
    EXPECT_EQ(readTip->m_TextFontSize, kUIMaxExtent);
    EXPECT_EQ(readTip->GetNewLineWidth(), -kUIMaxExtent);
    EXPECT_EQ(readTip->GetPadding(), kUIMaxExtent);
    for (GxTaskUIBase* widget : {static_cast<GxTaskUIBase*>(readBox), static_cast<GxTaskUIBase*>(readTip)}) {
        widget->Update(0, 16000);
        widget->Draw(0, 0);
    }
}

// ---- the play screen's windows in a whole saved game -----------------------------------------

class RestoredPlayScreenTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        // The play screen of the game-data fuzz target: stand layers "A" and "B".
        GetDBAvgChar().GetRow(1)->m_CharName = u"A";
        GetDBAvgChar().GetRow(4)->m_CharName = u"B";
        m_Tree = BuildPlayScreenTree(Screen(), {u"A", u"B"});
        m_Harness.Core().m_UserDataPerman = &m_Perman;
        m_Tree.messageWindow->SetText(u"台詞");
        m_Tree.nameWindow->SetText(u"名前");
    }
    void TearDown() override { m_Harness.Core().m_UserDataPerman = nullptr; }

    // The name window far off and NaN, its client rectangle near 2^31, the message window's font
    // at two thousand million pixels.
    void Damage()
    {
        m_Tree.nameWindow->SetPos(GxVector3(kSavedInf, kSavedNaN, 3e9f));
        m_Tree.nameWindow->SetClientRect(kSavedTop - 5, kSavedTop - 5, kSavedTop, kSavedTop);
        m_Tree.messageWindow->m_TextFontSize = 2000000000;
    }
    void Repair()
    {
        m_Tree.nameWindow->SetPos(GxVector3(0.0f, 0.0f, 0.0f));
        m_Tree.nameWindow->SetClientRect(0, 0, 100, 20);
        m_Tree.messageWindow->m_TextFontSize = 23;
    }
    std::u16string Path() const { return Utf8ToWide((m_Harness.Folder() / "gamedata001.gd").string()); }

    UISystemFonts m_Fonts{m_Harness.Config().m_System};
    GxUserDataPerman m_Perman;
    GxUserData m_Data{&m_Harness.Core()};
    PlayScreenTree m_Tree;
};

TEST_F(RestoredPlayScreenTest, OutlandishWindowGeometryComesBackHeldInBothForms)
{
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        Damage();
        ASSERT_TRUE(SaveGameData(&m_Data, Path(), binary));
        Repair();
        ASSERT_TRUE(LoadGameData(&m_Data, Path(), true));
        const GxVector3 position = m_Tree.nameWindow->GetPos();
        EXPECT_EQ(position.x, kSavedReach);
        EXPECT_EQ(position.y, 0.0f);
        EXPECT_EQ(position.z, kSavedReach);
        EXPECT_EQ(m_Tree.nameWindow->GetClientLeft(), kUIMaxExtent);
        EXPECT_EQ(m_Tree.nameWindow->GetClientWidth(), kUIMaxExtent);
        EXPECT_EQ(m_Tree.messageWindow->m_TextFontSize, kUIMaxExtent);

        // The frame after the load updates and draws both windows.
        m_Tree.messageWindow->SetProcessPos(0);
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
        ExpectTextRectWithinReach(m_Harness.Recorder());
        EXPECT_GT(m_Tree.messageWindow->GetShowCharCount(), 0u);
    }
}

// Writes the reproducers of the two fuzz targets from the damaged state (game_data: a whole saved
// game in both forms; widget_state: the name panel and the message window, each in both forms).
// Run once when a saved state changes; the files are committed:
//   test_ui --gtest_also_run_disabled_tests --gtest_filter=RestoredPlayScreenTest.DISABLED_*
TEST_F(RestoredPlayScreenTest, DISABLED_WriteFuzzReproducers)
{
    const std::filesystem::path corpus = std::filesystem::path(TW_SOURCE_DIR) / "tests" / "fuzz" / "corpus";
    Damage();
    for (const bool binary : {false, true}) {
        const std::string name = binary ? "window_geometry.bgd" : "window_geometry.tgd";
        ASSERT_TRUE(SaveGameData(&m_Data, Utf8ToWide((corpus / "game_data" / name).string()), binary));
    }
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        const bool text = form == TestContentForm::kText;
        const std::pair<GxTaskBase*, const char*> widgets[] = {{m_Tree.nameWindow, "type11_geometry"},
                                                               {m_Tree.messageWindow, "type9_font_size"}};
        for (const auto& [widget, name] : widgets) {
            const std::string bytes =
                WriteContentBytes(form, [&](GxContentWriterBase& writer) { widget->WriteState(writer); });
            std::ofstream out(corpus / "widget_state" / (std::string(name) + (text ? "_text" : "_binary")),
                              std::ios::binary);
            out.put(text ? 0 : 1);
            out << bytes;
            ASSERT_TRUE(out.good());
        }
    }
}

}  // namespace
}  // namespace ui_test
