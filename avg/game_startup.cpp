#include "avg/game_startup.h"

#include "avg/avg_core.h"
#include "avg/avg_layer_graphics.h"
#include "avg/avg_transit_graphics.h"
#include "avg/game_screens_builder.h"
#include "avg/game_sound_state.h"
#include "avg/global_render_target.h"
#include "avg/key_bindings.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/shared_asset_manage.h"
#include "core/task_manage.h"
#include "data/data_services.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data_perman.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "motion/image_set_pool.h"
#include "platform/win32/timer.h"
#include "script/debug_console.h"
#include "script/script_compiler.h"
#include "script/script_engine.h"
#include "ui/ui_named_values.h"

#include <cstdlib>

namespace {

constexpr std::int32_t kAvgModulePlace = 1;
constexpr std::int32_t kFullScreenMode = 2;
constexpr char16_t kDefaultFontsFolder[] = u"fonts/";
constexpr const char16_t* kUIImageSets[] = {u"ui_common.gis", u"ui_avgmain.gis", u"ui_iconpool.gis"};
constexpr char16_t kIconImageSet[] = u"ui_iconpool.gis";

std::function<void(GxGameRoutine, std::int32_t)>& StepObserver()
{
    static std::function<void(GxGameRoutine, std::int32_t)> observer;
    return observer;
}

std::time_t (*g_CalendarClock)() = nullptr;

void Step(GxGameRoutine routine, std::int32_t step)
{
    if (StepObserver())
        StepObserver()(routine, step);
}

std::time_t CalendarTime()
{
    return g_CalendarClock != nullptr ? g_CalendarClock() : std::time(nullptr);
}

std::u16string FontsFolder(const GxCore& core)
{
    return core.m_SystemConfig != nullptr ? core.m_SystemConfig->m_Folders[GxSystemConfig::kFolderFonts]
                                          : std::u16string(kDefaultFontsFolder);
}

// Steps 9 to 11: the grid fonts of bitmap-font slots 0 to 2, the six glyph caches at the
// configured sizes with the default face, and the message window's built-in font when named.
void LoadSystemFonts(const GxCore& core)
{
    static_assert(kSystemFontMapCount == kCoreConfigFontSizeCount);
    struct GridFont {
        const char16_t* name;
        std::uint32_t first, last, cellWidth, cellHeight, cellsPerRow;
    };
    static constexpr GridFont kGridFonts[] = {
        {u"FONT16SYS", 32, 126, 8, 16, 16},
        {u"FONT8NUM", 32, 57, 8, 16, 7},
        {u"FONT22NUM", 48, 57, 22, 32, 5},
    };
    const std::u16string folder = FontsFolder(core);
    Step(GxGameRoutine::Startup, 9);
    for (std::int32_t slot = 0; slot < 3; ++slot) {
        const GridFont& font = kGridFonts[slot];
        GetSystemBitmapFont(slot)->CreateGrid(font.name, folder + font.name + u".png", font.first, font.last,
                                              font.cellWidth, font.cellHeight, font.cellsPerRow);
    }
    Step(GxGameRoutine::Startup, 10);
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
        GetSystemFontMap(index)->SetFont(core.GetConfig().m_FontSize[index], nullptr);
    Step(GxGameRoutine::Startup, 11);
    const std::u16string& builtin = core.GetConfig().m_MesWinTextBuiltinFontName;
    if (!builtin.empty())
        GetSystemBitmapFont(kBuiltinMessageFontIndex)->CreateFromFile(folder + builtin + u".fmp",
                                                                      folder + builtin + u".png");
}

// Step 19: the UI image sets into the pool, then the icon index over the icon set (empty when
// that set could not be had).
void PoolUIImageSets(const GxCore& core)
{
    const std::u16string& folder = core.GetConfig().m_UIImageSetFolder;
    GxNcImageSetPool& pool = GetImageSetPool();
    for (const char16_t* name : kUIImageSets)
        pool.AddImageSet(folder + name);
    BuildUINameIndex(pool.GetImageSet(folder + kIconImageSet));
}

// Step 22.
void ChooseSoundEngine(GxCore& core)
{
    if (core.m_SystemConfig == nullptr || core.m_UserConfig == nullptr)
        return;
    DWORD major = 0, minor = 0;
    core.GetOSVersion(&major, &minor);
    const bool xaudio2 = SelectSoundEngine(*core.m_SystemConfig, *core.m_UserConfig, major);
    LogPrintDevice(xaudio2 ? u"サウンドエンジンにXAudio2が選択されました\n" : u"サウンドエンジンにDirectSoundが選択されました\n");
}

// Steps 24 and 25: the owner of every screen, the system screen made the root and the system
// sequence, the game's screens, then the modules' own.
void BuildScreens(GxCore& core)
{
    Step(GxGameRoutine::Startup, 24);
    GxTaskManage* manage = core.m_TaskManage;
    GxTaskBase* owner = manage != nullptr ? new GxTaskBase(manage) : nullptr;
    if (owner != nullptr) {
        BuildGameScreens(owner, &core);
        if (GxTaskBase* system = manage->FindTask(u"SeqSystem")) {
            manage->SetRoot(system);
            manage->SetSystemSequence(dynamic_cast<GxSeqBase*>(system));
        }
    }
    Step(GxGameRoutine::Startup, 25);
    if (owner != nullptr)
        core.m_ModuleList.ModulesCreateSequences(owner);
}

}  // namespace

void SetGameStepObserver(std::function<void(GxGameRoutine, std::int32_t)> observer)
{
    StepObserver() = std::move(observer);
}

void SetGameStartupCalendarClock(std::time_t (*clock)())
{
    g_CalendarClock = clock;
}

void SetDefaultDisplaySettings(GxCore* core)
{
    LogDeleteDeviceFile();
    if (core->GetConfig().m_CleanErrorLog) {
        LogDeleteDebugFile();
        LogDeleteErrorFile();
    }
    GxDisplaySettings settings;
    settings.VSyncInterval = 1;
    settings.CurrentScreenMode = SCRMODE_WINDOW;
    settings.ScreenMode = SCRMODE_WINDOW;
    settings.LockableBackBuffer = false;
    settings.MultiSampleMode = 0;
    settings.ForceSquareTexture = false;
    settings.VirtualWidth = 1024;
    settings.VirtualHeight = 768;
    settings.BackBufferWidth = 1024;
    settings.BackBufferHeight = 768;
    settings.SwapEffect = D3DSWAPEFFECT_FLIP;
    settings.TextureBits = 32;
    settings.BackBufferBits = 32;
    settings.DepthStencilBits = 24;
    settings.RefreshRate = 60;
    GxGraphics::GetDisplaySettings() = settings;
    core->m_CursorKind = 1;
    core->m_FrameTimer.SetFramesPerSecond(60);
    core->m_FrameTimer.SetLogicRate(60);
}

bool GameStartup(GxCore* core)
{
    const GxCoreConfig& config = core->GetConfig();
    Step(GxGameRoutine::Startup, 1);
    if (config.m_SkipSlightError)
        LogSetWarningsMuted(true);
    Step(GxGameRoutine::Startup, 2);
    LogSetSink(&GetDebugConsoleOutput());
    Step(GxGameRoutine::Startup, 3);
    // A compiler that cannot start is logged by the runner; the old program stays.
    if (config.m_AutoCompile)
        CompileScripts();
    Step(GxGameRoutine::Startup, 4);
    core->SetCursorShape(1);
    Step(GxGameRoutine::Startup, 5);
    // The index points into the pooled sets: it goes first.
    ClearUINamedValues();
    GetImageSetPool().ReleaseAllImageSets();
    Step(GxGameRoutine::Startup, 6);
    CreateGlobalRenderTarget();
    InstallAvgTransitGraphics();
    InstallAvgLayerGraphics();
    Step(GxGameRoutine::Startup, 7);
    ResetGameSoundState();
    Step(GxGameRoutine::Startup, 8);
    ClearSystemFonts();
    LoadSystemFonts(*core);
    Step(GxGameRoutine::Startup, 12);
    CreateScriptEngine(core);
    LoadScriptBinary();
    Step(GxGameRoutine::Startup, 13);
    LoadDataTables();
    Step(GxGameRoutine::Startup, 14);
    SplitCGFileNames();
    Step(GxGameRoutine::Startup, 15);
    if (core->m_UserConfig != nullptr) {
        BindKeysFromKeyMap(*core->m_UserConfig);
        ResetCharacterVoiceFlags(*core->m_UserConfig);
    }
    // Steps 16 and 17 in one: the loader threads, then scopes 0 to 2 with scope 2's names.
    Step(GxGameRoutine::Startup, 16);
    if (core->m_SharedAssets != nullptr)
        CreateStartupSharedScopes(*core->m_SharedAssets);
    Step(GxGameRoutine::Startup, 17);
    Step(GxGameRoutine::Startup, 18);
    AvgCore& avg = AvgCore::GetInstance();
    core->m_ModuleList.SetModule(kAvgModulePlace, &avg);
    avg.Attach(core);
    Step(GxGameRoutine::Startup, 19);
    PoolUIImageSets(*core);
    Step(GxGameRoutine::Startup, 20);
    core->m_ModuleList.ModulesInitialize();
    core->m_ModuleList.ModulesInitializeLate(GetFunctionBinder());
    Step(GxGameRoutine::Startup, 21);
    // A first start has neither file; a damaged one is logged by its reader.
    if (core->m_UserDataPerman != nullptr)
        LoadPermanentData(core->m_UserDataPerman, core->GetSaveDir() + u"permanent.dat");
    if (core->m_UserConfig != nullptr) {
        LoadUserConfig(core->m_UserConfig, core);
        RebindKeysFromUserConfig(*core->m_UserConfig);
    }
    Step(GxGameRoutine::Startup, 22);
    ChooseSoundEngine(*core);
    Step(GxGameRoutine::Startup, 23);
    if (core->m_UserConfig != nullptr && core->m_UserConfig->m_ScreenMode == 1 &&
        !GxGraphics::ChangeScreenMode(kFullScreenMode))
        core->m_UserConfig->m_ScreenMode = 0;
    BuildScreens(*core);
    Step(GxGameRoutine::Startup, 26);
    GxTaskManage* manage = core->m_TaskManage;
    if (manage != nullptr) {
        if (GxTaskBase* boot = manage->FindTask(u"SeqBoot"))
            manage->ChangeSequence(boot, 0, 0, 0);
        else
            LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", u"SeqBoot");
    }
    Step(GxGameRoutine::Startup, 27);
    const std::time_t now = CalendarTime();
    std::srand(static_cast<unsigned>(static_cast<std::uint32_t>(now) + timeGetTime()));
    GxRandomSeed(timeGetTime() + static_cast<std::uint32_t>(now));
    Step(GxGameRoutine::Startup, 28);
    GxFile::SetCacheEnabled(true);
    return true;
}

bool GameReset(GxCore* core)
{
    Step(GxGameRoutine::Reset, 1);
    core->m_ModuleList.ModulesBeforeReset();
    Step(GxGameRoutine::Reset, 2);
    if (core->m_SharedAssets != nullptr)
        core->m_SharedAssets->ReleaseAll();
    Step(GxGameRoutine::Reset, 3);
    ClearSystemFonts();
    Step(GxGameRoutine::Reset, 4);
    DestroyScriptEngine();
    Step(GxGameRoutine::Reset, 5);
    ClearUINamedValues();
    GetImageSetPool().ReleaseAllImageSets();
    Step(GxGameRoutine::Reset, 6);
    // Nothing may draw into the target after it is gone; a layer may have left it pushed.
    ReleaseAvgLayerGraphics();
    ReleaseAvgTransitGraphics();
    ReleaseGlobalRenderTarget();
    Step(GxGameRoutine::Reset, 7);
    ResetGameSoundState();
    Step(GxGameRoutine::Reset, 8);
    core->m_ModuleList.ModulesAfterReset();
    return true;
}
