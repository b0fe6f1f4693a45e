// [Play-screen state] what a saved game carries of the play screen: the sounds (and what a save
// drops from the live records), the six layers and the stand layers by character, the windows
// with the configured margin and the player's opacity after a load, the choice buttons and their
// colours, a whole rich state through save and load, a stand stratum without its layer, and a
// play screen missing a part.
#include "ui_test_support.h"

#include "core/task_folder.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/play_state_services.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "tests/support/ui/harness/play_screen_tree.h"
#include "ui/message_window.h"
#include "ui/ui_text_button.h"
#include "ui/ui_text_panel_fx.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace ui_test {
namespace {

// The sound calls of a load, in order, with their arguments; the stops clear the records as the
// real channels do.
class SoundRecorder : public GxPlayStateServicesBase {
public:
    explicit SoundRecorder(GxUserData* data) : m_Data(data) { m_Previous = SetPlayStateServices(this); }
    ~SoundRecorder() override { SetPlayStateServices(m_Previous); }

    void StopBgm(std::int32_t ms) override { Add("StopBgm " + std::to_string(ms)), m_Data->m_BGMPlayParam.Clear(); }
    void StopBgv(std::int32_t ms) override { Add("StopBgv " + std::to_string(ms)), m_Data->m_BGVPlayParam.Clear(); }
    void StopAllSeChannels() override
    {
        Add("StopAllSeChannels");
        for (GxSoundPlayParam& se : m_Data->m_SEPlayParam)
            se.Clear();
    }
    void StopAllVoiceChannels() override { Add("StopAllVoiceChannels"); }
    void StopExtraVoiceChannels() override { Add("StopExtraVoiceChannels"); }
    bool IsBgmPlaying() override { return m_BgmPlaying; }
    bool IsBgvPlaying() override { return m_BgvPlaying; }
    void PlayBgm(const std::u16string& file, std::int32_t loop, std::uint32_t start, std::uint32_t loopPos,
                 std::int32_t fade, bool skip) override
    {
        Add("PlayBgm " + WideToUtf8(file) + " " + std::to_string(loop) + " " + std::to_string(start) + " " +
            std::to_string(loopPos) + " fade " + std::to_string(fade) + (skip ? " skip" : " noskip"));
    }
    void PlayBgv(const std::u16string& file, std::int32_t loop, std::uint32_t start, std::uint32_t loopPos,
                 std::int32_t fade) override
    {
        Add("PlayBgv " + WideToUtf8(file) + " " + std::to_string(loop) + " " + std::to_string(start) + " " +
            std::to_string(loopPos) + " fade " + std::to_string(fade));
    }
    void PlaySeChannel(std::int32_t slot, const std::u16string& file, std::int32_t loop, std::uint32_t start,
                       std::int32_t fade, std::uint32_t loopPos) override
    {
        Add("PlaySeChannel " + std::to_string(slot) + " " + WideToUtf8(file) + " " + std::to_string(loop) + " " +
            std::to_string(start) + " fade " + std::to_string(fade) + " " + std::to_string(loopPos));
    }
    void StopAllStaticSounds() override { Add("StopAllStaticSounds"); }
    void MovieSlotStopAll() override { Add("MovieSlotStopAll"); }
    void ResetWindows() override {}
    void AvgGlobalFadeOut(std::int32_t) override {}

    std::vector<std::string> m_Calls;
    bool m_BgmPlaying = true;
    bool m_BgvPlaying = true;

private:
    void Add(std::string call) { m_Calls.push_back(std::move(call)); }
    GxUserData* m_Data;
    GxPlayStateServicesBase* m_Previous = nullptr;
};

class PlayScreenStateTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        // Rows: "A", "*", an empty name, "B", and "C" without a stand layer.
        DBAvgChar& chars = GetDBAvgChar();
        chars.GetRow(1)->m_CharName = u"A";
        chars.GetRow(2)->m_CharName = u"*";
        chars.GetRow(4)->m_CharName = u"B";
        chars.GetRow(5)->m_CharName = u"C";
        m_Tree = BuildPlayScreenTree(Screen(), {u"A", u"B", u"*"});
        m_Harness.Core().m_UserDataPerman = &m_Perman;
        ASSERT_EQ(m_Data.m_SelectMenuItemList.size(), 11u);
    }
    void TearDown() override { m_Harness.Core().m_UserDataPerman = nullptr; }

    std::u16string Path() const { return Utf8ToWide((m_Harness.Folder() / "gamedata001.gd").string()); }
    std::string FileText() const
    {
        std::ifstream in(m_Harness.Folder() / "gamedata001.gd", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::size_t Count(const std::string& text, const std::string& what)
    {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
    bool SaveText() { return SaveGameData(&m_Data, Path(), false); }
    bool Load() { return LoadGameData(&m_Data, Path(), true); }

    GxUserDataPerman m_Perman;
    GxUserData m_Data{&m_Harness.Core()};
    PlayScreenTree m_Tree;
    LogCapture m_Log;
};

TEST_F(PlayScreenStateTest, SavingDropsSilentMusicAndLoopingEffectsAndLoadingReplaysWhatWasKept)
{
    SoundRecorder sound(&m_Data);
    sound.m_BgmPlaying = false;
    m_Data.m_BGMPlayParam.m_FileName = u"bgm01";
    m_Data.m_BGVPlayParam = {u"bgv01", 1, 20, 30, 500, 0};
    m_Data.m_SEPlayParam[0] = {u"se_loop", 2, 0, 0, 0, 0};
    m_Data.m_SEPlayParam[2] = {u"se_once", 0, 40, 50, 300, 0};
    m_Data.m_VoicePlayParam[1].m_FileName = u"voice01";
    ASSERT_TRUE(SaveText());
    EXPECT_TRUE(m_Data.m_BGMPlayParam.m_FileName.empty()) << "the live record is cleared too";
    EXPECT_TRUE(m_Data.m_SEPlayParam[0].m_FileName.empty());
    EXPECT_EQ(m_Data.m_SEPlayParam[2].m_FileName, u"se_once");
    const std::string text = FileText();
    EXPECT_EQ(Count(text, "se_loop"), 0u);
    EXPECT_EQ(Count(text, "se_once"), 1u);
    EXPECT_EQ(Count(text, "bgm01"), 0u);

    ASSERT_TRUE(Load());
    const std::vector<std::string> expected = {
        "StopBgm 0", "StopBgv 0", "StopAllSeChannels", "StopAllVoiceChannels", "StopExtraVoiceChannels",
        "StopAllStaticSounds",
        "PlayBgv bgv01 1 20 30 fade 1000",            // the stored 500 is not used
        "PlaySeChannel 2 se_once 0 40 fade 0 50",
        "MovieSlotStopAll",
    };
    EXPECT_EQ(sound.m_Calls, expected);
    EXPECT_EQ(m_Data.m_VoicePlayParam[1].m_FileName, u"voice01") << "voices are read, not played";
    EXPECT_EQ(m_Data.m_SEPlayParam[2].m_FileName, u"se_once") << "read after the stops";

    // Music that plays is replayed with the fixed fade and no skipping.
    sound.m_BgmPlaying = true;
    m_Data.m_BGMPlayParam = {u"bgm02", 1, 7, 8, 2000, 0};
    ASSERT_TRUE(SaveText());
    sound.m_Calls.clear();
    ASSERT_TRUE(Load());
    ASSERT_GE(sound.m_Calls.size(), 7u);
    EXPECT_EQ(sound.m_Calls[6], "PlayBgm bgm02 1 7 8 fade 1000 noskip");
}

TEST_F(PlayScreenStateTest, LayersAndStandLayersComeInTheirOrderAndAreFoundByTheStoredName)
{
    ASSERT_TRUE(SaveText());
    const std::string text = FileText();
    EXPECT_NE(text.find("StandLayers"), std::string::npos);
    // Only the rows "A" and "B" have entries: "*" and the empty name are skipped, "C" has no layer.
    EXPECT_EQ(Count(text, "\tLayerName\t"), 2u);
    EXPECT_LT(text.find("\"A\""), text.find("\"B\""));
    EXPECT_EQ(Count(text, "\"*\""), 0u);

    // A layer's state comes back by its name.
    m_Tree.standLayers[1]->SetPos(GxVector3(12.0f, 34.0f, 0.0f));
    m_Tree.layers[3]->SetAlpha(77);
    ASSERT_TRUE(SaveText());
    m_Tree.standLayers[1]->SetPos(GxVector3(0.0f, 0.0f, 0.0f));
    m_Tree.layers[3]->SetAlpha(255);
    ASSERT_TRUE(Load());
    EXPECT_EQ(m_Tree.standLayers[1]->GetPos().x, 12.0f);
    EXPECT_EQ(m_Tree.standLayers[1]->GetPos().y, 34.0f);
    EXPECT_EQ(m_Tree.layers[3]->GetAlpha(), 77);
}

TEST_F(PlayScreenStateTest, AStandStratumWithoutItsLayerIsSkippedAndTheRestStaysInLine)
{
    m_Tree.nameWindow->SetText(u"ナレーター");
    m_Tree.choices[0]->SetText(u"選択肢");
    ASSERT_TRUE(SaveText());
    m_Tree.nameWindow->SetText(u"");
    m_Tree.choices[0]->SetText(u"");
    m_Tree.standLayers[0]->Remove();   // "A" is gone when the game is loaded
    m_Harness.Step(0);
    ASSERT_TRUE(Load());
    EXPECT_EQ(m_Tree.nameWindow->GetText(), u"ナレーター");
    EXPECT_EQ(m_Tree.choices[0]->GetText(), u"選択肢");
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_NE(m_Log.m_Errors[0].find("no stand layer named A"), std::string::npos);
}

// The text form reads past its end without failing: a stand stratum that is never closed must
// end the load (with an error), not skip for ever.
TEST_F(PlayScreenStateTest, AStandStratumLeftOpenAtTheEndOfTheDataFailsTheLoad)
{
    ASSERT_TRUE(SaveText());
    std::string unknownCut = FileText();
    const std::string stored = "LayerName\t1\t\"B\"\n";
    const std::size_t at = unknownCut.find(stored);
    ASSERT_NE(at, std::string::npos);
    unknownCut.replace(at, stored.size(), "LayerName\t1\t\"Z\"\n24\n");
    unknownCut.resize(at + stored.size() + 3);
    std::string nested = "TGD\t100\n";
    for (int i = 0; i < 509; ++i)
        nested += "24\n";
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a stratum of an unknown layer, cut inside", unknownCut},
        {"nothing but stratum begins", nested},
    };
    for (const auto& c : cases) {
        std::ofstream(m_Harness.Folder() / "gamedata001.gd", std::ios::binary) << c.bytes;
        EXPECT_FALSE(Load()) << c.name;
    }
    // The screen is whole and takes the next save and load.
    m_Harness.Step(0);
    ASSERT_TRUE(SaveText());
    EXPECT_TRUE(Load());
}

// One flipped bit turns a saved "m_GlobalState" from active into removed: byte 1897 of the seed
// is the background-window layer's, 7441 and 8889 two choice buttons'. The parts are live, so
// the load counts the damage and keeps them, and the game can still be saved and loaded.
TEST_F(PlayScreenStateTest, AStoredRemovedStateKeepsThePartsAndTheNextSaveAndLoadWork)
{
    std::ifstream in(std::filesystem::path(TW_SOURCE_DIR) / "tests/fuzz/corpus/game_data/play_screen.bgd",
                     std::ios::binary);
    std::ostringstream seed;
    seed << in.rdbuf();
    std::string bytes = seed.str();
    GxTaskManage* manage = m_Harness.Core().m_TaskManage;
    const auto wholeScreen = [&] {
        for (const char16_t* name : PlayScreenTree::kLayerNames)
            if (manage->FindTask(name) == nullptr)
                return false;
        for (int i = 1; i <= PlayScreenTree::kChoiceCount; ++i)
            if (m_Tree.select->FindTaskLocal(u"btn_select", i) == nullptr)
                return false;
        return true;
    };
    for (const std::size_t at : {1897u, 7441u, 8889u}) {
        ASSERT_GT(bytes.size(), at);
        ASSERT_EQ(bytes[at], '\x01') << "the seed's state at " << at;
        bytes[at] = '\x03';
    }
    std::ofstream(m_Harness.Folder() / "gamedata001.gd", std::ios::binary) << bytes;
    EXPECT_FALSE(Load()) << "the damage is counted";
    m_Harness.Step(0);
    m_Harness.Step(0);
    ASSERT_TRUE(wholeScreen());
    EXPECT_FALSE(m_Tree.layers[2]->IsRemoved());
    m_Log.m_Errors.clear();
    ASSERT_TRUE(SaveText());
    EXPECT_TRUE(Load());
    EXPECT_TRUE(m_Log.m_Errors.empty());
    EXPECT_TRUE(wholeScreen());
}

TEST_F(PlayScreenStateTest, WindowsTakeTheConfiguredMarginAndThePlayersCurrentOpacity)
{
    m_Harness.Config().m_System.m_MesWinLetterMarginWidth = 6;
    m_Harness.Config().m_User.m_TextWindowOpacity = 200;
    m_Tree.messageWindow->SetText(u"こんにちは");
    m_Tree.messageWindow->SetImageAlpha(200);
    m_Tree.nameWindow->SetText(u"名前");
    ASSERT_TRUE(SaveText());
    m_Tree.messageWindow->SetText(u"");
    m_Tree.messageWindow->SetLetterMarginWidth(0);
    m_Harness.Config().m_User.m_TextWindowOpacity = 90;
    ASSERT_TRUE(Load());
    EXPECT_EQ(m_Tree.messageWindow->GetText(), u"こんにちは");
    EXPECT_TRUE(m_Tree.messageWindow->IsReadedText());
    EXPECT_EQ(m_Tree.messageWindow->GetLetterMarginWidth(), 6);
    EXPECT_EQ(m_Tree.messageWindow->GetImageAlpha(), 90);
    EXPECT_EQ(m_Tree.nameWindow->GetImageAlpha(), 90);
    EXPECT_EQ(m_Tree.nameWindow->GetText(), u"名前");
}

TEST_F(PlayScreenStateTest, ChoiceButtonsAreSavedAndTakenChoicesAreColouredByTheOption)
{
    ASSERT_TRUE(SaveText());
    const std::string text = FileText();
    EXPECT_NE(text.find("SelectButtons"), std::string::npos);
    EXPECT_EQ(Count(text, "m_AutoAlign"), 11u) << "10 choice buttons and the name window";

    m_Data.m_IsSelecting = true;
    m_Data.m_SelectHash = u"menu01";
    for (GxSelectMenuItem& item : m_Data.m_SelectMenuItemList)
        item.m_Visible = false;
    for (int i = 1; i <= 3; ++i)
        m_Data.m_SelectMenuItemList[i].m_Visible = true;
    m_Perman.SetMenuSelected(u"menu01", 2);
    for (GxTaskUITextButtonIs* button : m_Tree.choices)
        button->SetTextColor(0xFF123456);
    ASSERT_TRUE(SaveText());
    struct Case {
        bool option;
        std::uint32_t colors[4];
    };
    const GxSystemConfig& system = m_Harness.Config().m_System;
    const Case cases[] = {
        {true, {system.m_SelectTextColor0, system.m_SelectTextColor1, system.m_SelectTextColor0, 0xFF123456}},
        {false, {system.m_SelectTextColor0, system.m_SelectTextColor0, system.m_SelectTextColor0, 0xFF123456}},
    };
    for (const Case& c : cases) {
        m_Harness.Config().m_User.m_ChangeColorSelectedMenu = c.option;
        ASSERT_TRUE(Load());
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(m_Tree.choices[i]->m_TextColor, c.colors[i]) << "option " << c.option << " choice " << i + 1;
    }
}

TEST_F(PlayScreenStateTest, ARichStateComesBackWholeInBothForms)
{
    SoundRecorder sound(&m_Data);
    for (const bool binary : {false, true}) {
        m_Tree.layers[0]->LoadSolidColor(0xFF336699, 0);
        m_Tree.layers[0]->SetPos(GxVector3(3.0f, 4.0f, 0.0f));
        m_Tree.standLayers[0]->SetAlpha(128);
        m_Tree.messageWindow->SetText(u"長い≪台詞／せりふ≫がここに続きます");
        m_Harness.Step(200000);
        const std::size_t rubies = m_Tree.messageWindow->m_Rubies.size();
        ASSERT_EQ(rubies, 1u);
        ASSERT_LT(m_Tree.messageWindow->GetShowCharCount(), 10u) << "mid-reveal";
        const std::uint32_t shown = m_Tree.messageWindow->GetShowCharCount();
        m_Tree.nameWindow->SetText(u"話し手");
        m_Tree.nameWindow->SetTextColor(0xFF00FF00);
        m_Tree.choices[4]->SetText(u"五番目");
        m_Tree.choices[4]->SetTextColor(0xFF0000FF);
        m_Data.m_BGMPlayParam = {u"bgm03", 1, 0, 0, 0, 0};
        ASSERT_TRUE(SaveGameData(&m_Data, Path(), binary));

        m_Tree.layers[0]->ClearContent(0);
        m_Tree.layers[0]->SetPos(GxVector3());
        m_Tree.standLayers[0]->SetAlpha(255);
        m_Tree.messageWindow->SetText(u"");
        m_Tree.nameWindow->SetText(u"");
        m_Tree.nameWindow->SetTextColor(0xFFFFFFFF);
        m_Tree.choices[4]->SetText(u"");
        m_Tree.choices[4]->SetTextColor(0xFFFFFFFF);
        ASSERT_TRUE(Load()) << binary;
        EXPECT_EQ(m_Tree.layers[0]->GetPos().x, 3.0f);
        EXPECT_EQ(m_Tree.layers[0]->GetCurrentContent().m_ContentType, kLayerContentSolidColor);
        EXPECT_EQ(m_Tree.standLayers[0]->GetAlpha(), 128);
        EXPECT_EQ(m_Tree.messageWindow->GetText(), u"長い≪台詞／せりふ≫がここに続きます");
        ASSERT_EQ(m_Tree.messageWindow->m_Rubies.size(), rubies);
        EXPECT_EQ(m_Tree.messageWindow->m_Rubies[0].m_Text, u"せりふ");
        EXPECT_EQ(m_Tree.messageWindow->GetShowCharCount(), shown);
        EXPECT_EQ(m_Tree.nameWindow->GetText(), u"話し手");
        EXPECT_EQ(m_Tree.nameWindow->m_TextColor, 0xFF00FF00u);
        EXPECT_EQ(m_Tree.choices[4]->GetText(), u"五番目");
        EXPECT_EQ(m_Tree.choices[4]->m_TextColor, 0xFF0000FFu);
        EXPECT_TRUE(m_Log.m_Errors.empty());
    }
}

TEST_F(PlayScreenStateTest, AMissingPartFailsTheSaveKeepingTheOldFileAndFailsTheLoad)
{
    ASSERT_TRUE(SaveText());
    const std::string before = FileText();
    m_Tree.nameWindow->Remove();
    m_Harness.Step(0);
    m_Data.m_GameDataTitle = u"changed";
    EXPECT_FALSE(SaveText());
    EXPECT_EQ(FileText(), before);
    // The part's line, then the save's own about the kept file.
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxUserData::WriteWindowState/the play screen has no $NAMEWIN:SeqAvgMain\n");
    m_Log.m_Errors.clear();
    EXPECT_FALSE(Load());
    ASSERT_FALSE(m_Log.m_Errors.empty());
    EXPECT_EQ(m_Log.m_Errors[0], "GxUserData::ReadWindowState/the play screen has no $NAMEWIN:SeqAvgMain\n");
}

// Writes the play-screen seeds of fuzz_game_data (tests/fuzz/corpus/game_data). Run once when
// a saved state changes; the files are committed:
//   test_ui --gtest_also_run_disabled_tests --gtest_filter=PlayScreenStateTest.DISABLED_*
TEST_F(PlayScreenStateTest, DISABLED_WriteFuzzSeeds)
{
    const std::filesystem::path corpus = std::filesystem::path(TW_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / "game_data";
    m_Tree.layers[0]->LoadSolidColor(0xFF336699, 0);
    m_Tree.messageWindow->SetText(u"台詞");
    m_Tree.nameWindow->SetText(u"名前");
    m_Tree.choices[0]->SetText(u"選択肢");
    m_Data.m_BGMPlayParam.m_FileName = u"bgm01";
    for (const bool binary : {false, true}) {
        ASSERT_TRUE(SaveGameData(&m_Data, Path(), binary));
        std::ofstream(corpus / (binary ? "play_screen.bgd" : "play_screen.tgd"), std::ios::binary) << FileText();
    }
    ASSERT_TRUE(SaveText());
    std::string text = FileText();
    const std::string stored = "LayerName\t1\t\"B\"";
    const std::size_t at = text.find(stored);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, stored.size(), "LayerName\t1\t\"Z\"");
    std::ofstream(corpus / "unknown_stand.tgd", std::ios::binary) << text;
}

}  // namespace
}  // namespace ui_test
