// GxTaskUITextPanelFx (UI type 11): an image panel over a loose image that draws its m_Text in
// the client rectangle, aligned, with an edge, broken into lines at the configured line-break
// character. The play screen's name window is one; the notice panel builds on it.
#pragma once

#include "ui/text_panel_style.h"
#include "ui/ui_panel.h"

constexpr std::int32_t kUITypeTextPanelFx = 11;

class GxTaskUITextPanelFx : public GxTaskUIPanelFx, public GxUITextPanelStyle {
public:
    GxTaskUITextPanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                        std::int32_t localIndex);
    ~GxTaskUITextPanelFx() override;

    // The panel's image, then the text (unscaled, also without an image).
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The widget base's state, then the six text values.
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    // The panel's, then the row's FontIndex.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;

    virtual void SetFontIndex(std::int32_t index) { SetStyleFontIndex(this, index); }
    virtual void SetTextColor(std::uint32_t argb) { m_TextColor = argb; }
    virtual void SetEdgeColor(std::uint32_t argb) { m_EdgeColor = argb; }
    virtual void SetAutoAlign(std::int32_t align) { m_AutoAlign = align; }
    virtual std::int32_t GetAutoAlign() const { return m_AutoAlign; }
};
