#include "screens/seq_rp_mode.h"

#include "avg/module_services.h"
#include "core/core.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "foundation/log.h"
#include "screens/screen_music.h"
#include "script/script_engine.h"
#include "script/worker.h"

#include <algorithm>

namespace {

constexpr char16_t kName[] = u"SeqRPMode";
constexpr std::int32_t kReplayFadeInMs = 200;

constexpr GxPlateGallery::Names kNames = {u"bg_rpmode.png", u"th_rpmode.gis", u"tip_rpplate.png", u"btn_rpselect"};

}  // namespace

SeqRPMode::SeqRPMode(GxTaskBase* owner) : GxPlateGallery(owner, kName, kNames) {}

SeqRPMode::~SeqRPMode() = default;

bool SeqRPMode::IsUnlocked(std::int32_t row) const
{
    return row >= 0 && row < kRowCount && TestFlagBit(m_UnlockedFlags[static_cast<std::size_t>(row)], 0);
}

void SeqRPMode::OnSequenceEnter(std::int32_t worker)
{
    GxPlateGallery::OnSequenceEnter(worker);
    LoadGalleryAssets();
    m_PageCount = 0;
    BuildIndex();
    ShowSelectedPage();
    // The music goes on from the gallery into the replay and back.
    GxCore* core = GetCore();
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
    GxPlateGallery::OnSequenceLeave(worker);
    ReleaseGalleryAssets();
}

void SeqRPMode::BuildIndex()
{
    for (GxFlagBits& flags : m_UnlockedFlags)
        flags.clear();
    m_Total = 0;
    m_Unlocked = 0;
    const GxCore* core = GetCore();
    const GxUserDataPerman* perman = core != nullptr ? core->m_UserDataPerman : nullptr;
    DBRPMode& table = GetDBRPMode();
    for (std::int32_t id = 0; id < kRowCount; ++id) {
        const DBRPModeRow* row = table.GetRow(id);
        if (row == nullptr)
            continue;
        m_PageCount = std::max(m_PageCount, row->m_Group);
        if (row->m_Label.empty())
            continue;
        if (!HasThumbnail(row->m_Thumbnail))
            LogPrint(u"リプレイモードサムネイル %s (ID=%d)が見つかりません\n", row->m_Thumbnail.c_str(), id);
        ++m_Total;
        if (perman != nullptr && perman->m_PassedReplayLabels.count(row->m_Label) != 0) {
            SetFlagBit(m_UnlockedFlags[static_cast<std::size_t>(id)], 0);
            ++m_Unlocked;
        }
    }
}

bool SeqRPMode::IsOnPage(std::int32_t id, std::int32_t page) const
{
    const DBRPModeRow* row = GetDBRPMode().GetRow(id);
    return row != nullptr && row->m_Group == page;
}

std::u16string SeqRPMode::GetThumbnail(std::int32_t id) const
{
    const DBRPModeRow* row = GetDBRPMode().GetRow(id);
    return row != nullptr ? row->m_Thumbnail : std::u16string();
}

void SeqRPMode::OnBack()
{
    GxCore* core = GetCore();
    if (core != nullptr && core->m_UserData != nullptr)
        core->m_UserData->m_IsReplayMode = false;
}

void SeqRPMode::OnPlateChosen(std::int32_t id)
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
