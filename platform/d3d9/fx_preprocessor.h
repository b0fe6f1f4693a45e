// The preprocessor of effect source: comments, line splices, #include through the caller's
// include handler, macros and conditional sections. It hands tokens to the declaration parser
// one at a time and keeps the first error, formatted as a compiler message.
//
// Included files are read in place from the handler's data while they are open, and each is
// closed when its last token has been read (or when the preprocessor is destroyed), innermost
// first.
#pragma once

#include "platform/d3d9/d3dx_effect.h"
#include "platform/d3d9/fx_token.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::d3dx::fx {

struct Macro {
    bool functionLike = false;
    std::vector<std::string> parameters;
    std::vector<Token> body;
};

// Tokens waiting to be read again, the next one last.
using TokenStack = std::vector<Token>;

class Preprocessor {
public:
    Preprocessor(const char* data, std::size_t size, const D3DXMACRO* defines, ID3DXInclude* include);
    ~Preprocessor();
    Preprocessor(const Preprocessor&) = delete;
    Preprocessor& operator=(const Preprocessor&) = delete;

    // The next token after macro expansion; End at the end of the source or once failed.
    Token Next();

    bool Failed() const { return !m_Error.empty(); }
    // "file(line,column): error Xnnnn: message"; only the first error is kept.
    const std::string& Error() const { return m_Error; }
    void Fail(const Token& at, int code, const std::string& message);

private:
    struct Source;
    struct Conditional {
        bool active;      // this section is read
        bool taken;       // a branch of this #if has been read
        bool sawElse;
        bool parentActive;
    };

    // Tokens of the active sections with directives carried out; false at the end.
    bool PullActive(Token& token);
    // False with `error` set on a malformed token.
    bool Lex(Source& source, Token& token, bool& newlineBefore, std::string& error);
    void SkipLine(Source& source);
    // The rest of the directive's line.
    std::vector<Token> DirectiveTokens(Source& source);
    void Directive(Source& source);
    void Define(const std::vector<Token>& line, const Token& at);
    void Include(Source& source, const Token& at);
    bool EvaluateCondition(std::vector<Token> line, const Token& at);
    bool Skipping() const { return !m_Conditionals.empty() && !m_Conditionals.back().active; }
    void CloseSource();

    using MoreTokens = std::function<bool(Token&)>;
    bool PullFrom(TokenStack& queue, const MoreTokens& more, Token& token);
    bool NextExpanded(TokenStack& queue, const MoreTokens& more, Token& token);
    // False when a function-like macro's name is not followed by "(", or on failure.
    bool Expand(const Token& name, const Macro& macro, TokenStack& queue, const MoreTokens& more);
    bool CollectArguments(const Token& name, std::vector<std::vector<Token>>& arguments, TokenStack& queue,
                          const MoreTokens& more);
    // Expands a directive's tokens on their own (for #if).
    std::vector<Token> ExpandLine(const std::vector<Token>& line);
    std::vector<Token> Tokenize(const std::string& text, const Token& at);

    std::vector<std::unique_ptr<Source>> m_Sources;
    std::vector<Conditional> m_Conditionals;
    std::map<std::string, std::shared_ptr<const Macro>> m_Macros;
    std::vector<std::string> m_Expanding;   // macros whose expansion is being read
    TokenStack m_Queue;
    ID3DXInclude* m_Include;
    std::size_t m_ExpandedTokens = 0;
    std::string m_Error;
    Token m_LastToken;   // where an error at the end of the source is reported
};

}  // namespace platform::d3dx::fx
