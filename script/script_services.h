// The script engine's side of the core's GxScriptServicesBase: the engine set-up and the main
// worker, reached by the core's start-up, reset and screens.
#pragma once

#include "core/script_services.h"

class GxScriptServices : public GxScriptServicesBase {
public:
    int CompileScripts() override;
    void CreateScriptEngine(GxCore* core) override;
    bool LoadScriptBinary() override;
    void DestroyScriptEngine() override;
    GxMoaFunctionBinder* GetFunctionBinder() override;
    bool ResetAndJump(const std::u16string& label) override;
    bool StepMainWorker() override;
    void StepMainWorkerWithinBudget(const std::function<bool()>& runnable) override;
    bool IsMainWorkerRunning() override;
    bool IsErrorStop() override;
    void RegisterDebugConsole() override;
    void DrawDebugStatusLine(float x, float y, GxGDIFontMap* fontMap, const GxDebugStatistics& statistics) override;
};

// Installs the one process-wide GxScriptServices into the core.
void InstallScriptServices();
