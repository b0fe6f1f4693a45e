#include "avg/seq_avg_log.h"

#include "avg/game_sound_services.h"
#include "avg/module_services.h"
#include "core/core.h"
#include "core/task_folder.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/db_uilayout.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "ui/task_ui_base.h"
#include "ui/text_window.h"
#include "ui/ui_manage.h"

#include <algorithm>

namespace {

constexpr char16_t kRootName[] = u"$ROOT:SeqAvgLog";
constexpr char16_t kUIName[] = u"$UI:SeqAvgLog";
constexpr char16_t kBackgroundName[] = u"$BGLAYER:SeqAvgLog";
constexpr float kBackgroundOrderZ = -10.0f;
constexpr char16_t kBackgroundFile[] = u"bg_avglog.png";
constexpr char16_t kDefaultUIFolder[] = u"cg/ui/";
// The play screen's message window holds its skip and auto buttons.
constexpr char16_t kPlayScreenMessageWindow[] = u"$MESWIN:SeqAvgMain";
constexpr std::int32_t kWheelNotch = 120;
constexpr std::int32_t kPageJump = 4;

}  // namespace

SeqAvgLog::SeqAvgLog(GxTaskBase* owner) : GxSeqTransitBase(owner, kName)
{
    auto* root = new GxTaskFolder(this, kRootName, nullptr, 0);
    m_UIFolder = new GxTaskFolder(root, kUIName, nullptr, 0);
    DBUILayout::CreateWidgets(nullptr, m_UIFolder->GetTaskName().c_str(), m_UIFolder, this);
    m_BackgroundLayer = new GxTaskLayer(root, kBackgroundName);
    m_BackgroundLayer->SetOrderZ(kBackgroundOrderZ);
    m_AcceptUIEventFlag = true;
}

SeqAvgLog::~SeqAvgLog() = default;

GxCore* SeqAvgLog::Core() const
{
    return m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
}

std::int32_t SeqAvgLog::GetRowsPerPage() const
{
    const GxCore* core = Core();
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    const std::int32_t rows = config != nullptr ? config->m_BackLogPageSize : kDefaultRowsPerPage;
    return std::clamp(rows, 0, kMaxRowsPerPage);
}

std::int32_t SeqAvgLog::GetLogCount() const
{
    const GxCore* core = Core();
    const GxUserData* data = core != nullptr ? core->m_UserData : nullptr;
    return data != nullptr ? static_cast<std::int32_t>(std::min<std::size_t>(data->m_MessageLog.size(), INT32_MAX))
                           : 0;
}

std::int32_t SeqAvgLog::GetLastTopRow() const
{
    return std::max(0, GetLogCount() - GetRowsPerPage());
}

const GxMessageLogElement* SeqAvgLog::GetEntry(std::int32_t index) const
{
    const GxCore* core = Core();
    const GxUserData* data = core != nullptr ? core->m_UserData : nullptr;
    if (data == nullptr || index < 0 || static_cast<std::size_t>(index) >= data->m_MessageLog.size())
        return nullptr;
    return &data->m_MessageLog[static_cast<std::size_t>(index)];
}

GxTaskUIBase* SeqAvgLog::FindWidget(const char16_t* localName, std::int32_t index) const
{
    GxTaskBase* task = m_UIFolder != nullptr ? m_UIFolder->FindTaskLocal(localName, index) : nullptr;
    return task != nullptr && (task->m_KindFlags & kKindWidget) ? static_cast<GxTaskUIBase*>(task) : nullptr;
}

void SeqAvgLog::OnSequenceEnter(std::int32_t worker)
{
    GxSeqTransitBase::OnSequenceEnter(worker);
    m_TopRow = GetLastTopRow();
    RefreshLogPage();

    GxCore* core = Core();
    if (GxUIManage* ui = core != nullptr ? core->m_UIManage : nullptr) {
        GxTaskBase* messageWindow = m_Manage->FindTask(kPlayScreenMessageWindow);
        if (ui->m_SkipMode)
            ui->EndSkipMode(messageWindow);
        if (ui->m_AutoMode)
            ui->EndAutoMode(messageWindow);
    }

    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    const std::u16string folder = config != nullptr ? config->m_Folders[GxSystemConfig::kFolderCGUI] : kDefaultUIFolder;
    if (m_BackgroundLayer != nullptr)
        m_BackgroundLayer->LoadFlexImage(folder + kBackgroundFile, 0);
}

void SeqAvgLog::OnSequenceLeave(std::int32_t worker)
{
    GxSeqTransitBase::OnSequenceLeave(worker);
    if (m_BackgroundLayer != nullptr)
        m_BackgroundLayer->ResetLayer();
}

void SeqAvgLog::RefreshLogPage()
{
    const std::int32_t rows = GetRowsPerPage();
    for (std::int32_t i = 0; i < rows; ++i) {
        auto* window = dynamic_cast<GxTaskUITextWindowFx*>(FindWidget(u"tip_logwindow", i));
        GxTaskUIBase* voiceButton = FindWidget(u"btn_voiceplay", i);
        if (window != nullptr)
            window->ClearText();
        const GxMessageLogElement* entry =
            static_cast<std::int64_t>(m_TopRow) + i <= INT32_MAX ? GetEntry(m_TopRow + i) : nullptr;
        if (entry == nullptr) {
            if (voiceButton != nullptr)
                voiceButton->Hide();
            continue;
        }
        // "%r" is the text window's line break.
        const std::u16string text =
            entry->m_Name.empty() ? entry->m_Message : u"【" + entry->m_Name + u"】%r" + entry->m_Message;
        if (window != nullptr)
            window->SetText(text.c_str(), entry->m_DisenableAutoNewline, entry->m_ShowNameByText);
        if (voiceButton == nullptr)
            continue;
        const bool hasVoice = std::any_of(std::begin(entry->m_VoiceFileName), std::end(entry->m_VoiceFileName),
                                          [](const std::u16string& file) { return !file.empty(); });
        if (hasVoice)
            voiceButton->Show();
        else
            voiceButton->Hide();
    }
}

void SeqAvgLog::MoveTopRow(std::int32_t rows)
{
    const std::int32_t last = GetLastTopRow();
    if (rows < 0 && m_TopRow > 0)
        m_TopRow = std::max(0, m_TopRow + rows);
    else if (rows > 0 && m_TopRow < last)
        m_TopRow = std::min(last, m_TopRow + rows);
    else
        return;
    RefreshLogPage();
}

void SeqAvgLog::PressBack(const GxVector2* point)
{
    GxTaskUIBase* back = FindWidget(u"btn_back", 0);
    if (back == nullptr || !IsWidgetInputAllowed(back, 0))
        return;
    GxUIEventParam param;
    UINotifyParam::Init(&param, back, kUIEventClick, 0);
    if (point != nullptr) {
        param.m_Vector[0].x = point->x;
        param.m_Vector[0].y = point->y;
    }
    back->DispatchEvent(param);
}

int SeqAvgLog::OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t)
{
    const std::int32_t notches = delta / kWheelNotch;
    if (notches > 0) {
        MoveTopRow(-1);
    } else if (notches < 0) {
        if (m_TopRow < GetLastTopRow())
            MoveTopRow(1);
        else
            PressBack(point);
    }
    return 0;
}

int SeqAvgLog::OnMouseRightDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    PressBack(point);
    return 0;
}

void SeqAvgLog::PlayLogVoice(std::int32_t charID, std::int32_t slot, const std::u16string& file)
{
    PlayBacklogVoice(charID, slot, file);
}

void SeqAvgLog::ReplayVoices(std::int32_t row)
{
    if (row < 0 || static_cast<std::int64_t>(m_TopRow) + row > INT32_MAX)
        return;
    const GxMessageLogElement* entry = GetEntry(m_TopRow + row);
    if (entry == nullptr)
        return;
    for (std::int32_t slot = 0; slot < GxMessageLogElement::kVoiceSlots; ++slot) {
        if (!entry->m_VoiceFileName[slot].empty())
            PlayLogVoice(entry->m_VoiceCharID[slot], slot, entry->m_VoiceFileName[slot]);
    }
}

int SeqAvgLog::OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event)
{
    const int handled = GxSeqTransitBase::OnUIEvent(sender, event);
    if (handled != 0)
        return handled;
    if (sender == nullptr)
        return 0;
    if (sender->m_KindFlags & kKindPushButton)
        PlaySystemSound(0, sender->GetSystemSoundID());   // the press sound, with the widget's voice

    const std::u16string& name = sender->GetTaskLocalName();
    if (name == u"btn_b") {
        MoveTopRow(-1);
    } else if (name == u"btn_bb") {
        MoveTopRow(-kPageJump);
    } else if (name == u"btn_f") {
        MoveTopRow(1);
    } else if (name == u"btn_ff") {
        MoveTopRow(kPageJump);
    } else if (name == u"btn_voiceplay") {
        ReplayVoices(sender->GetTaskLocalIndex());
    } else if (name == u"btn_back") {
        const GxSeqWorker* slot = m_Manage != nullptr ? m_Manage->GetWorker(GetWorkerIndex()) : nullptr;
        if (slot != nullptr && !slot->m_PreviousName.empty())
            m_Manage->ChangeSequenceByName(slot->m_PreviousName, GetWorkerIndex(), 0);
        ClearUIEvents();
        return 1;
    }
    return 0;
}
