#include "tests/support/moa_assembler.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_compressed.h"
#include "foundation/content_text.h"
#include "foundation/wide_string.h"
#include "script/moa.h"
#include "script/moa_names.h"
#include "tests/support/compressed_content.h"

#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

namespace {

// The engine's default builtins, in the order that gives their indices.
constexpr const char16_t* kDefaultBuiltins[] = {
    u"GO", u"GOIF", u"GOSUB", u"GOSUBIF", u"RETURN", u"RETURNIF", u"RETVAL", u"EXIT", u"Print", u"Debug",
    u"Error", u"DumpVarToFile", u"IsLabelExist", u"ArraySize", u"IsArray", u"ToInt", u"ToFloat", u"ToStr",
    u"StrLen", u"StrFind", u"StrSub", u"StrLower", u"StrUpper", u"Abs", u"Fabs", u"Sgn", u"Fsgn", u"Fmod",
    u"Pow", u"Sqrt", u"Exp", u"Log", u"Rand", u"GetUTime", u"GetYearFromUtime", u"GetMonthFromUtime",
    u"GetDayFromUtime", u"GetHourFromUtime", u"GetMinFromUtime", u"GetSecFromUtime", u"GetWeekFromUtime",
    u"GetYDayFromUtime", u"GetLocaleID", u"GetTimeZoneBias", u"GetTimeZoneName", u"GetCurrentDir",
    u"IsFileExist", u"GetFileSize",
};

struct Keyword {
    const char16_t* word;
    std::uint16_t kind;
};
constexpr Keyword kKeywords[] = {
    {u"NULL", 6},     {u"ARRAY", 13},   {u"DEFINE", 18}, {u"BUILTIN", 19}, {u"STATIC", 21}, {u"GLOBAL", 22},
    {u"EXTERN", 23},  {u"NOSAVE", 24},  {u"INGAME", 25}, {u"PERMAN", 26},  {u"IF", 27},     {u"ELSE", 28},
    {u"WHILE", 29},   {u"FOR", 30},     {u"DO", 31},     {u"CONTINUE", 32}, {u"BREAK", 33},
};

struct Operator {
    const char16_t* text;
    std::uint16_t kind;
};
// Two-character operators first: the longest match wins.
constexpr Operator kOperators[] = {
    {u"==", 42}, {u"!=", 43}, {u">=", 45}, {u"<=", 47}, {u"<<", 60}, {u">>", 61}, {u"&&", 63}, {u"||", 64},
    {u"++", 65}, {u"--", 66}, {u"+=", 70}, {u":=", 71}, {u"-=", 72}, {u"*=", 73}, {u"/=", 74}, {u"%=", 75},
    {u"&=", 76}, {u"|=", 77}, {u"^=", 78}, {u";", 34},  {u",", 35},  {u"{", 36},  {u"}", 37},  {u"[", 38},
    {u"]", 39},  {u"(", 40},  {u")", 41},  {u">", 44},  {u"<", 46},  {u"+", 48},  {u":", 49},  {u"-", 50},
    {u"*", 51},  {u"/", 52},  {u"%", 53},  {u"&", 56},  {u"|", 57},  {u"^", 58},  {u"~", 59},  {u"!", 62},
    {u"?", 79},  {u"=", 69},
};

// Kinds after which "+" and "-" are binary: the previous token ends a term.
bool EndsTerm(std::uint16_t kind)
{
    switch (kind) {
    case 3: case 4: case 5: case 6: case 9: case 39: case 41: case 67: case 68: return true;
    default: return false;
    }
}

bool IsWordStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsWordChar(char16_t c) { return IsWordStart(c) || IsDigit(c) || c == u'.'; }
// Variable names take letters, digits, "_" and anything outside ASCII.
bool IsNameChar(char16_t c) { return IsWordStart(c) || IsDigit(c) || c >= 0x80; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == 0x3000; }

std::optional<std::uint16_t> KeywordKind(std::u16string_view word)
{
    for (const Keyword& keyword : kKeywords) {
        if (word == keyword.word) {
            return keyword.kind;
        }
    }
    return std::nullopt;
}

GxMoaToken MakeToken(std::uint16_t kind)
{
    GxMoaToken token;
    token.m_Kind = kind;
    return token;
}

// Builds one script: its lines of tokens, labels, definitions, and the block links.
class ScriptBuilder {
public:
    ScriptBuilder(std::vector<std::u16string>& builtins, std::vector<std::string>& errors, GxMoa& program,
                  std::u16string scriptName)
        : m_Builtins(builtins), m_Errors(errors), m_Program(program)
    {
        m_Script = std::make_unique<GxMoaScript>(&program);
        m_Script->m_ScriptName = std::move(scriptName);
    }

    void AddLine(std::u16string line);
    std::unique_ptr<GxMoaScript> Finish();

private:
    struct OpenBlock {
        GxMoaRunPos position;
        std::int64_t kind;
    };

    void Error(const std::string& message)
    {
        m_Errors.push_back(WideToUtf8(m_Script->m_ScriptName) + ":" + std::to_string(m_Line + 1) + ": " + message);
    }
    std::int32_t BuiltinIndex(std::u16string_view word) const;
    bool StartsStatement(const std::u16string& line) const;
    void AddLabel(const std::u16string& line, std::vector<GxMoaToken>& tokens);
    bool Tokenize(const std::u16string& line, std::vector<GxMoaToken>& tokens);
    void LinkBlocks(std::vector<GxMoaToken>& tokens);
    void Declare(const std::vector<GxMoaToken>& tokens);

    std::vector<std::u16string>& m_Builtins;
    std::vector<std::string>& m_Errors;
    GxMoa& m_Program;
    std::unique_ptr<GxMoaScript> m_Script;
    std::int32_t m_Line = 0;
    std::vector<OpenBlock> m_Open;
    std::int64_t m_PendingBlockKind = 0;
};

std::int32_t ScriptBuilder::BuiltinIndex(std::u16string_view word) const
{
    const std::u16string lower = WideToLowerAscii(word);
    for (std::size_t i = 0; i < m_Builtins.size(); ++i) {
        if (WideToLowerAscii(m_Builtins[i]) == lower) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

bool ScriptBuilder::StartsStatement(const std::u16string& line) const
{
    const char16_t c = line[0];
    if (c == u'$' || c == u'{' || c == u'}' || c == u'(' || c == u';') {
        return true;
    }
    if (line.size() >= 2 && (line.compare(0, 2, u"++") == 0 || line.compare(0, 2, u"--") == 0)) {
        return true;
    }
    if (!IsWordStart(c)) {
        return false;
    }
    std::size_t end = 0;
    while (end < line.size() && IsWordChar(line[end])) {
        ++end;
    }
    const std::u16string_view word(line.data(), end);
    if (KeywordKind(word)) {
        return true;
    }
    // A word followed by "(" is a call: a builtin or a layer call. Otherwise the line is text,
    // even when it begins with a builtin's name ("Log in later.").
    while (end < line.size() && IsSpace(line[end])) {
        ++end;
    }
    return end < line.size() && line[end] == u'(';
}

void ScriptBuilder::AddLabel(const std::u16string& line, std::vector<GxMoaToken>& tokens)
{
    std::size_t end = 1;
    while (end < line.size() && !IsSpace(line[end])) {
        ++end;
    }
    const std::u16string name = line.substr(1, end - 1);
    if (name.empty() || TrimWide(line.substr(end), 3).size() != 0) {
        Error("a label line holds one name");
        return;
    }
    GxMoaToken token = MakeToken(MOA_TOKEN_LABEL);
    token.SetString(name);
    tokens.push_back(std::move(token));

    GxMoaLabelDefinition definition;
    definition.m_Name = name;
    definition.m_Position.m_Line = m_Line;
    definition.m_Position.m_Pos = 0;
    definition.m_Position.m_ScriptName = m_Script->m_ScriptName;
    const bool added = name[0] == u'@'
                           ? m_Script->m_Labels.try_emplace(name, std::make_unique<GxMoaLabelDefinition>(definition)).second
                           : m_Program.AddLabel(definition);
    if (!added) {
        Error("label defined twice: " + WideToUtf8(name));
    }
}

bool ScriptBuilder::Tokenize(const std::u16string& line, std::vector<GxMoaToken>& tokens)
{
    std::size_t i = 0;
    while (i < line.size()) {
        const char16_t c = line[i];
        if (IsSpace(c)) {
            ++i;
            continue;
        }
        if (line.compare(i, 2, u"//") == 0) {
            break;
        }
        const std::uint16_t previous = tokens.empty() ? 0 : tokens.back().m_Kind;
        if (c == u'$') {
            std::size_t end = i + 1;
            while (end < line.size() && IsNameChar(line[end])) {
                ++end;
            }
            if (end == i + 1) {
                Error("\"$\" without a name");
                return false;
            }
            std::size_t next = end;
            while (next < line.size() && IsSpace(line[next])) {
                ++next;
            }
            GxMoaToken token = MakeToken(next < line.size() && line[next] == u'[' ? MOA_TOKEN_ARRAY_VARIABLE
                                                                                   : MOA_TOKEN_VARIABLE);
            token.SetString(line.substr(i + 1, end - i - 1));
            tokens.push_back(std::move(token));
            i = end;
            continue;
        }
        if (IsDigit(c)) {
            std::size_t end = i;
            bool isFloat = false;
            if (line.compare(i, 2, u"0x") == 0 || line.compare(i, 2, u"0X") == 0) {
                end = i + 2;
                while (end < line.size() && std::isxdigit(static_cast<int>(line[end] < 0x80 ? line[end] : 0))) {
                    ++end;
                }
            } else {
                while (end < line.size() && IsDigit(line[end])) {
                    ++end;
                }
                if (end + 1 < line.size() && line[end] == u'.' && IsDigit(line[end + 1])) {
                    isFloat = true;
                    ++end;
                    while (end < line.size() && IsDigit(line[end])) {
                        ++end;
                    }
                }
                if (end < line.size() && (line[end] == u'e' || line[end] == u'E')) {
                    std::size_t exponent = end + 1;
                    if (exponent < line.size() && (line[exponent] == u'+' || line[exponent] == u'-')) {
                        ++exponent;
                    }
                    if (exponent < line.size() && IsDigit(line[exponent])) {
                        isFloat = true;
                        end = exponent;
                        while (end < line.size() && IsDigit(line[end])) {
                            ++end;
                        }
                    }
                }
            }
            const std::string digits = WideToUtf8(line.substr(i, end - i));
            GxMoaToken token = MakeToken(isFloat ? MOA_TOKEN_FLOAT : MOA_TOKEN_INT);
            if (isFloat) {
                token.m_Int = std::bit_cast<std::int64_t>(std::strtod(digits.c_str(), nullptr));
            } else {
                errno = 0;
                token.m_Int = static_cast<std::int64_t>(std::strtoull(digits.c_str(), nullptr, 0));
                if (errno == ERANGE) {
                    Error("integer out of range: " + digits);
                    return false;
                }
            }
            tokens.push_back(std::move(token));
            i = end;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            std::u16string text;
            std::size_t end = i + 1;
            bool closed = false;
            while (end < line.size()) {
                const char16_t d = line[end++];
                if (d == c) {
                    closed = true;
                    break;
                }
                if (d == u'\\' && end < line.size()) {
                    const char16_t e = line[end++];
                    text.push_back(e == u'n' ? u'\n' : e == u't' ? u'\t' : e);
                } else {
                    text.push_back(d);
                }
            }
            if (!closed) {
                Error("string without its closing quote");
                return false;
            }
            GxMoaToken token = MakeToken(MOA_TOKEN_STRING);
            token.SetString(text);
            tokens.push_back(std::move(token));
            i = end;
            continue;
        }
        if (IsWordStart(c)) {
            std::size_t end = i;
            while (end < line.size() && IsWordChar(line[end])) {
                ++end;
            }
            const std::u16string word = line.substr(i, end - i);
            if (const auto kind = KeywordKind(word)) {
                tokens.push_back(MakeToken(*kind));
            } else if (const std::int32_t index = BuiltinIndex(word); index >= 0) {
                GxMoaToken token = MakeToken(MOA_TOKEN_BUILTIN);
                token.SetString(WideToLowerAscii(word));
                token.m_Int = index;
                tokens.push_back(std::move(token));
            } else {
                GxMoaToken token = MakeToken(MOA_TOKEN_WORD);
                token.SetString(word);
                tokens.push_back(std::move(token));
            }
            i = end;
            continue;
        }
        const Operator* match = nullptr;
        for (const Operator& op : kOperators) {
            if (line.compare(i, std::char_traits<char16_t>::length(op.text), op.text) == 0) {
                match = &op;
                break;
            }
        }
        if (match == nullptr) {
            Error("unknown character in a statement: " + WideToUtf8(line.substr(i, 1)));
            return false;
        }
        std::uint16_t kind = match->kind;
        if (kind == 48 || kind == 50) {
            if (!EndsTerm(previous)) {
                kind = kind == 48 ? std::uint16_t{MOA_TOKEN_UNARY_PLUS} : std::uint16_t{MOA_TOKEN_UNARY_MINUS};
            }
        } else if (kind == 65 || kind == 66) {
            if (previous == MOA_TOKEN_VARIABLE || previous == MOA_TOKEN_INDEX_CLOSE) {
                kind = kind == 65 ? MOA_TOKEN_POST_INCREMENT : MOA_TOKEN_POST_DECREMENT;
            }
        }
        tokens.push_back(MakeToken(kind));
        i += std::char_traits<char16_t>::length(match->text);
    }
    return true;
}

void ScriptBuilder::LinkBlocks(std::vector<GxMoaToken>& tokens)
{
    const auto count = static_cast<std::int32_t>(tokens.size());
    // The token after the "(" that follows position `at`.
    auto conditionStart = [&](std::int32_t at) -> std::optional<GxMoaRunPos> {
        if (at + 1 < count && tokens[static_cast<std::size_t>(at + 1)].m_Kind == MOA_TOKEN_PAREN_OPEN) {
            return GxMoaRunPos(m_Line, at + 2);
        }
        Error("a condition in parentheses must follow IF");
        return std::nullopt;
    };
    for (std::int32_t i = 0; i < count; ++i) {
        GxMoaToken& token = tokens[static_cast<std::size_t>(i)];
        switch (token.m_Kind) {
        case MOA_TOKEN_IF:
            if (const auto start = conditionStart(i)) {
                token.SetLink(1, *start);
            }
            m_PendingBlockKind = 3;
            break;
        case MOA_TOKEN_ELSE:
            if (i + 1 < count && tokens[static_cast<std::size_t>(i + 1)].m_Kind == MOA_TOKEN_IF) {
                if (const auto start = conditionStart(i + 1)) {
                    token.SetLink(1, *start);
                }
                m_PendingBlockKind = 3;
            } else {
                token.SetLink(1, GxMoaRunPos(-1, -1));
                m_PendingBlockKind = 4;
            }
            break;
        case MOA_TOKEN_BLOCK_OPEN:
            m_Open.push_back({GxMoaRunPos(m_Line, i), m_PendingBlockKind});
            m_PendingBlockKind = 0;
            break;
        case MOA_TOKEN_BLOCK_CLOSE: {
            if (m_Open.empty()) {
                Error("\"}\" without its \"{\"");
                break;
            }
            const OpenBlock open = m_Open.back();
            m_Open.pop_back();
            token.m_Int = open.kind;
            // The "{" may sit on this very line, still in `tokens`.
            if (open.position.m_Line == m_Line) {
                tokens[static_cast<std::size_t>(open.position.m_Pos)].SetLink(0, GxMoaRunPos(m_Line, i));
            } else {
                m_Script->m_Lines[static_cast<std::size_t>(open.position.m_Line)]
                    .m_Tokens[static_cast<std::size_t>(open.position.m_Pos)]
                    .SetLink(0, GxMoaRunPos(m_Line, i));
            }
            break;
        }
        default: break;
        }
    }
}

void ScriptBuilder::Declare(const std::vector<GxMoaToken>& tokens)
{
    std::size_t i = 0;
    const std::uint16_t storage = tokens[i++].m_Kind;
    std::int32_t saveClass = 1;   // INGAME
    if (i < tokens.size() && tokens[i].m_Kind >= MOA_TOKEN_NOSAVE && tokens[i].m_Kind <= MOA_TOKEN_PERMAN) {
        saveClass = tokens[i].m_Kind == MOA_TOKEN_PERMAN ? 0 : tokens[i].m_Kind == MOA_TOKEN_INGAME ? 1 : 2;
        ++i;
    }
    const std::int32_t base = storage == MOA_TOKEN_STATIC ? 2 : storage == MOA_TOKEN_GLOBAL ? 5 : 8;
    if (i >= tokens.size() || (tokens[i].m_Kind != MOA_TOKEN_VARIABLE && tokens[i].m_Kind != MOA_TOKEN_ARRAY_VARIABLE)) {
        Error("a declaration names one variable");
        return;
    }
    GxMoaVariableDefinition definition;
    definition.m_Name = tokens[i].GetString();
    definition.m_Scope = base + saveClass;
    definition.m_ScriptName = m_Script->m_ScriptName;
    definition.m_Line = m_Line;
    if (tokens[i++].m_Kind == MOA_TOKEN_ARRAY_VARIABLE) {
        if (i + 2 >= tokens.size() + 0 || tokens[i].m_Kind != MOA_TOKEN_INDEX_OPEN ||
            tokens[i + 1].m_Kind != MOA_TOKEN_INT || tokens[i + 2].m_Kind != MOA_TOKEN_INDEX_CLOSE) {
            Error("an array declaration gives its size: $a[3]");
            return;
        }
        definition.m_ArraySize = static_cast<std::int32_t>(tokens[i + 1].m_Int);
        i += 3;
    }
    if (i < tokens.size()) {
        if (tokens[i].m_Kind != MOA_TOKEN_ASSIGN || i + 1 >= tokens.size()) {
            Error("a declaration's initial value follows \"=\"");
            return;
        }
        ++i;
        const bool negative = tokens[i].m_Kind == MOA_TOKEN_UNARY_MINUS;
        if (negative && ++i >= tokens.size()) {
            Error("a declaration's initial value is one literal");
            return;
        }
        const GxMoaToken& literal = tokens[i];
        switch (literal.m_Kind) {
        case MOA_TOKEN_INT: definition.m_Value.SetInt64(negative ? -literal.m_Int : literal.m_Int); break;
        case MOA_TOKEN_FLOAT: {
            const double value = std::bit_cast<double>(literal.m_Int);
            definition.m_Value.SetFloat(negative ? -value : value);
            break;
        }
        case MOA_TOKEN_STRING: definition.m_Value.SetString(literal.GetString()); break;
        case MOA_TOKEN_NULL: break;
        default: Error("a declaration's initial value is one literal"); return;
        }
        if (i + 1 != tokens.size() || (negative && literal.m_Kind != MOA_TOKEN_INT && literal.m_Kind != MOA_TOKEN_FLOAT)) {
            Error("a declaration's initial value is one literal");
            return;
        }
    }
    if (definition.m_Scope <= 4) {
        if (m_Script->FindVariableDefinition(definition.m_Name) != nullptr) {
            Error("variable declared twice: " + WideToUtf8(definition.m_Name));
            return;
        }
        m_Script->m_VariableDefines.push_back(definition);
    } else if (!m_Program.AddVariableDefinition(definition)) {
        Error("variable declared twice: " + WideToUtf8(definition.m_Name));
    }
}

void ScriptBuilder::AddLine(std::u16string line)
{
    line = TrimWide(line, 3);
    std::vector<GxMoaToken> tokens;
    if (line.empty() || line.compare(0, 2, u"//") == 0) {
        // an empty line keeps the numbering of the source
    } else if (line[0] == u'*') {
        AddLabel(line, tokens);
    } else if (!StartsStatement(line)) {
        GxMoaToken token = MakeToken(MOA_TOKEN_TEXT);
        token.SetString(line);
        tokens.push_back(std::move(token));
    } else {
        // A BUILTIN line makes its names known before they are read as tokens.
        if (line.compare(0, 7, u"BUILTIN") == 0) {
            std::vector<std::u16string> names;
            SplitWide(names, TrimWide(line.substr(7), 3), u",");
            for (std::u16string& name : names) {
                name = TrimWide(name, 3);
                if (!name.empty() && BuiltinIndex(name) < 0) {
                    m_Builtins.push_back(name);
                }
            }
        }
        if (Tokenize(line, tokens)) {
            LinkBlocks(tokens);
            const std::uint16_t first = tokens.empty() ? 0 : tokens[0].m_Kind;
            if (first == MOA_TOKEN_STATIC || first == MOA_TOKEN_GLOBAL || first == MOA_TOKEN_EXTERN) {
                Declare(tokens);
            }
        } else {
            tokens.clear();
        }
    }
    GxMoaScriptStep step;
    step.m_Tokens = std::move(tokens);
    m_Script->m_Lines.push_back(std::move(step));
    ++m_Line;
}

std::unique_ptr<GxMoaScript> ScriptBuilder::Finish()
{
    if (!m_Open.empty()) {
        m_Line = m_Open.back().position.m_Line;
        Error("\"{\" without its \"}\"");
    }
    return std::move(m_Script);
}

std::string ReadAll(std::FILE* file)
{
    std::string bytes;
    std::rewind(file);
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

}  // namespace

std::string WriteMoaProgram(const GxMoa& program, MoaProgramForm form)
{
    std::FILE* file = std::tmpfile();
    if (file == nullptr) {
        return std::string();
    }
    bool ok = false;
    if (form == MoaProgramForm::Text) {
        GxContentTextWriter writer(file);
        ok = writer.WriteHeader("TMOA", 1) && program.WriteProgram(writer);
    } else {
        GxContentBinaryWriter writer(file);
        ok = writer.WriteHeader("BMOA", 1) && program.WriteProgram(writer);
    }
    std::string bytes = ok && std::fflush(file) == 0 ? ReadAll(file) : std::string();
    std::fclose(file);
    if (form == MoaProgramForm::Compressed && !bytes.empty()) {
        bytes = CompressBinaryContent(bytes, "ZMOA");
    }
    return bytes;
}

bool ReadMoaProgram(const std::string& bytes, GxMoa& program, bool verbose)
{
    GxBinBuffer buffer;
    BYTE* data = buffer.Allocate(static_cast<std::uint32_t>(bytes.size()));
    if (!bytes.empty()) {
        if (data == nullptr) {
            return false;
        }
        std::memcpy(data, bytes.data(), bytes.size());
    }
    std::unique_ptr<GxContentReaderBase> reader;
    const char* header = "BMOA";
    switch (buffer.GetFirstByte()) {
    case 'T':
        reader = std::make_unique<GxContentTextReader>(buffer, verbose);
        header = "TMOA";
        break;
    case 'Z':
        reader = std::make_unique<GxContentCompressedBinaryReader>(buffer, verbose);
        header = "ZMOA";
        break;
    case 'B': reader = std::make_unique<GxContentBinaryReader>(buffer, verbose); break;
    default: return false;   // no form of the program starts otherwise
    }
    std::uint32_t version = 0;
    if (!reader->ReadHeader(header, &version)) {
        return false;
    }
    return program.ReadProgram(*reader);
}

bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::error_code ignored;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

MoaAssembler::MoaAssembler()
{
    for (const char16_t* name : kDefaultBuiltins) {
        m_Builtins.emplace_back(name);
    }
}

MoaAssembler& MoaAssembler::AddBuiltin(std::u16string_view name)
{
    m_Builtins.emplace_back(name);
    return *this;
}

MoaAssembler& MoaAssembler::AddScript(std::u16string_view name, std::string_view source)
{
    m_Sources.push_back({WideToLowerAscii(name), std::string(source)});
    return *this;
}

bool MoaAssembler::Build(GxMoa& program)
{
    m_Errors.clear();
    program.Clear();
    std::vector<std::u16string> builtins = m_Builtins;
    for (const Source& source : m_Sources) {
        ScriptBuilder builder(builtins, m_Errors, program, source.name);
        std::size_t start = 0;
        while (start < source.text.size()) {
            std::size_t end = source.text.find('\n', start);
            if (end == std::string::npos) {
                end = source.text.size();
            }
            builder.AddLine(Utf8ToWide(source.text.substr(start, end - start)));
            start = end + 1;
        }
        if (!program.AddScript(builder.Finish())) {
            m_Errors.push_back(WideToUtf8(source.name) + ": script defined twice");
        }
    }
    // Every known builtin has its definition, in the order of the indices.
    for (std::size_t i = 0; i < builtins.size(); ++i) {
        GxMoaBuiltinDefinition definition;
        definition.m_Name = WideToLowerAscii(builtins[i]);
        definition.m_BuiltinIndex = static_cast<std::int32_t>(i);
        program.AddBuiltinDefinition(definition);
    }
    return m_Errors.empty();
}

std::string MoaAssembler::Assemble(MoaProgramForm form)
{
    GxMoa program;
    if (!Build(program)) {
        return std::string();
    }
    return WriteMoaProgram(program, form);
}

bool MoaAssembler::WriteFile(const std::filesystem::path& path, MoaProgramForm form)
{
    const std::string bytes = Assemble(form);
    return !bytes.empty() && WriteFileBytes(path, bytes);
}
