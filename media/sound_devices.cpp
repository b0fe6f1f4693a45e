#include "media/sound_devices.h"

#include "foundation/log.h"
#include "media/sound_channel_table.h"
#include "platform/win32/com.h"

namespace {

constexpr DWORD kMaxOutputChannels = 8;

void LogDirectSoundCaps(const DSCAPS& caps)
{
    LogPrintDevice(u"サウンドデバイスの能力情報\n");
    LogPrintDevice(u"\t・Flags:0x%X\n", caps.dwFlags);
    struct FlagLine {
        DWORD flag;
        const char16_t* format;
    };
    static constexpr FlagLine kFlags[] = {
        {DSCAPS_CERTIFIED, u"\t\t・DSCAPS_CERTIFIED:%d\n"},
        {DSCAPS_CONTINUOUSRATE, u"\t\t・DSCAPS_CONTINUOUSRATE:%d\n"},
        {DSCAPS_EMULDRIVER, u"\t\t・DSCAPS_EMULDRIVER:%d\n"},
        {DSCAPS_PRIMARY16BIT, u"\t\t・DSCAPS_PRIMARY16BIT:%d\n"},
        {DSCAPS_PRIMARY8BIT, u"\t\t・DSCAPS_PRIMARY8BIT:%d\n"},
        {DSCAPS_PRIMARYMONO, u"\t\t・DSCAPS_PRIMARYMONO:%d\n"},
        {DSCAPS_PRIMARYSTEREO, u"\t\t・DSCAPS_PRIMARYSTEREO:%d\n"},
        {DSCAPS_SECONDARY16BIT, u"\t\t・DSCAPS_SECONDARY16BIT:%d\n"},
        {DSCAPS_SECONDARY8BIT, u"\t\t・DSCAPS_SECONDARY8BIT:%d\n"},
        {DSCAPS_SECONDARYMONO, u"\t\t・DSCAPS_SECONDARYMONO:%d\n"},
        {DSCAPS_SECONDARYSTEREO, u"\t\t・DSCAPS_SECONDARYSTEREO:%d\n"},
    };
    for (const FlagLine& line : kFlags) LogPrintDevice(line.format, (caps.dwFlags & line.flag) ? 1 : 0);
    struct NumberLine {
        DWORD DSCAPS::*field;
        const char16_t* format;
    };
    static constexpr NumberLine kNumbers[] = {
        {&DSCAPS::dwMinSecondarySampleRate, u"\t・セカンダリバッファ最小サンプリングレート:%d\n"},
        {&DSCAPS::dwMaxSecondarySampleRate, u"\t・セカンダリバッファ最大サンプリングレート:%d\n"},
        {&DSCAPS::dwPrimaryBuffers, u"\t・最大プライマリバッファ数:%d\n"},
        {&DSCAPS::dwMaxHwMixingAllBuffers, u"\t・最大ハードウェアミキシング数:%d\n"},
        {&DSCAPS::dwMaxHwMixingStaticBuffers, u"\t・スタティックバッファ最大数:%d\n"},
        {&DSCAPS::dwMaxHwMixingStreamingBuffers, u"\t・ストリーミングバッファ最大数:%d\n"},
        {&DSCAPS::dwFreeHwMixingAllBuffers, u"\t・フリーの全バッファ数:%d\n"},
        {&DSCAPS::dwFreeHwMixingStaticBuffers, u"\t・フリーのスタティックバッファ数:%d\n"},
        {&DSCAPS::dwFreeHwMixingStreamingBuffers, u"\t・フリーのストリーミングバッファ数:%d\n"},
        {&DSCAPS::dwMaxHw3DAllBuffers, u"\t・３Ｄバッファ最大数:%d\n"},
        {&DSCAPS::dwMaxHw3DStaticBuffers, u"\t・３Ｄスタティックバッファ最大数:%d\n"},
        {&DSCAPS::dwMaxHw3DStreamingBuffers, u"\t・３Ｄストリーミングバッファ最大数:%d\n"},
        {&DSCAPS::dwFreeHw3DAllBuffers, u"\t・フリーの全３Ｄバッファ数:%d\n"},
        {&DSCAPS::dwFreeHw3DStaticBuffers, u"\t・フリーの３Ｄスタティックバッファ数:%d\n"},
        {&DSCAPS::dwFreeHw3DStreamingBuffers, u"\t・フリーの３Ｄストリーミングバッファ数:%d\n"},
        {&DSCAPS::dwTotalHwMemBytes, u"\t・静的サウンドバッファメモリサイズ:%d Bytes\n"},
        {&DSCAPS::dwFreeHwMemBytes, u"\t・サウンドカード空きメモリサイズ:%d Bytes\n"},
        {&DSCAPS::dwMaxContigFreeHwMemBytes, u"\t・空きメモリの最大連続ブロックサイズ:%d Bytes\n"},
        {&DSCAPS::dwUnlockTransferRateHwBuffers, u"\t・バッファ転送速度:%d KBytes/Sec\n"},
        {&DSCAPS::dwPlayCpuOverheadSwBuffers, u"\t・処理オーバーヘッド:%d %%\n"},
    };
    for (const NumberLine& line : kNumbers) LogPrintDevice(line.format, static_cast<int>(caps.*line.field));
}

template <typename Interface>
void ReleaseInterface(Interface*& object)
{
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

GxAudioDeviceState& GetAudioDeviceState()
{
    static GxAudioDeviceState* state = new GxAudioDeviceState;   // players may outlive static destruction
    return *state;
}

GxSoundDeviceState& GetSoundDeviceState()
{
    static GxSoundDeviceState* state = new GxSoundDeviceState;
    return *state;
}

bool InitAudioDevice(BYTE use3D)
{
    GxAudioDeviceState& audio = GetAudioDeviceState();
    audio.m_RequestedPosition = {0.0f, 0.0f, 0.0f};
    audio.m_RequestedFront = {0.0f, 0.0f, 1.0f};
    audio.m_RequestedTop = {0.0f, 1.0f, 0.0f};
    audio.m_Enabled = 0;
    audio.m_Engine = nullptr;
    audio.m_MasteringVoice = nullptr;
    audio.m_ComCount = 0;
    audio.m_Use3D = use3D;

    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(com)) {
        audio.m_ComCount = 1;
    } else if (com != RPC_E_CHANGED_MODE) {
        LogPrintWarning(u"Error/GxAudio CoInitializeEx Failed(hr=%x)\n", static_cast<unsigned>(com));
        LogPrintDevice(u"XAudio2を初期化できませんでした\n");
        return false;
    }
    if (FAILED(XAudio2Create(&audio.m_Engine, 0, XAUDIO2_DEFAULT_PROCESSOR))) {
        audio.m_Engine = nullptr;
        LogPrintWarning(u"Error/GxAudio XAudio2の生成に失敗しました\n");
        LogPrintDevice(u"XAudio2を初期化できませんでした\n");
        return false;
    }
    if (FAILED(audio.m_Engine->CreateMasteringVoice(&audio.m_MasteringVoice, XAUDIO2_DEFAULT_CHANNELS,
                                                     XAUDIO2_DEFAULT_SAMPLERATE, 0, 0, nullptr))) {
        audio.m_MasteringVoice = nullptr;
        LogPrintWarning(u"Error/GxAudio MasteringVoiceの生成に失敗しました\n");
        LogPrintDevice(u"XAudio2を初期化できませんでした\n");
        return false;
    }
    if (use3D && !InitAudio3D())
        return false;
    audio.m_Enabled = 1;
    AudioDeleteAllStatic();
    return true;
}

bool InitAudio3D()
{
    GxAudioDeviceState& audio = GetAudioDeviceState();
    if (!audio.m_Engine)
        return false;
    XAUDIO2_DEVICE_DETAILS details{};
    if (FAILED(audio.m_Engine->GetDeviceDetails(0, &details))) {
        LogPrintWarning(u"Error/GxAudio デバイス情報の取得に失敗しました\n");
        return false;
    }
    if (details.OutputFormat.Format.nChannels > kMaxOutputChannels) {
        LogPrintWarning(u"Error/GxAudio チャンネル数が多すぎます\n");
        return false;
    }
    if (FAILED(X3DAudioInitialize(details.OutputFormat.dwChannelMask, X3DAUDIO_SPEED_OF_SOUND, audio.m_X3DInstance)))
        return false;   // a device without speaker positions has nothing to place sounds on
    audio.m_ListenerCone = {2.6179941f, 5.7595868f, 1.0f, 0.75f, 0.0f, 0.25f, 0.708f, 1.0f};
    audio.m_Listener.OrientFront = audio.m_RequestedFront;
    audio.m_Listener.OrientTop = audio.m_RequestedTop;
    audio.m_Listener.Position = audio.m_RequestedPosition;
    audio.m_Listener.pCone = &audio.m_ListenerCone;
    return true;
}

void AudioShutdownDevice()
{
    GxAudioDeviceState& audio = GetAudioDeviceState();
    AudioCloseAllStreams();
    AudioDeleteAllStatic();
    if (audio.m_MasteringVoice) {
        audio.m_MasteringVoice->DestroyVoice();
        audio.m_MasteringVoice = nullptr;
    }
    ReleaseInterface(audio.m_Engine);
    if (audio.m_ComCount != 0) {
        CoUninitialize();
        --audio.m_ComCount;
    }
}

bool SoundInitDevice(HWND window, BYTE use3D)
{
    GxSoundDeviceState& sound = GetSoundDeviceState();
    sound.m_RequestedPosition = sound.m_AppliedPosition = {0.0f, 0.0f, 0.0f, 0.0f};
    sound.m_RequestedFront = sound.m_AppliedFront = {0.0f, 0.0f, 1.0f, 0.0f};
    sound.m_RequestedTop = sound.m_AppliedTop = {0.0f, 1.0f, 0.0f, 0.0f};
    sound.m_Use3D = use3D;
    sound.m_Enabled = 0;
    sound.m_ComCount = 0;
    sound.m_Device = nullptr;
    sound.m_DirectSound = nullptr;
    sound.m_PrimaryBuffer = nullptr;
    sound.m_Listener = nullptr;

    LogPrintDevice(u"DirectSound8の初期化を開始します\n");
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(com)) {
        sound.m_ComCount = 1;
    } else if (com != RPC_E_CHANGED_MODE) {
        LogPrintWarning(u"Error/GxSound CoInitializeEx Failed(hr=%x)\n", static_cast<unsigned>(com));
        LogPrintDevice(u"DirectSound8を初期化できませんでした\n");
        return false;
    }
    platform::RegisterDirectSoundClasses();
    if (FAILED(CoCreateInstance(CLSID_DirectSound8, nullptr, CLSCTX_ALL, IID_IDirectSound8,
                                reinterpret_cast<void**>(&sound.m_Device)))) {
        sound.m_Device = nullptr;
        LogPrintWarning(u"Error/GxSound DirectSound8の取得に失敗しました\n");
        LogPrintDevice(u"DirectSound8を初期化できませんでした\n");
        return false;
    }
    if (FAILED(sound.m_Device->QueryInterface(IID_IDirectSound, reinterpret_cast<void**>(&sound.m_DirectSound)))) {
        sound.m_DirectSound = nullptr;
        LogPrintWarning(u"Error/GxSound DirectSoundの取得に失敗しました\n");
        LogPrintDevice(u"DirectSound8を初期化できませんでした\n");
        return false;
    }
    if (FAILED(sound.m_Device->Initialize(nullptr))) {
        LogPrintWarning(u"Error/GxSound DirectSound8の初期化に失敗しました\n");
        LogPrintDevice(u"DirectSound8を初期化できませんでした\n");
        ReleaseInterface(sound.m_Device);
        return false;
    }
    DSCAPS caps{};
    caps.dwSize = sizeof(DSCAPS);
    if (FAILED(sound.m_Device->GetCaps(&caps))) {
        LogPrintWarning(u"Error/GxSound DirectSound8::GetCapsに失敗しました\n");
        LogPrintDevice(u"DirectSound8を初期化できませんでした\n");
        ReleaseInterface(sound.m_Device);
        return false;
    }
    LogDirectSoundCaps(caps);

    if (SUCCEEDED(sound.m_Device->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
        LogPrintDevice(u"\tDirectSound8のCooperativeLevelを DSSCL_PRIORITY に設定しました\n");
        if (FAILED(sound.m_Device->Compact()))
            LogPrintWarning(u"Error/GxSound メモリ最適化に失敗しました\n");
    } else if (SUCCEEDED(sound.m_Device->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        LogPrintDevice(u"\tDirectSound8のCooperativeLevelを DSSCL_NORMAL に設定しました\n");
    } else {
        LogPrintWarning(u"Error/GxSound CooperativeLevelの設定に失敗しました\n");
        return false;
    }

    DSBUFFERDESC description{};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = DSBCAPS_PRIMARYBUFFER | (use3D ? DSBCAPS_CTRL3D : 0);
    if (FAILED(sound.m_Device->CreateSoundBuffer(&description, &sound.m_PrimaryBuffer, nullptr))) {
        sound.m_PrimaryBuffer = nullptr;
        LogPrintWarning(u"Error/GxSound プライマリサウンドバッファ作成に失敗しました\n");
        return false;
    }
    if (use3D) {
        if (FAILED(sound.m_PrimaryBuffer->QueryInterface(IID_IDirectSound3DListener,
                                                         reinterpret_cast<void**>(&sound.m_Listener)))) {
            sound.m_Listener = nullptr;
            LogPrintWarning(u"Error/GxSound プライマリサウンドバッファ作成に失敗しました\n");
            return false;
        }
        const GxSoundVector& position = sound.m_RequestedPosition;
        const GxSoundVector& front = sound.m_RequestedFront;
        const GxSoundVector& top = sound.m_RequestedTop;
        sound.m_Listener->SetPosition(position.x, position.y, position.z, DS3D_DEFERRED);
        sound.m_Listener->SetOrientation(front.x, front.y, front.z, top.x, top.y, top.z, DS3D_DEFERRED);
        sound.m_Listener->CommitDeferredSettings();
    }

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 176400;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    if (FAILED(sound.m_PrimaryBuffer->SetFormat(&format))) {
        LogPrintWarning(u"Error/GxSound プライマリサウンドバッファのフォーマット設定に失敗しました\n");
        return false;
    }
    sound.m_Enabled = 1;
    SoundDeleteAllStatic();
    return true;
}

void SoundShutdownDevice()
{
    GxSoundDeviceState& sound = GetSoundDeviceState();
    SoundCloseAllStreams();
    SoundDeleteAllStatic();
    ReleaseInterface(sound.m_Listener);
    ReleaseInterface(sound.m_PrimaryBuffer);
    ReleaseInterface(sound.m_DirectSound);
    ReleaseInterface(sound.m_Device);
    sound.m_Cache.Clear();
    if (sound.m_ComCount != 0) {
        CoUninitialize();
        --sound.m_ComCount;
    }
}
