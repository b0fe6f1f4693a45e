// GxMoaWorkerEx: the worker the engine runs as "MAIN_WORKER". Its Step is the statement
// interpreter of GxMoaWorker with two statements given a game meaning: a text line becomes a
// message of the play screen (speaker name split off, read flag, message log), and a word at a
// statement's start is a layer statement ("bg.show(1)" calls the builtin "sp.show" with "bg"
// first). Everything above the script engine is reached through GxGameWorkerHostBase.
#pragma once

#include "core/module_core_base.h"
#include "script/worker.h"

#include <cstdint>
#include <string>

class GxCore;
class GxGameWorkerHostBase;
class GxMoaScript;
class GxMoaToken;

class GxMoaWorkerEx : public GxMoaWorker, public GxCoreRemainder {
public:
    explicit GxMoaWorkerEx(GxMoa* owner = nullptr, GxCore* core = nullptr);
    ~GxMoaWorkerEx() override;

    bool Step(GxMoaFunctionBinder* binder) override;

    GxCore* GetCore() const { return m_pCore; }

private:
    bool StepGame(GxMoaFunctionBinder* binder);
    bool StepTextLine(const GxMoaScript* script, const GxMoaToken& token);
    void ShowMessage(GxGameWorkerHostBase& host, const std::u16string& text);
    bool StepLayerStatement(GxMoaFunctionBinder* binder, const GxMoaScript* script, const GxMoaToken& token);

    GxCore* m_pCore = nullptr;   // not owned
};
