// Small pieces the list-like widgets (text log, list box, menu, drop menu) share: the system
// fonts by checked index, the configuration values they take their defaults from, the checked row
// lookup, the draw frame, outlined row text, and the text look (font, colours, edge) with its
// saved fields. The input gate and saved-field readers are in ui/image_widget_support.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class GxContentReaderBase;
class GxContentWriterBase;
class GxFontData;
class GxGDIFontMap;
class GxTaskUIBase;
class GxWidgetGraphicsBase;

// The system glyph cache or bitmap font of an index; null for an index outside their range.
GxGDIFontMap* WidgetFontMap(std::int32_t index);
GxFontData* WidgetBitmapFont(std::int32_t index);
// A font index the system glyph caches have (0 to 5); logs `who` and the index otherwise.
bool IsWidgetFontIndex(std::int32_t index, const char16_t* who);
// The widget's engine core supplies these (the process's core for a widget outside a tree).
// The configured pixel size of a system glyph cache (0 for an index outside 0 to 5).
std::int32_t WidgetFontSize(const GxTaskUIBase* widget, std::int32_t index);
// "SYSTEM_EDGE_COLOR" of the game configuration (its built-in value without one).
std::uint32_t WidgetSystemEdgeColor(const GxTaskUIBase* widget);
// The UI image-set folder of the game configuration.
std::u16string WidgetImageSetFolder(const GxTaskUIBase* widget);
// An index inside a list of `size` elements; logs "`who` index out of range:N [task path]"
// otherwise.
bool IsWidgetListIndex(std::size_t size, std::int32_t index, const GxTaskUIBase* widget, const char16_t* who);

// The element at `index`, or null (with IsWidgetListIndex's log line) outside the list.
template <class T>
T* WidgetListElement(std::vector<T>& list, std::int32_t index, const GxTaskUIBase* widget, const char16_t* who)
{
    if (!IsWidgetListIndex(list.size(), index, widget, who))
        return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

// The element at `index`, or null outside the list (quietly: a selection may have gone stale).
template <class T>
const T* FindWidgetListElement(const std::vector<T>& list, std::int32_t index)
{
    if (index < 0 || index >= static_cast<std::int32_t>(list.size()))
        return nullptr;
    return &list[static_cast<std::size_t>(index)];
}

// Null when the screen does not report the widget active; otherwise the widget graphics with a
// nested scene begun, render states reset and point filtering on. The caller ends the scene.
GxWidgetGraphicsBase* BeginListWidgetDraw(GxTaskUIBase* widget);

// Four copies of the text one pixel off on the diagonals in `outline`, then the text in its two
// colours, with no scaling; nothing for a null font or an empty text.
void DrawOutlinedRowText(GxGDIFontMap* font, const std::u16string& text, float x, float y, std::uint32_t outline,
                         std::uint32_t first, std::uint32_t second, std::int32_t preset);

// The font, colours and edge a list box and a text log draw their text with.
struct GxWidgetTextLook {
    // The size of the current font and the system edge colour, from the widget's configuration.
    void InitTextLook(const GxTaskUIBase* widget);
    // Refused, with IsWidgetFontIndex's log line as `who`, outside the six system glyph caches.
    bool SetTextLookFont(const GxTaskUIBase* widget, std::int32_t index, const char16_t* who);
    bool WriteTextLook(GxContentWriterBase& writer) const;
    // A saved font index the caches lack keeps the current font.
    void ReadTextLook(GxContentReaderBase& reader, const char16_t* who);

    std::int32_t m_TextFontIndex = 1;
    std::int32_t m_TextFontSize = 0;
    std::uint32_t m_TextColor = 0xFFFFFFFFu;
    std::uint32_t m_EdgeColor = 0;
    bool m_UseEdge = true;
};
