// GxTaskUITextWindowBase: what the message window and the text window share over their panel
// frame: the text step engine, the text and ruby fonts checked against the six glyph caches, the
// text region and visibility, the module row's font and region, the draw frame around the text
// and the ruby line. The windows keep their own pacing, colours and body drawing.
#pragma once

#include "ui/text_step.h"
#include "ui/ui_panel.h"

#include <cstdint>

class GxGDIFontMap;

// The text font slots of the engine's glyph caches.
constexpr std::int32_t kUITextFontCount = 6;

class GxTaskUITextWindowBase : public GxTaskUIPanelFx, public GxTextStepper {
public:
    ~GxTaskUITextWindowBase() override;

    // The panel, then, while the text is visible and the sequence draws the window, the text in a
    // nested scene.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // The panel's, then the row's text font and text region.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;

    // Font indexes outside 0 to 5 are refused with a log line; the window keeps its font.
    virtual bool SetTextFont(std::int32_t index);
    virtual bool SetRubyFont(std::int32_t index);
    virtual void ShowText();
    virtual void HideText();
    virtual void SetTextRegion(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    virtual std::uint32_t GetShowCharCount() const { return static_cast<std::uint32_t>(m_ShowChars.size()); }
    virtual std::int32_t GetRemainingChars() const { return RemainingUnits(); }

    bool StepChar() override;
    void NewPage() override;

protected:
    // `className` starts the window's log lines.
    GxTaskUITextWindowBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                           std::int32_t localIndex, GxTextStepStyle style, const char16_t* className);

    // The text over the frame: alpha is the actor's (0 to 1), origin and scale place the glyphs.
    virtual void DrawWindowText(float alpha, const GxVector3& origin, const GxVector2& scale) = 0;
    // The rubies in the text colour with a one-pixel shadow; a reading that reaches the region's
    // right edge goes on at the left, `wrapPitch` lower.
    void DrawRubies(float alpha, const GxVector3& origin, const GxVector2& scale, std::int32_t wrapPitch);

    // The colour with its alpha times `factor`, held to 0-255.
    static std::uint32_t ScaleAlpha(std::uint32_t argb, float factor);
    // The engine's glyph cache of a font slot; null for a slot outside the six (a damaged save).
    static GxGDIFontMap* FontMapOf(std::int32_t index);

private:
    const char16_t* m_ClassName;
};
