#include "files_fixture.h"

#include "foundation/ini_file.h"

TEST_F(FilesTest, IniFixtureLinesKeysAndValues)
{
    WriteFile("system/sysconf.ini",
              "  Title = Tarnwick Demo  \r\n"
              "Title=second definition\r\n"
              ";Comment=1\n"
              "[Section]=x\n"
              "no equal sign here\n"
              "Empty=\n"
              "K==a=b\n"
              "title=lower case is another key\n"
              "Hex=0x1F\n"
              "Bin=0b101\n"
              "Octal=010\n"
              "Minus=\x81\x7C" "5\n"   // full-width minus U+FF0D in code page 932
              "Trailing=12abc\n"
              "Word=yes\n"
              "Two=2\n"
              "Zero=0\n"
              "Negative=-1\n"
              "Color=0xFF00FF00FF\n"
              "Name=\x93\xfa\x96\x7b\n"
              "\tTabbed\t=\tvalue\t\r\n");
    GxINIFile ini;
    ASSERT_TRUE(ini.Parse(u"system\\sysconf.ini"));
    EXPECT_EQ(ini.GetString(u"Title", u"default"), u"Tarnwick Demo");
    EXPECT_EQ(ini.GetString(u"title", u"default"), u"lower case is another key");
    EXPECT_EQ(ini.GetString(u";Comment", u""), u"1");
    EXPECT_EQ(ini.GetString(u"[Section]", u""), u"x");
    EXPECT_EQ(ini.GetString(u"Empty", u"default"), u"");
    EXPECT_EQ(ini.GetString(u"K", u""), u"=a=b");
    EXPECT_EQ(ini.GetString(u"Tabbed", u""), u"value");
    EXPECT_EQ(ini.GetString(u"Name", u""), u"日本");
    EXPECT_EQ(ini.GetString(u"Missing", u"default"), u"default");
    EXPECT_FALSE(ini.HasKey(u"no equal sign here"));

    struct IntCase {
        const char16_t* key;
        std::int32_t expected;
    } ints[] = {{u"Hex", 31}, {u"Bin", 5},      {u"Octal", 10}, {u"Minus", -5},
                {u"Trailing", 12}, {u"Word", 0}, {u"Empty", 0},  {u"Missing", 77}};
    for (const IntCase& c : ints)
        EXPECT_EQ(ini.GetInt(c.key, 77), c.expected) << "case " << (&c - ints);
    EXPECT_EQ(ini.GetInt64(u"Color", 7), 0xFF00FF00FFll);
    EXPECT_EQ(ini.GetInt64(u"Missing", 7), 7);

    struct BoolCase {
        const char16_t* key;
        bool expected;
    } bools[] = {{u"Two", true}, {u"Zero", false}, {u"Negative", false}, {u"Word", false}, {u"Hex", false}};
    for (const BoolCase& c : bools)
        EXPECT_EQ(ini.GetBool(c.key, true), c.expected);
    EXPECT_TRUE(ini.GetBool(u"Missing", true));

    // Parsing again replaces everything; a missing file leaves the map empty.
    EXPECT_FALSE(ini.Parse(u"setting.ini", true));
    EXPECT_TRUE(m_Log.lines.empty());
    EXPECT_EQ(ini.GetString(u"Title", u"gone"), u"gone");
    EXPECT_FALSE(ini.Parse(u"setting.ini"));
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_EQ(m_Log.lines[0], u"File open error:setting.ini\n");
}

TEST_F(FilesTest, IniReadFromAPackAndStopsAtANul)
{
    TestPackBuilder builder;
    builder.SetScrambled(true).Add(u"setting.ini", std::string_view("A=1\nB=2\0C=3\n", 12));
    ASSERT_TRUE(builder.Write("system.gxp"));
    ASSERT_TRUE(GxFile::AddPackFile(u"system.gxp"));
    GxINIFile ini;
    ASSERT_TRUE(ini.Parse(u"SETTING.INI"));
    EXPECT_EQ(ini.GetInt(u"A", 0), 1);
    EXPECT_EQ(ini.GetInt(u"B", 0), 2);
    EXPECT_FALSE(ini.HasKey(u"C"));
}

TEST(ParseNumber, PrefixesSignsBasesAndDigitLimits)
{
    struct Case {
        const char16_t* text;
        int base;
        bool octalOff;
        std::int64_t expected32;
        std::int64_t expected64;
        std::size_t end32;   // units taken by the 32-bit form
    } cases[] = {
        {u"  \t42", 0, true, 42, 42, 5},
        {u"0x1F", 0, true, 31, 31, 4},
        {u"0X1f", 16, true, 31, 31, 4},
        {u"1f", 16, true, 31, 31, 2},
        {u"0b101", 0, true, 5, 5, 5},
        {u"101", 2, true, 5, 5, 3},
        {u"010", 0, true, 10, 10, 3},
        {u"010", 0, false, 8, 8, 3},
        {u"017", 8, true, 15, 15, 3},
        {u"089", 0, false, 0, 0, 1},     // octal: the 8 stops it
        {u"－5", 0, true, -5, -5, 2},     // full-width minus
        {u"＋7", 0, true, 7, 7, 2},
        {u"-2147483648", 0, true, INT32_MIN, -2147483648ll, 11},
        {u"4294967297", 0, true, 1, 4294967297ll, 10},   // cut to 32 bits
        {u"12345678901", 0, true, 1234567890, 12345678901ll, 10},
        {u"0x123456789", 0, true, 0x12345678, 0x123456789ll, 10},
        {u"yz", 35, true, 34, 34, 1},
        {u"12", 36, true, 0, 0, 0},
        {u"-12", 1, true, 0, 0, 1},      // the end stays after the sign
        {u"12abc", 0, true, 12, 12, 2},
        {u"word", 0, true, 0, 0, 0},
        {u"", 0, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const char16_t* end = nullptr;
        EXPECT_EQ(ParseNumberWide(c.text, &end, c.base, c.octalOff), c.expected32) << "case " << (&c - cases);
        EXPECT_EQ(static_cast<std::size_t>(end - c.text), c.end32) << "case " << (&c - cases);
        EXPECT_EQ(ParseNumber64Wide(c.text, nullptr, c.base, c.octalOff), c.expected64) << "case " << (&c - cases);
    }
    EXPECT_EQ(ParseNumber64Wide(u"-9223372036854775808", nullptr, 10, true), INT64_MIN);
    const char16_t* end = nullptr;
    EXPECT_EQ(ParseNumber64Wide(u"0x7FFFFFFFFFFFFFFF12", &end, 0, true), INT64_MAX);
    EXPECT_EQ(*end, u'1');   // 16 hexadecimal digits at most
    EXPECT_EQ(ParseNumber64Wide(u"99999999999999999999", nullptr, 0, true), static_cast<std::int64_t>(9999999999999999999ull));
}
