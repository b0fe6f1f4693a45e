// The script engine's side of the core's GxScriptServicesBase: the main worker and the debug
// status line, reached by the screens.
#pragma once

#include "core/script_services.h"

class GxScriptServices : public GxScriptServicesBase {
public:
    bool ResetAndJump(const std::u16string& label) override;
    bool StepMainWorker() override;
    void StepMainWorkerWithinBudget(const std::function<bool()>& runnable) override;
    bool IsMainWorkerRunning() override;
    bool IsErrorStop() override;
    void DrawDebugStatusLine(float x, float y, GxGDIFontMap* fontMap, const GxDebugStatistics& statistics) override;
};

// Installs the one process-wide GxScriptServices into the core.
void InstallScriptServices();
