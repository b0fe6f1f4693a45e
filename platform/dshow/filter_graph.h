// The filter graph: holds the filters added to it, connects output pins by rendering them
// (filters in the graph, then registered decoders, then a graph-made audio renderer for PCM),
// runs and stops them on one clock, keeps the position in seconds over the sources' seeking
// pins, and queues events, with EC_COMPLETE once every renderer has ended.
#pragma once

#include "platform/dshow/unknown_base.h"

#include <deque>
#include <string>
#include <vector>

class CAudioRenderer;

class CFilterGraph final : public CUnknown,
                           public IGraphBuilder,
                           public IMediaControl,
                           public IMediaPosition,
                           public IMediaEvent,
                           public IBasicAudio,
                           public IMediaEventSink {
public:
    CFilterGraph();
    ~CFilterGraph() override;

    static HRESULT Create(REFIID iid, void** object);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // IFilterGraph / IGraphBuilder
    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    HRESULT Disconnect(IPin* pin) override;
    HRESULT Connect(IPin* output, IPin* input) override;
    HRESULT Render(IPin* output) override;

    // IMediaControl
    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT GetState(LONG timeout, OAFilterState* state) override;

    // IMediaPosition
    HRESULT get_Duration(REFTIME* length) override;
    HRESULT put_CurrentPosition(REFTIME time) override;
    HRESULT get_CurrentPosition(REFTIME* time) override;
    HRESULT get_StopTime(REFTIME* time) override;
    HRESULT put_StopTime(REFTIME time) override;
    HRESULT put_Rate(double rate) override;
    HRESULT get_Rate(double* rate) override;

    // IMediaEvent
    HRESULT GetEventHandle(OAEVENT* event) override;
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) override;
    HRESULT WaitForCompletion(LONG timeout, LONG* code) override;
    HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // IBasicAudio: reaches the audio renderers in the graph at the time of the call.
    HRESULT put_Volume(LONG volume) override;
    HRESULT get_Volume(LONG* volume) override;
    HRESULT put_Balance(LONG balance) override;
    HRESULT get_Balance(LONG* balance) override;

    // IMediaEventSink: what the filters raise.
    HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) override;

    // Test seams.
    std::vector<std::u16string> FilterNames();
    // "Filter.Pin -> Filter.Pin" for every connection, upstream filters first.
    std::vector<std::u16string> Connections();
    IReferenceClock* CurrentClock();   // counted, or null before the first Run

private:
    struct Entry {
        IBaseFilter* filter;   // counted
        std::u16string name;
    };
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };

    HRESULT AddFilterLocked(IBaseFilter* filter, LPCWSTR name);
    void RemoveFilterLocked(IBaseFilter* filter);
    HRESULT RenderLocked(IPin* output, int depth);
    HRESULT RenderOutputs(IBaseFilter* filter, int depth);
    HRESULT TryConnect(IPin* output, IBaseFilter* filter);
    HRESULT TryDecoders(IPin* output, int depth);
    HRESULT TryAudioRenderer(IPin* output);
    std::vector<IBaseFilter*> DownstreamFirst();
    std::vector<IMediaSeeking*> SeekingSources();   // counted
    std::vector<CAudioRenderer*> AudioRenderers();
    void ChooseClock();
    void PrepareFromStopped();
    REFERENCE_TIME ClockNow();
    REFERENCE_TIME PositionLocked();
    void SeekSources(REFERENCE_TIME position);
    void ResetCompletion();
    void PostEvent(const Event& event);
    void SignalEventsLocked();

    CCritSec m_GraphLock;   // taken before any filter's lock; never by a streaming thread
    std::vector<Entry> m_Filters;
    FILTER_STATE m_State = State_Stopped;
    IReferenceClock* m_Clock = nullptr;   // counted
    REFERENCE_TIME m_RunStart = 0;        // clock time of stream time 0
    REFERENCE_TIME m_SegmentStart = 0;    // position of stream time 0
    REFERENCE_TIME m_HeldPosition = 0;    // while stopped or paused
    REFERENCE_TIME m_PausedStreamTime = 0;
    bool m_SeekOnRun = false;
    double m_Rate = 1.0;

    CCritSec m_EventLock;   // the queue and the completion count; streaming threads take it
    std::deque<Event> m_Events;
    HANDLE m_EventHandle;   // manual reset: set while the queue holds events
    int m_EventWaiters = 0;
    bool m_HandleGivenOut = false;
    std::vector<IBaseFilter*> m_Renderers;
    std::vector<IBaseFilter*> m_Completed;
    bool m_CompletePosted = false;
    bool m_Running = false;
};

namespace platform {

// Test seams over a graph made by CLSID_FilterGraph (null or E_NOINTERFACE for anything else).
CFilterGraph* FilterGraphOf(IUnknown* graph);
HRESULT PostGraphEvent(IUnknown* graph, LONG code, LONG_PTR param1, LONG_PTR param2);

}  // namespace platform
