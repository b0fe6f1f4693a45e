// [Engine] whole runs with the data subsystem's services installed: the start-up reads the
// game's tables before the modules initialise, and a damaged table is logged and run past.
#include "tests/support/engine_run_fixture.h"

#include "tests/support/game_folder.h"

#include <sstream>

namespace engine_test {
namespace {

class DataTablesRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseDataServices();
        m_Run.SetMaxPasses(5);
    }

    TestGameFolder Game()
    {
        TestGameFolder game(m_Game);
        game.SysConf({{"APP_TITLE", "Data Test"}, {"APP_SAVEDIR", "ENGINE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
        return game;
    }

    // The lines about the tables; this game has no fonts, program or image sets, whose loaders
    // log their absence too.
    std::string TableErrors() const
    {
        std::istringstream log(ReadLog(m_Game / "ENGINE_SAVE" / "error.log"));
        std::string lines;
        for (std::string line; std::getline(log, line);) {
            if (line.find("data/") != std::string::npos)
                lines += line + "\n";
        }
        return lines;
    }
};

TEST_F(DataTablesRunTest, ModulesSeeTheLoadedRowsAndTheLogHoldsTheTableErrorsInLoadOrder)
{
    TestGameFolder game = Game();
    game.Table(u"db_uimodule.txt", TestTableBuilder()
                                       .Comment(u"ID\tUIType\tName")
                                       .Row({u"1", u"3", u"btn_ok"})
                                       .Row({u"2", u"3", u"btn_ok"})
                                       .Row({u"3", u"5", u"panel"}))
        .Table(u"db_avgchar.txt", TestTableBuilder().Row({u"1", u"Mio", u"2", u"stand/mio"}).Row({u"80", u"Late"}))
        .Table(u"db_cgmode.txt", TestTableBuilder().Row({u"1", u"0", u"thumb", u"ev01|0 0|1"}))
        .EmptyTables();
    std::filesystem::remove(m_Game / "data" / "db_keymap.txt");
    ASSERT_TRUE(game.Ok());

    std::int32_t moduleID = -1, maxChar = -2;
    std::u16string picture, placement, keyMapFile = u"unset";
    m_Module.m_OnInitialize = [&] {
        moduleID = GetDBUIModule().FindIDByName(u"panel", 0);
        maxChar = GetDBAvgChar().GetMaxID();
        picture = GetDBCGMode().GetRow(1)->m_FileName[0];
        placement = GetDBCGModePlacement().GetRow(1)->m_FileName[0];
        keyMapFile = GetDBKeyMap().GetFileName();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(moduleID, 3);
    EXPECT_EQ(maxChar, 1);
    EXPECT_EQ(picture, u"ev01");
    EXPECT_EQ(placement, u"0 0|1");
    EXPECT_EQ(keyMapFile, u"");
    // In load order: the characters before the modules.
    EXPECT_EQ(TableErrors(),
              "DBAvgChar/ID out of range[data/db_avgchar.txt/80]\r\n"
              "GxDBBase::AddNameMap/同じ名前キーがあるようです。テーブルを確認してください "
              "(File:data/db_uimodule.txt/Name:btn_ok/ID=2)\r\n");
}

TEST_F(DataTablesRunTest, MissingTablesLeaveThemEmpty)
{
    TestGameFolder game = Game();
    ASSERT_TRUE(game.Ok());
    std::int32_t maxModule = -2;
    m_Module.m_OnInitialize = [&] { maxModule = GetDBUIModule().GetMaxID(); };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(maxModule, -1);
    const std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "error.log");
    EXPECT_EQ(log.find("db_keymap"), std::string::npos) << log;
    EXPECT_NE(log.find("db_uimodule.txt"), std::string::npos) << log;
}

TEST_F(DataTablesRunTest, TheDemoGameReadsItsTablesWithoutError)
{
    // This program lives in <build>/tests; the build writes the demo game to <build>/demo/game.
    const fs::path build = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
    const fs::path demo = build / "demo" / "game";
    ASSERT_TRUE(fs::exists(demo / "data" / "db_uimodule.txt")) << "the build writes " << demo << " (target demo_content)";
    fs::copy(demo, m_Game, fs::copy_options::recursive | fs::copy_options::overwrite_existing);

    std::vector<std::u16string> files;
    m_Module.m_OnInitialize = [&] {
        for (GxDBBase* table : std::initializer_list<GxDBBase*>{
                 &GetDBKeyMap(), &GetDBAvgChar(), &GetDBBGMMode(), &GetDBCGMode(), &GetDBCGModePlacement(),
                 &GetDBRPMode(), &GetDBUIModule(), &GetDBUILayout(), &GetDBVoiceVolume(), &GetDBSystemVoice()})
            files.push_back(table->GetFileName());
    };
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(files.size(), 10u);
    EXPECT_EQ(files[0], u"data/db_keymap.txt");
    EXPECT_EQ(files[9], u"data/db_systemvoice.txt");
    const std::string log = ReadLog(m_Game / "Tarnwick_SAVE" / "error.log");
    for (const char* table : {"db_", "DB", "ID out of range", "AddNameMap"})
        EXPECT_EQ(log.find(table), std::string::npos) << log;
}

}  // namespace
}  // namespace engine_test
