// [Moa values] conversions, operators, element access and the value record.
#include "script/variable.h"

#include "script_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

using namespace script_test;

namespace {

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();

using Binary = void (*)(const GxMoaVariable&, const GxMoaVariable&, GxMoaVariable&);

// Same type and same payload (Float by bits, texts by content, arrays element by element).
void ExpectSame(const GxMoaVariable& actual, const GxMoaVariable& expected, const std::string& context)
{
    ASSERT_EQ(actual.GetType(), expected.GetType()) << context;
    switch (expected.GetType()) {
    case MOA_VALUE_STR:
    case MOA_VALUE_REFVAR: EXPECT_EQ(U8(actual.ToString()), U8(expected.ToString())) << context; break;
    case MOA_VALUE_ARRAY:
        ASSERT_EQ(actual.ArraySize(), expected.ArraySize()) << context;
        for (std::int32_t i = 0; i < expected.ArraySize(); ++i) {
            ExpectSame(actual.GetArg(i), expected.GetArg(i), context + "[" + std::to_string(i) + "]");
        }
        break;
    default: EXPECT_EQ(actual.GetRawBits(), expected.GetRawBits()) << context; break;
    }
}

}  // namespace

TEST(MoaVariable, BinaryOperatorsFollowTheTypeRules)
{
    struct Case {
        const char* what;
        Binary op;
        GxMoaVariable left, right, expected;
    };
    const Case cases[] = {
        {"'10' + 5", &GxMoaVariable::Add, Str(u"10"), Int(5), Int(15)},
        {"'1.5' + 1 stays integer", &GxMoaVariable::Add, Str(u"1.5"), Int(1), Int(2)},
        {"'10' : 5", &GxMoaVariable::Concat, Str(u"10"), Int(5), Str(u"105")},
        {"2.5 : 'x'", &GxMoaVariable::Concat, Flt(2.5), Str(u"x"), Str(u"2.500000x")},
        {"7 / 2", &GxMoaVariable::Div, Int(7), Int(2), Int(3)},
        {"-7 / 2", &GxMoaVariable::Div, Int(-7), Int(2), Int(-3)},
        {"-7 % 2", &GxMoaVariable::Mod, Int(-7), Int(2), Int(-1)},
        {"7.0 / 2", &GxMoaVariable::Div, Flt(7.0), Int(2), Flt(3.5)},
        {"7.5 % 2", &GxMoaVariable::Mod, Flt(7.5), Int(2), Flt(1.5)},
        {"5 / 0", &GxMoaVariable::Div, Int(5), Int(0), Null()},
        {"5 % 0", &GxMoaVariable::Mod, Int(5), Int(0), Null()},
        {"5.0 / 0.0", &GxMoaVariable::Div, Flt(5.0), Flt(0.0), Null()},
        {"1 / 1e-300", &GxMoaVariable::Div, Int(1), Flt(1e-300), Null()},
        {"max + 1 wraps", &GxMoaVariable::Add, Int(kMax64), Int(1), Int(kMin64)},
        {"min - 1 wraps", &GxMoaVariable::Sub, Int(kMin64), Int(1), Int(kMax64)},
        {"min / -1 wraps", &GxMoaVariable::Div, Int(kMin64), Int(-1), Int(kMin64)},
        {"min % -1", &GxMoaVariable::Mod, Int(kMin64), Int(-1), Int(0)},
        {"array of 3 * 2", &GxMoaVariable::Mul, Arr({Null(), Null(), Null()}), Int(2), Int(6)},
        {"Null + Null", &GxMoaVariable::Add, Null(), Null(), Int(0)},
        {"1 << 64", &GxMoaVariable::ShiftLeft, Int(1), Int(64), Int(0)},
        {"1 << 256", &GxMoaVariable::ShiftLeft, Int(1), Int(256), Int(1)},
        {"1 << 63", &GxMoaVariable::ShiftLeft, Int(1), Int(63), Int(kMin64)},
        {"-1 >> 1 is logical", &GxMoaVariable::ShiftRight, Int(-1), Int(1), Int(kMax64)},
        {"8 >> 259", &GxMoaVariable::ShiftRight, Int(8), Int(259), Int(1)},
        {"6 & 3", &GxMoaVariable::BitAnd, Int(6), Int(3), Int(2)},
        {"6 | 3.9", &GxMoaVariable::BitOr, Int(6), Flt(3.9), Int(7)},
        {"'6' ^ 3", &GxMoaVariable::BitXor, Str(u"6"), Int(3), Int(5)},
    };
    for (const Case& c : cases) {
        GxMoaVariable result = Str(u"old");
        c.op(c.left, c.right, result);
        ExpectSame(result, c.expected, c.what);
    }
}

TEST(MoaVariable, InPlaceFormsReplaceTheLeftOperand)
{
    GxMoaVariable v = Int(7);
    v.DivAssign(Flt(2.0));
    ExpectSame(v, Flt(3.5), "7 /= 2.0");
    v.ModAssign(Int(0));
    ExpectSame(v, Null(), "%= 0");
    v = Str(u"a");
    v.ConcatAssign(Int(1));
    ExpectSame(v, Str(u"a1"), ":=");
    v.AddAssign(Int(1));
    ExpectSame(v, Int(1), "'a1' += 1");
    v.SubAssign(Int(3));
    v.MulAssign(Int(4));
    ExpectSame(v, Int(-8), "-=, *=");
}

TEST(MoaVariable, EqualityAndOrdering)
{
    struct Case {
        const char* what;
        GxMoaVariable left, right;
        bool equal, less;
    };
    const Case cases[] = {
        {"Null == 0", Null(), Int(0), true, false},
        {"Null == 0.0", Null(), Flt(0.0), true, false},
        {"Null == ''", Null(), Str(u""), true, false},
        {"Null == Null", Null(), Null(), true, false},
        {"Null != empty array; by text \"\" < \"0\"", Null(), Arr({}), false, true},
        {"Null < 1", Null(), Int(1), false, true},
        {"Null < 0.5", Null(), Flt(0.5), false, true},
        {"-1 < Null", Int(-1), Null(), false, true},
        {"'' not < Null", Str(u""), Null(), true, false},
        {"'a' not < Null", Str(u"a"), Null(), false, false},
        {"1 == 1.0000000000000002, and less", Int(1), Flt(1.0000000000000002), true, true},
        {"1 != 1.0000000000000004", Int(1), Flt(1.0000000000000004), false, true},
        {"'abc' < 'abd'", Str(u"abc"), Str(u"abd"), false, true},
        {"'ab' < 'abc'", Str(u"ab"), Str(u"abc"), false, true},
        {"'B' < 'a'", Str(u"B"), Str(u"a"), false, true},
        {"'1' == 1", Str(u"1"), Int(1), true, false},
        {"'1.5' != 1.5", Str(u"1.5"), Flt(1.5), false, true},
        {"'10' < 9 by text", Str(u"10"), Int(9), false, true},
        {"arrays of equal size", Arr({Int(1)}), Arr({Int(2)}), true, false},
        {"max64 < min64 is false", Int(kMax64), Int(kMin64), false, false},
        {"code units above 0x7FFF", Str(u"\u3042"), Str(u"\uFF21"), false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GxMoaVariable::IsEqual(c.left, c.right), c.equal) << c.what;
        EXPECT_EQ(GxMoaVariable::IsNotEqual(c.left, c.right), !c.equal) << c.what;
        EXPECT_EQ(GxMoaVariable::IsLess(c.left, c.right), c.less) << c.what;
        EXPECT_EQ(GxMoaVariable::IsGreaterEqual(c.left, c.right), !c.less) << c.what;
    }
    // The other relations against Null and the empty text.
    EXPECT_TRUE(GxMoaVariable::IsLessEqual(Str(u""), Null()));
    EXPECT_TRUE(GxMoaVariable::IsGreater(Str(u"a"), Null()));
    EXPECT_TRUE(GxMoaVariable::IsGreaterEqual(Str(u""), Null()));
    EXPECT_TRUE(GxMoaVariable::IsLessEqual(Null(), Null()));
    EXPECT_FALSE(GxMoaVariable::IsGreater(Null(), Int(0)));
    EXPECT_TRUE(GxMoaVariable::IsGreater(Flt(0.1), Null()));
}

TEST(MoaVariable, Conversions)
{
    EXPECT_EQ(Str(u"12abc").ToInt64(), 12);
    EXPECT_EQ(Str(u"abc").ToInt64(), 0);
    EXPECT_EQ(Str(u"  -42").ToInt(), -42);
    EXPECT_EQ(Str(u"1.5").ToInt64(), 1);
    EXPECT_EQ(Str(u"1.5").ToFloat(), 1.5);
    EXPECT_EQ(Str(u"2e3x").ToFloat(), 2000.0);
    EXPECT_EQ(Str(u"4294967295").ToInt(), 2147483647);
    EXPECT_EQ(Str(u"99999999999999999999").ToInt64(), kMax64);
    EXPECT_EQ(Str(u"-99999999999999999999").ToInt64(), kMin64);
    EXPECT_EQ(Int(0x1'0000'0005).ToInt(), 5);
    EXPECT_EQ(Int(-3).ToString(), u"-3");
    EXPECT_EQ(Flt(1.5).ToString(), u"1.500000");
    EXPECT_EQ(Flt(-2.5).ToInt64(), -2);
    EXPECT_EQ(Arr({Null(), Null(), Null()}).ToString(), u"3");
    EXPECT_EQ(Arr({Null(), Null(), Null()}).ToFloat(), 3.0);
    EXPECT_EQ(Null().ToString(), u"");
    GxMoaVariable opcode;
    opcode.SetOpcode(21);
    EXPECT_EQ(opcode.ToInt64(), 0);
    EXPECT_EQ(opcode.ToString(), u"");
    GxMoaVariable ref;
    ref.SetRefVar(u"name");
    EXPECT_EQ(ref.ToString(), u"name");
    EXPECT_EQ(ref.ToInt64(), 0);
    EXPECT_EQ(ref.TextLength(), 4);
    EXPECT_EQ(Int(-120).TextLength(), 4);

    // The whole "%f" text, however long.
    const std::u16string big = Flt(1e100).ToString();
    EXPECT_EQ(big.size(), 101u + 7u);
    EXPECT_EQ(big.substr(0, 5), u"10000");
    EXPECT_EQ(big.substr(big.size() - 7), u".000000");
}

TEST(MoaVariable, FloatToIntegerOutsideTheRangeGivesTheMinimum)
{
    const double cases[] = {std::nan(""), INFINITY, -INFINITY, 1e19, -1e19, 9223372036854775808.0};
    for (double value : cases) {
        EXPECT_EQ(Flt(value).ToInt64(), kMin64) << value;
        EXPECT_EQ(Flt(value).ToInt(), std::numeric_limits<std::int32_t>::min()) << value;
    }
    EXPECT_EQ(Flt(-9223372036854775808.0).ToInt64(), kMin64);
    EXPECT_EQ(Flt(9223372036854774784.0).ToInt64(), 9223372036854774784);
    EXPECT_EQ(Flt(3e9).ToInt(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Flt(-2147483648.9).ToInt(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Flt(2147483647.9).ToInt(), 2147483647);
    EXPECT_EQ(Flt(1e19).ToInt64() + 0, kMin64);   // and arithmetic goes on from there
}

TEST(MoaVariable, UnaryOperators)
{
    struct Case {
        const char* what;
        void (GxMoaVariable::*op)();
        GxMoaVariable value, expected;
    };
    GxMoaVariable opcode;
    opcode.SetOpcode(3);
    const Case cases[] = {
        {"-Int", &GxMoaVariable::Negate, Int(5), Int(-5)},
        {"-min wraps", &GxMoaVariable::Negate, Int(kMin64), Int(kMin64)},
        {"-Float", &GxMoaVariable::Negate, Flt(1.5), Flt(-1.5)},
        {"-Str", &GxMoaVariable::Negate, Str(u"7"), Int(-7)},
        {"-Null", &GxMoaVariable::Negate, Null(), Int(0)},
        {"-Array", &GxMoaVariable::Negate, Arr({Int(1)}), Int(0)},
        {"~Int", &GxMoaVariable::BitNot, Int(0), Int(-1)},
        {"~Float", &GxMoaVariable::BitNot, Flt(2.7), Int(-3)},
        {"~Str", &GxMoaVariable::BitNot, Str(u"1"), Int(-2)},
        {"~Null", &GxMoaVariable::BitNot, Null(), Int(-1)},
        {"!0", &GxMoaVariable::LogicalNot, Int(0), Int(1)},
        {"!2", &GxMoaVariable::LogicalNot, Int(2), Int(0)},
        {"!0.5", &GxMoaVariable::LogicalNot, Flt(0.5), Int(1)},
        {"!'abc'", &GxMoaVariable::LogicalNot, Str(u"abc"), Int(1)},
        {"!'5'", &GxMoaVariable::LogicalNot, Str(u"5"), Int(0)},
        {"!Null", &GxMoaVariable::LogicalNot, Null(), Int(1)},
        {"!Array", &GxMoaVariable::LogicalNot, Arr({Int(1)}), Int(1)},
        {"!Opcode", &GxMoaVariable::LogicalNot, opcode, Int(1)},
    };
    for (const Case& c : cases) {
        GxMoaVariable v = c.value;
        (v.*c.op)();
        ExpectSame(v, c.expected, c.what);
    }
}

TEST(MoaVariable, ElementAccess)
{
    GxMoaVariable array = Arr({Int(1), Int(2)});
    ASSERT_NE(array.GetElement(5), nullptr);
    EXPECT_EQ(array.ArraySize(), 6);
    EXPECT_TRUE(array.GetArg(5).IsNull());
    EXPECT_EQ(array.GetElement(-1), &array);
    EXPECT_EQ(array.GetElement(-2), nullptr);
    EXPECT_EQ(Int(1).GetElement(0), nullptr);

    GxMoaVariable scalar = Int(9);
    ASSERT_NE(scalar.SetElement(3, Str(u"x")), nullptr);
    ASSERT_EQ(scalar.GetType(), MOA_VALUE_ARRAY);
    EXPECT_EQ(scalar.ArraySize(), 4);
    EXPECT_TRUE(scalar.GetArg(0).IsNull());
    EXPECT_EQ(scalar.GetArg(3).ToString(), u"x");
    EXPECT_EQ(scalar.SetElement(-2, Int(1)), nullptr);
    EXPECT_EQ(scalar.ArraySize(), 4);
    scalar.SetElement(-1, Int(4));
    ExpectSame(scalar, Int(4), "index -1 assigns the whole value");

    // A value copied into its own array, growing it on the way, is a copy of what it was.
    GxMoaVariable self = Arr({Str(u"a")});
    self.SetElement(10, self.GetArg(0));
    EXPECT_EQ(self.GetArg(10).ToString(), u"a");
    self.SetElement(0, self);
    EXPECT_EQ(self.GetArg(0).ArraySize(), 11);

    GxMoaVariable args = Arr({Int(1), Int(2), Int(3), Int(4)});
    args.EnsureArgs(2);
    EXPECT_EQ(args.ArraySize(), 2);
    args.EnsureArgs(3);
    EXPECT_TRUE(args.GetArg(2).IsNull());
    GxMoaVariable text = Str(u"t");
    text.EnsureArgs(2);
    EXPECT_EQ(text.ArraySize(), 2);

    // Indices that would exhaust memory are missing elements.
    EXPECT_EQ(args.GetElement(std::numeric_limits<std::int32_t>::max()), nullptr);
    EXPECT_EQ(args.SetElement(std::numeric_limits<std::int32_t>::max(), Int(1)), nullptr);
}

TEST(MoaVariable, CopiesAreDeep)
{
    GxMoaVariable original = Arr({Str(u"a"), Arr({Int(1)})});
    GxMoaVariable copy = original;
    copy.GetElement(1)->SetElement(0, Int(2));
    copy.GetElement(0)->SetString(u"b");
    EXPECT_EQ(original.GetArg(0).ToString(), u"a");
    EXPECT_EQ(original.GetArg(1).GetArg(0).ToInt64(), 1);
    // Assigning an element of a value to the value itself.
    original = original.GetArg(1);
    EXPECT_EQ(original.ArraySize(), 1);
}

TEST(MoaVariable, RecordRoundTripsInBothForms)
{
    GxMoaVariable opcode;
    opcode.SetOpcode(-7);
    GxMoaVariable ref;
    ref.SetRefVar(u"target");
    GxMoaVariable unknown;
    unknown.SetRaw(99, 0);
    const GxMoaVariable values[] = {
        Int(kMin64), Flt(0.1), Flt(-0.0), Flt(std::nan("")), Flt(1e300), Str(u"日本語 \"quoted\"\ttab"),
        Str(u""), Arr({}), Arr({Int(1), Arr({Flt(2.5), Arr({Str(u"deep")})}), Null()}), ref, opcode, Null(),
        unknown,
    };
    for (Form form : {Form::Text, Form::Binary}) {
        const std::string bytes = WriteRecord(form, [&](GxContentWriterBase& w) {
            for (const GxMoaVariable& v : values) {
                ASSERT_TRUE(v.Write(w));
            }
        });
        BytesReader reader(bytes);
        ASSERT_TRUE(reader.HeaderRead());
        for (const GxMoaVariable& expected : values) {
            GxMoaVariable read = Str(u"stale");
            EXPECT_TRUE(read.Read(*reader));
            ExpectSame(read, expected, form == Form::Text ? "text" : "binary");
        }
        EXPECT_EQ(reader->GetErrorCount(), 0);
    }
}

TEST(MoaVariable, DamagedArrayCountsAreReadErrors)
{
    // A negative count, and one far beyond what the data holds: an empty array, one error.
    for (std::int32_t count : {-1, 2000000000}) {
        for (Form form : {Form::Text, Form::Binary}) {
            const std::string bytes = WriteRecord(form, [&](GxContentWriterBase& w) {
                w.WriteU32("m_ValueType", MOA_VALUE_ARRAY);
                w.WriteS32("m_ArraySize", count);
            });
            LogCapture log;
            BytesReader reader(bytes);
            GxMoaVariable read;
            EXPECT_FALSE(read.Read(*reader)) << count;
            EXPECT_EQ(read.GetType(), MOA_VALUE_ARRAY);
            EXPECT_EQ(read.ArraySize(), 0);
            EXPECT_EQ(reader->GetErrorCount(), 1);
            ASSERT_FALSE(log.Lines().empty());
            EXPECT_NE(log.Lines().back().find("ArraySize out of range"), std::string::npos);
        }
    }
}

TEST(MoaVariable, DeeplyNestedArraysInAFileStopAtALimit)
{
    const std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) {
        for (int i = 0; i < 5000; ++i) {
            w.WriteU32("m_ValueType", MOA_VALUE_ARRAY);
            w.WriteS32("m_ArraySize", 1);
        }
        w.WriteU32("m_ValueType", MOA_VALUE_NULL);
    });
    BytesReader reader(bytes, nullptr, false);
    GxMoaVariable read;
    EXPECT_FALSE(read.Read(*reader));
    EXPECT_EQ(read.GetType(), MOA_VALUE_ARRAY);
}
