#include "core/module_list.h"

#include "foundation/log.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A module that records each hook as "<id>:<hook>(<argument>)" and answers with preset results.
class RecordingModule : public GxModuleCoreBase {
public:
    RecordingModule(std::vector<std::string>& calls, std::string id) : m_Calls(calls), m_Id(std::move(id)) {}

    const char16_t* GetModuleName() override { return u"TEST"; }
    void Attach(GxCore*) override { Record("Attach"); }
    void AfterReset() override { Record("AfterReset"); }
    void Initialize() override { Record("Initialize"); }
    void BeforeReset() override { Record("BeforeReset"); }
    void RegisterBuiltins(GxMoaFunctionBinder* binder) override { Record("RegisterBuiltins", Pointer(binder)); }
    void CreateSequences(GxTaskBase* root) override { Record("CreateSequences", Pointer(root)); }
    void OnBootTitle() override { Record("OnBootTitle"); }
    void BeforeLoadGame() override { Record("BeforeLoadGame"); }
    std::int32_t RestoreSequence() override
    {
        Record("RestoreSequence");
        return m_Restore;
    }
    void LoadConfigPage(std::int32_t page) override { Record("LoadConfigPage", std::to_string(page)); }
    void StoreConfigPage(std::int32_t page) override { Record("StoreConfigPage", std::to_string(page)); }
    void ResetConfig() override { Record("ResetConfig"); }
    bool WriteGameData(GxContentWriterBase* writer, const char16_t* path) override
    {
        Record("WriteGameData", Pointer(writer) + "," + Narrow(path));
        return m_Result;
    }
    bool ReadGameData(GxContentReaderBase* reader, const char16_t* path, bool fullRestore) override
    {
        Record("ReadGameData", Pointer(reader) + "," + Narrow(path) + "," + (fullRestore ? "1" : "0"));
        return m_Result;
    }
    bool WritePermanentData(GxContentWriterBase* writer) override { return RecordBool("WritePermanentData", writer); }
    bool ReadPermanentData(GxContentReaderBase* reader) override { return RecordBool("ReadPermanentData", reader); }
    bool WriteUserConfig(GxContentWriterBase* writer) override { return RecordBool("WriteUserConfig", writer); }
    bool ReadUserConfig(GxContentReaderBase* reader) override { return RecordBool("ReadUserConfig", reader); }

    bool m_Result = true;
    std::int32_t m_Restore = 0;

private:
    static std::string Pointer(const void* p)
    {
        return p ? std::string(1, 'p').append(std::to_string(reinterpret_cast<std::uintptr_t>(p) & 0xFFF)) : "null";
    }
    static std::string Narrow(const char16_t* text)
    {
        std::string out;
        for (; text && *text; ++text) out.push_back(static_cast<char>(*text));
        return out;
    }
    void Record(const char* hook, const std::string& argument = {})
    {
        m_Calls.push_back(m_Id + ":" + hook + "(" + argument + ")");
    }
    bool RecordBool(const char* hook, const void* stream)
    {
        Record(hook, Pointer(stream));
        return m_Result;
    }

    std::vector<std::string>& m_Calls;
    std::string m_Id;
};

// Fake pointers that are never dereferenced; only handed through.
GxContentWriterBase* const kWriter = reinterpret_cast<GxContentWriterBase*>(std::uintptr_t{0x1A0});
GxContentReaderBase* const kReader = reinterpret_cast<GxContentReaderBase*>(std::uintptr_t{0x2B0});

struct BoolBroadcast {
    const char* name;
    std::function<bool(GxModuleList&)> call;
};

const std::vector<BoolBroadcast>& BoolBroadcasts()
{
    static const std::vector<BoolBroadcast> broadcasts = {
        {"WriteGameData", [](GxModuleList& l) { return l.ModulesWriteGameData(kWriter, u"save01.dat"); }},
        {"ReadGameData", [](GxModuleList& l) { return l.ModulesReadGameData(kReader, u"save01.dat", true); }},
        {"WritePermanentData", [](GxModuleList& l) { return l.ModulesWritePermanentData(kWriter); }},
        {"ReadPermanentData", [](GxModuleList& l) { return l.ModulesReadPermanentData(kReader); }},
        {"WriteUserConfig", [](GxModuleList& l) { return l.ModulesWriteUserConfig(kWriter); }},
        {"ReadUserConfig", [](GxModuleList& l) { return l.ModulesReadUserConfig(kReader); }},
    };
    return broadcasts;
}

TEST(ModuleList, EmptyListAnswersTrueAndRestoresNothing)
{
    GxModuleList list;
    for (int i = 0; i < GxModuleList::kModuleCount; ++i) EXPECT_EQ(list.GetModule(i), nullptr);
    for (const BoolBroadcast& b : BoolBroadcasts()) EXPECT_TRUE(b.call(list)) << b.name;
    EXPECT_EQ(list.ModulesRestoreSequence(), 0);
    list.ModulesAfterReset();   // nothing to call, nothing to crash on
    list.ModulesCreateSequences(nullptr);
}

TEST(ModuleList, BoolBroadcastCallsEveryModuleAndAndsTheResults)
{
    // results[i]: answer of the modules in places 0 and 2; place 1 stays empty.
    struct Case {
        bool first;
        bool second;
        bool expected;
    };
    const Case cases[] = {{true, true, true}, {false, true, false}, {true, false, false}, {false, false, false}};
    for (const BoolBroadcast& b : BoolBroadcasts()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(b.name) + " " + std::to_string(c.first) + std::to_string(c.second));
            std::vector<std::string> calls;
            RecordingModule a(calls, "A");
            RecordingModule z(calls, "Z");
            a.m_Result = c.first;
            z.m_Result = c.second;
            GxModuleList list;
            ASSERT_TRUE(list.SetModule(0, &a));
            ASSERT_TRUE(list.SetModule(2, &z));

            EXPECT_EQ(b.call(list), c.expected);
            ASSERT_EQ(calls.size(), 2u);
            EXPECT_EQ(calls[0].substr(0, 2), "A:");
            EXPECT_EQ(calls[1].substr(0, 2), "Z:");
        }
    }
}

TEST(ModuleList, BroadcastsVisitPlacesInOrderWithArgumentsUnchanged)
{
    std::vector<std::string> calls;
    RecordingModule m0(calls, "0");
    RecordingModule m1(calls, "1");
    RecordingModule m2(calls, "2");
    GxModuleList list;
    // Filled out of order: the order of calls is that of the places.
    list.SetModule(2, &m2);
    list.SetModule(1, &m1);
    list.SetModule(0, &m0);

    auto* binder = reinterpret_cast<GxMoaFunctionBinder*>(std::uintptr_t{0x3C0});
    auto* root = reinterpret_cast<GxTaskBase*>(std::uintptr_t{0x4D0});
    list.ModulesInitialize();
    list.ModulesInitializeLate(binder);
    list.ModulesCreateSequences(root);
    list.ModulesLoadConfigPage(-7);
    list.ModulesReadGameData(kReader, u"x.dat", false);

    const std::vector<std::string> expected = {
        "0:Initialize()",         "1:Initialize()",         "2:Initialize()",
        "0:RegisterBuiltins(p960)", "1:RegisterBuiltins(p960)", "2:RegisterBuiltins(p960)",
        "0:CreateSequences(p1232)", "1:CreateSequences(p1232)", "2:CreateSequences(p1232)",
        "0:LoadConfigPage(-7)",   "1:LoadConfigPage(-7)",   "2:LoadConfigPage(-7)",
        "0:ReadGameData(p688,x.dat,0)", "1:ReadGameData(p688,x.dat,0)", "2:ReadGameData(p688,x.dat,0)",
    };
    EXPECT_EQ(calls, expected);

    // Each remaining void broadcast reaches every module with its own hook.
    const std::vector<std::pair<const char*, std::function<void()>>> voids = {
        {"AfterReset", [&] { list.ModulesAfterReset(); }},
        {"BeforeReset", [&] { list.ModulesBeforeReset(); }},
        {"OnBootTitle", [&] { list.ModulesOnBootTitle(); }},
        {"BeforeLoadGame", [&] { list.ModulesBeforeLoadGame(); }},
        {"StoreConfigPage", [&] { list.ModulesStoreConfigPage(3); }},
        {"ResetConfig", [&] { list.ModulesResetConfig(); }},
    };
    for (const auto& [hook, call] : voids) {
        calls.clear();
        call();
        ASSERT_EQ(calls.size(), 3u) << hook;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(calls[i].rfind(std::to_string(i) + ":" + hook + "(", 0), 0u) << calls[i];
    }
}

TEST(ModuleList, FirstNonZeroRestoreSequenceEndsTheBroadcast)
{
    std::vector<std::string> calls;
    RecordingModule m0(calls, "0");
    RecordingModule m1(calls, "1");
    RecordingModule m2(calls, "2");
    GxModuleList list;
    list.SetModule(0, &m0);
    list.SetModule(1, &m1);
    list.SetModule(2, &m2);

    EXPECT_EQ(list.ModulesRestoreSequence(), 0);
    EXPECT_EQ(calls.size(), 3u);

    calls.clear();
    m1.m_Restore = -5;
    m2.m_Restore = 9;
    EXPECT_EQ(list.ModulesRestoreSequence(), -5);
    EXPECT_EQ(calls, (std::vector<std::string>{"0:RestoreSequence()", "1:RestoreSequence()"}));
}

TEST(ModuleList, PlacesOutsideTheListAreRefused)
{
    struct Catcher : GxDebugListenerBase {
        int errors = 0;
        int Output(const char16_t*, std::int32_t level) override
        {
            if (level == kLevelError) ++errors;
            return 0;
        }
    } catcher;
    LogSetSink(&catcher);
    std::vector<std::string> calls;
    RecordingModule m(calls, "M");
    GxModuleList list;
    EXPECT_FALSE(list.SetModule(3, &m));
    EXPECT_FALSE(list.SetModule(-1, &m));
    EXPECT_EQ(list.GetModule(3), nullptr);
    EXPECT_EQ(list.GetModule(-1), nullptr);
    EXPECT_EQ(catcher.errors, 2);
    list.ModulesInitialize();
    EXPECT_TRUE(calls.empty());

    // Emptying a place takes the module out of the broadcasts.
    ASSERT_TRUE(list.SetModule(1, &m));
    ASSERT_TRUE(list.SetModule(1, nullptr));
    list.ModulesInitialize();
    EXPECT_TRUE(calls.empty());
    LogSetSink(nullptr);
}

}  // namespace
