// GxTaskUIDropMenuItemIs (UI type 47): one entry of a drop-down list. It is an image button in
// behaviour (state cells, events 1, 7 and 8, the pressed look, the saved fields, the button kind
// flag) with a caption drawn over its cell: an optional icon from the icon index and a text with
// a one-pixel edge, both centred on the item's vertical middle. While the system's shutdown
// dialog is open its clicks are ignored, so that no menu choice runs under that dialog.
#pragma once

#include "ui/ui_button.h"

#include <cstdint>
#include <string>

constexpr std::int32_t kUITypeDropMenuItem = 47;
// The caption's glyph cache until the module row names one.
constexpr std::int32_t kDropMenuItemDefaultFont = 5;

// What an item draws over its cell. The screen that fills the list sets the text, icon, colour
// and offset; only the font index comes from the module row.
struct GxUICaptionParam {
    std::u16string m_Text;       // drawn when not empty
    std::u16string m_IconName;   // a name of the icon index; drawn when found
    std::int32_t m_FontIndex = kDropMenuItemDefaultFont;
    std::uint32_t m_Color = 0xFFFFFFFFu;
    GxVector2 m_Offset;          // from the item's left edge and vertical middle
};

class GxTaskUIDropMenuItemIs : public GxTaskUIButtonIs {
public:
    GxTaskUIDropMenuItemIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                           std::int32_t localIndex);
    ~GxTaskUIDropMenuItemIs() override;

    // The state cell as the image button draws it, then the icon and the text.
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The button's, then the row's FontIndex for the caption.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // As the button's, with this class's messages.
    bool LoadImages() override;

    // The button's press, except that nothing happens while "dlg_shutdown" is active. The event
    // carries no key flags.
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    // 0 to 5; any other index is refused with a log line and the caption keeps its font.
    bool SetCaptionFontIndex(std::int32_t index);

    GxUICaptionParam m_Caption;

private:
    void DrawCaption();
};
