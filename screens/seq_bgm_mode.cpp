#include "screens/seq_bgm_mode.h"

#include "avg/game_sound_services.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "motion/image_set_pool.h"
#include "screens/screen_sound.h"
#include "ui/task_ui_base.h"
#include "ui/ui_toggle_button.h"

namespace {

constexpr char16_t kName[] = u"SeqBGMMode";
constexpr char16_t kBackground[] = u"bg_bgmmode.png";
constexpr char16_t kExtrasSet[] = u"ui_extra.gis";
constexpr char16_t kNamesSet[] = u"ui_bgmname.gis";
constexpr char16_t kSelect[] = u"btn_bgmselect";
constexpr char16_t kPlay[] = u"btn_bgmplay";
constexpr char16_t kStop[] = u"btn_bgmstop";
constexpr char16_t kTip[] = u"tip_playing";
constexpr std::int32_t kTrackRows = 60;
constexpr std::int32_t kStepTries = 60;
constexpr std::int32_t kStopFadeMs = 1000;
constexpr std::int32_t kSwitchedOffGroup = 1;
constexpr float kTipOffsetX = -37.0f;

}  // namespace

SeqBGMMode::SeqBGMMode(GxTaskBase* owner) : GxScreenBase(owner, kName, RenderStyle::kOverlay) {}

SeqBGMMode::~SeqBGMMode() = default;

void SeqBGMMode::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    GetBackgroundLayer()->LoadFlexImage(GetConfigFolder(GxSystemConfig::kFolderCGUI) + kBackground, 0);
    const std::u16string sets = GetImageSetFolder();
    GetImageSetPool().AddImageSet(sets + kExtrasSet);
    GetImageSetPool().AddImageSet(sets + kNamesSet);
    StopMusic();
    m_TrackCount = 0;
    DBBGMMode& table = GetDBBGMMode();
    for (std::int32_t id = 1; id < kTrackRows; ++id) {
        const DBBGMModeRow* row = table.GetRow(id);
        if (row == nullptr || row->m_FileName.empty())
            break;
        ++m_TrackCount;
    }
    m_CurrentTrack = 0;
    for (GxTaskBase* child = GetUIFolder()->m_FirstChild; child != nullptr; child = child->m_NextSibling) {
        if (!(child->m_KindFlags & kKindWidget))
            break;
        auto* widget = static_cast<GxTaskUIBase*>(child);
        if (widget->GetGroupID() == kSwitchedOffGroup)
            widget->SetValueBool(false);
    }
    SelectRadio(kStop);
    UpdatePlayingTip();
}

void SeqBGMMode::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    GetBackgroundLayer()->ResetLayer();
    const std::u16string sets = GetImageSetFolder();
    GetImageSetPool().ReleaseImageSet(sets + kExtrasSet);
    GetImageSetPool().ReleaseImageSet(sets + kNamesSet);
}

int SeqBGMMode::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    GxTaskUIBase* back = FindWidget(u"btn_back");
    if (back != nullptr && IsWidgetInputAllowed(back, 0))
        back->ReportEvent(1);
    return 0;
}

void SeqBGMMode::StopMusic()
{
    StopBgm(kStopFadeMs);
}

void SeqBGMMode::SelectRadio(const char16_t* name, std::int32_t index)
{
    if (auto* radio = dynamic_cast<GxTaskUIRadioButtonIs*>(FindWidget(name, index)))
        radio->Select();
}

std::int32_t SeqBGMMode::StepTrack(std::int32_t direction) const
{
    DBBGMMode& table = GetDBBGMMode();
    if (table.GetMaxID() < 1)
        return m_CurrentTrack;
    std::int32_t track = m_CurrentTrack;
    for (std::int32_t tries = 0; tries < kStepTries; ++tries) {
        track += direction;
        if (track < 1)
            track = m_TrackCount;
        else if (track > m_TrackCount)
            track = 1;
        const DBBGMModeRow* row = table.GetRow(track);
        if (row != nullptr && row->m_ButtonIndex > 0)
            break;
    }
    return track;
}

void SeqBGMMode::PlayTrack(std::int32_t track)
{
    // Row 0 is not a track (no track chosen, or a table without tracks).
    const DBBGMModeRow* row = track >= 1 ? GetDBBGMMode().GetRow(track) : nullptr;
    if (row == nullptr)
        return;
    // Loop 0 is endless; no fade in, unlike the title and the galleries. The same path as the
    // record goes on playing.
    const std::u16string path = GetConfigFolder(GxSystemConfig::kFolderBgms) + row->m_FileName;
    PlayBgm(path, 0, 0, row->m_LoopPosTime, 0, true);
}

void SeqBGMMode::UpdatePlayingTip()
{
    GxTaskUIBase* tip = FindWidget(kTip);
    if (tip == nullptr)
        return;
    GxTaskUIBase* stop = FindWidget(kStop);
    GxTaskUIBase* select = FindWidget(kSelect, m_CurrentTrack);
    // Without the current track's button there is nothing to point at.
    if ((stop != nullptr && stop->GetValueBool()) || select == nullptr) {
        tip->Hide();
        return;
    }
    GxVector3 pos = select->GetPos();
    pos.x += kTipOffsetX;
    tip->SetPos(pos);
    tip->Show();
}

int SeqBGMMode::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event)
{
    if (GxSeqBase::OnUIEvent(widget, event) != 0)
        return 0;
    if (widget == nullptr)
        return 0;
    const std::u16string& name = WidgetEventName(*widget);
    if (name == u"btn_back") {
        GetScreenSound().PlaySystemSound(0, widget->GetSystemSoundID());
        const GxSeqWorker* slot = m_Manage != nullptr ? m_Manage->GetWorker(GetWorkerIndex()) : nullptr;
        if (slot != nullptr && slot->m_Previous != nullptr)
            m_Manage->ChangeSequenceByName(slot->m_Previous->GetTaskName(), GetWorkerIndex(), 0);
        ClearUIEvents();
        return 1;
    }
    if (name == kStop) {
        StopMusic();
        UpdatePlayingTip();
        return 1;
    }
    if (name == kPlay) {
        if (m_CurrentTrack < 1 || m_CurrentTrack > m_TrackCount) {
            m_CurrentTrack = 0;
            m_CurrentTrack = StepTrack(1);
            SelectRadio(kSelect, m_CurrentTrack);
        }
        PlayTrack(m_CurrentTrack);
        UpdatePlayingTip();
        return 1;
    }
    if (name == u"btn_bgmprev" || name == u"btn_bgmnext") {
        m_CurrentTrack = StepTrack(name == u"btn_bgmprev" ? -1 : 1);
        SelectRadio(kSelect, m_CurrentTrack);
        PlayTrack(m_CurrentTrack);
        SelectRadio(kPlay);
        UpdatePlayingTip();
        return 1;
    }
    if (name == kSelect) {
        // The index comes from the layout: one outside the table changes nothing.
        const std::int32_t track = widget->GetTaskLocalIndex();
        if (GetDBBGMMode().GetRow(track) == nullptr)
            return 0;
        m_CurrentTrack = track;
        SelectRadio(kSelect, m_CurrentTrack);
        PlayTrack(m_CurrentTrack);
        SelectRadio(kPlay);
        UpdatePlayingTip();
        return 0;
    }
    return 0;
}
