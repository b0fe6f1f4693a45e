// GxTaskUITextButtonIs (UI type 21): an image button that writes its m_Text over its cell with
// one of the six system glyph caches, each glyph with an optional one-pixel edge. A single line
// is centred in the client rectangle (m_AutoAlign not 0), a text with line breaks starts every
// line at the client left edge, and lines wrap at the client width. The play screen's choice
// buttons are text buttons.
#pragma once

#include "ui/text_panel_style.h"
#include "ui/ui_button.h"

constexpr std::int32_t kUITypeTextButton = 21;

class GxTaskUITextButtonIs : public GxTaskUIButtonIs, public GxUITextPanelStyle {
public:
    GxTaskUITextButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex);
    ~GxTaskUITextButtonIs() override;

    // The cell at the actor's alpha (m_ImageAlpha plays no part), then the text.
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The button's state, then "m_TextFontIndex", "m_TextFontSize", "m_TextColor", "m_EdgeColor",
    // "m_UseEdge", "m_AutoAlign". A read index and size are kept as read; an index outside the
    // glyph caches then draws no text.
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    // The button's, then the row's FontIndex.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;

    // 0 to 5 with that font's configured size; any other index is refused with a log line.
    virtual void SetFontIndex(std::int32_t index);
    virtual void SetTextColor(std::uint32_t argb) { m_TextColor = argb; }
    virtual void SetEdgeColor(std::uint32_t argb) { m_EdgeColor = argb; }
    virtual void SetAutoAlign(std::int32_t align) { m_AutoAlign = align; }
    virtual std::int32_t GetAutoAlign() const { return m_AutoAlign; }

private:
    void DrawText(float alpha);
};
