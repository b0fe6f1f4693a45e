// GxMoaTokenCursor: token lookup that never fails: past the end of a line or the script, or
// before the first token, every lookup yields one shared script-end token.
#pragma once

#include <cstdint>

class GxMoaScript;
class GxMoaToken;

class GxMoaTokenCursor {
public:
    static const GxMoaToken& GetToken(const GxMoaScript* script, std::int32_t line, std::int32_t pos);
    static const GxMoaToken& GetScriptEndToken();
};
