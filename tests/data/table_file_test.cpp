// The table file format and the schema-driven reader, through the nine tables.
#include "data_fixture.h"

#include "data/data_tables.h"

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace data_test {
namespace {



TestTableBuilder ReplayTable()
{
    TestTableBuilder table;
    table.Comment(u"ID\tGroup\tThumbnail\tLabel\tHelp")
        .Row({u"1", u"2", u"thumb/開始.png", u"*序章", u"最初の場面"})
        .Raw(u"")
        .Row({u"*", u"0", u"", u"*終章", u"「終わり」"});
    return table;
}

TEST_F(DataTest, EveryEncodingLoadsTheSameRows)
{
    const TestTableBuilder table = ReplayTable();
    DBRPMode utf16;
    ASSERT_TRUE(utf16.LoadTable(WriteTable("utf16.txt", table, TestTableEncoding::kUtf16LE)));
    EXPECT_EQ(utf16.GetMaxID(), 2);
    EXPECT_EQ(utf16.GetRow(1)->m_Group, 2);
    EXPECT_EQ(Utf8(utf16.GetRow(1)->m_Thumbnail), "thumb/開始.png");
    EXPECT_EQ(Utf8(utf16.GetRow(2)->m_Label), "*終章");
    EXPECT_EQ(Utf8(utf16.GetRow(2)->m_Help), "「終わり」");

    for (TestTableEncoding encoding : {TestTableEncoding::kUtf8, TestTableEncoding::kCodePage}) {
        DBRPMode other;
        ASSERT_TRUE(other.LoadTable(WriteTable("other.txt", table, encoding)));
        EXPECT_EQ(other.GetMaxID(), utf16.GetMaxID());
        for (std::int32_t id = 0; id < 3; ++id) {
            const DBRPModeRow* a = utf16.GetRow(id);
            const DBRPModeRow* b = other.GetRow(id);
            EXPECT_EQ(a->m_ID, b->m_ID);
            EXPECT_EQ(a->m_Group, b->m_Group);
            EXPECT_EQ(a->m_Thumbnail, b->m_Thumbnail);
            EXPECT_EQ(a->m_Label, b->m_Label) << "row " << id;
            EXPECT_EQ(a->m_Help, b->m_Help) << "row " << id;
        }
    }
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(DataTest, RefusedFilesKeepOnlyTheirName)
{
    const std::string bigEndian = std::string("\xFE\xFF\0" "1\0\t\0" "2", 7);
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"be.txt", bigEndian}, {"zero.txt", ""}}) {
        DBRPMode table;
        const std::u16string path = WriteBytes(name, bytes);
        EXPECT_FALSE(table.LoadTable(path)) << name;
        EXPECT_EQ(table.GetFileName(), path);
        EXPECT_EQ(table.GetMaxID(), -1);
        EXPECT_EQ(table.GetRow(1)->m_Group, 0);
        EXPECT_EQ(m_Log.Count(name), 0) << name;   // refused without a message of the reader's own
    }
    DBRPMode missing;
    EXPECT_FALSE(missing.LoadTable(Utf8ToWide(m_Temp.Join("absent.txt").string())));
    EXPECT_EQ(m_Log.Count("absent.txt"), 1);
}

TEST_F(DataTest, CarriageReturnsAndFormFeedsVanishAndNulEndsTheText)
{
    static const char kText[] = "1\t2\rx\fy\tt\r\n2\t5\tu\0\n3\t1\tlost\n";
    const std::string text(kText, sizeof kText - 1);
    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
        utf16.push_back(c);
        utf16.push_back('\0');
    }
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"eight.txt", text}, {"wide.txt", utf16}}) {
        DBRPMode table;
        ASSERT_TRUE(table.LoadTable(WriteBytes(name, bytes))) << name;
        EXPECT_EQ(table.GetRow(1)->m_Group, 2) << name;   // "2xy"
        EXPECT_EQ(table.GetRow(1)->m_Thumbnail, u"t") << name;
        EXPECT_EQ(table.GetRow(2)->m_Thumbnail, u"u") << name;
        EXPECT_EQ(table.GetMaxID(), 2) << name;
    }
}

TEST_F(DataTest, CommentsAndEmptyLinesOnlyLoadNoRows)
{
    DBUIModule table;
    EXPECT_TRUE(table.LoadTable(WriteTable("comments.txt", TestTableBuilder().Comment(u"x").Raw(u"").Comment(u"1\t2"))));
    EXPECT_EQ(table.GetMaxID(), -1);
    EXPECT_FALSE(table.HasDuplicateName());
}

// One file exercising every line rule, checked row by row.
TEST_F(DataTest, LineRulesOfTheModuleTable)
{
    Fields full = {u"22"};
    for (int field = 2; field <= 14; ++field)
        full.push_back(field == 3 ? u"long" : std::u16string(u"1") + char16_t(u'0' + field % 10));
    full.push_back(u"surplus\tmore\t9");

    TestTableBuilder table;
    table.Comment(u"ID\tUIType\tName")
        .Raw(u" #x\t1\tzero")
        .Row({u"5", u"1", u"five"})
        .Row({u"2", u"1", u"two"})
        .Row({u"*", u"1", u"six"})
        .Row({u"010", u"1", u"eight"})
        .Row({u"0x10", u"1", u"sixteen"})
        .Row({u"20", u"1", u"\"a\\\"b\"tail", u"'single'x", u"\"open"})
        .Row({u"21", u"4", u"before", u"set", u"img", u"10", u"20"})
        .Row({u"21", u"7"})
        .Row(full)
        .Raw(u"\t9\tnoid")
        .Raw(u"")
        .Row({u"512", u"1", u"toolate"})
        .Row({u"30", u"1", u"after"});
    DBUIModule modules;
    const std::u16string path = WriteTable("rules.txt", table);
    EXPECT_FALSE(modules.LoadTable(path));
    ASSERT_EQ(m_Log.errors.size(), 1u);
    EXPECT_EQ(m_Log.errors[0], "DBUIModule/ID out of range[" + Utf8(path) + "/512]\n");

    EXPECT_EQ(Utf8(modules.GetRow(0)->m_Name), "zero");
    EXPECT_EQ(Utf8(modules.GetRow(6)->m_Name), "six");   // max ID + 1, not previous + 1
    EXPECT_EQ(Utf8(modules.GetRow(8)->m_Name), "eight");
    EXPECT_EQ(Utf8(modules.GetRow(16)->m_Name), "sixteen");
    EXPECT_EQ(modules.GetRow(20)->m_Name, std::u16string(u"a\\\"b"));
    EXPECT_EQ(modules.GetRow(20)->m_ImageSetName, u"single");
    EXPECT_EQ(modules.GetRow(20)->m_ImageName, u"open");

    const DBUIModuleRow* shortRow = modules.GetRow(21);   // overwritten whole by the short line
    EXPECT_EQ(shortRow->m_UIType, 7);
    EXPECT_EQ(shortRow->m_Name, u"");
    EXPECT_EQ(shortRow->m_ImageSetName, u"");
    EXPECT_EQ(shortRow->m_Width, 0);
    EXPECT_EQ(shortRow->m_Height, 0);

    const DBUIModuleRow* longRow = modules.GetRow(22);
    EXPECT_EQ(longRow->m_Name, u"long");
    EXPECT_EQ(longRow->m_AnimeSpeed, 14);   // the last field ends at its TAB

    EXPECT_EQ(modules.GetMaxID(), 22);
    EXPECT_EQ(modules.FindIDByName(u"noid", -1), -1);
    EXPECT_EQ(modules.FindIDByName(u"after", -1), -1);   // lines after the failure are not read
    EXPECT_EQ(modules.FindIDByName(u"five", -1), 5);
}

TEST_F(DataTest, IdTexts)
{
    struct Case {
        std::u16string text;
        std::int32_t row;   // -1: refused as out of range
    };
    const Case cases[] = {
        {u"7", 7},     {u"  4", 4},       {u"0b101", 5},  {u"0X1f", 31}, {u"12abc", 12},
        {u"＋3", 3},   {u"－1", -1},      {u"-0", 0},     {u"200", -1},  {u"0x100000001", -1},
    };
    for (const Case& c : cases) {
        DBRPMode table;
        m_Log.errors.clear();
        const bool loaded = table.LoadTable(WriteTable("id.txt", TestTableBuilder().Row({c.text, u"1", u"", u"label"})));
        if (c.row < 0) {
            EXPECT_FALSE(loaded) << Utf8(c.text);
            EXPECT_EQ(m_Log.Count("DBRPMode/ID out of range"), 1) << Utf8(c.text);
            EXPECT_EQ(table.GetMaxID(), -1);
        } else {
            EXPECT_TRUE(loaded) << Utf8(c.text);
            EXPECT_EQ(table.GetMaxID(), c.row) << Utf8(c.text);
            EXPECT_EQ(table.GetRow(c.row)->m_Label, u"label") << Utf8(c.text);
            EXPECT_EQ(table.GetRow(c.row)->m_ID, c.row);
        }
    }
}

TEST_F(DataTest, SecondLoadAddsToTheFirst)
{
    DBUIModule modules;
    ASSERT_TRUE(modules.LoadTable(WriteTable("a.txt", TestTableBuilder().Row({u"3", u"1", u"a"}).Row({u"9", u"1", u"b"}))));
    const std::u16string second = WriteTable("b.txt", TestTableBuilder().Row({u"1", u"2", u"c"}).Row({u"*", u"2", u"d"}));
    ASSERT_TRUE(modules.LoadTable(second));
    EXPECT_EQ(modules.GetFileName(), second);
    EXPECT_EQ(modules.GetMaxID(), 10);   // "*" continues after the first file's max ID
    EXPECT_EQ(modules.FindIDByName(u"a", 0), 3);
    EXPECT_EQ(modules.FindIDByName(u"b", 0), 9);
    EXPECT_EQ(modules.FindIDByName(u"c", 0), 1);
    EXPECT_EQ(modules.FindIDByName(u"d", 0), 10);
    EXPECT_EQ(modules.GetRow(3)->m_UIType, 1);
}

TEST_F(DataTest, DuplicateNamesKeepTheFirstId)
{
    DBUIModule modules;
    const std::u16string path = WriteTable("dup.txt", TestTableBuilder()
                                                          .Row({u"3", u"1", u"btn"})
                                                          .Row({u"5", u"1", u""})
                                                          .Row({u"6", u"1", u""})
                                                          .Row({u"7", u"2", u"btn"}));
    ASSERT_TRUE(modules.LoadTable(path));
    EXPECT_EQ(modules.FindIDByName(u"btn", 0), 3);
    EXPECT_EQ(modules.FindIDByNameStr(u"btn", 0), 3);
    EXPECT_EQ(modules.GetRow(7)->m_UIType, 2);   // the row itself is stored
    ASSERT_EQ(m_Log.errors.size(), 1u);
    EXPECT_EQ(m_Log.errors[0], "GxDBBase::AddNameMap/同じ名前キーがあるようです。テーブルを確認してください (File:" +
                                   Utf8(path) + "/Name:btn/ID=7)\n");
    EXPECT_TRUE(modules.HasDuplicateName());
    EXPECT_EQ(modules.FindIDByName(u"BTN", -4), -4);
    EXPECT_EQ(modules.FindIDByName(u"", -4), -4);
    EXPECT_EQ(modules.FindIDByNameStr(nullptr, -4), -4);
    EXPECT_FALSE(modules.AddNameMap(u"", 9));
    EXPECT_EQ(m_Log.errors.size(), 1u);

    DBUILayout layouts;
    ASSERT_TRUE(layouts.LoadTable(WriteTable("layout.txt", TestTableBuilder().Row({u"1", u"btn", u"0", u"btn", u"btn"}))));
    EXPECT_EQ(layouts.FindIDByName(u"btn", -2), -2);
}

TEST_F(DataTest, SchemaQueriesOfEveryTable)
{
    struct Case {
        std::function<std::unique_ptr<GxDBBase>()> make;
        std::int32_t rows;
        std::int32_t columns;
        const char16_t* lastColumn;
    };
    const Case cases[] = {
        {[] { return std::make_unique<DBKeyMap>(); }, 64, 9, u"Help"},
        {[] { return std::make_unique<DBAvgChar>(); }, 80, 8, u"Comment"},
        {[] { return std::make_unique<DBBGMMode>(); }, 60, 5, u"ButtonIndex"},
        {[] { return std::make_unique<DBCGMode>(); }, 200, 5, u"Count"},
        {[] { return std::make_unique<DBRPMode>(); }, 200, 5, u"Help"},
        {[] { return std::make_unique<DBUIModule>(); }, 512, 14, u"AnimeSpeed"},
        {[] { return std::make_unique<DBUILayout>(); }, 1024, 21, u"Descript"},
        {[] { return std::make_unique<DBVoiceVolume>(); }, 32, 8, u"Comment"},
        {[] { return std::make_unique<DBSystemVoice>(); }, 32, 4, u"VoiceFileName"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<GxDBBase> table = c.make();
        SCOPED_TRACE(Utf8(c.lastColumn) + " table of " + std::to_string(c.rows));
        EXPECT_EQ(table->GetMaxRows(), c.rows);
        EXPECT_EQ(table->GetColumnCount(), c.columns);
        EXPECT_EQ(table->GetMaxID(), -1);
        EXPECT_EQ(table->GetFileName(), u"");
        EXPECT_EQ(table->FieldByName(0, u"ID"), nullptr);
        EXPECT_EQ(table->ColumnIndex(u"ID"), 0);
        EXPECT_EQ(table->ColumnType(u"ID"), kDBTypeInt);
        EXPECT_EQ(table->ColumnIndex(c.lastColumn), c.columns - 1);
        EXPECT_NE(table->FieldByName(c.rows - 1, c.lastColumn), nullptr);
        for (const char16_t* unknown : {u"left", u"id", u"Nope", u""}) {
            EXPECT_EQ(table->ColumnIndex(unknown), -1);
            EXPECT_EQ(table->ColumnType(unknown), 0);
            EXPECT_EQ(table->ColumnArrayLength(unknown), 0);
            EXPECT_EQ(table->FieldByName(0, unknown), nullptr);
        }
        // Row indexes outside the slots answer null, never another row.
        for (std::int32_t bad : {-1, c.rows, std::numeric_limits<std::int32_t>::max()}) {
            EXPECT_EQ(table->GetRow(bad), nullptr);
            EXPECT_EQ(table->FieldByName(bad, c.lastColumn), nullptr);
        }
        EXPECT_NE(table->GetRow(0), nullptr);
    }
    EXPECT_EQ(m_Log.Count("/GetRow/"), 27);

    DBKeyMap keys;
    EXPECT_EQ(keys.ColumnIndex(u"Help"), 8);
    EXPECT_EQ(keys.ColumnArrayLength(u"KeyCodeStr"), 6);
    EXPECT_EQ(keys.ColumnArrayLength(u"Name"), 0);
    EXPECT_EQ(keys.FieldByName(3, u"KeyCodeStr"), &keys.GetRow(3)->m_KeyCodeStr[0]);
    EXPECT_EQ(keys.FieldByName(3, u"Help"), &keys.GetRow(3)->m_Help);
    EXPECT_EQ(DBBGMMode().ColumnType(u"LoopPosTime"), kDBTypeUInt);
    EXPECT_EQ(DBUILayout().ColumnType(u"Left"), kDBTypeFloat);
    EXPECT_EQ(DBUILayout().ColumnType(u"Text"), kDBTypeString);
    EXPECT_EQ(DBCGMode().ColumnArrayLength(u"FileName"), 32);
    EXPECT_EQ(DBSystemVoice().ColumnArrayLength(u"VoiceFileName"), 24);
}

TEST_F(DataTest, PictureLinesFillTheFileNameArray)
{
    Fields full = {u"4", u"2", u"thumb"};
    for (int element = 0; element < 32; ++element)
        full.push_back(u"pic" + Utf8ToWide(std::to_string(element)));
    full.push_back(u"32");
    Fields partial = {u"5", u"1", u"t"};
    for (int element = 0; element < 7; ++element)
        partial.push_back(u"p" + Utf8ToWide(std::to_string(element)));
    ASSERT_EQ(partial.size(), 10u);

    DBCGMode pictures;
    ASSERT_TRUE(pictures.LoadTable(WriteTable("cg.txt", TestTableBuilder().Row(full).Row(partial))));
    const DBCGModeRow* row = pictures.GetRow(4);
    EXPECT_EQ(row->m_Group, 2);
    EXPECT_EQ(row->m_FileName[0], u"pic0");
    EXPECT_EQ(row->m_FileName[31], u"pic31");
    EXPECT_EQ(row->m_Count, 32);
    const DBCGModeRow* shortRow = pictures.GetRow(5);
    EXPECT_EQ(shortRow->m_FileName[6], u"p6");
    EXPECT_EQ(shortRow->m_FileName[7], u"");
    EXPECT_EQ(shortRow->m_FileName[31], u"");
    EXPECT_EQ(shortRow->m_Count, 0);
}

TEST_F(DataTest, SystemVoiceLinesStartAtElementOne)
{
    Fields full = {u"2", u"all", u"voice/sys"};
    for (int number = 1; number <= 23; ++number)
        full.push_back(u"v" + Utf8ToWide(std::to_string(number)));
    full.push_back(u"dropped");
    DBSystemVoice voices;
    ASSERT_TRUE(voices.LoadTable(WriteTable("sv.txt", TestTableBuilder()
                                                          .Row({u"1", u"one", u"voice/a", u"a_001.ogg"})
                                                          .Row(full))));
    const DBSystemVoiceRow* one = voices.GetRow(1);
    EXPECT_EQ(one->m_VoicePath, u"voice/a");
    EXPECT_EQ(one->m_VoiceFileName[0], u"");
    EXPECT_EQ(one->m_VoiceFileName[1], u"a_001.ogg");
    EXPECT_EQ(one->m_VoiceFileName[2], u"");
    const DBSystemVoiceRow* two = voices.GetRow(2);
    EXPECT_EQ(two->m_VoiceFileName[0], u"");
    EXPECT_EQ(two->m_VoiceFileName[1], u"v1");
    EXPECT_EQ(two->m_VoiceFileName[23], u"v23");
}

TEST_F(DataTest, NumberColumns)
{
    DBBGMMode music;
    ASSERT_TRUE(music.LoadTable(WriteTable("bgm.txt", TestTableBuilder()
                                                          .Row({u"1", u"a", u"bgm01", u"0xFFFFFFFF", u"-2"})
                                                          .Row({u"2", u"b", u"bgm02", u"-1", u"0x7FFFFFFF"})
                                                          .Row({u"3", u"c", u"bgm03", u"4294967297", u"010"}))));
    EXPECT_EQ(music.GetRow(1)->m_LoopPosTime, 0xFFFFFFFFu);
    EXPECT_EQ(music.GetRow(1)->m_ButtonIndex, -2);
    EXPECT_EQ(music.GetRow(2)->m_LoopPosTime, 0xFFFFFFFFu);
    EXPECT_EQ(music.GetRow(2)->m_ButtonIndex, 0x7FFFFFFF);
    EXPECT_EQ(music.GetRow(3)->m_LoopPosTime, 1u);   // cut to 32 bits
    EXPECT_EQ(music.GetRow(3)->m_ButtonIndex, 8);

    DBUILayout layouts;
    ASSERT_TRUE(layouts.LoadTable(WriteTable("layout.txt", TestTableBuilder()
        .Row({u"1", u"", u"0", u"m", u"t", u"0", u"1", u"1", u"1", u"12.5", u"0x10", u" -3.5e1"})
        .Row({u"2", u"", u"0", u"m", u"t", u"0", u"1", u"1", u"1", u"abc", u"inf", u"1e39"}))));
    EXPECT_EQ(layouts.GetRow(1)->m_Left, 12.5f);
    EXPECT_EQ(layouts.GetRow(1)->m_Top, 0.0f);
    EXPECT_EQ(layouts.GetRow(1)->m_OrderZ, -35.0f);
    EXPECT_EQ(layouts.GetRow(2)->m_Left, 0.0f);
    EXPECT_EQ(layouts.GetRow(2)->m_Top, 0.0f);
    EXPECT_TRUE(std::isinf(layouts.GetRow(2)->m_OrderZ));
}

TEST(DecimalFloat, ScansOnlyADecimalPrefix)
{
    struct Case {
        const char16_t* text;
        float value;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {u"12.5", 12.5f}, {u"0x10", 0.0f},   {u" -3.5e1", -35.0f}, {u"\t+2", 2.0f},   {u"abc", 0.0f},
        {u"inf", 0.0f},   {u"nan", 0.0f},    {u"", 0.0f},          {u".5", 0.5f},     {u"5.", 5.0f},
        {u".", 0.0f},     {u"1,5", 1.0f},    {u"5e", 5.0f},        {u"5e+", 5.0f},    {u"2E2x", 200.0f},
        {u"1e39", inf},   {u"-1e39", -inf},  {u"1e-50", 0.0f},     {u"1e99999", inf}, {u"-", 0.0f},
        {u"0.1", 0.1f},   {u"－1", 0.0f},    {u"3.4028235e38", std::numeric_limits<float>::max()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseDecimalFloatWide(c.text), c.value) << Utf8(c.text);
    EXPECT_EQ(ParseDecimalFloatWide(nullptr), 0.0f);
}

}  // namespace
}  // namespace data_test
