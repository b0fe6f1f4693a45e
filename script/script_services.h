// The script engine's side of the core's GxScriptServicesBase: the error stop and the debug
// status line, reached by the resident screen.
#pragma once

#include "core/script_services.h"

class GxScriptServices : public GxScriptServicesBase {
public:
    bool IsErrorStop() override;
    void DrawDebugStatusLine(float x, float y, GxGDIFontMap* fontMap, const GxDebugStatistics& statistics) override;
};

// Installs the one process-wide GxScriptServices into the core.
void InstallScriptServices();
