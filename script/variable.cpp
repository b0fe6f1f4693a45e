#include "script/variable.h"

#include "foundation/content.h"
#include "foundation/wide_string.h"
#include "platform/crt/numeric.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace {

// Element growth from a script index or a stored count stops here: a larger array would only
// come from a damaged file or a runaway index, and would exhaust memory.
constexpr std::int32_t kMaxElements = kMoaMaxArrayElements;
// Arrays read from a file nest at most this deep, so a damaged file cannot exhaust the stack.
constexpr int kMaxReadNesting = kMoaMaxArrayNesting;

std::u16string Int64Text(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::int64_t WrapAdd(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t WrapSub(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
std::int64_t WrapMul(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

bool FloatIsZero(double value) { return value >= -kMoaEpsilon && value <= kMoaEpsilon; }

enum class ArithOp { Add, Sub, Mul, Div, Mod };

void Arith(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result, ArithOp op)
{
    if (left.GetType() == MOA_VALUE_FLOAT || right.GetType() == MOA_VALUE_FLOAT) {
        const double a = left.ToFloat();
        const double b = right.ToFloat();
        switch (op) {
        case ArithOp::Add: result.SetFloat(a + b); return;
        case ArithOp::Sub: result.SetFloat(a - b); return;
        case ArithOp::Mul: result.SetFloat(a * b); return;
        case ArithOp::Div:
        case ArithOp::Mod:
            if (FloatIsZero(b)) {
                result.Clear();
                return;
            }
            result.SetFloat(op == ArithOp::Div ? a / b : std::fmod(a, b));
            return;
        }
    }
    const std::int64_t a = left.ToInt64();
    const std::int64_t b = right.ToInt64();
    switch (op) {
    case ArithOp::Add: result.SetInt64(WrapAdd(a, b)); return;
    case ArithOp::Sub: result.SetInt64(WrapSub(a, b)); return;
    case ArithOp::Mul: result.SetInt64(WrapMul(a, b)); return;
    case ArithOp::Div:
    case ArithOp::Mod:
        if (b == 0) {
            result.Clear();
            return;
        }
        // The one quotient that overflows wraps like the other integer operations.
        if (a == std::numeric_limits<std::int64_t>::min() && b == -1) {
            result.SetInt64(op == ArithOp::Div ? a : 0);
            return;
        }
        result.SetInt64(op == ArithOp::Div ? a / b : a % b);
        return;
    }
}

std::int64_t ShiftCount(const GxMoaVariable& right) { return right.ToInt64() & 255; }

template <typename T>
bool Relate(const T& a, const T& b, int relation)
{
    switch (relation) {
    case 0: return a < b;
    case 1: return a <= b;
    case 2: return a > b;
    default: return a >= b;
    }
}

}  // namespace

std::int64_t MoaTruncateToInt64(double value)
{
    // 2^63 is exactly representable; everything below it in magnitude truncates in range.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

std::int32_t MoaTruncateToInt32(double value)
{
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

GxMoaVariable& GxMoaVariable::operator=(const GxMoaVariable& other)
{
    if (this != &other) {
        Assign(other);
    }
    return *this;
}

GxMoaVariable::GxMoaVariable(GxMoaVariable&& other) noexcept
    : m_Type(other.m_Type), m_Bits(other.m_Bits), m_Text(std::move(other.m_Text)),
      m_Elements(std::move(other.m_Elements))
{
    other.m_Type = MOA_VALUE_NULL;
    other.m_Bits = 0;
}

GxMoaVariable& GxMoaVariable::operator=(GxMoaVariable&& other) noexcept
{
    if (this != &other) {
        // The source may live inside this value's own elements: take it before releasing them.
        auto text = std::move(other.m_Text);
        auto elements = std::move(other.m_Elements);
        const std::uint32_t type = other.m_Type;
        const std::int64_t bits = other.m_Bits;
        other.m_Type = MOA_VALUE_NULL;
        other.m_Bits = 0;
        m_Text = std::move(text);
        m_Elements = std::move(elements);
        m_Type = type;
        m_Bits = bits;
    }
    return *this;
}

void GxMoaVariable::Clear()
{
    m_Text.reset();
    m_Elements.reset();
    m_Type = MOA_VALUE_NULL;
    m_Bits = 0;
}

void GxMoaVariable::Assign(const GxMoaVariable& source)
{
    if (this == &source) {
        return;
    }
    // Copy first: the source may be one of this value's own elements.
    std::unique_ptr<std::u16string> text;
    std::unique_ptr<std::vector<GxMoaVariable>> elements;
    if (source.m_Text) {
        text = std::make_unique<std::u16string>(*source.m_Text);
    }
    if (source.m_Elements) {
        elements = std::make_unique<std::vector<GxMoaVariable>>(*source.m_Elements);
    }
    const std::uint32_t type = source.m_Type;
    const std::int64_t bits = source.m_Bits;
    Clear();
    m_Type = type;
    if (type == MOA_VALUE_STR || type == MOA_VALUE_REFVAR) {
        m_Text = std::move(text);
    } else if (type == MOA_VALUE_ARRAY) {
        m_Elements = std::move(elements);
    } else {
        m_Bits = bits;
    }
}

void GxMoaVariable::SetInt64(std::int64_t value)
{
    Clear();
    m_Type = MOA_VALUE_INT;
    m_Bits = value;
}

void GxMoaVariable::SetFloat(double value)
{
    Clear();
    m_Type = MOA_VALUE_FLOAT;
    m_Bits = std::bit_cast<std::int64_t>(value);
}

void GxMoaVariable::SetString(const std::u16string& text)
{
    auto copy = std::make_unique<std::u16string>(text);
    Clear();
    m_Type = MOA_VALUE_STR;
    m_Text = std::move(copy);
}

void GxMoaVariable::SetString(const char16_t* text)
{
    SetString(std::u16string(text != nullptr ? text : u""));
}

void GxMoaVariable::SetRefVar(const std::u16string& name)
{
    SetString(name);
    m_Type = MOA_VALUE_REFVAR;
}

void GxMoaVariable::SetRaw(std::uint32_t type, std::int64_t bits)
{
    Clear();
    if (type == MOA_VALUE_STR || type == MOA_VALUE_REFVAR || type == MOA_VALUE_ARRAY) {
        m_Type = type;   // bare type without owned data, like a copy of one
        return;
    }
    m_Type = type;
    m_Bits = bits;
}

void GxMoaVariable::SetOpcode(std::int32_t opcode)
{
    Clear();
    m_Type = MOA_VALUE_OPCODE;
    m_Bits = opcode;
}

void GxMoaVariable::MakeArray(std::int32_t count)
{
    Clear();
    m_Type = MOA_VALUE_ARRAY;
    m_Elements = std::make_unique<std::vector<GxMoaVariable>>(static_cast<std::size_t>(std::clamp(count, 0, kMaxElements)));
}

std::vector<GxMoaVariable>& GxMoaVariable::Elements()
{
    if (!m_Elements) {
        m_Elements = std::make_unique<std::vector<GxMoaVariable>>();
    }
    return *m_Elements;
}

std::int64_t GxMoaVariable::ToInt64() const
{
    switch (m_Type) {
    case MOA_VALUE_INT: return m_Bits;
    case MOA_VALUE_FLOAT: return MoaTruncateToInt64(std::bit_cast<double>(m_Bits));
    case MOA_VALUE_STR: return m_Text ? msvc::_wtoi64(m_Text->c_str()) : 0;
    case MOA_VALUE_ARRAY: return ArraySize();
    default: return 0;
    }
}

std::int32_t GxMoaVariable::ToInt() const
{
    switch (m_Type) {
    case MOA_VALUE_INT: return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_Bits));
    case MOA_VALUE_FLOAT: return MoaTruncateToInt32(std::bit_cast<double>(m_Bits));
    case MOA_VALUE_STR: return m_Text ? msvc::wcstol(m_Text->c_str(), nullptr, 10) : 0;
    case MOA_VALUE_ARRAY: return ArraySize();
    default: return 0;
    }
}

double GxMoaVariable::ToFloat() const
{
    switch (m_Type) {
    case MOA_VALUE_INT: return static_cast<double>(m_Bits);
    case MOA_VALUE_FLOAT: return std::bit_cast<double>(m_Bits);
    case MOA_VALUE_STR: return m_Text ? msvc::wcstod(m_Text->c_str(), nullptr) : 0.0;
    case MOA_VALUE_ARRAY: return ArraySize();
    default: return 0.0;
    }
}

std::u16string GxMoaVariable::ToString() const
{
    switch (m_Type) {
    case MOA_VALUE_INT: return Int64Text(m_Bits);
    case MOA_VALUE_FLOAT: return FloatToWideString(std::bit_cast<double>(m_Bits));
    case MOA_VALUE_STR:
    case MOA_VALUE_REFVAR: return m_Text ? *m_Text : std::u16string();
    case MOA_VALUE_ARRAY: return Int64Text(ArraySize());
    default: return std::u16string();
    }
}

std::int32_t GxMoaVariable::ArraySize() const
{
    return (m_Type == MOA_VALUE_ARRAY && m_Elements) ? static_cast<std::int32_t>(m_Elements->size()) : 0;
}

std::int32_t GxMoaVariable::TextLength() const
{
    if (m_Type == MOA_VALUE_STR) {
        if (!m_Text) {
            return 0;
        }
        const std::size_t end = m_Text->find(u'\0');
        return static_cast<std::int32_t>(end == std::u16string::npos ? m_Text->size() : end);
    }
    return static_cast<std::int32_t>(ToString().size());
}

std::size_t GxMoaVariable::TextSize() const
{
    if (HasText()) {
        return m_Text ? m_Text->size() : 0;
    }
    return ToString().size();
}

GxMoaValueExtent GxMoaVariable::MeasureExtent() const
{
    GxMoaValueExtent extent;
    AddExtent(1, extent);
    return extent;
}

// `depth` is the nesting level of this array's own elements.
void GxMoaVariable::AddExtent(std::int32_t depth, GxMoaValueExtent& extent) const
{
    if (m_Type != MOA_VALUE_ARRAY || !m_Elements) {
        return;
    }
    extent.m_Depth = std::max(extent.m_Depth, depth);
    extent.m_Elements += static_cast<std::int64_t>(m_Elements->size());
    if (depth > kMoaMaxArrayNesting) {
        return;
    }
    for (const GxMoaVariable& element : *m_Elements) {
        if (extent.m_Elements > kMoaMaxArrayElements) {
            return;
        }
        element.AddExtent(depth + 1, extent);
    }
}

GxMoaVariable* GxMoaVariable::GetElement(std::int32_t index)
{
    if (index == -1) {
        return this;
    }
    if (m_Type != MOA_VALUE_ARRAY || index < 0 || index >= kMaxElements) {
        return nullptr;
    }
    auto& elements = Elements();
    if (static_cast<std::size_t>(index) >= elements.size()) {
        elements.resize(static_cast<std::size_t>(index) + 1);
    }
    return &elements[static_cast<std::size_t>(index)];
}

GxMoaVariable* GxMoaVariable::SetElement(std::int32_t index, const GxMoaVariable& source)
{
    if (index == -1) {
        Assign(source);
        return this;
    }
    if (index < -1 || index >= kMaxElements) {
        return nullptr;
    }
    GxMoaVariable copy(source);
    if (m_Type != MOA_VALUE_ARRAY) {
        MakeArray(index + 1);
    }
    auto& elements = Elements();
    if (static_cast<std::size_t>(index) >= elements.size()) {
        elements.resize(static_cast<std::size_t>(index) + 1);
    }
    elements[static_cast<std::size_t>(index)] = std::move(copy);
    return &elements[static_cast<std::size_t>(index)];
}

void GxMoaVariable::EnsureArgs(std::int32_t count)
{
    count = std::clamp(count, 0, kMaxElements);
    if (m_Type != MOA_VALUE_ARRAY) {
        MakeArray(count);
        return;
    }
    Elements().resize(static_cast<std::size_t>(count));
}

bool GxMoaVariable::IsEqual(const GxMoaVariable& left, const GxMoaVariable& right)
{
    const std::uint32_t lt = left.m_Type;
    const std::uint32_t rt = right.m_Type;
    if (lt == MOA_VALUE_NULL || rt == MOA_VALUE_NULL) {
        const GxMoaVariable& other = lt == MOA_VALUE_NULL ? right : left;
        switch (other.m_Type) {
        case MOA_VALUE_NULL: return true;
        case MOA_VALUE_INT: return other.m_Bits == 0;
        case MOA_VALUE_FLOAT: return other.ToFloat() == 0.0;
        case MOA_VALUE_STR: return other.TextLength() == 0;
        default: return false;
        }
    }
    if (lt == MOA_VALUE_INT && rt == MOA_VALUE_INT) {
        return left.m_Bits == right.m_Bits;
    }
    if (lt == MOA_VALUE_FLOAT && rt == MOA_VALUE_FLOAT) {
        return left.ToFloat() == right.ToFloat();
    }
    if (lt == MOA_VALUE_STR && rt == MOA_VALUE_STR) {
        return left.ToString() == right.ToString();
    }
    if ((lt == MOA_VALUE_INT && rt == MOA_VALUE_FLOAT) || (lt == MOA_VALUE_FLOAT && rt == MOA_VALUE_INT)) {
        const double a = left.ToFloat();
        const double b = right.ToFloat();
        return b - kMoaEpsilon <= a && a <= b + kMoaEpsilon;
    }
    return left.ToString() == right.ToString();
}

bool GxMoaVariable::IsNotEqual(const GxMoaVariable& left, const GxMoaVariable& right)
{
    return !IsEqual(left, right);
}

bool GxMoaVariable::Compare(const GxMoaVariable& left, const GxMoaVariable& right, Relation relation)
{
    const int r = static_cast<int>(relation);
    const std::uint32_t lt = left.m_Type;
    const std::uint32_t rt = right.m_Type;
    // Null stands for zero of the other side's number type, or for the empty text.
    if (lt == MOA_VALUE_NULL || rt == MOA_VALUE_NULL) {
        const GxMoaVariable& other = lt == MOA_VALUE_NULL ? right : left;
        const bool nullLeft = lt == MOA_VALUE_NULL;
        switch (other.m_Type) {
        case MOA_VALUE_NULL: return Relate<std::int64_t>(0, 0, r);
        case MOA_VALUE_INT:
            return nullLeft ? Relate<std::int64_t>(0, other.m_Bits, r) : Relate<std::int64_t>(other.m_Bits, 0, r);
        case MOA_VALUE_FLOAT:
            return nullLeft ? Relate(0.0, other.ToFloat(), r) : Relate(other.ToFloat(), 0.0, r);
        default: {
            const std::u16string text = other.ToString();
            return nullLeft ? Relate<std::u16string>(u"", text, r) : Relate<std::u16string>(text, u"", r);
        }
        }
    }
    if (lt == MOA_VALUE_INT && rt == MOA_VALUE_INT) {
        return Relate(left.m_Bits, right.m_Bits, r);
    }
    const bool lNumber = lt == MOA_VALUE_INT || lt == MOA_VALUE_FLOAT;
    const bool rNumber = rt == MOA_VALUE_INT || rt == MOA_VALUE_FLOAT;
    if (lNumber && rNumber) {
        return Relate(left.ToFloat(), right.ToFloat(), r);
    }
    return Relate(left.ToString(), right.ToString(), r);
}

bool GxMoaVariable::IsLess(const GxMoaVariable& left, const GxMoaVariable& right)
{
    return Compare(left, right, Relation::Less);
}
bool GxMoaVariable::IsLessEqual(const GxMoaVariable& left, const GxMoaVariable& right)
{
    return Compare(left, right, Relation::LessEqual);
}
bool GxMoaVariable::IsGreater(const GxMoaVariable& left, const GxMoaVariable& right)
{
    return Compare(left, right, Relation::Greater);
}
bool GxMoaVariable::IsGreaterEqual(const GxMoaVariable& left, const GxMoaVariable& right)
{
    return Compare(left, right, Relation::GreaterEqual);
}

void GxMoaVariable::Add(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    Arith(l, r, result, ArithOp::Add);
}
void GxMoaVariable::Sub(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    Arith(l, r, result, ArithOp::Sub);
}
void GxMoaVariable::Mul(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    Arith(l, r, result, ArithOp::Mul);
}
void GxMoaVariable::Div(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    Arith(l, r, result, ArithOp::Div);
}
void GxMoaVariable::Mod(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    Arith(l, r, result, ArithOp::Mod);
}
void GxMoaVariable::Concat(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    result.SetString(l.ToString() + r.ToString());
}
void GxMoaVariable::BitAnd(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    result.SetInt64(l.ToInt64() & r.ToInt64());
}
void GxMoaVariable::BitOr(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    result.SetInt64(l.ToInt64() | r.ToInt64());
}
void GxMoaVariable::BitXor(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    result.SetInt64(l.ToInt64() ^ r.ToInt64());
}
void GxMoaVariable::ShiftLeft(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    const std::int64_t count = ShiftCount(r);
    const auto bits = static_cast<std::uint64_t>(l.ToInt64());
    result.SetInt64(count >= 64 ? 0 : static_cast<std::int64_t>(bits << count));
}
void GxMoaVariable::ShiftRight(const GxMoaVariable& l, const GxMoaVariable& r, GxMoaVariable& result)
{
    const std::int64_t count = ShiftCount(r);
    const auto bits = static_cast<std::uint64_t>(l.ToInt64());
    result.SetInt64(count >= 64 ? 0 : static_cast<std::int64_t>(bits >> count));
}

void GxMoaVariable::AddAssign(const GxMoaVariable& right)
{
    GxMoaVariable result;
    Add(*this, right, result);
    *this = std::move(result);
}
void GxMoaVariable::SubAssign(const GxMoaVariable& right)
{
    GxMoaVariable result;
    Sub(*this, right, result);
    *this = std::move(result);
}
void GxMoaVariable::MulAssign(const GxMoaVariable& right)
{
    GxMoaVariable result;
    Mul(*this, right, result);
    *this = std::move(result);
}
void GxMoaVariable::DivAssign(const GxMoaVariable& right)
{
    GxMoaVariable result;
    Div(*this, right, result);
    *this = std::move(result);
}
void GxMoaVariable::ModAssign(const GxMoaVariable& right)
{
    GxMoaVariable result;
    Mod(*this, right, result);
    *this = std::move(result);
}
void GxMoaVariable::ConcatAssign(const GxMoaVariable& right)
{
    GxMoaVariable result;
    Concat(*this, right, result);
    *this = std::move(result);
}

void GxMoaVariable::Negate()
{
    switch (m_Type) {
    case MOA_VALUE_INT: SetInt64(WrapSub(0, m_Bits)); return;
    case MOA_VALUE_FLOAT: SetFloat(-ToFloat()); return;
    case MOA_VALUE_STR: SetInt64(WrapSub(0, ToInt64())); return;
    default: SetInt64(0); return;
    }
}

void GxMoaVariable::BitNot()
{
    switch (m_Type) {
    case MOA_VALUE_INT:
    case MOA_VALUE_FLOAT:
    case MOA_VALUE_STR: SetInt64(~ToInt64()); return;
    default: SetInt64(-1); return;
    }
}

void GxMoaVariable::LogicalNot()
{
    switch (m_Type) {
    case MOA_VALUE_INT:
    case MOA_VALUE_FLOAT:
    case MOA_VALUE_STR: SetInt64(ToInt64() == 0 ? 1 : 0); return;
    default: SetInt64(1); return;
    }
}

std::u16string GxMoaVariable::GetValueTypeName(std::uint32_t type)
{
    switch (type) {
    case MOA_VALUE_INT: return u"Int";
    case MOA_VALUE_FLOAT: return u"Float";
    case MOA_VALUE_STR: return u"Str";
    case MOA_VALUE_ARRAY: return u"Array";
    case MOA_VALUE_REFVAR: return u"RefVar";
    case MOA_VALUE_OPCODE: return u"Opcode";
    case MOA_VALUE_NULL: return u"Null";
    default: return u"Unknown";
    }
}

bool GxMoaVariable::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteU32("m_ValueType", m_Type);
    switch (m_Type) {
    case MOA_VALUE_INT:
    case MOA_VALUE_FLOAT: ok = writer.WriteS64("m_IntOfFloat", m_Bits) && ok; break;
    case MOA_VALUE_STR:
    case MOA_VALUE_REFVAR: ok = writer.WriteWString("m_Str", m_Text ? *m_Text : std::u16string()) && ok; break;
    case MOA_VALUE_ARRAY:
        ok = writer.WriteS32("m_ArraySize", ArraySize()) && ok;
        if (m_Elements) {
            for (const GxMoaVariable& element : *m_Elements) {
                ok = element.Write(writer) && ok;
            }
        }
        break;
    case MOA_VALUE_OPCODE: ok = writer.WriteS64("m_Int", m_Bits) && ok; break;
    default: break;
    }
    return ok && writer.GetErrorCount() == 0;
}

namespace {

bool ReadValue(GxMoaVariable& value, GxContentReaderBase& reader, int depth);

}  // namespace

bool GxMoaVariable::Read(GxContentReaderBase& reader)
{
    return ReadValue(*this, reader, 0);
}

namespace {

bool ReadValue(GxMoaVariable& value, GxContentReaderBase& reader, int depth)
{
    value.Clear();
    std::uint32_t type = MOA_VALUE_NULL;
    reader.ReadU32("m_ValueType", &type);
    switch (type) {
    case MOA_VALUE_INT: value.SetInt64(reader.GetS64("m_IntOfFloat")); break;
    case MOA_VALUE_FLOAT: value.SetFloat(std::bit_cast<double>(reader.GetS64("m_IntOfFloat"))); break;
    case MOA_VALUE_STR: value.SetString(reader.ReadWString("m_Str")); break;
    case MOA_VALUE_REFVAR: value.SetRefVar(reader.ReadWString("m_Str")); break;
    case MOA_VALUE_OPCODE: value.SetRaw(MOA_VALUE_OPCODE, reader.GetS64("m_Int")); break;
    case MOA_VALUE_ARRAY: {
        std::int32_t count = 0;
        const bool counted = reader.ReadS32("m_ArraySize", &count);
        value.MakeArray(0);
        if (!counted) {
            break;
        }
        // Every element needs at least one byte, so a count beyond the bytes left is damage.
        if (count < 0 || static_cast<std::uint64_t>(count) > reader.BytesLeft() || count > kMaxElements) {
            reader.CountDamage("GxMoaVariable/ArraySize out of range %d\n", count);
            break;
        }
        if (depth >= kMaxReadNesting) {
            reader.CountDamage("GxMoaVariable/Array nesting too deep\n");
            break;
        }
        value.EnsureArgs(count);
        for (std::int32_t i = 0; i < count; ++i) {
            if (reader.BytesLeft() == 0) {
                reader.CountDamage("GxMoaVariable/Data ends inside an array\n");
                break;
            }
            ReadValue(value.GetArg(i), reader, depth + 1);
        }
        break;
    }
    case MOA_VALUE_NULL: break;
    default: value.SetRaw(type, 0); break;
    }
    return reader.GetErrorCount() == 0;
}

}  // namespace
