// CBaseFilter: the filter base the engine's filters and the graph-made ones derive from. It
// keeps the state (stopped, paused, running), the clock and start time, the graph it joined and
// the graph's event sink; pins come from GetPinCount/GetPin, which every filter overrides.
#pragma once

#include "platform/dshow/unknown_base.h"

#include <string>

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter {
public:
    CBaseFilter(LPCWSTR name, LPUNKNOWN outer, CCritSec* lock, REFCLSID clsid);
    CBaseFilter(LPCWSTR name, LPUNKNOWN outer, CCritSec* lock, REFCLSID clsid, HRESULT* result);
    ~CBaseFilter() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    virtual int GetPinCount() = 0;
    virtual CBasePin* GetPin(int n) = 0;

    HRESULT GetClassID(CLSID* clsid) override;
    // Stop makes every connected pin inactive; Pause from stopped makes them active.
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD timeout, FILTER_STATE* state) override;
    HRESULT SetSyncSource(IReferenceClock* clock) override;
    HRESULT GetSyncSource(IReferenceClock** clock) override;
    HRESULT EnumPins(IEnumPins** pins) override;
    HRESULT FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

    // Passes an event to the graph (EC_COMPLETE, EC_ERRORABORT ...); E_NOTIMPL outside a graph.
    HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
    // The clock's time minus the start time of Run; VFW_E_NO_CLOCK without a clock.
    HRESULT StreamTime(REFERENCE_TIME* time);
    bool IsActive();
    bool IsStopped();
    FILTER_STATE State();
    IFilterGraph* GetFilterGraph() const { return m_Graph; }
    const std::u16string& FilterName() const { return m_Name; }

protected:
    FILTER_STATE m_State = State_Stopped;
    IReferenceClock* m_Clock = nullptr;   // counted
    REFERENCE_TIME m_Start = 0;
    CLSID m_Clsid;
    CCritSec* m_Lock;
    std::u16string m_Name;
    IFilterGraph* m_Graph = nullptr;      // not counted: the graph holds the filter
    IMediaEventSink* m_Sink = nullptr;    // not counted
};
