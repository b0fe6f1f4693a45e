// [Adventure builtins] registration into the binder after the default builtins, the argument
// conventions every handler follows (growing the argument array, 64-bit results) and the two
// position-keyword parsers. The error report that stops the script: info_test.cpp.
#include "avg_builtin_fixture.h"

#include "script/delegate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

using namespace avg_builtin_test;
using moa_test::Show;

namespace {

class RecordingBinder : public GxMoaFunctionBinder {
public:
    bool AddFunction(const char16_t* name, GxMoaDelegateBase* delegate) override
    {
        m_Calls.push_back("add " + script_test::U8(name));
        m_Delegates.push_back(delegate);
        return GxMoaFunctionBinder::AddFunction(name, delegate);
    }
    bool RemoveFunction(const char16_t* name) override
    {
        m_Calls.push_back("remove " + script_test::U8(name));
        return GxMoaFunctionBinder::RemoveFunction(name);
    }
    std::vector<std::string> m_Calls;
    std::vector<GxMoaDelegateBase*> m_Delegates;
};

using AvgRegistration = AvgBuiltinTest;

TEST_F(AvgRegistration, TheTableKeepsTheFullOrderWithEachNameOnce)
{
    struct Row {
        std::size_t number;   // counted from 1
        const char16_t* name;
    };
    const Row rows[] = {{1, u"Print"},     {2, u"Debug"},         {18, u"SetNameIdentifyMode"}, {19, u"DLG"},
                        {24, u"MSG.CLEAR"}, {25, u"TEXT"},         {40, u"STAND"},  {48, u"EV.COLOR"},
                        {50, u"EV.WA"},     {64, u"SE"},           {65, u"SE_0"},   {69, u"SE.WA"},
                        {70, u"VO"},        {71, u"VO_0"},         {76, u"SEL"},    {82, u"SEL.HASH"},
                        {83, u"WA.CLICK"},  {97, u"GetExtraOption"}};
    for (const Row& row : rows)
        EXPECT_EQ(std::u16string(AvgBuiltin::kBuiltins[row.number - 1].name), row.name) << row.number;
    std::set<std::u16string> keys;
    for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins)
        EXPECT_TRUE(keys.insert(WideToLowerAscii(entry.name)).second) << script_test::U8(entry.name);
}

TEST_F(AvgRegistration, RowsWithHandlersAreBoundInTableOrderAndReplaceOnlyPrintAndDebug)
{
    RecordingBinder binder;
    GxMoaBuiltinDefault defaults;
    defaults.Register(&binder);
    binder.m_Calls.clear();
    binder.m_Delegates.clear();
    m_Avg.RegisterBuiltins(&binder);

    std::vector<std::string> expected;
    for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins) {
        if (entry.handler == nullptr)
            continue;
        const std::string name = script_test::U8(entry.name);
        if (name == "Print" || name == "Debug")
            expected.push_back("remove " + name);
        expected.push_back("add " + name);
    }
    EXPECT_EQ(binder.m_Calls, expected);
    for (GxMoaDelegateBase* delegate : binder.m_Delegates)
        EXPECT_NE(dynamic_cast<GxMoaDelegate<AvgBuiltin>*>(delegate), nullptr);
    // The defaults' "Print" and "Debug" are gone: the bound ones are the module's.
    EXPECT_EQ(binder.GetCount(), GxMoaBuiltinDefault::kBuiltinCount + binder.m_Delegates.size() - 2);
    EXPECT_NE(dynamic_cast<GxMoaDelegate<AvgBuiltin>*>(binder.FindFunction(u"print")), nullptr);
    EXPECT_NE(dynamic_cast<GxMoaDelegate<AvgBuiltin>*>(binder.FindFunction(u"debug")), nullptr);
    EXPECT_NE(binder.FindFunction(u"msg"), nullptr);
    EXPECT_NE(binder.FindFunction(u"sel.go"), nullptr);
    EXPECT_TRUE(Errors().empty());

    // A second registration: every name but the two replaced ones is refused with the binder's line.
    m_Avg.RegisterBuiltins(&binder);
    std::vector<std::string> refused;
    for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins) {
        const std::string name = script_test::U8(entry.name);
        if (entry.handler != nullptr && name != "Print" && name != "Debug")
            refused.push_back("GxMoaFunctionBinder::AddFunction/同名関数が既に登録されています (" + name + ")\n");
    }
    EXPECT_EQ(Errors(), refused);
}

TEST_F(AvgRegistration, EveryNameIsBoundOnceAndOnlyTheAliasesShareAHandler)
{
    RecordingBinder binder;
    GxMoaBuiltinDefault defaults;
    defaults.Register(&binder);
    binder.m_Calls.clear();
    m_Avg.RegisterBuiltins(&binder);

    std::vector<std::string> added;
    for (const std::string& call : binder.m_Calls)
        if (call.rfind("add ", 0) == 0)
            added.push_back(call.substr(4));
    std::vector<std::string> names;
    for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins)
        names.push_back(script_test::U8(entry.name));
    EXPECT_EQ(added, names);
    EXPECT_EQ(std::count(binder.m_Calls.begin(), binder.m_Calls.end(), "remove Print"), 1);
    EXPECT_EQ(std::count(binder.m_Calls.begin(), binder.m_Calls.end(), "remove Debug"), 1);
    EXPECT_EQ(binder.GetCount(), GxMoaBuiltinDefault::kBuiltinCount + AvgBuiltin::kBuiltinCount - 2);
    for (const AvgBuiltin::Entry& entry : AvgBuiltin::kBuiltins) {
        EXPECT_NE(entry.handler, nullptr) << script_test::U8(entry.name);
        const std::u16string key = WideToLowerAscii(entry.name);
        EXPECT_NE(dynamic_cast<GxMoaDelegate<AvgBuiltin>*>(binder.FindFunction(key.c_str())), nullptr)
            << script_test::U8(entry.name);
    }
    EXPECT_TRUE(Errors().empty());

    // Two rows share a handler exactly when one is the other's alias.
    const std::set<std::pair<std::string, std::string>> aliases = {
        {"SE", "SE_0"}, {"VO", "VO_0"}, {"BG.COLOR", "EV.COLOR"}, {"BG.ACT_MOVE", "EV.ACT_MOVE"}, {"BG.WA", "EV.WA"}};
    std::set<std::pair<std::string, std::string>> shared;
    for (std::size_t i = 0; i < AvgBuiltin::kBuiltinCount; ++i)
        for (std::size_t j = i + 1; j < AvgBuiltin::kBuiltinCount; ++j)
            if (AvgBuiltin::kBuiltins[i].handler == AvgBuiltin::kBuiltins[j].handler)
                shared.insert({names[i], names[j]});
    EXPECT_EQ(shared, aliases);
}

TEST_F(AvgRegistration, ArgumentsAreGrownNeverShrunkAndIntegersAre64Bit)
{
    // "SEL.VISIBLE" reads arguments 0 to 9: a two-element array grows to ten, the new ones Null.
    GxMoaVariable args = Arr({Int(1), Int(0)});
    EXPECT_EQ(Call(u"SEL.VISIBLE", args), "Null");
    EXPECT_EQ(Show(m_LastArgs), "Array[Int:1,Int:0,Null,Null,Null,Null,Null,Null,Null,Null]");
    // A longer array keeps its extra elements.
    EXPECT_EQ(Call(u"GetCurSeqName", {Int(0), Str(u"x"), Int(7)}), "Str:");
    EXPECT_EQ(Show(m_LastArgs), "Array[Int:0,Str:x,Int:7]");
    // An argument that is not an array becomes one.
    GxMoaVariable result;
    GxMoaVariable single = Int(4);
    ASSERT_TRUE(m_Binder.CallFunction(u"setnameidentifymode", 0, single, &m_Worker, nullptr,
                                      &m_Worker.GetExecStack(), result));
    EXPECT_EQ(Show(single), "Array[Null]");
    EXPECT_EQ(m_UserData.m_NameIdentifyMode, 0);

    // 32-bit sources are sign-extended into the 64-bit result.
    m_UserData.m_LastSelectNum = -5;
    GxMoaVariable none = Arr({});
    ASSERT_TRUE(m_Binder.CallFunction(u"getlastselect", 0, none, &m_Worker, nullptr, &m_Worker.GetExecStack(),
                                      result));
    EXPECT_EQ(result.GetType(), MOA_VALUE_INT);
    EXPECT_EQ(result.GetRawBits(), -5);
}

TEST(AvgPositionParsers, KeywordsNumbersAndOtherValues)
{
    struct Case {
        const char* what;
        GxMoaVariable value;
        float extent;
        float horizontal;   // default 7
        float vertical;     // default 7
    };
    const Case cases[] = {
        {"integer", Int(100), 101.0f, 100.0f, 100.0f},
        {"float", Flt(2.5), 101.0f, 2.5f, 2.5f},
        {"L / T", Str(u"L"), 101.0f, 0.0f, 0.0f},
        {"T / L", Str(u"T"), 101.0f, 7.0f, 0.0f},
        {"M", Str(u"M"), 101.0f, 461.5f, 333.5f},
        {"M with a fraction", Str(u"M"), 100.5f, 461.5f, 333.5f},
        {"R / B", Str(u"R"), 101.0f, 923.0f, 0.0f},
        {"B / R", Str(u"B"), 101.0f, 7.0f, 667.0f},
        {"M wider than the screen", Str(u"M"), 1100.0f, -38.0f, -166.0f},
        {"N", Str(u"N"), 101.0f, 7.0f, 7.0f},
        {"other letter", Str(u"X"), 101.0f, 7.0f, 0.0f},
        {"digits", Str(u"100"), 101.0f, 7.0f, 0.0f},
        {"lower case", Str(u"m"), 101.0f, 7.0f, 0.0f},
        {"two letters", Str(u"MM"), 101.0f, 7.0f, 0.0f},
        {"Null", Null(), 101.0f, 7.0f, 0.0f},
        {"array", Arr({Str(u"M")}), 101.0f, 7.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AvgParseHorizontalPosition(c.value, 7.0f, c.extent), c.horizontal);
        EXPECT_EQ(AvgParseVerticalPosition(c.value, 7.0f, c.extent), c.vertical);
    }
}

}  // namespace
