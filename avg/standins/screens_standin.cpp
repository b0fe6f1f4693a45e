#include "avg/standins/screens_standin.h"

#include "avg/module_services.h"
#include "core/core.h"
#include "core/script_services.h"
#include "core/standins/standin_trace.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "foundation/log.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "data/user_data.h"

#include <string>

const char16_t* const kStandinScreenNames[12] = {
    u"SeqBoot", u"SeqTitle",     u"SeqOpening", u"SeqConfig",     u"SeqSave",   u"SeqLoad",
    u"SeqQuickLoad", u"SeqCGMode", u"SeqCGModeView", u"SeqRPMode", u"SeqBGMMode", u"SeqDebug",
};

GxStandinScreen::GxStandinScreen(GxTaskBase* owner, const char16_t* name) : GxSeqBase(owner, name) {}

void GxStandinScreen::OnSequenceEnter(std::int32_t worker)
{
    GxSeqBase::OnSequenceEnter(worker);
    GxStandinTrace::Record(u"Enter " + m_TaskName);
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    if (core && (m_TaskName == u"SeqBoot" || m_TaskName == u"SeqTitle"))
        core->m_ModuleList.ModulesOnBootTitle();
}

GxBootStandinScreen::GxBootStandinScreen(GxTaskBase* owner) : GxStandinScreen(owner, u"SeqBoot") {}

void GxBootStandinScreen::OnSequenceEnter(std::int32_t worker)
{
    GxStandinScreen::OnSequenceEnter(worker);
    m_StartPending = true;
}

int GxBootStandinScreen::Update(std::int32_t step, std::uint64_t elapsed)
{
    const int result = GxStandinScreen::Update(step, elapsed);
    if (!m_StartPending || m_Manage == nullptr || m_WorkerIndex < 0 || !m_Manage->IsWorkerReady(m_WorkerIndex))
        return result;
    m_StartPending = false;
    const GxMoaEx* program = GetScriptInstance();
    if (program == nullptr || program->FindLabel(u"MAIN") == nullptr)
        return result;
    GxCore* core = m_Manage->GetCore();
    if (core != nullptr && core->m_UserData != nullptr)
        ResetAvgState(core->m_UserData, false);
    AvgStartScriptAtLabel(m_WorkerIndex, u"MAIN");
    return result;
}

void GxStandinScreen::OnSequenceLeave(std::int32_t worker)
{
    GxSeqBase::OnSequenceLeave(worker);
    GxStandinTrace::Record(u"Leave " + m_TaskName);
}

SeqSystem::SeqSystem(GxTaskBase* owner) : GxSeqBase(owner, u"SeqSystem")
{
    m_DebugFont.SetFont(GxGDIFontMap::kDefaultFontSize, nullptr);
}

SeqSystem::~SeqSystem()
{
    GxStandinTrace::Record(u"~SeqSystem");
}

void SeqSystem::ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string& text,
                               std::int32_t buttonSet)
{
    LogPrintDebug(u"SeqSystem::ShowUserDialog %s (%d) %s\n", identifier.c_str(), buttonSet, text.c_str());
    m_UserDialogTag = identifier;
    m_UserDialogOpener = requester;
    m_LastUserDialogRequest = {identifier, requester, text, buttonSet};
    ++m_UserDialogRequestCount;
}

int SeqSystem::Render(std::int32_t, std::uint64_t)
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    if (GxTaskRenderManage* list = core ? core->GetRenderList(9) : nullptr)
        list->Add(kRenderModeDefault, this, 0.0f, -1);
    return 0;
}

int SeqSystem::Draw(std::int32_t, std::int32_t)
{
    GxScriptServicesBase* script = GetScriptServices();
    if (script == nullptr || !ShouldDrawDebugStatusLine())
        return 0;
    GxGraphics::ResetRenderStates();
    BeginSceneNested();
    script->DrawDebugStatusLine(0.0f, 0.0f, &m_DebugFont, m_Statistics);
    EndSceneNested();
    return 0;
}

bool SeqSystem::ShouldDrawDebugStatusLine() const
{
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    static const GxCoreConfig kDefaults;
    const GxCoreConfig& config = core != nullptr ? core->GetConfig() : kDefaults;
    if (config.m_DebugConsoleFlag)
        return true;
    if (LogGetErrorCount() == 0)
        return false;
    GxScriptServicesBase* script = GetScriptServices();
    const bool stoppedOnError = script != nullptr && script->IsErrorStop();
    return !config.m_SkipSlightError || stoppedOnError;
}

SeqSystem* CreateStandinScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return nullptr;
    auto* system = new SeqSystem(owner);
    for (const char16_t* name : kStandinScreenNames) {
        if (std::u16string_view(name) == u"SeqBoot")
            new GxBootStandinScreen(owner);
        else
            new GxStandinScreen(owner, name);
    }
    return system;
}
