// [Moa binder] builtin names to handlers: lower-cased keys, exact lookups, duplicate refusal,
// and delegates owned and deleted exactly once.
#include "script/delegate.h"
#include "script/function_binder.h"
#include "script/variable.h"

#include "moa_log_fixture.h"
#include "script_test_support.h"

#include <gtest/gtest.h>

using namespace script_test;
using namespace moa_test;

namespace {

// A builtin module that records each call and counts the delegates alive.
class Module {
public:
    bool First(const std::u16string& name, std::int64_t index, GxMoaVariable& args, GxMoaWorker* worker,
               GxMoaScriptEntity* entity, GxMoaExecStack* execStack, GxMoaVariable& result)
    {
        m_Name = name;
        m_Index = index;
        m_Args = &args;
        m_Worker = worker;
        m_Entity = entity;
        m_Stack = execStack;
        m_Result = &result;
        result.SetInt64(1);
        return true;
    }
    bool Second(const std::u16string&, std::int64_t, GxMoaVariable&, GxMoaWorker*, GxMoaScriptEntity*,
                GxMoaExecStack*, GxMoaVariable& result)
    {
        result.SetInt64(2);
        return false;
    }

    std::u16string m_Name;
    std::int64_t m_Index = -1;
    const GxMoaVariable* m_Args = nullptr;
    GxMoaWorker* m_Worker = nullptr;
    GxMoaScriptEntity* m_Entity = nullptr;
    GxMoaExecStack* m_Stack = nullptr;
    const GxMoaVariable* m_Result = nullptr;
};

int g_Alive = 0;
int g_Deleted = 0;

class CountedDelegate : public GxMoaDelegate<Module> {
public:
    CountedDelegate(Module* module, Handler handler) : GxMoaDelegate<Module>(module, handler) { ++g_Alive; }
    ~CountedDelegate() override
    {
        --g_Alive;
        ++g_Deleted;
    }
};

class MoaBinder : public MoaLogTest {
protected:
    void SetUp() override
    {
        MoaLogTest::SetUp();
        g_Alive = 0;
        g_Deleted = 0;
    }
    GxMoaDelegateBase* Make(bool first = true)
    {
        return new CountedDelegate(&m_Module, first ? &Module::First : &Module::Second);
    }
    bool Call(GxMoaFunctionBinder& binder, const std::u16string& name, GxMoaVariable& result)
    {
        GxMoaVariable args;
        args.MakeArray(0);
        return binder.CallFunction(name, 0, args, nullptr, nullptr, nullptr, result);
    }

    Module m_Module;
};

TEST_F(MoaBinder, ARepeatedNameKeepsTheFirstHandler)
{
    {
        GxMoaFunctionBinder binder;
        EXPECT_TRUE(binder.AddFunction(u"GO", Make(true)));
        EXPECT_FALSE(binder.AddFunction(u"go", Make(false)));
        EXPECT_EQ(g_Deleted, 1);   // the offered delegate went at once
        EXPECT_EQ(g_Alive, 1);
        const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(U8(errors[0]), "GxMoaFunctionBinder::AddFunction/同名関数が既に登録されています (go)\n");

        GxMoaVariable result;
        EXPECT_TRUE(Call(binder, u"go", result));
        EXPECT_EQ(result.ToInt(), 1);
        EXPECT_FALSE(binder.AddFunction(u"x", nullptr));
        EXPECT_EQ(binder.FindFunction(u"x"), nullptr);
    }
    EXPECT_EQ(g_Alive, 0);   // the binder deletes the one it kept, once
    EXPECT_EQ(g_Deleted, 2);
}

TEST_F(MoaBinder, KeysAreLowerCasedButLookupsAreExact)
{
    GxMoaFunctionBinder binder;
    ASSERT_TRUE(binder.AddFunction(u"Print", Make()));
    EXPECT_NE(binder.FindFunction(u"print"), nullptr);
    EXPECT_EQ(binder.FindFunction(u"Print"), nullptr);
    // Only A-Z change.
    ASSERT_TRUE(binder.AddFunction(u"ÄBC_1", Make()));
    EXPECT_NE(binder.FindFunction(u"Äbc_1"), nullptr);

    EXPECT_FALSE(binder.RemoveFunction(u"missing"));
    EXPECT_TRUE(binder.RemoveFunction(u"Print"));
    EXPECT_EQ(binder.FindFunction(u"print"), nullptr);
    EXPECT_EQ(g_Deleted, 1);
    EXPECT_FALSE(binder.RemoveFunction(u"print"));

    binder.Clear();
    EXPECT_EQ(binder.GetCount(), 0u);
    EXPECT_EQ(g_Alive, 0);
}

TEST_F(MoaBinder, CallsPassEverythingThroughUnchanged)
{
    GxMoaFunctionBinder binder;
    ASSERT_TRUE(binder.AddFunction(u"f", Make(true)));
    ASSERT_TRUE(binder.AddFunction(u"fail", Make(false)));

    GxMoaVariable args = Arr({Int(5), Str(u"x")});
    GxMoaVariable result;
    GxMoaExecStack* stack = reinterpret_cast<GxMoaExecStack*>(&args);   // never dereferenced
    auto* worker = reinterpret_cast<GxMoaWorker*>(&result);
    auto* entity = reinterpret_cast<GxMoaScriptEntity*>(&binder);
    EXPECT_TRUE(binder.CallFunction(u"f", 42, args, worker, entity, stack, result));
    EXPECT_EQ(U8(m_Module.m_Name), "f");
    EXPECT_EQ(m_Module.m_Index, 42);
    EXPECT_EQ(m_Module.m_Args, &args);
    EXPECT_EQ(m_Module.m_Worker, worker);
    EXPECT_EQ(m_Module.m_Entity, entity);
    EXPECT_EQ(m_Module.m_Stack, stack);
    EXPECT_EQ(m_Module.m_Result, &result);
    EXPECT_EQ(result.ToInt(), 1);

    // A handler's false comes back unchanged; an unbound name is false without a line.
    EXPECT_FALSE(Call(binder, u"fail", result));
    EXPECT_EQ(result.ToInt(), 2);
    m_Log.Clear();
    result.Clear();
    EXPECT_FALSE(Call(binder, u"nothing", result));
    EXPECT_FALSE(Call(binder, u"F", result));
    EXPECT_TRUE(result.IsNull());
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelError).empty());
}

}  // namespace
