// The game modules' part of the saved files: their values travel after the engine's, a failing
// module write abandons the save (the earlier file stays), and a failing module read fails the
// persistent flags' load but not a game load, whose result is the reader's alone.
#include "save_fixture.h"

#include "core/core.h"
#include "core/module_core_base.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"

namespace data_test {
namespace {

class TestModule : public GxModuleCoreBase {
public:
    const char16_t* GetModuleName() override { return u"TestModule"; }
    void Attach(GxCore*) override {}
    void AfterReset() override {}
    void Initialize() override {}
    void BeforeReset() override {}
    void RegisterBuiltins(GxMoaFunctionBinder*) override {}
    void CreateSequences(GxTaskBase*) override {}
    void OnBootTitle() override {}
    void BeforeLoadGame() override {}
    std::int32_t RestoreSequence() override { return 0; }
    void LoadConfigPage(std::int32_t) override {}
    void StoreConfigPage(std::int32_t) override {}
    void ResetConfig() override {}
    bool WriteGameData(GxContentWriterBase* writer, const char16_t*) override
    {
        return writer->WriteS32("m_ModuleGame", m_Value) && !m_FailWrite;
    }
    bool ReadGameData(GxContentReaderBase* reader, const char16_t* path, bool fullRestore) override
    {
        m_ReadPath = path;
        m_FullRestore = fullRestore;
        return reader->ReadS32("m_ModuleGame", &m_Value) && !m_FailRead;
    }
    bool WritePermanentData(GxContentWriterBase* writer) override
    {
        return writer->WriteS32("m_ModulePerman", m_Value) && !m_FailWrite;
    }
    bool ReadPermanentData(GxContentReaderBase* reader) override
    {
        return reader->ReadS32("m_ModulePerman", &m_Value) && !m_FailRead;
    }
    bool WriteUserConfig(GxContentWriterBase*) override { return true; }
    bool ReadUserConfig(GxContentReaderBase*) override { return true; }

    std::int32_t m_Value = 0;
    bool m_FailWrite = false;
    bool m_FailRead = false;
    std::u16string m_ReadPath;
    bool m_FullRestore = false;
};

class SavedModulesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        m_Core.m_ModuleList.SetModule(0, &m_Module);
    }
    std::u16string PathOf(const char* name) const { return Utf8ToWide((m_Temp.Path() / name).string()); }

    GxCore m_Core;
    TestModule m_Module;
};

TEST_F(SavedModulesTest, ModuleValuesTravelAndTheirFailuresCount)
{
    GxUserDataPerman flags(&m_Core);
    flags.m_ExtraOption = 1;
    GxUserData game(&m_Core);
    game.m_GameDataTitle = u"first";
    m_Module.m_Value = 41;
    ASSERT_TRUE(SavePermanentData(&flags, PathOf("permanent.dat"), true));
    ASSERT_TRUE(SaveGameData(&game, PathOf("gamedata001.gd"), true));
    const std::string flagBytes = ReadAll(m_Temp.Path() / "permanent.dat");
    const std::string gameBytes = ReadAll(m_Temp.Path() / "gamedata001.gd");

    m_Module.m_Value = 0;
    EXPECT_TRUE(LoadPermanentData(&flags, PathOf("permanent.dat")));
    EXPECT_EQ(m_Module.m_Value, 41);
    m_Module.m_Value = 0;
    EXPECT_TRUE(LoadGameData(&game, PathOf("gamedata001.gd"), true));
    EXPECT_EQ(m_Module.m_Value, 41);
    EXPECT_EQ(m_Module.m_ReadPath, PathOf("gamedata001.gd"));
    EXPECT_TRUE(m_Module.m_FullRestore);
    EXPECT_TRUE(m_Log.errors.empty());

    // A failing module write abandons the whole file.
    m_Module.m_FailWrite = true;
    m_Module.m_Value = 99;
    game.m_GameDataTitle = u"second";
    EXPECT_FALSE(SavePermanentData(&flags, PathOf("permanent.dat"), true));
    EXPECT_FALSE(SaveGameData(&game, PathOf("gamedata001.gd"), true));
    EXPECT_EQ(ReadAll(m_Temp.Path() / "permanent.dat"), flagBytes);
    EXPECT_EQ(ReadAll(m_Temp.Path() / "gamedata001.gd"), gameBytes);
    EXPECT_EQ(m_Log.Count("permanent.dat"), 1);
    EXPECT_EQ(m_Log.Count("gamedata001.gd"), 1);

    // A failing module read fails the flags' load; a game load goes by the reader alone.
    m_Log.errors.clear();
    m_Module.m_FailRead = true;
    EXPECT_FALSE(LoadPermanentData(&flags, PathOf("permanent.dat")));
    EXPECT_TRUE(LoadGameData(&game, PathOf("gamedata001.gd"), false));
    EXPECT_EQ(game.m_GameDataTitle, u"first");
    EXPECT_FALSE(m_Module.m_FullRestore);
    EXPECT_EQ(m_Log.errors.size(), 1u);
}

}  // namespace
}  // namespace data_test
