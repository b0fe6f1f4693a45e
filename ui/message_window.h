// GxTaskUIMessageWindowFx (UI type 9): the window that shows the script's message text. Its panel
// image is the frame; on top, the text is revealed one character or tag at a time at the player's
// text speed (GxTextStepper), with ruby, line-breaking rules, a shadow and an edge behind every
// character, click waits and an automatic click wait at the end of the text. A text read in an
// earlier play may show at once and draws in the read-text colour.
#pragma once

#include "ui/text_window_base.h"

#include <cstdint>

constexpr std::int32_t kUITypeMessageWindow = 9;

class GxTaskUIMessageWindowFx : public GxTaskUITextWindowBase {
public:
    GxTaskUIMessageWindowFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                            std::int32_t localIndex);
    ~GxTaskUIMessageWindowFx() override;

    // The panel update, then the reveal: the wait counts down by the frame's milliseconds and
    // steps run while it is not positive; a step that ends the text or stops at a click wait ends
    // the frame's logic passes.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    bool WriteState(GxContentWriterBase& writer) override;
    // A restored text counts as read.
    bool ReadState(GxContentReaderBase& reader) override;
    // SetText (text, true, false, false, false).
    void SetText(const char16_t* text) override;

    virtual void SetText(const char16_t* text, bool enableAutoClickWait, bool readed, bool ignoreKinsoku,
                         bool disableAutoNewline);
    // Empties the text and the page; the wait, the read flag, the colour and the line-breaking
    // flags stay.
    virtual void ClearText();
    virtual std::int32_t GetTextLength() const { return static_cast<std::int32_t>(m_Text.size()); }
    virtual bool IsReadedText() const { return m_ReadedFlag; }
    // Held within 0 to the text length.
    virtual void SetProcessPos(std::int32_t position);
    virtual std::int32_t GetProcessPos() const { return m_ProcessPos; }
    virtual bool IsClickWaiting() const { return m_ClickWaiting; }
    virtual bool IsWaitPending() const { return m_WaitTimeLeft > 0; }
    // A click: true when it finished the page.
    virtual bool Advance();
    // Reveals up to the next click wait (or through them); true when it stopped at a click wait.
    virtual bool ShowAll(bool onlyIfRead, bool throughClickWaits);
    virtual void SetLetterMarginWidth(std::int32_t pixels) { m_LetterMarginWidth = pixels; }
    virtual std::int32_t GetLetterMarginWidth() const { return m_LetterMarginWidth; }

    const std::u16string& GetStepText() const override { return m_Text; }
    std::int32_t GetTextWaitTime() const override;
    std::int32_t GetTextLongWaitTime() const override;
    std::uint32_t GetDefaultTextColor() const override;

    std::uint32_t m_EdgeColor = 0;   // 0: no edge; not saved
    bool m_ReadedFlag = false;

protected:
    // The rubies, then the characters.
    void DrawWindowText(float alpha, const GxVector3& origin, const GxVector2& scale) override;

private:
    void DrawCharacters(float alpha, const GxVector3& origin, const GxVector2& scale);
};
