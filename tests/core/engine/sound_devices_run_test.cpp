// The engine run whole with the media subsystem's real services: both sound back ends open at
// start-up after the graphics device and the input devices, report to "device.log", and leave
// no voice, buffer, open mixer or COM count behind at exit.
#include "tests/support/engine_run_fixture.h"

#include "media/audio_channels.h"
#include "media/media_services.h"
#include "media/sound_channels.h"
#include "media/sound_devices.h"
#include "platform/audio/mixer.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/com.h"
#include "platform/win32/timer.h"
#include "platform/xaudio2/xaudio2.h"
#include "tests/support/sound_fixtures.h"

#include <fstream>
#include <vector>

namespace engine_test {
namespace {

constexpr char kSoundSysConf[] = "APP_TITLE=Sound Game\nAPP_SAVEDIR=SOUND_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";

TEST_F(EngineRunTest, TheRealSoundDevicesOpenAtStartUpAndCloseAtExit)
{
    MakeGameFolder(m_Game, GameFolder{kSoundSysConf, std::nullopt});
    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    GxMediaServices media;
    SetMediaServices(&media);
    const int comBefore = platform::ComInitializeCount();
    bool enabledWhileRunning = false;
    bool mixerOpenWhileRunning = false;
    m_Module.m_OnInitialize = [&] {
        enabledWhileRunning = GetAudioDeviceState().m_Enabled == 1 && GetSoundDeviceState().m_Enabled == 1;
        mixerOpenWhileRunning = platform::Mixer::Instance().IsOpen();
    };
    m_Run.SetMaxPasses(6);

    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(enabledWhileRunning);
    EXPECT_TRUE(mixerOpenWhileRunning);
    const std::string deviceLog = ReadLog(m_Game / "SOUND_SAVE" / "device.log");
    const std::size_t graphics = deviceLog.find("Direct3D9の初期化を開始します");
    const std::size_t input = deviceLog.find("DirectInput8の初期化を開始します");
    const std::size_t sound = deviceLog.find("DirectSound8の初期化を開始します");
    ASSERT_NE(graphics, std::string::npos);
    ASSERT_NE(input, std::string::npos);
    ASSERT_NE(sound, std::string::npos);
    EXPECT_LT(graphics, input);
    EXPECT_LT(input, sound);
    EXPECT_NE(deviceLog.find("サウンドデバイスの能力情報", sound), std::string::npos);
    EXPECT_NE(deviceLog.find("\tDirectSound8のCooperativeLevelを DSSCL_PRIORITY に設定しました", sound),
              std::string::npos);
    EXPECT_EQ(deviceLog.find("を初期化できませんでした"), std::string::npos);

    const platform::XAudio2Census voices = platform::XAudio2Objects();
    EXPECT_EQ(voices.engines + voices.masteringVoices + voices.sourceVoices, 0);
    const platform::DirectSoundCensus buffers = platform::DirectSoundObjects();
    EXPECT_EQ(buffers.devices, 0);
    EXPECT_EQ(buffers.buffers.size(), 0u);
    EXPECT_FALSE(platform::Mixer::Instance().IsOpen());
    EXPECT_EQ(platform::ComInitializeCount(), comBefore);
}

// The real services with a multimedia clock that moves 17 ms on every main-loop pass; each pass
// records channel 5 of both back ends after its per-frame work.
class SteppedMediaServices : public GxMediaServices {
public:
    struct Pass {
        bool fourth = false;
        DWORD time = 0;   // when the pass's services ran
        bool audioPlaying = false;
        bool soundPlaying = false;
        float audioVolume = 0.0f;
        LONG soundVolume = 0;
    };
    void AudioUpdatePlayers() override
    {
        m_Fourth = true;
        GxMediaServices::AudioUpdatePlayers();
    }
    void MovieSlotTickAll() override
    {
        GxMediaServices::MovieSlotTickAll();
        m_Passes.push_back({m_Fourth, timeGetTime(), AudioStreamIsPlaying(5), SoundStreamIsPlaying(5),
                            AudioStreamGetVolume(5), SoundStreamGetVolume(5)});
        m_Fourth = false;
        platform::AdvanceFakeTime(17);
    }
    std::vector<Pass> m_Passes;
    bool m_Fourth = false;
};

TEST_F(EngineRunTest, TheMainLoopDrivesTheChannelFadesOfBothBackEndsOnEveryFourthPass)
{
    MakeGameFolder(m_Game, GameFolder{kSoundSysConf, std::nullopt});
    {
        const SoundBytes wav = BuildTestPcmWav(2, 44100, 16, TestPcm16Bytes(TestRamp(44100 * 2, 2)));
        std::ofstream out(m_Game / "bgm.wav", std::ios::binary);
        out.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    }
    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    platform::SetFakeClock(true, 100000);
    SteppedMediaServices media;
    SetMediaServices(&media);
    DWORD stoppedAt = 0;
    bool started = false;
    m_Module.m_OnInitialize = [&] {
        started = AudioStreamPlay(5, u"bgm.wav", -1, 0, 0, 0.5f, 0, 0) &&
                  SoundStreamPlay(5, u"bgm.wav", -1, 0, 0, -500, 0, 0);
        stoppedAt = timeGetTime();
        AudioStreamStop(5, 40);
        SoundStreamStop(5, 40);
    };
    m_Run.SetMaxPasses(16);

    EXPECT_EQ(Run(), 0);
    platform::SetFakeClock(false);

    ASSERT_TRUE(started);
    ASSERT_GE(media.m_Passes.size(), 12u);
    std::size_t closing = 0;
    while (closing < media.m_Passes.size() &&
           !(media.m_Passes[closing].fourth && media.m_Passes[closing].time - stoppedAt >= 40))
        ++closing;
    ASSERT_LT(closing, media.m_Passes.size());
    for (std::size_t i = 0; i < media.m_Passes.size(); ++i) {
        const SteppedMediaServices::Pass& pass = media.m_Passes[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(pass.audioPlaying, i < closing);
        EXPECT_EQ(pass.soundPlaying, i < closing);
        if (i > 0 && !pass.fourth && i < closing) {
            EXPECT_EQ(pass.audioVolume, media.m_Passes[i - 1].audioVolume);
            EXPECT_EQ(pass.soundVolume, media.m_Passes[i - 1].soundVolume);
        }
    }
    // Closed before exit; the shut-down found nothing left.
    EXPECT_EQ(platform::XAudio2Objects().sourceVoices, 0);
    EXPECT_EQ(platform::DirectSoundObjects().buffers.size(), 0u);
}

}  // namespace
}  // namespace engine_test
