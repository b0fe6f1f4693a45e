// GxTaskUINoticePanelFx (UI type 13): the resident system screen's short notice. A text panel
// that draws an optional icon and its text centred in the client rectangle, wrapped by its own
// rule, and that slides in at the top right of the screen, holds and slides out again.
#pragma once

#include "ui/ui_text_panel_fx.h"

#include <vector>

constexpr std::int32_t kUITypeNoticePanelFx = 13;

// Where the icon goes: centred behind the text, at the left of it, or above it.
constexpr std::int32_t kNoticeIconCenter = 0;
constexpr std::int32_t kNoticeIconLeft = 1;
constexpr std::int32_t kNoticeIconTop = 2;

// The text block of a notice: its size and where each drawn character's pen stands (relative
// to the block's top left), from the measuring and placing walks.
struct GxNoticeTextLayout {
    std::int32_t m_BlockWidth = 0;
    std::int32_t m_BlockHeight = 0;
    struct Glyph {
        char16_t m_Char = 0;
        std::int32_t m_X = 0;
        std::int32_t m_Y = 0;
    };
    std::vector<Glyph> m_Glyphs;
};

class GxTaskUINoticePanelFx : public GxTaskUITextPanelFx {
public:
    GxTaskUINoticePanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                          std::int32_t localIndex);
    ~GxTaskUINoticePanelFx() override;

    // The panel image, the icon, then the text centred in what the icon leaves of the area.
    int Draw(std::int32_t step, std::int32_t pass) override;

    // Replaces the panel's actions: from just above the screen to (1024 - (w + 8), 8) over 250 ms
    // while fading in, a hold, then out to (1024, 8) over 250 ms while fading out, and a hide.
    static void QueueShowActions(std::int32_t hold, GxTaskUINoticePanelFx* panel);

    // The text of `text` for a font size and an area width: a break character starts a line, a
    // character whose next pen position reaches width - size wraps.
    static GxNoticeTextLayout LayoutText(const std::u16string& text, std::int32_t size, std::int32_t width,
                                         char16_t lineBreak);

    const GxNcOriginImage* m_Icon = nullptr;   // not owned
    std::int32_t m_IconPlacement = kNoticeIconCenter;
    std::int32_t m_NoticeID = 0;   // the posting side's identifier; kept for it, not drawn
};
