#include "core/standins/avg_standin.h"

#include "core/core.h"
#include "core/motion_services.h"
#include "core/shared_asset_manage.h"
#include "core/standins/data_standin.h"
#include "core/standins/motion_target_graphics.h"
#include "graphics/graphics.h"
#include "core/standins/screens_standin.h"
#include "core/standins/standin_trace.h"
#include "core/task_manage.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "platform/win32/timer.h"

#include <ctime>

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
    if (core->m_SystemConfig != nullptr && core->m_SystemConfig->m_CleanErrorLog) {
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
    if (core->m_SystemConfig != nullptr)
        LogSetWarningsMuted(core->m_SystemConfig->m_SkipSlightError);
    GxMotionServicesBase* motion = GetMotionServices();
    if (motion != nullptr)
        motion->ReleaseAllImageSets();
    if (core->m_SharedAssets != nullptr)
        CreateStartupSharedScopes(*core->m_SharedAssets);
    InstallStandinLayerGraphics();

    GxTaskBase* root = manage->GetRoot();
    if (root == nullptr)
        root = new GxTaskBase(manage);
    manage->SetSystemSequence(CreateStandinScreens(root));

    AvgCore& avg = GetAvgCore();
    core->m_ModuleList.SetModule(1, &avg);
    avg.Attach(core);
    if (motion != nullptr) {
        const std::u16string folder =
            core->m_SystemConfig != nullptr ? core->m_SystemConfig->m_UIImageSetFolder : std::u16string(u"uigis/");
        for (const char16_t* name : {u"ui_common.gis", u"ui_avgmain.gis", u"ui_iconpool.gis"})
            motion->AddImageSet(folder + name);
    }
    core->m_ModuleList.ModulesInitialize();
    core->m_ModuleList.ModulesInitializeLate(nullptr);
    core->m_ModuleList.ModulesCreateSequences(root);

    manage->ChangeSequenceByName(u"SeqBoot", 0, 0);

    DWORD major = 0, minor = 0;
    core->GetOSVersion(&major, &minor);
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
    if (GxMotionServicesBase* motion = GetMotionServices())
        motion->ReleaseAllImageSets();
    ReleaseStandinLayerGraphics();
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
    new GxStandinScreen(root, u"SeqAvgMain");
    new GxStandinScreen(root, u"SeqAvgLog");
}

AvgCore& GetAvgCore()
{
    static AvgCore core;
    return core;
}
