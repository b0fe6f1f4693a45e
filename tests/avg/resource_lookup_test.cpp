// [Adventure] resource names resolved by extension (loose files before pack entries), a
// character's voice file, a music file's loop position, the gallery's counts and the replay
// labels, over files in a game folder and rows put into the process's tables.
#include "avg/resource_lookup.h"

#include "data/data_tables.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A game folder entered for the test, with loose files and one registered pack.
class LookupFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_Previous = fs::current_path();
        fs::current_path(m_Temp.Path());
        ResetDataTables();
    }
    void TearDown() override
    {
        GxFile::ReleasePacks();
        ResetDataTables();
        fs::current_path(m_Previous);
    }

    static void Loose(const std::string& path)
    {
        if (fs::path(path).has_parent_path())
            fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path) << "x";
    }
    void Pack(std::initializer_list<const char16_t*> names)
    {
        TestPackBuilder builder;
        for (const char16_t* name : names)
            builder.Add(name, std::string_view("x"));
        builder.Write("game.gxp");
        ASSERT_TRUE(GxFile::AddPackFile(u"game.gxp"));
    }

    TestTempDir m_Temp{"tw_avg_lookup"};
    fs::path m_Previous;
};

TEST_F(LookupFolderTest, ResolversKeepAnExistingNameElseTakeTheFirstExtensionThatExists)
{
    Loose("cg/both.png");
    Loose("cg/both.jpg");
    Loose("cg/plain.bmp");
    Loose("cg/named.png.tga");
    Loose("cg/dual.dds");
    Loose("se/hit.wav");
    Loose("mv/op.avi");
    Loose("gnc/stand.gnc");
    Pack({u"cg/packed.jpg", u"cg/dual.png", u"se/hit.ogg"});
    struct Case {
        bool (*resolve)(std::u16string&);
        const char16_t* name;
        bool found;
        const char16_t* result;
    };
    const Case cases[] = {
        {&ResolveImageFile, u"cg/both", true, u"cg/both.png"},          // ".png" before ".jpg"
        {&ResolveImageFile, u"cg/packed", true, u"cg/packed.jpg"},      // a pack entry
        {&ResolveImageFile, u"cg/dual", true, u"cg/dual.png"},          // order first: ".png" in the pack
        {&ResolveImageFile, u"cg/plain", true, u"cg/plain.bmp"},
        {&ResolveImageFile, u"cg/both.jpg", true, u"cg/both.jpg"},      // an existing name stays
        {&ResolveImageFile, u"cg/named.png", true, u"cg/named.png.tga"},
        {&ResolveImageFile, u"cg/none", false, u"cg/none"},
        {&ResolveSoundFile, u"se/hit", true, u"se/hit.ogg"},            // ".ogg" first, even packed
        {&ResolveSoundFile, u"cg/both", false, u"cg/both"},
        {&ResolveMovieFile, u"mv/op", true, u"mv/op.avi"},
        {&ResolveMovieFile, u"mv/none", false, u"mv/none"},
        {&ResolveProjectFile, u"gnc/stand", true, u"gnc/stand.gnc"},
        {&ResolveProjectFile, u"cg/both", false, u"cg/both"},
    };
    for (const Case& c : cases) {
        std::u16string name = c.name;
        EXPECT_EQ(c.resolve(name), c.found) << WideToUtf8(c.name);
        EXPECT_EQ(name, c.result) << WideToUtf8(c.name);
    }
}

TEST_F(LookupFolderTest, CharacterVoicesAreSearchedFromTheSecondRowWithTheFolderAndTwoExtensions)
{
    Loose("v0/a001.ogg");   // row 0's folder: never searched
    Loose("v2/a001.wav");
    Loose("v3/a001.ogg");
    Loose("v3/b002");
    Loose("v4/c003.ogg");
    DBAvgChar& table = GetDBAvgChar();
    table.GetRow(0)->m_VoicePath = u"v0/";
    table.GetRow(1)->m_VoicePath = u"*";
    table.GetRow(2)->m_VoicePath = u"v2/";
    table.GetRow(3)->m_VoicePath = u"v3/";
    table.GetRow(79)->m_VoicePath = u"v4/";
    struct Case {
        const char16_t* voice;
        std::int32_t row;
        const char16_t* result;
    };
    const Case cases[] = {
        {u"a001", 2, u"v2/a001.wav"},   // the first row that has it, whatever the extension
        {u"b002", 3, u"v3/b002"},       // as it is
        {u"c003", 79, u"v4/c003.ogg"},  // the last row is searched
        {u"zzz", 0, u"zzz"},
    };
    for (const Case& c : cases) {
        std::u16string voice = c.voice;
        EXPECT_EQ(FindCharacterVoice(voice), c.row) << WideToUtf8(c.voice);
        EXPECT_EQ(voice, c.result) << WideToUtf8(c.voice);
    }
}

TEST(TableLookupTest, LoopPositionsMatchTheFileNameExactly)
{
    ResetDataTables();
    DBBGMMode& table = GetDBBGMMode();
    table.GetRow(0)->m_FileName = u"theme";
    table.GetRow(0)->m_LoopPosTime = 1;
    table.GetRow(1)->m_FileName = u"Theme.ogg";
    table.GetRow(1)->m_LoopPosTime = 2;
    table.GetRow(59)->m_FileName = u"theme.ogg";
    table.GetRow(59)->m_LoopPosTime = 1234;
    EXPECT_EQ(FindBgmLoopPosTime(u"bgms/theme.ogg"), 1234u);
    EXPECT_EQ(FindBgmLoopPosTime(u"C:\\bgms\\theme.ogg"), 1234u);
    EXPECT_EQ(FindBgmLoopPosTime(u"bgms/other.ogg"), 0u);
    ResetDataTables();
}

TEST(TableLookupTest, GalleryCountsFillOnlyRowsWithAFirstPictureAndNoCount)
{
    ResetDataTables();
    DBCGMode& table = GetDBCGMode();
    DBCGModeRow* counted = table.GetRow(0);
    counted->m_FileName[0] = u"a";
    counted->m_FileName[5] = u"b";
    counted->m_FileName[31] = u"c";
    DBCGModeRow* given = table.GetRow(1);
    given->m_FileName[0] = u"a";
    given->m_Count = 7;
    DBCGModeRow* noFirst = table.GetRow(2);
    noFirst->m_FileName[1] = u"b";
    CountCGFiles();
    EXPECT_EQ(counted->m_Count, 3);
    EXPECT_EQ(given->m_Count, 7);
    EXPECT_EQ(noFirst->m_Count, 0);
    ResetDataTables();
}

TEST(TableLookupTest, ReplayLabelsMatchExactlyAndEmptyLabelsNever)
{
    ResetDataTables();
    GetDBRPMode().GetRow(3)->m_Label = u"ep1";
    GetDBRPMode().GetRow(199)->m_Label = u"ep2";
    EXPECT_TRUE(IsReplayLabel(u"ep1"));
    EXPECT_TRUE(IsReplayLabel(u"ep2"));
    EXPECT_FALSE(IsReplayLabel(u"EP1"));
    EXPECT_FALSE(IsReplayLabel(u"ep"));
    EXPECT_FALSE(IsReplayLabel(u""));
    ResetDataTables();
}

}  // namespace
