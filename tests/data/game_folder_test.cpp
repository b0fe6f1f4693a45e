// The game-folder builder that engine tests start from: every kind of file lands where the engine
// looks for it, and a failure to build one is reported, not silently skipped.
#include "data_fixture.h"

#include "data/data_tables.h"
#include "script/moa.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/moa_assembler.h"
#include "tests/support/pack_builder.h"

#include <fstream>
#include <iterator>

namespace data_test {
namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(DataTest, GameFolderWritesEveryKindOfFile)
{
    TestGameFolder game(m_Temp.Join("game"));
    game.SysConf({{"APP_TITLE", "T"}, {"APP_SAVEDIR", "S"}})
        .Setting({{"DebugModeFlag", "1"}})
        .Table(u"db_rpmode.txt", TestTableBuilder().Row({u"1", u"0", u"", u"*start"}), TestTableEncoding::kUtf8)
        .EmptyTables()
        .Script("*MAIN\nEXIT()\n")
        .Png("cg/red.png", TestImage::Solid(2, 2, 0xFFFF0000))
        .Pack("extra.gxp", TestPackBuilder().Add(u"data/x.txt", std::string_view("x")))
        .File("notes/a.txt", "abc");
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    const std::filesystem::path folder = game.Path();
    EXPECT_EQ(ReadBytes(folder / "system" / "sysconf.ini"), "APP_TITLE=T\r\nAPP_SAVEDIR=S\r\n");
    EXPECT_EQ(ReadBytes(folder / "setting.ini"), "DebugModeFlag=1\r\n");
    EXPECT_EQ(ReadBytes(folder / "notes" / "a.txt"), "abc");
    EXPECT_TRUE(std::filesystem::exists(folder / "cg" / "red.png"));
    EXPECT_TRUE(std::filesystem::exists(folder / "extra.gxp"));
    GxMoa program;
    EXPECT_TRUE(ReadMoaProgram(ReadBytes(folder / "bincode" / "moacode.mwb"), program));
    EXPECT_NE(program.FindLabel(u"MAIN"), nullptr);

    // The table written explicitly keeps its rows; the other eight are comment-only.
    DBRPMode replays;
    EXPECT_TRUE(replays.LoadTable(Utf8ToWide((folder / "data" / "db_rpmode.txt").string())));
    EXPECT_EQ(replays.GetRow(1)->m_Label, u"*start");
    for (const char16_t* file : kTestTableFiles) {
        DBSystemVoice table;
        EXPECT_TRUE(table.LoadTable(Utf8ToWide((folder / "data" / WideToUtf8(file)).string()))) << Utf8(file);
    }
}

TEST_F(DataTest, GameFolderReportsWhatItCouldNotBuild)
{
    TestGameFolder game(m_Temp.Join("game"));
    game.Script("IF ($x) {\n");
    EXPECT_FALSE(game.Ok());
    game.File("notes", "file").File("notes/inside.txt", "x");   // a file where a folder must go
    EXPECT_GE(game.Errors().size(), 2u);
}

}  // namespace
}  // namespace data_test
