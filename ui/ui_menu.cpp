#include "ui/ui_menu.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/log.h"
#include "foundation/matrix.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "ui/image_widget_support.h"
#include "ui/list_widget_support.h"
#include "ui/widget_graphics.h"

namespace {

// The colour of the four shadow copies behind a row text.
constexpr std::uint32_t kMenuShadowColor = 0xD0000000u;

}  // namespace

GxTaskUIMenuIs::GxTaskUIMenuIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                               std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeMenu;
}

GxTaskUIMenuIs::~GxTaskUIMenuIs() = default;

int GxTaskUIMenuIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIBase::Update(step, elapsed);
    ++m_UpdateCount;
    return 0;
}

std::int32_t GxTaskUIMenuIs::GetHeight() const
{
    return (static_cast<std::int32_t>(m_Items.size()) + 2) * m_Height;
}

void GxTaskUIMenuIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIBase::ApplyModuleRecord(row);
    if (!row)
        return;
    m_ImageSetName = WidgetImageSetFolder(this) + row->m_ImageSetName + u".gis";
    m_ImageName = row->m_ImageName;
}

bool GxTaskUIMenuIs::SetImageName(const char16_t* name)
{
    SplitUIImagePath(name ? name : u"", &m_ImageSetName, &m_ImageName);
    return true;
}

bool GxTaskUIMenuIs::LoadImages()
{
    ReleaseImages();   // a failed load leaves no partial frame
    GxNcCrammedImageSet* set = GetImageSetPool().GetImageSet(m_ImageSetName);
    if (!set) {
        LogPrint(u"GxTaskUIMenuIs/ImageSet wasn't Loaded:%s [%s]\n", m_ImageSetName.c_str(), GetTaskPath().c_str());
        return false;
    }
    static const char16_t* const kSuffixes[3] = {u"_head.png", u"_body.png", u"_foot.png"};
    GxNcOriginImage** cells[3] = {&m_HeadCell, &m_BodyCell, &m_FootCell};
    for (int n = 0; n < 3; ++n) {
        const std::u16string cellName = m_ImageName + kSuffixes[n];
        *cells[n] = set->FindOriginImage(cellName);
        if (!*cells[n]) {
            LogPrint(u"GxTaskUIMenuIs/Image not found:%s [%s]\n", cellName.c_str(), GetTaskPath().c_str());
            ReleaseImages();
            return false;
        }
    }
    TakeUICellSize(this, m_BodyCell);
    if (m_ClientWidth == 0)
        m_ClientWidth = m_Width - 2 * m_ClientLeft;
    if (m_ClientHeight == 0)
        m_ClientHeight = m_Height - 2 * m_ClientTop;
    GxSceneGeneration::Touch();
    return true;
}

void GxTaskUIMenuIs::ReleaseImages()
{
    m_HeadCell = nullptr;
    m_BodyCell = nullptr;
    m_FootCell = nullptr;
}

bool GxTaskUIMenuIs::HitTestClient(const float* origin, float x, float y) const
{
    const float lx = x - origin[0] - static_cast<float>(m_ClientLeft);
    const float ly = y - origin[1] - static_cast<float>(m_Height);
    const float rows = static_cast<float>(m_Items.size()) * static_cast<float>(m_Height);
    return 0.0f < lx && lx < static_cast<float>(m_ClientWidth) && 0.0f < ly && ly < rows;
}

std::int32_t GxTaskUIMenuIs::RowAt(const float* origin, float y) const
{
    if (m_Height <= 0)
        return -1;
    const std::int32_t row = static_cast<std::int32_t>((y - origin[1] - static_cast<float>(m_Height)) /
                                                       static_cast<float>(m_Height));
    return row >= 0 && row < static_cast<std::int32_t>(m_Items.size()) ? row : -1;
}

void GxTaskUIMenuIs::SetDescriptionText(const char16_t* text)
{
    if (m_DescriptionWidget)
        m_DescriptionWidget->SetText(text);
}

int GxTaskUIMenuIs::OnMouseMove(const GxVector2* point, std::uint32_t)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const GxVector3 at = GetAbsolutePosition();
    const float origin[2] = {at.x, at.y};
    const std::int32_t row = HitTestClient(origin, point->x, point->y) ? RowAt(origin, point->y) : -1;
    if (row < 0) {
        if (m_HoverRow != -1)
            GxSceneGeneration::Touch();
        m_HoverRow = -1;
        SetDescriptionText(u"");
        return 0;
    }
    const GxUIMenuItem& item = m_Items[static_cast<std::size_t>(row)];
    SetDescriptionText(item.m_Description.c_str());
    const std::int32_t hover = item.m_Enabled ? row : -1;
    if (hover != m_HoverRow)
        GxSceneGeneration::Touch();
    m_HoverRow = hover;
    return m_MouseMoveBlockFlag ? 1 : 0;
}

int GxTaskUIMenuIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    if (!point || !IsUIInputOpen(this))
        return 0;
    const GxVector3 at = GetAbsolutePosition();
    const float origin[2] = {at.x, at.y};
    const std::int32_t row = HitTestClient(origin, point->x, point->y) ? RowAt(origin, point->y) : -1;
    if (row < 0)
        return 0;
    GxSceneGeneration::Touch();
    m_HoverRow = row;
    if (!m_Items[static_cast<std::size_t>(row)].m_Enabled) {
        m_HoverRow = -1;
        m_SelectedRow = -1;
        return 0;
    }
    m_SelectedRow = row;
    m_EventState = kUIEventSelect;
    if (TestEventReportBit(kUIEventSelect)) {
        GxUIEventParam event;
        event.m_Sender = this;
        event.m_Code = kUIEventSelect;
        event.m_Value1 = m_SelectedRow;
        event.m_Vector[0] = GxVector3(point->x, point->y, 0.0f);
        event.m_Vector[1] = at;
        DispatchEvent(event);
    }
    return m_EventBlockFlag ? 1 : 0;
}

void GxTaskUIMenuIs::SetFontIndex(std::int32_t index)
{
    if (IsWidgetFontIndex(index, u"GxTaskUIMenuIs"))
        m_FontIndex = index;
}

GxUIMenuItem* GxTaskUIMenuIs::AddItem(const GxUIMenuItem& item)
{
    m_Items.push_back(item);
    GxSceneGeneration::Touch();
    return &m_Items.back();
}

GxUIMenuItem* GxTaskUIMenuIs::AddItem(const char16_t* label, const char16_t* valueText, std::int32_t id,
                                      const char16_t* description)
{
    GxUIMenuItem item;
    item.m_Label = label ? label : u"";
    item.m_ValueText = valueText ? valueText : u"";
    item.m_ID = id;
    item.m_Description = description ? description : u"";
    return AddItem(item);
}

void GxTaskUIMenuIs::ClearItems()
{
    m_Items.clear();
    GxSceneGeneration::Touch();
}

void GxTaskUIMenuIs::ClearSelection()
{
    for (GxUIMenuItem& item : m_Items)
        item.m_Highlighted = 0;
    m_HoverRow = -1;
    m_SelectedRow = -1;
    SetDescriptionText(u"");
    GxSceneGeneration::Touch();
}

void GxTaskUIMenuIs::AddColumn(std::int32_t width)
{
    m_Columns.push_back(width);
}

GxUIMenuItem* GxTaskUIMenuIs::GetItem(std::int32_t index)
{
    return WidgetListElement(m_Items, index, this, u"GxTaskUIMenuIs/GetItem");
}

std::int32_t* GxTaskUIMenuIs::GetColumn(std::int32_t index)
{
    return WidgetListElement(m_Columns, index, this, u"GxTaskUIMenuIs/GetColumn");
}

std::u16string GxTaskUIMenuIs::GetSelectedText() const
{
    // ClearItems keeps the selected row, so it may point past the items.
    const GxUIMenuItem* item = FindWidgetListElement(m_Items, m_SelectedRow);
    return item ? item->m_ValueText : std::u16string();
}

std::int32_t GxTaskUIMenuIs::GetSelectedID() const
{
    const GxUIMenuItem* item = FindWidgetListElement(m_Items, m_SelectedRow);
    return item ? item->m_ID : -1;
}

void GxTaskUIMenuIs::DrawRowText(const std::u16string& text, float x, float y, std::uint32_t first,
                                 std::uint32_t second)
{
    DrawOutlinedRowText(WidgetFontMap(m_FontIndex), text, x, y, kMenuShadowColor, first, second, GetBlendMode());
}

int GxTaskUIMenuIs::Draw(std::int32_t, std::int32_t)
{
    GxWidgetGraphicsBase* g = BeginListWidgetDraw(this);
    if (!g)
        return 0;
    const GxVector3 p = GetAbsolutePosition();
    const float h = static_cast<float>(m_Height);
    const std::int32_t count = static_cast<std::int32_t>(m_Items.size());

    const float alpha = static_cast<float>(GetAlpha()) / 255.0f;
    const GxFColor color0 = m_VisualParam.m_Color0;
    const GxFColor color1 = m_VisualParam.m_Color1;
    const std::int32_t preset = GetBlendMode();
    auto drawCell = [&](const GxNcOriginImage* cell, float y) {
        if (!cell)
            return;
        GxMatrix matrix;
        matrix.SetIdentity();
        matrix.SetTranslationXYZ(p.x, y, p.z);
        g->DrawImagePattern(cell, m_PatternIndex, matrix, alpha, color0, color1, preset);
    };
    drawCell(m_HeadCell, p.y);
    for (std::int32_t i = 0; i < count; ++i)
        drawCell(m_BodyCell, p.y + static_cast<float>(i + 1) * h);
    drawCell(m_FootCell, p.y + static_cast<float>(count + 1) * h);

    if (m_HoverRow != -1) {
        const float left = p.x + static_cast<float>(m_ClientLeft);
        const float top = p.y + static_cast<float>(m_HoverRow + 1) * h;
        g->DrawColorRect(GxFRect{left, top, left + static_cast<float>(m_ClientWidth), top + h}, m_HoverBarColor,
                         preset);
    }

    for (std::int32_t i = 0; i < count; ++i) {
        const GxUIMenuItem& item = m_Items[static_cast<std::size_t>(i)];
        std::uint32_t first = m_NormalColor;
        std::uint32_t second = 0;
        if (!item.m_Enabled) {
            first = m_DisabledColor;
        } else if (item.m_Highlighted || i == m_SelectedRow) {
            first = m_SelectedColor;
            second = m_SelectedColor2;
        } else if (i == m_HoverRow) {
            first = m_HoverColor;
            second = m_HoverColor2;
        }
        const float rowX = p.x + static_cast<float>(m_ClientLeft);
        const float rowY = p.y + static_cast<float>(i + 1) * h + static_cast<float>(m_ClientTop);
        DrawRowText(item.m_Label, rowX + item.m_Offset.x, rowY + item.m_Offset.y, first, second);
        std::int32_t column = 0;
        for (std::size_t j = 0; j < item.m_SubItems.size(); ++j) {
            if (j < m_Columns.size())
                column += m_Columns[j];
            const GxUIMenuItem& sub = item.m_SubItems[j];
            DrawRowText(sub.m_Label, rowX + static_cast<float>(column) + sub.m_Offset.x, rowY + sub.m_Offset.y, first,
                        second);
        }
    }
    g->EndSceneNested();
    return 0;
}
