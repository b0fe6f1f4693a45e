// Writes the seed corpora of fuzz_permanent_data and fuzz_game_data (tests/fuzz/corpus/). Run
// once when a file format changes; the files are committed:
//   test_data --gtest_also_run_disabled_tests --gtest_filter=SavedDataFuzzCorpus.*
#include "save_fixture.h"

#include "data/saved_script.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "script/moa.h"
#include "script/worker.h"

namespace data_test {
namespace {

const std::filesystem::path kCorpus = std::filesystem::path(TW_SOURCE_DIR) / "tests" / "fuzz" / "corpus";

void Save(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

// The file cut to half its length.
void SaveCut(const std::filesystem::path& path, const std::string& bytes)
{
    Save(path, bytes.substr(0, bytes.size() / 2));
}

TEST(SavedDataFuzzCorpus, DISABLED_WriteSeeds)
{
    TestTempDir temp;
    GxMoa moa;
    GxMoaWorker worker(&moa);
    GxMoaVariable value;
    value.SetInt64(7);
    moa.GetVariableTable().Entries().emplace_back(u"perman", 8, value);
    moa.GetVariableTable().Entries().emplace_back(u"ingame", 9, value);
    worker.GetValueStack().push_back(value);
    SetSavedDataScript(&moa, &worker);

    GxUserDataPerman flags;
    flags.SetPermanentFlag(u"main", 1);
    flags.SetPermanentFlag(u"main", 70);
    flags.m_ReadedMessageFlags[u"empty"];
    flags.SetMenuSelected(u"menu", 2);
    flags.m_PassedReplayLabels.insert(u"*rp");
    flags.SetCGShown(u"cg/ev01.png");
    flags.m_ExtraOption = 1u << 10;
    for (bool binary : {true, false}) {
        const std::filesystem::path file = temp.Path() / "permanent.dat";
        ASSERT_TRUE(SavePermanentData(&flags, Utf8ToWide(file.string()), binary));
        const std::string bytes = ReadAll(file);
        Save(kCorpus / "permanent_data" / (binary ? "flags.bpd" : "flags.tpd"), bytes);
        SaveCut(kCorpus / "permanent_data" / (binary ? "cut.bpd" : "cut.tpd"), bytes);
    }
    GxUserDataPerman none;
    ASSERT_TRUE(SavePermanentData(&none, Utf8ToWide((temp.Path() / "empty.dat").string()), true));
    Save(kCorpus / "permanent_data" / "empty.bpd", ReadAll(temp.Path() / "empty.dat"));

    GxUserData game;
    game.m_GameDataTitle = u"title";
    game.m_IsSelecting = true;
    game.m_SelectMenuItemList[1].m_Text = u"choice";
    game.AddMessageLog(u"Mio", u"line", false, false);
    game.m_NoticeList.emplace_back();
    for (bool binary : {true, false}) {
        const std::filesystem::path file = temp.Path() / "gamedata001.gd";
        ASSERT_TRUE(SaveGameData(&game, Utf8ToWide(file.string()), binary));
        const std::string bytes = ReadAll(file);
        Save(kCorpus / "game_data" / (binary ? "game.bgd" : "game.tgd"), bytes);
        SaveCut(kCorpus / "game_data" / (binary ? "cut.bgd" : "cut.tgd"), bytes);
    }
    SetSavedDataScript(nullptr, nullptr);
    const std::string golden = ReadAll(std::filesystem::path(TW_SOURCE_DIR) / "tests/data/fixtures/gamedata_golden.tgd");
    ASSERT_FALSE(golden.empty());
    Save(kCorpus / "game_data" / "golden.tgd", golden);
    std::string surplus = golden;
    const std::string list = "m_SelectMenuItemList\t\t11\t{\n";
    const std::size_t at = surplus.find(list);
    ASSERT_NE(at, std::string::npos);
    surplus.replace(at, list.size(), "m_SelectMenuItemList\t\t12\t{\n" + std::string("1a\tm_Text\t1\t\"x\"\n1a\tm_Label\t0\t\"\"\n"
                                     "0b\tm_Enable\t1\n0b\tm_Visible\t1\n0b\tm_BeforeSelected\t0\n0b\tm_UseGosub\t0\n"));
    Save(kCorpus / "game_data" / "surplus_choices.tgd", surplus);
}

}  // namespace
}  // namespace data_test
