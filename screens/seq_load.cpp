#include "screens/seq_load.h"

#include "core/core.h"
#include "data/user_data.h"
#include "foundation/log.h"
#include "media/audio_channels.h"
#include "media/sound_channels.h"
#include "avg/game_sound_services.h"
#include "screens/screen_sound.h"
#include "screens/seq_system.h"
#include "ui/task_ui_base.h"

namespace {

constexpr const char16_t* kLoadQuestionTag = u"SeqLoad_LOADCONFIRM";
constexpr std::uint32_t kSystemVoiceChannel = 15;

}  // namespace

SeqLoad::SeqLoad(GxTaskBase* owner) : SeqFileBase(owner, u"SeqLoad", true) {}

int SeqLoad::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event)
{
    if (GxSeqBase::OnUIEvent(widget, event) != 0)
        return 0;
    if (widget == nullptr)
        return 0;
    const std::u16string& name = WidgetEventName(*widget);
    SeqSystem* system = SystemLayer();
    if (system != nullptr && system->GetUserDialogTag() == kLoadQuestionTag) {
        if (name == u"btn_dlguser_yes") {
            system->CloseUserDialog(false);
            // A slot that did not read leaves the player here rather than resuming whatever the
            // reset game data names.
            if (!LoadGameFromSlot(m_SelectedSlot))
                return 1;
            GxCore* core = GetCore();
            if (core != nullptr)
                core->ChangeSequenceByName();
            GetScreenSound().PlaySystemSound(3, widget->GetSystemSoundID());
            if (core != nullptr)
                core->m_FrameTimer.ResetFrameTimer();
            return 1;
        }
        if (name == u"btn_dlguser_no")
            system->CloseUserDialog(true);
    }
    PlayButtonSound(widget);
    if (HandlePageOrPlate(widget, name, u"ロードしますか？", kLoadQuestionTag))
        return 1;
    if (name == u"btn_back") {
        GoBack(4);
        return 1;
    }
    return 0;
}

bool SeqLoad::LoadGameFromSlot(std::int32_t slot)
{
    if (slot < 1 || slot > kFilePageCount * kFilePlateCount) {
        LogPrint(u"SeqLoad::LoadGameFromSlot/no such slot (%d)\n", slot);
        return false;
    }
    GxCore* core = GetCore();
    GxUserData* data = core != nullptr ? core->m_UserData : nullptr;
    ResetAvgState(data, true);
    if (core != nullptr)
        core->ModulesBeforeLoadGame();
    const bool loaded = data != nullptr && LoadGameData(data, SaveFolder() + GameDataFileName(slot), true);
    if (UsesXAudio2Sound())
        AudioStreamStop(kSystemVoiceChannel, 0);
    else
        SoundStreamStop(kSystemVoiceChannel, 0);
    return loaded;
}
