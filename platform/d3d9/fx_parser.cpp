#include "platform/d3d9/fx_parser.h"

#include "platform/d3d9/fx_expression.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

namespace platform::d3dx::fx {

namespace {

constexpr std::uint64_t kMaxElements = 65536;
constexpr std::uint64_t kMaxBytes = 0x7FFFFFFF;
constexpr std::size_t kMaxMembers = 65536;   // struct members counted through nested structs
constexpr int kMaxStructDepth = 32;          // struct definitions inside struct definitions

constexpr int kErrorSyntax = 3000;
constexpr int kErrorRedefinition = 3003;
constexpr int kErrorUnknownType = 3004;
constexpr int kErrorVoid = 3038;
constexpr int kErrorArraySize = 3058;
constexpr int kErrorTooLarge = 3059;

std::string Lower(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

struct TypeInfo {
    D3DXPARAMETER_CLASS parameterClass = D3DXPC_SCALAR;
    D3DXPARAMETER_TYPE type = D3DXPT_FLOAT;
    UINT rows = 1;
    UINT columns = 1;
    UINT elements = 0;   // a typedef of an array
    std::vector<FxParameter> members;
    std::size_t memberCount = 0;   // all members of nested structs included
    bool isVoid = false;
    bool definedStruct = false;   // "struct Name { ... }" was read here

    bool IsNumeric() const
    {
        return parameterClass == D3DXPC_SCALAR || parameterClass == D3DXPC_VECTOR ||
               parameterClass == D3DXPC_MATRIX_ROWS || parameterClass == D3DXPC_MATRIX_COLUMNS;
    }
};

struct Modifiers {
    bool isStatic = false;
    bool isShared = false;
    bool isConst = false;
    bool rowMajor = false;
    bool columnMajor = false;
};

bool NumericBase(const std::string& name, D3DXPARAMETER_TYPE& type)
{
    if (name == "bool") {
        type = D3DXPT_BOOL;
    } else if (name == "int" || name == "uint" || name == "dword" || name == "DWORD") {
        type = D3DXPT_INT;
    } else if (name == "float" || name == "half" || name == "double") {
        type = D3DXPT_FLOAT;
    } else {
        return false;
    }
    return true;
}

// "float", "int3", "half4x3" ...
bool NumericTypeName(const std::string& name, TypeInfo& info)
{
    static const char* const kBases[] = {"bool", "int", "uint", "dword", "DWORD", "float", "half", "double"};
    for (const char* base : kBases) {
        const std::string prefix = base;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        TypeInfo result;
        NumericBase(prefix, result.type);
        const auto dimension = [](char c) { return c >= '1' && c <= '4' ? static_cast<UINT>(c - '0') : 0u; };
        if (rest.empty()) {
            result.parameterClass = D3DXPC_SCALAR;
        } else if (rest.size() == 1 && dimension(rest[0])) {
            result.parameterClass = D3DXPC_VECTOR;
            result.columns = dimension(rest[0]);
        } else if (rest.size() == 3 && dimension(rest[0]) && rest[1] == 'x' && dimension(rest[2])) {
            result.parameterClass = D3DXPC_MATRIX_COLUMNS;
            result.rows = dimension(rest[0]);
            result.columns = dimension(rest[2]);
        } else {
            continue;
        }
        info = result;
        return true;
    }
    return false;
}

bool ObjectTypeName(const std::string& name, TypeInfo& info)
{
    static const std::map<std::string, D3DXPARAMETER_TYPE> kObjects = {
        {"texture", D3DXPT_TEXTURE},         {"texture1d", D3DXPT_TEXTURE1D},   {"texture2d", D3DXPT_TEXTURE2D},
        {"texture3d", D3DXPT_TEXTURE3D},     {"texturecube", D3DXPT_TEXTURECUBE}, {"sampler", D3DXPT_SAMPLER},
        {"sampler1d", D3DXPT_SAMPLER1D},     {"sampler2d", D3DXPT_SAMPLER2D},   {"sampler3d", D3DXPT_SAMPLER3D},
        {"samplercube", D3DXPT_SAMPLERCUBE}, {"string", D3DXPT_STRING},         {"pixelshader", D3DXPT_PIXELSHADER},
        {"vertexshader", D3DXPT_VERTEXSHADER},
    };
    const auto it = kObjects.find(Lower(name));
    if (it == kObjects.end()) return false;
    info = TypeInfo{};
    info.parameterClass = D3DXPC_OBJECT;
    info.type = it->second;
    return true;
}

// A whole number from 1 to kMaxElements.
std::optional<std::uint64_t> ToCount(double value)
{
    if (!(value >= 1.0 && value <= static_cast<double>(kMaxElements)) || value != std::floor(value))
        return std::nullopt;
    return static_cast<std::uint64_t>(value);
}

// Truncated toward zero; none when outside the 64-bit range (or not a number).
std::optional<std::int64_t> ToInteger(const ConstValue& value)
{
    if (!value.isFloat) return value.i;
    if (!(value.f > -9.2e18 && value.f < 9.2e18)) return std::nullopt;
    return static_cast<std::int64_t>(value.f);
}

bool IsModifier(const std::string& word)
{
    static const std::set<std::string> kModifiers = {
        "uniform", "extern", "shared", "static", "const", "volatile", "row_major", "column_major",
        "inline",  "linear", "centroid", "nointerpolation", "noperspective", "precise",
    };
    return kModifiers.count(word) != 0;
}

class Parser {
public:
    Parser(Preprocessor& source, FxLayout& layout) : m_Source(source), m_Layout(layout) {}

    bool Run()
    {
        while (!Failed()) {
            const Token& token = Peek();
            if (token.kind == TokenKind::End) break;
            if (token.IsPunct(";")) {
                Take();
            } else if (token.kind == TokenKind::Identifier && Lower(token.text) == "technique") {
                ParseTechnique();
            } else if (token.IsIdentifier("typedef")) {
                ParseTypedef();
            } else {
                ParseDeclaration();
            }
        }
        return !Failed();
    }

private:
    bool Failed() const { return m_Source.Failed(); }

    const Token& Peek(std::size_t ahead = 0)
    {
        while (m_Ahead.size() <= ahead) m_Ahead.push_back(m_Source.Next());
        return m_Ahead[ahead];
    }

    Token Take()
    {
        Peek();
        Token token = std::move(m_Ahead.front());
        m_Ahead.erase(m_Ahead.begin());
        return token;
    }

    bool Accept(const char* punct)
    {
        if (!Peek().IsPunct(punct)) return false;
        Take();
        return true;
    }

    // ">" also as the first character of ">>", ">=" or ">>=".
    bool AcceptCloseAngle()
    {
        Peek();
        Token& token = m_Ahead.front();
        if (token.kind != TokenKind::Punct || token.text.empty() || token.text[0] != '>') return false;
        if (token.text.size() == 1) {
            Take();
        } else {
            token.text.erase(0, 1);
            ++token.column;
            token.spaceBefore = false;
        }
        return true;
    }

    bool Expect(const char* punct)
    {
        if (Accept(punct)) return true;
        SyntaxError(Peek());
        return false;
    }

    bool SyntaxError(const Token& at)
    {
        if (at.kind == TokenKind::End) {
            m_Source.Fail(at, kErrorSyntax, "syntax error: unexpected end of file");
        } else if (at.kind == TokenKind::String) {
            m_Source.Fail(at, kErrorSyntax, "syntax error: unexpected string \"" + at.text + "\"");
        } else {
            m_Source.Fail(at, kErrorSyntax, "syntax error: unexpected token '" + at.text + "'");
        }
        return false;
    }

    bool Error(const Token& at, int code, const std::string& message)
    {
        m_Source.Fail(at, code, message);
        return false;
    }

    bool TakeIdentifier(Token& name)
    {
        if (Peek().kind != TokenKind::Identifier) return SyntaxError(Peek());
        name = Take();
        return true;
    }

    // From the opening bracket at the front to its match.
    bool SkipBalanced(const char* open, const char* close)
    {
        if (!Expect(open)) return false;
        int depth = 1;
        while (depth > 0) {
            const Token token = Take();
            if (token.kind == TokenKind::End) return SyntaxError(token);
            if (token.IsPunct(open)) ++depth;
            if (token.IsPunct(close)) --depth;
        }
        return true;
    }

    Modifiers ParseModifiers()
    {
        Modifiers modifiers;
        while (Peek().kind == TokenKind::Identifier && IsModifier(Peek().text)) {
            const std::string word = Take().text;
            modifiers.isStatic = modifiers.isStatic || word == "static";
            modifiers.isShared = modifiers.isShared || word == "shared";
            modifiers.isConst = modifiers.isConst || word == "const";
            modifiers.rowMajor = modifiers.rowMajor || word == "row_major";
            modifiers.columnMajor = modifiers.columnMajor || word == "column_major";
        }
        return modifiers;
    }

    // "<" scalar "," n ... ">" after "vector" or "matrix".
    bool ParseTemplateArguments(TypeInfo& info, bool matrix)
    {
        Take();   // "<"
        Token base;
        if (!TakeIdentifier(base)) return false;
        if (!NumericBase(base.text, info.type))
            return Error(base, kErrorUnknownType, "invalid element type '" + base.text + "'");
        UINT sizes[2] = {1, 1};
        for (int i = 0; i < (matrix ? 2 : 1); ++i) {
            if (!Expect(",")) return false;
            const Token size = Take();
            const auto value = size.kind == TokenKind::Number ? ParseNumber(size.text) : std::nullopt;
            if (!value || value->isFloat || value->i < 1 || value->i > 4)
                return Error(size, kErrorArraySize, "dimensions must be literal values from 1 to 4");
            sizes[i] = static_cast<UINT>(value->i);
        }
        if (!AcceptCloseAngle()) return SyntaxError(Peek());
        if (matrix) {
            info.parameterClass = D3DXPC_MATRIX_COLUMNS;
            info.rows = sizes[0];
            info.columns = sizes[1];
        } else {
            info.parameterClass = D3DXPC_VECTOR;
            info.columns = sizes[0];
        }
        return true;
    }

    bool ParseType(TypeInfo& info, bool allowVoid)
    {
        const Token& first = Peek();
        if (first.IsIdentifier("struct")) {
            Take();
            return ParseStruct(info);
        }
        if (first.kind != TokenKind::Identifier) return SyntaxError(first);
        const Token name = Take();
        if (name.text == "void") {
            if (!allowVoid) return Error(name, kErrorVoid, "void is not allowed here");
            info = TypeInfo{};
            info.isVoid = true;
            return true;
        }
        if (name.text == "vector" || name.text == "matrix") {
            const bool matrix = name.text == "matrix";
            info = TypeInfo{};
            info.parameterClass = matrix ? D3DXPC_MATRIX_COLUMNS : D3DXPC_VECTOR;
            info.rows = matrix ? 4 : 1;
            info.columns = 4;
            return Peek().IsPunct("<") ? ParseTemplateArguments(info, matrix) : true;
        }
        if (NumericTypeName(name.text, info) || ObjectTypeName(name.text, info)) return true;
        const auto it = m_Types.find(name.text);
        if (it == m_Types.end()) return Error(name, kErrorUnknownType, "unrecognized identifier '" + name.text + "'");
        info = it->second;
        info.definedStruct = false;
        return true;
    }

    // After "struct": a definition, or the name of a struct defined before.
    bool ParseStruct(TypeInfo& info)
    {
        Token name;
        if (Peek().kind == TokenKind::Identifier) name = Take();
        if (!Peek().IsPunct("{")) {
            if (name.text.empty()) return SyntaxError(Peek());
            const auto it = m_Types.find(name.text);
            if (it == m_Types.end() || it->second.parameterClass != D3DXPC_STRUCT)
                return Error(name, kErrorUnknownType, "unrecognized struct '" + name.text + "'");
            info = it->second;
            info.definedStruct = false;
            return true;
        }
        if (m_StructDepth >= kMaxStructDepth) return Error(Peek(), kErrorTooLarge, "structs nested too deeply");
        Take();   // "{"
        ++m_StructDepth;
        const bool read = ParseStructBody(info);
        --m_StructDepth;
        if (!read) return false;
        info.definedStruct = true;
        if (!name.text.empty()) {
            if (m_Types.count(name.text)) return Error(name, kErrorRedefinition, "redefinition of '" + name.text + "'");
            m_Types[name.text] = info;
        }
        return true;
    }

    // The members, up to and including the closing brace.
    bool ParseStructBody(TypeInfo& info)
    {
        info = TypeInfo{};
        info.parameterClass = D3DXPC_STRUCT;
        info.type = D3DXPT_VOID;
        while (!Accept("}")) {
            const Modifiers modifiers = ParseModifiers();
            TypeInfo memberType;
            if (!ParseType(memberType, false)) return false;
            for (;;) {
                FxParameter member;
                Token memberName;
                if (!TakeIdentifier(memberName)) return false;
                if (!ParseVariableTail(memberType, modifiers, memberName, member, false)) return false;
                info.memberCount += 1 + CountMembers(member);
                if (info.memberCount > kMaxMembers) return Error(memberName, kErrorTooLarge, "struct too large");
                info.members.push_back(std::move(member));
                if (Accept(",")) continue;
                if (!Expect(";")) return false;
                break;
            }
        }
        return true;
    }

    static std::size_t CountMembers(const FxParameter& parameter)
    {
        std::size_t count = 0;
        for (const auto& member : parameter.members) count += 1 + CountMembers(member);
        return count;
    }

    void ParseTypedef()
    {
        Take();   // "typedef"
        ParseModifiers();
        TypeInfo type;
        if (!ParseType(type, false)) return;
        for (;;) {
            Token name;
            if (!TakeIdentifier(name)) return;
            TypeInfo alias = type;
            alias.definedStruct = false;
            if (!ParseArraySizes(alias.elements)) return;
            if (m_Types.count(name.text)) {
                Error(name, kErrorRedefinition, "redefinition of '" + name.text + "'");
                return;
            }
            m_Types[name.text] = alias;
            if (Accept(",")) continue;
            Expect(";");
            return;
        }
    }

    // Any number of "[n]"; several multiply.
    bool ParseArraySizes(UINT& elements)
    {
        while (Peek().IsPunct("[")) {
            const Token open = Take();
            std::vector<Token> expression;
            int depth = 0;
            for (;;) {
                const Token& token = Peek();
                if (token.kind == TokenKind::End) return SyntaxError(token);
                if (token.IsPunct("]") && depth == 0) break;
                if (token.IsPunct("[") || token.IsPunct("(")) ++depth;
                if (token.IsPunct("]") || token.IsPunct(")")) --depth;
                expression.push_back(Take());
            }
            Take();   // "]"
            std::string error;
            const auto value = EvaluateConstant(expression, ConstantResolver(), error);
            const auto size = value ? ToCount(value->AsDouble()) : std::nullopt;
            const std::uint64_t total = size ? (elements ? elements : 1) * *size : 0;
            if (!size || total > kMaxElements)
                return Error(open, kErrorArraySize,
                             "array dimensions must be literal scalar expressions from 1 to 65536");
            elements = static_cast<UINT>(total);
        }
        return true;
    }

    IdentifierResolver ConstantResolver() const
    {
        return [this](const std::string& name) -> std::optional<ConstValue> {
            const auto it = m_Constants.find(name);
            if (it == m_Constants.end()) return std::nullopt;
            return it->second;
        };
    }

    // ": SEMANTIC", ": register(...)", ": packoffset(...)", in any number.
    bool ParseSemantics(std::string& semantic)
    {
        while (Accept(":")) {
            Token name;
            if (!TakeIdentifier(name)) return false;
            if ((name.text == "register" || name.text == "packoffset") && Peek().IsPunct("(")) {
                if (!SkipBalanced("(", ")")) return false;
            } else {
                semantic = name.text;
            }
        }
        return true;
    }

    bool ParseAnnotations(std::vector<FxParameter>& annotations)
    {
        Take();   // "<"
        while (!AcceptCloseAngle()) {
            if (Failed()) return false;
            if (Peek().kind == TokenKind::End) return SyntaxError(Peek());
            ParseModifiers();
            TypeInfo type;
            if (!ParseType(type, false)) return false;
            if (type.parameterClass == D3DXPC_STRUCT)
                return Error(Peek(), kErrorSyntax, "annotations cannot be structs");
            Token name;
            if (!TakeIdentifier(name)) return false;
            FxParameter annotation;
            annotation.name = name.text;
            annotation.flags = D3DX_PARAMETER_ANNOTATION;
            UINT elements = type.elements;
            if (!ParseArraySizes(elements)) return false;
            if (!Expect("=")) return false;
            std::vector<Token> initializer;
            if (!CollectInitializer(initializer, false, true)) return false;
            if (!Expect(";")) return false;
            if (!Describe(annotation, type, elements, name)) return false;
            SetValues(annotation, type, elements, initializer);
            annotations.push_back(std::move(annotation));
        }
        return true;
    }

    // Up to ";" (or "," for declarator lists, or ">" in annotations) outside brackets.
    bool CollectInitializer(std::vector<Token>& tokens, bool stopAtComma, bool stopAtAngle)
    {
        int depth = 0;
        for (;;) {
            const Token& token = Peek();
            if (token.kind == TokenKind::End) return SyntaxError(token);
            if (depth == 0 && (token.IsPunct(";") || (stopAtComma && token.IsPunct(",")) ||
                               (stopAtAngle && token.kind == TokenKind::Punct && token.text[0] == '>')))
                return !tokens.empty() || SyntaxError(token);
            if (token.IsPunct("(") || token.IsPunct("{") || token.IsPunct("[")) ++depth;
            if (token.IsPunct(")") || token.IsPunct("}") || token.IsPunct("]")) {
                if (depth == 0) return SyntaxError(token);
                --depth;
            }
            tokens.push_back(Take());
        }
    }

    bool Describe(FxParameter& parameter, const TypeInfo& type, UINT elements, const Token& at)
    {
        parameter.parameterClass = type.parameterClass;
        parameter.type = type.type;
        parameter.rows = type.rows;
        parameter.columns = type.columns;
        parameter.elements = elements;
        parameter.members = type.members;
        std::uint64_t bytes = 0;
        if (type.parameterClass == D3DXPC_STRUCT) {
            for (const auto& member : parameter.members) bytes += member.bytes;
        } else if (type.parameterClass == D3DXPC_OBJECT) {
            bytes = 4;
        } else {
            bytes = 4ull * type.rows * type.columns;
        }
        bytes *= elements ? elements : 1;
        if (bytes > kMaxBytes) return Error(at, kErrorTooLarge, "'" + parameter.name + "' is too large");
        parameter.bytes = static_cast<UINT>(bytes);
        return true;
    }

    // Literal constant components of the initialiser, brackets and constructors flattened.
    std::vector<std::optional<ConstValue>> Components(const std::vector<Token>& tokens) const
    {
        std::vector<std::vector<Token>> components(1);
        std::vector<bool> parentheses;   // true: a constructor's, dropped
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const Token& token = tokens[i];
            TypeInfo ignored;
            if (token.kind == TokenKind::Identifier && i + 1 < tokens.size() && tokens[i + 1].IsPunct("(") &&
                (NumericTypeName(token.text, ignored) || token.text == "vector" || token.text == "matrix")) {
                parentheses.push_back(true);
                ++i;
            } else if (token.IsPunct("{") || token.IsPunct("}")) {
                continue;
            } else if (token.IsPunct("(")) {
                parentheses.push_back(false);
                components.back().push_back(token);
            } else if (token.IsPunct(")")) {
                const bool constructor = !parentheses.empty() && parentheses.back();
                if (!parentheses.empty()) parentheses.pop_back();
                if (!constructor) components.back().push_back(token);
            } else if (token.IsPunct(",") &&
                       std::find(parentheses.begin(), parentheses.end(), false) == parentheses.end()) {
                components.emplace_back();
            } else {
                components.back().push_back(token);
            }
        }
        std::vector<std::optional<ConstValue>> values;
        for (const auto& component : components) {
            if (component.empty()) continue;
            std::string error;
            values.push_back(EvaluateConstant(component, ConstantResolver(), error));
        }
        return values;
    }

    void SetValues(FxParameter& parameter, const TypeInfo& type, UINT elements, const std::vector<Token>& initializer)
    {
        if (!type.IsNumeric() || elements != 0) return;
        parameter.values.assign(static_cast<std::size_t>(type.rows) * type.columns, 0.0);
        if (initializer.empty()) return;
        const auto components = Components(initializer);
        for (std::size_t i = 0; i < components.size() && i < parameter.values.size(); ++i)
            if (components[i]) parameter.values[i] = components[i]->AsDouble();
    }

    // Array sizes, semantics, annotations and initialiser after a variable's name.
    bool ParseVariableTail(const TypeInfo& type, const Modifiers& modifiers, const Token& name, FxParameter& parameter,
                           bool topLevel)
    {
        if (type.isVoid) return Error(name, kErrorVoid, "'" + name.text + "': variables cannot be void");
        parameter.name = name.text;
        parameter.location = (name.file ? *name.file : std::string("memory")) + "(" + std::to_string(name.line) + "," +
                             std::to_string(name.column) + ")";
        UINT elements = type.elements;
        if (!ParseArraySizes(elements)) return false;
        if (!ParseSemantics(parameter.semantic)) return false;
        if (Peek().IsPunct("<") && !ParseAnnotations(parameter.annotations)) return false;
        std::vector<Token> initializer;
        if (Accept("=") && !CollectInitializer(initializer, true, false)) return false;
        if (!topLevel && !initializer.empty()) return Error(name, kErrorSyntax, "struct members cannot be initialised");
        if (!Describe(parameter, type, elements, name)) return false;
        if (parameter.parameterClass == D3DXPC_MATRIX_COLUMNS && modifiers.rowMajor)
            parameter.parameterClass = D3DXPC_MATRIX_ROWS;
        if (parameter.parameterClass == D3DXPC_MATRIX_ROWS && modifiers.columnMajor)
            parameter.parameterClass = D3DXPC_MATRIX_COLUMNS;
        if (modifiers.isShared) parameter.flags |= D3DX_PARAMETER_SHARED;
        SetValues(parameter, type, elements, initializer);
        if (modifiers.isConst && parameter.parameterClass == D3DXPC_SCALAR && !parameter.values.empty() &&
            !initializer.empty()) {
            const auto components = Components(initializer);
            if (components.size() == 1 && components[0]) {
                const ConstValue value = *components[0];
                if (type.type == D3DXPT_FLOAT) {
                    m_Constants[name.text] = ConstValue::Float(value.AsDouble());
                } else if (const auto integer = ToInteger(value)) {
                    m_Constants[name.text] = ConstValue::Int(*integer);
                }
            }
        }
        return true;
    }

    void ParseDeclaration()
    {
        const Modifiers modifiers = ParseModifiers();
        TypeInfo type;
        if (!ParseType(type, true)) return;
        if (type.definedStruct && Accept(";")) return;
        bool first = true;
        for (;;) {
            Token name;
            if (!TakeIdentifier(name)) return;
            if (Peek().IsPunct("(")) {
                if (!first) {
                    SyntaxError(Peek());
                    return;
                }
                ParseFunction();
                return;
            }
            FxParameter parameter;
            if (!ParseVariableTail(type, modifiers, name, parameter, true)) return;
            if (!m_Names.insert(name.text).second) {
                Error(name, kErrorRedefinition, "redefinition of '" + name.text + "'");
                return;
            }
            // Statics belong to the effect's own code.
            if (!modifiers.isStatic) m_Layout.parameters.push_back(std::move(parameter));
            first = false;
            if (Accept(",")) continue;
            Expect(";");
            return;
        }
    }

    // After the name: the parameter list, a semantic, then a body or ";".
    void ParseFunction()
    {
        if (!SkipBalanced("(", ")")) return;
        std::string semantic;
        if (!ParseSemantics(semantic)) return;
        if (Accept(";")) return;
        if (!Peek().IsPunct("{")) {
            SyntaxError(Peek());
            return;
        }
        if (SkipBalanced("{", "}")) ++m_Layout.functions;
    }

    void ParseTechnique()
    {
        Take();   // "technique"
        FxTechnique technique;
        if (Peek().kind == TokenKind::Identifier) technique.name = Take().text;
        if (Peek().IsPunct("<") && !ParseAnnotations(technique.annotations)) return;
        if (!Expect("{")) return;
        while (!Accept("}")) {
            const Token& token = Peek();
            if (token.kind != TokenKind::Identifier || Lower(token.text) != "pass") {
                SyntaxError(token);
                return;
            }
            Take();
            if (Peek().kind == TokenKind::Identifier) Take();
            std::vector<FxParameter> passAnnotations;
            if (Peek().IsPunct("<") && !ParseAnnotations(passAnnotations)) return;
            if (!SkipBalanced("{", "}")) return;
            ++technique.passes;
        }
        m_Layout.techniques.push_back(std::move(technique));
    }

    Preprocessor& m_Source;
    FxLayout& m_Layout;
    std::vector<Token> m_Ahead;   // a few tokens of lookahead
    std::map<std::string, TypeInfo> m_Types;        // structs and typedefs
    std::map<std::string, ConstValue> m_Constants;  // const scalars with literal values
    std::set<std::string> m_Names;                  // globals declared so far
    int m_StructDepth = 0;
};

}  // namespace

bool ParseEffect(Preprocessor& source, FxLayout& layout)
{
    return Parser(source, layout).Run();
}

}  // namespace platform::d3dx::fx
