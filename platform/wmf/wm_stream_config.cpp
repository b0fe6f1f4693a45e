#include "platform/wmf/wm_stream_config.h"

#include <cstring>

namespace platform {

WmStreamConfig::WmStreamConfig(WORD number, std::u16string name, const CMediaType& type)
    : m_Number(number), m_Name(std::move(name)), m_Type(type)
{
}

HRESULT WmStreamConfig::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IWMStreamConfig) {
        *object = static_cast<IWMStreamConfig*>(this);
    } else if (riid == IID_IWMMediaProps) {
        *object = static_cast<IWMMediaProps*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG WmStreamConfig::AddRef() { return ++m_RefCount; }

ULONG WmStreamConfig::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) delete this;
    return count;
}

HRESULT WmStreamConfig::GetStreamType(GUID* type)
{
    if (!type) return E_POINTER;
    *type = m_Type.majortype;
    return S_OK;
}

HRESULT WmStreamConfig::GetStreamNumber(WORD* number)
{
    if (!number) return E_POINTER;
    *number = m_Number;
    return S_OK;
}

HRESULT WmStreamConfig::GetStreamName(WCHAR* name, WORD* length)
{
    if (!length) return E_POINTER;
    const auto needed = static_cast<WORD>(m_Name.size() + 1);
    if (!name) {
        *length = needed;
        return S_OK;
    }
    if (*length < needed) {
        *length = needed;
        return ASF_E_BUFFERTOOSMALL;
    }
    std::memcpy(name, m_Name.c_str(), needed * sizeof(WCHAR));
    *length = needed;
    return S_OK;
}

HRESULT WmStreamConfig::GetType(GUID* type) { return GetStreamType(type); }

HRESULT WmStreamConfig::GetMediaType(WM_MEDIA_TYPE* type, DWORD* size)
{
    if (!size) return E_POINTER;
    const DWORD needed = static_cast<DWORD>(sizeof(WM_MEDIA_TYPE) + m_Type.cbFormat);
    if (!type) {
        *size = needed;
        return S_OK;
    }
    if (*size < needed) {
        *size = needed;
        return ASF_E_BUFFERTOOSMALL;
    }
    // The format block follows the structure in the caller's buffer.
    *type = m_Type;
    type->pUnk = nullptr;
    type->pbFormat = m_Type.cbFormat ? reinterpret_cast<BYTE*>(type + 1) : nullptr;
    if (m_Type.cbFormat) std::memcpy(type->pbFormat, m_Type.pbFormat, m_Type.cbFormat);
    *size = needed;
    return S_OK;
}

}  // namespace platform
