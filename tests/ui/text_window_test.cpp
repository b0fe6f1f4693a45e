// [Text window] a whole text laid out in one call: tags read past, no letter margin, the ruby
// line's pitch, colours, the draw (shadow, no edge), no saved text, and a layout row's text laid
// out before the module row arrives.
#include "ui_test_support.h"

#include "tests/support/ui/harness/ui_system_fonts.h"
#include "tests/support/ui/harness/widget_state_io.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/text_window.h"

#include <string>
#include <vector>

namespace ui_test {
namespace {

class TextWindowTest : public UIHarnessTest {
protected:
    GxTaskUITextWindowFx* Window()
    {
        auto* w = new GxTaskUITextWindowFx(Screen(), nullptr, nullptr, 0);
        w->SetPos(GxVector3(100, 200, 0));
        w->SetTextRegion(10, 5, 800, 100);
        return w;
    }
    static GxVector2 At(const GxTaskUITextWindowFx* w, std::size_t i)
    {
        return GxVector2(w->m_ShowChars.at(i).m_OffsetPos.x, w->m_ShowChars.at(i).m_OffsetPos.y);
    }

    GxSystemConfig& System() { return m_Harness.Config().m_System; }
    UISystemFonts m_Fonts{m_Harness.Config().m_System};
};

TEST_F(TextWindowTest, SetTextLaysEverythingOutAndReadsPastWaitsAndClicks)
{
    GxTaskUITextWindowFx* w = Window();
    EXPECT_EQ(w->GetTaskType(), 10);
    w->SetText(u"あ%cい%w(100)う%wa", false, false);
    EXPECT_EQ(w->GetText(), u"あ%cい%w(100)う%wa");
    EXPECT_EQ(w->GetRemainingChars(), 0);
    EXPECT_FALSE(w->m_ClickWaiting);
    EXPECT_EQ(w->m_WaitTimeLeft, 0);
    ASSERT_EQ(w->GetShowCharCount(), 4u);
    EXPECT_EQ(At(w, 1).x, 23.0f);   // no letter margin
    EXPECT_EQ(At(w, 2).x, 46.0f);
    EXPECT_EQ(At(w, 3).x, 69.0f);

    // An empty text still takes its one step and shows nothing.
    w->SetText(u"", false, false);
    EXPECT_EQ(w->GetShowCharCount(), 0u);
}

TEST_F(TextWindowTest, LinesBreakAtTheEdgeAndThePitchFollowsTheRubyLine)
{
    GxTaskUITextWindowFx* w = Window();
    w->SetText((std::u16string(33, u'あ') + u"「").c_str(), false, false);
    EXPECT_EQ(At(w, 33).x, 0.0f);
    EXPECT_EQ(At(w, 33).y, 35.0f);   // 23 + 1 + the ruby size
    w->SetText((std::u16string(34, u'あ') + u"い").c_str(), false, false);
    EXPECT_EQ(At(w, 33).x, 759.0f);
    EXPECT_EQ(At(w, 34).x, 0.0f);
    EXPECT_EQ(At(w, 34).y, 35.0f);

    w->HideRubyLine();
    w->SetText(u"あ%rい≪漢／かん≫", false, false);
    EXPECT_EQ(At(w, 1).y, 24.0f);
    EXPECT_EQ(w->m_Rubies.size(), 1u);   // laid out, not drawn
    m_Harness.Recorder().Clear();
    w->Draw(0, 0);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord").size(), 6u);   // three characters
    w->ShowRubyLine();
    m_Harness.Recorder().Clear();
    w->Draw(0, 0);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord").size(), 10u);   // and two reading units
}

TEST_F(TextWindowTest, ColourTagsColourTheRecordsWithoutMarkingThem)
{
    const std::uint32_t system0 = System().m_SystemTextColor0;
    GxTaskUITextWindowFx* w = Window();
    w->SetText(u"%a(0xFF0000)あ%aい%a(0x00FF00)", false, false);
    ASSERT_EQ(w->GetShowCharCount(), 2u);
    EXPECT_EQ(w->m_ShowChars[0].m_Color, 0xFFFF0000u);
    EXPECT_FALSE(w->m_ShowChars[0].m_ChangeColorFlag);
    EXPECT_EQ(w->m_ShowChars[1].m_Color, system0);
    EXPECT_FALSE(w->m_ChangeColor);
    w->SetText(u"う", false, false);
    EXPECT_EQ(w->m_ShowChars[0].m_Color, system0);
}

TEST_F(TextWindowTest, CharactersDrawWithAShadowAndNoEdge)
{
    GxTaskUITextWindowFx* w = Window();
    w->m_VisualParam.m_Alpha = 128;
    w->m_VisualParam.m_BlendMode = 4;
    w->SetText(u"%a(0x102030)あい", false, false);
    m_Harness.Recorder().Clear();
    w->Draw(0, 0);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRing").empty());
    const auto glyphs = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    ASSERT_EQ(glyphs.size(), 4u);
    // (100, 200) + region (10, 5) + ruby room 11.
    EXPECT_EQ(glyphs[0].points[0].x, 112.0f);
    EXPECT_EQ(glyphs[0].points[0].y, 218.0f);
    EXPECT_EQ(glyphs[0].preset, 2);
    EXPECT_EQ(glyphs[0].colors[0] >> 24, (System().m_SystemShadowColor >> 24) * 128 / 255);
    EXPECT_EQ(glyphs[1].points[0].x, 110.0f);
    EXPECT_EQ(glyphs[1].points[0].y, 216.0f);
    EXPECT_EQ(glyphs[1].colors[0], 0x80102030u);
    EXPECT_EQ(glyphs[1].preset, 4);
    EXPECT_EQ(glyphs[3].points[0].x, 133.0f);

    w->HideRubyLine();
    w->m_UseShadow = false;
    m_Harness.Recorder().Clear();
    w->Draw(0, 0);
    const auto plain = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    ASSERT_EQ(plain.size(), 2u);
    EXPECT_EQ(plain[0].points[0].y, 205.0f);

    w->HideText();
    m_Harness.Recorder().Clear();
    w->Draw(0, 0);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
}

TEST_F(TextWindowTest, ItsTextIsNotSavedAndBadFontsAreRefused)
{
    GxTaskUITextWindowFx* written = Window();
    written->SetText(u"あいう", false, false);
    const std::string bytes = SaveTaskState(*written, TestContentForm::kBinary);
    GxTaskUITextWindowFx* read = Window();
    EXPECT_TRUE(LoadTaskState(*read, TestContentForm::kBinary, bytes));
    EXPECT_EQ(read->GetTextLength(), 0);
    EXPECT_EQ(read->GetShowCharCount(), 0u);

    LogCapture log;
    EXPECT_FALSE(written->SetTextFont(6));
    EXPECT_FALSE(written->SetRubyFont(-1));
    EXPECT_EQ(log.m_Errors.size(), 2u);
    EXPECT_EQ(written->m_TextFontSize, 23);
    EXPECT_TRUE(written->SetTextFont(4));
    EXPECT_EQ(written->m_TextFontSize, 22);
    EXPECT_EQ(written->m_TextTotalHeight, 24);   // fixed at construction
}

TEST_F(TextWindowTest, ALayoutRowsTextIsLaidOutBeforeTheModuleRowArrives)
{
    ModuleRow module;
    module.id = 1;
    module.type = 10;
    module.name = u"tip_logwindow";
    module.clientLeft = 10;
    module.clientTop = 5;
    module.clientWidth = 100;
    module.clientHeight = 50;
    module.font = 4;
    LayoutRow layout;
    layout.id = 1;
    layout.parentName = u"SeqUITest";
    layout.moduleName = u"tip_logwindow";
    layout.taskName = u"log";
    layout.text = u"あいうえお";
    ASSERT_TRUE(WriteUITables(m_Harness.Folder(), {module}, {layout}));
    ASSERT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
    m_Harness.CreateWidgets(u"SeqUITest");
    auto* w = dynamic_cast<GxTaskUITextWindowFx*>(Manage().FindTask(u"log"));
    ASSERT_NE(w, nullptr);
    // Font 2 and the width of 800 at the time the text came: one line, 23 apart.
    ASSERT_EQ(w->GetShowCharCount(), 5u);
    EXPECT_EQ(At(w, 4).x, 92.0f);
    EXPECT_EQ(At(w, 4).y, 0.0f);
    // The module row's font and region from then on.
    EXPECT_EQ(w->m_TextFontIndex, 4);
    EXPECT_EQ(w->m_TextRegionWidth, 100);
    w->SetText(u"あいうえお", false, false);
    EXPECT_EQ(At(w, 4).y, 35.0f);
}

}  // namespace
}  // namespace ui_test
