#include "platform/dshow/base_filter.h"

#include "platform/dshow/base_pin.h"

#include <algorithm>
#include <vector>

namespace {

// A snapshot of a filter's pins, each counted.
class CEnumPins final : public IEnumPins {
public:
    explicit CEnumPins(CBaseFilter* filter)
    {
        const int count = filter->GetPinCount();
        for (int i = 0; i < count; ++i) {
            if (CBasePin* pin = filter->GetPin(i)) {
                pin->AddRef();
                m_Pins.push_back(pin);
            }
        }
    }
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid == IID_IUnknown || riid == IID_IEnumPins) return GetInterface(this, object);
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_RefCount; }
    ULONG Release() override
    {
        const ULONG count = --m_RefCount;
        if (count == 0) delete this;
        return count;
    }
    HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) override
    {
        if (!pins) return E_POINTER;
        ULONG done = 0;
        while (done < count && m_Position < m_Pins.size()) {
            pins[done] = m_Pins[m_Position++];
            pins[done]->AddRef();
            ++done;
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        m_Position = std::min(m_Pins.size(), m_Position + count);
        return m_Position < m_Pins.size() ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        m_Position = 0;
        return S_OK;
    }

private:
    ~CEnumPins()
    {
        for (IPin* pin : m_Pins) pin->Release();
    }
    std::atomic<ULONG> m_RefCount{1};
    std::vector<IPin*> m_Pins;
    std::size_t m_Position = 0;
};

}  // namespace

CBaseFilter::CBaseFilter(LPCWSTR name, LPUNKNOWN outer, CCritSec* lock, REFCLSID clsid)
    : CUnknown(name, outer), m_Clsid(clsid), m_Lock(lock)
{
}

CBaseFilter::CBaseFilter(LPCWSTR name, LPUNKNOWN outer, CCritSec* lock, REFCLSID clsid, HRESULT* result)
    : CBaseFilter(name, outer, lock, clsid)
{
    if (result) *result = S_OK;
}

CBaseFilter::~CBaseFilter()
{
    if (m_Clock) m_Clock->Release();
}

HRESULT CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IBaseFilter || riid == IID_IMediaFilter) return GetInterface(static_cast<IBaseFilter*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseFilter::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = m_Clsid;
    return S_OK;
}

HRESULT CBaseFilter::Stop()
{
    CAutoLock lock(m_Lock);
    HRESULT result = S_OK;
    if (m_State != State_Stopped) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT hr = pin->Inactive();
                if (FAILED(hr) && SUCCEEDED(result)) result = hr;
            }
        }
    }
    m_State = State_Stopped;
    return result;
}

HRESULT CBaseFilter::Pause()
{
    CAutoLock lock(m_Lock);
    if (m_State == State_Stopped) {
        const int count = GetPinCount();
        for (int i = 0; i < count; ++i) {
            CBasePin* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                const HRESULT hr = pin->Active();
                if (FAILED(hr)) return hr;
            }
        }
    }
    m_State = State_Paused;
    return S_OK;
}

HRESULT CBaseFilter::Run(REFERENCE_TIME start)
{
    CAutoLock lock(m_Lock);
    m_Start = start;
    if (m_State == State_Stopped) {
        const HRESULT hr = Pause();
        if (FAILED(hr)) return hr;
    }
    m_State = State_Running;
    return S_OK;
}

HRESULT CBaseFilter::GetState(DWORD, FILTER_STATE* state)
{
    if (!state) return E_POINTER;
    *state = m_State;
    return S_OK;
}

HRESULT CBaseFilter::SetSyncSource(IReferenceClock* clock)
{
    CAutoLock lock(m_Lock);
    if (clock) clock->AddRef();
    if (m_Clock) m_Clock->Release();
    m_Clock = clock;
    return S_OK;
}

HRESULT CBaseFilter::GetSyncSource(IReferenceClock** clock)
{
    if (!clock) return E_POINTER;
    CAutoLock lock(m_Lock);
    *clock = m_Clock;
    if (m_Clock) m_Clock->AddRef();
    return S_OK;
}

HRESULT CBaseFilter::EnumPins(IEnumPins** pins)
{
    if (!pins) return E_POINTER;
    *pins = new CEnumPins(this);
    return S_OK;
}

HRESULT CBaseFilter::FindPin(LPCWSTR id, IPin** pin)
{
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    const int count = GetPinCount();
    for (int i = 0; i < count; ++i) {
        CBasePin* candidate = GetPin(i);
        if (candidate && candidate->Name() == id) {
            candidate->AddRef();
            *pin = candidate;
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT CBaseFilter::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info) return E_POINTER;
    const std::size_t length = std::min<std::size_t>(m_Name.size(), MAX_FILTER_NAME - 1);
    std::copy_n(m_Name.data(), length, info->achName);
    info->achName[length] = 0;
    info->pGraph = m_Graph;
    if (m_Graph) m_Graph->AddRef();
    return S_OK;
}

HRESULT CBaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    CAutoLock lock(m_Lock);
    m_Graph = graph;
    m_Sink = nullptr;
    if (graph) {
        IMediaEventSink* sink = nullptr;
        if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
            m_Sink = sink;
            sink->Release();   // the graph outlives its filters' membership
        }
    }
    m_Name = name ? name : u"";
    return S_OK;
}

HRESULT CBaseFilter::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    IMediaEventSink* sink = m_Sink;
    if (!sink) return E_NOTIMPL;
    // EC_COMPLETE names the filter that completed, as the graph counts per renderer.
    if (code == EC_COMPLETE && param2 == 0) param2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
    return sink->Notify(code, param1, param2);
}

HRESULT CBaseFilter::StreamTime(REFERENCE_TIME* time)
{
    if (!time) return E_POINTER;
    CAutoLock lock(m_Lock);
    if (!m_Clock) return VFW_E_NO_CLOCK;
    REFERENCE_TIME now = 0;
    const HRESULT hr = m_Clock->GetTime(&now);
    if (FAILED(hr)) return hr;
    *time = now - m_Start;
    return S_OK;
}

bool CBaseFilter::IsActive()
{
    CAutoLock lock(m_Lock);
    return m_State != State_Stopped;
}

bool CBaseFilter::IsStopped()
{
    CAutoLock lock(m_Lock);
    return m_State == State_Stopped;
}

FILTER_STATE CBaseFilter::State()
{
    CAutoLock lock(m_Lock);
    return m_State;
}
