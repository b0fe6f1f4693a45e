// Whole runs of the engine through its process entry, in this process: a game folder, a home
// folder, a bounded run with scripted input, and a test module plugged into the core that builds
// probe tasks and looks at the engine from its hooks. The game's start-up and reset always run
// (through a recording game-services object); the other subsystems above the core take part
// only when a test installs their services (UseEngineServices: all of them, as the process
// entry does). Header-only, for test programs (GoogleTest).
#pragma once

#include "tests/support/engine_fixture.h"

#include "app/engine_services.h"
#include "app/game_worker_host.h"
#include "avg/game_screens_builder.h"
#include "avg/game_sound_services.h"
#include "avg/game_startup.h"
#include "avg/resource_lookup.h"
#include "core/game_services.h"
#include "core/module_core_base.h"
#include "core/movie_services.h"
#include "core/transit_graphics.h"
#include "core/unattended_run.h"
#include "core/win_main.h"
#include "data/data_services.h"
#include "data/data_tables.h"
#include "data/play_state_services.h"
#include "foundation/file.h"
#include "graphics/graphics.h"
#include "motion/motion_services.h"
#include "platform/d3d9/device_control.h"
#include "script/script_engine.h"
#include "script/game_worker_host.h"
#include "tests/support/standin_screens.h"

namespace engine_test {

// A game module that records its hooks in the stand-ins' trace and runs the test's callbacks.
// Put under a screen that records nothing itself (the play screen): "Enter <screen>" in the
// stand-in trace each time that screen is entered.
class EnterProbe : public GxTaskBase {
public:
    explicit EnterProbe(GxTaskBase* screen)
        : GxTaskBase(screen, nullptr, nullptr, 0), m_Name(screen != nullptr ? screen->GetTaskName() : u"")
    {
    }
    void OnSequenceEnter(std::int32_t) override { GxStandinTrace::Record(u"Enter " + m_Name); }

private:
    std::u16string m_Name;
};

class RecordingModule : public GxModuleCoreBase {
public:
    const char16_t* GetModuleName() override { return u"TEST"; }
    void Attach(GxCore*) override { GxStandinTrace::Record(u"Test::Attach"); }
    void AfterReset() override { GxStandinTrace::Record(u"Test::AfterReset"); }
    void Initialize() override
    {
        GxStandinTrace::Record(u"Test::Initialize");
        if (m_OnInitialize)
            m_OnInitialize();
    }
    void BeforeReset() override
    {
        GxStandinTrace::Record(u"Test::BeforeReset");
        if (m_OnBeforeReset)
            m_OnBeforeReset();
    }
    void RegisterBuiltins(GxMoaFunctionBinder* binder) override
    {
        GxStandinTrace::Record(u"Test::RegisterBuiltins");
        if (m_OnRegisterBuiltins)
            m_OnRegisterBuiltins(binder);
    }
    void CreateSequences(GxTaskBase* root) override
    {
        GxStandinTrace::Record(u"Test::CreateSequences");
        if (m_OnCreateSequences)
            m_OnCreateSequences(root);
    }
    void OnBootTitle() override { GxStandinTrace::Record(u"Test::OnBootTitle"); }
    void BeforeLoadGame() override {}
    std::int32_t RestoreSequence() override { return 0; }
    void LoadConfigPage(std::int32_t) override {}
    void StoreConfigPage(std::int32_t) override {}
    void ResetConfig() override {}
    bool WriteGameData(GxContentWriterBase*, const char16_t*) override { return true; }
    bool ReadGameData(GxContentReaderBase*, const char16_t*, bool) override { return true; }
    bool WritePermanentData(GxContentWriterBase*) override { return true; }
    bool ReadPermanentData(GxContentReaderBase*) override { return true; }
    bool WriteUserConfig(GxContentWriterBase*) override { return true; }
    bool ReadUserConfig(GxContentReaderBase*) override { return true; }

    std::function<void()> m_OnInitialize;
    std::function<void(GxTaskBase*)> m_OnCreateSequences;
    std::function<void()> m_OnBeforeReset;
    std::function<void(GxMoaFunctionBinder*)> m_OnRegisterBuiltins;
};

// The game module's start-up, reset and look-up as the engine's own, each of the first three
// also noted in the trace under its name.
class RecordingGameServices : public GxGameServicesBase {
public:
    void SetDefaultDisplaySettings(GxCore* core) override
    {
        GxStandinTrace::Record(u"SetDefaultDisplaySettings");
        ::SetDefaultDisplaySettings(core);
    }
    bool GameStartup(GxCore* core) override
    {
        GxStandinTrace::Record(u"GameStartup");
        return ::GameStartup(core);
    }
    bool GameReset(GxCore* core) override
    {
        GxStandinTrace::Record(u"GameReset");
        return ::GameReset(core);
    }
    bool ResolveImageFile(std::u16string& path) override { return ::ResolveImageFile(path); }
    bool PlaySystemSound(std::int32_t soundID, std::int32_t voiceID) override
    {
        return ::PlaySystemSound(soundID, voiceID);
    }
};

// Back buffer 0 of the engine's device at (x, y) as 0xAARRGGBB; 0x12345678 without a device.
inline std::uint32_t BackBufferPixel(int x, int y)
{
    std::vector<std::uint32_t> pixels;
    UINT width = 0, height = 0;
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (device == nullptr || !platform::d3d9::ReadBackBuffer(device, pixels, width, height) ||
        static_cast<UINT>(x) >= width || static_cast<UINT>(y) >= height)
        return 0x12345678;
    return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
}

class EngineRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        m_Game = m_Temp.Path() / "game";
        m_Home = m_Temp.Path() / "home";
        fs::create_directories(m_Game);
        fs::create_directories(m_Home);
        m_HomeEnv = std::make_unique<ScopedEnv>("HOME", m_Home.string());
        m_ConfigEnv = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", (m_Home / ".config").string());
        m_DataEnv = std::make_unique<ScopedEnv>("XDG_DATA_HOME", std::nullopt);
        fs::create_directories(m_Temp.Path() / "locks");
        platform::SetWindowLockFolder((m_Temp.Path() / "locks").string());
        platform::ResetUserStateForTesting();
        platform::ClearShownMessageBoxes();
        GxStandinTrace::Clear();
        GxStandinTrace::SetEnabled(true);
        SetMediaServices(&m_RecordingMedia);
        SetGameServices(&m_RecordingGame);
        GxCore* core = GxCore::GetInstance();
        SteppingClock::step = 17;
        core->m_FrameTimer.SetClock(&SteppingClock::Read);
        core->m_ModuleList.SetModule(2, &m_Module);
        // Stand-in screens unless the test installs the engine's own (UseEngineServices).
        SetGameScreensBuilder(&standin_screens::Build);
        m_FirstPass = core->m_PassCounter;
        UseDataServices();   // the core reads its configuration through them
    }

    void TearDown() override
    {
        SetMediaServices(nullptr);
        SetMovieServices(nullptr);
        SetGameServices(nullptr);
        SetPlayStateServices(nullptr);
        SetGameScreensBuilder(nullptr);
        if (m_MotionServices)
            SetMotionServices(nullptr);
        if (m_DataServices) {
            SetDataServices(nullptr);
            ResetDataTables();
        }
        if (m_ScriptServices) {
            SetGameWorkerHost(nullptr);
            DestroyScriptEngine();
        }
        GxCore* core = GxCore::GetInstance();
        core->m_ModuleList.SetModule(2, nullptr);
        core->m_UnattendedRun = nullptr;
        platform::ResetUserStateForTesting();
        // The logs must not follow later tests into a removed folder.
        LogSetDebugFile(u"");
        LogSetErrorFile(u"");
        LogSetDeviceFile(u"");
        LogSetWarningsMuted(false);
        GxFile::SetCacheEnabled(false);
        GxStandinTrace::SetEnabled(false);
        GxStandinTrace::Clear();
    }

    // Runs the process entry in the game folder with a fresh copy of the fixture's bounded run.
    int Run()
    {
        ScopedWorkingFolder inGame(m_Game);
        GxUnattendedRun run = m_Run;
        GxCore::GetInstance()->m_UnattendedRun = &run;
        char commandLine[] = "";
        const int result = WinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
        GxCore::GetInstance()->m_UnattendedRun = nullptr;
        return result;
    }

    // Installs the motion subsystem's services for the runs, as the process entry does.
    void UseMotionServices()
    {
        InstallMotionServices();
        m_MotionServices = true;
    }

    // Installs the data subsystem's services (the start-up loads the tables), as the process entry
    // does; the tables are blank again after the test.
    void UseDataServices()
    {
        ResetDataTables();
        InstallDataServices();
        m_DataServices = true;
    }

    // Installs the game worker's host, as the process entry does (the start-up creates the
    // script engine and loads the program; the stand-in boot screen starts "MAIN").
    void UseScriptServices()
    {
        InstallGameWorkerHost();
        m_ScriptServices = true;
    }

    // Every subsystem's services through the process entry's own wiring, the game's own screens
    // included: the boot goes to the title (or the opening movie).
    void UseEngineServices()
    {
        ResetDataTables();
        InstallEngineServices();
        m_MotionServices = true;
        m_DataServices = true;
        m_ScriptServices = true;
    }

    // The number of main-loop passes the last run made.
    int PassCount() const
    {
        const std::vector<std::string> events = Trace();
        return static_cast<int>(std::count(events.begin(), events.end(), "MovieSlotTickAll"));
    }

    TempFolder m_Temp;
    fs::path m_Game;
    fs::path m_Home;
    std::unique_ptr<ScopedEnv> m_HomeEnv;
    std::unique_ptr<ScopedEnv> m_ConfigEnv;
    std::unique_ptr<ScopedEnv> m_DataEnv;
    RecordingModule m_Module;
    RecordingMediaServices m_RecordingMedia;
    RecordingGameServices m_RecordingGame;
    GxUnattendedRun m_Run;
    std::uint32_t m_FirstPass = 0;
    bool m_MotionServices = false;
    bool m_DataServices = false;
    bool m_ScriptServices = false;
};

}  // namespace engine_test
