// [Screens] the options screen: its pages and controls, filling and storing the player options,
// the live volumes, the screen-mode buttons, its questions, the reset, leaving, the samples, and
// the voice page's list, scrolling, storing, sample and faces.
#include "screens/seq_config.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/data_tables.h"
#include "data/db_voicevolume.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "data/db_uimodule.h"
#include "graphics/graphics.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/ui/ui_image_set_fixture.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"
#include "ui/ui_slider.h"
#include "ui/ui_text_button.h"
#include "ui/widget_factory.h"
#include "ui/ui_toggle_button.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace screens_test {
namespace {

// Also records the configuration screen's calls.
class ConfigSound : public RecordingScreenSound {
public:
    void ApplyVolume(Volume kind) override
    {
        static const char* const kNames[] = {"bgm", "bgv", "movie", "se", "voice", "sysvoice", "extravoice"};
        m_Calls.push_back(std::string("apply ") + kNames[static_cast<int>(kind)]);
    }
    bool StopVoiceChannels(std::int32_t fadeMs) override
    {
        m_Calls.push_back("stop voices " + std::to_string(fadeMs));
        return true;
    }
    bool StopConfigSamples() override
    {
        m_Calls.push_back("stop samples");
        return true;
    }
    bool PlayConfigSeSample(const std::u16string& file) override { return Play("se", file, -1); }
    bool PlayConfigSystemVoiceSample(const std::u16string& file) override { return Play("sysvoice", file, -1); }
    bool PlayConfigVoiceSample(const std::u16string& file, std::int32_t slot) override
    {
        return Play("voice", file, slot);
    }

    std::vector<std::string> Played() const
    {
        std::vector<std::string> played;
        for (const std::string& call : m_Calls)
            if (call.rfind("play ", 0) == 0)
                played.push_back(call);
        return played;
    }

private:
    bool Play(const char* kind, const std::u16string& file, std::int32_t slot)
    {
        std::string name;
        for (char16_t c : file)
            name.push_back(static_cast<char>(c));
        m_Calls.push_back(std::string("play ") + kind + " " + name + (slot >= 0 ? " " + std::to_string(slot) : ""));
        return true;
    }
};

ModuleRow Module(const char16_t* name, std::int32_t type)
{
    ModuleRow row;
    row.type = type;
    row.name = name;
    row.w = 40;
    row.h = 20;
    return row;
}

std::vector<ModuleRow> ConfigModules()
{
    return {Module(u"cfg_plate", 8), Module(u"cfg_button", 18), Module(u"cfg_toggle", 19),
            Module(u"cfg_hslider", 30), Module(u"cfg_vslider", 31)};
}

LayoutRow Row(const char16_t* parent, const char16_t* module, const char16_t* name, std::int32_t index = 0,
              std::int32_t min = 0, std::int32_t max = 100)
{
    LayoutRow row;
    row.parentName = parent;
    row.moduleName = module;
    row.taskName = name;
    row.taskIndex = index;
    row.min = min;
    row.max = max;
    return row;
}

std::vector<LayoutRow> ConfigLayout(bool engineButtons = true)
{
    const char16_t* top = u"$UI:SeqConfig";
    const char16_t* sys = u"$UI_SYSTEM:SeqConfig";
    const char16_t* snd = u"$UI_SOUND:SeqConfig";
    const char16_t* voi = u"$UI_VOICE:SeqConfig";
    std::vector<LayoutRow> rows;
    for (const char16_t* tab : {u"btn_tabconf_system", u"btn_tabconf_sound", u"btn_tabconf_voice", u"btn_tabconf_game"})
        rows.push_back(Row(top, u"cfg_toggle", tab));
    for (const char16_t* button : {u"btn_back", u"btn_title", u"btn_init", u"btn_exit"})
        rows.push_back(Row(top, u"cfg_button", button));
    rows.push_back(Row(sys, u"cfg_toggle", u"btn_window", 1));
    rows.push_back(Row(sys, u"cfg_toggle", u"btn_fullscreen", 1));
    rows.push_back(Row(sys, u"cfg_hslider", u"hsld_textspeed", 0, -100, 0));
    rows.push_back(Row(sys, u"cfg_hslider", u"hsld_autospeed", 0, -5000, 0));
    rows.push_back(Row(sys, u"cfg_hslider", u"hsld_winalpha", 0, -255, 0));
    for (std::int32_t i = 2; i <= 7; ++i) {
        rows.push_back(Row(sys, u"cfg_toggle", u"btn_on", i));
        rows.push_back(Row(sys, u"cfg_toggle", u"btn_off", i));
    }
    for (const char16_t* slider : {u"hsld_vol_master", u"hsld_vol_bgm", u"hsld_vol_se", u"hsld_vol_movie", u"hsld_vol_rest"})
        rows.push_back(Row(snd, u"cfg_hslider", slider));
    rows.push_back(Row(snd, u"cfg_toggle", u"btn_nextvoice", 1));
    rows.push_back(Row(snd, u"cfg_toggle", u"btn_nexttext", 1));
    for (std::int32_t i = 2; i <= 3; ++i) {
        rows.push_back(Row(snd, u"cfg_toggle", u"btn_on", i));
        rows.push_back(Row(snd, u"cfg_toggle", u"btn_off", i));
    }
    if (engineButtons) {
        for (const char16_t* engine : {u"btn_soundauto", u"btn_directsound", u"btn_xaudio2"})
            rows.push_back(Row(snd, u"cfg_toggle", engine, 4));
    }
    rows.push_back(Row(snd, u"cfg_button", u"btn_test_se"));
    rows.push_back(Row(snd, u"cfg_button", u"btn_test_systemvoice"));
    rows.push_back(Row(voi, u"cfg_hslider", u"hsld_vol_voicemaster"));
    rows.push_back(Row(voi, u"cfg_hslider", u"hsld_vol_systemvoice"));
    rows.push_back(Row(voi, u"cfg_vslider", u"hsld_scroll_voice", 0, 0, 0));
    rows.push_back(Row(voi, u"cfg_button", u"btn_scrollup_voice"));
    rows.push_back(Row(voi, u"cfg_button", u"btn_scrolldown_voice"));
    for (std::int32_t i = 0; i < kVoicePlateCount; ++i) {
        LayoutRow plate = Row(voi, u"cfg_plate", u"tip_voiceplate", i);
        plate.left = 100.0f + 200.0f * static_cast<float>(i % 2);
        plate.top = 50.0f + 100.0f * static_cast<float>(i / 2);
        rows.push_back(plate);
        rows.push_back(Row(voi, u"cfg_hslider", u"hsld_vol_voice", i));
        rows.push_back(Row(voi, u"cfg_button", u"btn_test_voice", i));
        rows.push_back(Row(voi, u"cfg_toggle", u"btn_systemvoice", i));
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

// Voice-volume rows: ID, visible, order, face, sample, system voice exists.
struct VoiceRow {
    std::int32_t id, visible, order;
    const char16_t* face;
    const char16_t* sample;
    std::int32_t systemVoice;
};

void LoadVoiceRows(const std::vector<VoiceRow>& rows)
{
    GetDBVoiceVolume() = DBVoiceVolume();
    std::vector<std::u16string> lines;
    for (const VoiceRow& r : rows)
        lines.push_back(std::u16string(u"") + char16_t(u'0' + r.id / 10) + char16_t(u'0' + r.id % 10) + u"\t" +
                        char16_t(u'0' + r.visible) + u"\t" + char16_t(u'0' + r.order) + u"\t" + r.face + u"\t" +
                        r.sample + u"\t" + char16_t(u'0' + r.systemVoice) + u"\t" + char16_t(u'0' + r.systemVoice));
    ASSERT_TRUE(GetDBVoiceVolume().LoadTableLines(lines));
}

std::vector<VoiceRow> SevenVoices()
{
    return {{0, 1, 5, u"Face0.png", u"v0", 1}, {1, 1, 1, u"face1.png", u"v1", 1}, {2, 1, 1, u"face2.png", u"", 0},
            {3, 0, 0, u"face3.png", u"v3", 1}, {4, 1, 9, u"face4.png", u"v4", 1}, {5, 1, 2, u"face5.png", u"v5", 0},
            {6, 1, 3, u"face6.png", u"v6", 1}, {7, 1, 7, u"face7.png", u"v7", 1}};
}

class ConfigScreen : public ::testing::Test {
protected:
    explicit ConfigScreen(bool engineButtons = true) : m_H({}, ConfigModules(), ConfigLayout(engineButtons)) {}

    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_Previous = SetScreenSound(&m_Sound);
        LoadVoiceRows({});
        m_System = m_H.MakeSystem();
        m_Title = new GxSeqBase(m_H.m_UI.Root(), u"SeqTitle");
        m_Screen = new SeqConfig(m_H.m_UI.Root());
    }
    void TearDown() override
    {
        SetScreenSound(m_Previous);
        GetDBVoiceVolume() = DBVoiceVolume();
    }

    GxUserConfig& Options() { return m_H.m_UI.Config().m_User; }
    GxTaskManage& Manage() { return m_H.m_UI.Manage(); }
    // The title in slot 0, then this screen over it (as the title's button does).
    void Enter(SeqConfig::Page tab = SeqConfig::kPageSystem)
    {
        if (Manage().GetWorker(0)->m_Current != m_Title) {
            ASSERT_TRUE(Manage().ChangeSequence(m_Title, 0, 0, 0));
            Manage().ApplySequenceChanges();
            Manage().SetWorkerReady(0);
        }
        Tab(tab);
        ASSERT_TRUE(Manage().ChangeSequence(m_Screen, 0, 0, 0));
        Manage().ApplySequenceChanges();
        Manage().SetWorkerReady(0);
        ASSERT_EQ(Manage().GetWorker(0)->m_Current, m_Screen);
    }
    void Leave()
    {
        ASSERT_TRUE(Manage().ChangeSequence(m_Title, 0, 0, 0));
        Manage().ApplySequenceChanges();
        Manage().SetWorkerReady(0);
    }
    void Tab(SeqConfig::Page tab)
    {
        const char16_t* tabs[] = {u"btn_tabconf_system", u"btn_tabconf_sound", u"btn_tabconf_voice",
                                  u"btn_tabconf_game"};
        for (int page = 0; page < SeqConfig::kPageCount; ++page)
            m_Screen->FindWidget(tabs[page])->SetValueBool(page == tab);
    }
    GxTaskUIBase* W(SeqConfig::Page page, const char16_t* name, std::int32_t index = 0)
    {
        return m_Screen->FindPageWidget(page, name, index);
    }
    // A widget event through the screen's queue and update.
    void Press(GxTaskUIBase* widget, std::int32_t code = 1)
    {
        ASSERT_NE(widget, nullptr);
        widget->ReportEvent(code);
        m_Screen->Update(0, 0);
    }
    std::int32_t ScrollValue() { return W(SeqConfig::kPageVoice, u"hsld_scroll_voice")->GetValueInt(); }

    ScreenHarness m_H;
    ConfigSound m_Sound;
    SeqSystem* m_System = nullptr;
    GxSeqBase* m_Title = nullptr;
    SeqConfig* m_Screen = nullptr;

private:
    GxScreenSoundBase* m_Previous = nullptr;
};

TEST_F(ConfigScreen, BuildsTheFivePageFoldersAndTellsSharedNamesApartByIndex)
{
    EXPECT_EQ(m_Screen->GetMaxScrollRow(), -1);
    for (const char16_t* name : {u"$UI:SeqConfig", u"$UI_SYSTEM:SeqConfig", u"$UI_SOUND:SeqConfig",
                                 u"$UI_VOICE:SeqConfig", u"$UI_GAME:SeqConfig"}) {
        GxTaskBase* folder = Manage().FindTask(name);
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->GetParent(), m_Screen->GetRootFolder());
    }
    ASSERT_NE(m_Screen->FindWidget(u"btn_back"), nullptr);
    std::vector<GxTaskUIBase*> seen;
    for (std::int32_t i = 2; i <= 7; ++i)
        seen.push_back(W(SeqConfig::kPageSystem, u"btn_on", i));
    for (std::int32_t i = 2; i <= 3; ++i)
        seen.push_back(W(SeqConfig::kPageSound, u"btn_on", i));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        ASSERT_NE(seen[i], nullptr) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(seen[i], seen[j]);
    }
    EXPECT_EQ(W(SeqConfig::kPageSystem, u"hsld_textspeed")->GetMin(), -100.0);
}

TEST_F(ConfigScreen, EnteringEndsTheModesStopsVoicesSelectsThePageAndHoldsNotices)
{
    m_H.m_UI.UI().m_SkipMode = true;
    m_H.m_UI.UI().m_AutoMode = true;
    Enter(SeqConfig::kPageSound);
    EXPECT_FALSE(m_H.m_UI.UI().m_SkipMode);
    EXPECT_FALSE(m_H.m_UI.UI().m_AutoMode);
    EXPECT_TRUE(m_System->m_NoticeHold);
    ASSERT_FALSE(m_Sound.m_Calls.empty());
    EXPECT_EQ(m_Sound.m_Calls.front(), "stop voices 500");
    for (int page = 0; page < SeqConfig::kPageCount; ++page)
        EXPECT_EQ(m_Screen->GetPageFolder(static_cast<SeqConfig::Page>(page))->GetState(),
                  page == SeqConfig::kPageSound ? kTaskActive : kTaskSuspended)
            << page;

    // A tab event selects its page; with no tab on nothing changes.
    Tab(SeqConfig::kPageVoice);
    Press(m_Screen->FindWidget(u"btn_tabconf_voice"));
    EXPECT_EQ(m_Screen->GetPageFolder(SeqConfig::kPageVoice)->GetState(), kTaskActive);
    EXPECT_EQ(m_Screen->GetPageFolder(SeqConfig::kPageSound)->GetState(), kTaskSuspended);
    Tab(static_cast<SeqConfig::Page>(-1));   // every tab off
    Press(m_Screen->FindWidget(u"btn_tabconf_system"));
    EXPECT_EQ(m_Screen->GetPageFolder(SeqConfig::kPageVoice)->GetState(), kTaskActive);

    Leave();
    EXPECT_FALSE(m_System->m_NoticeHold);
}

TEST_F(ConfigScreen, FillsThePagesFromTheOptionsAndStoresThemOnLeaving)
{
    GxUserConfig& o = Options();
    o.m_TextWaitTime = 40;
    o.m_AutoWaitTime = 2000;
    o.m_TextWindowOpacity = 200;
    o.m_FastShowReadedText = true;
    o.m_KeepSkipModeAfterSelect = false;
    o.m_Volume_Sound = 70;
    o.m_VoiceStopTiming = true;
    o.m_SoundEngineMode = 2;
    Enter();
    using P = SeqConfig;
    EXPECT_EQ(W(P::kPageSystem, u"hsld_textspeed")->GetValueInt(), -40);
    EXPECT_EQ(W(P::kPageSystem, u"hsld_autospeed")->GetValueInt(), -2000);
    EXPECT_EQ(W(P::kPageSystem, u"hsld_winalpha")->GetValueInt(), -200);
    EXPECT_TRUE(W(P::kPageSystem, u"btn_on", 3)->GetValueBool());
    EXPECT_FALSE(W(P::kPageSystem, u"btn_off", 3)->GetValueBool());
    EXPECT_TRUE(W(P::kPageSystem, u"btn_off", 7)->GetValueBool());
    EXPECT_EQ(W(P::kPageSound, u"hsld_vol_se")->GetValueInt(), 70);
    EXPECT_TRUE(W(P::kPageSound, u"btn_nextvoice", 1)->GetValueBool());
    EXPECT_FALSE(W(P::kPageSound, u"btn_nexttext", 1)->GetValueBool());
    EXPECT_TRUE(W(P::kPageSound, u"btn_xaudio2", 4)->GetValueBool());
    EXPECT_FALSE(W(P::kPageSound, u"btn_soundauto", 4)->GetValueBool());

    // The controls changed, then the screen left.
    struct Case {
        P::Page page;
        const char16_t* name;
        std::int32_t index;
        double value;
    };
    const Case cases[] = {
        {P::kPageSystem, u"hsld_textspeed", 0, -60},  {P::kPageSystem, u"hsld_autospeed", 0, -1500},
        {P::kPageSystem, u"hsld_winalpha", 0, -128},  {P::kPageSystem, u"btn_on", 2, 1},
        {P::kPageSystem, u"btn_on", 3, 0},            {P::kPageSystem, u"btn_on", 7, 1},
        {P::kPageSound, u"hsld_vol_se", 0, 35},       {P::kPageSound, u"hsld_vol_bgm", 0, 45},
        {P::kPageSound, u"btn_nextvoice", 1, 0},      {P::kPageSound, u"btn_on", 3, 1},
        {P::kPageSound, u"btn_xaudio2", 4, 0},        {P::kPageSound, u"btn_directsound", 4, 1},
    };
    for (const Case& c : cases)
        W(c.page, c.name, c.index)->SetValue(c.value);
    // Changing the system page's switches does nothing before leaving.
    EXPECT_FALSE(o.m_AllowSkipUnreadText);
    Leave();
    EXPECT_EQ(o.m_TextWaitTime, 60);
    EXPECT_EQ(o.m_TextLongWaitTime, 480);
    EXPECT_EQ(o.m_AutoWaitTime, 1500);
    EXPECT_EQ(o.m_TextWindowOpacity, 128);
    EXPECT_TRUE(o.m_AllowSkipUnreadText);
    EXPECT_FALSE(o.m_FastShowReadedText);
    EXPECT_TRUE(o.m_KeepSkipModeAfterSelect);
    EXPECT_EQ(o.m_Volume_Sound, 35);
    EXPECT_EQ(o.m_Volume_BGV, 35);
    EXPECT_EQ(o.m_Volume_BGM, 45);
    EXPECT_FALSE(o.m_VoiceStopTiming);
    EXPECT_TRUE(o.m_UseSystemVoice);
    EXPECT_EQ(o.m_SoundEngineMode, 1);

    // Leaving: sound page volumes, then the voice page's, then the samples stopped, in that order.
    const std::vector<std::string> tail(m_Sound.m_Calls.end() - 11, m_Sound.m_Calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"apply bgm", "apply bgv", "apply movie", "apply se", "apply voice",
                                              "apply sysvoice", "apply extravoice", "apply voice", "apply sysvoice",
                                              "apply extravoice", "stop samples"}));
    EXPECT_FALSE(std::filesystem::exists(m_H.m_UI.Folder() / "save" / "userconf.dat"));
}

class ConfigScreenWithoutEngines : public ConfigScreen {
protected:
    ConfigScreenWithoutEngines() : ConfigScreen(false) {}
};

TEST_F(ConfigScreenWithoutEngines, TheEngineChoiceIsNeitherFilledNorStored)
{
    Options().m_SoundEngineMode = 2;
    Enter(SeqConfig::kPageSound);
    Leave();
    EXPECT_EQ(Options().m_SoundEngineMode, 2);
}

TEST_F(ConfigScreen, SoundPageEventsStoreAndReapplyTheVolumesAtOnce)
{
    Enter(SeqConfig::kPageSound);
    m_Sound.m_Calls.clear();
    W(SeqConfig::kPageSound, u"hsld_vol_se")->SetValue(20);
    Press(W(SeqConfig::kPageSound, u"hsld_vol_se"), kUIEventValueChanged);
    EXPECT_EQ(Options().m_Volume_Sound, 20);
    EXPECT_EQ(Options().m_Volume_BGV, 20);
    EXPECT_EQ(m_Sound.m_Calls, (std::vector<std::string>{"apply bgm", "apply bgv", "apply movie", "apply se",
                                                         "apply voice", "apply sysvoice", "apply extravoice"}));
    // A switch of the sound page is stored by any event that reaches the step.
    W(SeqConfig::kPageSound, u"btn_on", 3)->SetValueBool(!Options().m_UseSystemVoice);
    const bool expected = W(SeqConfig::kPageSound, u"btn_on", 3)->GetValueBool();
    Press(W(SeqConfig::kPageSound, u"btn_on", 3));
    EXPECT_EQ(Options().m_UseSystemVoice, expected);

    // Another tab: a slider event stores nothing.
    Tab(SeqConfig::kPageSystem);
    W(SeqConfig::kPageSound, u"hsld_vol_se")->SetValue(90);
    Press(W(SeqConfig::kPageSound, u"hsld_vol_se"), kUIEventValueChanged);
    EXPECT_EQ(Options().m_Volume_Sound, 20);
}

TEST_F(ConfigScreen, QuestionsAndTheirAnswers)
{
    Options().m_SoundEngineModeInUse = 2;
    Enter();
    Press(m_Screen->FindWidget(u"btn_title"));
    EXPECT_TRUE(m_System->IsUserDialogActive());
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqConfig_RETURNTITLE");
    EXPECT_EQ(m_H.Widget(u"dlg_user")->GetText(), u"タイトル画面に戻りますか？");
    // No second question while one is open.
    Press(m_Screen->FindWidget(u"btn_init"));
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqConfig_RETURNTITLE");
    Press(m_H.Child(u"dlg_user", u"btn_dlguser_no"));
    EXPECT_FALSE(m_System->IsUserDialogActive());
    EXPECT_FALSE(Manage().GetWorker(0)->m_ChangePending);

    Press(m_Screen->FindWidget(u"btn_init"));
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqConfig_INITCONF");
    EXPECT_EQ(m_H.Widget(u"dlg_user")->GetText(), u"設定を初期化しますか？|（サウンドエンジンの反映は再起動が必要です）");
    Press(m_H.Child(u"dlg_user", u"btn_dlguser_no"));
    Options().m_SoundEngineModeInUse = 0;
    Press(m_Screen->FindWidget(u"btn_init"));
    EXPECT_EQ(m_H.Widget(u"dlg_user")->GetText(), u"設定を初期化しますか？");
    Press(m_H.Child(u"dlg_user", u"btn_dlguser_no"));

    // Engine buttons: the one in effect shows nothing, another the restart notice with OK alone.
    Options().m_SoundEngineModeInUse = 2;
    Press(W(SeqConfig::kPageSound, u"btn_xaudio2", 4));
    EXPECT_FALSE(m_System->IsUserDialogActive());
    Press(W(SeqConfig::kPageSound, u"btn_directsound", 4));
    EXPECT_TRUE(m_System->IsUserDialogActive());
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqConfig_WARNREBOOT");
    EXPECT_EQ(m_H.Widget(u"dlg_user")->GetText(), u"この変更を反映するには|ゲームの再起動が必要です");
    EXPECT_TRUE(m_H.Child(u"dlg_user", u"btn_dlguser_ok", 1)->IsVisible());
    EXPECT_FALSE(m_H.Child(u"dlg_user", u"btn_dlguser_yes")->IsVisible());
    Press(m_H.Child(u"dlg_user", u"btn_dlguser_ok", 1));
    EXPECT_FALSE(m_System->IsUserDialogActive());

    // Yes to the title question: the title with the words 0 and 6.
    Press(m_Screen->FindWidget(u"btn_title"));
    Press(m_H.Child(u"dlg_user", u"btn_dlguser_yes"));
    EXPECT_FALSE(m_System->IsUserDialogActive());
    const GxSeqWorker* slot = Manage().GetWorker(0);
    EXPECT_EQ(slot->m_Pending, m_Title);
    EXPECT_EQ(slot->m_PendingParam[0], 0);
    EXPECT_EQ(slot->m_PendingParam[1], 6);
}

TEST_F(ConfigScreen, ResetKeepsTheScreenModeAndTheEngineInEffect)
{
    LoadVoiceRows({{0, 1, 0, u"f", u"t", 1}, {1, 1, 0, u"f", u"t", 1}});
    GxUserConfig& o = Options();
    o.m_ScreenMode = 1;
    o.m_SoundEngineModeInUse = 2;
    o.m_SoundEngineMode = 2;
    o.m_TextWaitTime = 5;
    o.m_Volume_BGM = 3;
    o.m_SystemVoice_Activated[0] = false;
    Enter();
    Press(m_Screen->FindWidget(u"btn_init"));
    m_Sound.m_Calls.clear();
    Press(m_H.Child(u"dlg_user", u"btn_dlguser_yes"));
    GxUserConfig defaults;
    EXPECT_EQ(o.m_ScreenMode, 1);
    EXPECT_EQ(o.m_SoundEngineModeInUse, 2);
    EXPECT_EQ(o.m_SoundEngineMode, 0);
    EXPECT_EQ(o.m_TextWaitTime, defaults.m_TextWaitTime);
    EXPECT_EQ(o.m_Volume_BGM, defaults.m_Volume_BGM);
    EXPECT_TRUE(o.m_SystemVoice_Activated[0]);   // the character voice flags set again
    EXPECT_EQ(W(SeqConfig::kPageSystem, u"hsld_textspeed")->GetValueInt(), -defaults.m_TextWaitTime);
    EXPECT_TRUE(W(SeqConfig::kPageSound, u"btn_soundauto", 4)->GetValueBool());
    EXPECT_EQ(m_Sound.m_Calls.back(), "apply extravoice");
}

TEST_F(ConfigScreen, BackReturnsToTheTitleWithWordFiveAndRightClickActsAsBack)
{
    Enter();
    m_H.m_UI.RightDown(5, 5);
    m_Screen->Update(0, 0);
    const GxSeqWorker* slot = Manage().GetWorker(0);
    EXPECT_EQ(slot->m_PendingName, u"SeqTitle");
    EXPECT_EQ(slot->m_Pending, m_Title);
    EXPECT_EQ(slot->m_PendingParam[0], 0);
    EXPECT_EQ(slot->m_PendingParam[1], 5);
}

TEST_F(ConfigScreen, ScreenModeButtonsChangeTheModeOrNothingWhenRefused)
{
    GxUserConfig& o = Options();
    o.m_ScreenMode = 0;
    Enter();
    // Whatever the device allows: a change is stored, a refused one changes nothing. The window
    // button while windowed and the full-screen button while full screen ask for nothing.
    struct Step {
        const char16_t* button;
        std::int32_t modeBefore;
        std::int32_t row;
    };
    for (const Step step : {Step{u"btn_window", 0, -1}, Step{u"btn_fullscreen", 0, 2}, Step{u"btn_fullscreen", 1, -1},
                            Step{u"btn_window", 1, 0}}) {
        if (o.m_ScreenMode != step.modeBefore)
            continue;   // the previous change was refused
        const std::int32_t before = GxGraphics::GetDisplaySettings().CurrentScreenMode;
        Press(W(SeqConfig::kPageSystem, step.button, 1));
        const std::int32_t after = GxGraphics::GetDisplaySettings().CurrentScreenMode;
        if (step.row < 0 || after == before) {
            EXPECT_EQ(o.m_ScreenMode, step.modeBefore);
            EXPECT_EQ(after, before);
            continue;
        }
        EXPECT_EQ(after, step.row);
        EXPECT_EQ(o.m_ScreenMode, step.row == 0 ? 0 : 1);
    }
    if (GxGraphics::GetDisplaySettings().CurrentScreenMode != SCRMODE_WINDOW)
        GxGraphics::ChangeScreenMode(SCRMODE_WINDOW);
}

TEST_F(ConfigScreen, LeavingGivesThePlayScreensWindowsTheOpacityAndRecoloursTheShownChoices)
{
    // The play screen's windows and a choice of three items, the third not shown, the first
    // taken before.
    DBUIModuleRow panel;
    panel.m_UIType = 8;
    GxTaskUIBase* message = CreateWidgetFromModuleRow(m_H.m_UI.Root(), &panel, u"$MESWIN:SeqAvgMain", -1);
    GxTaskUIBase* name = CreateWidgetFromModuleRow(m_H.m_UI.Root(), &panel, u"$NAMEWIN:SeqAvgMain", -1);
    ASSERT_EQ(Manage().FindTask(u"$MESWIN:SeqAvgMain"), message);
    auto* select = new GxTaskFolder(m_H.m_UI.Root(), u"$SELECT:SeqAvgMain", nullptr, 0);
    DBUIModuleRow text;
    text.m_UIType = kUITypeTextButton;
    std::vector<GxTaskUITextButtonIs*> choices;
    for (std::int32_t i = 1; i <= 3; ++i) {
        choices.push_back(dynamic_cast<GxTaskUITextButtonIs*>(CreateWidgetFromModuleRow(select, &text, u"btn_select", i)));
        ASSERT_NE(choices.back(), nullptr);
        choices.back()->SetTextColor(0x12345678u);
    }
    GxUserData& data = *m_H.m_UI.Core().m_UserData;
    data.m_IsSelecting = true;
    data.m_SelectHash = u"hash";
    data.m_SelectMenuItemList.assign(4, GxSelectMenuItem());
    data.m_SelectMenuItemList[1].m_Visible = true;
    data.m_SelectMenuItemList[2].m_Visible = true;
    GxUserDataPerman perman;
    perman.SetMenuSelected(u"hash", 1);
    m_H.m_UI.Core().m_UserDataPerman = &perman;
    GxSystemConfig& config = m_H.m_UI.Config().m_System;

    for (bool markTaken : {true, false}) {
        Options().m_ChangeColorSelectedMenu = markTaken;
        Enter();
        W(SeqConfig::kPageSystem, u"btn_on", 5)->SetValueBool(markTaken);
        W(SeqConfig::kPageSystem, u"hsld_winalpha")->SetValue(-100);
        Leave();
        EXPECT_EQ(message->GetImageAlpha(), 100);
        EXPECT_EQ(name->GetImageAlpha(), 100);
        EXPECT_EQ(choices[0]->m_TextColor, markTaken ? config.m_SelectTextColor1 : config.m_SelectTextColor0);
        EXPECT_EQ(choices[1]->m_TextColor, config.m_SelectTextColor0);
        EXPECT_EQ(choices[2]->m_TextColor, 0x12345678u);
    }
    m_H.m_UI.Core().m_UserDataPerman = nullptr;
}

TEST_F(ConfigScreen, TheWindowEventRefillsTheScreenModeButtons)
{
    Enter();
    Options().m_ScreenMode = 1;
    m_Screen->OnWindowEvent(0, 2);
    EXPECT_FALSE(W(SeqConfig::kPageSystem, u"btn_window", 1)->GetValueBool());
    EXPECT_EQ(W(SeqConfig::kPageSystem, u"btn_fullscreen", 1)->GetValueInt(), 1);
}

TEST_F(ConfigScreen, SamplesPlayTheResolvedFileAndAMissingOnePlaysNothing)
{
    LoadVoiceRows({{0, 1, 0, u"f", u"hello", 1}, {1, 1, 1, u"f", u"gone", 1}});
    Options().m_Volume_Voice[0] = 40;
    Enter(SeqConfig::kPageVoice);
    Press(W(SeqConfig::kPageSound, u"btn_test_se"));
    EXPECT_TRUE(m_Sound.Played().empty());

    const std::filesystem::path test = m_H.m_UI.Folder() / "sounds" / "test";
    std::filesystem::create_directories(test);
    for (const char* name : {"test_se.wav", "test_sysvoice.ogg", "hello.ogg"})
        std::ofstream(test / name) << "x";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_H.m_UI.Folder());
    Press(W(SeqConfig::kPageSound, u"btn_test_se"));
    Press(W(SeqConfig::kPageSound, u"btn_test_systemvoice"));
    Press(W(SeqConfig::kPageVoice, u"btn_test_voice", 0));
    Press(W(SeqConfig::kPageVoice, u"btn_test_voice", 1));   // its file is missing
    Press(W(SeqConfig::kPageVoice, u"btn_test_voice", 5));   // no entry behind this plate
    std::filesystem::current_path(previous);
    EXPECT_EQ(m_Sound.Played(), (std::vector<std::string>{"play se sounds/test/test_se.wav",
                                                          "play sysvoice sounds/test/test_sysvoice.ogg",
                                                          "play voice sounds/test/hello.ogg 0"}));
}

TEST_F(ConfigScreen, VoiceListOrderScrollLimitAndPlates)
{
    struct Case {
        std::int32_t rows;
        std::int32_t last;
        bool scrollShown;
    };
    for (const Case c : {Case{6, 0, false}, Case{7, 1, true}, Case{0, 0, false}}) {
        std::vector<VoiceRow> rows;
        for (std::int32_t i = 0; i < c.rows; ++i)
            rows.push_back({i, 1, 0, u"f", u"s", 1});
        LoadVoiceRows(rows);
        SeqConfig* screen = new SeqConfig(m_H.m_UI.Root());
        std::swap(screen, m_Screen);
        Enter(SeqConfig::kPageVoice);
        EXPECT_EQ(m_Screen->GetMaxScrollRow(), c.last) << c.rows;
        EXPECT_EQ(W(SeqConfig::kPageVoice, u"hsld_scroll_voice")->IsVisible(), c.scrollShown) << c.rows;
        EXPECT_EQ(W(SeqConfig::kPageVoice, u"btn_scrolldown_voice")->IsVisible(), c.scrollShown) << c.rows;
        for (std::int32_t i = 0; i < kVoicePlateCount; ++i)
            EXPECT_EQ(W(SeqConfig::kPageVoice, u"tip_voiceplate", i)->IsVisible(), i < c.rows) << c.rows << " " << i;
        Leave();
    }
}

TEST_F(ConfigScreen, VoicePageScrollsStoresAndKeepsItsPosition)
{
    LoadVoiceRows(SevenVoices());
    GxUserConfig& o = Options();
    for (std::int32_t id = 0; id < 8; ++id) {
        o.m_Volume_Voice[id] = 10 * id;
        o.m_SystemVoice_Activated[id] = true;
    }
    Enter(SeqConfig::kPageVoice);
    // Order by PanelOrder, equal orders by ID; row 3 is not shown.
    std::vector<std::int32_t> ids;
    for (const VoicePanelEntry& e : m_Screen->GetVoiceList())
        ids.push_back(e.m_VoiceVolumeID);
    EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 2, 5, 6, 0, 7, 4}));
    EXPECT_EQ(m_Screen->GetMaxScrollRow(), 1);
    using P = SeqConfig;
    EXPECT_EQ(W(P::kPageVoice, u"hsld_vol_voice", 2)->GetValueInt(), 50);
    EXPECT_FALSE(W(P::kPageVoice, u"btn_systemvoice", 1)->IsVisible());   // ID 2 has no system voice
    EXPECT_FALSE(W(P::kPageVoice, u"btn_test_voice", 1)->IsEnabled());    // nor a sample
    EXPECT_FALSE(W(P::kPageVoice, u"btn_scrollup_voice")->IsEnabled());
    EXPECT_TRUE(W(P::kPageVoice, u"btn_scrolldown_voice")->IsEnabled());

    // The wheel: one row per event for at least 120 either way; 60 does nothing.
    m_Screen->OnMouseWheel(nullptr, -60, 0);
    EXPECT_EQ(ScrollValue(), 0);
    m_Screen->OnMouseWheel(nullptr, -480, 0);
    EXPECT_EQ(ScrollValue(), 1);
    m_Screen->OnMouseWheel(nullptr, -120, 0);
    EXPECT_EQ(ScrollValue(), 1);
    // Row 1 shows entries 2 to 6: the last row one plate.
    EXPECT_EQ(W(P::kPageVoice, u"hsld_vol_voice", 0)->GetValueInt(), 50);
    EXPECT_TRUE(W(P::kPageVoice, u"tip_voiceplate", 4)->IsVisible());
    EXPECT_FALSE(W(P::kPageVoice, u"tip_voiceplate", 5)->IsVisible());
    EXPECT_TRUE(W(P::kPageVoice, u"btn_scrollup_voice")->IsEnabled());
    EXPECT_FALSE(W(P::kPageVoice, u"btn_scrolldown_voice")->IsEnabled());
    Press(W(P::kPageVoice, u"btn_scrollup_voice"));
    EXPECT_EQ(ScrollValue(), 0);
    // 0.6 is row 1 (not rounded at a half).
    W(P::kPageVoice, u"hsld_scroll_voice")->SetValue(0.6);
    Press(W(P::kPageVoice, u"hsld_scroll_voice"), kUIEventValueChanged);
    EXPECT_EQ(W(P::kPageVoice, u"hsld_vol_voice", 0)->GetValueInt(), 50);

    // Storing: the visible plates' sliders; a hidden system-voice switch leaves its flag alone.
    W(P::kPageVoice, u"hsld_scroll_voice")->SetValue(0);
    Press(W(P::kPageVoice, u"hsld_scroll_voice"), kUIEventValueChanged);
    W(P::kPageVoice, u"hsld_vol_voice", 0)->SetValue(77);
    W(P::kPageVoice, u"btn_systemvoice", 0)->SetValueBool(false);
    W(P::kPageVoice, u"btn_systemvoice", 1)->SetValueBool(false);   // hidden
    W(P::kPageVoice, u"hsld_vol_voicemaster")->SetValue(33);
    m_Sound.m_Calls.clear();
    Press(W(P::kPageVoice, u"hsld_vol_voice", 0), kUIEventValueChanged);
    EXPECT_EQ(o.m_Volume_Voice[1], 77);
    EXPECT_FALSE(o.m_SystemVoice_Activated[1]);
    EXPECT_TRUE(o.m_SystemVoice_Activated[2]);
    EXPECT_EQ(o.m_Volume_VoiceMaster, 33);
    EXPECT_EQ(m_Sound.m_Calls, (std::vector<std::string>{"apply voice", "apply sysvoice", "apply extravoice"}));

    // Scrolled down, left with another tab: only the masters are stored; the row survives.
    m_Screen->OnMouseWheel(nullptr, -120, 0);
    W(P::kPageVoice, u"hsld_vol_voice", 0)->SetValue(99);
    W(P::kPageVoice, u"hsld_vol_systemvoice")->SetValue(44);
    Tab(P::kPageSystem);
    Leave();
    EXPECT_EQ(o.m_Volume_Voice[5], 50);
    EXPECT_EQ(o.m_Volume_SystemVoice, 44);
    Enter(P::kPageVoice);
    EXPECT_EQ(ScrollValue(), 1);
    EXPECT_EQ(W(P::kPageVoice, u"hsld_vol_voice", 0)->GetValueInt(), 50);
}

TEST_F(ConfigScreen, FacesAreDrawnAtTheVisiblePlatesInOneNestedScene)
{
    // Seven rows, faces of distinct colours; row 4's face is not in the set.
    std::vector<TestUICell> cells;
    const std::uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu,
                                     0xFF808080u, 0xFF404040u};
    for (std::int32_t i = 0; i < 8; ++i) {
        if (i != 4)
            cells.push_back({u"face" + std::u16string(1, char16_t(u'0' + i)) + u".png", 8, 8, colours[i]});
    }
    const std::u16string pooled = AddTestUIImageSet(m_H.m_UI.Folder(), "ui_facepanel", cells);
    ASSERT_FALSE(pooled.empty());
    m_H.m_UI.Config().m_System.m_Folders[GxSystemConfig::kFolderUIGis] =
        pooled.substr(0, pooled.size() - std::u16string(u"ui_facepanel.gis").size());
    m_H.m_UI.Config().Refresh();
    LoadVoiceRows(SevenVoices());
    Enter(SeqConfig::kPageVoice);
    // Order 1, 2, 5, 6, 0, 7, 4: at row 0 plates 0 to 5 show IDs 1, 2, 5, 6, 0, 7.
    WidgetDrawRecorder& recorder = m_H.m_UI.Recorder();
    auto drawn = [&] {
        recorder.Clear();
        m_Screen->Draw(kConfigFaceDrawTag, kConfigFaceRenderList);
        std::vector<std::string> calls;
        for (const WidgetDrawCall& call : recorder.Calls()) {
            std::string line = call.call;
            if (call.call == "DrawImagePattern")
                line += " " + std::to_string(static_cast<int>(call.points[0].x)) + "," +
                        std::to_string(static_cast<int>(call.points[0].y));
            calls.push_back(line);
        }
        return calls;
    };
    std::vector<std::string> expected = {"BeginSceneNested", "ResetRenderStates"};
    for (std::int32_t i = 0; i < kVoicePlateCount; ++i) {
        const GxVector3 at = W(SeqConfig::kPageVoice, u"tip_voiceplate", i)->GetWorldPos();
        expected.push_back("DrawImagePattern " + std::to_string(static_cast<int>(at.x)) + "," +
                           std::to_string(static_cast<int>(at.y)));
    }
    expected.push_back("EndSceneNested");
    EXPECT_EQ(drawn(), expected);
    // Each face in its own colours, opaque: a zero colour factor would draw nothing.
    for (const WidgetDrawCall& call : recorder.Calls()) {
        if (call.call != "DrawImagePattern")
            continue;
        ASSERT_EQ(call.colors.size(), 2u);
        EXPECT_EQ(call.colors[0], 0xFFFFFFFFu);
        EXPECT_EQ(call.colors[1], 0u);
    }
    m_Screen->Render(0, 0);
    const std::uint64_t settled = GxSceneGeneration::Get();
    m_Screen->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), settled);

    // One row down: IDs 5, 6, 0, 7, 4 (no face), and no sixth plate; another picture.
    m_Screen->OnMouseWheel(nullptr, -120, 0);
    expected.erase(expected.end() - 3, expected.end());
    expected.push_back("EndSceneNested");
    EXPECT_EQ(drawn(), expected);
    m_Screen->Render(0, 0);
    EXPECT_NE(GxSceneGeneration::Get(), settled);
    // The faces leave with their page.
    const std::uint64_t scrolled = GxSceneGeneration::Get();
    Tab(SeqConfig::kPageSystem);
    m_Screen->Render(0, 0);
    EXPECT_NE(GxSceneGeneration::Get(), scrolled);
    Leave();
    ReleaseTestUIImageSets();
}

TEST_F(ConfigScreen, FacesAreQueuedOnlyWithTheVoiceTab)
{
    Enter(SeqConfig::kPageSystem);
    GxTaskRenderManage* list = m_H.m_UI.Core().GetRenderList(kConfigFaceRenderList);
    ASSERT_NE(list, nullptr);
    auto queued = [&] {
        for (const GxTaskRenderEntry& e : list->GetEntries())
            if (e.m_Task == m_Screen)
                return true;
        return false;
    };
    list->Clear();
    m_Screen->Render(0, 0);
    EXPECT_FALSE(queued());
    Tab(SeqConfig::kPageVoice);
    m_Screen->Render(0, 0);
    ASSERT_TRUE(queued());
    for (const GxTaskRenderEntry& e : list->GetEntries()) {
        if (e.m_Task != m_Screen)
            continue;
        EXPECT_EQ(e.m_Value, kConfigFaceDrawTag);
        EXPECT_EQ(e.m_Depth, kConfigFaceDepth);
    }
    list->Clear();
}

}  // namespace
}  // namespace screens_test
