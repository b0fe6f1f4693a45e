#include "screens/seq_rp_mode.h"

#include "avg/module_services.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "script/worker.h"
#include "script/script_engine.h"
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

constexpr char16_t kName[] = u"SeqRPMode";
constexpr char16_t kBackground[] = u"bg_rpmode.png";
constexpr char16_t kExtrasSet[] = u"ui_extra.gis";
constexpr char16_t kThumbnailSet[] = u"th_rpmode.gis";
constexpr char16_t kLockedPattern[] = u"tip_rpplate.png";
constexpr char16_t kPageSelect[] = u"btn_pageselect";
constexpr char16_t kPlate[] = u"btn_rpselect";
constexpr std::int32_t kWheelNotch = 120;
constexpr std::int32_t kPatternBlend = 2;
constexpr std::int32_t kReplayFadeInMs = 200;
constexpr float kPercentX = 868.0f;
constexpr float kPercentY = 56.0f;
constexpr std::int32_t kPercentFont = 2;   // "FONT22NUM"
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

bool IsPassed(const GxCore* core, const std::u16string& label)
{
    const GxUserDataPerman* perman = core != nullptr ? core->m_UserDataPerman : nullptr;
    return perman != nullptr && perman->m_PassedReplayLabels.count(label) != 0;
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

SeqRPMode::SeqRPMode(GxTaskBase* owner) : GxScreenBase(owner, kName, RenderStyle::kOverlay)
{
    m_PageRows.reserve(32);
}

SeqRPMode::~SeqRPMode() = default;

bool SeqRPMode::IsUnlocked(std::int32_t row) const
{
    return row >= 0 && row < kRowCount && TestFlagBit(m_UnlockedFlags[static_cast<std::size_t>(row)], 0);
}

void SeqRPMode::OnSequenceEnter(std::int32_t worker)
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
    BuildIndex();
    m_CurrentPage = FindSelectedPage();
    FillPlates();
    // The music goes on from the gallery into the replay and back.
    GxUserData* data = core != nullptr ? core->m_UserData : nullptr;
    ResetAvgState(data, false);
    if (data != nullptr)
        data->m_IsReplayMode = true;
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    PlayScreenMusic(core, config != nullptr ? config->m_BgmNameRPMode : std::u16string(),
                    config != nullptr ? config->m_BgmLoopRPMode : 0);
}

void SeqRPMode::OnSequenceLeave(std::int32_t worker)
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

void SeqRPMode::BuildIndex()
{
    for (GxFlagBits& flags : m_UnlockedFlags)
        flags.clear();
    m_SceneTotal = 0;
    m_ScenesUnlocked = 0;
    GxCore* core = CoreOf(this);
    DBRPMode& table = GetDBRPMode();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        const DBRPModeRow* row = table.GetRow(id);
        if (row == nullptr)
            continue;
        m_PageCount = std::max(m_PageCount, row->m_Group);
        if (row->m_Label.empty())
            continue;
        if (m_Thumbnails == nullptr || m_Thumbnails->FindOriginImage(row->m_Thumbnail) == nullptr)
            LogPrint(u"リプレイモードサムネイル %s (ID=%d)が見つかりません\n", row->m_Thumbnail.c_str(), id);
        ++m_SceneTotal;
        if (IsPassed(core, row->m_Label)) {
            SetFlagBit(m_UnlockedFlags[static_cast<std::size_t>(id)], 0);
            ++m_ScenesUnlocked;
        }
    }
}

std::int32_t SeqRPMode::FindSelectedPage() const
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

void SeqRPMode::SelectPage(std::int32_t page)
{
    m_CurrentPage = page;
    if (auto* radio = dynamic_cast<GxTaskUIRadioButtonIs*>(FindWidget(kPageSelect, page)))
        radio->Select();
    FillPlates();
}

void SeqRPMode::FillPlates()
{
    m_PageRows.clear();
    DBRPMode& table = GetDBRPMode();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        const DBRPModeRow* row = table.GetRow(id);
        if (row != nullptr && row->m_Group == m_CurrentPage)
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
            plate->SetEnabled(IsUnlocked(id));
        } else {
            plate->Hide();
            plate->SetValueInt(0);
        }
    }
}

bool SeqRPMode::OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam*)
{
    if (name == u"btn_back") {
        GxCore* core = CoreOf(this);
        if (core != nullptr && core->m_UserData != nullptr)
            core->m_UserData->m_IsReplayMode = false;
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
        StartReplay(widget->GetValueInt());
        return true;
    }
    return false;
}

int SeqRPMode::OnMouseWheel(const GxVector2*, std::int32_t delta, std::uint32_t)
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

int SeqRPMode::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    GxTaskUIBase* back = FindWidget(u"btn_back");
    if (back != nullptr && IsWidgetInputAllowed(back, 0))
        back->ReportEvent(1);
    return 0;
}

int SeqRPMode::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value != kScreenOverlayDrawTag)
        return GxScreenBase::Draw(value, listIndex);
    BeginSceneNested();
    GxGraphics::ResetRenderStates();
    DrawOverlay();
    EndSceneNested();
    return 0;
}

std::u16string SeqRPMode::GetPercentText() const
{
    const std::int32_t percent = m_SceneTotal != 0 ? m_ScenesUnlocked * 100 / m_SceneTotal : 0;
    return FormatWide(u"%3d", percent);
}

void SeqRPMode::DrawOverlay()
{
    DrawNumberText(kPercentFont, GetPercentText(), kPercentX, kPercentY);
    DBRPMode& table = GetDBRPMode();
    for (std::int32_t i = 0; i < kPlateCount; ++i) {
        GxTaskUIBase* plate = FindWidget(kPlate, i);
        if (plate == nullptr || !plate->IsVisible())
            continue;
        const GxVector3 pos = plate->GetWorldPos();
        const std::int32_t id = plate->GetValueInt();
        if (IsUnlocked(id)) {
            const DBRPModeRow* row = table.GetRow(id);
            GxFColor added{0.0f, 0.0f, 0.0f, 0.0f};
            if (plate->GetHoverCount() != 0) {
                const float v = std::fabs(std::sin(static_cast<float>(m_UpdateCount) / 30.0f)) * 0.25f;
                added = GxFColor{v, v, v, 1.0f};
            }
            if (row != nullptr)
                DrawPattern(m_Thumbnails, row->m_Thumbnail, pos.x, pos.y, added);
        } else {
            DrawPattern(m_Extras, kLockedPattern, pos.x, pos.y, GxFColor{0.0f, 0.0f, 0.0f, 0.0f});
        }
    }
}

void SeqRPMode::StartReplay(std::int32_t id)
{
    const DBRPModeRow* row = GetDBRPMode().GetRow(id);
    const std::u16string label = row != nullptr ? row->m_Label : std::u16string();
    AvgGlobalFadeIn(kReplayFadeInMs);
    GxMoaWorker* worker = GetMainWorker();
    if (worker == nullptr || !worker->ResetAndJump(label, nullptr))
        LogPrint(u"スクリプトにラベル %s が存在しないため実行できません\n", label.c_str());
    // The replay-mode flag is still set from entering: the play screen comes back here.
    ChangeScreen(u"SeqAvgMain", 1, 0);
}
