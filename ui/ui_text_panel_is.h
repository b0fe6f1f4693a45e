// GxTaskUITextPanelIs (UI type 17): the text panel over a pattern of an image-set cell; the text
// is drawn as the loose-image text panel draws it.
#pragma once

#include "ui/text_panel_style.h"
#include "ui/ui_panel.h"

constexpr std::int32_t kUITypeTextPanelIs = 17;

class GxTaskUITextPanelIs : public GxTaskUIPanelIs, public GxUITextPanelStyle {
public:
    GxTaskUITextPanelIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                        std::int32_t localIndex);
    ~GxTaskUITextPanelIs() override;

    // The pattern, then the text (unscaled, also without a cell).
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The image-set panel's state, then the six text values; the read forgets the cell and
    // resets the event state as the panel's does.
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
