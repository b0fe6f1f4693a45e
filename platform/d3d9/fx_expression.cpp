#include "platform/d3d9/fx_expression.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace platform::d3dx::fx {

std::optional<ConstValue> ParseNumber(const std::string& text)
{
    if (text.empty()) return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string body = text;
    bool floatSuffix = false;
    if (hex) {
        while (!body.empty() && (body.back() == 'u' || body.back() == 'U' || body.back() == 'l' || body.back() == 'L'))
            body.pop_back();
        std::uint64_t value = 0;
        const char* first = body.data() + 2;
        const char* last = body.data() + body.size();
        auto [end, ec] = std::from_chars(first, last, value, 16);
        if (ec != std::errc() || end != last) return std::nullopt;
        return ConstValue::Int(static_cast<std::int64_t>(value));
    }
    while (!body.empty()) {
        const char c = body.back();
        if (c == 'f' || c == 'F' || c == 'h' || c == 'H') {
            floatSuffix = true;
            body.pop_back();
        } else if (c == 'u' || c == 'U' || c == 'l' || c == 'L') {
            body.pop_back();
        } else {
            break;
        }
    }
    if (body.empty()) return std::nullopt;
    const bool isFloat = floatSuffix || body.find_first_of(".eE") != std::string::npos;
    const char* first = body.data();
    const char* last = body.data() + body.size();
    if (isFloat) {
        // "1." is a float literal that from_chars also reads; a leading "." needs a zero.
        std::string padded = body.front() == '.' ? "0" + body : body;
        double value = 0.0;
        auto [end, ec] = std::from_chars(padded.data(), padded.data() + padded.size(), value);
        if (ec != std::errc() || end != padded.data() + padded.size()) return std::nullopt;
        return ConstValue::Float(value);
    }
    const int base = body.size() > 1 && body[0] == '0' ? 8 : 10;
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(first, last, value, base);
    if (ec != std::errc() || end != last) return std::nullopt;
    return ConstValue::Int(static_cast<std::int64_t>(value));
}

namespace {

class Evaluator {
public:
    Evaluator(const std::vector<Token>& tokens, const IdentifierResolver& resolve, std::string& error)
        : m_Tokens(tokens), m_Resolve(resolve), m_Error(error)
    {
    }

    std::optional<ConstValue> Run()
    {
        if (m_Tokens.empty()) return Fail("empty expression");
        auto value = Conditional();
        if (value && m_Pos != m_Tokens.size()) return Fail("unexpected token '" + m_Tokens[m_Pos].text + "'");
        return value;
    }

private:
    using Result = std::optional<ConstValue>;

    [[gnu::noinline]] std::nullopt_t Fail(const std::string& message)
    {
        if (m_Error.empty()) m_Error = message;
        return std::nullopt;
    }

    [[gnu::noinline]] std::nullopt_t Fail(const char* message) { return Fail(std::string(message)); }

    bool Accept(const char* punct)
    {
        if (m_Pos < m_Tokens.size() && m_Tokens[m_Pos].IsPunct(punct)) {
            ++m_Pos;
            return true;
        }
        return false;
    }

    // Every nesting (a parenthesis, a prefix operator, a branch of ?:, an operand of a stronger
    // operator) costs at most a few frames; the guard keeps the deepest accepted expression
    // within a small thread stack.
    bool Enter()
    {
        if (++m_Depth > kMaxDepth) {
            Fail("expression nested too deeply");
            return false;
        }
        return true;
    }

    Result Conditional()
    {
        auto condition = Binary(1);
        if (!condition || !Accept("?")) return condition;
        if (!Enter()) return std::nullopt;
        auto whenTrue = Conditional();
        if (!whenTrue) return std::nullopt;
        if (!Accept(":")) return Fail("':' expected");
        auto whenFalse = Conditional();
        if (!whenFalse) return std::nullopt;
        --m_Depth;
        return condition->IsTrue() ? whenTrue : whenFalse;
    }

    // The binding strength of a binary operator, from || (1) to * / % (10); 0 for anything else.
    static int Precedence(const Token& token)
    {
        if (token.kind != TokenKind::Punct) return 0;
        static const char* const kLevels[][4] = {
            {"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="}, {"<", ">", "<=", ">="}, {"<<", ">>"}, {"+", "-"},
            {"*", "/", "%"},
        };
        for (int level = 0; level < 10; ++level)
            for (const char* op : kLevels[level])
                if (op && token.text == op) return level + 1;
        return 0;
    }

    // Precedence climbing: one frame per operator of rising strength, none per level skipped.
    // Both sides of && and || are always evaluated: a constant expression has no side effects,
    // and an error anywhere should be reported.
    Result Binary(int minimum)
    {
        auto left = Unary();
        while (left && m_Pos < m_Tokens.size()) {
            const int precedence = Precedence(m_Tokens[m_Pos]);
            if (precedence == 0 || precedence < minimum) break;
            const std::string& op = m_Tokens[m_Pos++].text;
            if (!Enter()) return std::nullopt;
            auto right = Binary(precedence + 1);
            if (!right) return std::nullopt;
            --m_Depth;
            if (op == "||")
                left = ConstValue::Int(left->IsTrue() || right->IsTrue());
            else if (op == "&&")
                left = ConstValue::Int(left->IsTrue() && right->IsTrue());
            else
                left = Apply(op, *left, *right);
        }
        return left;
    }

    [[gnu::noinline]] Result Apply(const std::string& op, const ConstValue& a, const ConstValue& b)
    {
        if (a.isFloat || b.isFloat) {
            const double x = a.AsDouble();
            const double y = b.AsDouble();
            if (op == "+") return ConstValue::Float(x + y);
            if (op == "-") return ConstValue::Float(x - y);
            if (op == "*") return ConstValue::Float(x * y);
            if (op == "/") return ConstValue::Float(x / y);
            if (op == "==") return ConstValue::Int(x == y);
            if (op == "!=") return ConstValue::Int(x != y);
            if (op == "<") return ConstValue::Int(x < y);
            if (op == ">") return ConstValue::Int(x > y);
            if (op == "<=") return ConstValue::Int(x <= y);
            if (op == ">=") return ConstValue::Int(x >= y);
            return Fail("operator '" + op + "' needs integer operands");
        }
        // Wrapping arithmetic through unsigned values: no overflow is undefined here.
        const std::int64_t x = a.i;
        const std::int64_t y = b.i;
        const auto ux = static_cast<std::uint64_t>(x);
        const auto uy = static_cast<std::uint64_t>(y);
        if (op == "+") return ConstValue::Int(static_cast<std::int64_t>(ux + uy));
        if (op == "-") return ConstValue::Int(static_cast<std::int64_t>(ux - uy));
        if (op == "*") return ConstValue::Int(static_cast<std::int64_t>(ux * uy));
        if (op == "/" || op == "%") {
            if (y == 0) return Fail("division by zero");
            if (x == std::numeric_limits<std::int64_t>::min() && y == -1)
                return ConstValue::Int(op == "/" ? x : 0);
            return ConstValue::Int(op == "/" ? x / y : x % y);
        }
        if (op == "<<" || op == ">>") {
            if (y < 0 || y > 63) return Fail("shift count out of range");
            return ConstValue::Int(op == "<<" ? static_cast<std::int64_t>(ux << y) : x >> y);
        }
        if (op == "&") return ConstValue::Int(x & y);
        if (op == "|") return ConstValue::Int(x | y);
        if (op == "^") return ConstValue::Int(x ^ y);
        if (op == "==") return ConstValue::Int(x == y);
        if (op == "!=") return ConstValue::Int(x != y);
        if (op == "<") return ConstValue::Int(x < y);
        if (op == ">") return ConstValue::Int(x > y);
        if (op == "<=") return ConstValue::Int(x <= y);
        return ConstValue::Int(x >= y);
    }

    // Prefix operators are applied in a loop, innermost first: a run of them costs no frames.
    Result Unary()
    {
        const std::size_t first = m_Pos;
        while (m_Pos < m_Tokens.size() && IsPrefix(m_Tokens[m_Pos])) {
            if (!Enter()) return std::nullopt;
            ++m_Pos;
        }
        const std::size_t operand = m_Pos;
        Result result = Primary();
        for (std::size_t i = operand; result && i-- > first;) {
            --m_Depth;
            const std::string& op = m_Tokens[i].text;
            if (op == "-") {
                result = result->isFloat
                             ? ConstValue::Float(-result->f)
                             : ConstValue::Int(static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(result->i)));
            } else if (op == "!") {
                result = ConstValue::Int(!result->IsTrue());
            } else if (op == "~") {
                if (result->isFloat) return Fail("operator '~' needs an integer operand");
                result = ConstValue::Int(~result->i);
            }
        }
        return result;
    }

    static bool IsPrefix(const Token& token)
    {
        return token.IsPunct("+") || token.IsPunct("-") || token.IsPunct("!") || token.IsPunct("~");
    }

    // Recursion passes through here for every parenthesis: the frame holds no strings.
    Result Primary()
    {
        if (m_Pos >= m_Tokens.size()) return Fail("unexpected end of expression");
        if (!m_Tokens[m_Pos].IsPunct("(")) return Leaf(m_Tokens[m_Pos++]);
        ++m_Pos;
        if (!Enter()) return std::nullopt;
        auto value = Conditional();
        if (!value) return std::nullopt;
        if (!Accept(")")) return Fail("')' expected");
        --m_Depth;
        return value;
    }

    [[gnu::noinline]] Result Leaf(const Token& token)
    {
        if (token.kind == TokenKind::Number) {
            auto value = ParseNumber(token.text);
            if (!value) return Fail("invalid number '" + token.text + "'");
            return value;
        }
        if (token.kind == TokenKind::Identifier) {
            if (token.text == "true") return ConstValue::Int(1);
            if (token.text == "false") return ConstValue::Int(0);
            auto value = m_Resolve ? m_Resolve(token.text) : std::nullopt;
            if (!value) return Fail("'" + token.text + "' is not a constant");
            return value;
        }
        return Fail("unexpected token '" + token.text + "'");
    }

    static constexpr int kMaxDepth = 256;

    const std::vector<Token>& m_Tokens;
    const IdentifierResolver& m_Resolve;
    std::string& m_Error;
    std::size_t m_Pos = 0;
    int m_Depth = 0;
};

}  // namespace

std::optional<ConstValue> EvaluateConstant(const std::vector<Token>& tokens, const IdentifierResolver& resolve,
                                           std::string& error)
{
    return Evaluator(tokens, resolve, error).Run();
}

}  // namespace platform::d3dx::fx
