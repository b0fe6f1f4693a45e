#include "platform/dshow/base_renderer.h"

#include "platform/win32/file.h"
#include "platform/win32/sync.h"

// --- CRendererInputPin --------------------------------------------------------------------

CRendererInputPin::CRendererInputPin(CBaseRenderer* renderer, HRESULT* result, LPCWSTR pinName)
    : CBaseInputPin(u"Renderer input pin", renderer, &renderer->m_InterfaceLock, result, pinName), m_Renderer(renderer)
{
}

HRESULT CRendererInputPin::CheckMediaType(const CMediaType* type) { return m_Renderer->CheckMediaType(type); }

HRESULT CRendererInputPin::SetMediaType(const CMediaType* type)
{
    const HRESULT hr = CBaseInputPin::SetMediaType(type);
    if (FAILED(hr)) return hr;
    return m_Renderer->SetMediaType(type);
}

HRESULT CRendererInputPin::BreakConnect()
{
    m_Renderer->BreakConnect();
    return CBaseInputPin::BreakConnect();
}

HRESULT CRendererInputPin::CompleteConnect(IPin* receivePin)
{
    const HRESULT hr = m_Renderer->CompleteConnect(receivePin);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::CompleteConnect(receivePin);
}

HRESULT CRendererInputPin::Receive(IMediaSample* sample) { return m_Renderer->Receive(sample); }

HRESULT CRendererInputPin::EndOfStream()
{
    const HRESULT hr = CheckStreaming();
    if (FAILED(hr)) return hr;
    return m_Renderer->EndOfStream();
}

HRESULT CRendererInputPin::BeginFlush()
{
    CBaseInputPin::BeginFlush();
    return m_Renderer->BeginFlush();
}

HRESULT CRendererInputPin::EndFlush()
{
    m_Renderer->EndFlush();
    return CBaseInputPin::EndFlush();
}

HRESULT CRendererInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    CBaseInputPin::NewSegment(start, stop, rate);
    return m_Renderer->NewSegment(start, stop, rate);
}

// --- CBaseRenderer ------------------------------------------------------------------------

CBaseRenderer::CBaseRenderer(REFCLSID clsid, LPCWSTR name, LPUNKNOWN outer, HRESULT* result)
    : CBaseFilter(name, outer, &m_InterfaceLock, clsid),
      m_RenderEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_InterruptEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    if (result && (!m_RenderEvent || !m_InterruptEvent)) *result = E_OUTOFMEMORY;
}

CBaseRenderer::~CBaseRenderer()
{
    m_InputPin.reset();
    if (m_RenderClock) m_RenderClock->Release();
    CloseHandle(m_RenderEvent);
    CloseHandle(m_InterruptEvent);
}

CBasePin* CBaseRenderer::GetPin(int n)
{
    if (n != 0) return nullptr;
    CAutoLock lock(&m_InterfaceLock);
    if (!m_InputPin) {
        HRESULT hr = S_OK;
        m_InputPin = std::make_unique<CRendererInputPin>(this, &hr, u"In");
    }
    return m_InputPin.get();
}

HRESULT CBaseRenderer::SetMediaType(const CMediaType*) { return S_OK; }

HRESULT CBaseRenderer::BreakConnect() { return S_OK; }

HRESULT CBaseRenderer::CompleteConnect(IPin*) { return S_OK; }

void CBaseRenderer::Interrupt()
{
    // Set only for a thread that waits, so no set is left for nobody to take.
    if (m_Waiting && !m_Interrupted) {
        m_Interrupted = true;
        SetEvent(m_InterruptEvent);
    }
}

HRESULT CBaseRenderer::Stop()
{
    CAutoLock lock(&m_InterfaceLock);
    {
        CAutoLock renderLock(&m_RendererLock);
        m_RenderState = State_Stopped;
        m_EndOfStream = false;
        m_EndOfStreamDue = false;
        m_EndOfStreamSent = false;
        m_HasLastStop = false;
        Interrupt();
    }
    return CBaseFilter::Stop();
}

HRESULT CBaseRenderer::Pause()
{
    CAutoLock lock(&m_InterfaceLock);
    const HRESULT hr = CBaseFilter::Pause();
    if (FAILED(hr)) return hr;
    CAutoLock renderLock(&m_RendererLock);
    m_RenderState = State_Paused;
    Interrupt();
    return hr;
}

HRESULT CBaseRenderer::Run(REFERENCE_TIME start)
{
    {
        CAutoLock lock(&m_InterfaceLock);
        const HRESULT hr = CBaseFilter::Run(start);
        if (FAILED(hr)) return hr;
        CAutoLock renderLock(&m_RendererLock);
        m_RenderStart = start;
        m_RenderState = State_Running;
        Interrupt();
    }
    SendEndOfStreamIfDue();
    return S_OK;
}

HRESULT CBaseRenderer::SetSyncSource(IReferenceClock* clock)
{
    CAutoLock lock(&m_InterfaceLock);
    const HRESULT hr = CBaseFilter::SetSyncSource(clock);
    CAutoLock renderLock(&m_RendererLock);
    if (clock) clock->AddRef();
    if (m_RenderClock) m_RenderClock->Release();
    m_RenderClock = clock;
    return hr;
}

bool CBaseRenderer::ShouldDrawLateSample(REFERENCE_TIME) { return true; }

HRESULT CBaseRenderer::Receive(IMediaSample* sample)
{
    HRESULT hr = m_InputPin->CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &end));

    m_RendererLock.Lock();
    if (m_EndOfStream) {
        m_RendererLock.Unlock();
        return VFW_E_SAMPLE_REJECTED_EOS;
    }
    if (timed) {
        m_LastStop = end;
        m_HasLastStop = true;
    }
    while (true) {
        if (m_Flushing) {
            m_RendererLock.Unlock();
            return S_OK;   // dropped by the flush
        }
        if (m_RenderState == State_Stopped) {
            m_RendererLock.Unlock();
            return VFW_E_WRONG_STATE;
        }
        DWORD_PTR cookie = 0;
        if (m_RenderState == State_Running) {
            if (!timed || !m_RenderClock) break;
            REFERENCE_TIME now = 0;
            m_RenderClock->GetTime(&now);
            const REFERENCE_TIME streamNow = now - m_RenderStart;
            if (start <= streamNow) {
                if (ShouldDrawLateSample(streamNow - start)) break;
                ++m_FramesDropped;
                m_RendererLock.Unlock();
                return S_OK;
            }
            m_RenderClock->AdviseTime(m_RenderStart, start, m_RenderEvent, &cookie);
        }
        // Paused: hold the sample until Run; running: until the clock reaches it.
        WaitForRenderTime(cookie);
    }
    ++m_FramesDrawn;
    m_RendererLock.Unlock();
    hr = DoRenderSample(sample);
    // A frame that fails to draw leaves the previous one showing; the stream goes on.
    (void)hr;
    return S_OK;
}

HRESULT CBaseRenderer::EndOfStream()
{
    m_RendererLock.Lock();
    if (m_Flushing || m_RenderState == State_Stopped) {
        m_RendererLock.Unlock();
        return S_OK;
    }
    m_EndOfStream = true;
    // The stream is complete once the last sample's time is over, not when its end arrives:
    // the last frame stays for its duration, as every other frame does.
    while (true) {
        if (m_Flushing || m_RenderState == State_Stopped || !m_EndOfStream) {
            m_RendererLock.Unlock();
            return S_OK;
        }
        DWORD_PTR cookie = 0;
        if (m_RenderState == State_Running) {
            if (!m_HasLastStop || !m_RenderClock) break;
            REFERENCE_TIME now = 0;
            m_RenderClock->GetTime(&now);
            if (m_LastStop <= now - m_RenderStart) break;
            m_RenderClock->AdviseTime(m_RenderStart, m_LastStop, m_RenderEvent, &cookie);
        }
        WaitForRenderTime(cookie);
    }
    m_EndOfStreamDue = true;
    m_RendererLock.Unlock();
    SendEndOfStreamIfDue();
    return S_OK;
}

void CBaseRenderer::WaitForRenderTime(DWORD_PTR cookie)
{
    m_Waiting = true;
    IReferenceClock* clock = m_RenderClock;
    m_RendererLock.Unlock();
    const HANDLE events[2] = {m_InterruptEvent, m_RenderEvent};
    WaitForMultipleObjects(cookie ? 2 : 1, events, FALSE, INFINITE);
    m_RendererLock.Lock();
    m_Waiting = false;
    m_Interrupted = false;
    if (cookie && clock) clock->Unadvise(cookie);
    ResetEvent(m_RenderEvent);
    ResetEvent(m_InterruptEvent);
}

void CBaseRenderer::SendEndOfStreamIfDue()
{
    {
        CAutoLock renderLock(&m_RendererLock);
        if (!m_EndOfStreamDue || m_EndOfStreamSent || m_RenderState != State_Running) return;
        m_EndOfStreamSent = true;
    }
    NotifyEvent(EC_COMPLETE, S_OK, 0);
}

HRESULT CBaseRenderer::BeginFlush()
{
    CAutoLock renderLock(&m_RendererLock);
    m_Flushing = true;
    m_EndOfStream = false;
    m_EndOfStreamDue = false;
    m_EndOfStreamSent = false;
    m_HasLastStop = false;
    Interrupt();
    return S_OK;
}

HRESULT CBaseRenderer::EndFlush()
{
    CAutoLock renderLock(&m_RendererLock);
    m_Flushing = false;
    return S_OK;
}

HRESULT CBaseRenderer::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

int CBaseRenderer::FramesDrawn()
{
    CAutoLock renderLock(&m_RendererLock);
    return m_FramesDrawn;
}

int CBaseRenderer::FramesDropped()
{
    CAutoLock renderLock(&m_RendererLock);
    return m_FramesDropped;
}

bool CBaseRenderer::IsEndOfStream()
{
    CAutoLock renderLock(&m_RendererLock);
    return m_EndOfStream;
}

bool CBaseRenderer::IsWaitingForClock()
{
    CAutoLock renderLock(&m_RendererLock);
    return m_Waiting || m_EndOfStreamSent;
}

// --- CBaseVideoRenderer -------------------------------------------------------------------

CBaseVideoRenderer::CBaseVideoRenderer(REFCLSID clsid, LPCWSTR name, LPUNKNOWN outer, HRESULT* result)
    : CBaseRenderer(clsid, name, outer, result)
{
}

HRESULT CBaseVideoRenderer::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IQualProp) return GetInterface(static_cast<IQualProp*>(this), object);
    if (riid == IID_IQualityControl) return GetInterface(static_cast<IQualityControl*>(this), object);
    return CBaseRenderer::NonDelegatingQueryInterface(riid, object);
}

bool CBaseVideoRenderer::ShouldDrawLateSample(REFERENCE_TIME lateness) { return lateness <= kDropLateness; }

HRESULT CBaseVideoRenderer::get_FramesDroppedInRenderer(int* frames)
{
    if (!frames) return E_POINTER;
    *frames = FramesDropped();
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_FramesDrawn(int* frames)
{
    if (!frames) return E_POINTER;
    *frames = FramesDrawn();
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_AvgFrameRate(int* rate)
{
    if (!rate) return E_POINTER;
    *rate = 0;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_Jitter(int* jitter)
{
    if (!jitter) return E_POINTER;
    *jitter = 0;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_AvgSyncOffset(int* offset)
{
    if (!offset) return E_POINTER;
    *offset = 0;
    return S_OK;
}

HRESULT CBaseVideoRenderer::get_DevSyncOffset(int* deviation)
{
    if (!deviation) return E_POINTER;
    *deviation = 0;
    return S_OK;
}

HRESULT CBaseVideoRenderer::Notify(IBaseFilter*, Quality) { return E_NOTIMPL; }   // nothing sits downstream

HRESULT CBaseVideoRenderer::SetSink(IQualityControl* sink)
{
    m_QualitySink = sink;
    return S_OK;
}
