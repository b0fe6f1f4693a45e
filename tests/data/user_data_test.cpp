// The saved game: its reset values, the choice menu and the message log, the return to the
// start of a game through the play-state services, and the game data file: every stored field
// written whole or not at all, read back in either form, pinned by a golden text file, and
// refused or cut short without crashing, allocating by a damaged count or losing alignment.
#include "save_fixture.h"

#include "data/play_state_services.h"
#include "data/saved_script.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "script/moa.h"
#include "script/worker.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <regex>

namespace data_test {
namespace {

const std::filesystem::path kGolden = std::filesystem::path(TW_SOURCE_DIR) / "tests/data/fixtures/gamedata_golden.tgd";
constexpr char kGoldenSaveTime[] = "2026/01/02 03:04:05";

// Every stored field away from its reset value; the list keeps its 11 items.
void FillSample(GxUserData& d)
{
    d.m_GameDataTitle = u"第一章";
    d.m_RestoreSequence = u"SeqAvgMain";
    d.m_RestoreSubParam = u"sub";
    d.m_GameDataOption = 0x80000001u;
    d.m_IsSelecting = true;
    d.m_LastSelectNum = 3;
    d.m_CancelSelectNum = 2;
    d.m_SelectHash = u"main:120";
    for (std::size_t i = 0; i < d.m_SelectMenuItemList.size(); ++i) {
        GxSelectMenuItem& item = d.m_SelectMenuItemList[i];
        item.m_Text = u"choice " + Utf8ToWide(std::to_string(i));
        item.m_Label = u"*l" + Utf8ToWide(std::to_string(i));
        item.m_Enable = i % 2 == 0;
        item.m_Visible = i % 3 != 0;
        item.m_BeforeSelected = i == 4;
        item.m_UseGosub = i == 5;
    }
    d.m_Hold_WaitClick = 1;
    d.m_Hold_WaitTime = 2;
    d.m_Hold_WaitTime_TimeLeft = 3;
    d.m_Hold_EndOfMovie = 4;
    d.m_Hold_EndOfLayerActionAll = 5;
    d.m_Hold_EndOfLayerActionSeparate = 6;
    d.m_Hold_EndOfLayerActionSeparate_LayerName = u"$BG";
    d.m_Hold_EndOfBGM = 7;
    d.m_Hold_EndOfBGV = 8;
    d.m_Hold_EndOfSE = 9;
    d.m_Hold_EndOfVoice = 10;
    d.m_NameIdentifyMode = 1;
    d.m_IgnoreKinsoku = true;
    d.m_LastDialogResult = -1;
    d.m_VoicePlayParam[1].m_FileName = u"voice/a01";
    d.m_VoicePlayParam[1].m_CharID = 4;
    d.AddMessageLog(u"Mio", u"こんにちは", true, false);
    d.ClearVoiceSlots();
    d.AddMessageLog(u"", u"narration", false, true);
    GxNoticeParam notice;
    notice.m_Text = u"saved";
    notice.m_IconName = u"icon_save";
    notice.m_IconAlign = 2;
    notice.m_ShowTime = 900;
    notice.m_UISoundID = 5;
    notice.m_NoticeID = 11;
    notice.m_TextColor = 0xFF00FF00u;
    d.m_NoticeList.push_back(notice);
    d.m_NoticeList.emplace_back();
    d.m_HideWindowByCommandFlag = true;
}

void ExpectSample(const GxUserData& d)
{
    EXPECT_EQ(d.m_GameDataTitle, u"第一章");
    EXPECT_EQ(d.m_RestoreSequence, u"SeqAvgMain");
    EXPECT_EQ(d.m_RestoreSubParam, u"sub");
    EXPECT_EQ(d.m_GameDataOption, 0x80000001u);
    EXPECT_TRUE(d.m_IsSelecting);
    EXPECT_EQ(d.m_LastSelectNum, 3);
    EXPECT_EQ(d.m_CancelSelectNum, 2);
    EXPECT_EQ(d.m_SelectHash, u"main:120");
    ASSERT_EQ(d.m_SelectMenuItemList.size(), 11u);
    for (std::size_t i = 0; i < 11; ++i) {
        const GxSelectMenuItem& item = d.m_SelectMenuItemList[i];
        EXPECT_EQ(item.m_Text, u"choice " + Utf8ToWide(std::to_string(i)));
        EXPECT_EQ(item.m_Label, u"*l" + Utf8ToWide(std::to_string(i)));
        EXPECT_EQ(item.m_Enable, i % 2 == 0);
        EXPECT_EQ(item.m_Visible, i % 3 != 0);
        EXPECT_EQ(item.m_BeforeSelected, i == 4);
        EXPECT_EQ(item.m_UseGosub, i == 5);
    }
    EXPECT_EQ(d.m_Hold_WaitClick, 1);
    EXPECT_EQ(d.m_Hold_WaitTime, 2);
    EXPECT_EQ(d.m_Hold_WaitTime_TimeLeft, 3);
    EXPECT_EQ(d.m_Hold_EndOfMovie, 4);
    EXPECT_EQ(d.m_Hold_EndOfLayerActionAll, 5);
    EXPECT_EQ(d.m_Hold_EndOfLayerActionSeparate, 6);
    EXPECT_EQ(d.m_Hold_EndOfLayerActionSeparate_LayerName, u"$BG");
    EXPECT_EQ(d.m_Hold_EndOfBGM, 7);
    EXPECT_EQ(d.m_Hold_EndOfBGV, 8);
    EXPECT_EQ(d.m_Hold_EndOfSE, 9);
    EXPECT_EQ(d.m_Hold_EndOfVoice, 10);
    EXPECT_EQ(d.m_NameIdentifyMode, 1);
    EXPECT_TRUE(d.m_IgnoreKinsoku);
    EXPECT_EQ(d.m_LastDialogResult, -1);
    ASSERT_EQ(d.m_MessageLog.size(), 2u);
    EXPECT_EQ(d.m_MessageLog[0].m_Name, u"Mio");
    EXPECT_EQ(d.m_MessageLog[0].m_Message, u"こんにちは");
    EXPECT_TRUE(d.m_MessageLog[0].m_IgnoreKinsoku);
    EXPECT_EQ(d.m_MessageLog[0].m_VoiceFileName[1], u"voice/a01");
    EXPECT_EQ(d.m_MessageLog[0].m_VoiceCharID[1], 4);
    EXPECT_TRUE(d.m_MessageLog[1].m_DisenableAutoNewline);
    EXPECT_TRUE(d.m_MessageLog[1].m_ShowNameByText);
    ASSERT_EQ(d.m_NoticeList.size(), 2u);
    EXPECT_EQ(d.m_NoticeList[0].m_IconName, u"icon_save");
    EXPECT_EQ(d.m_NoticeList[0].m_IconAlign, 2);
    EXPECT_EQ(d.m_NoticeList[0].m_ShowTime, 900);
    EXPECT_EQ(d.m_NoticeList[0].m_UISoundID, 5);
    EXPECT_EQ(d.m_NoticeList[0].m_NoticeID, 11);
    EXPECT_EQ(d.m_NoticeList[0].m_TextColor, 0xFF00FF00u);
    EXPECT_EQ(d.m_NoticeList[1].m_ShowTime, 1500);
    EXPECT_TRUE(d.m_HideWindowByCommandFlag);
}

// Every call of the saved game into the play-state services, in order, with the restraint level
// seen at the movie stop and the title the data holds when the windows are reset.
class PlayStateRecorder : public GxPlayStateServicesBase {
public:
    PlayStateRecorder() { m_Previous = SetPlayStateServices(this); }
    ~PlayStateRecorder() override { SetPlayStateServices(m_Previous); }

    void StopBgm(std::int32_t ms) override { Add("StopBgm " + std::to_string(ms)); }
    void StopBgv(std::int32_t ms) override { Add("StopBgv " + std::to_string(ms)); }
    void StopAllSeChannels() override { Add("StopAllSeChannels"); }
    void StopAllVoiceChannels() override { Add("StopAllVoiceChannels"); }
    void StopExtraVoiceChannels() override { Add("StopExtraVoiceChannels restraint " + std::to_string(GetBGMRestraintLevel())); }
    bool IsBgmPlaying() override { return true; }
    bool IsBgvPlaying() override { return true; }
    void PlayBgm(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t, bool) override { Add("PlayBgm"); }
    void PlayBgv(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t) override { Add("PlayBgv"); }
    void PlaySeChannel(std::int32_t, const std::u16string&, std::int32_t, std::uint32_t, std::int32_t, std::uint32_t) override
    {
        Add("PlaySeChannel");
    }
    void StopAllStaticSounds() override { Add("StopAllStaticSounds"); }
    void MovieSlotStopAll() override { Add("MovieSlotStopAll restraint " + std::to_string(GetBGMRestraintLevel())); }
    void ResetWindows() override { Add("ResetWindows title " + WideToUtf8(m_Data ? m_Data->m_GameDataTitle : u"?")); }
    void AvgGlobalFadeOut(std::int32_t ms) override { Add("AvgGlobalFadeOut " + std::to_string(ms)); }

    std::vector<std::string> m_Calls;
    const GxUserData* m_Data = nullptr;

private:
    void Add(std::string call) { m_Calls.push_back(std::move(call)); }
    GxPlayStateServicesBase* m_Previous = nullptr;
};

class UserDataTest : public DataTest {
protected:
    void TearDown() override
    {
        SetSavedDataScript(nullptr, nullptr);
        SetBGMRestraintLevel(100);
        DataTest::TearDown();
    }
    std::u16string SlotPath() const { return Utf8ToWide((m_Temp.Path() / "gamedata001.gd").string()); }
    std::u16string WriteSlot(const std::string& bytes) { return WriteBytes("gamedata001.gd", bytes); }
    // The text-form file of the data, its save time replaced by the golden one.
    std::string SavedText(GxUserData& data)
    {
        EXPECT_TRUE(SaveGameData(&data, SlotPath(), false));
        std::string text = ReadAll(m_Temp.Path() / "gamedata001.gd");
        const std::string field = "1a\tm_SaveTime\t19\t\"";
        const std::size_t at = text.find(field);
        EXPECT_NE(at, std::string::npos);
        if (at != std::string::npos)
            text.replace(at + field.size(), 19, kGoldenSaveTime);
        return text;
    }
};

TEST_F(UserDataTest, ResetGivesTheStartOfAGame)
{
    GxUserData d;
    FillSample(d);
    d.m_BGMPlayParam.m_FileName = u"bgm";
    d.m_SEPlayParam[3].m_Loop = 2;
    d.m_VoicePlayParam[0].m_FileName = u"v";
    d.m_IsReplayMode = true;
    d.Reset();
    EXPECT_EQ(d.m_GameDataOption, 0x80000001u);   // survives
    EXPECT_TRUE(d.m_GameDataTitle.empty());
    EXPECT_TRUE(d.m_RestoreSequence.empty());
    EXPECT_TRUE(d.m_RestoreSubParam.empty());
    EXPECT_FALSE(d.m_IsSelecting);
    EXPECT_EQ(d.m_LastSelectNum, 0);
    EXPECT_EQ(d.m_CancelSelectNum, 0);
    EXPECT_TRUE(d.m_SelectHash.empty());
    ASSERT_EQ(d.m_SelectMenuItemList.size(), 11u);
    for (const GxSelectMenuItem& item : d.m_SelectMenuItemList) {
        EXPECT_TRUE(item.m_Text.empty() && item.m_Label.empty());
        EXPECT_TRUE(item.m_Enable && item.m_Visible);
        EXPECT_FALSE(item.m_BeforeSelected || item.m_UseGosub);
    }
    for (std::int32_t hold : {d.m_Hold_WaitClick, d.m_Hold_WaitTime, d.m_Hold_WaitTime_TimeLeft, d.m_Hold_EndOfMovie,
                              d.m_Hold_EndOfLayerActionAll, d.m_Hold_EndOfLayerActionSeparate, d.m_Hold_EndOfBGM,
                              d.m_Hold_EndOfBGV, d.m_Hold_EndOfSE, d.m_Hold_EndOfVoice, d.m_LastDialogResult})
        EXPECT_EQ(hold, 0);
    EXPECT_TRUE(d.m_Hold_EndOfLayerActionSeparate_LayerName.empty());
    EXPECT_EQ(d.m_NameIdentifyMode, 2);
    EXPECT_FALSE(d.m_IgnoreKinsoku);
    EXPECT_TRUE(d.m_MessageLog.empty());
    EXPECT_TRUE(d.m_NoticeList.empty());
    EXPECT_TRUE(d.m_BGMPlayParam.m_FileName.empty());
    EXPECT_EQ(d.m_SEPlayParam[3].m_Loop, 0);
    EXPECT_TRUE(d.m_VoicePlayParam[0].m_FileName.empty());
    EXPECT_FALSE(d.m_IsReplayMode);
    EXPECT_FALSE(d.m_HideWindowByCommandFlag);

    // The number of choices and the log capacity follow the configuration.
    GxSystemConfig config;
    config.m_SelectCount = 3;
    config.m_MessageLogMax = 2;
    GxUserData configured(nullptr, &config);
    EXPECT_EQ(configured.m_SelectMenuItemList.size(), 4u);
    for (int n = 0; n < 3; ++n)
        configured.AddMessageLog(u"", Utf8ToWide(std::to_string(n)), false, false);
    ASSERT_EQ(configured.m_MessageLog.size(), 2u);
    EXPECT_EQ(configured.m_MessageLog.front().m_Message, u"1");
}

TEST_F(UserDataTest, ChoiceMenuAndMessageLog)
{
    GxUserData d;
    FillSample(d);
    d.ClearSelectMenu();
    EXPECT_EQ(d.m_LastSelectNum, 3);   // kept
    EXPECT_FALSE(d.m_IsSelecting);
    EXPECT_EQ(d.m_CancelSelectNum, 0);
    EXPECT_TRUE(d.m_SelectHash.empty());
    EXPECT_TRUE(d.m_SelectMenuItemList[4].m_Text.empty());
    EXPECT_TRUE(d.m_SelectMenuItemList[3].m_Visible);
    EXPECT_TRUE(d.m_SelectMenuItemList[1].m_Enable);
    EXPECT_FALSE(d.m_SelectMenuItemList[4].m_BeforeSelected);
    EXPECT_FALSE(d.m_SelectMenuItemList[5].m_UseGosub);

    GxUserData log;
    for (int slot = 0; slot < 4; ++slot) {
        log.m_VoicePlayParam[slot].m_FileName = u"v" + Utf8ToWide(std::to_string(slot));
        log.m_VoicePlayParam[slot].m_CharID = 10 + slot;
    }
    for (int n = 0; n < 101; ++n)
        log.AddMessageLog(u"name", Utf8ToWide(std::to_string(n)), n == 100, false);
    ASSERT_EQ(log.m_MessageLog.size(), 100u);
    EXPECT_EQ(log.m_MessageLog.front().m_Message, u"1");
    const GxMessageLogElement& last = log.m_MessageLog.back();
    EXPECT_EQ(last.m_Message, u"100");
    EXPECT_TRUE(last.m_IgnoreKinsoku);
    EXPECT_TRUE(last.m_ShowNameByText);
    EXPECT_EQ(last.m_VoiceFileName[3], u"v3");
    EXPECT_EQ(last.m_VoiceCharID[2], 12);
}

TEST_F(UserDataTest, ResetAvgStateStopsEverythingAndResets)
{
    GxMoa moa;
    GxMoaWorker worker(&moa);
    GxMoaVariable value;
    value.SetInt64(5);
    moa.GetVariableTable().Entries().emplace_back(u"ingame", 9, value);
    moa.GetVariableTable().Entries().emplace_back(u"perman", 8, value);
    worker.GetValueStack().push_back(value);
    SetSavedDataScript(&moa, &worker);

    for (bool stopMusic : {false, true}) {
        SCOPED_TRACE(stopMusic);
        PlayStateRecorder recorder;
        GxUserData d;
        recorder.m_Data = &d;
        FillSample(d);
        d.m_BGMPlayParam.m_FileName = u"bgm/theme";
        d.m_BGMPlayParam.m_Loop = 1;
        d.m_BGVPlayParam.m_FileName = u"bgv";
        d.m_SEPlayParam[2].m_FileName = u"se";
        SetBGMRestraintLevel(30);
        ResetAvgState(&d, stopMusic);

        std::vector<std::string> expected = {"StopBgv 0", "StopAllSeChannels", "StopAllVoiceChannels",
                                             "StopExtraVoiceChannels restraint 30", "MovieSlotStopAll restraint 100",
                                             "ResetWindows title ", "AvgGlobalFadeOut 0"};
        if (stopMusic)
            expected.insert(expected.begin(), "StopBgm 0");
        EXPECT_EQ(recorder.m_Calls, expected);
        EXPECT_EQ(d.m_BGMPlayParam.m_FileName, stopMusic ? u"" : u"bgm/theme");
        EXPECT_EQ(d.m_BGMPlayParam.m_Loop, stopMusic ? 0 : 1);
        EXPECT_TRUE(d.m_BGVPlayParam.m_FileName.empty());
        EXPECT_TRUE(d.m_SEPlayParam[2].m_FileName.empty());
        EXPECT_TRUE(d.m_MessageLog.empty());
        EXPECT_TRUE(d.m_HideWindowByCommandFlag);
        EXPECT_EQ(GetBGMRestraintLevel(), 100);
        EXPECT_TRUE(worker.GetValueStack().empty());
        EXPECT_TRUE(moa.GetVariableTable().Find(u"ingame")->m_Value.IsNull());
        EXPECT_EQ(moa.GetVariableTable().Find(u"perman")->m_Value.ToInt(), 5);
    }
}

TEST_F(UserDataTest, GoldenTextFileReadsAndIsWrittenAgain)
{
    // The golden file is the text form of the sample with no script engine registered.
    GxUserData loaded;
    ASSERT_TRUE(LoadGameData(&loaded, Utf8ToWide(kGolden.string()), true)) << kGolden;
    ExpectSample(loaded);
    GxUserData sample;
    FillSample(sample);
    const std::string golden = ReadAll(kGolden);
    EXPECT_EQ(SavedText(sample), golden);
    GxGameDataHeader header;
    ASSERT_TRUE(ReadGameDataHeader(Utf8ToWide(kGolden.string()), &header));
    EXPECT_TRUE(header.m_Valid);
    EXPECT_EQ(WideToUtf8(header.m_SaveTime), kGoldenSaveTime);
    EXPECT_EQ(header.m_GameDataTitle, u"第一章");
    EXPECT_EQ(header.m_RestoreSequence, u"SeqAvgMain");
    EXPECT_EQ(header.m_RestoreSubParam, u"sub");
    EXPECT_EQ(header.m_GameDataOption, 0x80000001u);
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(UserDataTest, SaveAndLoadRoundTripInBothForms)
{
    GxUserData saved;
    FillSample(saved);
    saved.m_IsReplayMode = true;
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        ASSERT_TRUE(SaveGameData(&saved, SlotPath(), binary));
        EXPECT_FALSE(std::filesystem::exists(m_Temp.Path() / "gamedata001.gd.tmp"));
        const std::string bytes = ReadAll(m_Temp.Path() / "gamedata001.gd");
        EXPECT_EQ(bytes.substr(0, 3), binary ? "BGD" : "TGD");
        GxUserData loaded;
        ASSERT_TRUE(LoadGameData(&loaded, SlotPath(), true));
        ExpectSample(loaded);
        EXPECT_FALSE(loaded.m_IsReplayMode);   // not stored
        GxGameDataHeader header;
        ASSERT_TRUE(ReadGameDataHeader(SlotPath(), &header));
        EXPECT_TRUE(std::regex_match(WideToUtf8(header.m_SaveTime),
                                     std::regex("[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}")));
    }
    EXPECT_TRUE(m_Log.errors.empty());

    // A save with no menu open still writes the whole cleared list.
    GxUserData fresh;
    const std::string text = SavedText(fresh);
    EXPECT_NE(text.find("20\tm_SelectMenuItemList\t\t11\t{\n"), std::string::npos);
    std::size_t items = 0;
    for (std::size_t at = text.find("0b\tm_Enable\t1\n"); at != std::string::npos; at = text.find("0b\tm_Enable\t1\n", at + 1))
        ++items;
    EXPECT_EQ(items, 11u);
}

TEST_F(UserDataTest, ScriptStateTravelsWithAFullRestore)
{
    GxMoa moa;
    GxMoaWorker worker(&moa);
    GxMoaVariable value;
    value.SetInt64(20);
    moa.GetVariableTable().Entries().emplace_back(u"ingame", 9, value);
    value.SetInt64(30);
    worker.GetVariableTable().Entries().emplace_back(u"global", 6, value);
    value.SetInt64(40);
    worker.GetValueStack().push_back(value);
    SetSavedDataScript(&moa, &worker);
    GxUserData saved;
    ASSERT_TRUE(SaveGameData(&saved, SlotPath(), true));

    const auto scribble = [&] {
        moa.GetVariableTable().Find(u"ingame")->m_Value.SetInt64(0);
        worker.GetVariableTable().Find(u"global")->m_Value.SetInt64(0);
        worker.GetValueStack().clear();
    };
    scribble();
    GxUserData partial;
    EXPECT_TRUE(LoadGameData(&partial, SlotPath(), false));
    EXPECT_EQ(moa.GetVariableTable().Find(u"ingame")->m_Value.ToInt(), 0);
    EXPECT_TRUE(worker.GetValueStack().empty());

    GxUserData full;
    EXPECT_TRUE(LoadGameData(&full, SlotPath(), true));
    EXPECT_EQ(moa.GetVariableTable().Find(u"ingame")->m_Value.ToInt(), 20);
    EXPECT_EQ(worker.GetVariableTable().Find(u"global")->m_Value.ToInt(), 30);
    ASSERT_EQ(worker.GetValueStack().size(), 1u);
    EXPECT_EQ(worker.GetValueStack()[0].ToInt(), 40);
}

TEST_F(UserDataTest, FormIsPickedByTheFirstByte)
{
    GxUserData sample;
    FillSample(sample);
    const auto body = [&](GxContentWriterBase& w) { sample.WriteValues(w, u"2026/01/02 03:04:05"); };
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    };
    const std::vector<Case> cases = {
        {"text TGD", WriteContent(Form::kText, "TGD", body), true},
        {"binary BGD", WriteContent(Form::kBinary, "BGD", body), true},
        {"text BGD", WriteContent(Form::kText, "BGD", body), false},
        {"T then BGD", "T" + WriteContent(Form::kBinary, "BGD", body).substr(1), false},
        {"binary TGD", WriteContent(Form::kBinary, "TGD", body), false},
        {"persistent flags", WriteContent(Form::kBinary, "BPD", body), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_Log.errors.clear();
        WriteSlot(c.bytes);
        GxUserData d;
        d.m_GameDataTitle = u"before";
        EXPECT_EQ(LoadGameData(&d, SlotPath(), false), c.loads);
        EXPECT_EQ(d.m_GameDataTitle, c.loads ? u"第一章" : u"before");
        EXPECT_EQ(m_Log.errors.size(), c.loads ? 0u : 1u);
        EXPECT_EQ(m_Log.Count("gamedata001.gd"), c.loads ? 0 : 1);
        GxGameDataHeader header;
        header.m_Valid = true;
        EXPECT_EQ(ReadGameDataHeader(SlotPath(), &header), c.loads);
        EXPECT_EQ(header.m_Valid, c.loads);
    }
}

TEST_F(UserDataTest, HeaderOfACutOrMissingFile)
{
    GxUserData sample;
    FillSample(sample);
    WriteSlot(WriteContent(Form::kBinary, "BGD", [&](GxContentWriterBase& w) {
        w.WriteWString("m_SaveTime", u"2026/01/02 03:04:05");
        w.WriteWString("m_GameDataTitle", u"cut");
    }));
    GxGameDataHeader header;
    EXPECT_TRUE(ReadGameDataHeader(SlotPath(), &header));
    EXPECT_TRUE(header.m_Valid);
    EXPECT_EQ(header.m_GameDataTitle, u"cut");
    EXPECT_TRUE(header.m_RestoreSequence.empty());

    m_Log.errors.clear();
    std::filesystem::remove(m_Temp.Path() / "gamedata001.gd");
    EXPECT_FALSE(ReadGameDataHeader(SlotPath(), &header));
    EXPECT_FALSE(header.m_Valid);
    ASSERT_EQ(m_Log.errors.size(), 1u);
    EXPECT_EQ(m_Log.Count("File open error or not exist:"), 1);
    GxUserData d;
    EXPECT_FALSE(LoadGameData(&d, SlotPath(), true));
    EXPECT_EQ(m_Log.errors.size(), 2u);
}

// Writes the values of the sample up to the choice list, then `list`, then the rest.
std::string WithChoiceList(Form form, const std::function<void(GxContentWriterBase&)>& list,
                           const std::function<void(GxContentWriterBase&)>& logList = nullptr)
{
    return WriteContent(form, form == Form::kText ? "TGD" : "BGD", [&](GxContentWriterBase& w) {
        w.WriteWString("m_SaveTime", u"");
        w.WriteWString("m_GameDataTitle", u"t");
        w.WriteWString("m_RestoreSequence", u"");
        w.WriteWString("m_RestoreSubParam", u"");
        const GxBit32 option{0};
        w.WriteBit32("m_GameDataOption", &option);
        w.WriteBool("m_IsSelecting", true);
        w.WriteS32("m_LastSelectNum", 1);
        w.WriteS32("m_CancelSelectNum", 0);
        w.WriteWString("m_SelectHash", u"h");
        list(w);
        for (const char* hold : {"m_Hold_WaitClick", "m_Hold_WaitTime", "m_Hold_WaitTime_TimeLeft", "m_Hold_EndOfMovie",
                                 "m_Hold_EndOfLayerActionAll", "m_Hold_EndOfLayerActionSeparate"})
            w.WriteS32(hold, 0);
        w.WriteWString("m_Hold_EndOfLayerActionSeparate_LayerName", u"");
        for (const char* hold : {"m_Hold_EndOfBGM", "m_Hold_EndOfBGV", "m_Hold_EndOfSE", "m_Hold_EndOfVoice"})
            w.WriteS32(hold, 0);
        w.WriteS32("m_NameIdentifyMode", 7);
        w.WriteBool("m_IgnoreKinsoku", true);
        w.WriteS32("m_LastDialogResult", 1);
        if (logList) {
            logList(w);
        } else {
            w.WriteListBegin("GxMessageLogElement", "", 0);
            w.WriteListEnd();
        }
        w.WriteListBegin("GxNoticeParam", "", 0);
        w.WriteListEnd();
        w.WriteBool("m_HideWindowByCommandFlag", true);
        GxMoa moa;
        GxMoaWorker worker(&moa);
        moa.WriteVariables(w, 3);
        worker.WriteScriptVariables(w, 3);
        worker.Write(w);
    });
}

TEST_F(UserDataTest, SurplusChoiceItemsAreReadAndDropped)
{
    for (Form form : {Form::kText, Form::kBinary}) {
        SCOPED_TRACE(FormName(form));
        WriteSlot(WithChoiceList(form, [](GxContentWriterBase& w) {
            w.WriteListBegin("m_SelectMenuItemList", "", 12);
            for (int n = 0; n < 12; ++n) {
                GxSelectMenuItem item;
                item.m_Text = u"item" + Utf8ToWide(std::to_string(n));
                item.Write(w);
            }
            w.WriteListEnd();
        }));
        m_Log.errors.clear();
        std::vector<std::string> warnings;
        struct WarningCapture : GxDebugListenerBase {
            std::vector<std::string>* lines;
            int Output(const char16_t* text, std::int32_t level) override
            {
                if (level == kLevelWarning)
                    lines->push_back(WideToUtf8(text));
                return 0;
            }
        } capture;
        capture.lines = &warnings;
        LogSetSink(&capture);
        LogSetWarningsMuted(false);
        GxUserData d;
        const bool loaded = LoadGameData(&d, SlotPath(), true);
        LogSetSink(&m_Log);
        EXPECT_TRUE(loaded);
        ASSERT_EQ(d.m_SelectMenuItemList.size(), 11u);
        EXPECT_EQ(d.m_SelectMenuItemList[10].m_Text, u"item10");
        EXPECT_EQ(d.m_NameIdentifyMode, 7);   // the values after the list line up
        EXPECT_TRUE(d.m_HideWindowByCommandFlag);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("gamedata001.gd"), std::string::npos);
    }
}

TEST_F(UserDataTest, DamagedCountsFailFastAndKeepWhatWasRead)
{
    const auto hugeList = [](const char* name) {
        return [name](GxContentWriterBase& w) {
            w.WriteListBegin(name, "", 0xFFFFFFF0u);
            w.WriteListEnd();
        };
    };
    const auto goodChoices = [](GxContentWriterBase& w) {
        w.WriteListBegin("m_SelectMenuItemList", "", 0);
        w.WriteListEnd();
    };
    const auto cutLog = [](GxContentWriterBase& w) {
        w.WriteListBegin("GxMessageLogElement", "", 3);
        GxMessageLogElement entry;
        entry.m_Message = u"kept";
        entry.Write(w);
        w.WriteWString("m_Name", u"half");
    };
    for (Form form : {Form::kText, Form::kBinary}) {
        struct Case {
            const char* name;
            std::string bytes;
            std::size_t logEntries;
        };
        const std::vector<Case> cases = {
            {"huge choice count", WithChoiceList(form, hugeList("m_SelectMenuItemList")), 0},
            {"huge log count", WithChoiceList(form, goodChoices, hugeList("GxMessageLogElement")), 0},
            {"log cut short", WithChoiceList(form, goodChoices, cutLog), 2},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(FormName(form)) + ": " + c.name);
            m_Log.errors.clear();
            WriteSlot(c.bytes);
            GxUserData d;
            EXPECT_FALSE(LoadGameData(&d, SlotPath(), true));
            EXPECT_EQ(d.m_GameDataTitle, u"t");   // read before the damage
            EXPECT_EQ(d.m_SelectMenuItemList.size(), 11u);
            EXPECT_EQ(d.m_MessageLog.size(), c.logEntries);
            if (c.logEntries != 0) {
                EXPECT_EQ(d.m_MessageLog[0].m_Message, u"kept");
            }
            EXPECT_EQ(m_Log.errors.size(), 1u);
            EXPECT_EQ(m_Log.Count("gamedata001.gd"), 1);
        }
    }
}

TEST_F(UserDataTest, FailedSaveKeepsTheEarlierFile)
{
    GxUserData first;
    first.m_GameDataTitle = u"first";
    ASSERT_TRUE(SaveGameData(&first, SlotPath(), true));
    const std::string before = ReadAll(m_Temp.Path() / "gamedata001.gd");

    // A child process whose files cannot grow past 256 bytes: the write fails for real.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{256, 256};
        setrlimit(RLIMIT_FSIZE, &limit);
        m_Log.errors.clear();
        GxUserData second;
        FillSample(second);
        const bool saved = SaveGameData(&second, SlotPath(), true);
        _exit(saved ? 10 : m_Log.Count("gamedata001.gd") == 1 && m_Log.errors.size() == 1 ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);   // 10: reported success; 11: not one log line
    EXPECT_EQ(ReadAll(m_Temp.Path() / "gamedata001.gd"), before);
    EXPECT_FALSE(std::filesystem::exists(m_Temp.Path() / "gamedata001.gd.tmp"));
}

}  // namespace
}  // namespace data_test
