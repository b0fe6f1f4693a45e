// GxCore: the engine core, one per process. It owns the engine-wide objects (the main window,
// the task manager, the UI state, the configuration and saved-data objects, the profiler, the
// shared asset scopes, the frame timer, two sets of ten render lists and the list of module
// cores), runs the start-up, the main loop with its window procedure and frame, and the
// shut-down. Everything runs on the window thread.
//
// Sections (implementation files): start-up, shut-down and accessors (core.cpp) | main window,
// window procedure, cursor and main loop (core_window.cpp) | the frame (core_frame.cpp)
#pragma once

#include "core/core_config.h"
#include "core/data_services.h"
#include "core/module_list.h"
#include "core/task_render_manage.h"
#include "foundation/frame_timer.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GxTaskManage;
class GxUIManage;
class GxSystemConfig;
class GxUserConfig;
class GxUserData;
class GxUserDataPerman;
class GxProfileEx;
class GxSharedAssetManage;
class GxWidgetServicesBase;
class GxUnattendedRun;

constexpr std::int32_t kRenderSetCount = 2;
// The client area is mapped onto this virtual screen whatever its real size.
constexpr double kVirtualScreenWidth = 1024.0;
constexpr double kVirtualScreenHeight = 768.0;
// Longest working folder the engine starts in; the message names one more.
constexpr std::size_t kMaxWorkingFolderLength = 244;

class GxCore {
public:
    GxCore();
    // Deletes whatever the core still owns.
    virtual ~GxCore();
    GxCore(const GxCore&) = delete;
    GxCore& operator=(const GxCore&) = delete;

    // The one instance, built by the first call (on the window thread, before other threads).
    static GxCore* GetInstance();

    // ---- start-up and shut-down (core.cpp)
    // False when the process must end without the main loop and the shut-down.
    bool Initialize(HINSTANCE instance);
    void Finalize();
    // Posts the window-destroy message, which the window procedure answers with the quit message.
    void RequestQuit();
    bool GetOSVersion(DWORD* major, DWORD* minor);

    // ---- main window and main loop (core_window.cpp)
    bool CreateMainWindow();
    static LRESULT StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs passes until the quit flag is set.
    void MainLoop();
    // One pass of the main loop; false once the quit flag is set.
    bool RunMainLoopPass();
    // Sets the cursor by the cursor kind; the answer to WM_SETCURSOR.
    bool OnSetCursor();
    // 0 hidden, 1 arrow, 2 cross, 3 four-way, 4 north-south, 5 west-east, 6 no-entry.
    void SetCursorShape(std::int32_t kind);
    // The cursor in virtual-screen coordinates, truncated; (0, 0) while the client area is empty.
    POINT GetCursorClientPos();

    // ---- the frame (core_frame.cpp)
    bool Frame();
    // List n (0 to 9) of the current render set; null for any other n.
    GxTaskRenderManage* GetRenderList(std::int32_t n);
    void ClearRenderLists();
    void DrawRenderLists();
    // True unless the lists would draw the picture last presented: the same entries drawn the
    // same way, and no move of the scene generation since (see core/scene_generation.h).
    bool NeedsComposing();

    // ---- modules
    void ModulesAfterReset() { m_ModuleList.ModulesAfterReset(); }
    void ModulesInitialize() { m_ModuleList.ModulesInitialize(); }
    void ModulesBeforeReset() { m_ModuleList.ModulesBeforeReset(); }
    void ModulesInitializeLate(GxMoaFunctionBinder* binder) { m_ModuleList.ModulesInitializeLate(binder); }
    void ModulesCreateSequences(GxTaskBase* root) { m_ModuleList.ModulesCreateSequences(root); }
    void ModulesOnBootTitle() { m_ModuleList.ModulesOnBootTitle(); }
    void ModulesBeforeLoadGame() { m_ModuleList.ModulesBeforeLoadGame(); }
    void ModulesLoadConfigPage(std::int32_t page) { m_ModuleList.ModulesLoadConfigPage(page); }
    void ModulesStoreConfigPage(std::int32_t page) { m_ModuleList.ModulesStoreConfigPage(page); }
    void ModulesResetConfig() { m_ModuleList.ModulesResetConfig(); }
    bool ModulesWriteGameData(GxContentWriterBase* writer, const char16_t* path)
    {
        return m_ModuleList.ModulesWriteGameData(writer, path);
    }
    bool ModulesReadGameData(GxContentReaderBase* reader, const char16_t* path, bool fullRestore)
    {
        return m_ModuleList.ModulesReadGameData(reader, path, fullRestore);
    }
    bool ModulesWritePermanentData(GxContentWriterBase* writer) { return m_ModuleList.ModulesWritePermanentData(writer); }
    bool ModulesReadPermanentData(GxContentReaderBase* reader) { return m_ModuleList.ModulesReadPermanentData(reader); }
    bool ModulesWriteUserConfig(GxContentWriterBase* writer) { return m_ModuleList.ModulesWriteUserConfig(writer); }
    bool ModulesReadUserConfig(GxContentReaderBase* reader) { return m_ModuleList.ModulesReadUserConfig(reader); }
    // After a saved game was loaded: the modules choose first, else slot 0 switches to the game
    // data's restore sequence. Always 0 unless a module chose.
    std::int32_t ChangeSequenceByName();
    // A copy of the save folder, ending in a separator (empty before start-up made it).
    std::u16string GetSaveDir() const { return m_SaveFolder; }
    // The UI state's modal level and hold 0 (the input hold) to 3, read through the widget
    // services; 0 without a UI state or services, or for another index.
    std::int32_t GetUIModalLevel() const;
    std::int32_t GetUIHold(std::int32_t index) const;
    // Keeps the user dialog's answer (1 yes/ok, 0 no/cancel) in the game data, through the data
    // services; nothing without game data or services.
    void SetLastDialogResult(std::int32_t result);

    // ---- configuration (core.cpp): the objects are the data subsystem's, reached through its
    // services (core/data_services.h)
    // The values the core reads, copied from the game configuration at start-up.
    const GxCoreConfig& GetConfig() const { return m_Config; }
    DWORD GetClearColor() const { return m_Config.m_ClearColor; }
    std::int32_t GetTransitTime() const { return m_Config.m_TransitTime; }
    // Copies GetConfig's values from m_SystemConfig again (after a change to one of them); the
    // built-in values without a configuration or data services.
    void RefreshConfig();
    // The movie sound's attenuation from the player's options; 0 (full volume) without them.
    std::int32_t GetMovieAttenuation() const;

    // ---- fields, read and written directly by the other parts of the engine
    HINSTANCE m_Instance = nullptr;
    HWND m_MainWindow = nullptr;
    bool m_WindowCreated = false;
    bool m_Active = false;
    bool m_Initialized = false;
    bool m_Quit = false;
    GxFrameTimer m_FrameTimer;
    // The core deletes only the objects it made itself (see the owners below); a caller may point
    // these at objects of its own.
    GxTaskManage* m_TaskManage = nullptr;
    GxUIManage* m_UIManage = nullptr;
    GxTaskRenderManage m_RenderLists[kRenderSetCount * kRenderListCount];   // entry set * 10 + n
    std::int32_t m_RenderSet = 0;
    GxSystemConfig* m_SystemConfig = nullptr;
    GxUserConfig* m_UserConfig = nullptr;
    GxUserData* m_UserData = nullptr;
    GxUserDataPerman* m_UserDataPerman = nullptr;
    GxProfileEx* m_Profile = nullptr;
    GxSharedAssetManage* m_SharedAssets = nullptr;
    GxModuleList m_ModuleList;   // never owns its modules
    // Registered by the widget subsystem at start-up; not owned.
    GxWidgetServicesBase* m_WidgetServices = nullptr;
    std::u16string m_WindowTitle;   // the main window's class name and caption
    std::u16string m_SaveFolder;    // ends in "/" unless empty
    // How the cursor looks over the client area (see OnSetCursor); set with the display defaults.
    std::int32_t m_CursorKind = 1;
    // The process's exit code (core/exit_code.h): 0 unless start-up refused to run the game,
    // the main window or the device could not be made, or the device failed beyond repair.
    int m_ExitCode = 0;
    // Why the run failed, one English line naming the cause and the path; empty otherwise.
    std::string m_FailureText;
    // Main-loop passes so far.
    std::uint32_t m_PassCounter = 0;
    // Set by the process entry for an unattended run; not owned.
    GxUnattendedRun* m_UnattendedRun = nullptr;
    // Frames composed and presented; an unchanged frame is neither.
    std::uint64_t m_PresentedFrames = 0;
    // Composes and presents every frame (TARNWICK_ALWAYS_COMPOSE=1, read at start-up).
    bool m_AlwaysCompose = false;

private:
    // Keeps the exit code and the text of the first failure; always false.
    bool Fail(int exitCode, std::string text);
    // The cause of an unreadable "system/sysconf.ini", told apart from what the folder holds.
    bool RefuseWithoutSysConf();
    // Writes the packs refused before the logs had a file into the logs.
    void LogRefusedPacks();
    bool CheckWorkingFolder();
    void SetUpSaveFolder();
    void DeleteOwnedObjects();
    void DeleteOwnedUIManage();
    // Routes one mouse message to the task manager; false when the client area is empty.
    bool DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam);
    // True right after the frame timer finished a two-second rate measurement.
    void UpdateDebugTitle();

    std::unique_ptr<GxTaskManage> m_OwnedTaskManage;
    // The services that made m_UIManage, which also delete it; null when the core made none.
    GxWidgetServicesBase* m_UIManageMaker = nullptr;
    GxSystemConfigHolder m_OwnedSystemConfig;
    GxUserConfigHolder m_OwnedUserConfig;
    GxCoreConfig m_Config;
    GxUserDataHolder m_OwnedUserData;
    GxUserDataPermanHolder m_OwnedUserDataPerman;
    std::unique_ptr<GxProfileEx> m_OwnedProfile;
    std::unique_ptr<GxSharedAssetManage> m_OwnedSharedAssets;
    // The last presented frame: whether there is one, its scene generation and its lists' words.
    bool m_Composed = false;
    std::uint64_t m_ComposedGeneration = 0;
    std::vector<std::uint64_t> m_ComposedSignature;
    std::vector<std::uint64_t> m_FrameSignature;
    // The "first-screen" mark was written.
    bool m_FirstScreenPresented = false;
    // Time since the timer's rate measurement began, followed from the frames' lengths.
};
