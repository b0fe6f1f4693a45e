// GxTaskUIMenuIs (UI type 40): a vertical list of text rows framed by three image-set cells, a
// head row, one body row per item and a foot row, all one row high. Pointing at a row shows its
// description in another widget and puts a bar under it; clicking an enabled row chooses it and
// reports event 15 with the row as the parameter. Rows can carry further texts in columns.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>
#include <vector>

struct GxNcOriginImage;

constexpr std::int32_t kUITypeMenu = 40;
// The event a chosen row (menu, list box) reports.
constexpr std::int32_t kUIEventSelect = 15;

struct GxUIMenuItem {
    std::u16string m_Label;
    std::u16string m_ValueText;
    std::int32_t m_ID = -1;
    std::u16string m_Description;
    std::uint8_t m_Enabled = 1;
    std::uint8_t m_Highlighted = 0;
    GxVector2 m_Offset{0.0f, 0.0f};
    // Texts of the further columns; only their label and offset are used.
    std::vector<GxUIMenuItem> m_SubItems;
};

class GxTaskUIMenuIs : public GxTaskUIBase {
public:
    GxTaskUIMenuIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIMenuIs() override;

    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // Head, body rows and foot.
    std::int32_t GetHeight() const override;
    // The base record, then the image set (UI image-set folder + name + ".gis") and the cell name.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // The path's last folder names the set, its file name the cell.
    bool SetImageName(const char16_t* name) override;
    // The three frame cells from the pooled set; false, logged, when the set or a cell is missing.
    bool LoadImages() override;
    void ReleaseImages() override;
    // Strictly inside the body rows and the client width.
    bool HitTestClient(const float* origin, float x, float y) const override;

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    // Refused, with a log line, outside the six system glyph caches.
    virtual void SetFontIndex(std::int32_t index);
    virtual std::int32_t GetFontIndex() const { return m_FontIndex; }
    virtual GxUIMenuItem* AddItem(const GxUIMenuItem& item);
    virtual GxUIMenuItem* AddItem(const char16_t* label, const char16_t* valueText, std::int32_t id,
                                  const char16_t* description);
    // The hover and selected rows are left as they are.
    virtual void ClearItems();
    virtual void ClearSelection();
    virtual void AddColumn(std::int32_t width);
    virtual void SetDescriptionWidget(GxTaskUIBase* widget) { m_DescriptionWidget = widget; }
    virtual std::uint32_t GetItemCount() const { return static_cast<std::uint32_t>(m_Items.size()); }
    virtual std::uint32_t GetColumnCount() const { return static_cast<std::uint32_t>(m_Columns.size()); }
    // Null, with a log line, for an index outside the items (columns).
    virtual GxUIMenuItem* GetItem(std::int32_t index);
    virtual std::int32_t* GetColumn(std::int32_t index);
    virtual std::int32_t GetSelectedIndex() const { return m_SelectedRow; }
    // "" and -1 unless the selected row is one of the items.
    virtual std::u16string GetSelectedText() const;
    virtual std::int32_t GetSelectedID() const;
    virtual std::int32_t GetHoverIndex() const { return m_HoverRow; }

    const std::u16string& GetImageName() const { return m_ImageName; }
    const std::u16string& GetImageSetName() const { return m_ImageSetName; }
    std::int32_t GetUpdateCount() const { return m_UpdateCount; }

private:
    // The row under a point that passed the hit test.
    std::int32_t RowAt(const float* origin, float y) const;
    void SetDescriptionText(const char16_t* text);
    void DrawRowText(const std::u16string& text, float x, float y, std::uint32_t first, std::uint32_t second);

    std::int32_t m_FontIndex = 1;
    std::vector<GxUIMenuItem> m_Items;
    std::vector<std::int32_t> m_Columns;
    std::int32_t m_HoverRow = -1;
    std::int32_t m_SelectedRow = -1;
    std::uint32_t m_NormalColor = 0xFFFFFFFFu;
    std::uint32_t m_HoverColor = 0xFFFFFFFFu;
    std::uint32_t m_HoverColor2 = 0xFF202020u;
    std::uint32_t m_SelectedColor = 0xFF80A0FFu;
    std::uint32_t m_SelectedColor2 = 0xFF202020u;
    std::uint32_t m_DisabledColor = 0xFF80A0FFu;
    std::uint32_t m_HoverBarColor = 0x80FFFFFFu;
    GxTaskUIBase* m_DescriptionWidget = nullptr;
    std::u16string m_ImageName;
    std::u16string m_ImageSetName;
    GxNcOriginImage* m_HeadCell = nullptr;
    GxNcOriginImage* m_BodyCell = nullptr;
    GxNcOriginImage* m_FootCell = nullptr;
    std::int32_t m_PatternIndex = 0;
    std::int32_t m_UpdateCount = 0;
};
