// GxTaskUIListBoxFx (UI type 50): an image panel showing a scrolling list of text rows, one per
// item, with further columns made of each row's sub-items. The pointer hovers and selects rows,
// the wheel scrolls one row per event, a click reports event 15 with the selected row, a label
// widget shows the hovered row's help text and a scroll widget follows the first shown row.
// The rows are built by the program; only the fonts and colours are saved.
#pragma once

#include "ui/list_widget_support.h"
#include "ui/ui_panel.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr std::int32_t kUITypeListBox = 50;

struct GxListBoxItem {
    std::u16string m_IconText;
    std::u16string m_Text;
    std::u16string m_KeyText;
    std::int32_t m_Data = -1;
    std::u16string m_HelpText;
    std::int32_t m_IconFontIndex = 0;
    bool m_Selectable = true;
    bool m_Highlighted = false;
    GxVector2 m_Offset{0.0f, 0.0f};
    std::uint32_t m_Color = 0xFFFFFFFFu;
    // The cells of the further columns; their own sub-items are not drawn.
    std::vector<GxListBoxItem> m_SubItems;
};

// Appends a cell with that text to a row's further columns; returns it.
GxListBoxItem* AddSubItem(GxListBoxItem* row, const char16_t* text);

class GxTaskUIListBoxFx : public GxTaskUIPanelFx, public GxWidgetTextLook {
public:
    GxTaskUIListBoxFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIListBoxFx() override;

    // Images, event state, then the scroll widget.
    void OnSequenceEnter(std::int32_t worker) override;
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // The panel's texture; a zero client size follows the size less one margin, and visible rows
    // left at 0 are worked out from the client height.
    bool LoadImages() override;
    // The value is held within 0 to max(rows - visible rows, 0).
    void SetValueBool(bool value) override;
    void SetValueInt(std::int32_t value) override;
    void SetValue(double value) override;

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    // Refused, with a log line, outside the six system glyph caches.
    virtual void SetFontIndex(std::int32_t index);
    virtual void SetTextColor(std::uint32_t argb) { m_TextColor = argb; }
    virtual void SetEdgeColor(std::uint32_t argb) { m_EdgeColor = argb; }
    virtual GxListBoxItem* AppendItem(const GxListBoxItem& item);
    virtual GxListBoxItem* AddItem(const char16_t* text, const char16_t* iconText, std::uint32_t iconFontIndex,
                                   const char16_t* keyText, std::int32_t data, const char16_t* helpText);
    virtual void Clear();
    virtual void ResetSelection();
    virtual void AddColumn(std::int32_t width);
    virtual void ClearColumns();
    virtual std::int32_t GetItemCount() const { return static_cast<std::int32_t>(m_Items.size()); }
    virtual std::int32_t GetColumnCount() const { return static_cast<std::int32_t>(m_Columns.size()); }
    // Null, with a log line, for an index outside the rows (columns).
    virtual GxListBoxItem* GetItem(std::int32_t index);
    virtual std::int32_t* GetColumn(std::int32_t index);
    virtual void SetHelpLabel(GxTaskUIBase* widget) { m_HelpLabel = widget; }
    virtual void SetScrollBar(GxTaskUIBase* widget) { m_ScrollBar = widget; }
    virtual std::int32_t GetSelectedIndex() const { return m_SelectedIndex; }
    virtual std::u16string GetSelectedKey() const;
    virtual std::int32_t GetSelectedData() const;
    virtual std::int32_t GetHoverIndex() const { return m_HoverIndex; }
    virtual void SetVisibleRows(std::int32_t rows) { m_VisibleRows = rows; }
    virtual std::int32_t GetVisibleRows() const { return m_VisibleRows; }
    virtual void SyncScrollBar();

private:
    // Pixels of one row; 0 or less means no rows fit.
    std::int64_t RowHeight() const { return static_cast<std::int64_t>(m_TextFontSize) + 2; }
    std::int32_t MaxValue() const;
    void StoreClamped(double value);
    // The row index under the pointer, or -1.
    std::int32_t RowUnder(const GxVector2& point) const;
    void SetLabelText(const char16_t* text);
    // The icon text and the text of a row or cell from `x`, `y`.
    void DrawItemText(const GxListBoxItem& item, float x, float y, std::uint32_t color);

    std::int32_t m_VisibleRows = 0;
    std::vector<GxListBoxItem> m_Items;
    std::vector<std::int32_t> m_Columns;
    std::int32_t m_HoverIndex = -1;
    std::int32_t m_SelectedIndex = -1;
    std::uint32_t m_HoverHighlightColor = 0x4000FFFFu;
    std::uint32_t m_SelectHighlightColor = 0x9000FFFFu;
    std::uint32_t m_SelectedTextColor = 0xFFFFFFFFu;
    std::uint32_t m_DisabledTextColor = 0xFF806040u;
    GxTaskUIBase* m_HelpLabel = nullptr;
    GxTaskUIBase* m_ScrollBar = nullptr;
};
