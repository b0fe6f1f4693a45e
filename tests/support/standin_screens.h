// Empty screens in place of the game's own, for runs that look at the core and the start-up
// rather than at the screens: each records "Enter <name>" and "Leave <name>" in the stand-in
// trace, the boot and title stand-ins call the modules' boot/title hook as the real ones do, and
// the boot stand-in starts a new game at "MAIN" at once (no title in between). Header-only, for
// test programs that link the engine's subsystems.
#pragma once

#include "avg/game_screens_builder.h"
#include "avg/module_services.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "data/user_data.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "tests/support/standin_trace.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace standin_screens {

// Names of the game's screens in the order the real builder makes them, after "SeqSystem".
inline constexpr const char16_t* kScreenNames[12] = {
    u"SeqBoot", u"SeqTitle",     u"SeqOpening", u"SeqConfig",     u"SeqSave",   u"SeqLoad",
    u"SeqQuickLoad", u"SeqCGMode", u"SeqCGModeView", u"SeqRPMode", u"SeqBGMMode", u"SeqDebug",
};

class Screen : public GxSeqBase {
public:
    Screen(GxTaskBase* owner, const char16_t* name) : GxSeqBase(owner, name) {}

    void OnSequenceEnter(std::int32_t worker) override
    {
        GxSeqBase::OnSequenceEnter(worker);
        GxStandinTrace::Record(u"Enter " + m_TaskName);
        GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
        if (core && (m_TaskName == u"SeqBoot" || m_TaskName == u"SeqTitle"))
            core->m_ModuleList.ModulesOnBootTitle();
    }
    void OnSequenceLeave(std::int32_t worker) override
    {
        GxSeqBase::OnSequenceLeave(worker);
        GxStandinTrace::Record(u"Leave " + m_TaskName);
    }
};

// Once its worker slot is ready (a request made while its own change is pending would be
// refused): the game state reset, then the script at "MAIN" on the play screen. A program
// without "MAIN" leaves the game on this screen.
class BootScreen : public Screen {
public:
    explicit BootScreen(GxTaskBase* owner) : Screen(owner, u"SeqBoot") {}

    void OnSequenceEnter(std::int32_t worker) override
    {
        Screen::OnSequenceEnter(worker);
        m_StartPending = true;
    }
    int Update(std::int32_t step, std::uint64_t elapsed) override
    {
        const int result = Screen::Update(step, elapsed);
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

private:
    bool m_StartPending = false;
};

// The resident "SeqSystem": holds the tree's root and draws nothing.
class ResidentScreen : public GxSeqBase {
public:
    explicit ResidentScreen(GxTaskBase* owner) : GxSeqBase(owner, u"SeqSystem") {}
    ~ResidentScreen() override { GxStandinTrace::Record(u"~SeqSystem"); }
    int Render(std::int32_t, std::uint64_t) override { return 0; }
    int Draw(std::int32_t, std::int32_t) override { return 0; }
};

// The twelve stand-ins under the owner, the boot one included.
inline void BuildScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return;
    for (const char16_t* name : kScreenNames) {
        if (std::u16string_view(name) == u"SeqBoot")
            new BootScreen(owner);
        else
            new Screen(owner, name);
    }
}

// The screens' builder of the stand-ins: "SeqSystem", then the twelve.
inline void Build(GxTaskBase* owner, GxCore*)
{
    if (owner == nullptr)
        return;
    new ResidentScreen(owner);
    BuildScreens(owner);
}

}  // namespace standin_screens
