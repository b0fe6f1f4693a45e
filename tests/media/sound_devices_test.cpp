// The two sound back ends opened and closed as the engine does it, on the capture sink: the
// log lines of every failure, the capabilities in "device.log", the listener records, the
// shared mixer and the COM count.
#include "media_fixture.h"

#include "media/sound_devices.h"
#include "media/sound_loader_wav.h"
#include "platform/audio/mixer.h"
#include "platform/win32/com.h"
#include "platform/win32/window.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

using platform::Mixer;

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

const std::u16string kXAudio2Failed = u"XAudio2を初期化できませんでした\n";
const std::u16string kDirectSoundFailed = u"DirectSound8を初期化できませんでした\n";

class SoundDevicesTest : public MediaTest {
protected:
    void SetUp() override
    {
        MediaTest::SetUp();
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::ResetUserStateForTesting();
        Mixer::Instance().SetSink(platform::AudioSink::Capture);
        m_DeviceLog = m_Folder.Join("device.log").u16string();
        LogSetDeviceFile(m_DeviceLog.c_str());
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = u"SoundDeviceTest";
        ASSERT_NE(RegisterClassExW(&windowClass), 0);
        m_Window = CreateWindowExW(0, u"SoundDeviceTest", u"SoundDeviceTest", WS_POPUP, 0, 0, 320, 240, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_Window, nullptr);
        m_ComCountBefore = platform::ComInitializeCount();
        platform::ResetDirectSoundCallCounts();
    }

    void TearDown() override
    {
        ShutDown();
        ClearFaults();
        LogSetWarningsMuted(false);
        LogSetDeviceFile(u"");
        EXPECT_EQ(platform::ComInitializeCount(), m_ComCountBefore);
        ExpectNothingLeft();
        platform::ResetUserStateForTesting();
        MediaTest::TearDown();
    }

    static void ClearFaults()
    {
        platform::SetComFaults({});
        platform::SetXAudio2Faults({});
        platform::SetDirectSoundFaults({});
    }

    static void ShutDown()
    {
        SoundShutdownDevice();
        AudioShutdownDevice();
    }

    static void ExpectNothingLeft()
    {
        const platform::XAudio2Census voices = platform::XAudio2Objects();
        EXPECT_EQ(voices.engines + voices.masteringVoices + voices.sourceVoices, 0);
        const platform::DirectSoundCensus sound = platform::DirectSoundObjects();
        EXPECT_EQ(sound.devices, 0);
        EXPECT_EQ(sound.buffers.size(), 0u);
        EXPECT_FALSE(Mixer::Instance().IsOpen());
    }

    // "device.log" (UTF-16LE after its signature, lines ending in CR LF) so far, with plain line
    // feeds, and emptied.
    std::u16string TakeDeviceLog()
    {
        std::ifstream in(std::filesystem::path(m_DeviceLog), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        in.close();
        std::u16string text;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
            if (unit != u'\r') text.push_back(unit);
        }
        if (!text.empty() && text[0] == u'\xFEFF') text.erase(0, 1);
        std::filesystem::remove(std::filesystem::path(m_DeviceLog));
        return text;
    }

    static bool Contains(const std::u16string& text, const std::u16string& part)
    {
        return text.find(part) != std::u16string::npos;
    }

    std::u16string m_DeviceLog;
    HWND m_Window = nullptr;
    int m_ComCountBefore = 0;
};

TEST_F(SoundDevicesTest, BothBackEndsOpenOnTheSharedMixerAndCloseWithoutLeftovers)
{
    ASSERT_TRUE(InitAudioDevice(0));
    ASSERT_TRUE(SoundInitDevice(m_Window, 0));
    const GxAudioDeviceState& audio = GetAudioDeviceState();
    const GxSoundDeviceState& sound = GetSoundDeviceState();
    EXPECT_EQ(audio.m_Enabled, 1);
    EXPECT_EQ(sound.m_Enabled, 1);
    EXPECT_EQ(audio.m_Use3D, 0);
    EXPECT_EQ(platform::ComInitializeCount(), m_ComCountBefore + 2);
    for (const X3DAUDIO_VECTOR& v : {audio.m_RequestedPosition, audio.m_RequestedFront, audio.m_RequestedTop})
        EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(audio.m_RequestedFront.z, 1.0f);
    EXPECT_EQ(audio.m_RequestedTop.y, 1.0f);
    EXPECT_EQ(sound.m_RequestedFront.z, 1.0f);
    EXPECT_EQ(sound.m_RequestedTop.y, 1.0f);
    EXPECT_EQ(sound.m_RequestedPosition.x + sound.m_RequestedPosition.y + sound.m_RequestedPosition.z, 0.0f);

    // Without 3D: a plain primary buffer in the engine's format, no listener.
    const platform::DirectSoundCensus census = platform::DirectSoundObjects();
    ASSERT_EQ(census.primaryBuffers, 1);
    EXPECT_EQ(census.buffers[0].flags, DSBCAPS_PRIMARYBUFFER);
    EXPECT_EQ(sound.m_Listener, nullptr);
    WAVEFORMATEX format{};
    ASSERT_EQ(sound.m_PrimaryBuffer->GetFormat(&format, sizeof format, nullptr), DS_OK);
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(platform::DirectSoundCallCounts().compact, 1);
    EXPECT_EQ(platform::XAudio2Objects().masteringVoices, 1);

    // The DirectSound cache is emptied by its shut-down; the mixer stays open until the last
    // back end closes.
    Write("se.wav", BuildTestPcmWav(1, 44100, 16, TestPcm16Bytes(TestRamp(100, 1))));
    ASSERT_NE(GetSoundDeviceState().m_Cache.Acquire(u"se.wav"), nullptr);
    GetSoundDeviceState().m_Cache.Release(u"se.wav");
    SoundShutdownDevice();
    EXPECT_EQ(GetSoundDeviceState().m_Cache.GetCount(), 0u);
    EXPECT_EQ(platform::DirectSoundObjects().devices, 0);
    EXPECT_TRUE(Mixer::Instance().IsOpen());
    AudioShutdownDevice();
    ExpectNothingLeft();
    EXPECT_EQ(platform::ComInitializeCount(), m_ComCountBefore);

    // A second start-up works as the first.
    EXPECT_TRUE(InitAudioDevice(0));
    EXPECT_TRUE(SoundInitDevice(m_Window, 0));
    EXPECT_TRUE(Mixer::Instance().IsOpen());
}

TEST_F(SoundDevicesTest, TheDeviceLogShowsTheSoftwareMixersCapabilities)
{
    ASSERT_TRUE(SoundInitDevice(m_Window, 0));
    std::u16string expected = u"DirectSound8の初期化を開始します\n"
                              u"サウンドデバイスの能力情報\n"
                              u"\t・Flags:0xF1F\n"
                              u"\t\t・DSCAPS_CERTIFIED:0\n"
                              u"\t\t・DSCAPS_CONTINUOUSRATE:1\n"
                              u"\t\t・DSCAPS_EMULDRIVER:0\n"
                              u"\t\t・DSCAPS_PRIMARY16BIT:1\n"
                              u"\t\t・DSCAPS_PRIMARY8BIT:1\n"
                              u"\t\t・DSCAPS_PRIMARYMONO:1\n"
                              u"\t\t・DSCAPS_PRIMARYSTEREO:1\n"
                              u"\t\t・DSCAPS_SECONDARY16BIT:1\n"
                              u"\t\t・DSCAPS_SECONDARY8BIT:1\n"
                              u"\t\t・DSCAPS_SECONDARYMONO:1\n"
                              u"\t\t・DSCAPS_SECONDARYSTEREO:1\n"
                              u"\t・セカンダリバッファ最小サンプリングレート:1000\n"
                              u"\t・セカンダリバッファ最大サンプリングレート:200000\n"
                              u"\t・最大プライマリバッファ数:1\n"
                              u"\t・最大ハードウェアミキシング数:0\n"
                              u"\t・スタティックバッファ最大数:0\n"
                              u"\t・ストリーミングバッファ最大数:0\n"
                              u"\t・フリーの全バッファ数:0\n"
                              u"\t・フリーのスタティックバッファ数:0\n"
                              u"\t・フリーのストリーミングバッファ数:0\n"
                              u"\t・３Ｄバッファ最大数:0\n"
                              u"\t・３Ｄスタティックバッファ最大数:0\n"
                              u"\t・３Ｄストリーミングバッファ最大数:0\n"
                              u"\t・フリーの全３Ｄバッファ数:0\n"
                              u"\t・フリーの３Ｄスタティックバッファ数:0\n"
                              u"\t・フリーの３Ｄストリーミングバッファ数:0\n"
                              u"\t・静的サウンドバッファメモリサイズ:0 Bytes\n"
                              u"\t・サウンドカード空きメモリサイズ:0 Bytes\n"
                              u"\t・空きメモリの最大連続ブロックサイズ:0 Bytes\n"
                              u"\t・バッファ転送速度:0 KBytes/Sec\n"
                              u"\t・処理オーバーヘッド:0 %\n"
                              u"\tDirectSound8のCooperativeLevelを DSSCL_PRIORITY に設定しました\n";
    EXPECT_EQ(TakeDeviceLog(), expected);
    EXPECT_TRUE(TakeLog().empty());
}

TEST_F(SoundDevicesTest, EveryFailedStepLogsItsLineAndLeavesTheBackEndDisabled)
{
    struct Case {
        const char* name;
        std::function<void()> inject;
        bool directSound;
        BYTE use3D;
        std::u16string warning;
        bool deviceLine;
    };
    auto com = [] { platform::SetComFaults({E_FAIL, {}}); };
    auto xaudio = [](HRESULT platform::XAudio2Faults::*field) {
        return [field] {
            platform::XAudio2Faults faults;
            faults.*field = E_FAIL;
            platform::SetXAudio2Faults(faults);
        };
    };
    auto dsound = [](std::vector<HRESULT platform::DirectSoundFaults::*> fields) {
        return [fields] {
            platform::DirectSoundFaults faults;
            for (auto field : fields) faults.*field = DSERR_GENERIC;
            platform::SetDirectSoundFaults(faults);
        };
    };
    auto nineChannels = [] {
        platform::XAudio2Faults faults;
        faults.outputChannels = 9;
        faults.outputChannelMask = 0x73F;
        platform::SetXAudio2Faults(faults);
    };
    using F = platform::DirectSoundFaults;
    const Case cases[] = {
        {"audio com", com, false, 0, u"Error/GxAudio CoInitializeEx Failed(hr=80004005)\n", true},
        {"engine", xaudio(&platform::XAudio2Faults::create), false, 0, u"Error/GxAudio XAudio2の生成に失敗しました\n", true},
        {"engine init", xaudio(&platform::XAudio2Faults::initialize), false, 0,
         u"Error/GxAudio XAudio2の生成に失敗しました\n", true},
        {"master", xaudio(&platform::XAudio2Faults::createMasteringVoice), false, 0,
         u"Error/GxAudio MasteringVoiceの生成に失敗しました\n", true},
        {"details", xaudio(&platform::XAudio2Faults::getDeviceDetails), false, 1,
         u"Error/GxAudio デバイス情報の取得に失敗しました\n", false},
        {"channels", nineChannels, false, 1, u"Error/GxAudio チャンネル数が多すぎます\n", false},
        {"sound com", com, true, 0, u"Error/GxSound CoInitializeEx Failed(hr=80004005)\n", true},
        {"create", dsound({&F::create}), true, 0, u"Error/GxSound DirectSound8の取得に失敗しました\n", true},
        {"query", dsound({&F::queryDirectSound}), true, 0, u"Error/GxSound DirectSoundの取得に失敗しました\n", true},
        {"initialize", dsound({&F::initialize}), true, 0, u"Error/GxSound DirectSound8の初期化に失敗しました\n", true},
        {"caps", dsound({&F::getCaps}), true, 0, u"Error/GxSound DirectSound8::GetCapsに失敗しました\n", true},
        {"level", dsound({&F::cooperativePriority, &F::cooperativeNormal}), true, 0,
         u"Error/GxSound CooperativeLevelの設定に失敗しました\n", false},
        {"primary", dsound({&F::createPrimary}), true, 0, u"Error/GxSound プライマリサウンドバッファ作成に失敗しました\n",
         false},
        {"listener", dsound({&F::queryListener}), true, 1,
         u"Error/GxSound プライマリサウンドバッファ作成に失敗しました\n", false},
        {"format", dsound({&F::setFormat}), true, 0,
         u"Error/GxSound プライマリサウンドバッファのフォーマット設定に失敗しました\n", false},
    };
    for (const bool muted : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (muted ? " muted" : ""));
            LogSetWarningsMuted(muted);
            c.inject();
            const bool ok = c.directSound ? SoundInitDevice(m_Window, c.use3D) : InitAudioDevice(c.use3D);
            ClearFaults();
            EXPECT_FALSE(ok);
            EXPECT_EQ(c.directSound ? GetSoundDeviceState().m_Enabled : GetAudioDeviceState().m_Enabled, 0);
            const std::vector<std::u16string> expected =
                muted ? std::vector<std::u16string>{} : std::vector<std::u16string>{c.warning};
            EXPECT_EQ(TakeLog(), expected);
            EXPECT_EQ(Contains(TakeDeviceLog(), c.directSound ? kDirectSoundFailed : kXAudio2Failed), c.deviceLine);
            // Whatever the failed set-up made is released by the shut-down.
            ShutDown();
            ExpectNothingLeft();
            EXPECT_EQ(platform::ComInitializeCount(), m_ComCountBefore);
        }
    }
}

TEST_F(SoundDevicesTest, ARefusedPriorityLevelFallsBackToNormalWithoutCompacting)
{
    platform::DirectSoundFaults faults;
    faults.cooperativePriority = DSERR_GENERIC;
    platform::SetDirectSoundFaults(faults);
    ASSERT_TRUE(SoundInitDevice(m_Window, 0));
    const std::u16string log = TakeDeviceLog();
    EXPECT_TRUE(Contains(log, u"\tDirectSound8のCooperativeLevelを DSSCL_NORMAL に設定しました\n"));
    EXPECT_FALSE(Contains(log, u"DSSCL_PRIORITY"));
    EXPECT_EQ(platform::DirectSoundCallCounts().compact, 0);
    SoundShutdownDevice();

    // A failed Compact is logged and set-up goes on.
    faults = {};
    faults.compact = DSERR_GENERIC;
    platform::SetDirectSoundFaults(faults);
    EXPECT_TRUE(SoundInitDevice(m_Window, 0));
    EXPECT_EQ(TakeLog(), std::vector<std::u16string>{u"Error/GxSound メモリ最適化に失敗しました\n"});
    EXPECT_EQ(GetSoundDeviceState().m_Enabled, 1);
}

TEST_F(SoundDevicesTest, AThreadInAnotherComModelKeepsItsCount)
{
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    const int count = platform::ComInitializeCount();
    EXPECT_TRUE(InitAudioDevice(0));
    EXPECT_TRUE(SoundInitDevice(m_Window, 0));
    EXPECT_EQ(GetAudioDeviceState().m_ComCount, 0);
    EXPECT_EQ(GetSoundDeviceState().m_ComCount, 0);
    ShutDown();
    EXPECT_EQ(platform::ComInitializeCount(), count);
    CoUninitialize();
}

TEST_F(SoundDevicesTest, ThreeDSetUpFillsTheConeAndTheListener)
{
    platform::XAudio2Faults faults;
    faults.outputChannels = 8;
    faults.outputChannelMask = 0x63F;
    platform::SetXAudio2Faults(faults);
    ASSERT_TRUE(InitAudioDevice(1));
    const GxAudioDeviceState& audio = GetAudioDeviceState();
    EXPECT_EQ(audio.m_Use3D, 1);
    const X3DAUDIO_CONE& cone = audio.m_ListenerCone;
    const float values[] = {cone.InnerAngle, cone.OuterAngle,  cone.InnerVolume, cone.OuterVolume,
                            cone.InnerLPF,   cone.OuterLPF,    cone.InnerReverb, cone.OuterReverb};
    const float wanted[] = {2.6179941f, 5.7595868f, 1.0f, 0.75f, 0.0f, 0.25f, 0.708f, 1.0f};
    for (std::size_t i = 0; i < std::size(wanted); ++i) EXPECT_EQ(values[i], wanted[i]) << i;
    EXPECT_EQ(audio.m_Listener.pCone, &audio.m_ListenerCone);
    EXPECT_EQ(audio.m_Listener.OrientFront.z, 1.0f);
    EXPECT_EQ(audio.m_Listener.OrientTop.y, 1.0f);
    EXPECT_EQ(audio.m_Listener.Position.x + audio.m_Listener.Position.y + audio.m_Listener.Position.z, 0.0f);
    // The instance can place a sound: straight ahead is centred.
    X3DAUDIO_EMITTER emitter{};
    emitter.ChannelCount = 1;
    emitter.Position = {0.0f, 0.0f, 1.0f};
    emitter.CurveDistanceScaler = 1.0f;
    float matrix[2] = {};
    X3DAUDIO_DSP_SETTINGS dsp{};
    dsp.pMatrixCoefficients = matrix;
    dsp.SrcChannelCount = 1;
    dsp.DstChannelCount = 2;
    X3DAudioCalculate(audio.m_X3DInstance, &audio.m_Listener, &emitter, X3DAUDIO_CALCULATE_MATRIX, &dsp);
    EXPECT_NEAR(matrix[0], matrix[1], 1e-6f);

    ASSERT_TRUE(SoundInitDevice(m_Window, 1));
    const GxSoundDeviceState& sound = GetSoundDeviceState();
    const platform::DirectSoundCensus census = platform::DirectSoundObjects();
    ASSERT_EQ(census.primaryBuffers, 1);
    EXPECT_EQ(census.buffers[0].flags, DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D);
    ASSERT_NE(sound.m_Listener, nullptr);
    D3DVECTOR position{1, 1, 1}, front{}, top{};
    ASSERT_EQ(sound.m_Listener->GetPosition(&position), DS_OK);
    ASSERT_EQ(sound.m_Listener->GetOrientation(&front, &top), DS_OK);
    EXPECT_EQ(std::vector<float>({position.x, position.y, position.z, front.x, front.y, front.z, top.x, top.y, top.z}),
              std::vector<float>({0, 0, 0, 0, 0, 1, 0, 1, 0}));
    const platform::DirectSoundCounters counts = platform::DirectSoundCallCounts();
    EXPECT_EQ(counts.listenerSetPosition, 1);
    EXPECT_EQ(counts.listenerSetOrientation, 1);
    EXPECT_EQ(counts.commitDeferredSettings, 1);
}

// What the players will do with the device: a static buffer filled from a ramp WAV plays it
// sample for sample.
TEST_F(SoundDevicesTest, ASoundFromARampWavPlaysExactlyOnTheEnginesDevice)
{
    ASSERT_TRUE(SoundInitDevice(m_Window, 0));
    const std::vector<std::int16_t> ramp = TestRamp(3000, 2, true);
    Write("ramp.wav", BuildTestPcmWav(2, 44100, 16, TestPcm16Bytes(ramp)));
    GxSoundLoaderWav loader;
    ASSERT_TRUE(loader.Open(u"ramp.wav"));
    WAVEFORMATEX format = *loader.GetFormat();
    const DWORD bytes = static_cast<DWORD>(loader.GetLength() * format.nBlockAlign);
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = 0x581E0;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(GetSoundDeviceState().m_Device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(0, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::uint32_t read = 0;
    ASSERT_TRUE(loader.Read(p1, n1, &read));
    EXPECT_EQ(read, bytes);
    ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    Mixer::Instance().Advance(3500);
    std::vector<std::int16_t> out = Mixer::Instance().TakeCaptured();
    std::vector<std::int16_t> expected = ramp;
    expected.resize(7000, 0);
    EXPECT_EQ(out, expected);
    buffer->Release();
}

}  // namespace
