#include "avg/standins/screens_standin.h"

#include "avg/module_services.h"
#include "core/core.h"
#include "core/standins/standin_trace.h"
#include "core/task_manage.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "data/user_data.h"

#include <string>
#include <string_view>

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

void CreateStandinScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return;
    for (const char16_t* name : kStandinScreenNames) {
        if (std::u16string_view(name) == u"SeqBoot")
            new GxBootStandinScreen(owner);
        else
            new GxStandinScreen(owner, name);
    }
}
