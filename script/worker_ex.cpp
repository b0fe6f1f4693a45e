#include "script/worker_ex.h"

#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "script/expression_compiler.h"
#include "script/game_worker_host.h"
#include "script/moa.h"
#include "script/moa_names.h"
#include "script/opcode_evaluator.h"
#include "script/script.h"
#include "script/token.h"
#include "script/token_cursor.h"

namespace {

// Name-identify modes: 0 no speaker name, 2 the name only when its image exists.
constexpr std::int32_t kNameModeNone = 0;
constexpr std::int32_t kNameModeImage = 2;
constexpr std::int32_t kNameModeLast = 3;

GxMoaVariable StringValue(const std::u16string& text)
{
    GxMoaVariable value;
    value.SetString(text);
    return value;
}

GxMoaVariable IntValue(std::int64_t number)
{
    GxMoaVariable value;
    value.SetInt64(number);
    return value;
}

}  // namespace

GxMoaWorkerEx::GxMoaWorkerEx(GxMoa* owner, GxCore* core) : GxMoaWorker(owner), m_pCore(core) {}

GxMoaWorkerEx::~GxMoaWorkerEx() = default;

// The walk to the next statement is the base interpreter's; the statements that return after
// one step (expressions, declarations, IF chains, block ends, breakpoints, the script end) are
// handed to it whole, so it never reaches a text line or a word of its own.
bool GxMoaWorkerEx::Step(GxMoaFunctionBinder* binder)
{
    return GuardStatement([&] { return StepGame(binder); });
}

bool GxMoaWorkerEx::StepGame(GxMoaFunctionBinder* binder)
{
    if (m_ExecStack.empty() || m_pOwner == nullptr) {
        return false;
    }
    GxMoa* moa = m_pOwner;
    GxMoaScriptPos& position = m_ExecStack.back().m_RunPos;
    if (position.m_pEntity == nullptr && !position.m_ScriptName.empty()) {
        position.m_pEntity = FindScriptEntity(position.m_ScriptName);
    }
    if (position.m_pEntity == nullptr || moa->IsErrorStop()) {
        return StepStatement(binder);
    }
    const GxMoaScript* script = position.m_pEntity->m_pScript;
    for (;;) {
        int check = GxMoaScript::CheckTokenPos(script, position.m_Line, position.m_Pos);
        if (check == -1 || check == -2) {
            GxMoaScript::AdvanceTokenPos(script, position);
            check = GxMoaScript::CheckTokenPos(script, position.m_Line, position.m_Pos);
        }
        if (check != 1) {
            return StepStatement(binder);   // ends the script there
        }
        const GxMoaToken& token = GxMoaTokenCursor::GetToken(script, position.m_Line, position.m_Pos);
        switch (token.m_Kind) {
        case MOA_TOKEN_LABEL:
        case 14:
            GxMoaScript::AdvanceTokenPos(script, position);
            break;
        case MOA_TOKEN_TEXT: return StepTextLine(script, token);
        case MOA_TOKEN_WORD: return StepLayerStatement(binder, script, token);
        case MOA_TOKEN_BUILTIN:
        case MOA_TOKEN_VARIABLE:
        case MOA_TOKEN_ARRAY_VARIABLE:
        case MOA_TOKEN_BREAKPOINT:
        case MOA_TOKEN_SCRIPT_END:
        case MOA_TOKEN_DEFINE:
        case MOA_TOKEN_BUILTIN_KEYWORD:
        case 20:
        case MOA_TOKEN_STATIC:
        case MOA_TOKEN_GLOBAL:
        case MOA_TOKEN_EXTERN:
        case MOA_TOKEN_NOSAVE:
        case MOA_TOKEN_INGAME:
        case MOA_TOKEN_PERMAN:
        case MOA_TOKEN_IF:
        case MOA_TOKEN_ELSE:
        case MOA_TOKEN_WHILE:
        case MOA_TOKEN_FOR:
        case MOA_TOKEN_DO:
        case MOA_TOKEN_CONTINUE:
        case MOA_TOKEN_BREAK:
        case MOA_TOKEN_BLOCK_CLOSE:
            return StepStatement(binder);
        default:
            moa->Error(position.m_ScriptName, position.m_Line, u"処理できないトークンです[%s]", token.Describe().c_str());
            moa->SetErrorStop(true);
            return false;
        }
        if (moa->IsErrorStop()) {
            return false;
        }
    }
}

bool GxMoaWorkerEx::StepTextLine(const GxMoaScript* script, const GxMoaToken& token)
{
    const std::u16string text = token.GetString();
    if (GxGameWorkerHostBase* host = GetGameWorkerHost()) {
        ShowMessage(*host, text);
    }
    if (!IsRunning()) {
        return false;
    }
    GxMoaScript::AdvanceTokenPos(script, m_ExecStack.back().m_RunPos);
    return IsRunning();
}

void GxMoaWorkerEx::ShowMessage(GxGameWorkerHostBase& host, const std::u16string& text)
{
    const std::u16string scriptName = GetScriptName(nullptr);
    const std::int32_t lineKey = GetLine(nullptr) + 1;
    // Without a play screen the line is still read, flagged and logged, only not shown.
    const bool screen = host.HasPlayScreen();
    const bool read = host.IsMessageRead(scriptName, lineKey);
    const bool ignoreKinsoku = host.GetIgnoreKinsoku();
    std::int32_t mode = host.GetNameIdentifyMode();
    // The mode is a saved field a script sets; an unknown one must not lose the line.
    if (mode < kNameModeNone || mode > kNameModeLast) {
        mode = kNameModeNone;
    }
    std::u16string name;
    std::u16string message = text;
    const std::int32_t split = WideFindFirstOf(text, host.GetSpeakerSeparators(), 0);
    if (split < 0 || mode == kNameModeNone) {
        if (screen) {
            host.ClearSpeakerName();
        }
    } else {
        // The message keeps the separator: a spoken line stays in its brackets.
        name = text.substr(0, static_cast<std::size_t>(split));
        message = text.substr(static_cast<std::size_t>(split));
        if (mode == kNameModeImage && !host.NameImageExists(host.GetNameImageFolder() + name)) {
            name.clear();
            message = text;
        }
        if (screen) {
            host.SetSpeakerName(name, mode);
        }
    }
    if (screen) {
        host.SetMessageText(message, read, ignoreKinsoku, 0);
    }
    host.SetPermanentFlag(scriptName, lineKey);
    host.AddMessageLog(name, message, ignoreKinsoku, false);
}

bool GxMoaWorkerEx::StepLayerStatement(GxMoaFunctionBinder* binder, const GxMoaScript* script,
                                       const GxMoaToken& token)
{
    GxMoa* moa = m_pOwner;
    const std::size_t elementIndex = m_ExecStack.size() - 1;
    GxMoaExecStackElement& element = m_ExecStack.back();
    GxMoaScriptPos& position = element.m_RunPos;
    const std::u16string word = token.GetString();
    // "bg.show" is the layer "bg" and the builtin "sp.show"; a bare "bg" calls "sp.lcg".
    const std::u16string layer = GetFileTitleFromPath(word);
    const std::u16string command = GetFileExtension(word);
    const std::u16string name = WideToLowerAscii(command.empty() ? std::u16string(u"sp.lcg") : u"sp" + command);
    const GxMoaBuiltinDefinition* definition = moa->FindBuiltinDefinition(name);
    if (definition == nullptr) {
        moa->Error(position.m_ScriptName, position.m_Line, u"レイヤー操作に使用できない命令です[%s]", name.c_str());
        moa->SetErrorStop(true);
        return false;
    }
    const std::int64_t builtinIndex = definition->m_BuiltinIndex;

    element.ResetOpcodeList();
    m_ValueStack.clear();
    GxMoaOpcodeList& list = element.m_OpcodeList;
    EmitOpcode(list, MOA_OPC_PUSH_STR);
    list.push_back(StringValue(layer));
    GxMoaRunPos cursor = position;
    if (!Phase_Skip(cursor, MOA_TOKEN_WORD, script) || !Phase_Skip(cursor, MOA_TOKEN_PAREN_OPEN, script) ||
        !Phase_Element(script, list, cursor)) {
        moa->SetErrorStop(true);
        return false;
    }
    // The count closing the argument list takes the layer name in.
    list.back() = IntValue(list.back().ToInt64() + 1);
    EmitOpcode(list, MOA_OPC_CALL_BUILTIN);
    list.push_back(IntValue(builtinIndex));
    list.push_back(StringValue(name));
    if (!Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, script)) {
        moa->SetErrorStop(true);
        return false;
    }

    const std::uint64_t serial = element.GetSerial();
    const GxMoaRunPos before = position;
    if (Exec_Opcode(binder, position.m_pEntity, moa, this, true) != 1) {
        moa->SetErrorStop(true);
        return false;
    }
    // A builtin may have removed the frame or moved its position (a jump); then that stands.
    if (elementIndex < m_ExecStack.size() && m_ExecStack[elementIndex].GetSerial() == serial) {
        GxMoaScriptPos& after = m_ExecStack[elementIndex].m_RunPos;
        if (after == before) {
            GxMoaScript::AdvanceLinePos(script, after);
        }
    }
    return IsRunning();
}
