#include "media/audio_player_base.h"

#include "platform/win32/timer.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kVectorEpsilon = 1.1920929e-7f;
constexpr std::uint32_t kOutputChannels = 2;

bool Differs(const X3DAUDIO_VECTOR& applied, const GxSoundVector& wanted)
{
    return std::fabs(applied.x - wanted.x) > kVectorEpsilon || std::fabs(applied.y - wanted.y) > kVectorEpsilon ||
           std::fabs(applied.z - wanted.z) > kVectorEpsilon;
}

X3DAUDIO_VECTOR ToVector(const GxSoundVector& vector) { return {vector.x, vector.y, vector.z}; }

}  // namespace

GxAudioPlayerBase::GxAudioPlayerBase()
{
    m_Serial = ++GetAudioDeviceState().m_PlayerSerial;

    m_Cone = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f};
    m_VolumePoints[0] = {0.0f, 1.0f};
    m_VolumePoints[1] = {1.0f, 0.0f};
    m_LowFrequencyPoints[0] = {0.0f, 1.0f};
    m_LowFrequencyPoints[1] = {0.25f, 0.5f};
    m_LowFrequencyPoints[2] = {1.0f, 0.0f};
    m_ReverbPoints[0] = {0.0f, 0.5f};
    m_ReverbPoints[1] = {0.75f, 1.0f};
    m_ReverbPoints[2] = {1.0f, 0.0f};
    m_VolumeCurve = {m_VolumePoints, 2};
    m_LowFrequencyCurve = {m_LowFrequencyPoints, 3};
    m_ReverbCurve = {m_ReverbPoints, 3};

    m_Emitter.pCone = &m_Cone;
    m_Emitter.Position = ToVector(m_Position);
    m_Emitter.OrientFront = ToVector(m_Front);
    m_Emitter.OrientTop = ToVector(m_Top);
    m_Emitter.InnerRadius = 500.0f;
    m_Emitter.InnerRadiusAngle = 0.0f;
    m_Emitter.ChannelCount = 2;
    m_Emitter.ChannelRadius = 1.0f;
    m_Emitter.pChannelAzimuths = m_Azimuths;
    m_Emitter.pVolumeCurve = &m_VolumeCurve;
    m_Emitter.pLFECurve = &m_LowFrequencyCurve;
    m_Emitter.pReverbCurve = &m_ReverbCurve;
    m_Emitter.CurveDistanceScaler = 550.0f;
    m_Emitter.DopplerScaler = 1.0f;

    m_Output.DstChannelCount = kOutputChannels;
    m_Output.pMatrixCoefficients = m_Matrix;
}

std::uint32_t GxAudioPlayerBase::GetFadeOverMs() const
{
    if (m_Fade.m_State == kFadeNone || m_Fade.m_StartTime == 0)
        return 0;
    const std::uint32_t elapsed = timeGetTime() - m_Fade.m_StartTime;
    return elapsed > m_Fade.m_Duration ? elapsed - m_Fade.m_Duration : 0;
}

void GxAudioPlayerBase::ClearFade()
{
    m_Fade.Clear();
}

void GxAudioPlayerBase::CopyVectors(const GxSoundVector* position, const GxSoundVector* front)
{
    if (position) m_Position = *position;
    if (front) m_Front = *front;
}

float GxAudioPlayerBase::PrepareStart(std::uint32_t channels, std::uint32_t startMs, std::uint32_t fadeInMs,
                                      float volume, std::uint32_t loopStartMs, BYTE use3D,
                                      const GxSoundVector* position, const GxSoundVector* front)
{
    m_Output.SrcChannelCount = channels < kMaxSourceChannels ? channels : kMaxSourceChannels;
    m_Output.DstChannelCount = kOutputChannels;
    m_Use3D = use3D;
    m_PositionSource = position;
    m_FrontSource = front;
    const float starting = m_Fade.Start(volume, fadeInMs);
    m_StartMs = startMs;
    m_LoopStartMs = loopStartMs;
    m_PlayStartTime = timeGetTime();
    return starting;
}

bool GxAudioPlayerBase::FadeStop(std::uint32_t fadeMs)
{
    if (fadeMs == 0)
        return Close();
    m_Fade.FadeOut(GetVolume(), fadeMs);
    return true;
}

bool GxAudioPlayerBase::FadeSetVolume(float volume)
{
    return m_Fade.Redirect(volume) || SetBufferVolume(volume);
}

bool GxAudioPlayerBase::FadeFinish()
{
    m_Fade.Finish([this](float volume) { SetBufferVolume(volume); }, [this] { Close(); });
    return true;
}

bool GxAudioPlayerBase::FadeUpdate()
{
    m_Fade.Step([this](float volume) { SetBufferVolume(volume); }, [this] { Close(); });
    return true;
}

void GxAudioPlayerBase::Update3D(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                                 std::uint32_t flags, BYTE)
{
    if (!m_Use3D)
        return;
    CopyVectors(m_PositionSource, m_FrontSource);
    if (Differs(m_Emitter.Position, m_Position)) m_Emitter.Position = ToVector(m_Position);
    if (Differs(m_Emitter.OrientFront, m_Front)) m_Emitter.OrientFront = ToVector(m_Front);
    if (Differs(m_Emitter.OrientTop, m_Top)) m_Emitter.OrientTop = ToVector(m_Top);
    if (!m_Output.pMatrixCoefficients)
        return;
    X3DAudioCalculate(instance, listener, &m_Emitter, flags, &m_Output);
    IXAudio2SourceVoice* voice = GetBufferVoice();
    IXAudio2MasteringVoice* master = GetAudioDeviceState().m_MasteringVoice;
    if (voice && master && m_Output.SrcChannelCount != 0)
        voice->SetOutputMatrix(master, m_Output.SrcChannelCount, m_Output.DstChannelCount, m_Matrix,
                               XAUDIO2_COMMIT_NOW);
}
