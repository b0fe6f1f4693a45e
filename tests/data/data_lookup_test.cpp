// The process-wide tables: the start-up load and the picture-name split, and the look-ups.
#include "data_fixture.h"

#include "data/data_lookup.h"
#include "data/data_services.h"
#include "data/data_tables.h"
#include "tests/support/game_folder.h"

#include <unistd.h>

namespace data_test {
namespace {

class TablesTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        ResetDataTables();
    }
    void TearDown() override
    {
        ResetDataTables();
        DataTest::TearDown();
    }
};

// Enters a folder for the scope: the tables are read from "data/" of the working folder.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder) : m_Previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(m_Previous); }

private:
    std::filesystem::path m_Previous;
};

TEST_F(TablesTest, PictureNamesSplitBetweenTheTwoTables)
{
    Fields row = {u"0", u"1", u"thumb", u"pic|L T|x|extra", u"", u"solo", u"two|L T", u"|only|place"};
    TestGameFolder game(m_Temp.Join("game"));
    game.Table(u"db_cgmode.txt", TestTableBuilder().Row(row).Row({u"3", u"1", u"t", u"", u"cg/late|1 2|3"})).EmptyTables();
    ASSERT_TRUE(game.Ok());
    std::filesystem::remove(game.Path() / "data" / "db_keymap.txt");
    {
        InFolder inGame(game.Path());
        LoadDataTables();
        SplitCGFileNames();
    }
    const DBCGModeRow* pictures = GetDBCGMode().GetRow(0);
    const DBCGModeRow* places = GetDBCGModePlacement().GetRow(0);
    const std::pair<std::u16string, std::u16string> expected[] = {
        {u"pic", u"L T|x"}, {u"", u""}, {u"solo", u"|"}, {u"two", u"L T|"}, {u"", u"only|place"}, {u"", u""},
    };
    for (std::size_t element = 0; element < std::size(expected); ++element) {
        EXPECT_EQ(pictures->m_FileName[element], expected[element].first) << element;
        EXPECT_EQ(places->m_FileName[element], expected[element].second) << element;
    }
    EXPECT_EQ(GetDBCGMode().GetRow(3)->m_FileName[1], u"cg/late");
    EXPECT_EQ(GetDBCGModePlacement().GetRow(3)->m_FileName[1], u"1 2|3");
    // Every table was read from its file; without a key map file it is not even tried.
    EXPECT_EQ(GetDBKeyMap().GetFileName(), u"");
    EXPECT_EQ(GetDBSystemVoice().GetFileName(), u"data/db_systemvoice.txt");
    EXPECT_EQ(GetDBCGModePlacement().GetFileName(), u"data/db_cgmode.txt");
    EXPECT_TRUE(m_Log.errors.empty());

    std::int32_t found = -1, element = -1;
    EXPECT_TRUE(FindCGByFileName(u"cg/ev/PIC.png", &found, &element));
    EXPECT_EQ(found, 0);
    EXPECT_EQ(element, 0);
    EXPECT_TRUE(FindCGByFileName(u"Two", &found, &element));
    EXPECT_EQ(element, 3);
    // The file title drops the folder: a stored name with a folder is never matched.
    EXPECT_FALSE(FindCGByFileName(u"cg/late.png", &found, &element));
    EXPECT_EQ(found, 0);
    EXPECT_EQ(element, 0);
    EXPECT_FALSE(FindCGByFileName(u"", &found, &element));
    EXPECT_TRUE(FindCGByFileName(u"solo.a.b", nullptr, nullptr));
}

TEST_F(TablesTest, KeyMapIsLoadedWhenItsFileExists)
{
    TestGameFolder game(m_Temp.Join("game"));
    game.Table(u"db_keymap.txt", TestTableBuilder().Row({u"1", u"ok", u"OK", u"1", u"0", u"0", u"0", u"KC_KEYB_RETURN"}))
        .EmptyTables();
    ASSERT_TRUE(game.Ok());
    InFolder inGame(game.Path());
    LoadDataTables();
    EXPECT_EQ(GetDBKeyMap().GetFileName(), u"data/db_keymap.txt");
    EXPECT_EQ(GetDBKeyMap().FindIDByName(u"ok", 0), 1);
    EXPECT_EQ(GetDBKeyMap().GetRow(1)->m_KeyCodeStr[0], u"KC_KEYB_RETURN");
}

TEST_F(TablesTest, PicturesMatchIgnoringTheCaseOfAsciiLettersOnly)
{
    ASSERT_TRUE(GetDBCGMode().LoadTable(WriteTable("cg.txt", TestTableBuilder()
                                                                  .Row({u"2", u"0", u"", u"", u"Ev_01", u"ÄBC"})
                                                                  .Row({u"5", u"0", u"", u"ev_01", u"ev_02"}))));
    struct Case {
        const char16_t* name;
        bool found;
        std::int32_t row;
        std::int32_t element;
    };
    const Case cases[] = {
        {u"EV_01.png", true, 2, 1},      {u"folder\\ev_02.jpg", true, 5, 1}, {u"äbc", false, 0, 0},
        {u"ÄBC.png", true, 2, 2},        {u"ev_0", false, 0, 0},             {u"ev_01x", false, 0, 0},
    };
    for (const Case& c : cases) {
        std::int32_t row = -1, element = -1;
        EXPECT_EQ(FindCGByFileName(c.name, &row, &element), c.found) << Utf8(c.name);
        EXPECT_EQ(row, c.row) << Utf8(c.name);
        EXPECT_EQ(element, c.element) << Utf8(c.name);
    }
}

TEST_F(TablesTest, CharactersAndLayoutsAreFoundByExactName)
{
    ASSERT_TRUE(GetDBAvgChar().LoadTable(WriteTable("chars.txt", TestTableBuilder()
                                                                      .Row({u"1", u""})
                                                                      .Row({u"4", u"Mio", u"2", u"stand/mio"})
                                                                      .Row({u"6", u"Mio"}))));
    EXPECT_EQ(FindAvgCharByName(u"Mio"), 4);
    EXPECT_EQ(FindAvgCharByName(u"mio"), -1);
    EXPECT_EQ(FindAvgCharByName(u""), -1);   // empty names never match, even blank rows

    ASSERT_TRUE(GetDBUILayout().LoadTable(WriteTable("layout.txt", TestTableBuilder()
                                                                        .Row({u"2", u"", u"0", u"m", u"msgwin"})
                                                                        .Row({u"1", u"", u"0", u"m", u"menu"})
                                                                        .Row({u"9", u"", u"0", u"m", u"menu"}))));
    EXPECT_EQ(FindUILayout(u"menu"), GetDBUILayout().GetRow(1));
    EXPECT_EQ(FindUILayout(u"msgwin"), GetDBUILayout().GetRow(2));
    EXPECT_TRUE(m_Log.errors.empty());
    EXPECT_EQ(FindUILayout(u"MENU"), nullptr);
    EXPECT_EQ(FindUILayout(u""), nullptr);
    ASSERT_EQ(m_Log.errors.size(), 2u);
    EXPECT_EQ(m_Log.errors[0], "UIレイアウトデータ[MENU]が見つかりません:SeqAvgMain\n");
}

TEST_F(TablesTest, ResetGivesBlankTables)
{
    ASSERT_TRUE(GetDBUIModule().LoadTable(WriteTable("m.txt", TestTableBuilder().Row({u"3", u"1", u"a"}).Row({u"4", u"1", u"a"}))));
    ResetDataTables();
    EXPECT_EQ(GetDBUIModule().GetMaxID(), -1);
    EXPECT_EQ(GetDBUIModule().FindIDByName(u"a", 0), 0);
    EXPECT_FALSE(GetDBUIModule().HasDuplicateName());
    EXPECT_EQ(GetDBUIModule().GetRow(3)->m_Name, u"");
    EXPECT_EQ(GetDBUIModule().GetFileName(), u"");
}

}  // namespace
}  // namespace data_test
