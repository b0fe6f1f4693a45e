#include "ui/ui_drop_menu_item.h"

#include "core/scene_generation.h"
#include "core/task_manage.h"
#include "data/db_uimodule.h"
#include "foundation/log.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/ui_named_values.h"
#include "ui/widget_graphics.h"

namespace {

constexpr const char16_t* kItemSuffixes[4] = {u"_off.png", u"_on.png", u"_over.png", u"_na.png"};
// The caption's icon always draws with this blend preset.
constexpr std::int32_t kIconPreset = 2;
// The edge copies of the caption text, in drawing order.
constexpr float kEdgeOffsets[4][2] = {{1.0f, 1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}};

}  // namespace

GxTaskUIDropMenuItemIs::GxTaskUIDropMenuItemIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                               std::int32_t localIndex)
    : GxTaskUIButtonIs(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeDropMenuItem;   // the button's constructor set the button kind flag
}

GxTaskUIDropMenuItemIs::~GxTaskUIDropMenuItemIs() = default;

bool GxTaskUIDropMenuItemIs::SetCaptionFontIndex(std::int32_t index)
{
    // Module rows bring any number; only the six glyph caches exist.
    if (index < 0 || index >= kSystemFontMapCount) {
        LogPrint(u"GxTaskUIDropMenuItemIs/Font index out of range:%d [%s]\n", index, GetTaskPath().c_str());
        return false;
    }
    m_Caption.m_FontIndex = index;
    GxSceneGeneration::Touch();
    return true;
}

void GxTaskUIDropMenuItemIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    if (!row)
        return;
    GxTaskUIButtonIs::ApplyModuleRecord(row);
    SetCaptionFontIndex(row->m_FontIndex);
}

bool GxTaskUIDropMenuItemIs::LoadImages()
{
    return LoadButtonCells(kItemSuffixes, 4, u"GxTaskUIDropMenuItemIs");
}

int GxTaskUIDropMenuItemIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick)
{
    if (!IsUIInputOpen(this))
        return 0;
    // Under the shutdown dialog a choice must not run; the press goes on to that dialog.
    GxTaskManage* manage = GetManage();
    const GxTaskBase* shutdown = manage ? manage->FindTask(u"dlg_shutdown") : nullptr;
    if (shutdown && shutdown->GetState() == kTaskActive)
        return 0;
    return PressClient(*point, keys, doubleClick, false);
}

int GxTaskUIDropMenuItemIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    OpenDraw();
    const GxNcOriginImage* cell = IsEnabled() ? GetIndexedImage() : m_StateImages[kButtonImageDisabled];
    DrawCell(cell, static_cast<float>(m_ImageAlpha) * static_cast<float>(GetAlpha()) / 255.0f / 255.0f);
    DrawCaption();
    CloseDraw();
    return 0;
}

void GxTaskUIDropMenuItemIs::DrawCaption()
{
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    const GxVector3 position = GetAbsolutePosition();
    const float anchorX = position.x;
    const float anchorY = position.y + static_cast<float>(m_Height / 2);
    const GxVector2 offset = m_Caption.m_Offset;

    std::int32_t iconWidth = 0, iconHeight = 0;
    const GxNcOriginImage* icon = m_Caption.m_IconName.empty() ? nullptr : FindUINamedValue(m_Caption.m_IconName);
    if (icon && GetUICellSize(icon, &iconWidth, &iconHeight)) {
        GxMatrix transform;
        transform.SetIdentity();
        transform.SetTranslationXYZ(anchorX + offset.x - static_cast<float>(iconWidth) * 0.5f, anchorY + offset.y,
                                    position.z);
        graphics->DrawImagePattern(icon, 0, transform, 1.0f, GxFColor(1.0f, 1.0f, 1.0f, 1.0f),
                                   GxFColor(0.0f, 0.0f, 0.0f, 0.0f), kIconPreset);
    }

    // A font index set from outside the six caches finds no cache and draws no text.
    GxGDIFontMap* fontMap = GetSystemFontMap(m_Caption.m_FontIndex);
    if (m_Caption.m_Text.empty() || !fontMap)
        return;
    // Raised by half the character height, the text is centred on the item's middle.
    const float x = anchorX + offset.x;
    const float y = anchorY + offset.y - static_cast<float>(fontMap->GetFontSize() / 2);
    const GxVector2 unit(1.0f, 1.0f);
    const std::int32_t preset = GetBlendMode();
    const std::uint32_t edgeColor = GetUISystemEdgeColor(this);
    for (const auto& edge : kEdgeOffsets)
        graphics->DrawFontMapText(fontMap, m_Caption.m_Text, x + edge[0], y + edge[1], unit, edgeColor, 0, preset,
                                  u'\n');
    graphics->DrawFontMapText(fontMap, m_Caption.m_Text, x, y, unit, m_Caption.m_Color, 0, preset, u'\n');
}
