// GxMoaVariable: one script value. An Int, Float, Str, Array, RefVar (a stored variable name
// that behaves as text), Opcode or Null; copies are deep and nothing is shared between holders.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GxContentReaderBase;
class GxContentWriterBase;

enum GxMoaValueType : std::uint32_t {
    MOA_VALUE_INT = 7,
    MOA_VALUE_FLOAT = 10,
    MOA_VALUE_STR = 25,
    MOA_VALUE_ARRAY = 39,
    MOA_VALUE_REFVAR = 250,
    MOA_VALUE_OPCODE = 253,
    MOA_VALUE_NULL = 254,
};

// Float/Int equality tolerance and the band of divisors treated as zero: one double epsilon.
constexpr double kMoaEpsilon = 2.220446049250313e-16;
// Arrays hold at most this many elements: a larger index or stored count is a missing element
// or damaged data, never an allocation that exhausts memory. A value a script builds holds no
// more than this, the elements of its nested arrays included.
constexpr std::int32_t kMoaMaxArrayElements = 1 << 20;
// Arrays nest at most this deep, whether a script builds them or a file holds them: copying and
// freeing a value walk its nesting on the machine's stack.
constexpr std::int32_t kMoaMaxArrayNesting = 200;
// The longest text a script may build, in UTF-16 units: a doubling that never ends stops here.
constexpr std::int32_t kMoaMaxTextLength = 1 << 22;

// How much a value holds: the elements of its array and of the arrays nested in it, and how
// deep they nest (0 for a value that is no array).
struct GxMoaValueExtent {
    std::int64_t m_Elements = 0;
    std::int32_t m_Depth = 0;
};

// Float to integer as an x86 truncating conversion gives it: NaN, infinities and values outside
// the target range give the target's minimum instead of undefined behaviour.
std::int64_t MoaTruncateToInt64(double value);
std::int32_t MoaTruncateToInt32(double value);

class GxMoaVariable {
public:
    GxMoaVariable() = default;
    GxMoaVariable(const GxMoaVariable& other) { Assign(other); }
    GxMoaVariable& operator=(const GxMoaVariable& other);
    GxMoaVariable(GxMoaVariable&& other) noexcept;
    GxMoaVariable& operator=(GxMoaVariable&& other) noexcept;
    virtual ~GxMoaVariable() = default;

    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    void Clear();
    void Assign(const GxMoaVariable& source);

    void SetInt64(std::int64_t value);
    void SetFloat(double value);
    void SetString(const std::u16string& text);
    void SetString(const char16_t* text);
    void SetOpcode(std::int32_t opcode);
    void MakeArray(std::int32_t count);
    // Stored variable name; only reading a stored value makes one in the engine.
    void SetRefVar(const std::u16string& name);
    // A type code with a raw payload, for Int, Float bits, Opcode, Null and codes no operation
    // knows (only a stored record holds one).
    void SetRaw(std::uint32_t type, std::int64_t bits);

    std::uint32_t GetType() const { return m_Type; }
    bool IsNull() const { return m_Type == MOA_VALUE_NULL; }
    // The raw payload: the integer, the float's bits or the opcode number.
    std::int64_t GetRawBits() const { return m_Bits; }

    std::int64_t ToInt64() const;
    std::int32_t ToInt() const;
    double ToFloat() const;
    std::u16string ToString() const;
    std::int32_t ArraySize() const;
    std::int32_t TextLength() const;
    // The length of ToString's text, without copying a string's own.
    std::size_t TextSize() const;
    // The walk stops once either figure passes its limit (kMoaMaxArrayElements,
    // kMoaMaxArrayNesting), so it stays short and shallow; past a limit the figures are a floor.
    GxMoaValueExtent MeasureExtent() const;

    // Element access: -1 is the value itself; reading past the end grows the array.
    GxMoaVariable* GetElement(std::int32_t index);
    GxMoaVariable* SetElement(std::int32_t index, const GxMoaVariable& source);
    void EnsureArgs(std::int32_t count);
    // The caller keeps i below ArraySize (EnsureArgs first).
    GxMoaVariable& GetArg(std::int32_t index) { return (*m_Elements)[static_cast<std::size_t>(index)]; }
    const GxMoaVariable& GetArg(std::int32_t index) const { return (*m_Elements)[static_cast<std::size_t>(index)]; }

    static bool IsEqual(const GxMoaVariable& left, const GxMoaVariable& right);
    static bool IsNotEqual(const GxMoaVariable& left, const GxMoaVariable& right);
    static bool IsLess(const GxMoaVariable& left, const GxMoaVariable& right);
    static bool IsLessEqual(const GxMoaVariable& left, const GxMoaVariable& right);
    static bool IsGreater(const GxMoaVariable& left, const GxMoaVariable& right);
    static bool IsGreaterEqual(const GxMoaVariable& left, const GxMoaVariable& right);

    static void Add(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void Sub(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void Mul(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void Div(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void Mod(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void Concat(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void BitAnd(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void BitOr(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void BitXor(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void ShiftLeft(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);
    static void ShiftRight(const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& result);

    void AddAssign(const GxMoaVariable& right);
    void SubAssign(const GxMoaVariable& right);
    void MulAssign(const GxMoaVariable& right);
    void DivAssign(const GxMoaVariable& right);
    void ModAssign(const GxMoaVariable& right);
    void ConcatAssign(const GxMoaVariable& right);

    void Negate();
    void BitNot();
    void LogicalNot();

    // "Int", "Float", "Str", "Array", "RefVar", "Opcode", "Null"; "Unknown" for any other code.
    static std::u16string GetValueTypeName(std::uint32_t type);

private:
    enum class Relation { Less, LessEqual, Greater, GreaterEqual };
    static bool Compare(const GxMoaVariable& left, const GxMoaVariable& right, Relation relation);
    bool HasText() const { return m_Type == MOA_VALUE_STR || m_Type == MOA_VALUE_REFVAR; }
    void AddExtent(std::int32_t depth, GxMoaValueExtent& extent) const;
    std::vector<GxMoaVariable>& Elements();

    std::uint32_t m_Type = MOA_VALUE_NULL;
    std::int64_t m_Bits = 0;                                  // Int, Float bits, Opcode
    std::unique_ptr<std::u16string> m_Text;                   // Str, RefVar
    std::unique_ptr<std::vector<GxMoaVariable>> m_Elements;   // Array
};
