// GxTaskUITextWindowFx (UI type 10): a whole text laid out at once with the message window's tags,
// ruby and line-breaking rules, but no reveal pacing, waits or click waits, drawn over its panel
// frame with a shadow. The back-log screen fills its rows with these. Its text is not saved: the
// owner fills it again.
#pragma once

#include "ui/text_window_base.h"

#include <cstdint>
#include <string>

constexpr std::int32_t kUITypeTextWindow = 10;

class GxTaskUITextWindowFx : public GxTaskUITextWindowBase {
public:
    GxTaskUITextWindowFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex);
    ~GxTaskUITextWindowFx() override;

    // A layout row's text arrives (through SetText) before the module row's fonts and region, and
    // is laid out with the fonts and region of that moment.
    // SetText (text, false, false).
    void SetText(const char16_t* text) override;
    const std::u16string& GetText() const override { return m_WindowText; }

    virtual void ShowRubyLine();
    virtual void HideRubyLine();
    // Clears, then lays the whole text out in "SYSTEM_TEXT_COLOR0".
    virtual void SetText(const char16_t* text, bool ignoreKinsoku, bool disableAutoNewline);
    virtual void ClearText();
    virtual std::int32_t GetTextLength() const { return static_cast<std::int32_t>(m_WindowText.size()); }
    // One step at least, then steps until nothing remains; false.
    virtual bool ShowAll();

    // y += the line pitch, plus the ruby size while the ruby line is on.
    void LineReturn() override;
    const std::u16string& GetStepText() const override { return m_WindowText; }
    std::uint32_t GetDefaultTextColor() const override;

    bool IsRubyLineShown() const { return m_RubyLine; }

protected:
    // The ruby line while it is on, then the characters in their laid-out colours.
    void DrawWindowText(float alpha, const GxVector3& origin, const GxVector2& scale) override;

private:
    std::u16string m_WindowText;
    bool m_RubyLine = true;
};
