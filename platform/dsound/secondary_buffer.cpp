#include "platform/dsound/secondary_buffer.h"

#include "platform/audio/mix_format.h"
#include "platform/audio/mixer.h"
#include "platform/audio/pcm_convert.h"
#include "platform/dsound/census.h"
#include "platform/dsound/direct_sound.h"
#include "platform/win32/sync.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Hundredths of a decibel to a gain; the floor is true silence.
float AttenuationGain(LONG hundredths)
{
    if (hundredths <= DSBVOLUME_MIN) return 0.0f;
    if (hundredths >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

DS3DBUFFER Default3D()
{
    DS3DBUFFER parameters{};
    parameters.dwSize = sizeof(DS3DBUFFER);
    parameters.dwInsideConeAngle = DS3D_DEFAULTCONEANGLE;
    parameters.dwOutsideConeAngle = DS3D_DEFAULTCONEANGLE;
    parameters.vConeOrientation = {0.0f, 0.0f, 1.0f};
    parameters.flMinDistance = DS3D_DEFAULTMINDISTANCE;
    parameters.flMaxDistance = DS3D_DEFAULTMAXDISTANCE;
    parameters.dwMode = DS3DMODE_NORMAL;
    return parameters;
}

}  // namespace

DirectSoundSecondaryBuffer::DirectSoundSecondaryBuffer(DirectSoundDevice* device, DWORD flags, DWORD bytes,
                                                       const WAVEFORMATEX& format)
    : m_Flags(flags),
      m_Format(format),
      m_Size(bytes),
      m_Block(static_cast<std::uint32_t>((std::uint64_t{kMixBlockFrames} * format.nSamplesPerSec + kMixRate - 1) /
                                         kMixRate) *
              format.nBlockAlign),
      m_Data(bytes, format.wBitsPerSample == 8 ? BYTE{128} : BYTE{0}),
      m_Device(device),
      m_Matrix(format.nChannels * 2u),
      m_Applied3D(Default3D()),
      m_Deferred3D(Default3D()),
      m_Converter(format.nSamplesPerSec)
{
    DefaultOutputMatrix(format.nChannels, m_Matrix.data());
    UpdateLevels();
    dsound_detail::AddBuffer(static_cast<IDirectSoundBuffer*>(this), {false, flags, bytes});
    Mixer::Instance().AddSource(this);
}

DirectSoundSecondaryBuffer::~DirectSoundSecondaryBuffer()
{
    dsound_detail::RemoveBuffer(static_cast<IDirectSoundBuffer*>(this));
}

HRESULT DirectSoundSecondaryBuffer::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
        *object = static_cast<IDirectSoundBuffer*>(this);
    } else if (riid == IID_IDirectSound3DBuffer && (m_Flags & DSBCAPS_CTRL3D)) {
        *object = static_cast<IDirectSound3DBuffer*>(this);
    } else if (riid == IID_IDirectSoundNotify && (m_Flags & DSBCAPS_CTRLPOSITIONNOTIFY)) {
        *object = static_cast<IDirectSoundNotify*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG DirectSoundSecondaryBuffer::AddRef() { return ++m_RefCount; }

ULONG DirectSoundSecondaryBuffer::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) {
        Mixer::Instance().RemoveSource(this);
        DirectSoundDevice* device = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            device = m_Device;
        }
        if (device) device->ForgetSecondary(this);
        delete this;
    }
    return count;
}

void DirectSoundSecondaryBuffer::Detach()
{
    Mixer::Instance().RemoveSource(this);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Device = nullptr;
    m_Playing = false;
}

void DirectSoundSecondaryBuffer::UpdateLevels()
{
    const float gain = AttenuationGain(m_Volume);
    const float left = m_Pan > 0 ? AttenuationGain(-m_Pan) : 1.0f;
    const float right = m_Pan < 0 ? AttenuationGain(m_Pan) : 1.0f;
    const float scale = gain / (m_Format.wBitsPerSample == 16 ? 32768.0f : 128.0f);
    m_Levels.resize(m_Matrix.size());
    for (std::size_t c = 0; c * 2 < m_Matrix.size(); ++c) {
        m_Levels[c * 2] = m_Matrix[c * 2] * scale * left;
        m_Levels[c * 2 + 1] = m_Matrix[c * 2 + 1] * scale * right;
    }
}

DWORD DirectSoundSecondaryBuffer::WriteCursorLocked() const
{
    return static_cast<DWORD>((std::uint64_t{m_PlayCursor} + std::min<std::uint64_t>(m_Block, m_Size)) % m_Size);
}

HRESULT DirectSoundSecondaryBuffer::GetCaps(DSBCAPS* caps)
{
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = m_Flags;
    caps->dwBufferBytes = m_Size;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Device) return DSERR_UNINITIALIZED;
    if (playCursor) *playCursor = m_PlayCursor;
    if (writeCursor) *writeCursor = WriteCursorLocked();
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten)
{
    if (!format && !sizeWritten) return DSERR_INVALIDPARAM;
    if (format) {
        if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        *format = m_Format;
    }
    if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::GetVolume(LONG* volume)
{
    if (!volume) return DSERR_INVALIDPARAM;
    if (!(m_Flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *volume = m_Volume;
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::GetPan(LONG* pan)
{
    if (!pan) return DSERR_INVALIDPARAM;
    if (!(m_Flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *pan = m_Pan;
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::GetStatus(DWORD* status)
{
    if (!status) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *status = 0;
    if (m_Playing) *status = DSBSTATUS_PLAYING | (m_Looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::Lock(DWORD offset, DWORD bytes, void** audioPtr1, DWORD* audioBytes1,
                                         void** audioPtr2, DWORD* audioBytes2, DWORD flags)
{
    if (!audioPtr1 || !audioBytes1) return DSERR_INVALIDPARAM;
    *audioPtr1 = nullptr;
    *audioBytes1 = 0;
    if (audioPtr2) *audioPtr2 = nullptr;
    if (audioBytes2) *audioBytes2 = 0;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Device) return DSERR_UNINITIALIZED;
    if (flags & DSBLOCK_FROMWRITECURSOR) offset = WriteCursorLocked();
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = m_Size;
    if (bytes == 0 || bytes > m_Size || offset >= m_Size) return DSERR_INVALIDPARAM;
    const DWORD first = std::min(bytes, m_Size - offset);
    if (first < bytes && (!audioPtr2 || !audioBytes2)) return DSERR_INVALIDPARAM;
    *audioPtr1 = m_Data.data() + offset;
    *audioBytes1 = first;
    if (first < bytes) {
        *audioPtr2 = m_Data.data();
        *audioBytes2 = bytes - first;
    }
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::Unlock(void* audioPtr1, DWORD audioBytes1, void* audioPtr2, DWORD audioBytes2)
{
    const BYTE* begin = m_Data.data();
    auto inside = [&](const void* pointer, DWORD bytes) {
        const auto* at = static_cast<const BYTE*>(pointer);
        return at >= begin && at <= begin + m_Size && bytes <= static_cast<DWORD>(begin + m_Size - at);
    };
    if (!audioPtr1 || !inside(audioPtr1, audioBytes1)) return DSERR_INVALIDPARAM;
    if (audioPtr2 && !inside(audioPtr2, audioBytes2)) return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::Play(DWORD, DWORD, DWORD flags)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Device) return DSERR_UNINITIALIZED;
    m_Playing = true;
    m_Looping = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::SetCurrentPosition(DWORD position)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Device) return DSERR_UNINITIALIZED;
    if (position >= m_Size) return DSERR_INVALIDPARAM;
    m_PlayCursor = position - position % m_Format.nBlockAlign;
    m_Converter.Reset();
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::SetFormat(const WAVEFORMATEX*) { return DSERR_INVALIDCALL; }

HRESULT DirectSoundSecondaryBuffer::SetVolume(LONG volume)
{
    if (!(m_Flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    dsound_detail::Count(dsound_detail::Counter::SetVolume);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Volume = volume;
    UpdateLevels();
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::SetPan(LONG pan)
{
    if (!(m_Flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Pan = pan;
    UpdateLevels();
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::Stop()
{
    MixEvents events;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Device) return DSERR_UNINITIALIZED;
        if (m_Playing) RaiseStopEvents(events);
        m_Playing = false;
        m_Converter.Reset();
    }
    for (auto& event : events) event();
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::Restore() { return DS_OK; }

HRESULT DirectSoundSecondaryBuffer::GetAllParameters(DS3DBUFFER* parameters)
{
    if (!parameters || parameters->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *parameters = m_Applied3D;
    return DS_OK;
}

HRESULT DirectSoundSecondaryBuffer::SetAllParameters(const DS3DBUFFER* parameters, DWORD apply)
{
    if (!parameters || parameters->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
    if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    if (parameters->dwMode > DS3DMODE_DISABLE || parameters->dwInsideConeAngle > 360 ||
        parameters->dwOutsideConeAngle > 360)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Deferred3D = *parameters;
    if (apply == DS3D_IMMEDIATE) {
        m_Applied3D = *parameters;
        m_Has3DDeferred = false;
    } else {
        m_Has3DDeferred = true;
    }
    return DS_OK;
}

void DirectSoundSecondaryBuffer::CommitDeferred()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Has3DDeferred) m_Applied3D = m_Deferred3D;
    m_Has3DDeferred = false;
}

HRESULT DirectSoundSecondaryBuffer::SetNotificationPositions(DWORD count, const DSBPOSITIONNOTIFY* positions)
{
    const HRESULT forced = DirectSoundFaultsNow().setNotificationPositions;
    if (FAILED(forced)) return forced;
    if (count > 0 && !positions) return DSERR_INVALIDPARAM;
    for (DWORD i = 0; i < count; ++i) {
        if (!positions[i].hEventNotify) return DSERR_INVALIDPARAM;
        if (positions[i].dwOffset != DSBPN_OFFSETSTOP && positions[i].dwOffset >= m_Size) return DSERR_INVALIDPARAM;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Device) return DSERR_UNINITIALIZED;
    if (m_Playing) return DSERR_INVALIDCALL;
    m_Notifications.assign(positions, positions + count);
    return DS_OK;
}

void DirectSoundSecondaryBuffer::RaiseStopEvents(MixEvents& events) const
{
    for (const DSBPOSITIONNOTIFY& notification : m_Notifications) {
        if (notification.dwOffset == DSBPN_OFFSETSTOP) {
            HANDLE event = notification.hEventNotify;
            events.push_back([event] { SetEvent(event); });
        }
    }
}

// Frames leave the ring at the play cursor; every notification offset the cursor passes sets
// its event once per pass, after the step.
std::uint32_t DirectSoundSecondaryBuffer::Pull(float* out, std::uint32_t maxFrames, MixEvents& events)
{
    const std::uint32_t align = m_Format.nBlockAlign;
    std::uint32_t done = 0;
    while (done < maxFrames && m_Playing) {
        const std::uint32_t take = std::min(maxFrames - done, (m_Size - m_PlayCursor) / align);
        const BYTE* data = m_Data.data() + m_PlayCursor;
        ConvertPcmToStereo(data, m_Format.wBitsPerSample, m_Format.nChannels, take, m_Levels.data(),
                           out + std::size_t{done} * 2, MixWrite::Over);
        const DWORD from = m_PlayCursor;
        const DWORD to = m_PlayCursor + take * align;
        for (const DSBPOSITIONNOTIFY& notification : m_Notifications) {
            if (notification.dwOffset != DSBPN_OFFSETSTOP && notification.dwOffset >= from && notification.dwOffset < to) {
                HANDLE event = notification.hEventNotify;
                events.push_back([event] { SetEvent(event); });
            }
        }
        m_PlayCursor = to;
        done += take;
        m_FramesPlayed += take;
        if (m_PlayCursor >= m_Size) {
            m_PlayCursor = 0;
            if (!m_Looping) {
                m_Playing = false;
                RaiseStopEvents(events);
            }
        }
    }
    return done;
}

void DirectSoundSecondaryBuffer::MixInto(float* mix, std::uint32_t frames, MixEvents& events)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Playing) return;
    m_Scratch.resize(std::size_t{frames} * 2);
    m_Converter.Produce(m_Scratch.data(), frames,
                        [&](float* out, std::uint32_t maxFrames) { return Pull(out, maxFrames, events); });
    for (std::size_t i = 0; i < m_Scratch.size(); ++i) mix[i] += m_Scratch[i];
}

MixSourceInfo DirectSoundSecondaryBuffer::Info() const
{
    MixSourceInfo info;
    info.kind = "DirectSound buffer";
    std::lock_guard<std::mutex> lock(m_Mutex);
    info.started = m_Playing;
    info.gain = AttenuationGain(m_Volume);
    info.framesPlayed = m_FramesPlayed;
    info.playCursor = m_PlayCursor;
    info.writeCursor = WriteCursorLocked();
    return info;
}

}  // namespace platform
