// Fuzz target: the block readers of "STAND" and "TEXT" over a compiled script program read from
// arbitrary bytes (the first byte picks the text, binary or compressed reader and its header).
// From every line of every script (a bounded number) a worker's frame starts there and both
// readers run: each must end, leave the position no earlier than it started unless it failed on
// a token, and, when it reached its end keyword, stand at token 0 of a line.
#include "avg/avg_block_reader.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"
#include "script/moa.h"
#include "script/script.h"
#include "script/worker.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kMaxScripts = 8;
constexpr std::int32_t kMaxStartLines = 256;

bool Before(const GxMoaRunPos& a, const GxMoaRunPos& b)
{
    return a.m_Line < b.m_Line || (a.m_Line == b.m_Line && a.m_Pos < b.m_Pos);
}

void ReadFrom(GxMoaWorker& worker, const std::u16string& scriptName, std::int32_t line, const std::u16string& end)
{
    worker.GetExecStack().clear();
    GxMoaExecStackElement& element = worker.GetExecStack().emplace_back();
    element.m_BlockType = MOA_BLOCK_FRAME;
    element.m_RunPos.m_Line = line;
    element.m_RunPos.m_Pos = 0;
    element.m_RunPos.m_ScriptName = scriptName;
    element.m_RunPos.m_pEntity = worker.FindScriptEntity(scriptName);
    const GxMoaRunPos start = element.m_RunPos;
    const AvgScriptBlock block = ReadAvgScriptBlock(&worker, end);
    const GxMoaRunPos& after = worker.GetExecStack().back().m_RunPos;
    if (Before(after, start))
        std::abort();
    if (block.m_Failed && block.m_BadToken.empty())
        std::abort();
    if (!block.m_Failed && after.m_Pos != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer buffer;
    BYTE* bytes = buffer.Allocate(static_cast<std::uint32_t>(size));
    if (size != 0) {
        if (bytes == nullptr)
            return 0;
        std::memcpy(bytes, data, size);
    }
    std::unique_ptr<GxContentReaderBase> reader;
    const char* header = nullptr;
    switch (buffer.GetFirstByte()) {
    case 'T':
        reader = std::make_unique<GxContentTextReader>(buffer, false);
        header = "TMOA";
        break;
    case 'B':
        reader = std::make_unique<GxContentBinaryReader>(buffer, false);
        header = "BMOA";
        break;
    case 'Z':
        reader = std::make_unique<GxContentCompressedBinaryReader>(buffer, false);
        header = "ZMOA";
        break;
    default: return 0;
    }
    std::uint32_t version = 0;
    if (!reader->ReadHeader(header, &version))
        return 0;
    GxMoa moa;
    moa.ReadProgram(*reader);   // a damaged program is still read as far as it goes
    moa.BuildVariables();
    GxMoaWorker worker(&moa);
    worker.RebuildScriptEntities();
    int scripts = 0;
    for (const auto& [name, script] : moa.GetScripts()) {
        if (++scripts > kMaxScripts)
            break;
        // One line past the end as well: a block that starts there is empty.
        const std::int32_t lines = std::min(script->GetLineCount() + 1, kMaxStartLines);
        for (std::int32_t line = 0; line < lines; ++line) {
            ReadFrom(worker, name, line, u"endstand");
            ReadFrom(worker, name, line, u"endtext");
        }
    }
    return 0;
}
