// [Message window] the window built from its module and layout rows: reveal pacing, clicks and
// show-all, fonts, saved state (with damaged saves), what its draw hands to the drawing, and the
// frame it leaves on the headless device, compared with a reference picture.
//
// TARNWICK_UPDATE_GOLDEN=1 writes the reference anew (look at it before keeping it).
#include "ui_test_support.h"

#include "foundation/wide_string.h"
#include "graphics/font_data.h"
#include "graphics/system_fonts.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/ui/golden_frame.h"
#include "tests/support/ui/harness/ui_system_fonts.h"
#include "tests/support/ui/harness/widget_state_io.h"
#include "tests/support/ui/message_window_rows.h"
#include "ui/message_window.h"
#include "ui/ui_panel.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace ui_test {
namespace {

namespace fs = std::filesystem;

constexpr const char16_t* kRubyText = u"あ≪漢字／かんじ≫です";
// Screen points of the ruby text's characters and reading: (72, 540) + region (40, 24), the
// characters below the ruby margin of 11.
constexpr float kCharX[5] = {112, 139, 166, 193, 220};
constexpr float kCharY = 575;
constexpr float kRubyX[3] = {145, 156, 167};
constexpr float kRubyY = 564;

class MessageWindowTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        const fs::path frames = m_Harness.Folder() / "cg" / "ui";
        ASSERT_TRUE(WriteMessageWindowFrame(frames));
        const std::u16string folder = Utf8ToWide(frames.string()) + u"/";
        ASSERT_TRUE(WriteUITables(m_Harness.Folder(), {MessageWindowModuleRow(folder)},
                                  {MessageWindowLayoutRow(u"SeqUITest")}));
        ASSERT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
        m_Harness.CreateWidgets(u"SeqUITest");
        m_Window = dynamic_cast<GxTaskUIMessageWindowFx*>(Manage().FindTask(u"$MESWIN:SeqAvgMain"));
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_Window->LoadImages());
    }

    GxTaskUIMessageWindowFx* NewWindow()
    {
        auto* w = new GxTaskUIMessageWindowFx(Screen(), nullptr, nullptr, 0);
        w->SetTextRegion(40, 24, 800, 150);
        return w;
    }

    GxSystemConfig& System() { return m_Harness.Config().m_System; }
    GxUserConfig& User() { return m_Harness.Config().m_User; }

    UISystemFonts m_Fonts{m_Harness.Config().m_System};
    GxTaskUIMessageWindowFx* m_Window = nullptr;
};

TEST_F(MessageWindowTest, TheRowsGiveTheFrameTheFontAndTheTextRegion)
{
    EXPECT_EQ(m_Window->GetTaskType(), 9);
    EXPECT_EQ(m_Window->m_Width, 880);
    EXPECT_EQ(m_Window->m_Height, 200);
    EXPECT_EQ(m_Window->m_TextRegionLeft, 40);
    EXPECT_EQ(m_Window->m_TextRegionTop, 24);
    EXPECT_EQ(m_Window->m_TextRegionWidth, 800);
    EXPECT_EQ(m_Window->m_TextRegionHeight, 150);
    EXPECT_EQ(m_Window->m_TextFontSize, 23);
    EXPECT_EQ(m_Window->m_RubyFontSize, 11);
    EXPECT_EQ(m_Window->m_RubyMarginHeight, 11);
    EXPECT_EQ(m_Window->m_TextTotalHeight, 35);
    EXPECT_EQ(m_Window->GetLetterMarginWidth(), 4);
    EXPECT_EQ(m_Window->m_TextColor, 0xFFFFFFFFu);
    EXPECT_EQ(m_Window->m_ShadowColor, 0x80000000u);
    EXPECT_EQ(m_Window->m_EdgeColor, 0x80000000u);
}

TEST_F(MessageWindowTest, TheRevealSpendsEachFramesTimeOnCharacters)
{
    m_Window->SetText(kRubyText, true, false, false, false);
    m_Harness.Step(100000);
    EXPECT_EQ(m_Window->GetShowCharCount(), 2u);
    EXPECT_EQ(m_Window->m_WaitTimeLeft, 20);
    EXPECT_FALSE(Manage().IsStopRequested());
    m_Harness.Step(100000);
    EXPECT_EQ(m_Window->GetShowCharCount(), 4u);
    EXPECT_EQ(m_Window->m_WaitTimeLeft, 40);
    m_Harness.Step(100000);
    EXPECT_EQ(m_Window->GetShowCharCount(), 5u);
    EXPECT_TRUE(Manage().IsStopRequested());   // the step that ended the text ends the frame's logic
    EXPECT_TRUE(m_Window->IsClickWaiting());
    EXPECT_EQ(m_Window->m_WaitTimeLeft, 0);
    EXPECT_FALSE(m_Window->IsWaitPending());

    // A text wait of 0: everything up to the next stop in one update.
    User().m_TextWaitTime = 0;
    m_Window->SetText(u"あいう%cえお", true, false, false, false);
    m_Harness.Step(16000);
    EXPECT_EQ(m_Window->GetShowCharCount(), 3u);
    EXPECT_TRUE(m_Window->IsClickWaiting());
    EXPECT_EQ(m_Window->GetRemainingChars(), 2);

    // An empty text reveals nothing and starts no click wait.
    m_Window->SetText(u"", true, false, false, false);
    m_Harness.Step(16000);
    EXPECT_EQ(m_Window->GetShowCharCount(), 0u);
    EXPECT_FALSE(m_Window->IsClickWaiting());
}

TEST_F(MessageWindowTest, ClicksShowTheRestAndFinishThePage)
{
    m_Window->SetText(u"あ%cいう", true, false, false, false);
    m_Harness.Step(0);
    ASSERT_EQ(m_Window->GetShowCharCount(), 1u);
    EXPECT_TRUE(m_Window->IsWaitPending());
    EXPECT_FALSE(m_Window->Advance());   // shows up to and including the click wait
    EXPECT_EQ(m_Window->GetShowCharCount(), 1u);
    EXPECT_TRUE(m_Window->IsClickWaiting());
    EXPECT_EQ(m_Window->m_WaitTimeLeft, 0);
    EXPECT_FALSE(m_Window->Advance());   // text remains: the reveal goes on
    EXPECT_FALSE(m_Window->IsClickWaiting());
    m_Harness.Step(200000);
    EXPECT_EQ(m_Window->GetShowCharCount(), 3u);
    EXPECT_TRUE(m_Window->IsClickWaiting());
    EXPECT_TRUE(m_Window->Advance());    // the page is finished
    EXPECT_FALSE(m_Window->IsClickWaiting());

    // A read text with the fast-show option shows at once, through every click wait.
    m_Window->SetText(u"あ%cいう", true, true, false, false);
    EXPECT_EQ(m_Window->GetShowCharCount(), 3u);
    EXPECT_TRUE(m_Window->IsClickWaiting());
    EXPECT_TRUE(m_Window->IsWaitPending());
    EXPECT_EQ(m_Window->m_WaitTimeLeft, 180);
    EXPECT_TRUE(m_Window->IsReadedText());
    // Not read: ShowAll only if read refuses; without going through click waits it stops there.
    m_Window->SetText(u"あ%cいう", true, false, false, false);
    EXPECT_FALSE(m_Window->ShowAll(true, false));
    EXPECT_EQ(m_Window->GetShowCharCount(), 0u);
    EXPECT_TRUE(m_Window->ShowAll(false, false));
    EXPECT_EQ(m_Window->GetShowCharCount(), 1u);
    EXPECT_TRUE(m_Window->ShowAll(false, false));   // already waiting
    // ClearText keeps the wait, the read flag and the colour.
    m_Window->m_TextColor = 0xFF00FF00;
    m_Window->m_WaitTimeLeft = 60;
    m_Window->ClearText();
    EXPECT_EQ(m_Window->GetTextLength(), 0);
    EXPECT_FALSE(m_Window->IsClickWaiting());
    EXPECT_EQ(m_Window->m_WaitTimeLeft, 60);
    EXPECT_EQ(m_Window->m_TextColor, 0xFF00FF00u);
}

TEST_F(MessageWindowTest, FontsChangeWidthsButNotThePitchAndBadIndexesAreRefused)
{
    EXPECT_TRUE(m_Window->SetTextFont(4));
    m_Window->SetText(u"あい", false, false, false, false);
    m_Window->ShowAll(false, true);
    ASSERT_EQ(m_Window->GetShowCharCount(), 2u);
    EXPECT_EQ(m_Window->m_ShowChars[1].m_OffsetPos.x, 26.0f);   // 22 + 4
    EXPECT_EQ(m_Window->m_TextTotalHeight, 35);
    EXPECT_EQ(m_Window->m_RubyMarginHeight, 11);

    LogCapture log;
    for (std::int32_t bad : {-1, 6, 1000}) {
        EXPECT_FALSE(m_Window->SetTextFont(bad));
        EXPECT_FALSE(m_Window->SetRubyFont(bad));
    }
    EXPECT_EQ(log.m_Errors.size(), 6u);
    EXPECT_EQ(m_Window->m_TextFontIndex, 4);
    EXPECT_EQ(m_Window->m_TextFontSize, 22);
    EXPECT_EQ(m_Window->m_RubyFontIndex, 0);
}

void ExpectSameWindow(const GxTaskUIMessageWindowFx* a, const GxTaskUIMessageWindowFx* b)
{
    EXPECT_EQ(a->m_Text, b->m_Text);
    ASSERT_EQ(a->m_ShowChars.size(), b->m_ShowChars.size());
    for (std::size_t i = 0; i < a->m_ShowChars.size(); ++i) {
        EXPECT_EQ(a->m_ShowChars[i].m_Char, b->m_ShowChars[i].m_Char);
        EXPECT_EQ(a->m_ShowChars[i].m_OffsetPos.x, b->m_ShowChars[i].m_OffsetPos.x);
        EXPECT_EQ(a->m_ShowChars[i].m_OffsetPos.y, b->m_ShowChars[i].m_OffsetPos.y);
        EXPECT_EQ(a->m_ShowChars[i].m_Color, b->m_ShowChars[i].m_Color);
        EXPECT_EQ(a->m_ShowChars[i].m_ChangeColorFlag, b->m_ShowChars[i].m_ChangeColorFlag);
    }
    ASSERT_EQ(a->m_Rubies.size(), b->m_Rubies.size());
    for (std::size_t i = 0; i < a->m_Rubies.size(); ++i) {
        EXPECT_EQ(a->m_Rubies[i].m_Text, b->m_Rubies[i].m_Text);
        EXPECT_EQ(a->m_Rubies[i].m_RubyCharWidth, b->m_Rubies[i].m_RubyCharWidth);
        EXPECT_EQ(a->m_Rubies[i].m_RubyUnderCharWidth, b->m_Rubies[i].m_RubyUnderCharWidth);
        EXPECT_EQ(a->m_Rubies[i].m_OffsetPos.x, b->m_Rubies[i].m_OffsetPos.x);
    }
    const std::vector<std::int64_t> left = {
        a->m_TextRegionLeft, a->m_TextRegionTop, a->m_TextRegionWidth, a->m_TextRegionHeight,
        a->m_TextFontIndex, a->m_RubyFontIndex, a->m_TextFontSize, a->m_RubyFontSize, a->m_LetterMarginWidth,
        a->m_RubyMarginHeight, a->m_TextTotalHeight, a->m_ProcessPos, a->m_RubyMode, a->m_CursorX, a->m_CursorY,
        a->m_TextColor, a->m_ShadowColor, a->m_ChangeColor, a->m_VisibleText, a->m_UseShadow,
        a->m_EnableAutoClickWait, a->m_ClickWaiting, a->m_IgnoreKinsoku, a->m_DisenableAutoNewline,
        a->m_WaitTimeLeft};
    const std::vector<std::int64_t> right = {
        b->m_TextRegionLeft, b->m_TextRegionTop, b->m_TextRegionWidth, b->m_TextRegionHeight,
        b->m_TextFontIndex, b->m_RubyFontIndex, b->m_TextFontSize, b->m_RubyFontSize, b->m_LetterMarginWidth,
        b->m_RubyMarginHeight, b->m_TextTotalHeight, b->m_ProcessPos, b->m_RubyMode, b->m_CursorX, b->m_CursorY,
        b->m_TextColor, b->m_ShadowColor, b->m_ChangeColor, b->m_VisibleText, b->m_UseShadow,
        b->m_EnableAutoClickWait, b->m_ClickWaiting, b->m_IgnoreKinsoku, b->m_DisenableAutoNewline,
        b->m_WaitTimeLeft};
    EXPECT_EQ(left, right);
}

TEST_F(MessageWindowTest, StateRoundTripsInBothFormsAndARestoredTextCountsAsRead)
{
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        GxTaskUIMessageWindowFx* written = NewWindow();
        written->SetTextRegion(7, 8, 600, 90);
        written->SetRubyFont(1);
        written->SetLetterMarginWidth(2);
        written->m_UseShadow = false;
        written->SetText(u"あ%a(0x123456)≪漢字／かんじ≫で%w(70)す%c残り", true, false, true, false);
        written->ShowAll(false, false);
        written->m_EdgeColor = 0x11223344;
        bool ok = false;
        const std::string bytes = SaveTaskState(*written, form, &ok);
        EXPECT_TRUE(ok);

        GxTaskUIMessageWindowFx* read = NewWindow();
        int errors = -1;
        EXPECT_TRUE(LoadTaskState(*read, form, bytes, &errors));
        EXPECT_EQ(errors, 0);
        written->m_ReadedFlag = true;   // a restored text counts as read, whatever was stored
        ExpectSameWindow(written, read);
        EXPECT_TRUE(read->IsReadedText());
        EXPECT_EQ(read->m_EdgeColor, 0x80000000u);   // not saved
        EXPECT_TRUE(read->IsClickWaiting());
        EXPECT_EQ(read->GetRemainingChars(), 2);
    }
}

TEST_F(MessageWindowTest, ADamagedSaveNeitherSizesListsByItsCountsNorReadsOutsideTheText)
{
    GxTaskUIMessageWindowFx* written = NewWindow();
    written->SetText(u"あい", false, false, false, false);
    written->ShowAll(false, true);
    const std::string text = SaveTaskState(*written, TestContentForm::kText);

    // The list of two records claims four thousand million.
    const std::string listLine = "m_ShowChars";
    std::size_t at = text.find(listLine);
    ASSERT_NE(at, std::string::npos);
    const std::size_t lineEnd = text.find('\n', at);
    std::string line = text.substr(at, lineEnd - at);
    const std::size_t count = line.rfind('2');
    ASSERT_NE(count, std::string::npos) << line;
    line.replace(count, 1, "4000000000");
    const std::string damaged = text.substr(0, at) + line + text.substr(lineEnd);

    GxTaskUIMessageWindowFx* read = NewWindow();
    int errors = 0;
    LoadTaskState(*read, TestContentForm::kText, damaged, &errors);
    EXPECT_GT(errors, 0);
    EXPECT_EQ(read->GetShowCharCount(), 2u);

    // A position and fonts outside what exists: the position is held, the text not drawn.
    written->m_ProcessPos = 1000;
    written->m_TextFontIndex = 77;
    written->m_RubyFontIndex = -3;
    written->m_Rubies.push_back(GxRubyInfo{u"よみ", 22, 46, GxVector3()});
    const std::string bad = SaveTaskState(*written, TestContentForm::kBinary);
    GxTaskUIMessageWindowFx* odd = NewWindow();
    EXPECT_TRUE(LoadTaskState(*odd, TestContentForm::kBinary, bad));
    EXPECT_EQ(odd->GetProcessPos(), 2);
    EXPECT_EQ(odd->GetRemainingChars(), 0);
    EXPECT_TRUE(odd->StepChar());
    m_Harness.Recorder().Clear();
    odd->Draw(0, 0);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRing").empty());
}

TEST_F(MessageWindowTest, EachCharacterDrawsShadowEdgeAndBodyAtItsPlace)
{
    m_Window->SetText(kRubyText, true, false, false, false);
    m_Window->ShowAll(false, true);
    m_Harness.Recorder().Clear();
    m_Window->Draw(0, 0);
    const auto glyphs = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    const auto rings = m_Harness.Recorder().CallsOf("DrawGlyphRing");
    ASSERT_EQ(m_Harness.Recorder().CallsOf("DrawFlexTexture").size(), 1u);
    ASSERT_EQ(glyphs.size(), 6u + 10u);
    ASSERT_EQ(rings.size(), 5u);
    for (int i = 0; i < 3; ++i) {   // the reading first: shadow one pixel off, then the glyph
        SCOPED_TRACE(i);
        EXPECT_EQ(glyphs[2 * i].points[0].x, kRubyX[i] + 1);
        EXPECT_EQ(glyphs[2 * i].points[0].y, kRubyY + 1);
        EXPECT_EQ(glyphs[2 * i].colors[0], 0x80000000u);
        EXPECT_EQ(glyphs[2 * i + 1].points[0].x, kRubyX[i]);
        EXPECT_EQ(glyphs[2 * i + 1].points[0].y, kRubyY);
        EXPECT_EQ(glyphs[2 * i + 1].colors[0], 0xFFFFFFFFu);
        EXPECT_EQ(glyphs[2 * i + 1].preset, 2);
    }
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const WidgetDrawCall& shadow = glyphs[6 + 2 * i];
        const WidgetDrawCall& body = glyphs[7 + 2 * i];
        EXPECT_EQ(shadow.points[0].x, kCharX[i] + 3);
        EXPECT_EQ(shadow.points[0].y, kCharY + 3);
        EXPECT_EQ(shadow.colors[0], 0x80000000u);
        EXPECT_EQ(shadow.preset, 2);
        EXPECT_EQ(rings[i].points[0].x, kCharX[i]);
        EXPECT_EQ(rings[i].points[0].y, kCharY);
        EXPECT_EQ(rings[i].distance, 1.0f);
        EXPECT_EQ(rings[i].colors[0], 0x80000000u);
        EXPECT_EQ(rings[i].preset, 2);
        EXPECT_EQ(body.points[0].x, kCharX[i]);
        EXPECT_EQ(body.points[0].y, kCharY);
        EXPECT_EQ(body.colors[0], 0xFFFFFFFFu);
    }

    // Half the actor's alpha halves text, shadow and edge; a read text takes colour 1; the body
    // takes the actor's blend preset.
    m_Window->m_VisualParam.m_Alpha = 128;
    m_Window->m_VisualParam.m_BlendMode = 5;
    m_Window->m_ReadedFlag = true;
    m_Harness.Recorder().Clear();
    m_Window->Draw(0, 0);
    const auto half = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    ASSERT_EQ(half.size(), 16u);
    EXPECT_EQ(half[6].colors[0], 0x40000000u);
    EXPECT_EQ(half[6].preset, 2);
    EXPECT_EQ(half[7].colors[0], 0x80AAEEFFu);
    EXPECT_EQ(half[7].preset, 5);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRing")[0].colors[0], 0x40000000u);

    // No edge colour: the shadow two pixels off and no rings.
    m_Window->m_EdgeColor = 0;
    m_Harness.Recorder().Clear();
    m_Window->Draw(0, 0);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRing").empty());
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord")[6].points[0].x, kCharX[0] + 2);

    // Hidden text: only the frame.
    m_Window->HideText();
    m_Harness.Recorder().Clear();
    m_Window->Draw(0, 0);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawFlexTexture").size(), 1u);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
}

TEST_F(MessageWindowTest, ACharacterWithoutAGlyphIsSkippedButKeepsItsAdvance)
{
    m_Window->SetText(u"あ\u0001い", false, false, false, false);
    m_Window->ShowAll(false, true);
    m_Harness.Recorder().Clear();
    m_Window->Draw(0, 0);
    const auto glyphs = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    ASSERT_EQ(glyphs.size(), 4u);
    EXPECT_EQ(glyphs[3].points[0].x, 112.0f + 27 + 15);   // the control character took 11 + 4
}

TEST_F(MessageWindowTest, TheBuiltInFontCentresEachCharacterInItsCell)
{
    TestImage image;
    image.width = 64;
    image.height = 20;
    image.argb.assign(64 * 20, 0xFFFFFFFF);
    const fs::path path = m_Harness.Folder() / "builtin.png";
    ASSERT_TRUE(WriteImageFile(path.string(), BuildPng(PngSpecRgba8(image))));
    ASSERT_TRUE(GetSystemBitmapFont(kBuiltinMessageFontIndex)
                    ->CreateGrid(u"builtin", Utf8ToWide(path.string()), u'あ', u'い', 16, 20, 4));
    System().m_MesWinTextBuiltinFontName = u"builtin";

    m_Window->SetText(u"あうい", false, false, false, false);   // う is not in the font
    m_Window->ShowAll(false, true);
    m_Harness.Recorder().Clear();
    m_Window->Draw(0, 0);
    const auto calls = m_Harness.Recorder().CallsOf("DrawBitmapFontText");
    ASSERT_EQ(calls.size(), 12u);   // shadow, four edges, body for あ and い
    // x: 40 + (2 x 23 x 0.5 - 16) x 0.5 = 43.5, cut to 43; y: 24 + 11.
    EXPECT_EQ(calls[0].points[0].x, 72.0f + 43 + 3);
    EXPECT_EQ(calls[0].points[0].y, 540.0f + 35 + 3);
    EXPECT_EQ(calls[0].preset, 2);
    const float edges[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(calls[1 + i].points[0].x, 115.0f + edges[i][0]) << i;
        EXPECT_EQ(calls[1 + i].points[0].y, 575.0f + edges[i][1]) << i;
        EXPECT_EQ(calls[1 + i].colors[0], 0x80000000u);
    }
    EXPECT_EQ(calls[5].points[0].x, 115.0f);
    EXPECT_EQ(calls[5].text, u"あ");
    EXPECT_EQ(calls[11].text, u"い");
    EXPECT_EQ(calls[11].points[0].x, 115.0f + 54);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
    System().m_MesWinTextBuiltinFontName.clear();
}

// ---- the rendered frame --------------------------------------------------------------------

fs::path GoldenPath()
{
    return fs::path(TW_SOURCE_DIR) / "tests/ui/golden/message_window_frame.png";
}

int Channel(std::uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 0xFF);
}

struct GlyphCell {
    int left, top, right, bottom;   // right and bottom outside
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Pixels of the window's area that differ from the frame image.
bool IsInk(std::uint32_t pixel)
{
    return (pixel & 0xFFFFFF) != (kMessageFrameColor & 0xFFFFFF);
}

TEST_F(MessageWindowTest, TheRenderedFrameHoldsTextOnlyInTheRevealedCells)
{
    m_Window->SetText(kRubyText, true, false, false, false);
    m_Harness.Step(100000);   // あ and 漢 with the reading
    {
        UINT width = 0, height = 0;
        const std::vector<std::uint32_t> frame = m_Harness.ReadFrame(&width, &height);
        for (int i = 2; i < 5; ++i) {   // 字, で and す not yet: below the reading's rows, nothing
            for (int y = static_cast<int>(kCharY) + 2; y < static_cast<int>(kCharY) + 27; ++y)
                for (int x = static_cast<int>(kCharX[i]) + 1; x < static_cast<int>(kCharX[i]) + 27; ++x)
                    ASSERT_FALSE(IsInk(frame[static_cast<std::size_t>(y) * width + x])) << i << ": " << x << "," << y;
        }
    }
    m_Window->ShowAll(false, true);
    m_Harness.Step(0);
    UINT width = 0, height = 0;
    const std::vector<std::uint32_t> frame = m_Harness.ReadFrame(&width, &height);
    ASSERT_EQ(width, 1024u);
    std::vector<GlyphCell> cells;
    for (float x : kCharX)
        cells.push_back({static_cast<int>(x) - 1, static_cast<int>(kCharY) - 1, static_cast<int>(x) + 27,
                         static_cast<int>(kCharY) + 27});
    for (float x : kRubyX)
        cells.push_back({static_cast<int>(x), static_cast<int>(kRubyY), static_cast<int>(x) + 12,
                         static_cast<int>(kRubyY) + 12});
    std::vector<int> inkPerCell(cells.size(), 0);
    for (int y = 540; y < 740; ++y)
        for (int x = 72; x < 952; ++x) {
            const std::uint32_t pixel = frame[static_cast<std::size_t>(y) * width + x];
            if (!IsInk(pixel))
                continue;
            bool inside = false;
            for (std::size_t c = 0; c < cells.size(); ++c)
                if (cells[c].Contains(x, y)) {
                    inside = true;
                    ++inkPerCell[c];
                }
            ASSERT_TRUE(inside) << "ink at " << x << "," << y;
        }
    for (std::size_t c = 0; c < cells.size(); ++c)
        EXPECT_GT(inkPerCell[c], 10) << "cell " << c;

    const GoldenFrame goldenFrame = UpdateAndLoadGoldenFrame(GoldenPath(), width, height, frame);
    const std::vector<std::uint32_t>& golden = goldenFrame.m_Pixels;
    ASSERT_FALSE(golden.empty()) << "no reference at " << GoldenPath();
    ASSERT_EQ(goldenFrame.m_Width, width);
    ASSERT_EQ(goldenFrame.m_Height, height);
    // Anti-aliasing may drift between font builds; shapes and positions may not.
    std::size_t far = 0;
    long long total = 0;
    for (std::size_t i = 0; i < golden.size(); ++i) {
        int worst = 0;
        for (int shift : {0, 8, 16}) {
            const int difference = std::abs(Channel(golden[i], shift) - Channel(frame[i], shift));
            worst = std::max(worst, difference);
            total += difference;
        }
        far += worst > 48;
    }
    EXPECT_LE(far, golden.size() / 100) << "pixels far from the reference";
    EXPECT_LE(total / static_cast<long long>(golden.size() * 3), 4) << "mean difference per channel";
}

TEST_F(MessageWindowTest, AWindowFadedOverALightSceneLeavesNoOutlines)
{
    // A light scene behind the window: what a fade to 0 leaves must be exactly the scene.
    constexpr std::uint32_t kScene = 0xFFE8E4DC;
    TestImage image;
    image.width = kMessageFrameWidth;
    image.height = kMessageFrameHeight;
    image.argb.assign(static_cast<std::size_t>(image.width) * image.height, kScene);
    const fs::path path = m_Harness.Folder() / "scene.png";
    ASSERT_TRUE(WriteImageFile(path.string(), BuildPng(PngSpecRgba8(image))));
    auto* scene = new GxTaskUIPanelFx(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(scene->SetImageName(Utf8ToWide(path.string()).c_str()));
    ASSERT_TRUE(scene->LoadImages());
    scene->SetPos(GxVector3(72.0f, 540.0f, 0.0f));
    scene->SetOrderZ(m_Window->GetOrderZ() - 1.0f);

    m_Window->SetText(kRubyText, true, false, false, false);
    m_Window->ShowAll(false, true);
    struct Case {
        std::int32_t alpha;
        bool windowShows;
    };
    for (const Case& c : {Case{255, true}, Case{0, false}}) {
        SCOPED_TRACE(c.alpha);
        m_Window->SetAlpha(c.alpha);
        m_Harness.Step(0);
        UINT width = 0;
        const std::vector<std::uint32_t> frame = m_Harness.ReadFrame(&width);
        int differing = 0;
        for (float x : kCharX)
            for (int y = static_cast<int>(kCharY) - 1; y < static_cast<int>(kCharY) + 27; ++y)
                for (int cx = static_cast<int>(x) - 1; cx < static_cast<int>(x) + 27; ++cx)
                    differing += (frame[static_cast<std::size_t>(y) * width + cx] & 0xFFFFFF) != (kScene & 0xFFFFFF);
        if (c.windowShows)
            EXPECT_GT(differing, 100);
        else
            EXPECT_EQ(differing, 0);
    }
}

}  // namespace
}  // namespace ui_test
