// The text step engine shared by the message window and the text window: one StepChar walks the
// window's text from its process position, reads the text tags ("%r" line return, "%p" new page,
// "%c" click wait, "%w" and "%w(n)" waits, "%a(n)" and "%a" colours), the ruby runs
// (≪base／reading≫), places the next character at the pen, moves the pen and breaks lines so that
// no line starts with a closing mark and none ends with an opening bracket.
//
// The message window reveals paced by time and stops at click waits; the text window lays a
// whole text out at once, with no letter margin, no waits and no click waits. The windows differ
// only through the hooks below and GxTextStepStyle.
#pragma once

#include "foundation/value_types.h"

#include <cstdint>
#include <string>
#include <vector>

// One laid-out character.
struct GxShowChar {
    std::uint16_t m_Char = 0;
    GxVector3 m_OffsetPos;              // the pen when it was placed, z 0
    std::uint32_t m_Color = 0xFFFFFFFFu;
    bool m_ChangeColorFlag = false;     // a colour tag gave the colour
};

// One ruby reading over a run of base characters.
struct GxRubyInfo {
    std::u16string m_Text;
    std::int32_t m_RubyCharWidth = 0;       // the reading's width
    std::int32_t m_RubyUnderCharWidth = 0;  // the base characters' width
    GxVector3 m_OffsetPos;                  // the anchor
};

constexpr char16_t kRubyOpenChar = u'\u226A';       // ≪
constexpr char16_t kRubyCloseChar = u'\u226B';      // ≫
constexpr char16_t kRubySeparatorChar = u'\uFF0F';  // ／

// Line-start forbidden (closing marks) and line-end forbidden (opening brackets).
bool IsLineStartForbidden(char16_t c);
bool IsLineEndForbidden(char16_t c);

// A number in a tag, from `text`, never past `end`: an optional sign, then "0x"/"0X" with hex
// digits or decimal digits. Returns the units scanned (0 when there is no digit); `value`
// receives the unsigned 32-bit value of a base-0 conversion (a leading 0 reads as octal, so
// "09" scans 2 units but is 0).
std::int32_t ScanTagNumber(const char16_t* text, const char16_t* end, std::uint32_t* value);

// A wait added to a signed 32-bit wait, held within the 32-bit range.
std::int32_t AddWaitClamped(std::int32_t wait, std::int64_t add);

enum class GxTextStepStyle : std::int32_t {
    kMessageWindow = 0,   // waits, click waits, colour tags mark their records
    kTextWindow = 1,      // none of these
};

class GxTextStepper {
public:
    explicit GxTextStepper(GxTextStepStyle style) : m_StepStyle(style) {}
    virtual ~GxTextStepper() = default;

    // One step; true when it stopped at a click wait or reached the end of the text.
    virtual bool StepChar();
    // y += the line pitch, x back to 0.
    virtual void LineReturn();
    // The pen home; the characters and rubies of the page emptied.
    virtual void NewPage();

    // The text the steps walk.
    virtual const std::u16string& GetStepText() const = 0;
    // Milliseconds per revealed character and of a "%w" without a number.
    virtual std::int32_t GetTextWaitTime() const { return 0; }
    virtual std::int32_t GetTextLongWaitTime() const { return 0; }
    // The colour "%a" restores.
    virtual std::uint32_t GetDefaultTextColor() const = 0;

    std::vector<GxShowChar> m_ShowChars;
    std::vector<GxRubyInfo> m_Rubies;
    std::int32_t m_TextRegionLeft = 0;
    std::int32_t m_TextRegionTop = 0;
    std::int32_t m_TextRegionWidth = 800;
    std::int32_t m_TextRegionHeight = 600;
    std::int32_t m_TextFontIndex = 2;
    std::int32_t m_RubyFontIndex = 0;
    std::int32_t m_TextFontSize = 0;
    std::int32_t m_RubyFontSize = 0;
    std::int32_t m_LetterMarginWidth = 0;
    std::int32_t m_RubyMarginHeight = 0;
    std::int32_t m_TextTotalHeight = 0;   // the line pitch
    std::int32_t m_ProcessPos = 0;
    bool m_RubyMode = false;
    std::int32_t m_CursorX = 0;
    std::int32_t m_CursorY = 0;
    std::uint32_t m_TextColor = 0xFFFFFFFFu;
    std::uint32_t m_ShadowColor = 0;
    bool m_ChangeColor = false;
    bool m_VisibleText = true;
    bool m_UseShadow = true;
    bool m_EnableAutoClickWait = false;
    bool m_ClickWaiting = false;
    bool m_IgnoreKinsoku = false;
    bool m_DisenableAutoNewline = false;
    std::int32_t m_WaitTimeLeft = 0;

protected:
    // Units left after the process position, 0 at or past the end.
    std::int32_t RemainingUnits() const;

private:
    // Reveals the unit at p (the step's own result follows).
    bool RevealChar(const std::u16string& text, std::int32_t& p);
    bool EndOfText();
    // After the open character: the ruby record, or false when no separator follows.
    bool StartRuby(const std::u16string& text, std::int32_t p);

    GxTextStepStyle m_StepStyle;
};
