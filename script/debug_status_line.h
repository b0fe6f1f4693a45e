// The debug status line: the error notice or the video memory and the engine counters, where the
// main script worker stands (callers, then the current position with its block kind), and the
// debug console's lines, each on a translucent band. Window thread only.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <string_view>

class GxDebugConsoleOutputEx;
class GxGDIFontMap;
class GxMoaWorker;
struct GxDebugStatistics;

// The graphics calls the status line makes, behind one replaceable object so that tests can
// record them. The built-in object forwards to the graphics layer.
class GxDebugStatusDrawCalls {
public:
    virtual ~GxDebugStatusDrawCalls() = default;

    virtual void SetBlendMode(std::uint32_t stage, std::int32_t preset);
    virtual void DrawColorRect2D(const GxFRect& rect, const D3DCOLOR diffuse[5], const D3DCOLOR specular[5],
                                 std::int32_t preset);
    // One line with the glyph cache, its top left at (x, y).
    virtual void DrawText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y, D3DCOLOR color);
    // Bytes of video memory held by the registered device resources.
    virtual std::uint32_t GetTotalVideoMemory();
};

// Not owned; null restores the built-in object. Returns the previous one (null for the built-in).
GxDebugStatusDrawCalls* SetDebugStatusDrawCalls(GxDebugStatusDrawCalls* calls);
// Never null.
GxDebugStatusDrawCalls& GetDebugStatusDrawCalls();

// What the status line reads besides the console and the log.
struct GxDebugStatusSource {
    GxGDIFontMap* m_FontMap = nullptr;                 // the debug glyph cache; its size is the line height
    const GxDebugStatistics* m_Statistics = nullptr;   // null prints zeros
    GxMoaWorker* m_Worker = nullptr;                   // the main worker; null counts as not running
};

constexpr D3DCOLOR kDebugStatusBandColor = 0x80000050;
constexpr float kDebugStatusFirstBandWidth = 800.0f;

// The block kind's name for the position lines; "不明" for a kind outside the table.
const char16_t* GetDebugBlockName(std::int32_t blockType);

// Draws the overlay with its first text line's top left at (x, y). Nothing without a glyph cache.
void DrawDebugStatusLine(const GxDebugConsoleOutputEx& console, float x, float y, const GxDebugStatusSource& source);
