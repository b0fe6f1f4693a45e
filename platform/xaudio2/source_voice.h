// A source voice: a queue of the caller's PCM buffers that the mixer plays in order, with
// loops, a gain and an output matrix; its callbacks come from the mixer's steps.
#pragma once

#include "platform/audio/mix_source.h"
#include "platform/audio/rate_converter.h"
#include "platform/xaudio2/xaudio2.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

namespace platform {

class XAudio2Engine;

class XAudio2SourceVoiceImpl : public IXAudio2SourceVoice, public MixSource {
public:
    XAudio2SourceVoiceImpl(XAudio2Engine* engine, const WAVEFORMATEX& format, IXAudio2VoiceCallback* callback);
    virtual ~XAudio2SourceVoiceImpl();

    bool IsValid() const { return m_Converter.IsValid(); }

    void GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details) override;
    HRESULT SetVolume(float volume, UINT32 operationSet) override;
    void GetVolume(float* volume) override;
    HRESULT SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                            const float* matrix, UINT32 operationSet) override;
    void DestroyVoice() override;
    HRESULT Start(UINT32 flags, UINT32 operationSet) override;
    HRESULT Stop(UINT32 flags, UINT32 operationSet) override;
    HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const void* bufferWma) override;
    HRESULT FlushSourceBuffers() override;
    void GetState(XAUDIO2_VOICE_STATE* state) override;

    void MixInto(float* mix, std::uint32_t frames, MixEvents& events) override;
    MixSourceInfo Info() const override;

    // The engine goes first: the voice is destroyed by it.
    void Detach() { m_Engine = nullptr; }
    void DestroyFromEngine();

private:
    struct Queued {
        XAUDIO2_BUFFER buffer;
        std::uint32_t position;   // frame
        std::uint32_t end;        // frame where the current pass ends
        std::uint32_t loopsLeft;
        bool begun;
    };

    std::uint32_t Pull(float* out, std::uint32_t maxFrames, MixEvents& events);
    void Convert(const Queued& queued, std::uint32_t frames, float* out) const;

    XAudio2Engine* m_Engine;
    WAVEFORMATEX m_Format;
    IXAudio2VoiceCallback* m_Callback;
    std::atomic<float> m_Volume{1.0f};

    mutable std::mutex m_Mutex;   // everything below; never held while a callback runs
    bool m_Started = false;
    std::deque<Queued> m_Queue;
    std::uint64_t m_SamplesPlayed = 0;
    std::vector<float> m_Matrix;   // [channel * 2 + side]
    MixEvents m_Pending;           // callbacks owed from calls outside the mix (flushes)
    RateConverter m_Converter;
    std::vector<float> m_Scratch;
    std::vector<float> m_Levels;   // m_Matrix times gain and sample scale, for this block
    bool m_AddToMix = false;
};

}  // namespace platform
