// [Text steps] one text laid out by the message window's steps: positions of the characters and
// rubies, the line-breaking rules at the region's edge, the text tags and their numbers.
// Text size 23, ruby size 11, margin 4, region width 800: a full-width character advances 27.
#include "ui_test_support.h"

#include "ui/message_window.h"
#include "ui/text_step.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace ui_test {
namespace {

struct Placed {
    char16_t c;
    int x;
    int y;
};

class TextStepTest : public UIHarnessTest {
protected:
    GxTaskUIMessageWindowFx* Window()
    {
        auto* w = new GxTaskUIMessageWindowFx(Screen(), nullptr, nullptr, 0);
        w->SetTextRegion(40, 24, 800, 150);
        return w;
    }

    // Steps until a step ends the text or stops at a click wait; returns the number of steps.
    static int StepAll(GxTaskUIMessageWindowFx* w, int limit = 1000)
    {
        int steps = 0;
        while (steps < limit) {
            ++steps;
            if (w->StepChar())
                break;
        }
        return steps;
    }

    static std::vector<Placed> Shown(const GxTaskUIMessageWindowFx* w)
    {
        std::vector<Placed> placed;
        for (const GxShowChar& c : w->m_ShowChars)
            placed.push_back({static_cast<char16_t>(c.m_Char), static_cast<int>(c.m_OffsetPos.x),
                              static_cast<int>(c.m_OffsetPos.y)});
        return placed;
    }

    static std::u16string ShownText(const GxTaskUIMessageWindowFx* w)
    {
        std::u16string text;
        for (const GxShowChar& c : w->m_ShowChars)
            text.push_back(static_cast<char16_t>(c.m_Char));
        return text;
    }
};

void ExpectPlaced(const std::vector<Placed>& actual, const std::vector<Placed>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].c, expected[i].c) << i;
        EXPECT_EQ(actual[i].x, expected[i].x) << i;
        EXPECT_EQ(actual[i].y, expected[i].y) << i;
    }
}

TEST_F(TextStepTest, ARubyRunTakesOneStepPerBaseCharacterAndNoneForItsReading)
{
    GxTaskUIMessageWindowFx* w = Window();
    w->SetText(u"あ≪漢字／かんじ≫です", false, false, false, false);
    EXPECT_FALSE(w->StepChar());   // あ
    EXPECT_FALSE(w->StepChar());   // the ruby starts and 漢 shows
    ASSERT_EQ(w->m_Rubies.size(), 1u);
    EXPECT_EQ(w->m_Rubies[0].m_Text, u"かんじ");
    EXPECT_EQ(w->m_Rubies[0].m_RubyCharWidth, 33);
    EXPECT_EQ(w->m_Rubies[0].m_RubyUnderCharWidth, 46);
    EXPECT_EQ(w->m_Rubies[0].m_OffsetPos.x, 16.0f);
    EXPECT_EQ(w->m_Rubies[0].m_OffsetPos.y, 0.0f);
    EXPECT_TRUE(w->m_RubyMode);
    EXPECT_FALSE(w->StepChar());   // 字
    EXPECT_FALSE(w->StepChar());   // the reading is skipped and で shows in the same step
    EXPECT_FALSE(w->m_RubyMode);
    EXPECT_EQ(w->GetProcessPos(), 10);
    EXPECT_TRUE(w->StepChar());    // す ends the text
    ExpectPlaced(Shown(w), {{u'あ', 0, 0}, {u'漢', 27, 0}, {u'字', 54, 0}, {u'で', 81, 0}, {u'す', 108, 0}});
    EXPECT_EQ(w->GetRemainingChars(), 0);
    EXPECT_FALSE(w->IsClickWaiting());   // no automatic click wait asked for

    // The anchor is half a character left of the pen, never left of the region.
    GxTaskUIMessageWindowFx* at100 = Window();
    at100->SetText(u"≪漢字／かんじ≫", false, false, false, false);
    at100->m_CursorX = 100;
    at100->StepChar();
    ASSERT_EQ(at100->m_Rubies.size(), 1u);
    EXPECT_EQ(at100->m_Rubies[0].m_OffsetPos.x, 89.0f);
    GxTaskUIMessageWindowFx* atStart = Window();
    atStart->SetText(u"≪漢／かん≫", false, false, false, false);
    atStart->StepChar();
    EXPECT_EQ(atStart->m_Rubies[0].m_OffsetPos.x, 0.0f);
}

TEST_F(TextStepTest, ClosingMarksHangAndOpeningBracketsMoveToTheNextLine)
{
    const std::u16string a28(28, u'あ');
    const std::u16string a29(29, u'あ');
    struct Case {
        const char* what;
        std::u16string text;
        bool ignoreKinsoku;
        bool noNewline;
        std::vector<Placed> tail;   // the last characters laid out
    };
    const Case cases[] = {
        {"bracket moves down (pen at 756 >= 746)", a28 + u"「い」", false, false,
         {{u'あ', 729, 0}, {u'「', 0, 35}, {u'い', 27, 35}, {u'」', 54, 35}}},
        {"bracket stays with the rules off", a28 + u"「い", true, false, {{u'「', 756, 0}, {u'い', 0, 35}}},
        {"full stop hangs at the end", a29 + u"。い", false, false, {{u'。', 783, 0}, {u'い', 0, 35}}},
        {"full stop breaks with the rules off", a29 + u"。い", true, false,
         {{u'あ', 756, 0}, {u'。', 0, 35}, {u'い', 27, 35}}},
        {"no automatic line break", a29 + u"。い", false, true, {{u'。', 783, 0}, {u'い', 810, 0}}},
        {"a plain character breaks at 773", a29 + u"い", false, false, {{u'あ', 756, 0}, {u'い', 0, 35}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GxTaskUIMessageWindowFx* w = Window();
        w->SetText(c.text.c_str(), false, false, c.ignoreKinsoku, c.noNewline);
        StepAll(w);
        const std::vector<Placed> all = Shown(w);
        ASSERT_GE(all.size(), c.tail.size());
        ExpectPlaced(std::vector<Placed>(all.end() - static_cast<std::ptrdiff_t>(c.tail.size()), all.end()), c.tail);
    }
}

TEST_F(TextStepTest, TagsShowEndWaitAndColour)
{
    struct Case {
        std::u16string text;
        std::u16string shown;
        bool clickWait;     // with the automatic click wait on
        int waitMs;         // added by the tags alone (text wait 0)
        bool warned = false;   // a wait tag's number was dropped with a warning
    };
    const Case cases[] = {
        {u"%%", u"%", true, 0},
        {u"%x", u"x", true, 0},
        {u"あ%", u"あ", true, 0},
        {u"あ%r", u"あ", false, 0},
        {u"あ%p", u"", false, 0},
        {u"あ%w", u"あ", false, 480},
        {u"%w(500)", u"", false, 500},
        {u"%w(0x1F4)", u"", false, 500},
        {u"%w(0100)", u"", false, 64},
        {u"%w(09)", u"", false, 0},   // two units scanned, octal 0
        {u"%w(ab)", u"ab)", true, 0},
        {u"%w(2147483647)", u"", false, std::numeric_limits<std::int32_t>::max()},
        // Negative as written or 2^31 and more: no wait (and a warning), so the reveal goes on.
        {u"%w(4294967295)あ", u"あ", true, 0, true},
        {u"%w(-1)", u"", false, 0, true},
        {u"%w(-5)あ", u"あ", true, 0, true},
        {u"%w(0x80000000)あ", u"あ", true, 0, true},
        {u"%w(99999999999)あ", u"あ", true, 0, true},
        {u"≪漢%r／かん≫", u"漢%r", true, 0},
        {u"≪漢字", u"漢字", true, 0},
        {u"≪漢／かん", u"漢", true, 0},
        {u"≪／r≫", u"／r≫", true, 0},
        {u"", u"", false, 0},
    };
    m_Harness.Config().m_User.m_TextWaitTime = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        LogCapture log;
        GxTaskUIMessageWindowFx* w = Window();
        w->SetText(c.text.c_str(), true, false, false, false);
        w->ShowAll(false, true);
        EXPECT_EQ(ShownText(w), c.shown);
        EXPECT_EQ(w->IsClickWaiting(), c.clickWait);
        EXPECT_EQ(w->m_WaitTimeLeft, c.waitMs);
        EXPECT_EQ(w->GetRemainingChars(), 0);
        ASSERT_EQ(log.m_Warnings.size(), c.warned ? 1u : 0u);
        if (c.warned) {
            const std::string tag = WideToUtf8(c.text.substr(0, c.text.find(u')') + 1));
            EXPECT_NE(log.m_Warnings[0].find(tag), std::string::npos) << log.m_Warnings[0];
        }

        // Revealed by the frames alone, the text ends within the tags' own wait: no click needed.
        GxTaskUIMessageWindowFx* paced = Window();
        paced->SetText(c.text.c_str(), true, false, false, false);
        for (int frame = 0; frame < 40 && paced->GetRemainingChars() > 0; ++frame)
            paced->Update(0, 16000);
        EXPECT_EQ(paced->GetRemainingChars(), 0);
        EXPECT_EQ(ShownText(paced), c.shown);
    }

    // A few long waits add up without overflowing.
    GxTaskUIMessageWindowFx* waits = Window();
    waits->SetText(u"%w(2000000000)%w(2000000000)%w(2000000000)", false, false, false, false);
    waits->ShowAll(false, true);
    EXPECT_EQ(waits->m_WaitTimeLeft, std::numeric_limits<std::int32_t>::max());

    // The reading of an unclosed ruby runs to the end of the text.
    GxTaskUIMessageWindowFx* open = Window();
    open->SetText(u"≪漢／かん", false, false, false, false);
    open->ShowAll(false, true);
    ASSERT_EQ(open->m_Rubies.size(), 1u);
    EXPECT_EQ(open->m_Rubies[0].m_Text, u"かん");
    // No separator: no ruby at all.
    GxTaskUIMessageWindowFx* none = Window();
    none->SetText(u"≪漢字", false, false, false, false);
    none->ShowAll(false, true);
    EXPECT_TRUE(none->m_Rubies.empty());
}

TEST_F(TextStepTest, ColourTagsColourTheFollowingCharactersWithoutAStepOfTheirOwn)
{
    const std::uint32_t defaultColour = m_Harness.Config().m_System.m_MesWinTextColor0;
    struct Case {
        std::u16string tag;
        std::uint32_t colour;
        bool flag;
    };
    const Case cases[] = {
        {u"%a(0xFF0000)", 0xFFFF0000u, true},
        {u"%a(16711680)", 0xFFFF0000u, true},
        {u"%a(0x123456)", 0xFF123456u, true},
        {u"%a(0x80123456)", 0xFF123456u, true},
        {u"%a(0x123456)%a", defaultColour, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.tag));
        GxTaskUIMessageWindowFx* w = Window();
        w->SetText((u"あ" + c.tag + u"い").c_str(), false, false, false, false);
        EXPECT_FALSE(w->StepChar());
        EXPECT_TRUE(w->StepChar());   // the tag and い in one step
        ASSERT_EQ(w->m_ShowChars.size(), 2u);
        EXPECT_EQ(w->m_ShowChars[0].m_Color, defaultColour);
        EXPECT_FALSE(w->m_ShowChars[0].m_ChangeColorFlag);
        EXPECT_EQ(w->m_ShowChars[1].m_Color, c.colour);
        EXPECT_EQ(w->m_ShowChars[1].m_ChangeColorFlag, c.flag);
    }
    // A colour tag that ends the text ends it.
    GxTaskUIMessageWindowFx* w = Window();
    w->SetText(u"%a(0xFF)", true, false, false, false);
    EXPECT_TRUE(w->StepChar());
    EXPECT_TRUE(w->IsClickWaiting());
}

TEST_F(TextStepTest, TagNumbersScanAsTheTextSaysAndConvertIn32Bits)
{
    struct Case {
        std::u16string text;
        std::int32_t length;
        std::uint32_t value;
    };
    const Case cases[] = {
        {u"500)", 3, 500},          {u"0x1F4)", 5, 500},  {u"0100", 4, 64},         {u"09", 2, 0},
        {u"-1", 2, 0xFFFFFFFFu},    {u"+7x", 2, 7},       {u"0x", 1, 0},            {u"ab", 0, 0},
        {u"-", 0, 0},               {u"", 0, 0},          {u"99999999999", 11, 0xFFFFFFFFu},
        {u"0XfF", 4, 255},
    };
    for (const Case& c : cases) {
        std::uint32_t value = 12345;
        EXPECT_EQ(ScanTagNumber(c.text.data(), c.text.data() + c.text.size(), &value), c.length) << WideToUtf8(c.text);
        EXPECT_EQ(value, c.value) << WideToUtf8(c.text);
    }
    // Never past the end given, even when the text goes on.
    const std::u16string text = u"1234";
    std::uint32_t value = 0;
    EXPECT_EQ(ScanTagNumber(text.data(), text.data() + 2, &value), 2);
    EXPECT_EQ(value, 12u);
}

TEST_F(TextStepTest, AProcessPositionOutsideTheTextCountsAsItsStartOrEnd)
{
    GxTaskUIMessageWindowFx* w = Window();
    w->SetText(u"あい", false, false, false, false);
    w->m_ProcessPos = -5;
    EXPECT_FALSE(w->StepChar());
    ASSERT_EQ(w->m_ShowChars.size(), 1u);
    EXPECT_EQ(w->m_ShowChars[0].m_Char, u'あ');
    w->m_ProcessPos = 99;
    EXPECT_TRUE(w->StepChar());
    EXPECT_EQ(w->GetProcessPos(), 2);
    EXPECT_EQ(w->GetRemainingChars(), 0);
    w->SetProcessPos(-1);
    EXPECT_EQ(w->GetProcessPos(), 0);
    w->SetProcessPos(10);
    EXPECT_EQ(w->GetProcessPos(), 2);
}

}  // namespace
}  // namespace ui_test
