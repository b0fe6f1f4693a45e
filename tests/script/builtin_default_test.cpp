// [Moa builtins] the 48 default builtins: their registration, one table of calls with their
// results, the file queries against disk and a pack, the text output, and the argument array
// that grows only as far as a builtin reads.
#include "builtin_fixture.h"

#include "foundation/file.h"
#include "tests/support/pack_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

using namespace moa_test;
using namespace script_test;

namespace {

// Records the names offered to it, in order.
class RecordingBinder : public GxMoaFunctionBinder {
public:
    bool AddFunction(const char16_t* name, GxMoaDelegateBase* delegate) override
    {
        m_Names.push_back(U8(name));
        return GxMoaFunctionBinder::AddFunction(name, delegate);
    }
    std::vector<std::string> m_Names;
};

TEST(MoaBuiltinDefault, RegistersTheFortyEightInTheirOrderUnderTheirNames)
{
    const std::vector<std::string> expected = {
        "ToInt",           "ToFloat",          "ToStr",           "IsArray",           "ArraySize",
        "Print",           "Debug",            "Error",           "IsFileExist",       "GetFileSize",
        "StrLen",          "StrSub",           "StrLower",        "StrUpper",          "StrFind",
        "IsLabelExist",    "DumpVarToFile",    "GetLocaleID",     "GetTimeZoneName",   "GetTimeZoneBias",
        "GetUTime",        "GetYearFromUtime", "GetMonthFromUtime", "GetDayFromUtime", "GetHourFromUtime",
        "GetMinFromUtime", "GetSecFromUtime",  "GetWeekFromUtime", "GetYDayFromUtime", "GetCurrentDir",
        "GO",              "GOIF",             "GOSUB",           "GOSUBIF",           "RETURN",
        "RETURNIF",        "EXIT",             "RETVAL",          "Sgn",               "Abs",
        "Fsgn",            "Fabs",             "Fmod",            "Pow",               "Sqrt",
        "Exp",             "Log",              "Rand",
    };
    GxMoaBuiltinDefault builtins;
    RecordingBinder binder;
    builtins.Register(&binder);
    EXPECT_EQ(binder.m_Names, expected);
    EXPECT_EQ(binder.GetCount(), 48u);
    // Looked up by the lower-case names the compiler emits.
    for (const std::string& name : expected)
        EXPECT_NE(binder.FindFunction(WideToLowerAscii(Utf8ToWide(name))), nullptr) << name;
    // A second registration is refused name by name; the first handlers stay.
    TestErrorLogCapture errors;
    builtins.Register(&binder);
    EXPECT_EQ(binder.GetCount(), 48u);
    EXPECT_EQ(errors.Lines().size(), 48u);
}

class MoaBuiltins : public MoaBuiltinTest {};

TEST_F(MoaBuiltins, CallsAndTheirResults)
{
    const std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    struct Case {
        const char16_t* name;
        GxMoaVariable args;
        const char* result;
    };
    const Case cases[] = {
        {u"ToInt", Arr({Str(u"12abc")}), "Int:12"},
        {u"ToInt", Arr({Flt(-2.9)}), "Int:-2"},
        {u"ToFloat", Arr({Str(u"abc")}), "Float:0.000000"},
        {u"ToStr", Arr({Flt(1.5)}), "Str:1.500000"},
        {u"ToStr", Arr({Arr({Int(1), Int(2), Int(3)})}), "Str:3"},
        {u"ToStr", Arr({}), "Str:"},
        {u"IsArray", Arr({}), "Int:0"},
        {u"IsArray", Arr({Arr({})}), "Int:1"},
        {u"ArraySize", Arr({Int(5)}), "Int:0"},
        {u"ArraySize", Arr({Arr({Int(1), Int(2)})}), "Int:2"},
        {u"StrLen", Arr({Str(u"日本ab")}), "Int:4"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(2), Int(3)}), "Str:cde"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(2)}), "Str:cdef"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(2), Int(-1)}), "Str:cdef"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(2), Int(0)}), "Str:"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(6)}), "Str:"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(7), Int(2)}), "Str:"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(-1), Int(2)}), "Str:"},
        {u"StrSub", Arr({Str(u"abcdef"), Int(0x100000002LL), Int(0x100000001LL)}), "Str:c"},
        {u"StrFind", Arr({Str(u"abcabc"), Str(u"c")}), "Int:2"},
        {u"StrFind", Arr({Str(u"abcabc"), Str(u"c"), Int(3)}), "Int:5"},
        {u"StrFind", Arr({Str(u"abcabc"), Str(u"x")}), "Int:-1"},
        {u"StrFind", Arr({Str(u"abcabc"), Str(u""), Int(4)}), "Int:4"},
        {u"StrFind", Arr({Str(u"abcabc"), Str(u"a"), Int(7)}), "Int:-1"},
        {u"StrFind", Arr({Str(u"abcabc"), Str(u"a"), Int(-1)}), "Int:-1"},
        {u"StrFind", Arr({Str(u"aBc"), Str(u"b")}), "Int:-1"},
        {u"StrLower", Arr({Str(u"AbC\uFF21\u00C9")}), "Str:abc\xEF\xBC\xA1\xC3\x89"},
        {u"StrUpper", Arr({Str(u"aBc\uFF41\u00E9")}), "Str:ABC\xEF\xBD\x81\xC3\xA9"},
        {u"Rand", Arr({Int(5), Int(5)}), "Int:5"},
        {u"Rand", Arr({}), "Int:0"},
        {u"Rand", Arr({Int(INT32_MIN), Int(INT32_MAX)}), "Int:-2147483648"},
        {u"Rand", Arr({Int(INT32_MIN), Int(0)}), "Int:-2147483648"},
        {u"Rand", Arr({Int(0x100000007LL), Int(7)}), "Int:7"},
        {u"Sgn", Arr({Int(-7)}), "Int:-1"},
        {u"Sgn", Arr({Str(u"0")}), "Int:0"},
        {u"Sgn", Arr({Flt(3.5)}), "Int:1"},
        {u"Abs", Arr({Int(-7)}), "Int:7"},
        {u"Abs", Arr({Int(kMin)}), "Int:-9223372036854775808"},
        {u"Fsgn", Arr({Flt(-0.5)}), "Float:-1.000000"},
        {u"Fsgn", Arr({Int(0)}), "Float:0.000000"},
        {u"Fsgn", Arr({Str(u"2")}), "Float:1.000000"},
        {u"Fabs", Arr({Flt(-2.25)}), "Float:2.250000"},
        {u"Fmod", Arr({Flt(7.5), Int(2)}), "Float:1.500000"},
        {u"Pow", Arr({Int(2), Int(10)}), "Float:1024.000000"},
        {u"Sqrt", Arr({Int(16)}), "Float:4.000000"},
        {u"Exp", Arr({Int(0)}), "Float:1.000000"},
        {u"Log", Arr({Int(1)}), "Float:0.000000"},
        // Extra arguments are ignored.
        {u"ToInt", Arr({Str(u"5"), Str(u"x"), Int(9)}), "Int:5"},
        {u"Abs", Arr({Int(-1), Int(-2)}), "Int:1"},
        {u"RETVAL", Arr({Int(1)}), "Null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.name) + " " + Show(c.args));
        EXPECT_EQ(Call(c.name, c.args), c.result);
    }
    for (int i = 0; i < 200; ++i) {
        const std::int64_t value = std::stoll(Call(u"Rand", {Int(10), Int(1)}).substr(4));
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 10);
    }
    // Outside their domains: what the C library gives, and no line.
    GxMoaVariable result;
    GxMoaVariable args = Arr({Int(-1)});
    m_Binder.CallFunction(u"sqrt", 0, args, &m_Worker, nullptr, nullptr, result);
    EXPECT_TRUE(std::isnan(result.ToFloat()));
    args = Arr({Int(0)});
    m_Binder.CallFunction(u"log", 0, args, &m_Worker, nullptr, nullptr, result);
    EXPECT_TRUE(std::isinf(result.ToFloat()) && result.ToFloat() < 0);
    args = Arr({Int(1), Int(0)});
    m_Binder.CallFunction(u"fmod", 0, args, &m_Worker, nullptr, nullptr, result);
    EXPECT_TRUE(std::isnan(result.ToFloat()));
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelError).empty());
}

TEST_F(MoaBuiltins, ArgumentsGrowOnlyAsFarAsTheBuiltinReads)
{
    // StrSub reads two arguments when the count is not given; ToInt one; extra ones stay.
    EXPECT_EQ(Call(u"StrSub", {Str(u"abc")}), "Str:abc");
    EXPECT_EQ(Show(m_LastArgs), "Array[Str:abc,Null]");
    EXPECT_EQ(Call(u"ToInt", {}), "Int:0");
    EXPECT_EQ(Show(m_LastArgs), "Array[Null]");
    EXPECT_EQ(Call(u"ToInt", {Int(1), Int(2), Int(3)}), "Int:1");
    EXPECT_EQ(Show(m_LastArgs), "Array[Int:1,Int:2,Int:3]");
    EXPECT_EQ(Call(u"StrFind", {Str(u"ab")}), "Int:0");
    EXPECT_EQ(Show(m_LastArgs), "Array[Str:ab,Null,Null]");
}

TEST_F(MoaBuiltins, FileQueriesOnDiskInAPackAndAbsent)
{
    std::ofstream(m_Dir.Join("loose.txt"), std::ios::binary) << "12345";
    const std::string pack = m_Dir.Join("test.gxp").string();
    TestPackBuilder().Add(u"packed/inside.txt", std::string_view("123456789")).Write(pack);
    ASSERT_TRUE(GxFile::AddPackFile(Utf8ToWide(pack)));
    const std::u16string loose = Utf8ToWide(m_Dir.Join("loose.txt").string());
    EXPECT_EQ(Call(u"IsFileExist", {Str(loose)}), "Int:1");
    EXPECT_EQ(Call(u"IsFileExist", {Str(u"packed/inside.txt")}), "Int:2");
    EXPECT_EQ(Call(u"IsFileExist", {Str(u"PACKED\\Inside.txt")}), "Int:2");
    EXPECT_EQ(Call(u"IsFileExist", {Str(u"packed/absent.txt")}), "Int:0");
    EXPECT_EQ(Call(u"IsFileExist", {}), "Int:0");
    EXPECT_EQ(Call(u"GetFileSize", {Str(loose)}), "Int:5");
    EXPECT_EQ(Call(u"GetFileSize", {Str(u"packed/inside.txt")}), "Int:9");
    EXPECT_EQ(Call(u"GetFileSize", {Str(u"packed/absent.txt")}), "Int:0");
    GxFile::ReleasePacks();

    const std::string folder = Call(u"GetCurrentDir", {});
    ASSERT_GT(folder.size(), 5u);
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(folder.find('\\'), std::string::npos);
}

TEST_F(MoaBuiltins, LabelsAreLookedUpWithTheScriptNameLowerCased)
{
    ASSERT_TRUE(Run("EXIT(0)\n*@inner\n*OUTER"));
    EXPECT_EQ(Call(u"IsLabelExist", {Str(u"@inner"), Str(u"MAIN")}), "Int:1");
    EXPECT_EQ(Call(u"IsLabelExist", {Str(u"@inner"), Str(u"main")}), "Int:1");
    EXPECT_EQ(Call(u"IsLabelExist", {Str(u"@Inner"), Str(u"main")}), "Int:0");
    EXPECT_EQ(Call(u"IsLabelExist", {Str(u"@inner"), Str(u"other")}), "Int:0");
    EXPECT_EQ(Call(u"IsLabelExist", {Str(u"OUTER"), Str(u"Main")}), "Int:1");
    EXPECT_EQ(Call(u"IsLabelExist", {Str(u"nowhere"), Str(u"main")}), "Int:0");
}

TEST_F(MoaBuiltins, PrintDebugAndErrorWriteTheirTextLiterally)
{
    EXPECT_EQ(Call(u"Print", {Str(u"100% %s done")}), "Null");
    EXPECT_EQ(Call(u"Debug", {Int(42)}), "Null");
    EXPECT_EQ(Call(u"Error", {Str(u"bad %d")}), "Null");
    EXPECT_EQ(U8(DebugLog()), "100% %s done\n42\n");
    EXPECT_EQ(U8(ErrorLog()), "bad %d\n");
}

}  // namespace
