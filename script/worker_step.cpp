// GxMoaWorker::Step: the statement interpreter over the compiled token lines. Only IF and ELSE
// chains are carried out; the block structure comes from the compiler's token links.
#include "script/worker.h"

#include "script/moa.h"
#include "script/moa_names.h"
#include "script/script.h"
#include "script/token.h"
#include "script/token_cursor.h"

namespace {

bool Before(const GxMoaRunPos& a, const GxMoaRunPos& b)
{
    return a.m_Line < b.m_Line || (a.m_Line == b.m_Line && a.m_Pos < b.m_Pos);
}

const GxMoaToken& TokenAt(const GxMoaScript* script, const GxMoaRunPos& position)
{
    return GxMoaTokenCursor::GetToken(script, position.m_Line, position.m_Pos);
}

bool IsPlainElse(const GxMoaToken& token)
{
    return !token.HasLinks() || token.GetLinkLine(1) == -1;
}

}  // namespace

bool GxMoaWorker::Step(GxMoaFunctionBinder* binder)
{
    return GuardStatement([&] { return StepStatement(binder); });
}

std::int32_t GxMoaWorker::StepWithinBudget(GxMoaFunctionBinder* binder, const std::function<bool()>& runnable,
                                           std::int32_t budget)
{
    std::int32_t steps = 0;
    while (steps < budget && runnable()) {
        ++steps;
        if (!Step(binder)) {
            break;
        }
    }
    return steps;
}

bool GxMoaWorker::StopAfterAllocationFailure()
{
    // Moved, not copied: nothing here may need memory before the stacks are gone.
    std::u16string scriptName;
    std::int32_t line = -1;
    if (!m_ExecStack.empty()) {
        scriptName = std::move(m_ExecStack.back().m_RunPos.m_ScriptName);
        line = m_ExecStack.back().m_RunPos.m_Line;
    }
    m_ExecStack.clear();
    std::vector<GxMoaVariable>().swap(m_ValueStack);
    m_Result.Clear();
    if (m_pOwner != nullptr) {
        m_pOwner->Error(std::move(scriptName), line, u"%s", u"memory ran out inside a statement; the script stops");
        m_pOwner->SetErrorStop(true);
    }
    return false;
}

bool GxMoaWorker::StepStatement(GxMoaFunctionBinder* binder)
{
    if (m_ExecStack.empty() || m_pOwner == nullptr) {
        return false;
    }
    GxMoa* moa = m_pOwner;
    GxMoaExecStackElement* element = &m_ExecStack.back();
    const std::size_t elementIndex = m_ExecStack.size() - 1;
    const std::uint64_t serial = element->GetSerial();
    GxMoaScriptPos& position = element->m_RunPos;
    if (position.m_pEntity == nullptr && !position.m_ScriptName.empty()) {
        position.m_pEntity = FindScriptEntity(position.m_ScriptName);
    }
    if (position.m_pEntity == nullptr) {
        moa->Error(position.m_ScriptName, position.m_Line, u"%s", u"スクリプトが見つからないので実行できません");
        moa->SetErrorStop(true);
        return false;
    }
    if (moa->IsErrorStop()) {
        return false;
    }
    const GxMoaScript* script = position.m_pEntity->m_pScript;
    // Builtins in a condition may remove this element; it is not touched after that.
    auto alive = [&]() {
        return elementIndex < m_ExecStack.size() && m_ExecStack[elementIndex].GetSerial() == serial;
    };
    auto error = [&](const char16_t* format, const std::u16string& text, std::int32_t line) {
        moa->Error(position.m_ScriptName, line, format, text.c_str());
        moa->SetErrorStop(true);
    };
    // A damaged position or link makes no progress: it ends the script as its end would.
    auto finish = [&]() {
        Exit(nullptr);
        return false;
    };
    auto evaluate = [&](GxMoaVariable* result, GxMoaRunPos start, GxMoaRunPos* end, bool warn) {
        return GxMoa::Eval_Token(moa, result, binder, this, start, end, warn);
    };

    for (;;) {
        int check = GxMoaScript::CheckTokenPos(script, position.m_Line, position.m_Pos);
        if (check == -1 || check == -2) {
            GxMoaScript::AdvanceTokenPos(script, position);
            check = GxMoaScript::CheckTokenPos(script, position.m_Line, position.m_Pos);
        }
        if (check != 1) {
            return finish();
        }
        const GxMoaToken& token = TokenAt(script, position);
        switch (token.m_Kind) {
        case MOA_TOKEN_BUILTIN:
        case MOA_TOKEN_VARIABLE:
        case MOA_TOKEN_ARRAY_VARIABLE:
            if (!evaluate(nullptr, position, &position, true)) {
                return false;
            }
            return IsRunning();
        case MOA_TOKEN_WORD: {
            const std::u16string word = token.GetString();
            GxMoaScript::AdvanceLinePos(script, position);
            moa->Warning(position.m_ScriptName, position.m_Line, u"不明な単語を発見。スキップされます[%s]", word.c_str());
            break;
        }
        case MOA_TOKEN_LABEL:
        case 14:
            GxMoaScript::AdvanceTokenPos(script, position);
            break;
        case MOA_TOKEN_TEXT:
            // The text is an argument, never a format: a "%" in it prints as it is.
            moa->Print(u"%s", token.GetString().c_str());
            GxMoaScript::AdvanceTokenPos(script, position);
            break;
        case MOA_TOKEN_BREAKPOINT:
            moa->SetBreak(true);
            GxMoaScript::AdvanceTokenPos(script, position);
            return IsRunning();
        case MOA_TOKEN_SCRIPT_END: return finish();
        case MOA_TOKEN_DEFINE:
        case MOA_TOKEN_BUILTIN_KEYWORD:
        case MOA_TOKEN_STATIC:
        case MOA_TOKEN_GLOBAL:
        case MOA_TOKEN_EXTERN:
        case MOA_TOKEN_NOSAVE:
        case MOA_TOKEN_INGAME:
        case MOA_TOKEN_PERMAN:
            GxMoaScript::AdvanceLinePos(script, position);
            return IsRunning();
        case 20:
            GxMoaScript::AdvanceTokenPos(script, position);
            if (!evaluate(nullptr, position, &position, false)) {
                return false;
            }
            return IsRunning();
        case MOA_TOKEN_IF: {
            GxMoaRunPos p = token.GetLink(1);
            GxMoaVariable condition;
            for (;;) {
                const GxMoaRunPos before = p;
                if (!evaluate(&condition, p, &p, true)) {
                    if (alive()) {
                        error(u"%s", u"条件式が評価できません", p.m_Line);
                    } else {
                        moa->SetErrorStop(true);
                    }
                    return false;
                }
                if (!alive()) {
                    return IsRunning();
                }
                GxMoaScript::AdvanceTokenPos(script, p);
                if (!GxMoaScript::SeekBlockOpen(script, p, p.m_Line, p.m_Pos) || Before(p, before)) {
                    return finish();
                }
                if (condition.ToInt64() != 0) {
                    GxMoaScript::AdvanceTokenPos(script, p);
                    position.m_Line = p.m_Line;
                    position.m_Pos = p.m_Pos;
                    return IsRunning();
                }
                GxMoaRunPos after = TokenAt(script, p).GetLink(0);
                GxMoaScript::AdvanceTokenPos(script, after);
                if (!Before(p, after)) {
                    return finish();
                }
                p = after;
                position.m_Line = p.m_Line;
                position.m_Pos = p.m_Pos;
                const GxMoaToken& next = TokenAt(script, p);
                if (next.m_Kind != MOA_TOKEN_ELSE) {
                    return IsRunning();
                }
                if (IsPlainElse(next)) {
                    if (!GxMoaScript::SeekBlockOpen(script, p, p.m_Line, p.m_Pos)) {
                        return finish();
                    }
                    GxMoaScript::AdvanceTokenPos(script, p);
                    position.m_Line = p.m_Line;
                    position.m_Pos = p.m_Pos;
                    return IsRunning();
                }
                const GxMoaRunPos conditionStart = next.GetLink(1);
                if (Before(conditionStart, p)) {
                    return finish();
                }
                p = conditionStart;
                condition.Clear();
            }
        }
        case MOA_TOKEN_ELSE:
            GxMoaScript::AdvanceLinePos(script, position);
            error(u"%s", u"不正なELSE文です", position.m_Line);
            return IsRunning();
        case MOA_TOKEN_WHILE:
        case MOA_TOKEN_FOR:
        case MOA_TOKEN_DO:
        case MOA_TOKEN_CONTINUE:
        case MOA_TOKEN_BREAK: {
            const std::u16string text = token.Describe();
            GxMoaScript::AdvanceLinePos(script, position);
            error(u"未実装の制御構造です[%s]", text, position.m_Line);
            return IsRunning();
        }
        case MOA_TOKEN_BLOCK_CLOSE: {
            if (token.m_Int != 3 && token.m_Int != 4) {
                error(u"未実装のブロック終端です[%s]", token.Describe(), position.m_Line);
                return IsRunning();
            }
            GxMoaRunPos p = position;
            GxMoaScript::AdvanceTokenPos(script, p);
            while (TokenAt(script, p).m_Kind == MOA_TOKEN_ELSE) {
                GxMoaRunPos open;
                if (!GxMoaScript::SeekBlockOpen(script, open, p.m_Line, p.m_Pos)) {
                    return finish();
                }
                GxMoaRunPos after = TokenAt(script, open).GetLink(0);
                GxMoaScript::AdvanceTokenPos(script, after);
                if (!Before(p, after)) {
                    return finish();
                }
                p = after;
            }
            position.m_Line = p.m_Line;
            position.m_Pos = p.m_Pos;
            return IsRunning();
        }
        default:
            error(u"処理できないトークンです[%s]\n", token.Describe(), position.m_Line);
            return false;
        }
        if (moa->IsErrorStop()) {
            return false;
        }
    }
}
