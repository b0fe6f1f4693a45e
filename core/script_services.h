// What the core's resident screen asks of the script engine, which sits above the core: whether an
// error stopped the script, and the debug status line. The process entry installs a
// GxScriptServicesBase before the core starts; with none installed (tests without one), the
// callers skip every call.
#pragma once


class GxGDIFontMap;
struct GxDebugStatistics;

class GxScriptServicesBase {
public:
    virtual ~GxScriptServicesBase() = default;

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
