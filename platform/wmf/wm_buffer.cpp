#include "platform/wmf/wm_buffer.h"

namespace platform {

WmBuffer::WmBuffer(DWORD size) : m_Bytes(size) {}

HRESULT WmBuffer::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(riid == IID_IUnknown) && !(riid == IID_INSSBuffer)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<INSSBuffer*>(this);
    return S_OK;
}

ULONG WmBuffer::AddRef() { return ++m_RefCount; }

ULONG WmBuffer::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) delete this;
    return count;
}

HRESULT WmBuffer::GetLength(DWORD* length)
{
    if (!length) return E_POINTER;
    *length = m_Length;
    return S_OK;
}

HRESULT WmBuffer::SetLength(DWORD length)
{
    if (length > m_Bytes.size()) return E_INVALIDARG;
    m_Length = length;
    return S_OK;
}

HRESULT WmBuffer::GetMaxLength(DWORD* length)
{
    if (!length) return E_POINTER;
    *length = static_cast<DWORD>(m_Bytes.size());
    return S_OK;
}

HRESULT WmBuffer::GetBuffer(BYTE** buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = m_Bytes.data();
    return S_OK;
}

HRESULT WmBuffer::GetBufferAndLength(BYTE** buffer, DWORD* length)
{
    if (!buffer || !length) return E_POINTER;
    *buffer = m_Bytes.data();
    *length = m_Length;
    return S_OK;
}

}  // namespace platform
