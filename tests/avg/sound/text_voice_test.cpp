// [Game sound] the voice of a "TEXT" block on the real channel managers over the capture sink: it
// plays on the first voice channel before the block is read, stays playing when the block then
// fails, and its record travels with the message into the log.
#include "tests/media/sound_fixture.h"

#include "avg/avg_builtin.h"
#include "avg/game_sound_state.h"
#include "core/core.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "media/audio_channels.h"
#include "media/sound_channels.h"
#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker.h"
#include "tests/script/moa_log_fixture.h"
#include "tests/support/core_config_fixture.h"

namespace {

constexpr std::int32_t kSpeakerRow = 2;
constexpr std::uint32_t kFirstVoiceChannel = 10;

class TextVoice : public SoundTest {
protected:
    TextVoice() : m_Core(*GxCore::GetInstance()), m_Config(m_Core) {}

    void SetUp() override
    {
        SoundTest::SetUp();
        WriteRamp("voice/mio/v001.wav", kRate * 2);
        m_Config.m_System.m_SoundEngineXAudio2 = true;
        m_Config.m_System.m_ErrorStopNotFound_VO = true;
        m_Config.Refresh();
        m_PreviousData = m_Core.m_UserData;
        m_PreviousPerman = m_Core.m_UserDataPerman;
        m_Core.m_UserData = &m_Data;
        m_Core.m_UserDataPerman = &m_Perman;
        GetDBAvgChar().GetRow(kSpeakerRow)->m_VoicePath = u"voice/mio/";
        ResetGameSoundState();
        m_Defaults.Register(&m_Binder);
        m_Avg.RegisterBuiltins(&m_Binder);
    }
    void TearDown() override
    {
        *GetDBAvgChar().GetRow(kSpeakerRow) = DBAvgCharRow{};
        ResetGameSoundState();
        m_Core.m_UserData = m_PreviousData;
        m_Core.m_UserDataPerman = m_PreviousPerman;
        AudioStopAllStatic();
        SoundStopAllStatic();
        SoundTest::TearDown();
    }

    // Runs script "main" to its end; the error lines it wrote.
    std::vector<std::u16string> Run(const std::string& body)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\nBUILTIN text, endtext\n" + body + "\n");
        EXPECT_TRUE(moa_test::LoadProgram(assembler, m_Moa));
        m_Moa.ResetRunState();
        m_Moa.BuildVariables();
        m_Worker.RebuildScriptEntities();
        TakeLog();
        EXPECT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
        for (int steps = 0; steps < 100 && m_Worker.Step(&m_Binder); ++steps) {
        }
        std::vector<std::u16string> errors;
        for (const std::u16string& line : TakeLog()) {
            if (line.find(u"err:") != std::u16string::npos)
                errors.push_back(line);
        }
        return errors;
    }

    GxCore& m_Core;
    TestCoreConfig m_Config;
    GxUserData* m_PreviousData = nullptr;
    GxUserDataPerman* m_PreviousPerman = nullptr;
    GxUserData m_Data;
    GxUserDataPerman m_Perman;
    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    GxMoaBuiltinDefault m_Defaults;
    GxMoaFunctionBinder m_Binder;
    AvgBuiltin m_Avg{GxCore::GetInstance()};
};

TEST_F(TextVoice, TheVoicePlaysFirstAndIsLoggedWithTheMessage)
{
    EXPECT_TRUE(Run("TEXT(\"Mio\", \"v001\")\nhello\nendtext()").empty());
    EXPECT_TRUE(AudioStreamIsPlaying(kFirstVoiceChannel));
    EXPECT_EQ(AudioStreamGetFileName(kFirstVoiceChannel), u"voice/mio/v001.wav");
    ASSERT_EQ(m_Data.m_MessageLog.size(), 1u);
    EXPECT_EQ(m_Data.m_MessageLog.back().m_Message, u"hello");
    EXPECT_EQ(m_Data.m_MessageLog.back().m_VoiceFileName[0], u"voice/mio/v001.wav");
    EXPECT_EQ(m_Data.m_MessageLog.back().m_VoiceCharID[0], kSpeakerRow);

    // A block that fails after the voice started leaves it playing and logs nothing.
    AudioStreamClose(kFirstVoiceChannel);
    ASSERT_FALSE(AudioStreamIsPlaying(kFirstVoiceChannel));
    const std::vector<std::u16string> errors = Run("TEXT(\"Mio\", \"v001\")\n$v = 1\nendtext()");
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.front().find(u"ENDTEXTに到達する前に処理できないトークンがあります"), std::u16string::npos);
    EXPECT_TRUE(AudioStreamIsPlaying(kFirstVoiceChannel));
    EXPECT_EQ(m_Data.m_MessageLog.size(), 1u);
}

}  // namespace
