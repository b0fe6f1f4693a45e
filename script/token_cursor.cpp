#include "script/token_cursor.h"

#include "script/script.h"
#include "script/token.h"

const GxMoaToken& GxMoaTokenCursor::GetScriptEndToken()
{
    static const GxMoaToken scriptEnd;   // kind 17, kept for the life of the program
    return scriptEnd;
}

const GxMoaToken& GxMoaTokenCursor::GetToken(const GxMoaScript* script, std::int32_t line, std::int32_t pos)
{
    if (GxMoaScript::CheckTokenPos(script, line, pos) != 1) {
        return GetScriptEndToken();
    }
    return script->m_Lines[static_cast<std::size_t>(line)].m_Tokens[static_cast<std::size_t>(pos)];
}
