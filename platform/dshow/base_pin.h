// CBasePin and the two pin bases: CBaseOutputPin (agrees the allocator with the input it
// connects to and delivers through IMemInputPin) and CBaseInputPin (receives samples). Pins
// count on their filter: a pin's AddRef and Release are its filter's.
#pragma once

#include "platform/dshow/base_filter.h"
#include "platform/dshow/media_type.h"

#include <string>

class CBasePin : public CUnknown, public IPin {
public:
    CBasePin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName,
             PIN_DIRECTION direction);
    ~CBasePin() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

    // The media types the pin offers, by position from 0; VFW_S_NO_MORE_ITEMS past the last.
    virtual HRESULT GetMediaType(int position, CMediaType* type);
    virtual HRESULT CheckMediaType(const CMediaType* type) = 0;
    virtual HRESULT SetMediaType(const CMediaType* type);
    virtual HRESULT CheckConnect(IPin* pin);
    virtual HRESULT BreakConnect();
    virtual HRESULT CompleteConnect(IPin* receivePin);
    virtual HRESULT Active();
    virtual HRESULT Inactive();

    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT Disconnect() override;
    HRESULT ConnectedTo(IPin** pin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT QueryPinInfo(PIN_INFO* info) override;
    HRESULT QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    bool IsConnected() const { return m_Connected != nullptr; }
    IPin* GetConnected() const { return m_Connected; }
    bool IsStopped() const { return m_Filter->IsStopped(); }
    PIN_DIRECTION Direction() const { return m_Direction; }
    const std::u16string& Name() const { return m_PinName; }
    CBaseFilter* Filter() const { return m_Filter; }
    const CMediaType& CurrentMediaType() const { return m_MediaType; }
    REFERENCE_TIME CurrentStartTime() const { return m_SegmentStart; }
    REFERENCE_TIME CurrentStopTime() const { return m_SegmentStop; }
    double CurrentRate() const { return m_SegmentRate; }

protected:
    HRESULT AgreeMediaType(IPin* receivePin, const CMediaType* partial);
    HRESULT AttemptConnection(IPin* receivePin, const CMediaType* type);

    std::u16string m_PinName;
    IPin* m_Connected = nullptr;   // counted
    PIN_DIRECTION m_Direction;
    CCritSec* m_Lock;
    CBaseFilter* m_Filter;
    CMediaType m_MediaType;
    REFERENCE_TIME m_SegmentStart = 0;
    REFERENCE_TIME m_SegmentStop = kMaxReferenceTime;
    double m_SegmentRate = 1.0;
};

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName);

    // Needs IMemInputPin on the other pin (VFW_E_NO_TRANSPORT otherwise).
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT BreakConnect() override;
    HRESULT CompleteConnect(IPin* receivePin) override;

    // The input pin's allocator when it offers one, else a new memory allocator; either is
    // sized by DecideBufferSize from the input's requirements, then handed to the input.
    virtual HRESULT DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator);
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    virtual HRESULT InitAllocator(IMemAllocator** allocator);

    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags);
    HRESULT Deliver(IMediaSample* sample);
    HRESULT Active() override;     // commits the allocator
    HRESULT Inactive() override;   // decommits it, which frees a thread waiting for a buffer

    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

    // An output pin receives none of these from upstream.
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    IMemAllocator* Allocator() const { return m_Allocator; }

protected:
    IMemAllocator* m_Allocator = nullptr;   // counted
    IMemInputPin* m_InputPin = nullptr;     // counted
};

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName);
    ~CBaseInputPin() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetAllocator(IMemAllocator** allocator) override;
    HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    // The checks every receive starts with: S_OK, or why the sample is not taken.
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    HRESULT ReceiveCanBlock() override;

    HRESULT BreakConnect() override;
    HRESULT Inactive() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT EndOfStream() override;

    HRESULT CheckStreaming();
    bool IsFlushing() const { return m_Flushing; }
    bool IsReadOnly() const { return m_ReadOnly; }
    IMemAllocator* PeekAllocator() const { return m_Allocator; }

protected:
    IMemAllocator* m_Allocator = nullptr;   // counted
    bool m_ReadOnly = false;
    std::atomic<bool> m_Flushing{false};
    bool m_RunTimeError = false;
};
