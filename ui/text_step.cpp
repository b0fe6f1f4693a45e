#include "ui/text_step.h"

#include "foundation/log.h"
#include "graphics/text_layout.h"
#include "platform/crt/numeric.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace {

constexpr std::u16string_view kLineStartForbidden =
    u"!),.:;?]}°’”‰′″℃、。々〉》」』】〕゛゜ゝゞ・ヽヾ！），．：；？］｝｡｣､･ﾞﾟ";
constexpr std::u16string_view kLineEndForbidden = u"‘“〈《「『【〔（［｛｢";

bool IsHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsDecimalDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

std::int64_t Width(char16_t c, std::int32_t size)
{
    return CharWidthClass(c) * static_cast<std::int64_t>(size) / 2;
}

// Sums made in 64 bits, held within 32: a long text or a long wait never wraps them.
std::int32_t Saturate(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

bool IsLineStartForbidden(char16_t c)
{
    return c != 0 && kLineStartForbidden.find(c) != std::u16string_view::npos;
}

bool IsLineEndForbidden(char16_t c)
{
    return c != 0 && kLineEndForbidden.find(c) != std::u16string_view::npos;
}

std::int32_t ScanTagNumber(const char16_t* text, const char16_t* end, std::uint32_t* value)
{
    if (value)
        *value = 0;
    if (!text || text >= end)
        return 0;
    const char16_t* p = text;
    if (*p == u'+' || *p == u'-')
        ++p;
    const char16_t* digits = p;
    if (end - p >= 3 && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && IsHexDigit(p[2])) {
        digits = p += 2;
        while (p < end && IsHexDigit(*p))
            ++p;
    } else {
        while (p < end && IsDecimalDigit(*p))
            ++p;
    }
    if (p == digits)
        return 0;
    // The 32-bit unsigned conversion of the scanned units alone, as the C runtime of a 32-bit
    // `unsigned long` reads them: base from the prefix, overflow to 0xFFFFFFFF, "-n" modulo 2^32.
    const std::u16string number(text, p);
    if (value)
        *value = msvc::wcstoul(reinterpret_cast<const WCHAR*>(number.c_str()), nullptr, 0);
    return static_cast<std::int32_t>(p - text);
}

std::int32_t AddWaitClamped(std::int32_t wait, std::int64_t add)
{
    return Saturate(static_cast<std::int64_t>(wait) + add);
}

std::int32_t GxTextStepper::RemainingUnits() const
{
    const std::int64_t length = static_cast<std::int64_t>(GetStepText().size());
    return m_ProcessPos >= length ? 0 : static_cast<std::int32_t>(length - m_ProcessPos);
}

void GxTextStepper::LineReturn()
{
    m_CursorY = Saturate(static_cast<std::int64_t>(m_CursorY) + m_TextTotalHeight);
    m_CursorX = 0;
}

void GxTextStepper::NewPage()
{
    m_CursorX = 0;
    m_CursorY = 0;
    m_ShowChars.clear();
    m_Rubies.clear();
}

bool GxTextStepper::EndOfText()
{
    m_RubyMode = false;
    if (m_EnableAutoClickWait)
        m_ClickWaiting = true;
    return true;
}

bool GxTextStepper::StartRuby(const std::u16string& text, std::int32_t p)
{
    const std::int32_t n = static_cast<std::int32_t>(text.size());
    const auto ch = [&](std::int32_t i) -> char16_t { return i < n ? text[static_cast<std::size_t>(i)] : u'\0'; };
    std::int32_t q = p;
    std::int64_t underWidth = 0;
    std::int64_t rubyWidth = 0;
    while (ch(q) != 0 && ch(q) != kRubySeparatorChar) {
        underWidth += Width(ch(q), m_TextFontSize);
        ++q;
    }
    if (ch(q) != kRubySeparatorChar)
        return false;
    ++q;
    GxRubyInfo ruby;
    while (ch(q) != 0 && ch(q) != kRubyCloseChar) {
        rubyWidth += Width(ch(q), m_RubyFontSize);
        ruby.m_Text.push_back(ch(q));
        ++q;
    }
    ruby.m_RubyCharWidth = Saturate(rubyWidth);
    ruby.m_RubyUnderCharWidth = Saturate(underWidth);
    const std::int64_t anchor = static_cast<std::int64_t>(m_CursorX) - m_TextFontSize / 2;
    ruby.m_OffsetPos = GxVector3(static_cast<float>(std::max<std::int64_t>(0, anchor)), static_cast<float>(m_CursorY),
                                 0.0f);
    m_Rubies.push_back(std::move(ruby));
    m_RubyMode = true;
    return true;
}

bool GxTextStepper::RevealChar(const std::u16string& text, std::int32_t& p)
{
    const std::int32_t n = static_cast<std::int32_t>(text.size());
    const auto ch = [&](std::int32_t i) -> char16_t { return i < n ? text[static_cast<std::size_t>(i)] : u'\0'; };
    if (p >= n || ch(p) == 0) {
        m_ProcessPos = p;
        return EndOfText();
    }
    const char16_t c = ch(p);
    GxShowChar shown;
    shown.m_Char = c;
    shown.m_OffsetPos = GxVector3(static_cast<float>(m_CursorX), static_cast<float>(m_CursorY), 0.0f);
    shown.m_Color = m_TextColor;
    shown.m_ChangeColorFlag = m_StepStyle == GxTextStepStyle::kMessageWindow && m_ChangeColor;
    m_ShowChars.push_back(shown);
    if (m_StepStyle == GxTextStepStyle::kMessageWindow)
        m_WaitTimeLeft = AddWaitClamped(m_WaitTimeLeft, GetTextWaitTime());
    ++p;
    m_ProcessPos = p;
    const std::int32_t margin = m_StepStyle == GxTextStepStyle::kMessageWindow ? m_LetterMarginWidth : 0;
    m_CursorX = Saturate(m_CursorX + Width(c, m_TextFontSize) + margin);

    const char16_t next = ch(p);
    const std::int64_t x = m_CursorX;
    const std::int64_t full = static_cast<std::int64_t>(m_TextFontSize) + margin;
    if (x + 2 * full >= m_TextRegionWidth && IsLineEndForbidden(next) && !m_IgnoreKinsoku && !m_DisenableAutoNewline)
        LineReturn();   // the opening bracket starts the next line
    if (static_cast<std::int64_t>(m_CursorX) + full >= m_TextRegionWidth) {
        const bool hang = IsLineStartForbidden(next) && !m_IgnoreKinsoku && m_CursorX < m_TextRegionWidth;
        if (!hang && !m_DisenableAutoNewline)
            LineReturn();
    }
    if (p < n && ch(p) != 0)
        return false;
    return EndOfText();
}

bool GxTextStepper::StepChar()
{
    const std::u16string& text = GetStepText();
    const std::int32_t n = static_cast<std::int32_t>(text.size());
    const auto ch = [&](std::int32_t i) -> char16_t { return i < n ? text[static_cast<std::size_t>(i)] : u'\0'; };
    const bool message = m_StepStyle == GxTextStepStyle::kMessageWindow;
    // A saved game may bring any position: outside the text counts as its start or its end.
    std::int32_t p = std::clamp(m_ProcessPos, 0, n);
    m_ProcessPos = p;
    if (p >= n) {
        m_RubyMode = false;
        return true;
    }
    for (;;) {
        if (m_RubyMode) {
            if (ch(p) != kRubySeparatorChar)
                return RevealChar(text, p);   // inside a base, tags show as they stand
            while (ch(p) != 0 && ch(p) != kRubyCloseChar)
                ++p;
            if (ch(p) == kRubyCloseChar)
                ++p;
            m_RubyMode = false;
            m_ProcessPos = p;
        }
        if (ch(p) == kRubyOpenChar) {
            ++p;
            m_ProcessPos = p;
            if (!StartRuby(text, p))
                return false;   // no separator: the open character is dropped
            return RevealChar(text, p);
        }
        if (ch(p) != u'%')
            return RevealChar(text, p);
        ++p;
        m_ProcessPos = p;
        switch (ch(p)) {
        case u'r':
            LineReturn();
            m_ProcessPos = p + 1;
            return false;
        case u'p':
            NewPage();
            m_ProcessPos = p + 1;
            return false;
        case u'c':
            m_ProcessPos = p + 1;
            if (message)
                m_ClickWaiting = true;
            return true;
        case u'w': {
            ++p;
            if (ch(p) == u'(') {
                ++p;
                std::uint32_t value = 0;
                const std::int32_t length = ScanTagNumber(text.data() + p, text.data() + n, &value);
                if (length > 0) {
                    const std::int32_t start = p - 3;   // the "%w(" of the tag
                    // A negative wait or one of 2^31 ms and more would freeze the reveal, and
                    // the wait outlives the line: it is dropped.
                    const bool usable = ch(p) != u'-' &&
                                        value <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
                    p += length;
                    if (ch(p) == u')')
                        ++p;
                    if (message && usable) {
                        m_WaitTimeLeft = AddWaitClamped(m_WaitTimeLeft, value);
                    } else if (message) {
                        const std::u16string tag = text.substr(static_cast<std::size_t>(start),
                                                               static_cast<std::size_t>(p - start));
                        LogPrintWarning(u"GxTaskUIMessageWindowFx/wait out of range, ignored:%s\n", tag.c_str());
                    }
                }
            } else if (message) {
                m_WaitTimeLeft = AddWaitClamped(m_WaitTimeLeft, GetTextLongWaitTime());
            }
            m_ProcessPos = p;
            return false;
        }
        case u'a': {
            ++p;
            if (ch(p) == u'(') {
                ++p;
                std::uint32_t value = 0;
                const std::int32_t length = ScanTagNumber(text.data() + p, text.data() + n, &value);
                if (length > 0) {
                    m_TextColor = value | 0xFF000000u;
                    if (message)
                        m_ChangeColor = true;
                    p += length;
                    if (ch(p) == u')')
                        ++p;
                }
            } else {
                m_ChangeColor = false;
                m_TextColor = GetDefaultTextColor();
            }
            m_ProcessPos = p;
            if (p >= n)
                return EndOfText();
            continue;   // a colour takes no step of its own
        }
        default:
            return RevealChar(text, p);   // no tag: the unit (or the end) shows as it is
        }
    }
}
