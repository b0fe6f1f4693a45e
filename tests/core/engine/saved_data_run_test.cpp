// [Engine] the running engine on the real saved data, every subsystem installed as the process
// entry does it: a speaker line of the game's script lands in the game's message log and the
// persistent read flags, the shut-down writes "permanent.dat" with the script's persistent
// variable, and the next run starts with the line read and the variable back. A damaged
// "permanent.dat" is logged, kept beside as "permanent.dat.damaged" by the shut-down's save, and
// the game starts with empty flags; a temporary file of a killed save is gone at start-up. A
// saved game written and read back in the running engine carries the script engine's own
// variables.
#include "tests/support/engine_run_fixture.h"

#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "script/moa_ex.h"
#include "script/variable_set.h"
#include "script/variable_table.h"
#include "script/worker.h"
#include "tests/support/moa_assembler.h"

namespace engine_test {
namespace {

// "*MAIN" is line 0: the speaker line is line 2, read-flag bit 3.
constexpr char kScript[] = "*MAIN\n"
                           "GLOBAL PERMAN $visits = 0\n"
                           "花子「こんにちは」\n"
                           "$visits = $visits + 1\n"
                           "GLOBAL INGAME $score = 0\n"
                           "$score = 42\n"
                           "Print(\"visits=\" : $visits)\n";
constexpr std::int32_t kSpeakerLineBit = 3;

class SavedDataRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseEngineServices();
        // The stand-in boot starts "MAIN" at once, with no title to go through.
        SetGameScreensBuilder(&standin_screens::Build);
        // A shown message holds the script for 30 frames when nobody clicks.
        m_Run.SetMaxPasses(80);
        // Debug mode, so that the script's Print reaches "debug.log".
        MakeGameFolder(m_Game, GameFolder{.setting = "DebugModeFlag=1\n"});
        // The default name mode shows a speaker only when the name's image exists.
        fs::create_directories(m_Game / "cg" / "name");
        std::ofstream(m_Game / "cg" / "name" / "花子.png") << "png";
        MoaAssembler assembler;
        assembler.AddScript(u"main", kScript);
        EXPECT_TRUE(assembler.WriteFile(m_Game / "bincode" / "moacode.mwb", MoaProgramForm::Binary));
        // What the run finds once its flags are loaded, before the script starts.
        m_Module.m_OnCreateSequences = [this](GxTaskBase*) {
            GxUserDataPerman* flags = GxCore::GetInstance()->m_UserDataPerman;
            m_ReadAtStart = flags != nullptr && flags->IsMessageRead(u"main", kSpeakerLineBit);
            m_ExtraOptionAtStart = flags != nullptr ? flags->m_ExtraOption : 0xFFFFFFFFu;
            // An option bit of the module's own, kept by the shut-down's save like the read flags.
            if (flags != nullptr)
                flags->m_ExtraOption |= 1u << 10;
            m_VisitsAtStart = Visits();
        };
    }

    static fs::path Save() { return "ENGINE_SAVE"; }
    fs::path Permanent() const { return m_Game / Save() / "permanent.dat"; }
    std::string DebugLog() const { return ReadLog(m_Game / Save() / "debug.log"); }
    std::string ErrorLog() const { return ReadLog(m_Game / Save() / "error.log"); }

    // A script variable of the main worker; -1 without the engine or the variable.
    static std::int32_t WorkerVariable(const char16_t* name)
    {
        GxMoaWorker* worker = GetMainWorker();
        GxMoaVariableSet* variable = worker != nullptr ? worker->GetVariableTable().Find(name) : nullptr;
        return variable != nullptr ? variable->m_Value.ToInt() : -1;
    }
    static std::int32_t Visits() { return WorkerVariable(u"visits"); }

    bool m_ReadAtStart = true;
    std::uint32_t m_ExtraOptionAtStart = 0xFFFFFFFFu;
    std::int32_t m_VisitsAtStart = -1;
};

TEST_F(SavedDataRunTest, AShownLineIsReadInTheNextRunAndThePersistentVariableComesBack)
{
    std::vector<std::string> logAtReset;
    m_Module.m_OnBeforeReset = [&] {
        if (GxUserData* data = GxCore::GetInstance()->m_UserData) {
            for (const GxMessageLogElement& entry : data->m_MessageLog)
                logAtReset.push_back(Utf8(entry.m_Name) + "|" + Utf8(entry.m_Message));
        }
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(m_ExtraOptionAtStart, 0u);
    ASSERT_NE(DebugLog().find("visits=1"), std::string::npos) << DebugLog();
    EXPECT_FALSE(m_ReadAtStart);
    // The speaker's name first, then the text.
    EXPECT_EQ(logAtReset, (std::vector<std::string>{"花子|「こんにちは」"}));
    // The shut-down wrote the flags.
    GxUserDataPerman saved;
    ASSERT_TRUE(LoadPermanentData(&saved, Utf8ToWide(Permanent().string())));
    EXPECT_TRUE(saved.IsMessageRead(u"main", kSpeakerLineBit));
    EXPECT_FALSE(saved.IsMessageRead(u"main", kSpeakerLineBit + 1));

    fs::remove(m_Game / Save() / "debug.log");
    logAtReset.clear();
    platform::ResetUserStateForTesting();   // the first run's window is gone
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(m_ReadAtStart);
    EXPECT_EQ(m_ExtraOptionAtStart, 1u << 10);
    EXPECT_EQ(m_VisitsAtStart, 1);
    EXPECT_NE(DebugLog().find("visits=2"), std::string::npos) << DebugLog();
    EXPECT_EQ(logAtReset, (std::vector<std::string>{"花子|「こんにちは」"}));   // the log is the game's, not kept
}

TEST_F(SavedDataRunTest, ADamagedFlagsFileIsLoggedKeptBesideAndTheGameStartsWithEmptyFlags)
{
    fs::create_directories(m_Game / Save());
    WriteFile(Permanent(), "BPD garbage that is no flags file");
    // What a save killed before its rename left: gone once the save folder is known.
    const fs::path stale = m_Game / Save() / "gamedata001.gd.tmp";
    WriteFile(stale, "cut");
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(fs::exists(stale));
    // The shut-down's save kept the refused file before replacing it.
    std::ifstream kept(m_Game / Save() / "permanent.dat.damaged", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), std::istreambuf_iterator<char>()),
              "BPD garbage that is no flags file");
    const std::string errors = ErrorLog();
    // The save folder is named from the working folder, with its links resolved.
    const std::string line = "LoadPermanentData/the file could not be read whole[" +
                             (fs::canonical(m_Game / Save()) / "permanent.dat").string() + "]";
    EXPECT_NE(errors.find(line), std::string::npos) << errors;
    EXPECT_EQ(errors.find(line), errors.rfind(line)) << errors;   // one line
    EXPECT_FALSE(m_ReadAtStart);
    // The shut-down replaced it with a whole file.
    GxUserDataPerman saved;
    EXPECT_TRUE(LoadPermanentData(&saved, Utf8ToWide(Permanent().string())));
    EXPECT_TRUE(saved.IsMessageRead(u"main", kSpeakerLineBit));
}

TEST_F(SavedDataRunTest, ASavedGameCarriesTheRunningScriptsVariables)
{
    const fs::path slot = m_Game / Save() / "gamedata001.gd";
    bool saved = false, loaded = false;
    std::int32_t scoreBeforeLoad = -1, scoreAfterLoad = -1;
    std::size_t logAfterLoad = 0;
    m_Module.m_OnBeforeReset = [&] {
        GxUserData* data = GxCore::GetInstance()->m_UserData;
        ASSERT_NE(data, nullptr);
        saved = SaveGameData(data, Utf8ToWide(slot.string()), true);
        GxMoaVariableSet* score = GetMainWorker()->GetVariableTable().Find(u"score");
        ASSERT_NE(score, nullptr);
        score->m_Value.SetInt64(0);
        data->m_MessageLog.clear();
        scoreBeforeLoad = WorkerVariable(u"score");
        loaded = LoadGameData(data, Utf8ToWide(slot.string()), true);
        scoreAfterLoad = WorkerVariable(u"score");
        logAfterLoad = data->m_MessageLog.size();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(scoreBeforeLoad, 0);
    EXPECT_EQ(scoreAfterLoad, 42);
    EXPECT_EQ(logAfterLoad, 1u);
    EXPECT_EQ(ErrorLog().find("err:"), std::string::npos) << ErrorLog();
}

}  // namespace
}  // namespace engine_test
