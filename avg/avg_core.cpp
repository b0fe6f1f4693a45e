#include "avg/avg_core.h"

#include "avg/avg_builtin.h"
#include "avg/seq_avg_main.h"
#include "avg/standins/screens_standin.h"
#include "core/core.h"
#include "core/shared_asset_manage.h"

#include <new>

AvgCore& AvgCore::GetInstance()
{
    static AvgCore core;
    return core;
}

AvgCore::~AvgCore() = default;

const char16_t* AvgCore::GetModuleName()
{
    return u"AVG";
}

void AvgCore::Attach(GxCore* core)
{
    m_Core = core;
    if (m_BuiltinMaker)
        m_Builtin = m_BuiltinMaker(core);
    else
        m_Builtin.reset(new (std::nothrow) AvgBuiltin(core));
}

void AvgCore::AfterReset()
{
    m_Builtin.reset();
}

void AvgCore::RegisterBuiltins(GxMoaFunctionBinder* binder)
{
    if (m_Builtin != nullptr)
        m_Builtin->RegisterBuiltins(binder);
}

void AvgCore::CreateSequences(GxTaskBase* owner)
{
    if (m_Core != nullptr && m_Core->m_SharedAssets != nullptr)
        CreateAvgSharedScope(*m_Core->m_SharedAssets);
    if (owner == nullptr)
        return;
    new SeqAvgMain(owner);
    // A stand-in until the back log is built.
    new GxStandinScreen(owner, u"SeqAvgLog");
}

void AvgCore::SetBuiltinMakerForTesting(std::function<std::unique_ptr<AvgBuiltin>(GxCore*)> maker)
{
    m_BuiltinMaker = std::move(maker);
}
