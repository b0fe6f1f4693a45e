#include "platform/dshow/base_pin.h"

#include "platform/dshow/dshow_layer.h"
#include "platform/win32/com.h"

#include <algorithm>

// --- CBasePin -----------------------------------------------------------------------------

CBasePin::CBasePin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result, LPCWSTR pinName,
                   PIN_DIRECTION direction)
    : CUnknown(objectName, nullptr), m_PinName(pinName ? pinName : u""), m_Direction(direction), m_Lock(lock),
      m_Filter(filter)
{
    if (result && !filter) *result = E_POINTER;
}

CBasePin::~CBasePin()
{
    if (m_Connected) m_Connected->Release();
}

HRESULT CBasePin::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IPin) return GetInterface(static_cast<IPin*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

ULONG CBasePin::NonDelegatingAddRef() { return m_Filter->AddRef(); }

ULONG CBasePin::NonDelegatingRelease() { return m_Filter->Release(); }

HRESULT CBasePin::GetMediaType(int position, CMediaType*)
{
    return position < 0 ? E_INVALIDARG : VFW_S_NO_MORE_ITEMS;
}

HRESULT CBasePin::SetMediaType(const CMediaType* type)
{
    m_MediaType = *type;
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pin)
{
    PIN_DIRECTION direction{};
    const HRESULT hr = pin->QueryDirection(&direction);
    if (FAILED(hr)) return hr;
    return direction == m_Direction ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT CBasePin::BreakConnect() { return S_OK; }

HRESULT CBasePin::CompleteConnect(IPin*) { return S_OK; }

HRESULT CBasePin::Active() { return S_OK; }

HRESULT CBasePin::Inactive() { return S_OK; }

HRESULT CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type)
{
    if (!receivePin) return E_POINTER;
    CAutoLock lock(m_Lock);
    if (m_Connected) return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    const CMediaType partial = type ? CMediaType(*type) : CMediaType();
    return AgreeMediaType(receivePin, &partial);
}

HRESULT CBasePin::AgreeMediaType(IPin* receivePin, const CMediaType* partial)
{
    HRESULT hr = CheckConnect(receivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    if (!partial->IsPartiallySpecified()) {
        hr = AttemptConnection(receivePin, partial);
        if (SUCCEEDED(hr)) return hr;
        BreakConnect();
        return hr;
    }
    // The output's own types, in its order; the input decides with its CheckMediaType.
    for (int position = 0;; ++position) {
        CMediaType type;
        const HRESULT got = GetMediaType(position, &type);
        if (got != S_OK) break;
        if (!type.MatchesPartial(partial)) continue;
        hr = AttemptConnection(receivePin, &type);
        if (SUCCEEDED(hr)) return hr;
        hr = CheckConnect(receivePin);   // an attempt that failed broke the connection state
        if (FAILED(hr)) break;
    }
    BreakConnect();
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::AttemptConnection(IPin* receivePin, const CMediaType* type)
{
    HRESULT hr = CheckMediaType(type);
    if (hr != S_OK) return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    m_Connected = receivePin;
    m_Connected->AddRef();
    hr = SetMediaType(type);
    if (SUCCEEDED(hr)) {
        hr = receivePin->ReceiveConnection(static_cast<IPin*>(this), type);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(receivePin);
            if (SUCCEEDED(hr)) return hr;
            receivePin->Disconnect();
        }
    }
    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type)
{
    if (!connector || !type) return E_POINTER;
    CAutoLock lock(m_Lock);
    if (m_Connected) return VFW_E_ALREADY_CONNECTED;
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(connector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    const CMediaType offered(*type);
    hr = CheckMediaType(&offered);
    if (hr != S_OK) {
        BreakConnect();
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Connected = connector;
    m_Connected->AddRef();
    hr = SetMediaType(&offered);
    if (SUCCEEDED(hr)) hr = CompleteConnect(connector);
    if (FAILED(hr)) {
        m_Connected->Release();
        m_Connected = nullptr;
        BreakConnect();
        return hr;
    }
    return S_OK;
}

HRESULT CBasePin::Disconnect()
{
    CAutoLock lock(m_Lock);
    if (!IsStopped()) return VFW_E_NOT_STOPPED;
    if (!m_Connected) return S_FALSE;
    BreakConnect();
    m_Connected->Release();
    m_Connected = nullptr;
    m_MediaType = CMediaType();
    return S_OK;
}

HRESULT CBasePin::ConnectedTo(IPin** pin)
{
    if (!pin) return E_POINTER;
    CAutoLock lock(m_Lock);
    *pin = m_Connected;
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    m_Connected->AddRef();
    return S_OK;
}

HRESULT CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    CAutoLock lock(m_Lock);
    if (!m_Connected) {
        *type = CMediaType();
        type->pbFormat = nullptr;
        type->cbFormat = 0;
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(type, &m_MediaType);
}

HRESULT CBasePin::QueryPinInfo(PIN_INFO* info)
{
    if (!info) return E_POINTER;
    info->pFilter = m_Filter;
    m_Filter->AddRef();
    info->dir = m_Direction;
    const std::size_t length = std::min<std::size_t>(m_PinName.size(), MAX_PIN_NAME - 1);
    std::copy_n(m_PinName.data(), length, info->achName);
    info->achName[length] = 0;
    return S_OK;
}

HRESULT CBasePin::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction) return E_POINTER;
    *direction = m_Direction;
    return S_OK;
}

HRESULT CBasePin::QueryAccept(const AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    const CMediaType offered(*type);
    const HRESULT hr = CheckMediaType(&offered);
    return hr == S_OK ? S_OK : S_FALSE;
}

HRESULT CBasePin::EndOfStream() { return S_OK; }

HRESULT CBasePin::BeginFlush() { return S_OK; }

HRESULT CBasePin::EndFlush() { return S_OK; }

HRESULT CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    m_SegmentStart = start;
    m_SegmentStop = stop;
    m_SegmentRate = rate;
    return S_OK;
}

// --- CBaseOutputPin -----------------------------------------------------------------------

CBaseOutputPin::CBaseOutputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                               LPCWSTR pinName)
    : CBasePin(objectName, filter, lock, result, pinName, PINDIR_OUTPUT)
{
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin)
{
    HRESULT hr = CBasePin::CheckConnect(pin);
    if (FAILED(hr)) return hr;
    if (m_InputPin) return S_OK;
    hr = pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_InputPin));
    return FAILED(hr) ? VFW_E_NO_TRANSPORT : S_OK;
}

HRESULT CBaseOutputPin::BreakConnect()
{
    if (m_Allocator) {
        m_Allocator->Decommit();
        m_Allocator->Release();
        m_Allocator = nullptr;
    }
    if (m_InputPin) {
        m_InputPin->Release();
        m_InputPin = nullptr;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*)
{
    if (!m_InputPin) return VFW_E_NO_TRANSPORT;
    return DecideAllocator(m_InputPin, &m_Allocator);
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** allocator)
{
    platform::RegisterDshowClasses();
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            reinterpret_cast<void**>(allocator));
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator)
{
    *allocator = nullptr;
    ALLOCATOR_PROPERTIES properties{};
    pin->GetAllocatorRequirements(&properties);
    if (properties.cbAlign == 0) properties.cbAlign = 1;
    HRESULT hr = pin->GetAllocator(allocator);
    if (SUCCEEDED(hr)) {
        hr = DecideBufferSize(*allocator, &properties);
        if (SUCCEEDED(hr)) {
            hr = pin->NotifyAllocator(*allocator, FALSE);
            if (SUCCEEDED(hr)) return S_OK;
        }
    }
    if (*allocator) {
        (*allocator)->Release();
        *allocator = nullptr;
    }
    hr = InitAllocator(allocator);
    if (SUCCEEDED(hr)) {
        hr = DecideBufferSize(*allocator, &properties);
        if (SUCCEEDED(hr)) {
            hr = pin->NotifyAllocator(*allocator, FALSE);
            if (SUCCEEDED(hr)) return S_OK;
        }
    }
    if (*allocator) {
        (*allocator)->Release();
        *allocator = nullptr;
    }
    return hr;
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                                          DWORD flags)
{
    if (!m_Allocator) return VFW_E_NO_ALLOCATOR;
    return m_Allocator->GetBuffer(sample, start, end, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample)
{
    if (!m_InputPin) return VFW_E_NOT_CONNECTED;
    return m_InputPin->Receive(sample);
}

HRESULT CBaseOutputPin::Active()
{
    if (!m_Allocator) return VFW_E_NO_ALLOCATOR;
    return m_Allocator->Commit();
}

HRESULT CBaseOutputPin::Inactive()
{
    if (!m_Allocator) return VFW_E_NO_ALLOCATOR;
    return m_Allocator->Decommit();
}

HRESULT CBaseOutputPin::DeliverEndOfStream()
{
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    return m_Connected->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush()
{
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    return m_Connected->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush()
{
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    return m_Connected->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    return m_Connected->NewSegment(start, stop, rate);
}

HRESULT CBaseOutputPin::EndOfStream() { return E_UNEXPECTED; }

HRESULT CBaseOutputPin::BeginFlush() { return E_UNEXPECTED; }

HRESULT CBaseOutputPin::EndFlush() { return E_UNEXPECTED; }

// --- CBaseInputPin ------------------------------------------------------------------------

CBaseInputPin::CBaseInputPin(LPCWSTR objectName, CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                             LPCWSTR pinName)
    : CBasePin(objectName, filter, lock, result, pinName, PINDIR_INPUT)
{
}

CBaseInputPin::~CBaseInputPin()
{
    if (m_Allocator) m_Allocator->Release();
}

HRESULT CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IMemInputPin) return GetInterface(static_cast<IMemInputPin*>(this), object);
    return CBasePin::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseInputPin::GetAllocator(IMemAllocator** allocator)
{
    if (!allocator) return E_POINTER;
    CAutoLock lock(m_Lock);
    if (!m_Allocator) {
        platform::RegisterDshowClasses();
        const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                            reinterpret_cast<void**>(&m_Allocator));
        if (FAILED(hr)) return hr;
    }
    *allocator = m_Allocator;
    m_Allocator->AddRef();
    return S_OK;
}

HRESULT CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly)
{
    if (!allocator) return E_POINTER;
    CAutoLock lock(m_Lock);
    allocator->AddRef();
    if (m_Allocator) m_Allocator->Release();
    m_Allocator = allocator;
    m_ReadOnly = readOnly != FALSE;
    return S_OK;
}

HRESULT CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT CBaseInputPin::CheckStreaming()
{
    if (!m_Connected) return VFW_E_NOT_CONNECTED;
    if (IsStopped()) return VFW_E_WRONG_STATE;
    if (m_Flushing) return S_FALSE;
    if (m_RunTimeError) return VFW_E_RUNTIME_ERROR;
    return S_OK;
}

HRESULT CBaseInputPin::Receive(IMediaSample* sample)
{
    if (!sample) return E_POINTER;
    return CheckStreaming();
}

HRESULT CBaseInputPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed)
{
    if (!samples) return E_POINTER;
    HRESULT hr = S_OK;
    LONG done = 0;
    while (done < count) {
        hr = Receive(samples[done]);
        if (hr != S_OK) break;
        ++done;
    }
    if (processed) *processed = done;
    return hr;
}

HRESULT CBaseInputPin::ReceiveCanBlock() { return S_OK; }

HRESULT CBaseInputPin::BreakConnect()
{
    if (m_Allocator) {
        m_Allocator->Decommit();
        m_Allocator->Release();
        m_Allocator = nullptr;
    }
    return S_OK;
}

HRESULT CBaseInputPin::Inactive()
{
    m_RunTimeError = false;
    m_Flushing = false;
    return m_Allocator ? m_Allocator->Decommit() : S_OK;
}

HRESULT CBaseInputPin::BeginFlush()
{
    m_Flushing = true;
    return S_OK;
}

HRESULT CBaseInputPin::EndFlush()
{
    m_Flushing = false;
    m_RunTimeError = false;
    return S_OK;
}

HRESULT CBaseInputPin::EndOfStream() { return CheckStreaming() == VFW_E_NOT_CONNECTED ? VFW_E_NOT_CONNECTED : S_OK; }
