// What the core's screens ask of the script engine, which sits above the core: the process entry
// installs a GxScriptServicesBase before the core starts. With none installed (tests without
// one), the callers skip every call: no script runs.
#pragma once

#include <functional>
#include <string>

class GxGDIFontMap;
struct GxDebugStatistics;

class GxScriptServicesBase {
public:
    virtual ~GxScriptServicesBase() = default;

    // Empties the main worker's stacks and starts it at the label; false when it is absent.
    virtual bool ResetAndJump(const std::u16string& label) = 0;
    // One statement of the main worker; false when it has nothing to run, stopped or failed.
    virtual bool StepMainWorker() = 0;
    // The main worker's statements of one pass of the window thread: while `runnable` holds and
    // a step succeeds, up to the script engine's budget per pass, after which the rest waits
    // for the next pass. Without a script engine nothing runs.
    virtual void StepMainWorkerWithinBudget(const std::function<bool()>& /*runnable*/) {}
    virtual bool IsMainWorkerRunning() = 0;
    // Whether a script error has stopped the instance.
    virtual bool IsErrorStop() = 0;
    // Draws the debug status line with its first line's top left at (x, y), with the glyph cache
    // (its size is the line height) and the owner's counters.
    virtual void DrawDebugStatusLine(float /*x*/, float /*y*/, GxGDIFontMap* /*fontMap*/,
                                     const GxDebugStatistics& /*statistics*/)
    {
    }
};

// Not owned; null removes it. Returns the previous one.
GxScriptServicesBase* SetScriptServices(GxScriptServicesBase* services);
GxScriptServicesBase* GetScriptServices();
