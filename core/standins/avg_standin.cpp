#include "core/standins/avg_standin.h"

#include "core/core.h"
#include "core/data_services.h"
#include "core/motion_services.h"
#include "core/script_services.h"
#include "core/shared_asset_manage.h"
#include "core/standins/layer_services.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "core/standins/motion_target_graphics.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/system_fonts.h"
#include "graphics/texture.h"
#include "core/standins/screens_standin.h"
#include "core/standins/standin_trace.h"
#include "core/task_manage.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/wide_string.h"
#include "platform/win32/timer.h"

#include <ctime>

namespace {

constexpr std::int32_t kGlobalRenderTextureCount = 2;
constexpr std::int32_t kCaptureSet = 1;
constexpr std::int32_t kCaptureWidth = 1024;
constexpr std::int32_t kCaptureHeight = 768;

struct GlobalRenderTargets {
    GxTexture textures[kGlobalRenderTextureCount];
    GxSurface depthStencil;
};

GlobalRenderTargets& Targets()
{
    static GlobalRenderTargets targets;
    return targets;
}

void CreateGlobalRenderTargets()
{
    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    GlobalRenderTargets& targets = Targets();
    for (GxTexture& texture : targets.textures)
        texture.CreateRenderTarget(u"GlobalRenderTexture0", settings.VirtualWidth, settings.VirtualHeight,
                                   D3DFMT_A8R8G8B8);
    targets.depthStencil.CreateDepthStencil(u"GlobalDepthStencil", settings.VirtualWidth, settings.VirtualHeight,
                                            GxGraphics::GetDepthStencilFormat(), D3DMULTISAMPLE_NONE, 0);
}

void ReleaseGlobalRenderTargets()
{
    GlobalRenderTargets& targets = Targets();
    for (GxTexture& texture : targets.textures)
        texture.ReleaseAll();
    targets.depthStencil.ReleaseAll();
}

// The grid fonts of bitmap-font slots 0 to 2, each only when its image is there, the message
// window's built-in font when one is configured, then the six glyph caches at the configured sizes
// with the default face.
void SetUpSystemFonts(const GxCore& core)
{
    static_assert(kSystemFontMapCount == kCoreConfigFontSizeCount);
    ClearSystemFonts();
    struct GridFont {
        const char16_t* name;
        std::uint32_t first, last, cellWidth, cellHeight, cellsPerRow;
    };
    static constexpr GridFont kGridFonts[] = {
        {u"FONT16SYS", 32, 126, 8, 16, 16},
        {u"FONT8NUM", 32, 57, 8, 16, 7},
        {u"FONT22NUM", 48, 57, 22, 32, 5},
    };
    for (std::int32_t slot = 0; slot < 3; ++slot) {
        const GridFont& font = kGridFonts[slot];
        const std::u16string image = std::u16string(font.name) + u".png";
        if (FileExists(image) != 0)
            GetSystemBitmapFont(slot)->CreateGrid(font.name, image, font.first, font.last, font.cellWidth,
                                                  font.cellHeight, font.cellsPerRow);
    }
    // The font loader logs a missing or damaged file; the window then draws with its glyph cache.
    const std::u16string& builtin = core.GetConfig().m_MesWinTextBuiltinFontName;
    if (!builtin.empty()) {
        const std::u16string path = u"fonts/" + builtin;
        GetSystemBitmapFont(kBuiltinMessageFontIndex)->CreateFromFile(path + u".fmp", path + u".png");
    }
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
        GetSystemFontMap(index)->SetFont(core.GetConfig().m_FontSize[index], nullptr);
}

// The BGM restraint level back to 100: the music at its full volume.
void LiftBGMRestraint()
{
    if (GxDataServicesBase* data = GetDataServices())
        data->SetBGMRestraintLevel(100);
}

// The player's options from "userconf.dat", then the sound engine they choose, noted in
// "device.log". Without data services there are no options and nothing is chosen.
void LoadOptionsAndSelectSoundEngine(GxCore& core)
{
    GxDataServicesBase* data = GetDataServices();
    if (data == nullptr || core.m_UserConfig == nullptr || core.m_SystemConfig == nullptr)
        return;
    data->LoadUserConfig(*core.m_UserConfig, core);
    DWORD major = 0, minor = 0;
    core.GetOSVersion(&major, &minor);
    const bool xaudio2 = data->SelectSoundEngine(*core.m_SystemConfig, *core.m_UserConfig, major);
    LogPrintDevice(xaudio2 ? u"サウンドエンジンにXAudio2が選択されました\n" : u"サウンドエンジンにDirectSoundが選択されました\n");
}

}  // namespace

GxTexture* GetGlobalRenderTexture(std::int32_t index)
{
    if (index < 0 || index >= kGlobalRenderTextureCount)
        return nullptr;
    return &Targets().textures[index];
}

GxSurface* GetGlobalDepthStencil()
{
    return &Targets().depthStencil;
}

bool CaptureScreenToTexture(GxCore* core)
{
    GxTexture* target = GetGlobalRenderTexture(0);
    if (core == nullptr || core->m_TaskManage == nullptr || !target->HasTexture()) {
        LogPrint(u"CaptureScreenToTexture/no render texture to capture into\n");
        return false;
    }
    core->m_RenderSet = kCaptureSet;
    core->ClearRenderLists();
    core->m_TaskManage->RenderAll(0, 0);
    const GxRect viewport{0, 0, kCaptureWidth, kCaptureHeight};
    // The entry stays pushed even when binding fails, so the pop below always balances it.
    GxGraphics::PushRenderTarget(0, target, GetGlobalDepthStencil(), &viewport);
    core->DrawRenderLists();
    core->ClearRenderLists();
    core->m_RenderSet = 0;
    return GxGraphics::PopRenderTarget(0);
}

void SetDefaultDisplaySettings(GxCore* core)
{
    GxStandinTrace::Record(u"SetDefaultDisplaySettings");
    if (core == nullptr)
        core = GxCore::GetInstance();
    GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
    core->m_CursorKind = 1;
    core->m_FrameTimer.SetFramesPerSecond(60);
    core->m_FrameTimer.SetLogicRate(60);
    LogDeleteDeviceFile();
    if (core->GetConfig().m_CleanErrorLog) {
        LogDeleteDebugFile();
        LogDeleteErrorFile();
    }
}

bool GameStartup(GxCore* core)
{
    GxStandinTrace::Record(u"GameStartup");
    if (core == nullptr || core->m_TaskManage == nullptr) {
        LogPrint(u"GameStartup/no task manager\n");
        return false;
    }
    GxTaskManage* manage = core->m_TaskManage;
    GxFile::SetCacheEnabled(true);
    LogSetWarningsMuted(core->GetConfig().m_SkipSlightError);
    GxScriptServicesBase* script = GetScriptServices();
    if (script != nullptr)
        script->RegisterDebugConsole();
    // The compiler runs before the engine objects exist; a failure leaves the old program.
    if (script != nullptr && core->GetConfig().m_AutoCompile)
        script->CompileScripts();
    GxMotionServicesBase* motion = GetMotionServices();
    if (motion != nullptr)
        motion->ReleaseAllImageSets();
    if (core->m_SharedAssets != nullptr)
        CreateStartupSharedScopes(*core->m_SharedAssets);
    CreateGlobalRenderTargets();
    LiftBGMRestraint();
    SetUpSystemFonts(*core);
    InstallStandinLayerGraphics();
    // A missing or damaged program is logged by the loader; the game goes on without one.
    if (script != nullptr) {
        script->CreateScriptEngine(core);
        script->LoadScriptBinary();
    }
    // The data tables, before any module initialises; failures are logged by the readers.
    LoadGameTables();

    GxTaskBase* root = manage->GetRoot();
    if (root == nullptr)
        root = new GxTaskBase(manage);
    manage->SetSystemSequence(CreateStandinScreens(root));

    AvgCore& avg = GetAvgCore();
    core->m_ModuleList.SetModule(1, &avg);
    avg.Attach(core);
    if (motion != nullptr) {
        const std::u16string& folder = core->GetConfig().m_UIImageSetFolder;
        for (const char16_t* name : {u"ui_common.gis", u"ui_avgmain.gis", u"ui_iconpool.gis"})
            motion->AddImageSet(folder + name);
    }
    core->m_ModuleList.ModulesInitialize();
    core->m_ModuleList.ModulesInitializeLate(script != nullptr ? script->GetFunctionBinder() : nullptr);
    // A first start has no file and a damaged one is logged by its reader: the flags start empty.
    if (GxDataServicesBase* data = GetDataServices(); data != nullptr && core->m_UserDataPerman != nullptr)
        data->LoadPermanentData(*core->m_UserDataPerman, core->GetSaveDir() + u"permanent.dat");
    LoadOptionsAndSelectSoundEngine(*core);
    core->m_ModuleList.ModulesCreateSequences(root);

    manage->ChangeSequenceByName(u"SeqBoot", 0, 0);

    GxRandomSeed(timeGetTime() + static_cast<std::uint32_t>(std::time(nullptr)));
    return true;
}

void GameReset(GxCore* core)
{
    GxStandinTrace::Record(u"GameReset");
    if (core == nullptr)
        return;
    core->m_ModuleList.ModulesBeforeReset();
    if (core->m_SharedAssets != nullptr)
        core->m_SharedAssets->ReleaseAll();
    ClearSystemFonts();
    if (GxScriptServicesBase* script = GetScriptServices())
        script->DestroyScriptEngine();
    if (GxMotionServicesBase* motion = GetMotionServices())
        motion->ReleaseAllImageSets();
    ReleaseStandinLayerGraphics();   // it may still hold the motion target pushed
    ReleaseGlobalRenderTargets();
    LiftBGMRestraint();
    core->m_ModuleList.ModulesAfterReset();
}

void AvgCore::Attach(GxCore* core)
{
    GxStandinTrace::Record(u"AvgCore::Attach");
    m_Core = core;
}

void AvgCore::AfterReset()
{
    GxStandinTrace::Record(u"AvgCore::AfterReset");
}

void AvgCore::Initialize()
{
    GxStandinTrace::Record(u"AvgCore::Initialize");
}

void AvgCore::BeforeReset()
{
    GxStandinTrace::Record(u"AvgCore::BeforeReset");
}

void AvgCore::RegisterBuiltins(GxMoaFunctionBinder*)
{
    GxStandinTrace::Record(u"AvgCore::RegisterBuiltins");
}

void AvgCore::CreateSequences(GxTaskBase* root)
{
    GxStandinTrace::Record(u"AvgCore::CreateSequences");
    if (m_Core != nullptr && m_Core->m_SharedAssets != nullptr)
        CreateAvgSharedScope(*m_Core->m_SharedAssets);
    if (root == nullptr)
        return;
    new SeqAvgMain(root);
    new GxStandinScreen(root, u"SeqAvgLog");
}

SeqAvgMain::SeqAvgMain(GxTaskBase* owner) : GxStandinScreen(owner, u"SeqAvgMain") {}

void SeqAvgMain::SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags)
{
    GxStandinTrace::Record(FormatWide(u"SeqAvgMain::SetMessageText(%s,%d,%d,%d)", text.c_str(), read ? 1 : 0,
                                      ignoreKinsoku ? 1 : 0, flags));
    LogPrintDebug(u"SeqAvgMain::SetMessageText/speaker=[%s] text=[%s] read=%d\n", m_SpeakerName.c_str(), text.c_str(),
                  read ? 1 : 0);
    m_HoldFramesLeft = kMessageHoldFrames;
}

void SeqAvgMain::SetSpeakerName(const std::u16string& name, std::int32_t mode)
{
    GxStandinTrace::Record(FormatWide(u"SeqAvgMain::SetSpeakerName(%s,%d)", name.c_str(), mode));
    LogPrintDebug(u"SeqAvgMain::SetSpeakerName/name=[%s] mode=%d\n", name.c_str(), mode);
    if (name.empty() || mode == 0) {
        m_SpeakerName.clear();
    } else if (mode == 1 || mode == 3) {
        m_SpeakerName = name;
    } else if (mode == 2) {
        GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
        std::u16string image = (core ? core->GetConfig().m_NameImageFolder : GxCoreConfig().m_NameImageFolder) + name;
        if (ResolveImageFile(image))
            m_SpeakerName = name;
        else
            m_SpeakerName.clear();
    }
}

void SeqAvgMain::ClearSpeakerName()
{
    GxStandinTrace::Record(u"SeqAvgMain::ClearSpeakerName()");
    LogPrintDebug(u"SeqAvgMain::ClearSpeakerName/\n");
    m_SpeakerName.clear();
}

int SeqAvgMain::Update(std::int32_t step, std::uint64_t)
{
    const int handled = ProcessUIEvents(nullptr);
    // Frames, not logic passes: only the first pass of a frame counts.
    if (m_HoldFramesLeft > 0 && step == 0)
        --m_HoldFramesLeft;
    GxScriptServicesBase* script = GetScriptServices();
    if (handled != 0 || script == nullptr)
        return 0;
    script->StepMainWorkerWithinBudget([this] { return IsScriptRunnable(); });
    return 0;
}

int SeqAvgMain::OnMouseLeftUp(const GxVector2*, std::uint32_t)
{
    if (m_HoldFramesLeft == 0)
        return 0;
    m_HoldFramesLeft = 0;
    return 1;
}

bool SeqAvgMain::IsScriptRunnable()
{
    if (m_HoldFramesLeft > 0 || m_Manage == nullptr || m_Manage->IsAnyChangePending())
        return false;
    return m_WorkerIndex >= 0 && m_Manage->IsWorkerReady(m_WorkerIndex);
}

AvgCore& GetAvgCore()
{
    static AvgCore core;
    return core;
}
