// The engine run whole with the media subsystem's real services: both sound back ends open at
// start-up after the graphics device and the input devices, report to "device.log", and leave
// no voice, buffer, open mixer or COM count behind at exit.
#include "tests/support/engine_run_fixture.h"

#include "media/media_services.h"
#include "media/sound_devices.h"
#include "platform/audio/mixer.h"
#include "platform/dsound/dsound.h"
#include "platform/win32/com.h"
#include "platform/xaudio2/xaudio2.h"

namespace engine_test {
namespace {

constexpr char kSysConf[] = "APP_TITLE=Sound Game\nAPP_SAVEDIR=SOUND_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";

TEST_F(EngineRunTest, TheRealSoundDevicesOpenAtStartUpAndCloseAtExit)
{
    MakeGameFolder(m_Game, GameFolder{kSysConf, std::nullopt});
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

}  // namespace
}  // namespace engine_test
