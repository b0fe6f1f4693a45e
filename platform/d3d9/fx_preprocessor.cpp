#include "platform/d3d9/fx_preprocessor.h"

#include "platform/d3d9/fx_expression.h"

#include <algorithm>
#include <cstring>

namespace platform::d3dx::fx {

namespace {

constexpr std::size_t kMaxIncludeDepth = 32;
constexpr std::size_t kMaxExpandedTokens = 1u << 18;   // far above any real effect

// Error numbers of the messages, in the style of the HLSL compiler's.
constexpr int kErrorInvalidToken = 1000;
constexpr int kErrorDirective = 1501;
constexpr int kErrorUserError = 1503;
constexpr int kErrorEndOfFile = 1504;
constexpr int kErrorMacro = 1505;
constexpr int kErrorOpenFile = 1507;

bool IsIdentifierStart(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsIdentifierChar(int c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Longest first.
const char* const kPunctuators[] = {
    "<<=", ">>=", "...", "##", "::", "++", "--", "<<", ">>", "<=", ">=", "==", "!=", "&&", "||", "+=", "-=",
    "*=",  "/=",  "%=",  "&=", "|=", "^=", "->", "#",  "(",  ")",  "[",  "]",  "{",  "}",  "<",  ">",  ";",
    ":",   ",",   ".",   "=",  "+",  "-",  "*",  "/",  "%",  "&",  "|",  "^",  "!",  "~",  "?",
};

TokenKind ClassifyPasted(const std::string& text)
{
    if (text.empty()) return TokenKind::Punct;
    if (IsIdentifierStart(static_cast<unsigned char>(text[0]))) return TokenKind::Identifier;
    if (IsDigit(static_cast<unsigned char>(text[0])) || text[0] == '.') return TokenKind::Number;
    return TokenKind::Punct;
}

std::string JoinTokens(const std::vector<Token>& tokens)
{
    std::string text;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (i > 0 && tokens[i].spaceBefore) text += ' ';
        text += tokens[i].text;
    }
    return text;
}

}  // namespace

struct Preprocessor::Source {
    std::shared_ptr<const std::string> name;
    const char* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    int line = 1;
    int column = 1;
    bool atStart = true;           // no token read yet: the first one starts a line
    bool opened = false;           // through the include handler: Close when done
    LPCVOID handlerData = nullptr;
    std::size_t conditionalBase = 0;   // conditional sections open when it was entered

    Source(std::string sourceName, const char* bytes, std::size_t length)
        : name(std::make_shared<const std::string>(std::move(sourceName))), data(bytes)
    {
        // A NUL ends the text; a UTF-8 signature is not part of it.
        const void* nul = bytes ? std::memchr(bytes, 0, length) : nullptr;
        size = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : (bytes ? length : 0);
        if (size >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) pos = 3;
    }

    int Peek(std::size_t ahead = 0) const
    {
        const std::size_t at = pos + ahead;
        return at < size ? static_cast<unsigned char>(data[at]) : -1;
    }

    void Advance()
    {
        if (pos >= size) return;
        if (data[pos] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
        ++pos;
    }

    // A backslash ending a line joins it to the next.
    std::size_t SpliceLength() const
    {
        if (Peek() != '\\') return 0;
        if (Peek(1) == '\n') return 2;
        if (Peek(1) == '\r' && Peek(2) == '\n') return 3;
        return 0;
    }

    struct Mark {
        std::size_t pos;
        int line;
        int column;
        bool atStart;
    };
    Mark Save() const { return {pos, line, column, atStart}; }
    void Restore(const Mark& mark)
    {
        pos = mark.pos;
        line = mark.line;
        column = mark.column;
        atStart = mark.atStart;
    }
};

Preprocessor::Preprocessor(const char* data, std::size_t size, const D3DXMACRO* defines, ID3DXInclude* include)
    : m_Include(include)
{
    m_Sources.push_back(std::make_unique<Source>("memory", data, size));
    m_LastToken.file = m_Sources.back()->name;
    m_LastToken.line = 1;
    m_LastToken.column = 1;
    for (const D3DXMACRO* define = defines; define && define->Name; ++define) {
        Macro macro;
        if (define->Definition) macro.body = Tokenize(define->Definition, m_LastToken);
        m_Macros[define->Name] = std::make_shared<const Macro>(std::move(macro));
    }
}

Preprocessor::~Preprocessor()
{
    while (!m_Sources.empty()) CloseSource();
}

void Preprocessor::Fail(const Token& at, int code, const std::string& message)
{
    if (!m_Error.empty()) return;
    const std::string file = at.file ? *at.file : "memory";
    m_Error = file + "(" + std::to_string(at.line) + "," + std::to_string(at.column) + "): error X" +
              std::to_string(code) + ": " + message;
}

void Preprocessor::CloseSource()
{
    std::unique_ptr<Source> source = std::move(m_Sources.back());
    m_Sources.pop_back();
    if (source->opened && m_Include) m_Include->Close(source->handlerData);
}

bool Preprocessor::Lex(Source& source, Token& token, bool& newlineBefore, std::string& error)
{
    newlineBefore = source.atStart;
    bool space = false;
    for (;;) {
        const int c = source.Peek();
        if (c == '\n') {
            newlineBefore = true;
            space = true;
            source.Advance();
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            space = true;
            source.Advance();
        } else if (const std::size_t splice = source.SpliceLength()) {
            for (std::size_t i = 0; i < splice; ++i) source.Advance();
            space = true;
        } else if (c == '/' && source.Peek(1) == '/') {
            while (source.Peek() != -1 && source.Peek() != '\n') source.Advance();
            space = true;
        } else if (c == '/' && source.Peek(1) == '*') {
            token.file = source.name;
            token.line = source.line;
            token.column = source.column;
            source.Advance();
            source.Advance();
            while (!(source.Peek() == '*' && source.Peek(1) == '/')) {
                if (source.Peek() == -1) {
                    error = "unterminated comment";
                    return false;
                }
                source.Advance();
            }
            source.Advance();
            source.Advance();
            space = true;
        } else {
            break;
        }
    }

    token = Token{};
    token.file = source.name;
    token.line = source.line;
    token.column = source.column;
    token.spaceBefore = space;
    const int c = source.Peek();
    if (c == -1) {
        token.kind = TokenKind::End;
        return true;
    }
    if (IsIdentifierStart(c)) {
        token.kind = TokenKind::Identifier;
        while (IsIdentifierChar(source.Peek())) {
            token.text += static_cast<char>(source.Peek());
            source.Advance();
        }
        return true;
    }
    if (IsDigit(c) || (c == '.' && IsDigit(source.Peek(1)))) {
        token.kind = TokenKind::Number;
        for (;;) {
            const int d = source.Peek();
            if (IsIdentifierChar(d) || d == '.') {
                token.text += static_cast<char>(d);
                source.Advance();
                // An exponent may carry a sign.
                if ((d == 'e' || d == 'E') && (source.Peek() == '+' || source.Peek() == '-') &&
                    token.text.rfind("0x", 0) != 0 && token.text.rfind("0X", 0) != 0) {
                    token.text += static_cast<char>(source.Peek());
                    source.Advance();
                }
            } else {
                break;
            }
        }
        return true;
    }
    if (c == '"') {
        token.kind = TokenKind::String;
        source.Advance();
        for (;;) {
            int d = source.Peek();
            if (d == -1 || d == '\n') {
                error = "newline in string";
                return false;
            }
            source.Advance();
            if (d == '"') break;
            if (d == '\\') {
                const int e = source.Peek();
                if (e == -1 || e == '\n') {
                    error = "newline in string";
                    return false;
                }
                source.Advance();
                switch (e) {
                case 'n': d = '\n'; break;
                case 't': d = '\t'; break;
                case 'r': d = '\r'; break;
                case '0': d = '\0'; break;
                default: d = e; break;
                }
            }
            token.text += static_cast<char>(d);
        }
        return true;
    }
    for (const char* punct : kPunctuators) {
        const std::size_t length = std::strlen(punct);
        bool match = true;
        for (std::size_t i = 0; i < length && match; ++i)
            match = source.Peek(i) == static_cast<unsigned char>(punct[i]);
        if (match) {
            token.kind = TokenKind::Punct;
            token.text = punct;
            for (std::size_t i = 0; i < length; ++i) source.Advance();
            return true;
        }
    }
    error = c >= 0x20 && c < 0x7F ? std::string("invalid character '") + static_cast<char>(c) + "'"
                                  : "invalid character (byte " + std::to_string(c) + ")";
    return false;
}

void Preprocessor::SkipLine(Source& source)
{
    while (source.Peek() != -1 && source.Peek() != '\n') source.Advance();
}

std::vector<Token> Preprocessor::DirectiveTokens(Source& source)
{
    std::vector<Token> tokens;
    for (;;) {
        const Source::Mark mark = source.Save();
        Token token;
        bool newline = false;
        std::string error;
        if (!Lex(source, token, newline, error)) {
            if (Skipping()) {
                SkipLine(source);
            } else {
                Fail(token, kErrorInvalidToken, error);
            }
            return tokens;
        }
        if (newline || token.kind == TokenKind::End) {
            source.Restore(mark);
            return tokens;
        }
        tokens.push_back(std::move(token));
    }
}

bool Preprocessor::PullActive(Token& token)
{
    for (;;) {
        if (Failed() || m_Sources.empty()) return false;
        Source& source = *m_Sources.back();
        bool newline = false;
        std::string error;
        if (!Lex(source, token, newline, error)) {
            // Skipped sections may hold any text (an apostrophe in a note, say).
            if (Skipping()) {
                source.atStart = false;
                SkipLine(source);
                continue;
            }
            Fail(token, kErrorInvalidToken, error);
            return false;
        }
        source.atStart = false;
        if (token.kind == TokenKind::End) {
            if (m_Conditionals.size() > source.conditionalBase) {
                Fail(token, kErrorEndOfFile, "unexpected end of file in a conditional section (#endif missing)");
                return false;
            }
            if (m_Sources.size() == 1) {
                m_LastToken = token;
                return false;
            }
            CloseSource();
            continue;
        }
        if (newline && token.IsPunct("#")) {
            Directive(source);
            continue;
        }
        if (Skipping()) continue;
        m_LastToken = token;
        return true;
    }
}

void Preprocessor::Directive(Source& source)
{
    const Source::Mark mark = source.Save();
    Token name;
    bool newline = false;
    std::string error;
    if (!Lex(source, name, newline, error)) {
        if (Skipping()) {
            SkipLine(source);
        } else {
            Fail(name, kErrorInvalidToken, error);
        }
        return;
    }
    if (newline || name.kind == TokenKind::End) {
        source.Restore(mark);   // a lone "#" does nothing
        return;
    }
    if (name.kind != TokenKind::Identifier) {
        if (Skipping()) {
            DirectiveTokens(source);
        } else {
            Fail(name, kErrorDirective, "invalid preprocessor directive");
        }
        return;
    }

    const std::string& directive = name.text;
    const bool ownSection = m_Conditionals.size() > source.conditionalBase;
    if (directive == "if" || directive == "ifdef" || directive == "ifndef") {
        if (Skipping()) {
            DirectiveTokens(source);
            m_Conditionals.push_back({false, true, false, false});
            return;
        }
        std::vector<Token> line = DirectiveTokens(source);
        bool value = false;
        if (directive == "if") {
            value = EvaluateCondition(std::move(line), name);
        } else if (line.empty() || line[0].kind != TokenKind::Identifier) {
            Fail(name, kErrorDirective, "#" + directive + " expects a macro name");
        } else {
            value = (m_Macros.count(line[0].text) != 0) == (directive == "ifdef");
        }
        if (Failed()) return;
        m_Conditionals.push_back({value, value, false, true});
        return;
    }
    if (directive == "elif" || directive == "else" || directive == "endif") {
        if (!ownSection) {
            Fail(name, kErrorDirective, "#" + directive + " without #if");
            return;
        }
        Conditional& section = m_Conditionals.back();
        if (directive == "endif") {
            DirectiveTokens(source);
            m_Conditionals.pop_back();
            return;
        }
        if (section.sawElse) {
            Fail(name, kErrorDirective, "#" + directive + " after #else");
            return;
        }
        if (directive == "else") {
            DirectiveTokens(source);
            section.sawElse = true;
            section.active = section.parentActive && !section.taken;
            section.taken = true;
            return;
        }
        if (!section.parentActive || section.taken) {
            DirectiveTokens(source);
            section.active = false;
            return;
        }
        // The condition is read as in an active section.
        section.active = true;
        const bool value = EvaluateCondition(DirectiveTokens(source), name);
        Conditional& after = m_Conditionals.back();
        after.active = value;
        after.taken = value;
        return;
    }
    if (Skipping()) {
        DirectiveTokens(source);
        return;
    }
    if (directive == "define") {
        Define(DirectiveTokens(source), name);
    } else if (directive == "undef") {
        const std::vector<Token> line = DirectiveTokens(source);
        if (line.empty() || line[0].kind != TokenKind::Identifier) {
            Fail(name, kErrorDirective, "#undef expects a macro name");
            return;
        }
        m_Macros.erase(line[0].text);
    } else if (directive == "include") {
        Include(source, name);
    } else if (directive == "error") {
        Fail(name, kErrorUserError, "#error: " + JoinTokens(DirectiveTokens(source)));
    } else if (directive == "pragma" || directive == "line") {
        DirectiveTokens(source);
    } else {
        Fail(name, kErrorDirective, "unknown preprocessor directive '#" + directive + "'");
    }
}

void Preprocessor::Define(const std::vector<Token>& line, const Token& at)
{
    if (line.empty() || line[0].kind != TokenKind::Identifier) {
        Fail(at, kErrorDirective, "#define expects a macro name");
        return;
    }
    Macro macro;
    std::size_t i = 1;
    if (line.size() > 1 && line[1].IsPunct("(") && !line[1].spaceBefore) {
        macro.functionLike = true;
        i = 2;
        if (i < line.size() && line[i].IsPunct(")")) {
            ++i;
        } else {
            for (;;) {
                if (i >= line.size() || line[i].kind != TokenKind::Identifier) {
                    Fail(i < line.size() ? line[i] : at, kErrorMacro, "invalid macro parameter list");
                    return;
                }
                macro.parameters.push_back(line[i++].text);
                if (i < line.size() && line[i].IsPunct(",")) {
                    ++i;
                } else if (i < line.size() && line[i].IsPunct(")")) {
                    ++i;
                    break;
                } else {
                    Fail(i < line.size() ? line[i] : at, kErrorMacro, "invalid macro parameter list");
                    return;
                }
            }
        }
    }
    macro.body.assign(line.begin() + static_cast<std::ptrdiff_t>(i), line.end());
    m_Macros[line[0].text] = std::make_shared<const Macro>(std::move(macro));
}

void Preprocessor::Include(Source& source, const Token& at)
{
    while (source.Peek() == ' ' || source.Peek() == '\t') source.Advance();
    const int open = source.Peek();
    if (open != '"' && open != '<') {
        Fail(at, kErrorDirective, "#include expects \"FILENAME\" or <FILENAME>");
        return;
    }
    const char close = open == '"' ? '"' : '>';
    source.Advance();
    std::string fileName;
    while (source.Peek() != close) {
        if (source.Peek() == -1 || source.Peek() == '\n') {
            Fail(at, kErrorDirective, "missing terminating character in #include");
            return;
        }
        fileName += static_cast<char>(source.Peek());
        source.Advance();
    }
    source.Advance();
    DirectiveTokens(source);
    if (Failed()) return;

    if (m_Sources.size() >= kMaxIncludeDepth) {
        Fail(at, kErrorOpenFile, "#include nested too deeply: '" + fileName + "'");
        return;
    }
    LPCVOID data = nullptr;
    UINT bytes = 0;
    if (!m_Include ||
        FAILED(m_Include->Open(open == '"' ? D3DXINC_LOCAL : D3DXINC_SYSTEM, fileName.c_str(), source.data, &data,
                               &bytes))) {
        Fail(at, kErrorOpenFile, "failed to open source file: '" + fileName + "'");
        return;
    }
    // Pushed before any check so that it is closed whatever happens next.
    auto included = std::make_unique<Source>(fileName, static_cast<const char*>(data), data ? bytes : 0);
    included->opened = true;
    included->handlerData = data;
    included->conditionalBase = m_Conditionals.size();
    m_Sources.push_back(std::move(included));
    if (!data && bytes != 0) Fail(at, kErrorOpenFile, "failed to open source file: '" + fileName + "'");
}

bool Preprocessor::EvaluateCondition(std::vector<Token> line, const Token& at)
{
    if (Failed()) return false;
    const std::vector<Token> expanded = ExpandLine(line);
    if (Failed()) return false;
    std::string error;
    // Identifiers left after expansion are 0, as in C.
    const auto value = EvaluateConstant(
        expanded, [](const std::string&) { return std::optional<ConstValue>(ConstValue::Int(0)); }, error);
    if (!value) {
        Fail(at, kErrorDirective, "invalid #" + at.text + " expression: " + error);
        return false;
    }
    return value->IsTrue();
}

std::vector<Token> Preprocessor::ExpandLine(const std::vector<Token>& line)
{
    // `defined` is read before any macro is expanded.
    std::vector<Token> replaced;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!line[i].IsIdentifier("defined")) {
            replaced.push_back(line[i]);
            continue;
        }
        std::size_t nameAt = i + 1;
        const bool parenthesised = nameAt < line.size() && line[nameAt].IsPunct("(");
        if (parenthesised) ++nameAt;
        if (nameAt >= line.size() || line[nameAt].kind != TokenKind::Identifier ||
            (parenthesised && (nameAt + 1 >= line.size() || !line[nameAt + 1].IsPunct(")")))) {
            Fail(line[i], kErrorDirective, "'defined' expects a macro name");
            return {};
        }
        Token value = line[i];
        value.kind = TokenKind::Number;
        value.text.assign(1, m_Macros.count(line[nameAt].text) ? '1' : '0');
        replaced.push_back(std::move(value));
        i = parenthesised ? nameAt + 1 : nameAt;
    }
    TokenStack queue(replaced.rbegin(), replaced.rend());

    std::vector<std::string> outer;
    outer.swap(m_Expanding);
    std::vector<Token> expanded;
    Token token;
    const MoreTokens none = [](Token&) { return false; };
    while (NextExpanded(queue, none, token)) expanded.push_back(token);
    m_Expanding.swap(outer);
    return expanded;
}

std::vector<Token> Preprocessor::Tokenize(const std::string& text, const Token& at)
{
    Source source("macro", text.data(), text.size());
    std::vector<Token> tokens;
    for (;;) {
        Token token;
        bool newline = false;
        std::string error;
        if (!Lex(source, token, newline, error)) {
            Fail(at, kErrorMacro, "invalid macro definition '" + text + "': " + error);
            return tokens;
        }
        if (token.kind == TokenKind::End) return tokens;
        token.file = at.file;
        token.line = at.line;
        token.column = at.column;
        tokens.push_back(std::move(token));
    }
}

bool Preprocessor::PullFrom(TokenStack& queue, const MoreTokens& more, Token& token)
{
    while (!queue.empty()) {
        token = std::move(queue.back());
        queue.pop_back();
        if (token.kind == TokenKind::EndOfMacro) {
            const auto it = std::find(m_Expanding.rbegin(), m_Expanding.rend(), token.text);
            if (it != m_Expanding.rend()) m_Expanding.erase(std::next(it).base());
            continue;
        }
        return true;
    }
    return more(token);
}

bool Preprocessor::NextExpanded(TokenStack& queue, const MoreTokens& more, Token& token)
{
    for (;;) {
        if (Failed() || !PullFrom(queue, more, token)) return false;
        if (token.kind != TokenKind::Identifier || token.noExpand) return true;
        const auto it = m_Macros.find(token.text);
        if (it == m_Macros.end()) return true;
        if (std::find(m_Expanding.begin(), m_Expanding.end(), token.text) != m_Expanding.end()) {
            token.noExpand = true;   // stays itself for good, as in C
            return true;
        }
        // Held: reading the arguments may pass a #define or #undef.
        const std::shared_ptr<const Macro> macro = it->second;
        if (Expand(token, *macro, queue, more)) continue;
        return !Failed();
    }
}

bool Preprocessor::CollectArguments(const Token& name, std::vector<std::vector<Token>>& arguments,
                                    TokenStack& queue, const MoreTokens& more)
{
    int depth = 0;
    arguments.emplace_back();
    for (;;) {
        Token token;
        if (!PullFrom(queue, more, token)) {
            Fail(name, kErrorEndOfFile, "unexpected end of file in the arguments of macro '" + name.text + "'");
            return false;
        }
        if (++m_ExpandedTokens > kMaxExpandedTokens) {
            Fail(name, kErrorMacro, "macro expansion too large");
            return false;
        }
        if (token.IsPunct("(")) {
            ++depth;
        } else if (token.IsPunct(")")) {
            if (depth == 0) return true;
            --depth;
        } else if (token.IsPunct(",") && depth == 0) {
            arguments.emplace_back();
            continue;
        }
        arguments.back().push_back(std::move(token));
    }
}

bool Preprocessor::Expand(const Token& name, const Macro& macro, TokenStack& queue, const MoreTokens& more)
{
    std::vector<std::vector<Token>> arguments;
    if (macro.functionLike) {
        Token next;
        if (!PullFrom(queue, more, next)) return false;   // the name ends the source
        if (!next.IsPunct("(")) {
            queue.push_back(std::move(next));
            return false;
        }
        if (!CollectArguments(name, arguments, queue, more)) return false;
        if (macro.parameters.empty() && arguments.size() == 1 && arguments[0].empty()) arguments.clear();
        if (arguments.size() != macro.parameters.size()) {
            Fail(name, kErrorMacro,
                 "macro '" + name.text + "' expects " + std::to_string(macro.parameters.size()) + " arguments, " +
                     std::to_string(arguments.size()) + " given");
            return false;
        }
    }
    const auto parameterIndex = [&](const Token& token) -> int {
        if (!macro.functionLike || token.kind != TokenKind::Identifier) return -1;
        const auto it = std::find(macro.parameters.begin(), macro.parameters.end(), token.text);
        return it == macro.parameters.end() ? -1 : static_cast<int>(it - macro.parameters.begin());
    };

    std::vector<Token> result;
    const std::vector<Token>& body = macro.body;
    result.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        const Token& token = body[i];
        if (token.IsPunct("#") && macro.functionLike && i + 1 < body.size() && parameterIndex(body[i + 1]) >= 0) {
            Token text = token;
            text.kind = TokenKind::String;
            text.text = JoinTokens(arguments[static_cast<std::size_t>(parameterIndex(body[++i]))]);
            result.push_back(std::move(text));
        } else if (token.IsPunct("##") && !result.empty() && i + 1 < body.size()) {
            const Token& rightToken = body[++i];
            const int index = parameterIndex(rightToken);
            std::vector<Token> right = index >= 0 ? arguments[static_cast<std::size_t>(index)]
                                                  : std::vector<Token>{rightToken};
            if (!right.empty()) {
                Token& left = result.back();
                left.text += right[0].text;
                left.kind = ClassifyPasted(left.text);
                left.noExpand = false;
                result.insert(result.end(), right.begin() + 1, right.end());
            }
        } else if (const int index = parameterIndex(token); index >= 0) {
            const auto& argument = arguments[static_cast<std::size_t>(index)];
            result.insert(result.end(), argument.begin(), argument.end());
        } else {
            result.push_back(token);
        }
    }

    m_ExpandedTokens += result.size();
    if (m_ExpandedTokens > kMaxExpandedTokens) {
        Fail(name, kErrorMacro, "macro expansion too large");
        return false;
    }
    // Messages point at the macro's use.
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i].file = name.file;
        result[i].line = name.line;
        result[i].column = name.column;
        if (i == 0) result[i].spaceBefore = name.spaceBefore;
    }
    Token end;
    end.kind = TokenKind::EndOfMacro;
    end.text = name.text;
    queue.push_back(std::move(end));
    queue.insert(queue.end(), std::make_move_iterator(result.rbegin()), std::make_move_iterator(result.rend()));
    m_Expanding.push_back(name.text);
    return true;
}

Token Preprocessor::Next()
{
    Token token;
    if (NextExpanded(m_Queue, [this](Token& t) { return PullActive(t); }, token)) return token;
    Token end;
    end.kind = TokenKind::End;
    end.file = m_LastToken.file;
    end.line = m_LastToken.line;
    end.column = m_LastToken.column;
    return end;
}

}  // namespace platform::d3dx::fx
