#include "avg/avg_block_reader.h"

#include "script/moa_names.h"
#include "script/script.h"
#include "script/script_entity.h"
#include "script/token_cursor.h"
#include "script/worker.h"

namespace {

constexpr std::uint16_t kCommandStartKind = 14;

}  // namespace

AvgScriptBlock ReadAvgScriptBlock(GxMoaWorker* worker, const std::u16string& endKeyword)
{
    AvgScriptBlock block;
    if (worker == nullptr || worker->GetExecStack().empty())
        return block;
    GxMoaScriptPos& position = worker->GetExecStack().back().m_RunPos;
    const GxMoaScript* script = position.m_pEntity != nullptr ? position.m_pEntity->m_pScript : nullptr;
    if (script == nullptr || position.m_Line < 0)
        return block;
    for (;;) {
        const int check = GxMoaScript::CheckTokenPos(script, position.m_Line, position.m_Pos);
        if (check == -2)
            return block;
        if (check != 1) {
            // The end of a line or a position before its first token: on to the next token.
            GxMoaScript::AdvanceTokenPos(script, position);
            continue;
        }
        const GxMoaToken& token = GxMoaTokenCursor::GetToken(script, position.m_Line, position.m_Pos);
        switch (token.m_Kind) {
        case MOA_TOKEN_WORD:
        case MOA_TOKEN_STRING:
        case MOA_TOKEN_TEXT:
            block.m_Texts.push_back(token.GetString());
            GxMoaScript::AdvanceTokenPos(script, position);
            break;
        case kCommandStartKind:
        case MOA_TOKEN_SCRIPT_END:
            GxMoaScript::AdvanceTokenPos(script, position);
            break;
        case MOA_TOKEN_BUILTIN:
            if (token.GetString() == endKeyword) {
                GxMoaScript::AdvanceLinePos(script, position);
                return block;
            }
            [[fallthrough]];
        default:
            block.m_Failed = true;
            block.m_BadToken = token.Describe();
            return block;
        }
    }
}
