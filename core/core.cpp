#include "core/core.h"

#include "core/debug_window.h"
#include "core/exit_code.h"
#include "core/scene_generation.h"
#include "core/input.h"
#include "core/media_services.h"
#include "core/motion_services.h"
#include "core/shared_asset_manage.h"
#include "core/game_services.h"
#include "core/widget_services.h"
#include "graphics/graphics.h"
#include "core/task_manage.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/profile.h"
#include "foundation/wide_string.h"
#include "platform/win32/message.h"
#include "platform/win32/system_info.h"

#include <cstdlib>
#include <cstring>

namespace {

// The configuration is not read yet when the working folder is checked.
constexpr char16_t kEarlyCaption[] = u"Tarnwick";
constexpr char16_t kPathTooLongText[] =
    u"インストール先のパスが長すぎます。\nお手数ですがもっと階層の浅いフォルダにインストールしてみてください。\n"
    u"(インストール可能なパス最大長は%d文字です)";
constexpr char16_t kSysConfFailedText[] =
    u"システム設定ファイルの読み込みに失敗しました。考えられる原因は以下の通りです。\n"
    u"・ウイルス対策ソフトによって動作がブロックされている。\n・インストールが正しく行われていない。\n"
    u"・実行ファイルの作業ディレクトリが正しく無い。";
constexpr char16_t kAlreadyRunningText[] = u"既に起動中です";
constexpr char16_t kSaveFolderInDocumentsText[] = u"ドキュメントにセーブフォルダ[%s]を作成しました。";
constexpr char16_t kSaveFolderInInstallText[] = u"インストールフォルダにセーブフォルダ[%s]を作成しました。";
constexpr char16_t kSaveFolderFailedText[] = u"セーブフォルダの作成に失敗しました。";

constexpr DWORD kClearAll = 7;   // target, depth and stencil
constexpr DWORD kStartupClearColor = 0xFFFF0000;

// A reset (also a screen-mode change) may leave the back buffer with anything in it.
bool ResetHook(std::int32_t, std::int32_t)
{
    GxSceneGeneration::Touch();
    return true;
}

bool EnvironmentFlag(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// The device broke beyond repair: shut down in order and leave with the device's exit code.
void OnGraphicsFatalError(int exitCode)
{
    GxCore* core = GxCore::GetInstance();
    core->m_ExitCode = exitCode;
    core->m_FailureText = "the graphics device failed beyond repair (driver internal error)";
    core->RequestQuit();
}

// The working folder for a failure line; "." when it cannot be named.
std::string CurrentFolderText()
{
    const std::u16string folder = GetCurrentFolder();
    return folder.empty() ? std::string(".") : WideToUtf8(folder);
}

template <typename T, typename D>
void DropOwned(std::unique_ptr<T, D>& owned, T*& field)
{
    owned.reset();
    field = nullptr;
}

}  // namespace

GxCore::GxCore() = default;

GxCore::~GxCore()
{
    DeleteOwnedObjects();
    m_FrameTimer.ResetTimerResolution();
}

GxCore* GxCore::GetInstance()
{
    static GxCore instance;
    return &instance;
}

void GxCore::DeleteOwnedObjects()
{
    // Loader threads first, the tree last: tasks may still reach the other objects while deleted.
    DropOwned(m_OwnedSharedAssets, m_SharedAssets);
    DropOwned(m_OwnedProfile, m_Profile);
    DropOwned(m_OwnedUserDataPerman, m_UserDataPerman);
    DropOwned(m_OwnedUserData, m_UserData);
    DropOwned(m_OwnedUserConfig, m_UserConfig);
    DropOwned(m_OwnedSystemConfig, m_SystemConfig);
    DeleteOwnedUIManage();
    DropOwned(m_OwnedTaskManage, m_TaskManage);
}

void GxCore::DeleteOwnedUIManage()
{
    if (m_UIManageMaker == nullptr)
        return;
    m_UIManageMaker->DeleteUIManage(m_UIManage);
    m_UIManageMaker = nullptr;
    m_UIManage = nullptr;
}

std::int32_t GxCore::GetUIModalLevel() const
{
    // Read by the services that made the state (a caller's own state: the installed ones).
    GxWidgetServicesBase* services = m_UIManageMaker ? m_UIManageMaker : m_WidgetServices;
    return m_UIManage && services ? services->GetModalLevel(m_UIManage) : 0;
}

std::int32_t GxCore::GetUIHold(std::int32_t index) const
{
    GxWidgetServicesBase* services = m_UIManageMaker ? m_UIManageMaker : m_WidgetServices;
    if (!m_UIManage || !services || index < 0 || index > 3)
        return 0;
    return services->GetUIHold(m_UIManage, index);
}

void GxCore::SetLastDialogResult(std::int32_t result)
{
    GxDataServicesBase* data = GetDataServices();
    if (data != nullptr && m_UserData != nullptr)
        data->SetLastDialogResult(*m_UserData, result);
}

bool GxCore::Fail(int exitCode, std::string text)
{
    if (m_ExitCode == kExitNormal) {
        m_ExitCode = exitCode;
        m_FailureText = std::move(text);
    }
    return false;
}

bool GxCore::CheckWorkingFolder()
{
    // An empty answer means the folder could not be read within the path buffer: too long too.
    const std::u16string folder = GetCurrentFolder();
    if (!folder.empty() && folder.size() <= kMaxWorkingFolderLength)
        return true;
    ShowErrorBox(kEarlyCaption, kPathTooLongText, static_cast<int>(kMaxWorkingFolderLength + 1));
    return Fail(kExitPathTooLong, "the game folder's path is longer than " + std::to_string(kMaxWorkingFolderLength) +
                                      " characters" + (folder.empty() ? std::string() : ": " + WideToUtf8(folder)));
}

bool GxCore::RefuseWithoutSysConf()
{
    const std::string where = CurrentFolderText();
    for (const GxPackFailure& failure : GxFile::GetPackFailures()) {
        if (failure.m_Path == u"system.gxp" && !failure.m_Missing)
            return Fail(kExitSystemPackUnreadable, "cannot read system.gxp in " + where + " (" +
                                                       WideToUtf8(failure.m_Reason) +
                                                       "), and there is no loose system/sysconf.ini");
    }
    if (FileExists(u"system.gxp") == kFileNotFound && !FolderExists(u"system"))
        return Fail(kExitNotAGameFolder,
                    where + " is not a game folder: it holds neither system.gxp nor system/sysconf.ini");
    const bool missing = FileExists(u"system/sysconf.ini") == kFileNotFound;
    return Fail(kExitSysConfUnreadable,
                "cannot read system/sysconf.ini in " + where + (missing ? ": no such file" : ""));
}

void GxCore::LogRefusedPacks()
{
    for (const GxPackFailure& failure : GxFile::GetPackFailures()) {
        // A game may keep everything loose: no "system.gxp" at all is no fault.
        if (failure.m_Missing && failure.m_Path == u"system.gxp")
            continue;
        LogPrint(u"GxCore::Initialize/Pack not read(%s):%s\n", failure.m_Reason.c_str(), failure.m_Path.c_str());
    }
}

void GxCore::SetUpSaveFolder()
{
    const std::u16string& name = m_Config.m_SaveDirName;
    const bool inDocuments = m_Config.m_SaveToMyDocuments;
    const std::u16string base = inDocuments ? GetUserDataFolder() : GetCurrentFolder();
    std::u16string path = CombinePath(base, name, u'/');
    if (!FolderExists(path)) {
        if (CreateFolder(path)) {
            ShowErrorBox(m_WindowTitle.c_str(), inDocuments ? kSaveFolderInDocumentsText : kSaveFolderInInstallText,
                         name.c_str());
        } else {
            ShowErrorBox(m_WindowTitle.c_str(), kSaveFolderFailedText);
            path.clear();   // the save files then go to the working folder
        }
    }
    m_SaveFolder = AppendPathSeparator(path);
}

bool GxCore::Initialize(HINSTANCE instance)
{
    m_ExitCode = kExitNormal;
    m_FailureText.clear();
    if (!CheckWorkingFolder())
        return false;

    // The configuration objects are the data subsystem's. Without its services (the core alone,
    // in tests) the built-in values stand and there are no player options.
    DropOwned(m_OwnedUserConfig, m_UserConfig);
    DropOwned(m_OwnedSystemConfig, m_SystemConfig);
    m_Config = GxCoreConfig{};
    GxDataServicesBase* data = GetDataServices();
    if (data != nullptr && (m_OwnedSystemConfig = data->CreateSystemConfig())) {
        m_SystemConfig = m_OwnedSystemConfig.get();
        if (!data->LoadSysConf(*m_SystemConfig)) {
            ShowErrorBox(m_Config.m_AppTitle.c_str(), kSysConfFailedText);
            return RefuseWithoutSysConf();
        }
        data->LoadSettingIni(*m_SystemConfig);
        RefreshConfig();
    }

    if (FindWindowW(m_Config.m_AppTitle.c_str(), nullptr) != nullptr) {
        ShowErrorBox(m_Config.m_AppTitle.c_str(), kAlreadyRunningText);
        std::string text = "\"";
        text += WideToUtf8(m_Config.m_AppTitle);
        text += "\" is already running (another instance has its window open)";
        return Fail(kExitAlreadyRunning, std::move(text));
    }

    if (data != nullptr) {
        m_OwnedUserConfig = data->CreateUserConfig();
        m_UserConfig = m_OwnedUserConfig.get();
    }
    m_Instance = instance;
    m_MainWindow = nullptr;
    m_WindowCreated = false;
    m_Active = false;
    m_Initialized = false;
    m_Quit = false;
    m_AlwaysCompose = EnvironmentFlag("TARNWICK_ALWAYS_COMPOSE");
    m_Composed = false;
    m_ComposedSignature.clear();
    m_WindowTitle = m_Config.m_AppTitle;

    m_OwnedProfile = std::make_unique<GxProfileEx>();
    m_Profile = m_OwnedProfile.get();
    m_Profile->Init();
    m_OwnedSharedAssets = std::make_unique<GxSharedAssetManage>();
    m_SharedAssets = m_OwnedSharedAssets.get();

    SetUpSaveFolder();

    // The logs go to the save folder, so they are set up only now.
    LogResetErrorCount();
    LogSetDebugFile((m_SaveFolder + u"debug.log").c_str());
    LogSetErrorFile((m_SaveFolder + u"error.log").c_str());
    LogSetDeviceFile((m_SaveFolder + u"device.log").c_str());

    ResetDebugWindowState();
    CreateDebugWindow(m_Instance);

    if (GxGameServicesBase* game = GetGameServices())
        game->SetDefaultDisplaySettings(this);
    // Only now: the display defaults may have emptied the logs.
    LogRefusedPacks();

    m_OwnedTaskManage = std::make_unique<GxTaskManage>(this);
    m_TaskManage = m_OwnedTaskManage.get();
    // The widget subsystem makes the UI state; without its services there is none.
    DeleteOwnedUIManage();
    if (m_WidgetServices != nullptr) {
        m_UIManage = m_WidgetServices->CreateUIManage();
        m_UIManageMaker = m_WidgetServices;
    }
    m_RenderSet = 0;

    // The saved data is the data subsystem's too: without its services there is none.
    DropOwned(m_OwnedUserData, m_UserData);
    DropOwned(m_OwnedUserDataPerman, m_UserDataPerman);
    if (data != nullptr) {
        m_OwnedUserData = data->CreateUserData(*this);
        m_UserData = m_OwnedUserData.get();
        m_OwnedUserDataPerman = data->CreateUserDataPerman(*this);
        m_UserDataPerman = m_OwnedUserDataPerman.get();
    }

    // Window and device failures end the run after its first pass, through the quit message.
    if (!CreateMainWindow()) {
        Fail(kExitNoWindow, "cannot create the main window");
        RequestQuit();
    }
    // The device reaches up to the core only for these two: the loader pool it waits out before
    // a reset, and the orderly shut-down after a driver failure.
    GxGraphics::SetFatalErrorHandler(OnGraphicsFatalError);
    GxGraphics::SetResetJobPool(&m_SharedAssets->GetJobManage());
    if (!GxGraphics::CreateDevice(m_MainWindow, nullptr, ResetHook, ResetHook)) {
        Fail(kExitNoWindow, "cannot create the graphics device");
        RequestQuit();
    }
    GxGraphics::CreateEffectPool();
    ClearTarget(kClearAll, kStartupClearColor, 1.0f, 0, nullptr);

    InitDirectInput(m_MainWindow);
    if (GxMediaServicesBase* media = GetMediaServices()) {
        media->InitAudioDevice(0);
        media->SoundInitDevice(m_MainWindow, 0);
        media->MovieInitCom();
    }

    if (GxGameServicesBase* game = GetGameServices())
        game->GameStartup(this);

    m_Initialized = true;
    return true;
}

void GxCore::Finalize()
{
    m_Initialized = false;
    if (m_SharedAssets != nullptr)
        m_SharedAssets->ReleaseAll();
    if (m_TaskManage != nullptr)
        m_TaskManage->ReleaseSequences();
    // A failed save is logged by the writer and keeps the earlier file.
    if (GxDataServicesBase* data = GetDataServices()) {
        if (m_UserConfig != nullptr)
            data->SaveUserConfig(*m_UserConfig, *this);
        if (m_UserDataPerman != nullptr)
            data->SavePermanentData(*m_UserDataPerman, m_SaveFolder + u"permanent.dat", true);
    }
    DeleteOwnedUIManage();
    ClearTarget(kClearAll, 0, 1.0f, 0, nullptr);
    DropOwned(m_OwnedTaskManage, m_TaskManage);
    if (GxGameServicesBase* game = GetGameServices())
        game->GameReset(this);
    // The game data keeps a pointer to the configuration: it goes first.
    DropOwned(m_OwnedUserData, m_UserData);
    DropOwned(m_OwnedUserDataPerman, m_UserDataPerman);
    DropOwned(m_OwnedSystemConfig, m_SystemConfig);
    DropOwned(m_OwnedUserConfig, m_UserConfig);
    if (GxMotionServicesBase* motion = GetMotionServices()) {
        motion->ReportUnreleasedNcProjects();
        motion->ReportUnreleasedImageSets();
        motion->ReleaseAllNcProjects();   // gives their image sets back first
        motion->ReleaseAllCrammedImageSets();
    }
    DropOwned(m_OwnedProfile, m_Profile);
    GxGraphics::SetResetJobPool(nullptr);
    DropOwned(m_OwnedSharedAssets, m_SharedAssets);
    if (GxMediaServicesBase* media = GetMediaServices()) {
        media->SoundShutdownDevice();
        media->AudioShutdownDevice();
        media->MovieShutdown();
    }
    GxInput::ReleaseDevices();
    GxGraphics::ReleaseShaders();
    GxGraphics::Release();
    GxGraphics::SetFatalErrorHandler(nullptr);
    GxDebugWindowState& debugWindow = GetDebugWindowState();
    if (debugWindow.m_Window != nullptr) {
        debugWindow.m_Shown = false;
        SendMessageW(debugWindow.m_Window, WM_CLOSE, 0, 0);
        debugWindow.m_Window = nullptr;
    }
}

void GxCore::RequestQuit()
{
    // Without a main window the destroy message would reach no window procedure and the loop
    // would never end: post the quit message itself.
    if (m_MainWindow == nullptr || !PostMessageW(m_MainWindow, WM_DESTROY, 0, 0))
        PostQuitMessage(0);
}

bool GxCore::GetOSVersion(DWORD* major, DWORD* minor)
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const BOOL result = GetVersionExW(&info);
    if (major != nullptr)
        *major = info.dwMajorVersion;
    if (minor != nullptr)
        *minor = info.dwMinorVersion;
    return result != FALSE;
}

void GxCore::RefreshConfig()
{
    GxDataServicesBase* data = GetDataServices();
    if (data != nullptr && m_SystemConfig != nullptr)
        data->ReadCoreConfig(*m_SystemConfig, m_Config);
    else
        m_Config = GxCoreConfig{};
}

std::int32_t GxCore::GetMovieAttenuation() const
{
    GxDataServicesBase* data = GetDataServices();
    return data != nullptr && m_UserConfig != nullptr ? data->GetMovieAttenuation(*m_UserConfig) : 0;
}

std::int32_t GxCore::ChangeSequenceByName()
{
    if (const std::int32_t chosen = m_ModuleList.ModulesRestoreSequence())
        return chosen;
    if (m_TaskManage == nullptr)
        return 0;
    GxDataServicesBase* data = GetDataServices();
    const std::u16string name =
        data != nullptr && m_UserData != nullptr ? data->GetRestoreSequence(*m_UserData) : std::u16string();
    m_TaskManage->ChangeSequenceByName(name, 0, 2);
    return 0;
}
