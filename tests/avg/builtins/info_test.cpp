// [Adventure builtins] the information builtins: the debug outputs, the save folder, the
// sequence slots after real changes (other slots give empty values), the game and persistent
// data they read and set, and the program's signature resource.
#include "avg_builtin_fixture.h"

#include "graphics/standins/module_resource.h"

#include <gtest/gtest.h>

using namespace avg_builtin_test;

namespace {

using AvgInfoBuiltins = AvgBuiltinTest;

TEST_F(AvgInfoBuiltins, ValuesOfTheEngineAndTheGameData)
{
    m_Core.m_SaveFolder = u"/saves/";
    m_UserData.m_LastSelectNum = 3;
    m_UserData.m_LastDialogResult = 1;
    m_UserData.m_GameDataTitle = u"第一章";
    m_UserData.m_IsReplayMode = true;
    m_Perman.m_PassedReplayLabels = {u"ep1"};

    struct Case {
        const char16_t* name;
        GxMoaVariable args;
        const char* result;
    };
    const Case cases[] = {
        {u"GetSaveDir", Arr({}), "Str:/saves/"},
        {u"GetLastSelect", Arr({}), "Int:3"},
        {u"GetDialogResult", Arr({}), "Int:1"},
        {u"GetDebugModeFlag", Arr({}), "Int:0"},
        {u"GetGameDataTitle", Arr({}), "Str:第一章"},
        {u"GetReplayMode", Arr({}), "Int:1"},
        {u"GetPassedLabel", Arr({Str(u"ep1")}), "Int:1"},
        {u"GetPassedLabel", Arr({Str(u"ep2")}), "Int:0"},
        {u"GetPassedLabel", Arr({Str(u"EP1")}), "Int:0"},
        {u"SetGameDataTitle", Arr({Str(u"終章")}), "Null"},
        {u"GetGameDataTitle", Arr({}), "Str:終章"},
        {u"SetNameIdentifyMode", Arr({Int(0x100000001)}), "Null"},
        {u"Print", Arr({Str(u"quiet")}), "Null"},
        {u"Debug", Arr({Str(u"quiet")}), "Null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(script_test::U8(c.name));
        EXPECT_EQ(Call(c.name, c.args), c.result);
    }
    EXPECT_EQ(m_UserData.m_GameDataTitle, u"終章");
    EXPECT_EQ(m_UserData.m_NameIdentifyMode, 1);   // the low 32 bits
    // Without "DebugModeFlag" the two outputs write nothing.
    EXPECT_EQ(DebugLog(), u"");
    EXPECT_TRUE(Lines(GxDebugListenerBase::kLevelDebug).empty());

    SetDebugMode(true);
    EXPECT_EQ(Call(u"GetDebugModeFlag", {}), "Int:1");
    EXPECT_EQ(Call(u"Print", {Str(u"50%s %d")}), "Null");
    EXPECT_EQ(Call(u"Debug", {Str(u"%s!")}), "Null");
    EXPECT_EQ(DebugLog(), u"50%s %d\n%s!\n");
}

TEST_F(AvgInfoBuiltins, SequenceSlotsAfterRealChangesAndSlotsThatDoNotExist)
{
    EnterSequence(u"SeqTitle", 0, 0, 1);
    EnterSequence(u"SeqAvgMain", 0, 2, 3);
    EnterSequence(u"SeqConfig", 1, 4, 5);
    struct Case {
        const char16_t* name;
        std::int64_t slot;
        const char* result;
    };
    const Case cases[] = {
        {u"GetCurSeqName", 0, "Str:SeqAvgMain"}, {u"GetPrevSeqName", 0, "Str:SeqTitle"},
        {u"GetCurSeqParam0", 0, "Int:2"},        {u"GetCurSeqParam1", 0, "Int:3"},
        {u"GetPrevSeqParam0", 0, "Int:0"},       {u"GetPrevSeqParam1", 0, "Int:1"},
        {u"GetCurSeqName", 1, "Str:SeqConfig"},  {u"GetPrevSeqName", 1, "Str:"},
        {u"GetCurSeqParam1", 1, "Int:5"},        {u"GetPrevSeqParam0", 1, "Int:0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(script_test::U8(c.name) + " " + std::to_string(c.slot));
        EXPECT_EQ(Call(c.name, {Int(c.slot)}), c.result);
    }
    EXPECT_TRUE(Lines(GxDebugListenerBase::kLevelWarning).empty());

    const char16_t* names[] = {u"GetCurSeqName",   u"GetPrevSeqName",   u"GetCurSeqParam0",
                               u"GetCurSeqParam1", u"GetPrevSeqParam0", u"GetPrevSeqParam1"};
    for (std::int64_t slot : {2, -1}) {
        for (const char16_t* name : names) {
            SCOPED_TRACE(script_test::U8(name) + " " + std::to_string(slot));
            const bool isName = std::u16string(name).find(u"Name") != std::u16string::npos;
            EXPECT_EQ(Call(name, {Int(slot)}), isName ? "Str:" : "Int:0");
        }
    }
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelWarning).size(), 12u);
    // The slot is read in 32 bits: 2^32 is slot 0.
    EXPECT_EQ(Call(u"GetCurSeqName", {Int(0x100000000)}), "Str:SeqAvgMain");
}

TEST_F(AvgInfoBuiltins, TheSignatureIsTheChecksumOfTheRegisteredResource)
{
    EXPECT_EQ(Call(u"GetSystemSignature", {}), "Str:00000000");
    static const char kBytes[] = "abc";
    const GxModuleResourceBlock block{kBytes, 3};
    RegisterModuleResource(u"PNG", MakeIntResourceW(102), &block);
    const std::string withResource = Call(u"GetSystemSignature", {});
    // A resource of another number or type is not the signature.
    RegisterModuleResource(u"PNG", MakeIntResourceW(102), nullptr);
    RegisterModuleResource(u"PNG", MakeIntResourceW(103), &block);
    RegisterModuleResource(u"BMP", MakeIntResourceW(102), &block);
    const std::string otherResources = Call(u"GetSystemSignature", {});
    RegisterModuleResource(u"PNG", MakeIntResourceW(103), nullptr);
    RegisterModuleResource(u"BMP", MakeIntResourceW(102), nullptr);

    EXPECT_EQ(withResource, "Str:352441C2");
    EXPECT_EQ(otherResources, "Str:00000000");
}

TEST(AvgModuleResources, FindResourceByNumberOrNameIgnoringCase)
{
    static const char kBytes[] = "xyz!";
    const GxModuleResourceBlock block{kBytes, 4};
    RegisterModuleResource(u"Png", u"#7", &block);
    RegisterModuleResource(u"DATA", u"Logo", &block);
    HRSRC byNumber = FindResourceW(nullptr, MakeIntResourceW(7), u"PNG");
    HRSRC byName = FindResourceW(nullptr, u"LOGO", u"data");
    HRSRC missing = FindResourceW(nullptr, MakeIntResourceW(8), u"PNG");
    RegisterModuleResource(u"Png", u"#7", nullptr);
    RegisterModuleResource(u"DATA", u"Logo", nullptr);
    HRSRC removed = FindResourceW(nullptr, MakeIntResourceW(7), u"PNG");

    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(SizeofResource(nullptr, byNumber), 4u);
    EXPECT_EQ(LockResource(LoadResource(nullptr, byNumber)), static_cast<const void*>(kBytes));
    EXPECT_EQ(byName, byNumber);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(removed, nullptr);
}

TEST_F(AvgInfoBuiltins, APassedLabelMustBeGivenOrTheScriptStopsNamingTheBuiltinAsCalled)
{
    for (const char* call : {"GetPassedLabel()", "GetPassedLabel(\"\")"}) {
        SCOPED_TRACE(call);
        ASSERT_TRUE(Run(std::string("BUILTIN GetPassedLabel\n") + call + "\nPrint(\"never\")"));
        const std::string at = "err:[Script=\"main\"/line=3] ";
        EXPECT_EQ(Errors(),
                  (std::vector<std::string>{at + "getpassedlabel:ラベル名を指定してください\n",
                                            at + "関数実行時にエラーが発生したので停止します[builtin:getpassedlabel]\n"}));
        EXPECT_TRUE(m_Moa.IsErrorStop());
    }
}

}  // namespace
