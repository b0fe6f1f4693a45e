#include "ui/ui_list_box.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "graphics/font_data.h"
#include "ui/image_widget_support.h"
#include "ui/list_widget_support.h"
#include "ui/ui_menu.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cmath>

namespace {

// Per channel, as fractions of 255.
std::uint32_t MultiplyColors(std::uint32_t a, std::uint32_t b)
{
    auto channel = [](std::uint32_t argb, int shift) { return static_cast<float>((argb >> shift) & 0xFF) / 255.0f; };
    return ColorToArgb(channel(a, 16) * channel(b, 16), channel(a, 8) * channel(b, 8), channel(a, 0) * channel(b, 0),
                       channel(a, 24) * channel(b, 24));
}

}  // namespace

GxListBoxItem* AddSubItem(GxListBoxItem* row, const char16_t* text)
{
    if (!row)
        return nullptr;
    GxListBoxItem cell;
    cell.m_Text = text ? text : u"";
    row->m_SubItems.push_back(cell);
    return &row->m_SubItems.back();
}

GxTaskUIListBoxFx::GxTaskUIListBoxFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                     std::int32_t localIndex)
    : GxTaskUIPanelFx(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeListBox;
    InitTextLook(this);
}

GxTaskUIListBoxFx::~GxTaskUIListBoxFx() = default;

void GxTaskUIListBoxFx::OnSequenceEnter(std::int32_t)
{
    LoadImages();
    ResetEventState();
    SyncScrollBar();
}

void GxTaskUIListBoxFx::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIPanelFx::ApplyModuleRecord(row);
    if (row)
        SetFontIndex(row->m_FontIndex);
}

bool GxTaskUIListBoxFx::LoadImages()
{
    // The panel's rule would take two margins off a zero client size; this widget takes one.
    const bool autoWidth = m_ClientWidth == 0;
    const bool autoHeight = m_ClientHeight == 0;
    const bool loaded = GxTaskUIPanelFx::LoadImages();
    if (autoWidth)
        m_ClientWidth = m_Width - m_ClientLeft;
    if (autoHeight)
        m_ClientHeight = m_Height - m_ClientTop;
    if (m_VisibleRows == 0 && RowHeight() > 0)
        m_VisibleRows = m_ClientHeight / RowHeight();
    return loaded;
}

std::int32_t GxTaskUIListBoxFx::MaxValue() const
{
    return std::max(static_cast<std::int32_t>(m_Items.size()) - m_VisibleRows, 0);
}

void GxTaskUIListBoxFx::StoreClamped(double value)
{
    if (std::isnan(value))
        value = 0.0;
    SetValueDirect(std::clamp(value, 0.0, static_cast<double>(MaxValue())));
}

void GxTaskUIListBoxFx::SetValueBool(bool value)
{
    StoreClamped(value ? 1.0 : 0.0);
}

void GxTaskUIListBoxFx::SetValueInt(std::int32_t value)
{
    StoreClamped(static_cast<double>(value));
}

void GxTaskUIListBoxFx::SetValue(double value)
{
    StoreClamped(value);
}

void GxTaskUIListBoxFx::SetFontIndex(std::int32_t index)
{
    SetTextLookFont(this, index, u"GxTaskUIListBoxFx");
}

GxListBoxItem* GxTaskUIListBoxFx::AppendItem(const GxListBoxItem& item)
{
    m_Items.push_back(item);
    GxSceneGeneration::Touch();
    return &m_Items.back();
}

GxListBoxItem* GxTaskUIListBoxFx::AddItem(const char16_t* text, const char16_t* iconText,
                                          std::uint32_t iconFontIndex, const char16_t* keyText, std::int32_t data,
                                          const char16_t* helpText)
{
    GxListBoxItem item;
    item.m_Text = text ? text : u"";
    item.m_IconText = iconText ? iconText : u"";
    item.m_IconFontIndex = static_cast<std::int32_t>(iconFontIndex);
    item.m_KeyText = keyText ? keyText : u"";
    item.m_Data = data;
    item.m_HelpText = helpText ? helpText : u"";
    GxListBoxItem* row = AppendItem(item);
    if (m_ScrollBar)
        m_ScrollBar->SetMax(static_cast<double>(MaxValue()));
    return row;
}

void GxTaskUIListBoxFx::SetLabelText(const char16_t* text)
{
    if (m_HelpLabel)
        m_HelpLabel->SetText(text);
}

void GxTaskUIListBoxFx::Clear()
{
    m_Items.clear();
    m_HoverIndex = -1;
    m_SelectedIndex = -1;
    SetValueInt(0);
    if (m_ScrollBar)
        m_ScrollBar->SetMax(0.0);
    SetLabelText(u"");
    GxSceneGeneration::Touch();
}

void GxTaskUIListBoxFx::ResetSelection()
{
    for (GxListBoxItem& item : m_Items)
        item.m_Highlighted = false;
    m_HoverIndex = -1;
    m_SelectedIndex = -1;
    SetLabelText(u"");
    GxSceneGeneration::Touch();
}

void GxTaskUIListBoxFx::AddColumn(std::int32_t width)
{
    m_Columns.push_back(width);
}

void GxTaskUIListBoxFx::ClearColumns()
{
    m_Columns.clear();
    m_HoverIndex = -1;
    m_SelectedIndex = -1;
}

GxListBoxItem* GxTaskUIListBoxFx::GetItem(std::int32_t index)
{
    return WidgetListElement(m_Items, index, this, u"GxTaskUIListBoxFx/GetItem");
}

std::int32_t* GxTaskUIListBoxFx::GetColumn(std::int32_t index)
{
    return WidgetListElement(m_Columns, index, this, u"GxTaskUIListBoxFx/GetColumn");
}

std::u16string GxTaskUIListBoxFx::GetSelectedKey() const
{
    const GxListBoxItem* item = FindWidgetListElement(m_Items, m_SelectedIndex);
    return item ? item->m_KeyText : std::u16string();
}

std::int32_t GxTaskUIListBoxFx::GetSelectedData() const
{
    const GxListBoxItem* item = FindWidgetListElement(m_Items, m_SelectedIndex);
    return item ? item->m_Data : -1;
}

void GxTaskUIListBoxFx::SyncScrollBar()
{
    if (!m_ScrollBar)
        return;
    m_ScrollBar->SetMax(static_cast<double>(MaxValue()));
    m_ScrollBar->SetValueInt(GetValueRounded());
}

std::int32_t GxTaskUIListBoxFx::RowUnder(const GxVector2& point) const
{
    if (RowHeight() <= 0)
        return -1;
    const GxVector3 at = GetAbsolutePosition();
    const float origin[2] = {at.x, at.y};
    if (!HitTestClient(origin, point.x, point.y))
        return -1;
    const float localY = point.y - at.y - static_cast<float>(m_ClientTop);
    const std::int32_t row = static_cast<std::int32_t>(localY / static_cast<float>(RowHeight()));
    const std::int32_t index = GetValueInt() + row;
    if (row >= m_VisibleRows || index < 0 || index >= static_cast<std::int32_t>(m_Items.size()))
        return -1;
    return index;
}

int GxTaskUIListBoxFx::OnMouseMove(const GxVector2* point, std::uint32_t)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const std::int32_t index = RowUnder(*point);
    const std::int32_t before = m_HoverIndex;
    if (index < 0) {
        m_HoverIndex = -1;
        SetLabelText(u"");
        if (before != m_HoverIndex)
            GxSceneGeneration::Touch();
        return 0;
    }
    const GxListBoxItem& item = m_Items[static_cast<std::size_t>(index)];
    SetLabelText(item.m_HelpText.c_str());
    m_HoverIndex = item.m_Selectable ? index : -1;
    if (before != m_HoverIndex)
        GxSceneGeneration::Touch();
    return m_MouseMoveBlockFlag ? 1 : 0;
}

int GxTaskUIListBoxFx::OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const GxVector3 at = GetAbsolutePosition();
    const float origin[2] = {at.x, at.y};
    if (!HitTestBounds(origin, point->x, point->y))
        return 0;
    // One row per wheel event, whatever its number of notches.
    const std::int32_t steps = delta / 120;
    if (steps != 0) {
        SetValueInt(GetValueInt() + (steps > 0 ? -1 : 1));
        m_HoverIndex = -1;
        GxSceneGeneration::Touch();
    }
    if (m_ScrollBar)
        m_ScrollBar->SetValueInt(GetValueRounded());
    return m_EventBlockFlag ? 1 : 0;
}

int GxTaskUIListBoxFx::OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const GxVector3 at = GetAbsolutePosition();
    const float origin[2] = {at.x, at.y};
    if (!HitTestClient(origin, point->x, point->y))
        return 0;
    const std::int32_t index = RowUnder(*point);
    if (index >= 0 && m_Items[static_cast<std::size_t>(index)].m_Selectable) {
        m_HoverIndex = index;
        m_SelectedIndex = index;
    } else {
        m_SelectedIndex = -1;
    }
    GxSceneGeneration::Touch();
    m_EventState = kUIEventSelect;
    if (TestEventReportBit(kUIEventSelect)) {
        GxUIEventParam event;
        event.m_Sender = this;
        event.m_Code = kUIEventSelect;
        // The row travels where other events carry the pointer.
        event.m_Vector[0] = GxVector3(-1.0f, static_cast<float>(m_SelectedIndex), 0.0f);
        event.m_Vector[1] = at;
        DispatchEvent(event);
    }
    return m_EventBlockFlag ? 1 : 0;
}

void GxTaskUIListBoxFx::DrawItemText(const GxListBoxItem& item, float x, float y, std::uint32_t color)
{
    GxWidgetGraphicsBase* g = GetWidgetGraphics();
    const GxVector2 unit(1.0f, 1.0f);
    const std::int32_t preset = GetBlendMode();
    float textX = x;
    if (GxFontData* icons = WidgetBitmapFont(item.m_IconFontIndex)) {
        const std::int32_t h = static_cast<std::int32_t>(icons->GetCharHeight());
        if (!item.m_IconText.empty())
            g->DrawBitmapFontText(icons, item.m_IconText, x, y + static_cast<float>((m_TextFontSize - h + 2) / 2),
                                  unit, color, 0, preset);
        textX += static_cast<float>(item.m_IconText.size() * icons->GetCharWidth(u' '));
    }
    DrawOutlinedRowText(WidgetFontMap(m_TextFontIndex), item.m_Text, textX, y, m_EdgeColor, color, 0, preset);
}

int GxTaskUIListBoxFx::Draw(std::int32_t value, std::int32_t listIndex)
{
    GxWidgetGraphicsBase* g = BeginListWidgetDraw(this);
    if (!g)
        return 0;
    GxTaskUIPanelFx::Draw(value, listIndex);
    const GxVector3 at = GetAbsolutePosition();
    const std::int32_t count = static_cast<std::int32_t>(m_Items.size());
    const std::int32_t rowHeight = RowHeight();
    std::int32_t i = GetValueInt();
    if (i >= 0) {
        for (std::int32_t k = 0; i < count; ++k, ++i) {
            const GxListBoxItem& item = m_Items[static_cast<std::size_t>(i)];
            const float rowTop = at.y + static_cast<float>(m_ClientTop + k * rowHeight);
            const float left = at.x + static_cast<float>(m_ClientLeft);
            const GxFRect band{left, rowTop, left + static_cast<float>(m_ClientWidth),
                               rowTop + static_cast<float>(rowHeight)};
            std::uint32_t color;
            if (!item.m_Selectable) {
                color = m_DisabledTextColor;
            } else if (item.m_Highlighted || i == m_SelectedIndex) {
                color = MultiplyColors(item.m_Color, m_SelectedTextColor);
                g->DrawColorRect(band, m_SelectHighlightColor, GetBlendMode());
            } else if (i == m_HoverIndex) {
                color = MultiplyColors(item.m_Color, m_TextColor);
                g->DrawColorRect(band, m_HoverHighlightColor, GetBlendMode());
            } else {
                color = MultiplyColors(item.m_Color, m_TextColor);
            }
            const float rowX = at.x + 1.0f + static_cast<float>(m_ClientLeft);
            const float rowY = at.y + 1.0f + static_cast<float>(k * rowHeight + m_ClientTop);
            DrawItemText(item, rowX + item.m_Offset.x, rowY + item.m_Offset.y, color);
            std::int32_t column = 0;
            for (std::size_t j = 0; j < item.m_SubItems.size(); ++j) {
                if (j < m_Columns.size())
                    column += m_Columns[j];
                const GxListBoxItem& cell = item.m_SubItems[j];
                DrawItemText(cell, rowX + static_cast<float>(column) + cell.m_Offset.x, rowY + cell.m_Offset.y,
                             MultiplyColors(cell.m_Color, m_TextColor));
            }
            // At least one row is drawn, whatever the visible row count.
            if (k + 1 >= m_VisibleRows)
                break;
        }
    }
    g->EndSceneNested();
    return 0;
}

bool GxTaskUIListBoxFx::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIPanelFx::WriteState(writer);
    ok = WriteTextLook(writer) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUIListBoxFx::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIPanelFx::ReadState(reader);
    ReadTextLook(reader, u"GxTaskUIListBoxFx");
    // The saved value may lie outside the rows this screen has built.
    StoreClamped(m_Value);
    return reader.GetErrorCount() == 0;
}
