// CBaseRenderer and CBaseVideoRenderer: a filter with one input pin that shows each sample
// when the graph's clock reaches its start time (stream time), passes end of stream to the
// graph as EC_COMPLETE once the clock reaches the last sample's stop time (the streaming thread
// waits for it there) and wakes at once on flush, pause and stop. Derived renderers override
// CheckMediaType, SetMediaType and DoRenderSample.
#pragma once

#include "platform/dshow/base_pin.h"

#include <memory>

class CBaseRenderer;

class CRendererInputPin : public CBaseInputPin {
public:
    CRendererInputPin(CBaseRenderer* renderer, HRESULT* result, LPCWSTR pinName);

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

private:
    CBaseRenderer* m_Renderer;
};

class CBaseRenderer : public CBaseFilter {
    friend class CRendererInputPin;

public:
    CBaseRenderer(REFCLSID clsid, LPCWSTR name, LPUNKNOWN outer, HRESULT* result);
    ~CBaseRenderer() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override;

    virtual HRESULT CheckMediaType(const CMediaType* type) = 0;
    virtual HRESULT SetMediaType(const CMediaType* type);
    virtual HRESULT DoRenderSample(IMediaSample* sample) = 0;
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* receivePin);

    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT SetSyncSource(IReferenceClock* clock) override;

    // The streaming thread's calls, through the input pin.
    virtual HRESULT Receive(IMediaSample* sample);
    virtual HRESULT EndOfStream();
    virtual HRESULT BeginFlush();
    virtual HRESULT EndFlush();
    virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    // Test seams: samples drawn and dropped since the filter was made.
    int FramesDrawn();
    int FramesDropped();
    bool IsEndOfStream();
    // Test seam: the streaming thread waits here (for a sample's time or the end's) or the end
    // was sent, so nothing more arrives until the clock moves.
    bool IsWaitingForClock();

protected:
    // Whether a sample `lateness` behind the clock is still drawn; the base draws every one.
    virtual bool ShouldDrawLateSample(REFERENCE_TIME lateness);
    // Renderer lock held: wakes the streaming thread if it waits.
    void Interrupt();
    void SendEndOfStreamIfDue();   // renderer lock not held
    // Renderer lock held (left while waiting): waits for the clock's advise `cookie` (none:
    // only for an interruption).
    void WaitForRenderTime(DWORD_PTR cookie);

    CCritSec m_InterfaceLock;   // the filter lock
    CCritSec m_RendererLock;    // the streaming state below
    std::unique_ptr<CRendererInputPin> m_InputPin;
    HANDLE m_RenderEvent;       // set by the clock's advise
    HANDLE m_InterruptEvent;    // set by a state change or a flush while the thread waits
    FILTER_STATE m_RenderState = State_Stopped;
    IReferenceClock* m_RenderClock = nullptr;   // counted
    REFERENCE_TIME m_RenderStart = 0;
    bool m_Waiting = false;
    bool m_Interrupted = false;
    bool m_Flushing = false;
    bool m_EndOfStream = false;      // received
    bool m_EndOfStreamDue = false;   // and the last sample's time is over
    bool m_EndOfStreamSent = false;
    REFERENCE_TIME m_LastStop = 0;   // stop time of the last timed sample of this run
    bool m_HasLastStop = false;
    int m_FramesDrawn = 0;
    int m_FramesDropped = 0;
};

class CBaseVideoRenderer : public CBaseRenderer, public IQualProp, public IQualityControl {
public:
    CBaseVideoRenderer(REFCLSID clsid, LPCWSTR name, LPUNKNOWN outer, HRESULT* result);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT get_FramesDroppedInRenderer(int* frames) override;
    HRESULT get_FramesDrawn(int* frames) override;
    HRESULT get_AvgFrameRate(int* rate) override;
    HRESULT get_Jitter(int* jitter) override;
    HRESULT get_AvgSyncOffset(int* offset) override;
    HRESULT get_DevSyncOffset(int* deviation) override;

    HRESULT Notify(IBaseFilter* self, Quality quality) override;
    HRESULT SetSink(IQualityControl* sink) override;

    // A frame this far behind the clock is dropped rather than drawn late.
    static constexpr REFERENCE_TIME kDropLateness = kUnitsPerSecond / 10;

protected:
    bool ShouldDrawLateSample(REFERENCE_TIME lateness) override;

private:
    IQualityControl* m_QualitySink = nullptr;   // not counted, as the platform's
};
