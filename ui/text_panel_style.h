// GxUITextPanelStyle: the font, colours, edge flag and alignment that both text panels add to
// their image panel, with the shared text drawing and saved-state values. The notice panel and
// the play screen's name window go through the same fields.
#pragma once

#include <cstdint>

class GxContentReaderBase;
class GxContentWriterBase;
class GxTaskUIBase;

class GxUITextPanelStyle {
public:
    // The size of font 2 and the system edge colour of the widget's configuration.
    explicit GxUITextPanelStyle(const GxTaskUIBase* widget);

    // 0 to 5 with that font's configured size; any other index is refused with a log line.
    void SetStyleFontIndex(const GxTaskUIBase* widget, std::int32_t index);
    // The widget's text in its client rectangle by the alignment's drawer, edge first. A font
    // index outside the glyph caches (a damaged save) draws nothing.
    void DrawPanelText(GxTaskUIBase* widget) const;
    // "m_TextFontIndex", "m_TextFontSize", "m_TextColor", "m_EdgeColor", "m_UseEdge",
    // "m_AutoAlign"; each value replaces the field only when it was read.
    bool WriteStyle(GxContentWriterBase& writer) const;
    void ReadStyle(GxContentReaderBase& reader);

    std::int32_t m_TextFontIndex = 2;
    std::int32_t m_TextFontSize = 0;
    std::uint32_t m_TextColor = 0xFFFFFFFFu;
    std::uint32_t m_EdgeColor = 0;
    bool m_UseEdge = true;         // kept and saved; the text panels' own drawing always edges
    std::int32_t m_AutoAlign = 1;  // 1 centred, 2 right, anything else left
};

// The colour with its alpha times alpha255 / 255 (clamped to 0-255), packed again.
std::uint32_t FadeUIColor(std::uint32_t argb, std::int32_t alpha255);
