// Fuzz target: the compiled script program as the loader reads it (the first byte picks the
// text, binary or compressed reader and its header), then walks over what was read: every
// token through the cursor and its description, expressions compiled from the first tokens of
// each line, every definition's value dump, and a write.
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"
#include "script/dump_line.h"
#include "script/expression_compiler.h"
#include "script/moa.h"
#include "script/token_cursor.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void Walk(const GxMoa& moa)
{
    std::size_t sink = 0;
    for (const auto& [name, script] : moa.GetScripts()) {
        GxMoaRunPos position;
        for (int steps = 0; GxMoaScript::AdvanceTokenPos(script.get(), position) && steps < 100000; ++steps) {
            const GxMoaToken& token = GxMoaTokenCursor::GetToken(script.get(), position.m_Line, position.m_Pos);
            sink += token.Describe().size();
            if (position.m_Pos < 8) {   // a few starts per line keep long lines linear
                GxMoaOpcodeList list;
                GxMoaRunPos cursor = position;
                Phase_Expr(script.get(), list, cursor);
                sink += list.size();
            }
            GxMoaRunPos block;
            GxMoaScript::SeekBlockOpen(script.get(), block, token.GetLink(0).m_Line, token.GetLink(0).m_Pos);
        }
        sink += static_cast<std::size_t>(GxMoaScript::FindLastNonEmptyLine(script.get(), script->GetLineCount()) + 1);
        for (const GxMoaVariableDefinition& definition : script->m_VariableDefines) {
            sink += DumpVariableLine(definition.m_Name.c_str(), definition.m_Value, 0).size();
        }
    }
    for (const GxMoaVariableDefinition& definition : moa.GetVariableDefinitions()) {
        sink += DumpVariableLine(definition.m_Name.c_str(), definition.m_Value, 0).size();
    }
    if (std::FILE* file = std::tmpfile()) {
        GxContentBinaryWriter writer(file);
        moa.WriteProgram(writer);
        std::fclose(file);
    }
    // Keeps the walk from being optimised away.
    static volatile std::size_t g_Sink = 0;
    g_Sink = g_Sink + sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer buffer;
    BYTE* bytes = buffer.Allocate(static_cast<std::uint32_t>(size));
    if (size != 0) {
        if (bytes == nullptr) return 0;
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
    if (!reader->ReadHeader(header, &version)) return 0;
    GxMoa moa;
    moa.ReadProgram(*reader);   // a damaged program is still walked as far as it was read
    Walk(moa);
    return 0;
}
