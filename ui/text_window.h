// GxTaskUITextWindowFx (UI type 10): a whole text laid out at once with the message window's tags,
// ruby and line-breaking rules, but no reveal pacing, waits or click waits, drawn over its panel
// frame with a shadow. The back-log screen fills its rows with these. Its text is not saved: the
// owner fills it again.
#pragma once

#include "ui/text_step.h"
#include "ui/ui_panel.h"

#include <cstdint>
#include <string>

constexpr std::int32_t kUITypeTextWindow = 10;

class GxTaskUITextWindowFx : public GxTaskUIPanelFx, public GxTextStepper {
public:
    GxTaskUITextWindowFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex);
    ~GxTaskUITextWindowFx() override;

    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // The panel's, then the row's text font and text region. A layout row's text arrives before
    // (through SetText) and is laid out with the fonts and region of that moment.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // SetText (text, false, false).
    void SetText(const char16_t* text) override;
    const std::u16string& GetText() const override { return m_WindowText; }

    // Font indexes outside 0 to 5 are refused with a log line; the window keeps its font.
    virtual bool SetTextFont(std::int32_t index);
    virtual bool SetRubyFont(std::int32_t index);
    virtual void ShowText();
    virtual void HideText();
    virtual void ShowRubyLine();
    virtual void HideRubyLine();
    // Clears, then lays the whole text out in "SYSTEM_TEXT_COLOR0".
    virtual void SetText(const char16_t* text, bool ignoreKinsoku, bool disableAutoNewline);
    virtual void ClearText();
    virtual std::int32_t GetTextLength() const { return static_cast<std::int32_t>(m_WindowText.size()); }
    virtual std::uint32_t GetShowCharCount() const { return static_cast<std::uint32_t>(m_ShowChars.size()); }
    virtual void SetTextRegion(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    virtual std::int32_t GetRemainingChars() const { return RemainingUnits(); }
    // One step at least, then steps until nothing remains; false.
    virtual bool ShowAll();

    bool StepChar() override;
    // y += the line pitch, plus the ruby size while the ruby line is on.
    void LineReturn() override;
    void NewPage() override;
    const std::u16string& GetStepText() const override { return m_WindowText; }
    std::uint32_t GetDefaultTextColor() const override;

    bool IsRubyLineShown() const { return m_RubyLine; }

private:
    std::u16string m_WindowText;
    bool m_RubyLine = true;
};
