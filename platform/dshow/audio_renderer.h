// The audio renderer the graph makes for PCM output pins: its input takes WAVEFORMATEX PCM
// (8 or 16 bits, 1 to 8 channels, any rate the mixer resamples from) and plays it into the
// process mixer as one source, each sample at its time stamp: silence fills a gap before it,
// and what comes too late (before what is queued, or before what the mixer plays now while
// this renderer's clock runs the graph) is cut off. Its clock counts the frames the mixer played
// while the filter ran; end of stream reaches the graph once the last frame has been mixed.
#pragma once

#include "platform/audio/mix_source.h"
#include "platform/audio/rate_converter.h"
#include "platform/dshow/base_pin.h"
#include "platform/dshow/reference_clock.h"

#include <deque>
#include <memory>
#include <vector>

class CAudioRenderer;

class CAudioRendererClock final : public CBaseReferenceClock {
public:
    explicit CAudioRendererClock(std::shared_ptr<std::atomic<std::uint64_t>> frames);

protected:
    REFERENCE_TIME Now() override;

private:
    std::shared_ptr<std::atomic<std::uint64_t>> m_Frames;
};

class CAudioInputPin final : public CBaseInputPin {
public:
    CAudioInputPin(CAudioRenderer* renderer, HRESULT* result);

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

private:
    CAudioRenderer* m_Renderer;
};

class CAudioRenderer final : public CBaseFilter, public IBasicAudio, public platform::MixSource {
    friend class CAudioInputPin;

public:
    explicit CAudioRenderer(HRESULT* result);
    ~CAudioRenderer() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;

    HRESULT put_Volume(LONG volume) override;
    HRESULT get_Volume(LONG* volume) override;
    HRESULT put_Balance(LONG balance) override;
    HRESULT get_Balance(LONG* balance) override;

    void MixInto(float* mix, std::uint32_t frames, platform::MixEvents& events) override;
    platform::MixSourceInfo Info() const override;

    // The renderer's clock (counted for the caller).
    IReferenceClock* Clock();
    // Test seam: the source frames handed to the mixer so far.
    std::uint64_t FramesRendered() const;

    static bool IsPlayableFormat(const AM_MEDIA_TYPE& type);

private:
    HRESULT ReceiveData(IMediaSample* sample);
    // Data lock held (left while waiting): false when a flush, a stop or the end refuses data.
    bool WaitForRoom(std::unique_lock<std::mutex>& lock, std::size_t limit);
    // Data lock held: the stream time of the next frame the mixer takes.
    REFERENCE_TIME PlayingTime() const;
    HRESULT ReceiveEndOfStream();
    void Flush(bool begin);
    std::uint32_t Pull(float* out, std::uint32_t maxFrames);
    void WakeProducer();   // m_DataLock held

    CCritSec m_InterfaceLock;
    std::unique_ptr<CAudioInputPin> m_InputPin;
    std::shared_ptr<std::atomic<std::uint64_t>> m_ClockFrames;
    CAudioRendererClock* m_OwnClock;   // counted

    mutable std::mutex m_DataLock;   // everything below
    WAVEFORMATEX m_Format{};
    std::deque<BYTE> m_Queued;
    REFERENCE_TIME m_QueueEnd = 0;   // stream time where the queued data ends
    REFERENCE_TIME m_RunStart = 0;
    bool m_Running = false;
    bool m_Flushing = false;
    bool m_Stopped = true;
    bool m_EndOfStream = false;
    bool m_EndOfStreamSent = false;
    bool m_ProducerWaiting = false;
    bool m_ProducerWoken = false;
    std::uint64_t m_FramesRendered = 0;
    LONG m_Volume = 0;
    float m_Gain = 1.0f;
    std::vector<float> m_Matrix;
    std::unique_ptr<platform::RateConverter> m_Converter;
    std::vector<float> m_Scratch;
    HANDLE m_RoomEvent;
};
