#include "screens/seq_title.h"

#include "avg/game_sound_services.h"
#include "avg/module_services.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "motion/image_set_pool.h"
#include "platform/win32/keyboard.h"
#include "screens/screen_music.h"
#include "screens/screen_sound.h"
#include "screens/seq_system.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "ui/task_ui_base.h"

namespace {

constexpr int kVirtualKeyShift = 0x10;
constexpr std::uint32_t kExtraUnlockedBit = 0x400;
constexpr std::int32_t kTitleCallVoice = 1;
constexpr std::int32_t kReturnFromGameWord = 6;

}  // namespace

SeqTitle::SeqTitle(GxTaskBase* owner) : GxScreenBase(owner, u"SeqTitle") {}

void SeqTitle::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    GxCore* core = GetCore();

    const std::u16string uiFolder = GetConfigFolder(GxSystemConfig::kFolderCGUI);
    if (GxTaskLayer* background = GetBackgroundLayer())
        background->LoadFlexImage(uiFolder + u"bg_title.png", 0);

    m_ImageSetPath = GetImageSetFolder() + u"ui_title.gis";
    if (GetImageSetPool().AddImageSet(m_ImageSetPath) == nullptr)
        m_ImageSetPath.clear();   // nothing taken, nothing to give back

    if (auto* layer = SystemLayer())
        layer->ClearUserNotices();
    if (core != nullptr && core->m_UserData != nullptr)
        ResetAvgState(core->m_UserData, false);
    if (core != nullptr)
        core->ModulesOnBootTitle();
    StartTitleMusic();

    const bool extraUnlocked = core != nullptr && core->m_UserDataPerman != nullptr &&
                               (core->m_UserDataPerman->m_ExtraOption & kExtraUnlockedBit) != 0;
    if (GxTaskUIBase* extra = FindWidget(u"btn_title_extra"))
        extra->SetEnabled(extraUnlocked);

    const GxSeqWorker* slot = m_Manage != nullptr ? m_Manage->GetWorker(worker) : nullptr;
    if (slot != nullptr && (slot->m_PreviousName == u"SeqBoot" || slot->m_PreviousName == u"SeqOpening" ||
                            slot->m_CurrentParam[1] == kReturnFromGameWord))
        GetScreenSound().PlaySystemVoice(kTitleCallVoice);
}

void SeqTitle::StartTitleMusic()
{
    GxCore* core = GetCore();
    const GxSystemConfig* system = core != nullptr ? core->m_SystemConfig : nullptr;
    // Coming back with the title music recorded leaves it playing.
    PlayScreenMusic(core, system != nullptr ? system->m_BgmNameTitle : std::u16string(),
                    system != nullptr ? system->m_BgmLoopTitle : 0);
}

void SeqTitle::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (GxTaskLayer* background = GetBackgroundLayer())
        background->ResetLayer();
    if (!m_ImageSetPath.empty()) {
        GetImageSetPool().ReleaseImageSet(m_ImageSetPath);
        m_ImageSetPath.clear();
    }
}

void SeqTitle::StartNewGame()
{
    GxMoaWorker* main = GetMainWorker();
    if (main == nullptr || !main->ResetAndJump(u"MAIN", nullptr))
        LogPrint(u"スクリプトにラベル MAIN が存在しないため実行できません\n");
    // The play screen copes with a script that did not start.
    ChangeScreen(u"SeqAvgMain", 0, 1);
}

bool SeqTitle::OnWidgetEvent(GxTaskUIBase*, const std::u16string& name, const GxUIEventParam*)
{
    GxCore* core = GetCore();
    if (name == u"btn_title_start") {
        const bool debugMode = core != nullptr && core->GetConfig().m_DebugModeFlag;
        if (debugMode && (GetKeyState(kVirtualKeyShift) & 0x8000) != 0)
            ChangeScreen(u"SeqDebug");
        else
            StartNewGame();
        return true;
    }
    static constexpr struct {
        const char16_t* button;
        const char16_t* screen;
    } kPlainChanges[] = {
        {u"btn_title_load", u"SeqLoad"},     {u"btn_title_visual", u"SeqCGMode"}, {u"btn_title_event", u"SeqRPMode"},
        {u"btn_title_music", u"SeqBGMMode"}, {u"btn_title_config", u"SeqConfig"},
    };
    for (const auto& change : kPlainChanges) {
        if (name == change.button) {
            ChangeScreen(change.screen);
            return true;
        }
    }
    if (name == u"btn_title_extra") {
        const GxSystemConfig* system = core != nullptr ? core->m_SystemConfig : nullptr;
        AvgStartScriptAtLabel(GetWorkerIndex(), system != nullptr ? system->m_LabelNameExtra : std::u16string());
        return true;
    }
    if (name == u"btn_title_exit") {
        if (GxSeqBase* layer = m_Manage != nullptr ? m_Manage->GetSystemSequence() : nullptr)
            layer->OnWindowClose();
        return true;
    }
    return false;
}
