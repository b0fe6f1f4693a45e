// Tokens of effect source, as the effect preprocessor hands them to the declaration parser.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform::d3dx::fx {

enum class TokenKind {
    End,          // end of the source, or the source failed
    Identifier,
    Number,       // the literal as written, suffix included
    String,       // the contents, escapes resolved
    Punct,
    EndOfMacro,   // internal: closes a macro expansion
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    std::shared_ptr<const std::string> file;   // the source's name, for messages
    int line = 0;
    int column = 0;
    bool spaceBefore = false;   // whitespace or a line break came before it
    bool noExpand = false;      // a macro's own name inside its expansion

    bool Is(TokenKind k, std::string_view t) const { return kind == k && text == t; }
    bool IsPunct(std::string_view t) const { return Is(TokenKind::Punct, t); }
    bool IsIdentifier(std::string_view t) const { return Is(TokenKind::Identifier, t); }
};

}  // namespace platform::d3dx::fx
