#include "data/saved_script.h"

#include "script/moa.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"

namespace {

GxMoa* g_Moa = nullptr;
GxMoaWorker* g_MainWorker = nullptr;

}  // namespace

void SetSavedDataScript(GxMoa* moa, GxMoaWorker* mainWorker)
{
    // Half a pair would write one side's values and not the other's: take both or neither.
    const bool complete = moa != nullptr && mainWorker != nullptr;
    g_Moa = complete ? moa : nullptr;
    g_MainWorker = complete ? mainWorker : nullptr;
}

GxSavedDataScript::GxSavedDataScript()
{
    if (g_Moa != nullptr) {
        m_Moa = g_Moa;
        m_Worker = g_MainWorker;
        return;
    }
    GxMoa* instance = GetScriptInstance();
    GxMoaWorker* worker = GetMainWorker();
    if (instance != nullptr && worker != nullptr) {
        m_Moa = instance;
        m_Worker = worker;
        return;
    }
    m_OwnMoa = std::make_unique<GxMoa>();
    m_OwnWorker = std::make_unique<GxMoaWorker>(m_OwnMoa.get());
    m_Moa = m_OwnMoa.get();
    m_Worker = m_OwnWorker.get();
}

GxSavedDataScript::~GxSavedDataScript() = default;
