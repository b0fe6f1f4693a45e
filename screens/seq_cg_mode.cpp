#include "screens/seq_cg_mode.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "screens/screen_music.h"
#include "ui/task_ui_base.h"

#include <algorithm>

namespace {

constexpr char16_t kName[] = u"SeqCGMode";
constexpr float kOverlayDepth = 10000.0f;
constexpr std::int32_t kFileNameCount = 32;
constexpr float kCountCharWidth = 8.0f;
constexpr std::int32_t kCountFont = 1;   // "FONT8NUM"

constexpr GxPlateGallery::Names kNames = {u"bg_cgmode.png", u"th_cgmode.gis", u"tip_cgplate.png", u"btn_cgselect"};

}  // namespace

SeqCGMode::SeqCGMode(GxTaskBase* owner) : GxPlateGallery(owner, kName, kNames) {}

SeqCGMode::~SeqCGMode() = default;

std::int32_t SeqCGMode::GetSeenCount(std::int32_t row) const
{
    return row >= 0 && row < kRowCount ? m_SeenCounts[static_cast<std::size_t>(row)] : 0;
}

void SeqCGMode::OnSequenceEnter(std::int32_t worker)
{
    GxPlateGallery::OnSequenceEnter(worker);
    LoadGalleryAssets();
    m_PageCount = 0;
    m_Total = 0;
    m_Unlocked = 0;
    CountCGFiles();
    BuildIndex();
    ShowSelectedPage();
    GxCore* core = GetCore();
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    PlayScreenMusic(core, config != nullptr ? config->m_BgmNameCGMode : std::u16string(),
                    config != nullptr ? config->m_BgmLoopCGMode : 0);
}

void SeqCGMode::OnSequenceLeave(std::int32_t worker)
{
    GxPlateGallery::OnSequenceLeave(worker);
    ReleaseGalleryAssets();
}

void SeqCGMode::BuildIndex()
{
    m_SeenCounts.fill(0);
    const GxCore* core = GetCore();
    const GxUserDataPerman* perman = core != nullptr ? core->m_UserDataPerman : nullptr;
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        const DBCGModeRow* row = table.GetRow(id);
        if (row == nullptr || row->m_FileName[0].empty())
            continue;
        m_PageCount = std::max(m_PageCount, row->m_Group);
        if (!HasThumbnail(row->m_Thumbnail))
            LogPrint(u"CGモードサムネイル %s (ID=%d)が見つかりません\n", row->m_Thumbnail.c_str(), id);
        // The count comes from the data file: never past the row's 32 names.
        const std::int32_t count = std::min(row->m_Count, kFileNameCount);
        for (std::int32_t j = 0; j < count; ++j) {
            const std::u16string& file = row->m_FileName[j];
            if (file.empty())
                continue;
            ++m_Total;
            if (perman != nullptr && perman->m_ShowedCGFlags.count(file) != 0) {
                ++m_SeenCounts[static_cast<std::size_t>(id)];
                ++m_Unlocked;
            }
        }
    }
}

bool SeqCGMode::IsOnPage(std::int32_t id, std::int32_t page) const
{
    const DBCGModeRow* row = GetDBCGMode().GetRow(id);
    return row != nullptr && row->m_Group == page && row->m_Count != 0;
}

std::u16string SeqCGMode::GetThumbnail(std::int32_t id) const
{
    const DBCGModeRow* row = GetDBCGMode().GetRow(id);
    return row != nullptr ? row->m_Thumbnail : std::u16string();
}

void SeqCGMode::OnPlateChosen(std::int32_t row)
{
    ChangeScreen(u"SeqCGModeView", row, 0);
}

int SeqCGMode::Render(std::int32_t step, std::uint64_t elapsed)
{
    GxSeqTransitBase::Render(step, elapsed);
    NoteDrawnState();
    GxCore* core = GetCore();
    if (GxTaskRenderManage* list = core != nullptr ? core->GetRenderList(kScreenOverlayRenderList) : nullptr)
        list->Add(kScreenOverlayDrawMode, this, kOverlayDepth, kScreenOverlayDrawTag);
    return 0;
}

void SeqCGMode::AddPlateExtraState(GxDrawnStateKey& key, std::int32_t id) const
{
    const DBCGModeRow* row = GetDBCGMode().GetRow(id);
    if (row != nullptr && row->m_Count > 0)
        key.Add(GetSeenCount(id)).Add(row->m_Count);
}

void SeqCGMode::DrawPlateExtra(GxTaskUIBase* plate, std::int32_t id)
{
    const DBCGModeRow* row = GetDBCGMode().GetRow(id);
    if (row == nullptr || row->m_Count <= 0)
        return;
    const GxVector3 pos = plate->GetWorldPos();
    const std::u16string text = FormatWide(u"%d/%d", GetSeenCount(id), row->m_Count);
    const float x = pos.x + static_cast<float>(plate->GetWidth()) - kCountCharWidth * static_cast<float>(text.size());
    DrawNumberText(kCountFont, text, x, pos.y + static_cast<float>(plate->GetHeight()) + 1.0f);
}
