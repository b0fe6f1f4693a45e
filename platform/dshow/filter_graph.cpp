#include "platform/dshow/filter_graph.h"

#include "platform/dshow/audio_renderer.h"
#include "platform/dshow/base_pin.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/reference_clock.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/win32/user_log.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>

namespace {

// Decoders feeding decoders: deeper than this is a loop of filters, not a graph.
constexpr int kMaxRenderDepth = 16;

std::vector<IPin*> PinsOf(IBaseFilter* filter)   // counted
{
    std::vector<IPin*> pins;
    IEnumPins* list = nullptr;
    if (FAILED(filter->EnumPins(&list))) return pins;
    IPin* pin = nullptr;
    while (list->Next(1, &pin, nullptr) == S_OK) pins.push_back(pin);
    list->Release();
    return pins;
}

void ReleaseAll(std::vector<IPin*>& pins)
{
    for (IPin* pin : pins) pin->Release();
    pins.clear();
}

PIN_DIRECTION DirectionOf(IPin* pin)
{
    PIN_DIRECTION direction = PINDIR_INPUT;
    pin->QueryDirection(&direction);
    return direction;
}

IPin* PeerOf(IPin* pin)   // counted, or null
{
    IPin* peer = nullptr;
    return SUCCEEDED(pin->ConnectedTo(&peer)) ? peer : nullptr;
}

IBaseFilter* FilterOfPin(IPin* pin)   // not counted: the graph holds the filter
{
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info)) || !info.pFilter) return nullptr;
    info.pFilter->Release();
    return info.pFilter;
}

std::u16string PinName(IPin* pin)
{
    PIN_INFO info{};
    if (FAILED(pin->QueryPinInfo(&info))) return u"?";
    if (info.pFilter) info.pFilter->Release();
    return info.achName;
}

void DisconnectBoth(IPin* pin)
{
    if (IPin* peer = PeerOf(pin)) {
        peer->Disconnect();
        peer->Release();
    }
    pin->Disconnect();
}

}  // namespace

CFilterGraph::CFilterGraph()
    : CUnknown(u"Filter graph", nullptr), m_EventHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    m_Clock = platform::DshowGraphClock();
}

CFilterGraph::~CFilterGraph()
{
    Stop();
    CAutoLock lock(&m_GraphLock);
    // Every connection goes first, so no filter keeps a reference on another.
    for (const Entry& entry : m_Filters) {
        std::vector<IPin*> pins = PinsOf(entry.filter);
        for (IPin* pin : pins) DisconnectBoth(pin);
        ReleaseAll(pins);
    }
    for (const Entry& entry : m_Filters) {
        entry.filter->SetSyncSource(nullptr);
        entry.filter->JoinFilterGraph(nullptr, nullptr);
    }
    std::vector<Entry> filters;
    filters.swap(m_Filters);
    for (const Entry& entry : filters) entry.filter->Release();
    if (m_Clock) m_Clock->Release();
    CloseHandle(m_EventHandle);
}

HRESULT CFilterGraph::Create(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* graph = new CFilterGraph;
    const HRESULT hr = graph->NonDelegatingQueryInterface(iid, object);
    if (FAILED(hr)) delete graph;
    return hr;
}

HRESULT CFilterGraph::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IGraphBuilder || riid == IID_IFilterGraph)
        return GetInterface(static_cast<IGraphBuilder*>(this), object);
    if (riid == IID_IMediaControl) return GetInterface(static_cast<IMediaControl*>(this), object);
    if (riid == IID_IMediaPosition) return GetInterface(static_cast<IMediaPosition*>(this), object);
    if (riid == IID_IMediaEvent || riid == IID_IMediaEventEx) return GetInterface(static_cast<IMediaEvent*>(this), object);
    if (riid == IID_IBasicAudio) return GetInterface(static_cast<IBasicAudio*>(this), object);
    if (riid == IID_IMediaEventSink) return GetInterface(static_cast<IMediaEventSink*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

// --- filters ------------------------------------------------------------------------------

HRESULT CFilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name)
{
    if (!filter) return E_POINTER;
    const HRESULT forced = platform::DshowAddFilterFault();
    if (FAILED(forced)) return forced;
    CAutoLock lock(&m_GraphLock);
    return AddFilterLocked(filter, name);
}

HRESULT CFilterGraph::AddFilterLocked(IBaseFilter* filter, LPCWSTR name)
{
    for (const Entry& entry : m_Filters) {
        if (entry.filter == filter) return VFW_E_DUPLICATE_NAME;
    }
    std::u16string unique = name ? name : u"Filter";
    HRESULT result = S_OK;
    for (int n = 1; std::any_of(m_Filters.begin(), m_Filters.end(), [&](const Entry& e) { return e.name == unique; }); ++n) {
        const std::string number = std::to_string(n);
        unique = name ? name : u"Filter";
        unique += u' ';
        unique.append(number.begin(), number.end());
        result = VFW_S_DUPLICATE_NAME;
    }
    const HRESULT hr = filter->JoinFilterGraph(static_cast<IFilterGraph*>(this), unique.c_str());
    if (FAILED(hr)) return hr;
    filter->AddRef();
    m_Filters.push_back({filter, unique});
    if (m_Clock) filter->SetSyncSource(m_Clock);
    return result;
}

HRESULT CFilterGraph::RemoveFilter(IBaseFilter* filter)
{
    CAutoLock lock(&m_GraphLock);
    const auto found = std::find_if(m_Filters.begin(), m_Filters.end(), [&](const Entry& e) { return e.filter == filter; });
    if (found == m_Filters.end()) return VFW_E_NOT_FOUND;
    RemoveFilterLocked(filter);
    return S_OK;
}

void CFilterGraph::RemoveFilterLocked(IBaseFilter* filter)
{
    filter->Stop();
    std::vector<IPin*> pins = PinsOf(filter);
    for (IPin* pin : pins) DisconnectBoth(pin);
    ReleaseAll(pins);
    filter->SetSyncSource(nullptr);
    filter->JoinFilterGraph(nullptr, nullptr);
    m_Filters.erase(std::remove_if(m_Filters.begin(), m_Filters.end(), [&](const Entry& e) { return e.filter == filter; }),
                    m_Filters.end());
    filter->Release();
}

HRESULT CFilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter)
{
    if (!name || !filter) return E_POINTER;
    *filter = nullptr;
    CAutoLock lock(&m_GraphLock);
    for (const Entry& entry : m_Filters) {
        if (entry.name == name) {
            *filter = entry.filter;
            entry.filter->AddRef();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT CFilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type)
{
    if (!output || !input) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    if (m_State != State_Stopped) return VFW_E_NOT_STOPPED;
    return output->Connect(input, type);
}

HRESULT CFilterGraph::Disconnect(IPin* pin)
{
    if (!pin) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    return pin->Disconnect();
}

HRESULT CFilterGraph::Connect(IPin* output, IPin* input) { return ConnectDirect(output, input, nullptr); }

// --- rendering ----------------------------------------------------------------------------

HRESULT CFilterGraph::Render(IPin* output)
{
    if (!output) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    if (m_State != State_Stopped) return VFW_E_NOT_STOPPED;
    if (DirectionOf(output) != PINDIR_OUTPUT) return VFW_E_INVALID_DIRECTION;
    if (IPin* peer = PeerOf(output)) {
        peer->Release();
        return VFW_E_ALREADY_CONNECTED;
    }
    const HRESULT hr = RenderLocked(output, 0);
    if (FAILED(hr)) platform::LogUserError("DirectShow: nothing renders the pin (hr=0x%08X)", static_cast<unsigned>(hr));
    return hr;
}

HRESULT CFilterGraph::TryConnect(IPin* output, IBaseFilter* filter)
{
    if (filter == FilterOfPin(output)) return VFW_E_CANNOT_RENDER;
    std::vector<IPin*> pins = PinsOf(filter);
    HRESULT hr = VFW_E_CANNOT_RENDER;
    for (IPin* pin : pins) {
        if (DirectionOf(pin) != PINDIR_INPUT) continue;
        if (IPin* peer = PeerOf(pin)) {
            peer->Release();
            continue;
        }
        if (SUCCEEDED(output->Connect(pin, nullptr))) {
            hr = S_OK;
            break;
        }
    }
    ReleaseAll(pins);
    return hr;
}

HRESULT CFilterGraph::RenderOutputs(IBaseFilter* filter, int depth)
{
    std::vector<IPin*> pins = PinsOf(filter);
    int outputs = 0;
    int rendered = 0;
    for (IPin* pin : pins) {
        if (DirectionOf(pin) != PINDIR_OUTPUT) continue;
        if (IPin* peer = PeerOf(pin)) {
            peer->Release();
            continue;
        }
        ++outputs;
        if (SUCCEEDED(RenderLocked(pin, depth))) ++rendered;
    }
    ReleaseAll(pins);
    if (outputs == 0 || rendered == outputs) return S_OK;
    return rendered > 0 ? VFW_S_PARTIAL_RENDER : VFW_E_CANNOT_RENDER;
}

HRESULT CFilterGraph::RenderLocked(IPin* output, int depth)
{
    if (depth > kMaxRenderDepth) return VFW_E_CANNOT_RENDER;
    // Filters already in the graph, in the order they were added.
    std::vector<IBaseFilter*> present;
    for (const Entry& entry : m_Filters) present.push_back(entry.filter);
    for (IBaseFilter* filter : present) {
        if (SUCCEEDED(TryConnect(output, filter))) {
            RenderOutputs(filter, depth + 1);
            return S_OK;
        }
    }
    if (SUCCEEDED(TryDecoders(output, depth))) return S_OK;
    return TryAudioRenderer(output);
}

HRESULT CFilterGraph::TryDecoders(IPin* output, int depth)
{
    for (const auto& [name, factory] : platform::DshowDecoders()) {
        IBaseFilter* decoder = nullptr;
        if (FAILED(factory(&decoder)) || !decoder) continue;
        if (FAILED(AddFilterLocked(decoder, name.c_str()))) {
            decoder->Release();
            continue;
        }
        decoder->Release();   // the graph's reference remains
        if (SUCCEEDED(TryConnect(output, decoder))) {
            // The decoder stays only when something takes what it puts out.
            if (SUCCEEDED(RenderOutputs(decoder, depth + 1))) return S_OK;
        }
        RemoveFilterLocked(decoder);
    }
    return VFW_E_CANNOT_RENDER;
}

HRESULT CFilterGraph::TryAudioRenderer(IPin* output)
{
    auto* pin = dynamic_cast<CBasePin*>(output);
    if (!pin) return VFW_E_CANNOT_RENDER;
    bool pcm = false;
    for (int position = 0; !pcm; ++position) {
        CMediaType type;
        if (pin->GetMediaType(position, &type) != S_OK) break;
        pcm = CAudioRenderer::IsPlayableFormat(type);
    }
    if (!pcm) return VFW_E_CANNOT_RENDER;
    HRESULT hr = S_OK;
    auto* renderer = new CAudioRenderer(&hr);
    renderer->NonDelegatingAddRef();
    if (SUCCEEDED(hr)) hr = AddFilterLocked(renderer, u"Audio Renderer");
    if (SUCCEEDED(hr)) {
        hr = TryConnect(output, renderer);
        if (FAILED(hr)) RemoveFilterLocked(renderer);
    }
    renderer->NonDelegatingRelease();
    return FAILED(hr) ? VFW_E_CANNOT_RENDER : S_OK;
}

// --- order and seeking --------------------------------------------------------------------

std::vector<IBaseFilter*> CFilterGraph::DownstreamFirst()
{
    std::vector<IBaseFilter*> order;
    std::set<IBaseFilter*> seen;
    std::function<void(IBaseFilter*)> visit = [&](IBaseFilter* filter) {
        if (!seen.insert(filter).second) return;
        std::vector<IPin*> pins = PinsOf(filter);
        for (IPin* pin : pins) {
            if (DirectionOf(pin) != PINDIR_OUTPUT) continue;
            if (IPin* peer = PeerOf(pin)) {
                if (IBaseFilter* next = FilterOfPin(peer)) visit(next);
                peer->Release();
            }
        }
        ReleaseAll(pins);
        order.push_back(filter);
    };
    for (const Entry& entry : m_Filters) visit(entry.filter);
    return order;
}

std::vector<IMediaSeeking*> CFilterGraph::SeekingSources()
{
    // One seeking pin per source: the first filter on each path that offers IMediaSeeking on
    // an output pin; filters below it are not asked.
    std::vector<IMediaSeeking*> result;
    std::set<IBaseFilter*> covered;
    std::vector<IBaseFilter*> order = DownstreamFirst();
    std::reverse(order.begin(), order.end());
    for (IBaseFilter* filter : order) {
        bool below = false;
        std::vector<IPin*> pins = PinsOf(filter);
        for (IPin* pin : pins) {
            if (DirectionOf(pin) != PINDIR_INPUT) continue;
            if (IPin* peer = PeerOf(pin)) {
                below = below || covered.count(FilterOfPin(peer)) > 0;
                peer->Release();
            }
        }
        if (below) {
            covered.insert(filter);
        } else {
            for (IPin* pin : pins) {
                if (DirectionOf(pin) != PINDIR_OUTPUT) continue;
                IMediaSeeking* seeking = nullptr;
                if (SUCCEEDED(pin->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)))) {
                    result.push_back(seeking);
                    covered.insert(filter);
                    break;
                }
            }
        }
        ReleaseAll(pins);
    }
    return result;
}

std::vector<CAudioRenderer*> CFilterGraph::AudioRenderers()
{
    std::vector<CAudioRenderer*> renderers;
    for (const Entry& entry : m_Filters) {
        if (auto* renderer = dynamic_cast<CAudioRenderer*>(entry.filter)) renderers.push_back(renderer);
    }
    return renderers;
}

void CFilterGraph::ChooseClock()
{
    if (!m_Clock) {
        const std::vector<CAudioRenderer*> audio = AudioRenderers();
        m_Clock = audio.empty() ? static_cast<IReferenceClock*>(nullptr) : audio.front()->Clock();
        if (!m_Clock) {
            auto* clock = new CSystemClock;
            clock->NonDelegatingAddRef();
            m_Clock = clock;
        }
    }
    for (const Entry& entry : m_Filters) entry.filter->SetSyncSource(m_Clock);
}

REFERENCE_TIME CFilterGraph::ClockNow()
{
    REFERENCE_TIME now = 0;
    if (m_Clock) m_Clock->GetTime(&now);
    return now;
}

REFERENCE_TIME CFilterGraph::PositionLocked()
{
    REFERENCE_TIME position = m_HeldPosition;
    if (m_State == State_Running) {
        const double elapsed = static_cast<double>(ClockNow() - m_RunStart) * m_Rate;
        position = m_SegmentStart + static_cast<REFERENCE_TIME>(elapsed);
    }
    // Past the end the position stays at the end.
    LONGLONG end = 0;
    bool known = false;
    std::vector<IMediaSeeking*> sources = SeekingSources();
    for (IMediaSeeking* seeking : sources) {
        LONGLONG stop = 0;
        if (SUCCEEDED(seeking->GetStopPosition(&stop))) {
            end = known ? std::max(end, stop) : stop;
            known = true;
        }
        seeking->Release();
    }
    if (known && position > end) position = end;
    return std::max<REFERENCE_TIME>(0, position);
}

void CFilterGraph::SeekSources(REFERENCE_TIME position)
{
    std::vector<IMediaSeeking*> sources = SeekingSources();
    for (IMediaSeeking* seeking : sources) {
        LONGLONG start = position;
        seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
        seeking->Release();
    }
}

void CFilterGraph::ResetCompletion()
{
    CAutoLock lock(&m_EventLock);
    m_Completed.clear();
    m_CompletePosted = false;
}

// --- IMediaControl ------------------------------------------------------------------------

void CFilterGraph::PrepareFromStopped()
{
    ChooseClock();
    // The renderers of this run-through: filters that take a stream and give none.
    std::vector<IBaseFilter*> renderers;
    for (const Entry& entry : m_Filters) {
        bool input = false;
        bool output = false;
        std::vector<IPin*> pins = PinsOf(entry.filter);
        for (IPin* pin : pins) {
            if (DirectionOf(pin) == PINDIR_OUTPUT) {
                output = true;
            } else if (IPin* peer = PeerOf(pin)) {
                input = true;
                peer->Release();
            }
        }
        ReleaseAll(pins);
        if (input && !output) renderers.push_back(entry.filter);
    }
    {
        CAutoLock events(&m_EventLock);
        m_Renderers = renderers;
    }
    ResetCompletion();
    if (m_SeekOnRun) SeekSources(m_HeldPosition);
    m_SeekOnRun = false;
}

HRESULT CFilterGraph::Run()
{
    CAutoLock lock(&m_GraphLock);
    if (m_State == State_Running) return S_OK;
    if (m_State == State_Stopped) {
        PrepareFromStopped();
        m_SegmentStart = m_HeldPosition;
        m_PausedStreamTime = 0;
    }
    const std::vector<IBaseFilter*> order = DownstreamFirst();
    for (IBaseFilter* filter : order) {
        const HRESULT hr = filter->Pause();
        if (FAILED(hr)) {
            for (IBaseFilter* started : order) started->Stop();
            platform::LogUserError("DirectShow: a filter refused to start (hr=0x%08X)", static_cast<unsigned>(hr));
            return hr;
        }
    }
    // Stream time goes on from where a pause left it.
    m_RunStart = ClockNow() - m_PausedStreamTime;
    for (IBaseFilter* filter : order) filter->Run(m_RunStart);
    m_State = State_Running;
    {
        CAutoLock events(&m_EventLock);
        m_Running = true;
    }
    return S_OK;
}

HRESULT CFilterGraph::Pause()
{
    CAutoLock lock(&m_GraphLock);
    if (m_State == State_Paused) return S_OK;
    if (m_State == State_Stopped) {
        PrepareFromStopped();
        m_SegmentStart = m_HeldPosition;
        m_PausedStreamTime = 0;
    } else {
        m_HeldPosition = PositionLocked();
        m_PausedStreamTime = ClockNow() - m_RunStart;
    }
    for (IBaseFilter* filter : DownstreamFirst()) filter->Pause();
    m_State = State_Paused;
    CAutoLock events(&m_EventLock);
    m_Running = false;
    return S_OK;
}

HRESULT CFilterGraph::Stop()
{
    CAutoLock lock(&m_GraphLock);
    if (m_State == State_Stopped) return S_OK;
    m_HeldPosition = PositionLocked();
    {
        CAutoLock events(&m_EventLock);
        m_Running = false;
    }
    // Renderers first: they let go of the threads that wait in them, then the sources end theirs.
    for (IBaseFilter* filter : DownstreamFirst()) filter->Stop();
    m_State = State_Stopped;
    m_SeekOnRun = true;   // the next Run goes on from here
    ResetCompletion();
    return S_OK;
}

HRESULT CFilterGraph::GetState(LONG, OAFilterState* state)
{
    if (!state) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    *state = m_State;
    return S_OK;
}

// --- IMediaPosition -----------------------------------------------------------------------

HRESULT CFilterGraph::get_Duration(REFTIME* length)
{
    if (!length) return E_POINTER;
    *length = 0.0;
    CAutoLock lock(&m_GraphLock);
    std::vector<IMediaSeeking*> sources = SeekingSources();
    if (sources.empty()) return E_NOTIMPL;
    LONGLONG longest = 0;
    for (IMediaSeeking* seeking : sources) {
        LONGLONG duration = 0;
        if (SUCCEEDED(seeking->GetDuration(&duration))) longest = std::max(longest, duration);
        seeking->Release();
    }
    *length = static_cast<double>(longest) / kUnitsPerSecond;
    return S_OK;
}

HRESULT CFilterGraph::get_StopTime(REFTIME* time)
{
    if (!time) return E_POINTER;
    *time = 0.0;
    CAutoLock lock(&m_GraphLock);
    std::vector<IMediaSeeking*> sources = SeekingSources();
    if (sources.empty()) return E_NOTIMPL;
    LONGLONG latest = 0;
    for (IMediaSeeking* seeking : sources) {
        LONGLONG stop = 0;
        if (SUCCEEDED(seeking->GetStopPosition(&stop))) latest = std::max(latest, stop);
        seeking->Release();
    }
    *time = static_cast<double>(latest) / kUnitsPerSecond;
    return S_OK;
}

HRESULT CFilterGraph::put_StopTime(REFTIME time)
{
    if (!std::isfinite(time)) return E_INVALIDARG;
    CAutoLock lock(&m_GraphLock);
    std::vector<IMediaSeeking*> sources = SeekingSources();
    if (sources.empty()) return E_NOTIMPL;
    for (IMediaSeeking* seeking : sources) {
        LONGLONG stop = static_cast<LONGLONG>(std::llround(time * kUnitsPerSecond));
        seeking->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning);
        seeking->Release();
    }
    return S_OK;
}

HRESULT CFilterGraph::get_CurrentPosition(REFTIME* time)
{
    if (!time) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    *time = static_cast<double>(PositionLocked()) / kUnitsPerSecond;
    return S_OK;
}

HRESULT CFilterGraph::put_CurrentPosition(REFTIME time)
{
    if (!std::isfinite(time)) return E_INVALIDARG;
    const REFERENCE_TIME position = std::max<REFERENCE_TIME>(0, std::llround(time * kUnitsPerSecond));
    CAutoLock lock(&m_GraphLock);
    m_HeldPosition = position;
    if (m_State == State_Stopped) {
        m_SeekOnRun = true;   // taken at the next Run
        return S_OK;
    }
    const bool running = m_State == State_Running;
    const std::vector<IBaseFilter*> order = DownstreamFirst();
    // Renderers hold their samples while the sources flush downstream and start a new
    // segment from the new position.
    for (IBaseFilter* filter : order) filter->Pause();
    {
        CAutoLock events(&m_EventLock);
        m_Running = false;
    }
    SeekSources(position);
    ResetCompletion();
    m_SegmentStart = position;
    m_PausedStreamTime = 0;
    if (running) {
        m_RunStart = ClockNow();
        for (IBaseFilter* filter : order) filter->Run(m_RunStart);
        CAutoLock events(&m_EventLock);
        m_Running = true;
    }
    return S_OK;
}

HRESULT CFilterGraph::put_Rate(double rate)
{
    // A rate of 0 or below would divide time stamps by nothing or run time backwards.
    if (!(rate > 0.0) || !std::isfinite(rate)) return E_INVALIDARG;
    CAutoLock lock(&m_GraphLock);
    m_Rate = rate;
    std::vector<IMediaSeeking*> sources = SeekingSources();
    for (IMediaSeeking* seeking : sources) {
        seeking->SetRate(rate);
        seeking->Release();
    }
    return S_OK;
}

HRESULT CFilterGraph::get_Rate(double* rate)
{
    if (!rate) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    *rate = m_Rate;
    return S_OK;
}

// --- events -------------------------------------------------------------------------------

void CFilterGraph::PostEvent(const Event& event)
{
    CAutoLock lock(&m_EventLock);
    m_Events.push_back(event);
    SignalEventsLocked();
}

void CFilterGraph::SignalEventsLocked()
{
    // Set only for a waiter or a holder of the handle, so no set lies around untaken.
    if (m_EventWaiters > 0 || m_HandleGivenOut) SetEvent(m_EventHandle);
}

HRESULT CFilterGraph::Notify(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    if (code != EC_COMPLETE) {
        PostEvent({code, param1, param2});
        return S_OK;
    }
    // One EC_COMPLETE per run-through, once every renderer has reported its end.
    CAutoLock lock(&m_EventLock);
    auto* filter = reinterpret_cast<IBaseFilter*>(param2);
    if (!m_Running || m_CompletePosted) return S_OK;
    if (std::find(m_Renderers.begin(), m_Renderers.end(), filter) == m_Renderers.end()) return S_OK;
    if (std::find(m_Completed.begin(), m_Completed.end(), filter) == m_Completed.end()) m_Completed.push_back(filter);
    if (m_Completed.size() < m_Renderers.size()) return S_OK;
    m_CompletePosted = true;
    m_Events.push_back({EC_COMPLETE, S_OK, 0});
    SignalEventsLocked();
    return S_OK;
}

HRESULT CFilterGraph::GetEventHandle(OAEVENT* event)
{
    if (!event) return E_POINTER;
    CAutoLock lock(&m_EventLock);
    m_HandleGivenOut = true;
    if (!m_Events.empty()) SetEvent(m_EventHandle);
    *event = reinterpret_cast<OAEVENT>(m_EventHandle);
    return S_OK;
}

HRESULT CFilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout)
{
    if (!code || !param1 || !param2) return E_POINTER;
    while (true) {
        {
            CAutoLock lock(&m_EventLock);
            if (!m_Events.empty()) {
                const Event event = m_Events.front();
                m_Events.pop_front();
                if (m_Events.empty()) ResetEvent(m_EventHandle);
                *code = event.code;
                *param1 = event.param1;
                *param2 = event.param2;
                return S_OK;
            }
        }
        if (timeout == 0) break;
        {
            CAutoLock lock(&m_EventLock);
            if (!m_Events.empty()) continue;
            ++m_EventWaiters;
        }
        const DWORD wait = timeout < 0 ? INFINITE : static_cast<DWORD>(timeout);
        const DWORD woken = WaitForSingleObject(m_EventHandle, wait);
        CAutoLock lock(&m_EventLock);
        --m_EventWaiters;
        if (woken != WAIT_OBJECT_0) break;
    }
    *code = 0;
    *param1 = 0;
    *param2 = 0;
    return E_ABORT;
}

HRESULT CFilterGraph::WaitForCompletion(LONG timeout, LONG* code)
{
    if (!code) return E_POINTER;
    *code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    while (true) {
        LONG taken = 0;
        const HRESULT hr = GetEvent(&taken, &param1, &param2, timeout);
        if (FAILED(hr)) return VFW_E_TIMEOUT;
        if (taken == EC_COMPLETE || taken == EC_ERRORABORT || taken == EC_USERABORT) {
            *code = taken;
            return S_OK;
        }
    }
}

HRESULT CFilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }   // no event carries memory

// --- IBasicAudio --------------------------------------------------------------------------

HRESULT CFilterGraph::put_Volume(LONG volume)
{
    if (volume < -10000 || volume > 0) return E_INVALIDARG;
    CAutoLock lock(&m_GraphLock);
    const std::vector<CAudioRenderer*> renderers = AudioRenderers();
    if (renderers.empty()) return E_NOTIMPL;   // a movie without sound
    for (CAudioRenderer* renderer : renderers) renderer->put_Volume(volume);
    return S_OK;
}

HRESULT CFilterGraph::get_Volume(LONG* volume)
{
    if (!volume) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    const std::vector<CAudioRenderer*> renderers = AudioRenderers();
    if (renderers.empty()) return E_NOTIMPL;
    return renderers.front()->get_Volume(volume);
}

HRESULT CFilterGraph::put_Balance(LONG balance)
{
    CAutoLock lock(&m_GraphLock);
    const std::vector<CAudioRenderer*> renderers = AudioRenderers();
    if (renderers.empty()) return E_NOTIMPL;
    for (CAudioRenderer* renderer : renderers) renderer->put_Balance(balance);
    return S_OK;
}

HRESULT CFilterGraph::get_Balance(LONG* balance)
{
    if (!balance) return E_POINTER;
    CAutoLock lock(&m_GraphLock);
    const std::vector<CAudioRenderer*> renderers = AudioRenderers();
    if (renderers.empty()) return E_NOTIMPL;
    return renderers.front()->get_Balance(balance);
}

// --- test seams ---------------------------------------------------------------------------

std::vector<std::u16string> CFilterGraph::FilterNames()
{
    CAutoLock lock(&m_GraphLock);
    std::vector<std::u16string> names;
    for (const Entry& entry : m_Filters) names.push_back(entry.name);
    return names;
}

std::vector<std::u16string> CFilterGraph::Connections()
{
    CAutoLock lock(&m_GraphLock);
    auto nameOf = [&](IBaseFilter* filter) {
        for (const Entry& entry : m_Filters) {
            if (entry.filter == filter) return entry.name;
        }
        return std::u16string(u"?");
    };
    std::vector<std::u16string> lines;
    std::vector<IBaseFilter*> order = DownstreamFirst();
    std::reverse(order.begin(), order.end());
    for (IBaseFilter* filter : order) {
        std::vector<IPin*> pins = PinsOf(filter);
        for (IPin* pin : pins) {
            if (DirectionOf(pin) != PINDIR_OUTPUT) continue;
            if (IPin* peer = PeerOf(pin)) {
                lines.push_back(nameOf(filter) + u"." + PinName(pin) + u" -> " + nameOf(FilterOfPin(peer)) + u"." +
                                PinName(peer));
                peer->Release();
            }
        }
        ReleaseAll(pins);
    }
    return lines;
}

IReferenceClock* CFilterGraph::CurrentClock()
{
    CAutoLock lock(&m_GraphLock);
    if (m_Clock) m_Clock->AddRef();
    return m_Clock;
}

namespace platform {

CFilterGraph* FilterGraphOf(IUnknown* graph)
{
    if (!graph) return nullptr;
    IGraphBuilder* builder = nullptr;
    if (FAILED(graph->QueryInterface(IID_IGraphBuilder, reinterpret_cast<void**>(&builder)))) return nullptr;
    auto* result = dynamic_cast<CFilterGraph*>(builder);
    builder->Release();
    return result;
}

HRESULT PostGraphEvent(IUnknown* graph, LONG code, LONG_PTR param1, LONG_PTR param2)
{
    CFilterGraph* filterGraph = FilterGraphOf(graph);
    if (!filterGraph) return E_NOINTERFACE;
    return filterGraph->Notify(code, param1, param2);
}

}  // namespace platform
