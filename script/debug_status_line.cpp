#include "script/debug_status_line.h"

#include "core/debug_statistics.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_resource.h"
#include "graphics/draw2d.h"
#include "graphics/gdi_font_map.h"
#include "graphics/text_layout.h"
#include "script/debug_console.h"
#include "script/moa.h"
#include "script/worker.h"

#include <algorithm>
#include <string>

namespace {

GxDebugStatusDrawCalls g_BuiltIn;
GxDebugStatusDrawCalls* g_Calls = nullptr;

constexpr const char16_t* kBlockNames[9] = {
    u"不明",          u"通常ブロック", u"関数ブロック", u"IFブロック",      u"ELSEブロック",
    u"WHILEブロック", u"FORブロック",  u"DOブロック",   u"通常SUBブロック",
};

constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kYellow = 0xFFFFFF00;
constexpr std::size_t kCounterLineLength = 512;
constexpr float kBytesPerMegabyte = 1048576.0f;
// Added to the registry's figure for what the device itself keeps (back buffers and the like).
constexpr float kVideoMemoryBaseMegabytes = 6.0f;
constexpr float kStoppedBandLines = 12.0f;
constexpr float kCallerBandLines = 24.0f;
constexpr float kConsoleBandLines = 24.0f;

// Draws one line after another, each on its band, moving down by the line height.
class StatusLineWriter {
public:
    StatusLineWriter(GxDebugStatusDrawCalls& calls, GxGDIFontMap* fontMap, float x, float y)
        : m_Calls(calls), m_FontMap(fontMap), m_X(x), m_Y(y),
          m_LineHeight(static_cast<float>(fontMap->GetFontSize()))
    {
    }

    float LineHeight() const { return m_LineHeight; }
    float TextWidth(std::u16string_view text) const
    {
        return static_cast<float>(TextWidthUnits(text)) * m_LineHeight / 2.0f;
    }

    void Line(float bandLeft, float bandWidth, std::u16string_view text, D3DCOLOR color)
    {
        const D3DCOLOR band[5] = {kDebugStatusBandColor, kDebugStatusBandColor, kDebugStatusBandColor,
                                  kDebugStatusBandColor, kDebugStatusBandColor};
        const D3DCOLOR specular[5] = {0, 0, 0, 0, 0};
        m_Calls.DrawColorRect2D(GxFRect{bandLeft, m_Y, bandLeft + bandWidth, m_Y + m_LineHeight}, band, specular,
                                kBlendRemembered);
        m_Calls.DrawText(m_FontMap, text, m_X, m_Y, color);
        m_Y += m_LineHeight;
    }
    // A band from x.
    void Line(float bandWidth, std::u16string_view text, D3DCOLOR color) { Line(m_X, bandWidth, text, color); }

private:
    GxDebugStatusDrawCalls& m_Calls;
    GxGDIFontMap* m_FontMap;
    float m_X;
    float m_Y;
    float m_LineHeight;
};

std::u16string CounterLine(std::uint32_t videoMemory, const GxDebugStatistics& s)
{
    const float megabytes = static_cast<float>(videoMemory) / kBytesPerMegabyte + kVideoMemoryBaseMegabytes;
    char16_t buffer[kCounterLineLength] = {};
    FormatWideBuffer(buffer, kCounterLineLength,
                     u"※エラー無し/VRAM %3.1fMB/Clk(%d) Time(%d) Mov(%d) AA(%d) AS(%d:%s) BGM(%d) BGV(%d) SE(%d) "
                     u"VO(%d)",
                     static_cast<double>(megabytes), s.m_Clk, s.m_Time, s.m_Mov, s.m_AA, s.m_ASNumber,
                     s.m_ASName.c_str(), s.m_BGM, s.m_BGV, s.m_SE, s.m_VO);
    return buffer;
}

void DrawWorkerLines(StatusLineWriter& writer, GxMoaWorker& worker)
{
    const std::int32_t count = static_cast<std::int32_t>(worker.GetExecStack().size());
    for (std::int32_t i = 0; i + 1 < count; ++i) {
        const GxMoaExecStackElement* element = worker.GetExecStackElement(i);
        if (element == nullptr)
            continue;
        const std::u16string text =
            FormatWide(u"呼出し元:%s/Line=%d/%s", worker.GetScriptName(element).c_str(), worker.GetLine(element) + 1,
                       GetDebugBlockName(element->m_BlockType));
        writer.Line(kCallerBandLines * writer.LineHeight(), text, kWhite);
    }
    const GxMoaExecStackElement* top = worker.GetTopExecStackElement();
    std::u16string text = FormatWide(u"実行位置:%s/Line=%d/%s", worker.GetScriptName(nullptr).c_str(),
                                     worker.GetLastLine(nullptr),
                                     GetDebugBlockName(top != nullptr ? top->m_BlockType : MOA_BLOCK_UNKNOWN));
    if (worker.GetOwner() != nullptr && worker.GetOwner()->IsErrorStop())
        text += u"/エラー停止中";
    writer.Line(writer.TextWidth(text), text, kWhite);
}

}  // namespace

void GxDebugStatusDrawCalls::SetBlendMode(std::uint32_t stage, std::int32_t preset)
{
    ::SetBlendMode(stage, preset);
}

void GxDebugStatusDrawCalls::DrawColorRect2D(const GxFRect& rect, const D3DCOLOR diffuse[5],
                                             const D3DCOLOR specular[5], std::int32_t preset)
{
    ::DrawColorRect2D(rect, diffuse, specular, preset);
}

void GxDebugStatusDrawCalls::DrawText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y,
                                      D3DCOLOR color)
{
    DrawTextGDIFontMap(fontMap, text, x, y, GxVector2(1.0f, 1.0f), color, 0, kBlendRemembered, u'\0');
}

std::uint32_t GxDebugStatusDrawCalls::GetTotalVideoMemory()
{
    return GetD3DResourceManage().GetTotalVideoMemory();
}

GxDebugStatusDrawCalls* SetDebugStatusDrawCalls(GxDebugStatusDrawCalls* calls)
{
    GxDebugStatusDrawCalls* previous = g_Calls;
    g_Calls = calls;
    return previous;
}

GxDebugStatusDrawCalls& GetDebugStatusDrawCalls()
{
    return g_Calls != nullptr ? *g_Calls : g_BuiltIn;
}

const char16_t* GetDebugBlockName(std::int32_t blockType)
{
    if (blockType < 0 || blockType >= static_cast<std::int32_t>(std::size(kBlockNames)))
        return kBlockNames[MOA_BLOCK_UNKNOWN];
    return kBlockNames[blockType];
}

void DrawDebugStatusLine(const GxDebugConsoleOutputEx& console, float x, float y, const GxDebugStatusSource& source)
{
    if (source.m_FontMap == nullptr)
        return;
    GxDebugStatusDrawCalls& calls = GetDebugStatusDrawCalls();
    StatusLineWriter writer(calls, source.m_FontMap, x, y);
    calls.SetBlendMode(0, kBlendAlpha);

    if (LogGetErrorCount() != 0) {
        writer.Line(0.0f, kDebugStatusFirstBandWidth, u"※エラー発生。error.logを確認してください", kYellow);
    } else {
        static const GxDebugStatistics kZeros;
        const GxDebugStatistics& statistics = source.m_Statistics != nullptr ? *source.m_Statistics : kZeros;
        writer.Line(0.0f, kDebugStatusFirstBandWidth, CounterLine(calls.GetTotalVideoMemory(), statistics), kWhite);
    }

    if (source.m_Worker == nullptr || !source.m_Worker->IsRunning())
        writer.Line(kStoppedBandLines * writer.LineHeight(), u"Script:実行していません", kWhite);
    else
        DrawWorkerLines(writer, *source.m_Worker);

    // A copy: loader threads may log while the window thread draws.
    for (std::u16string line : console.GetLines()) {
        while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r'))
            line.pop_back();
        writer.Line(std::max(writer.TextWidth(line), kConsoleBandLines * writer.LineHeight()), line, kWhite);
    }
}
