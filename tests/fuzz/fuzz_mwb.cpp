// Fuzz target: the compiled script program as the loader reads it (the first byte picks the
// text, binary or compressed reader and its header), then walks over what was read: every
// token through the cursor and its description, expressions compiled from the first tokens of
// each line, every definition's value dump, and a write; then the variables and script entities
// are built and a worker is stepped from each label (a bounded number of steps: a hang fails).
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"
#include "script/delegate_base.h"
#include "script/dump_line.h"
#include "script/expression_compiler.h"
#include "script/function_binder.h"
#include "script/moa.h"
#include "script/token_cursor.h"
#include "script/worker.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

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

// The jump builtins a program uses, with nothing outside the worker touched.
class FlowBuiltin : public GxMoaDelegateBase {
public:
    explicit FlowBuiltin(int kind) : m_Kind(kind) {}
    bool Invoke(const std::u16string&, std::int64_t, GxMoaVariable& args, GxMoaWorker* worker, GxMoaScriptEntity*,
                GxMoaExecStack*, GxMoaVariable& result) override
    {
        GxMoaVariable* first = args.GetElement(0);
        const std::u16string label = first != nullptr ? first->ToString() : std::u16string();
        switch (m_Kind) {
        case 0: return worker->Jump(label, nullptr);
        case 1: {
            GxMoaVariable* second = args.GetElement(1);
            GxMoaVariableSet argument(u"_", 1, second != nullptr ? *second : GxMoaVariable());
            return worker->Call(label, &argument);
        }
        case 2: worker->Return(first); return true;
        case 3: worker->Exit(first); return true;
        default: result = worker->GetResult(); return true;
        }
    }

private:
    int m_Kind;
};

void Run(GxMoa& moa)
{
    moa.BuildVariables();
    GxMoaWorker worker(&moa);
    worker.RebuildScriptEntities();
    GxMoaFunctionBinder binder;
    const char16_t* names[] = {u"go", u"gosub", u"return", u"exit", u"retval"};
    for (int i = 0; i < 5; ++i) {
        binder.AddFunction(names[i], new FlowBuiltin(i));
    }
    std::vector<std::pair<std::u16string, std::u16string>> starts;   // script, label
    for (const auto& [name, label] : moa.GetLabels()) {
        starts.emplace_back(label->m_Position.m_ScriptName, name);
    }
    for (const auto& [name, script] : moa.GetScripts()) {
        for (const auto& [labelName, label] : script->m_Labels) {
            starts.emplace_back(name, labelName);
        }
    }
    if (starts.size() > 32) {
        starts.resize(32);
    }
    for (const auto& [script, label] : starts) {
        moa.ResetRunState();
        if (!worker.ResetAndJumpToScript(script, label, nullptr)) {
            continue;
        }
        for (int steps = 0; steps < 10000 && worker.Step(&binder); ++steps) {
        }
    }
    if (std::FILE* file = std::tmpfile()) {
        GxContentBinaryWriter writer(file);
        worker.Write(writer);
        worker.WriteScriptVariables(writer, 0);
        std::fclose(file);
    }
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
    Run(moa);
    return 0;
}
