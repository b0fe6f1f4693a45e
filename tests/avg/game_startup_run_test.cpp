// [Adventure] the game's start-up and reset in whole runs of the engine with every subsystem's
// services (as the process entry installs them), on a game folder with the tables, the program,
// the fonts and the UI image sets: the 28 steps in order and what they leave, the random seeding,
// the refused full-screen mode, a missing first screen and missing inputs, then the 8 reset
// steps and what they take down.
#include "tests/support/engine_run_fixture.h"

#include "avg/avg_core.h"
#include "avg/game_screens_builder.h"
#include "avg/game_sound_state.h"
#include "avg/game_startup.h"
#include "avg/global_render_target.h"
#include "core/seq_base.h"
#include "core/shared_asset_manage.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/random.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/texture.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "screens/seq_system.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/timer.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui/system_layer_rows.h"
#include "tests/support/ui/title_rows.h"
#include "ui/ui_named_values.h"

#include <cstdlib>
#include <sstream>

namespace engine_test {
namespace {

std::time_t g_CalendarTime = 1700000000;
std::time_t FixedCalendar()
{
    return g_CalendarTime;
}

std::string StepEvent(GxGameRoutine routine, std::int32_t step)
{
    return (routine == GxGameRoutine::Startup ? "Startup " : "Reset ") + std::to_string(step);
}

// Only "SeqSystem" and "SeqTitle": a game without a boot screen.
void BuildWithoutBoot(GxTaskBase* owner, GxCore*)
{
    new SeqSystem(owner);
    new standin_screens::Screen(owner, u"SeqTitle");
}

class AvgStartupTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseEngineServices();
        SetGameStepObserver([this](GxGameRoutine routine, std::int32_t step) {
            GxStandinTrace::Record(Utf8ToWide(StepEvent(routine, step)));
            if (m_OnStep)
                m_OnStep(routine, step);
        });
        SetGameStartupCalendarClock(&FixedCalendar);
        m_Run.SetMaxPasses(4);
    }
    void TearDown() override
    {
        SetGameStepObserver(nullptr);
        SetGameStartupCalendarClock(nullptr);
        SetGameScreensBuilder(nullptr);
        platform::SetFakeClock(false);
        platform::d3d9::ResetVirtualAdapter();
        EngineRunTest::TearDown();
    }

    TestGameFolder Game(const TestIniKeys& extraSysConf = {})
    {
        TestIniKeys sysconf = {{"APP_TITLE", "Adventure"}, {"APP_SAVEDIR", "AVG_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"},
                               {"FONTSIZE_0", "13"}, {"FONTSIZE_5", "30"}};
        sysconf.insert(sysconf.end(), extraSysConf.begin(), extraSysConf.end());
        TestGameFolder game(m_Game);
        game.SysConf(sysconf)
            .Setting({{"SkipSlightError", "0"}});
        // The boot goes on to the title: its rows and pictures, so that it logs nothing.
        AddSystemLayer(game, TitleModuleRows(), TitleLayoutRows());
        AddTitleFiles(game)
            .Table(u"db_keymap.txt", TestTableBuilder().Row({u"5", u"decide", u"decide", u"1", u"1", u"0", u"0",
                                                            u"KC_KEYB_RETURN", u"", u"KC_KEYB_SPACE"}))
            .EmptyTables()
            .Script("*OTHER\nEXIT()\n")
            .StartupFiles();
        return game;
    }

    std::string ErrorLog() const { return ReadLog(m_Game / "AVG_SAVE" / "error.log"); }
    std::string DeviceLog() const { return ReadLog(m_Game / "AVG_SAVE" / "device.log"); }

    std::function<void(GxGameRoutine, std::int32_t)> m_OnStep;
};

std::vector<std::string> Names(const GxSharedScope* scope)
{
    if (scope == nullptr)
        return {"<none>"};
    std::vector<std::string> names;
    for (const std::u16string& name : scope->GetSequenceNames())
        names.push_back(Utf8(name));
    return names;
}

TEST_F(AvgStartupTest, TheStartUpRunsItsStepsInOrderAndLeavesARunningGame)
{
    ASSERT_TRUE(Game().Ok());
    GxCore* core = GxCore::GetInstance();
    bool checkedModules = false, checkedScreens = false, checkedRequest = false;
    m_Module.m_OnInitialize = [&] {
        checkedModules = true;
        // Place 1 is the module, attached before any module initialises.
        EXPECT_EQ(core->m_ModuleList.GetModule(1), &AvgCore::GetInstance());
        EXPECT_NE(AvgCore::GetInstance().GetBuiltin(), nullptr);
        EXPECT_EQ(AvgCore::GetInstance().GetCore(), core);
        for (const char16_t* name : {u"uigis/ui_common.gis", u"uigis/ui_avgmain.gis", u"uigis/ui_iconpool.gis"})
            EXPECT_NE(GetImageSetPool().GetImageSet(name), nullptr) << Utf8(name);
        ASSERT_NE(FindUINamedValue(u"icon_save"), nullptr);
        EXPECT_EQ(FindUINamedValue(u"icon_save")->m_ImageWidth, 8);
        EXPECT_EQ(FindUINamedValue(u"frame"), nullptr);   // only the icon set is indexed
        for (std::int32_t slot = 0; slot < 3; ++slot)
            EXPECT_TRUE(GetSystemBitmapFont(slot)->IsLoaded()) << slot;
        EXPECT_FALSE(GetSystemBitmapFont(kBuiltinMessageFontIndex)->IsLoaded());
        EXPECT_EQ(GetSystemFontMap(0)->GetFontSize(), 13);
        EXPECT_EQ(GetSystemFontMap(5)->GetFontSize(), 30);
        EXPECT_NE(GetScriptInstance(), nullptr);
        EXPECT_TRUE(GetGlobalRenderTexture(0)->HasTexture());
        EXPECT_EQ(GetThumbnailBuffer().size(), 49152u);
        GxSharedAssetManage& shared = *core->m_SharedAssets;
        EXPECT_EQ(shared.GetJobManage().GetThreadCount(), 2);
        EXPECT_EQ(Names(shared.GetScope(0)), std::vector<std::string>{});
        EXPECT_EQ(Names(shared.GetScope(1)), std::vector<std::string>{});
        EXPECT_EQ(shared.GetScope(2)->GetSequenceNames().size(), 11u);
        for (const char16_t* name : kSharedScopeSystemNames)
            EXPECT_TRUE(shared.GetScope(2)->HasSequenceName(name)) << Utf8(name);
        // The key map's codes, bound before the options were read.
        EXPECT_EQ(core->m_UserConfig->m_KeyCodes[5][0], 28);
        EXPECT_EQ(core->m_UserConfig->m_KeyCodes[5][2], 57);
    };
    m_Module.m_OnRegisterBuiltins = [&](GxMoaFunctionBinder* binder) {
        EXPECT_NE(binder, nullptr);
        EXPECT_EQ(binder, GetFunctionBinder());
    };
    m_Module.m_OnCreateSequences = [&](GxTaskBase* owner) {
        checkedScreens = true;
        GxTaskManage* manage = core->m_TaskManage;
        EXPECT_EQ(manage->GetRoot(), owner);
        ASSERT_NE(manage->FindTask(u"SeqSystem"), nullptr);
        EXPECT_EQ(manage->GetSystemSequence(), manage->FindTask(u"SeqSystem"));
        for (const char16_t* name : standin_screens::kScreenNames)
            EXPECT_NE(manage->FindTask(name), nullptr) << Utf8(name);
        // The module's own screens come first (place 1 before place 2).
        EXPECT_NE(manage->FindTask(u"SeqAvgMain"), nullptr);
        EXPECT_NE(manage->FindTask(u"SeqAvgLog"), nullptr);
        EXPECT_EQ(Names(core->m_SharedAssets->GetScope(3)),
                  (std::vector<std::string>{"SeqAvgLog", "SeqAvgMain", "SeqConfig", "SeqDebug", "SeqLoad", "SeqSave"}));
    };
    m_OnStep = [&](GxGameRoutine routine, std::int32_t step) {
        if (routine != GxGameRoutine::Startup || step != 27)
            return;
        checkedRequest = true;
        const GxSeqWorker* slot = core->m_TaskManage->GetWorker(0);
        EXPECT_TRUE(slot->m_ChangePending);
        EXPECT_EQ(slot->m_PendingName, u"SeqBoot");
        EXPECT_EQ(slot->m_PendingParam[0], 0);
        EXPECT_EQ(slot->m_PendingParam[1], 0);
    };

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(checkedModules);
    EXPECT_TRUE(checkedScreens);
    EXPECT_TRUE(checkedRequest);

    std::vector<std::string> steps;
    for (std::int32_t step = 1; step <= 28; ++step) {
        steps.push_back(StepEvent(GxGameRoutine::Startup, step));
        if (step == 20)
            steps.insert(steps.end(), {"Test::Initialize", "Test::RegisterBuiltins"});
        if (step == 25)
            steps.push_back("Test::CreateSequences");
    }
    // The boot screen's entry calls the modules' boot/title hook.
    steps.insert(steps.end(), {"Test::OnBootTitle", "Reset 1", "Test::BeforeReset"});
    for (std::int32_t step = 2; step <= 8; ++step)
        steps.push_back(StepEvent(GxGameRoutine::Reset, step));
    steps.push_back("Test::AfterReset");
    const std::vector<std::string> events = Trace();
    EXPECT_TRUE(InOrder(events, steps));
    EXPECT_EQ(std::count(events.begin(), events.end(), "Startup 1"), 1);

    EXPECT_NE(DeviceLog().find("サウンドエンジンにXAudio2が選択されました"), std::string::npos) << DeviceLog();
    // Only the play screen's rows, which this game's tables do not have.
    EXPECT_EQ(ErrorLog(), "UIレイアウトデータ[$MESWIN:SeqAvgMain]が見つかりません:SeqAvgMain\r\n"
                          "UIレイアウトデータ[$NAMEWIN:SeqAvgMain]が見つかりません:SeqAvgMain\r\n"
                          "UIモジュールデータ[btn_select0]が見つかりません:SeqAvgMain\r\n")
        << ErrorLog();

    // What the reset took down.
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
        EXPECT_EQ(GetSystemFontMap(index)->GetPageCount(), 0u) << index;
    for (std::int32_t index = 0; index < kSystemBitmapFontCount; ++index)
        EXPECT_FALSE(GetSystemBitmapFont(index)->IsLoaded()) << index;
    EXPECT_EQ(GetScriptInstance(), nullptr);
    EXPECT_EQ(GetImageSetPool().GetCount(), 0u);
    EXPECT_EQ(FindUINamedValue(u"icon_save"), nullptr);
    EXPECT_FALSE(GetGlobalRenderTexture(0)->HasTexture());
    EXPECT_FALSE(GetGlobalRenderTexture(1)->HasTexture());
    EXPECT_TRUE(GetThumbnailBuffer().empty());
    EXPECT_EQ(GetBGMRestraintLevel(), 100);
    EXPECT_EQ(GetExtraVoiceRecord(4)->m_Name, u"");
    EXPECT_EQ(GetExtraVoiceRecord(4)->m_Slot, -1);
    EXPECT_FALSE(GetConfigSampleState().m_Active);
    EXPECT_EQ(AvgCore::GetInstance().GetBuiltin(), nullptr);
}

TEST_F(AvgStartupTest, SeedingTakesTheCalendarTimeAndTheClockSoTheSameInputsGiveTheSameNumbers)
{
    ASSERT_TRUE(Game().Ok());
    std::uint32_t seededAt = 0;
    struct Draw {
        int c = 0;
        std::uint32_t twister = 0;
        bool operator==(const Draw&) const = default;
    };
    const auto firstDraws = [&] {
        Draw draw;
        m_OnStep = [&](GxGameRoutine routine, std::int32_t step) {
            if (routine == GxGameRoutine::Startup && step == 27)
                seededAt = timeGetTime();
            if (routine == GxGameRoutine::Startup && step == 28) {
                draw.c = std::rand();
                draw.twister = GxRandomNext();
            }
        };
        platform::ResetUserStateForTesting();   // the window lock of the run before
        platform::SetWindowLockFolder((m_Temp.Path() / "locks").string());
        platform::SetFakeClock(true, 5000);
        EXPECT_EQ(Run(), 0);
        platform::SetFakeClock(false);
        return draw;
    };
    g_CalendarTime = 1700000000;
    const Draw first = firstDraws();
    const Draw again = firstDraws();
    EXPECT_EQ(first, again);
    // The fake clock stands still: both reads gave the same value.
    std::srand(static_cast<unsigned>(static_cast<std::uint32_t>(g_CalendarTime) + seededAt));
    EXPECT_EQ(first.c, std::rand());
    GxRandomState state;
    GxRandomSeed(seededAt + static_cast<std::uint32_t>(g_CalendarTime), &state);
    EXPECT_EQ(first.twister, GxRandomNext(&state));

    g_CalendarTime = 1700000001;
    const Draw later = firstDraws();
    EXPECT_NE(later.c, first.c);
    EXPECT_NE(later.twister, first.twister);
    g_CalendarTime = 1700000000;
}

TEST_F(AvgStartupTest, ARefusedFullScreenLeavesTheGameWindowedAndAMissingBootScreenIsLogged)
{
    ASSERT_TRUE(Game().Ok());
    platform::d3d9::VirtualAdapter adapter = platform::d3d9::DefaultVirtualAdapter();
    adapter.modes.clear();   // no full-screen mode to change to
    platform::d3d9::SetVirtualAdapter(adapter);
    SetGameScreensBuilder(&BuildWithoutBoot);
    GxCore* core = GxCore::GetInstance();
    std::int32_t screenMode = -1;
    bool pending = true;
    m_Module.m_OnInitialize = [&] {   // no "userconf.dat" to read over these
        core->m_UserConfig->m_ScreenMode = 1;
        core->m_UserConfig->m_SoundEngineMode = 1;
    };
    m_OnStep = [&](GxGameRoutine routine, std::int32_t step) {
        if (routine == GxGameRoutine::Startup && step == 24)
            screenMode = core->m_UserConfig->m_ScreenMode;
        if (routine == GxGameRoutine::Startup && step == 27)
            pending = core->m_TaskManage->IsAnyChangePending();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(screenMode, 0);
    EXPECT_EQ(GxGraphics::GetDisplaySettings().CurrentScreenMode, 0);
    EXPECT_FALSE(pending);
    EXPECT_NE(ErrorLog().find("遷移先のシーケンスが見つかりません(SeqBoot)"), std::string::npos) << ErrorLog();
    EXPECT_NE(DeviceLog().find("サウンドエンジンにDirectSoundが選択されました"), std::string::npos) << DeviceLog();
}

TEST_F(AvgStartupTest, EveryMissingInputIsLoggedByItsLoaderAndTheGameStillRuns)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "Adventure"}, {"APP_SAVEDIR", "AVG_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"},
                  {"MESWIN_TEXT_BUILTINFONTNAME", "mesfont"}});
    game.Setting({{"AutoCompile", "1"}});
    ASSERT_TRUE(game.Ok());
    int passes = 0;
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        auto* counter =
            new ProbeTask(GxCore::GetInstance()->m_TaskManage->FindTask(u"SeqSystem"), u"counter", "counter", nullptr);
        counter->m_OnUpdate = [&](std::int32_t) { ++passes; };
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_GT(passes, 0);
    const std::string log = ErrorLog();
    for (const char* line : {"fonts/FONT16SYS.png", "fonts/FONT22NUM.png", "fonts/mesfont.fmp", "bincode/moacode.mwb",
                             "data/db_avgchar.txt", "uigis/ui_iconpool.gis", "スクリプトコンパイラの起動に失敗しました"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("db_keymap"), std::string::npos) << log;   // read only when it is there
    // The tables in start-up order, the gallery twice.
    std::size_t at = 0;
    for (const char* table : {"db_avgchar", "db_bgmmode", "db_cgmode", "db_cgmode", "db_rpmode", "db_uimodule",
                              "db_uilayout", "db_voicevolume", "db_systemvoice"}) {
        at = log.find(table, at);
        ASSERT_NE(at, std::string::npos) << table << "\n" << log;
        ++at;
    }
    EXPECT_NE(DeviceLog().find("サウンドエンジン"), std::string::npos);
}

}  // namespace
}  // namespace engine_test
