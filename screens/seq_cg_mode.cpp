#include "screens/seq_cg_mode.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "foundation/matrix.h"
#include "foundation/wide_string.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "motion/nc_pattern_draw.h"
#include "screens/screen_music.h"
#include "ui/task_ui_base.h"
#include "ui/ui_toggle_button.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char16_t kName[] = u"SeqCGMode";
constexpr char16_t kBackground[] = u"bg_cgmode.png";
constexpr char16_t kExtrasSet[] = u"ui_extra.gis";
constexpr char16_t kThumbnailSet[] = u"th_cgmode.gis";
constexpr char16_t kLockedPattern[] = u"tip_cgplate.png";
constexpr char16_t kPageSelect[] = u"btn_pageselect";
constexpr char16_t kPlate[] = u"btn_cgselect";
constexpr float kOverlayDepth = 10000.0f;
constexpr std::int32_t kWheelNotch = 120;
constexpr std::int32_t kFileNameCount = 32;
constexpr std::int32_t kPatternBlend = 2;
constexpr float kPercentX = 868.0f;
constexpr float kPercentY = 56.0f;
constexpr float kCountCharWidth = 8.0f;
constexpr std::int32_t kPercentFont = 2;   // "FONT22NUM"
constexpr std::int32_t kCountFont = 1;     // "FONT8NUM"
constexpr D3DCOLOR kTextColor = 0xFFFFFFFFu;

GxCore* CoreOf(const GxTaskBase* task)
{
    return task->m_Manage != nullptr ? task->m_Manage->GetCore() : nullptr;
}

std::u16string ConfigFolder(const GxCore* core, std::int32_t folder)
{
    GxSystemConfig defaults;
    return core != nullptr && core->m_SystemConfig != nullptr ? core->m_SystemConfig->m_Folders[folder]
                                                             : defaults.m_Folders[folder];
}

std::u16string ImageSetFolder(const GxCore* core)
{
    return core != nullptr ? core->GetConfig().m_UIImageSetFolder : GxCoreConfig().m_UIImageSetFolder;
}

bool IsSeen(const GxCore* core, const std::u16string& file)
{
    const GxUserDataPerman* perman = core != nullptr ? core->m_UserDataPerman : nullptr;
    return perman != nullptr && perman->m_ShowedCGFlags.count(file) != 0;
}

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

void DrawNumberText(std::int32_t font, const std::u16string& text, float x, float y)
{
    if (GxFontData* data = GetSystemBitmapFont(font))
        DrawFontDataText(data, text, x, y, GxVector2(1.0f, 1.0f), GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f),
                         kTextColor, 0, kPatternBlend);
}

}  // namespace

SeqCGMode::SeqCGMode(GxTaskBase* owner) : GxScreenBase(owner, kName, RenderStyle::kOverlay)
{
    m_PageRows.reserve(32);
}

SeqCGMode::~SeqCGMode() = default;

std::int32_t SeqCGMode::GetSeenCount(std::int32_t row) const
{
    return row >= 0 && row < kRowCount ? m_SeenCounts[static_cast<std::size_t>(row)] : 0;
}

void SeqCGMode::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    GxCore* core = CoreOf(this);
    if (GxTaskLayer* layer = GetBackgroundLayer())
        layer->LoadFlexImage(ConfigFolder(core, GxSystemConfig::kFolderCGUI) + kBackground, 0);
    const std::u16string sets = ImageSetFolder(core);
    GxNcImageSetPool& pool = GetImageSetPool();
    pool.AddImageSet(sets + kExtrasSet);
    pool.AddImageSet(sets + kThumbnailSet);
    m_Extras = pool.GetImageSet(sets + kExtrasSet);
    m_Thumbnails = pool.GetImageSet(sets + kThumbnailSet);
    m_PageCount = 0;
    m_PictureTotal = 0;
    m_PicturesSeen = 0;
    CountCGFiles();
    BuildIndex();
    m_CurrentPage = FindSelectedPage();
    FillPlates();
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    PlayScreenMusic(core, config != nullptr ? config->m_BgmNameCGMode : std::u16string(),
                    config != nullptr ? config->m_BgmLoopCGMode : 0);
}

void SeqCGMode::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (GxTaskLayer* layer = GetBackgroundLayer())
        layer->ResetLayer();
    const std::u16string sets = ImageSetFolder(CoreOf(this));
    GxNcImageSetPool& pool = GetImageSetPool();
    if (m_Extras != nullptr)
        pool.ReleaseImageSet(sets + kExtrasSet);
    if (m_Thumbnails != nullptr)
        pool.ReleaseImageSet(sets + kThumbnailSet);
    m_Extras = nullptr;
    m_Thumbnails = nullptr;
}

void SeqCGMode::BuildIndex()
{
    m_SeenCounts.fill(0);
    GxCore* core = CoreOf(this);
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        const DBCGModeRow* row = table.GetRow(id);
        if (row == nullptr || row->m_FileName[0].empty())
            continue;
        m_PageCount = std::max(m_PageCount, row->m_Group);
        if (m_Thumbnails == nullptr || m_Thumbnails->FindOriginImage(row->m_Thumbnail) == nullptr)
            LogPrint(u"CGモードサムネイル %s (ID=%d)が見つかりません\n", row->m_Thumbnail.c_str(), id);
        // The count comes from the data file: never past the row's 32 names.
        const std::int32_t count = std::min(row->m_Count, kFileNameCount);
        for (std::int32_t j = 0; j < count; ++j) {
            const std::u16string& file = row->m_FileName[j];
            if (file.empty())
                continue;
            ++m_PictureTotal;
            if (IsSeen(core, file)) {
                ++m_SeenCounts[static_cast<std::size_t>(id)];
                ++m_PicturesSeen;
            }
        }
    }
}

std::int32_t SeqCGMode::FindSelectedPage() const
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

void SeqCGMode::SelectPage(std::int32_t page)
{
    m_CurrentPage = page;
    if (auto* radio = dynamic_cast<GxTaskUIRadioButtonIs*>(FindWidget(kPageSelect, page)))
        radio->Select();
    FillPlates();
}

void SeqCGMode::FillPlates()
{
    m_PageRows.clear();
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        const DBCGModeRow* row = table.GetRow(id);
        if (row != nullptr && row->m_Group == m_CurrentPage && row->m_Count != 0)
            m_PageRows.push_back(id);
    }
    for (std::int32_t i = 0; i < kPlateCount; ++i) {
        GxTaskUIBase* plate = FindWidget(kPlate, i);
        if (plate == nullptr)
            continue;
        if (static_cast<std::size_t>(i) < m_PageRows.size()) {
            const std::int32_t id = m_PageRows[static_cast<std::size_t>(i)];
            plate->Show();
            plate->SetValueInt(id);
            plate->SetEnabled(GetSeenCount(id) > 0);
        } else {
            plate->Hide();
            plate->SetValueInt(0);
        }
    }
}

bool SeqCGMode::OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam*)
{
    if (name == u"btn_back") {
        ChangeScreen(u"SeqTitle");
        ClearUIEvents();
        return true;
    }
    if (name == kPageSelect) {
        m_CurrentPage = FindSelectedPage();
        FillPlates();
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
    if (name == kPlate) {
        ChangeScreen(u"SeqCGModeView", widget->GetValueInt(), 0);
        return true;
    }
    return false;
}

int SeqCGMode::OnMouseWheel(const GxVector2*, std::int32_t delta, std::uint32_t)
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

int SeqCGMode::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    GxTaskUIBase* back = FindWidget(u"btn_back");
    if (back != nullptr && IsWidgetInputAllowed(back, 0))
        back->ReportEvent(1);
    return 0;
}

int SeqCGMode::Render(std::int32_t step, std::uint64_t elapsed)
{
    GxSeqTransitBase::Render(step, elapsed);
    GxCore* core = CoreOf(this);
    if (GxTaskRenderManage* list = core != nullptr ? core->GetRenderList(kScreenOverlayRenderList) : nullptr)
        list->Add(kScreenOverlayDrawMode, this, kOverlayDepth, kScreenOverlayDrawTag);
    return 0;
}

int SeqCGMode::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value != kScreenOverlayDrawTag)
        return GxScreenBase::Draw(value, listIndex);
    BeginSceneNested();
    GxGraphics::ResetRenderStates();
    DrawOverlay();
    EndSceneNested();
    return 0;
}

std::u16string SeqCGMode::GetPercentText() const
{
    const std::int32_t percent = m_PictureTotal != 0 ? m_PicturesSeen * 100 / m_PictureTotal : 0;
    return FormatWide(u"%3d", percent);
}

void SeqCGMode::DrawOverlay()
{
    DrawNumberText(kPercentFont, GetPercentText(), kPercentX, kPercentY);
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t i = 0; i < kPlateCount; ++i) {
        GxTaskUIBase* plate = FindWidget(kPlate, i);
        if (plate == nullptr || !plate->IsVisible())
            continue;
        const GxVector3 pos = plate->GetWorldPos();
        const std::int32_t id = plate->GetValueInt();
        const DBCGModeRow* row = id >= 0 && id < kRowCount ? table.GetRow(id) : nullptr;
        if (row == nullptr)
            continue;
        const std::int32_t seen = GetSeenCount(id);
        if (seen > 0) {
            GxFColor added{0.0f, 0.0f, 0.0f, 0.0f};
            if (plate->GetHoverCount() != 0) {
                const float v = std::fabs(std::sin(static_cast<float>(m_UpdateCount) / 30.0f)) * 0.25f;
                added = GxFColor{v, v, v, 1.0f};
            }
            DrawPattern(m_Thumbnails, row->m_Thumbnail, pos.x, pos.y, added);
        } else {
            DrawPattern(m_Extras, kLockedPattern, pos.x, pos.y, GxFColor{0.0f, 0.0f, 0.0f, 0.0f});
        }
        if (row->m_Count > 0) {
            const std::u16string text = FormatWide(u"%d/%d", seen, row->m_Count);
            const float x = pos.x + static_cast<float>(plate->GetWidth()) -
                            kCountCharWidth * static_cast<float>(text.size());
            DrawNumberText(kCountFont, text, x, pos.y + static_cast<float>(plate->GetHeight()) + 1.0f);
        }
    }
}
