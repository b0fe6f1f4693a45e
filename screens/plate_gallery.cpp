#include "screens/plate_gallery.h"

#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/matrix.h"
#include "foundation/wide_string.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "motion/nc_pattern_draw.h"
#include "ui/task_ui_base.h"
#include "ui/ui_toggle_button.h"

#include <cmath>

namespace {

constexpr char16_t kExtrasSet[] = u"ui_extra.gis";
constexpr char16_t kPageSelect[] = u"btn_pageselect";
constexpr std::int32_t kWheelNotch = 120;
constexpr std::int32_t kPatternBlend = 2;
constexpr float kPercentX = 868.0f;
constexpr float kPercentY = 56.0f;
constexpr std::int32_t kPercentFont = 2;   // "FONT22NUM"
constexpr D3DCOLOR kTextColor = 0xFFFFFFFFu;

void DrawPattern(GxNcCrammedImageSet* set, const std::u16string& name, float x, float y, const GxFColor& added)
{
    const GxNcOriginImage* image = set != nullptr ? set->FindOriginImage(name) : nullptr;
    if (image == nullptr)
        return;
    GxMatrix matrix;
    matrix.SetIdentity();
    matrix.SetTranslationXYZ(x, y, 0.0f);
    DrawCrammedImagePatternNoClip(image, 0, matrix, 1.0f, GxFColor{1.0f, 1.0f, 1.0f, 1.0f}, added, kPatternBlend);
}

}  // namespace

GxPlateGallery::GxPlateGallery(GxTaskBase* owner, const char16_t* name, const Names& names)
    : GxScreenBase(owner, name, RenderStyle::kOverlay), m_Names(names)
{
    m_PageRows.reserve(32);
}

GxPlateGallery::~GxPlateGallery() = default;

void GxPlateGallery::LoadGalleryAssets()
{
    GetBackgroundLayer()->LoadFlexImage(GetConfigFolder(GxSystemConfig::kFolderCGUI) + m_Names.background, 0);
    const std::u16string sets = GetImageSetFolder();
    GxNcImageSetPool& pool = GetImageSetPool();
    pool.AddImageSet(sets + kExtrasSet);
    pool.AddImageSet(sets + m_Names.thumbnailSet);
    m_Extras = pool.GetImageSet(sets + kExtrasSet);
    m_Thumbnails = pool.GetImageSet(sets + m_Names.thumbnailSet);
}

void GxPlateGallery::ReleaseGalleryAssets()
{
    GetBackgroundLayer()->ResetLayer();
    const std::u16string sets = GetImageSetFolder();
    GxNcImageSetPool& pool = GetImageSetPool();
    if (m_Extras != nullptr)
        pool.ReleaseImageSet(sets + kExtrasSet);
    if (m_Thumbnails != nullptr)
        pool.ReleaseImageSet(sets + m_Names.thumbnailSet);
    m_Extras = nullptr;
    m_Thumbnails = nullptr;
}

bool GxPlateGallery::HasThumbnail(const std::u16string& name) const
{
    return m_Thumbnails != nullptr && m_Thumbnails->FindOriginImage(name) != nullptr;
}

void GxPlateGallery::ShowSelectedPage()
{
    m_CurrentPage = FindSelectedPage();
    FillPlates();
}

std::int32_t GxPlateGallery::FindSelectedPage() const
{
    const GxTaskFolder* folder = GetUIFolder();
    for (GxTaskBase* child = folder != nullptr ? folder->m_FirstChild : nullptr; child != nullptr;
         child = child->m_NextSibling) {
        if (child->m_TaskLocalName != kPageSelect || !(child->m_KindFlags & kKindWidget))
            continue;
        if (static_cast<GxTaskUIBase*>(child)->GetValueInt() != 0)
            return child->m_TaskLocalIndex;
    }
    return 0;
}

void GxPlateGallery::SelectPage(std::int32_t page)
{
    m_CurrentPage = page;
    if (auto* radio = dynamic_cast<GxTaskUIRadioButtonIs*>(FindWidget(kPageSelect, page)))
        radio->Select();
    FillPlates();
}

void GxPlateGallery::FillPlates()
{
    m_PageRows.clear();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        if (IsOnPage(id, m_CurrentPage))
            m_PageRows.push_back(id);
    }
    for (std::int32_t i = 0; i < kPlateCount; ++i) {
        GxTaskUIBase* plate = FindWidget(m_Names.plate, i);
        if (plate == nullptr)
            continue;
        if (static_cast<std::size_t>(i) < m_PageRows.size()) {
            const std::int32_t id = m_PageRows[static_cast<std::size_t>(i)];
            plate->Show();
            plate->SetValueInt(id);
            plate->SetEnabled(IsUnlocked(id));
        } else {
            plate->Hide();
            plate->SetValueInt(0);
        }
    }
}

bool GxPlateGallery::OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam*)
{
    if (name == u"btn_back") {
        OnBack();
        ChangeScreen(u"SeqTitle");
        ClearUIEvents();
        return true;
    }
    if (name == kPageSelect) {
        ShowSelectedPage();
        return true;
    }
    if (name == u"btn_prev") {
        const std::int32_t page = m_CurrentPage - 1;
        SelectPage(page < 1 ? m_PageCount : page);
        return true;
    }
    if (name == u"btn_next") {
        const std::int32_t page = m_CurrentPage + 1;
        SelectPage(page > m_PageCount ? 1 : page);
        return true;
    }
    if (name == m_Names.plate) {
        OnPlateChosen(widget->GetValueInt());
        return true;
    }
    return false;
}

int GxPlateGallery::OnMouseWheel(const GxVector2*, std::int32_t delta, std::uint32_t)
{
    const std::int32_t notches = delta / kWheelNotch;
    GxTaskUIBase* prev = FindWidget(u"btn_prev");
    if (notches == 0 || prev == nullptr || !IsWidgetInputAllowed(prev, 0))
        return 0;
    GxTaskUIBase* target = notches > 0 ? prev : FindWidget(u"btn_next");
    if (target != nullptr)
        target->ReportEvent(1);
    return 0;
}

int GxPlateGallery::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    GxTaskUIBase* back = FindWidget(u"btn_back");
    if (back != nullptr && IsWidgetInputAllowed(back, 0))
        back->ReportEvent(1);
    return 0;
}

std::u16string GxPlateGallery::GetPercentText() const
{
    const std::int32_t percent = m_Total != 0 ? m_Unlocked * 100 / m_Total : 0;
    return FormatWide(u"%3d", percent);
}

void GxPlateGallery::DrawNumberText(std::int32_t font, const std::u16string& text, float x, float y)
{
    if (GxFontData* data = GetSystemBitmapFont(font))
        DrawFontDataText(data, text, x, y, GxVector2(1.0f, 1.0f), GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f),
                         kTextColor, 0, kPatternBlend);
}

int GxPlateGallery::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value != kScreenOverlayDrawTag)
        return GxScreenBase::Draw(value, listIndex);
    BeginSceneNested();
    GxGraphics::ResetRenderStates();
    DrawOverlay();
    EndSceneNested();
    return 0;
}

float GxPlateGallery::GlowOf(const GxTaskUIBase* plate) const
{
    if (plate->GetHoverCount() == 0)
        return 0.0f;
    return std::fabs(std::sin(static_cast<float>(m_UpdateCount) / 30.0f)) * 0.25f;
}

void GxPlateGallery::AddDrawnState(GxDrawnStateKey& key) const
{
    key.Add(GetPercentText()).Add(static_cast<const void*>(m_Thumbnails)).Add(static_cast<const void*>(m_Extras));
    for (std::int32_t i = 0; i < kPlateCount; ++i) {
        const GxTaskUIBase* plate = FindWidget(m_Names.plate, i);
        if (plate == nullptr || !plate->IsVisible())
            continue;
        const GxVector3 pos = plate->GetWorldPos();
        const std::int32_t id = plate->GetValueInt();
        key.Add(i).Add(pos.x).Add(pos.y).Add(id);
        if (id < 0 || id >= kRowCount)
            continue;
        const bool unlocked = IsUnlocked(id);
        key.Add(unlocked);
        if (unlocked)
            key.Add(GetThumbnail(id)).Add(GlowOf(plate));
        AddPlateExtraState(key, id);
    }
}

void GxPlateGallery::DrawOverlay()
{
    DrawNumberText(kPercentFont, GetPercentText(), kPercentX, kPercentY);
    for (std::int32_t i = 0; i < kPlateCount; ++i) {
        GxTaskUIBase* plate = FindWidget(m_Names.plate, i);
        if (plate == nullptr || !plate->IsVisible())
            continue;
        const GxVector3 pos = plate->GetWorldPos();
        const std::int32_t id = plate->GetValueInt();
        if (id < 0 || id >= kRowCount)
            continue;
        if (IsUnlocked(id)) {
            GxFColor added{0.0f, 0.0f, 0.0f, 0.0f};
            if (plate->GetHoverCount() != 0) {
                const float v = GlowOf(plate);
                added = GxFColor{v, v, v, 1.0f};
            }
            DrawPattern(m_Thumbnails, GetThumbnail(id), pos.x, pos.y, added);
        } else {
            DrawPattern(m_Extras, m_Names.lockedPattern, pos.x, pos.y, GxFColor{0.0f, 0.0f, 0.0f, 0.0f});
        }
        DrawPlateExtra(plate, id);
    }
}
