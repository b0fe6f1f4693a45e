#include "avg/standins/screens_standin.h"

#include "core/core.h"
#include "core/script_services.h"
#include "core/standins/standin_trace.h"
#include "core/task_manage.h"

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
    if (m_TaskName == u"SeqBoot")
        StartGameScript();
}

void GxStandinScreen::StartGameScript()
{
    // What the title's start button will do, until there is a title: a program with "MAIN"
    // starts there on the play screen; a game without one stays on this screen.
    GxScriptServicesBase* script = GetScriptServices();
    if (script == nullptr || m_Manage == nullptr || !script->ResetAndJump(u"MAIN"))
        return;
    m_Manage->ChangeSequenceByCName(u"SeqAvgMain", 0, 0, 1);
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
    for (const char16_t* name : kStandinScreenNames)
        new GxStandinScreen(owner, name);
}
