#include "script/script_services.h"

#include "script/debug_console.h"
#include "script/debug_status_line.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"

bool GxScriptServices::IsErrorStop()
{
    GxMoaEx* instance = GetScriptInstance();
    return instance != nullptr && instance->IsErrorStop();
}

void GxScriptServices::DrawDebugStatusLine(float x, float y, GxGDIFontMap* fontMap,
                                           const GxDebugStatistics& statistics)
{
    ::DrawDebugStatusLine(GetDebugConsoleOutput(), x, y, GxDebugStatusSource{fontMap, &statistics, GetMainWorker()});
}

void InstallScriptServices()
{
    static GxScriptServices services;
    SetScriptServices(&services);
}
