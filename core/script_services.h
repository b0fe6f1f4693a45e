// The script engine's services that the core calls. The script subsystem, above the core,
// fills them: the process entry installs its GxScriptServicesBase before the core starts. Until
// one is installed (and in tests without one), every call does nothing.
#pragma once

class GxGDIFontMap;
struct GxDebugStatistics;

class GxScriptServicesBase {
public:
    virtual ~GxScriptServicesBase() = default;

    // Whether the script instance has stopped on a script error.
    virtual bool IsStoppedOnError() { return false; }
    // Registers the script engine's debug console as the one log listener.
    virtual void RegisterDebugConsole() {}
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
