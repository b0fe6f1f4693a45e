#include "screens/seq_config.h"

#include "avg/key_bindings.h"
#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/system_dialog_host.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/play_screen_widgets.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "graphics/graphics.h"
#include "motion/image_set_pool.h"
#include "screens/screen_sound.h"
#include "screens/seq_system.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

namespace {

constexpr char16_t kScreenName[] = u"SeqConfig";
constexpr char16_t kConfigImageSet[] = u"ui_config.gis";
constexpr char16_t kFaceImageSet[] = u"ui_facepanel.gis";
constexpr std::int32_t kWindowedRow = 0;
constexpr std::int32_t kFullScreenRow = 2;
constexpr std::int32_t kButtonSetYesNo = 3;
constexpr std::int32_t kButtonSetOK = 1;
// The game page's number for the modules' page hooks.
constexpr std::int32_t kModulesGamePage = 3;
constexpr std::int32_t kFirstSystemSwitch = 2;
constexpr std::int32_t kEngineButtonIndex = 4;
constexpr std::int32_t kWheelNotch = 120;

constexpr char16_t kTagReturnTitle[] = u"SeqConfig_RETURNTITLE";
constexpr char16_t kTagInit[] = u"SeqConfig_INITCONF";
constexpr char16_t kTagReboot[] = u"SeqConfig_WARNREBOOT";

const char16_t* const kPageFolders[SeqConfig::kPageCount] = {
    u"$UI_SYSTEM:SeqConfig", u"$UI_SOUND:SeqConfig", u"$UI_VOICE:SeqConfig", u"$UI_GAME:SeqConfig"};
const char16_t* const kTabs[SeqConfig::kPageCount] = {u"btn_tabconf_system", u"btn_tabconf_sound",
                                                       u"btn_tabconf_voice", u"btn_tabconf_game"};
const char16_t* const kBackgrounds[SeqConfig::kPageCount] = {u"bg_config_system.png", u"bg_config_sound.png",
                                                              u"bg_config_voice.png", u"bg_config_game.png"};

void SetInt(GxTaskUIBase* widget, std::int32_t value)
{
    if (widget != nullptr)
        widget->SetValueInt(value);
}

void SetBool(GxTaskUIBase* widget, bool value)
{
    if (widget != nullptr)
        widget->SetValueBool(value);
}

void StoreInt(const GxTaskUIBase* widget, std::int32_t& option)
{
    if (widget != nullptr)
        option = widget->GetValueInt();
}

void StoreBool(const GxTaskUIBase* widget, bool& option)
{
    if (widget != nullptr)
        option = widget->GetValueBool();
}

GxTaskUIBase* AsWidget(GxTaskBase* task)
{
    return task != nullptr && (task->m_KindFlags & kKindWidget) ? static_cast<GxTaskUIBase*>(task) : nullptr;
}

}  // namespace

SeqConfig::SeqConfig(GxTaskBase* owner) : GxScreenBase(owner, kScreenName)
{
    for (int page = 0; page < kPageCount; ++page)
        m_Pages[page] = new GxTaskFolder(GetRootFolder(), kPageFolders[page], nullptr, 0);
    for (GxTaskFolder* folder : m_Pages)
        CreateLayoutWidgets(folder);
}

SeqConfig::~SeqConfig() = default;

GxUserConfig* SeqConfig::Options() const
{
    GxCore* core = GetCore();
    return core != nullptr ? core->m_UserConfig : nullptr;
}

GxTaskUIBase* SeqConfig::FindPageWidget(Page page, const char16_t* name, std::int32_t index) const
{
    GxTaskFolder* folder = page >= 0 && page < kPageCount ? m_Pages[page] : nullptr;
    return folder != nullptr ? AsWidget(folder->FindTaskLocal(name, index)) : nullptr;
}

bool SeqConfig::IsTabOn(Page page) const
{
    const GxTaskUIBase* tab = page >= 0 && page < kPageCount ? FindWidget(kTabs[page]) : nullptr;
    return tab != nullptr && tab->GetValueBool();
}

// ---- entering and leaving ----------------------------------------------------------------------

void SeqConfig::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    GxCore* core = GetCore();
    if (core != nullptr && core->m_UIManage != nullptr && m_Manage != nullptr) {
        GxTaskBase* messageWindow = m_Manage->FindTask(u"$MESWIN:SeqAvgMain");
        if (core->m_UIManage->m_SkipMode)
            core->m_UIManage->EndSkipMode(messageWindow);
        if (core->m_UIManage->m_AutoMode)
            core->m_UIManage->EndAutoMode(messageWindow);
    }
    const std::u16string folder = GetImageSetFolder();
    GetImageSetPool().AddImageSet(folder + kConfigImageSet);
    GetImageSetPool().AddImageSet(folder + kFaceImageSet);
    GetScreenSound().StopVoiceChannels(kConfigVoiceStopFadeMs);
    SelectPage();
    BuildVoiceList();
    FillPages();
    if (auto* system = SystemLayer())
        system->m_NoticeHold = true;
}

void SeqConfig::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (auto* system = SystemLayer())
        system->m_NoticeHold = false;
    StoreSwitches();
    StoreSoundPage();
    StoreVoicePage();
    GetScreenSound().StopConfigSamples();
    if (GetBackgroundLayer() != nullptr)
        GetBackgroundLayer()->ResetLayer();
    const std::u16string folder = GetImageSetFolder();
    GetImageSetPool().ReleaseImageSet(folder + kConfigImageSet);
    GetImageSetPool().ReleaseImageSet(folder + kFaceImageSet);
}

void SeqConfig::SelectPage()
{
    for (int page = 0; page < kPageCount; ++page) {
        if (!IsTabOn(static_cast<Page>(page)))
            continue;
        const std::u16string folder = GetConfigFolder(GxSystemConfig::kFolderCGUI);
        if (GetBackgroundLayer() != nullptr)
            GetBackgroundLayer()->LoadImageFile(folder + kBackgrounds[page], 0);
        for (int other = 0; other < kPageCount; ++other)
            m_Pages[other]->SetState(other == page ? kTaskActive : kTaskSuspended);
        return;
    }
}

// ---- filling and storing -----------------------------------------------------------------------

void SeqConfig::FillPages()
{
    GxUserConfig* options = Options();
    if (options == nullptr)
        return;
    FillSystemPage(*options);
    FillSoundPage(*options);
    FillVoicePage(*options);
    if (GxCore* core = GetCore())
        core->ModulesLoadConfigPage(kModulesGamePage);
}

void SeqConfig::FillScreenModeButtons()
{
    const GxUserConfig* options = Options();
    if (options == nullptr)
        return;
    SetBool(FindPageWidget(kPageSystem, u"btn_window", 1), options->m_ScreenMode == 0);
    SetInt(FindPageWidget(kPageSystem, u"btn_fullscreen", 1), options->m_ScreenMode);
}

void SeqConfig::FillSystemPage(const GxUserConfig& options)
{
    FillScreenModeButtons();
    SetInt(FindPageWidget(kPageSystem, u"hsld_textspeed"), -options.m_TextWaitTime);
    SetInt(FindPageWidget(kPageSystem, u"hsld_autospeed"), -options.m_AutoWaitTime);
    SetInt(FindPageWidget(kPageSystem, u"hsld_winalpha"), -options.m_TextWindowOpacity);
    const bool switches[6] = {options.m_AllowSkipUnreadText,     options.m_FastShowReadedText,
                              options.m_ChangeColorReadedText,   options.m_ChangeColorSelectedMenu,
                              options.m_KeepAutoModeAfterSelect, options.m_KeepSkipModeAfterSelect};
    for (std::int32_t i = 0; i < 6; ++i) {
        SetBool(FindPageWidget(kPageSystem, u"btn_on", kFirstSystemSwitch + i), switches[i]);
        SetBool(FindPageWidget(kPageSystem, u"btn_off", kFirstSystemSwitch + i), !switches[i]);
    }
}

void SeqConfig::FillSoundPage(const GxUserConfig& options)
{
    SetInt(FindPageWidget(kPageSound, u"hsld_vol_master"), options.m_Volume_Master);
    SetInt(FindPageWidget(kPageSound, u"hsld_vol_bgm"), options.m_Volume_BGM);
    SetInt(FindPageWidget(kPageSound, u"hsld_vol_se"), options.m_Volume_Sound);
    SetInt(FindPageWidget(kPageSound, u"hsld_vol_movie"), options.m_Volume_Movie);
    SetInt(FindPageWidget(kPageSound, u"hsld_vol_rest"), options.m_Volume_RestrainBGM);
    SetBool(FindPageWidget(kPageSound, u"btn_nextvoice", 1), options.m_VoiceStopTiming);
    SetBool(FindPageWidget(kPageSound, u"btn_nexttext", 1), !options.m_VoiceStopTiming);
    SetBool(FindPageWidget(kPageSound, u"btn_on", 2), options.m_WaitVoiceEndOnAutoMode);
    SetBool(FindPageWidget(kPageSound, u"btn_off", 2), !options.m_WaitVoiceEndOnAutoMode);
    SetBool(FindPageWidget(kPageSound, u"btn_on", 3), options.m_UseSystemVoice);
    SetBool(FindPageWidget(kPageSound, u"btn_off", 3), !options.m_UseSystemVoice);
    if (FindPageWidget(kPageSound, u"btn_directsound", kEngineButtonIndex) != nullptr) {
        SetBool(FindPageWidget(kPageSound, u"btn_soundauto", kEngineButtonIndex), options.m_SoundEngineMode == 0);
        SetBool(FindPageWidget(kPageSound, u"btn_directsound", kEngineButtonIndex), options.m_SoundEngineMode == 1);
        SetBool(FindPageWidget(kPageSound, u"btn_xaudio2", kEngineButtonIndex), options.m_SoundEngineMode == 2);
    }
}

void SeqConfig::ApplyAllVolumes()
{
    using Volume = GxScreenSoundBase::Volume;
    for (Volume kind : {Volume::kBgm, Volume::kBgv, Volume::kMovie, Volume::kSe, Volume::kVoice, Volume::kSystemVoice,
                        Volume::kExtraVoice})
        GetScreenSound().ApplyVolume(kind);
}

void SeqConfig::StoreSoundPage()
{
    GxUserConfig* options = Options();
    if (options == nullptr)
        return;
    StoreInt(FindPageWidget(kPageSound, u"hsld_vol_master"), options->m_Volume_Master);
    StoreInt(FindPageWidget(kPageSound, u"hsld_vol_bgm"), options->m_Volume_BGM);
    if (const GxTaskUIBase* se = FindPageWidget(kPageSound, u"hsld_vol_se")) {
        options->m_Volume_Sound = se->GetValueInt();
        options->m_Volume_BGV = se->GetValueInt();
    }
    StoreInt(FindPageWidget(kPageSound, u"hsld_vol_movie"), options->m_Volume_Movie);
    StoreInt(FindPageWidget(kPageSound, u"hsld_vol_rest"), options->m_Volume_RestrainBGM);
    StoreBool(FindPageWidget(kPageSound, u"btn_on", 3), options->m_UseSystemVoice);
    ApplyAllVolumes();
}

void SeqConfig::StoreSwitches()
{
    GxUserConfig* options = Options();
    if (options == nullptr)
        return;
    StoreInt(FindPageWidget(kPageSystem, u"btn_fullscreen", 1), options->m_ScreenMode);
    if (const GxTaskUIBase* text = FindPageWidget(kPageSystem, u"hsld_textspeed")) {
        options->m_TextWaitTime = -text->GetValueInt();
        options->m_TextLongWaitTime = 8 * options->m_TextWaitTime;
    }
    if (const GxTaskUIBase* autoSpeed = FindPageWidget(kPageSystem, u"hsld_autospeed"))
        options->m_AutoWaitTime = -autoSpeed->GetValueInt();
    if (const GxTaskUIBase* alpha = FindPageWidget(kPageSystem, u"hsld_winalpha"))
        options->m_TextWindowOpacity = -alpha->GetValueInt();
    bool* switches[6] = {&options->m_AllowSkipUnreadText,     &options->m_FastShowReadedText,
                         &options->m_ChangeColorReadedText,   &options->m_ChangeColorSelectedMenu,
                         &options->m_KeepAutoModeAfterSelect, &options->m_KeepSkipModeAfterSelect};
    for (std::int32_t i = 0; i < 6; ++i)
        StoreBool(FindPageWidget(kPageSystem, u"btn_on", kFirstSystemSwitch + i), *switches[i]);
    StoreBool(FindPageWidget(kPageSound, u"btn_nextvoice", 1), options->m_VoiceStopTiming);
    StoreBool(FindPageWidget(kPageSound, u"btn_on", 2), options->m_WaitVoiceEndOnAutoMode);
    StoreBool(FindPageWidget(kPageSound, u"btn_on", 3), options->m_UseSystemVoice);
    if (FindPageWidget(kPageSound, u"btn_directsound", kEngineButtonIndex) != nullptr) {
        const GxTaskUIBase* direct = FindPageWidget(kPageSound, u"btn_directsound", kEngineButtonIndex);
        const GxTaskUIBase* xaudio = FindPageWidget(kPageSound, u"btn_xaudio2", kEngineButtonIndex);
        options->m_SoundEngineMode = direct->GetValueBool() ? 1 : (xaudio != nullptr && xaudio->GetValueBool() ? 2 : 0);
    }
    ApplyWindowOpacity(options->m_TextWindowOpacity);
    RecolourChoices();
    if (GxCore* core = GetCore())
        core->ModulesStoreConfigPage(kModulesGamePage);
}

void SeqConfig::ApplyWindowOpacity(std::int32_t opacity)
{
    if (m_Manage == nullptr)
        return;
    for (const char16_t* name : {u"$MESWIN:SeqAvgMain", u"$NAMEWIN:SeqAvgMain"}) {
        if (GxTaskBase* window = m_Manage->FindTask(name))
            GetPlayScreenWidgets().SetImageAlpha(window, opacity);
    }
}

void SeqConfig::RecolourChoices()
{
    GxCore* core = GetCore();
    if (core == nullptr || core->m_UserData == nullptr || core->m_UserConfig == nullptr || m_Manage == nullptr)
        return;
    const GxUserData& data = *core->m_UserData;
    if (!data.m_IsSelecting)
        return;
    auto* select = dynamic_cast<GxTaskFolder*>(m_Manage->FindTask(u"$SELECT:SeqAvgMain"));
    if (select == nullptr)
        return;
    const GxSystemConfig* config = core->m_SystemConfig;
    const std::uint32_t colour0 = config != nullptr ? config->m_SelectTextColor0 : 0xFFFFFFFFu;
    const std::uint32_t colour1 = config != nullptr ? config->m_SelectTextColor1 : colour0;
    const bool markTaken = core->m_UserConfig->m_ChangeColorSelectedMenu;
    const std::int32_t count = static_cast<std::int32_t>(data.m_SelectMenuItemList.size());
    for (std::int32_t i = 1; i < count; ++i) {
        if (!data.m_SelectMenuItemList[static_cast<std::size_t>(i)].m_Visible)
            continue;
        GxTaskBase* button = select->FindTaskLocal(u"btn_select", i);
        if (button == nullptr)
            continue;
        const bool taken =
            markTaken && core->m_UserDataPerman != nullptr && core->m_UserDataPerman->IsMenuSelected(data.m_SelectHash, i);
        GetPlayScreenWidgets().SetTextColor(button, taken ? colour1 : colour0);
    }
}

void SeqConfig::ResetOptions()
{
    GxUserConfig* options = Options();
    if (options == nullptr)
        return;
    const std::int32_t screenMode = options->m_ScreenMode;
    const std::int32_t engineInUse = options->m_SoundEngineModeInUse;
    options->SetDefaults();
    if (GxCore* core = GetCore())
        core->ModulesResetConfig();
    ResetCharacterVoiceFlags(*options);
    options->m_ScreenMode = screenMode;
    options->m_SoundEngineModeInUse = engineInUse;
    FillPages();
    ApplyWindowOpacity(options->m_TextWindowOpacity);
    ApplyAllVolumes();
}

bool SeqConfig::ChangeScreenModeTo(std::int32_t row, std::int32_t mode)
{
    if (!GxGraphics::ChangeScreenMode(row))
        return false;
    if (GxUserConfig* options = Options())
        options->m_ScreenMode = mode;
    return true;
}

void SeqConfig::PlaySample(const char16_t* name, bool systemVoice)
{
    std::u16string path = GetConfigFolder(GxSystemConfig::kFolderSoundsTest) + name;
    if (!ResolveSoundFile(path))
        return;
    if (systemVoice)
        GetScreenSound().PlayConfigSystemVoiceSample(path);
    else
        GetScreenSound().PlayConfigSeSample(path);
}

// ---- events ------------------------------------------------------------------------------------

bool SeqConfig::OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam*)
{
    for (const char16_t* tab : kTabs) {
        if (name == tab) {
            SelectPage();
            return true;
        }
    }
    GxUserConfig* options = Options();
    auto* host = SystemLayer();
    // The tag outlives its dialog: whether one is open is the system layer's answer.
    const bool dialogOpen = host != nullptr && host->IsUserDialogActive();
    const std::u16string tag = GetUserDialogTag();

    if (name == u"btn_window" && options != nullptr && options->m_ScreenMode == 1) {
        if (ChangeScreenModeTo(kWindowedRow, 0))
            return true;
    }
    if (name == u"btn_fullscreen" && options != nullptr && options->m_ScreenMode == 0) {
        if (ChangeScreenModeTo(kFullScreenRow, 1))
            return true;
    }
    if (name == u"btn_title" && !dialogOpen)
        AskUser(kTagReturnTitle, u"タイトル画面に戻りますか？", kButtonSetYesNo);
    if (tag == kTagReturnTitle && host != nullptr) {
        if (name == u"btn_dlguser_yes") {
            host->CloseUserDialog(true);
            ChangeScreen(u"SeqTitle", 0, 6);
            return true;
        }
        if (name == u"btn_dlguser_no")
            host->CloseUserDialog(true);
    }
    const std::int32_t engineInUse = options != nullptr ? options->m_SoundEngineModeInUse : 0;
    if (name == u"btn_init") {
        if (!dialogOpen)
            AskUser(kTagInit,
                    engineInUse != 0 ? u"設定を初期化しますか？|（サウンドエンジンの反映は再起動が必要です）"
                                     : u"設定を初期化しますか？",
                    kButtonSetYesNo);
        return true;
    }
    if (tag == kTagInit && host != nullptr) {
        if (name == u"btn_dlguser_yes") {
            host->CloseUserDialog(true);
            ResetOptions();
        } else if (name == u"btn_dlguser_no") {
            host->CloseUserDialog(true);
        }
    }
    if ((name == u"btn_soundauto" && engineInUse != 0) || (name == u"btn_directsound" && engineInUse != 1) ||
        (name == u"btn_xaudio2" && engineInUse != 2)) {
        if (!dialogOpen)
            AskUser(kTagReboot, u"この変更を反映するには|ゲームの再起動が必要です", kButtonSetOK);
        return true;
    }
    if (tag == kTagReboot && name == u"btn_dlguser_ok" && host != nullptr)
        host->CloseUserDialog(true);
    if (name == u"btn_exit") {
        if (GxSeqBase* system = m_Manage != nullptr ? m_Manage->GetSystemSequence() : nullptr)
            system->OnWindowClose();
        return true;
    }
    if (name == u"btn_back") {
        const GxSeqWorker* slot = m_Manage != nullptr ? m_Manage->GetWorker(GetWorkerIndex()) : nullptr;
        if (slot != nullptr && slot->m_Previous != nullptr)
            m_Manage->ChangeSequenceByName(slot->m_PreviousName, GetWorkerIndex(), 5);
        ClearUIEvents();
        return true;
    }
    if (IsTabOn(kPageSound))
        StoreSoundPage();
    if (IsTabOn(kPageVoice) && (name == u"hsld_vol_voicemaster" || name == u"hsld_vol_systemvoice" ||
                                name == u"hsld_vol_voice" || name == u"btn_systemvoice"))
        StoreVoicePage();
    if (name == u"btn_scrollup_voice" || name == u"btn_scrolldown_voice") {
        ScrollVoicePlates(name == u"btn_scrollup_voice" ? -1 : 1);
        return true;
    }
    if (name == u"btn_test_se") {
        PlaySample(u"test_se", false);
        return true;
    }
    if (name == u"btn_test_systemvoice") {
        PlaySample(u"test_sysvoice", true);
        return true;
    }
    if (name == u"btn_test_voice") {
        PlayVoiceSample(widget);
        return true;
    }
    return false;
}

int SeqConfig::OnUIEventCode16(GxTaskUIBase* widget, const GxUIEventParam*)
{
    if (IsTabOn(kPageSound))
        StoreSoundPage();
    if (IsTabOn(kPageVoice) && widget != nullptr) {
        const std::u16string& name = WidgetEventName(*widget);
        if (name == u"hsld_scroll_voice")
            RefreshVoicePlates();
        else if (name == u"hsld_vol_voicemaster" || name == u"hsld_vol_systemvoice" || name == u"hsld_vol_voice")
            StoreVoicePage();
    }
    return 0;
}

int SeqConfig::OnMouseWheel(const GxVector2*, std::int32_t delta, std::uint32_t)
{
    if (!IsTabOn(kPageVoice))
        return 0;
    const std::int32_t notches = delta / kWheelNotch;
    if (notches > 0)
        ScrollVoicePlates(-1);
    else if (notches < 0)
        ScrollVoicePlates(1);
    return 0;
}

int SeqConfig::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    GxTaskUIBase* back = FindWidget(u"btn_back");
    if (back != nullptr && IsWidgetInputAllowed(back, 0))
        back->ReportEvent(1);
    return 0;
}

int SeqConfig::OnWindowEvent(std::int32_t, std::int32_t)
{
    FillScreenModeButtons();
    return 0;
}

// ---- render ------------------------------------------------------------------------------------

int SeqConfig::Render(std::int32_t step, std::uint64_t elapsed)
{
    if (IsTabOn(kPageVoice)) {
        GxCore* core = GetCore();
        if (GxTaskRenderManage* list = core != nullptr ? core->GetRenderList(kConfigFaceRenderList) : nullptr)
            list->Add(kConfigFaceDrawMode, this, kConfigFaceDepth, kConfigFaceDrawTag);
    }
    return GxScreenBase::Render(step, elapsed);
}

int SeqConfig::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value == kConfigFaceDrawTag) {
        DrawFaces();
        return 0;
    }
    return GxScreenBase::Draw(value, listIndex);
}
