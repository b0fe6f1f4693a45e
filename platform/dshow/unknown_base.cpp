#include "platform/dshow/unknown_base.h"

HRESULT GetInterface(IUnknown* unknown, void** object)
{
    if (!object) return E_POINTER;
    *object = unknown;
    unknown->AddRef();
    return S_OK;
}

CUnknown::CUnknown(LPCWSTR name, LPUNKNOWN outer) : m_ObjectName(name ? name : u"")
{
    m_Inner.self = this;
    m_Owner = outer ? outer : &m_Inner;
}

CUnknown::~CUnknown() = default;

HRESULT CUnknown::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown) return GetInterface(&m_Inner, object);
    return E_NOINTERFACE;
}

ULONG CUnknown::NonDelegatingAddRef() { return ++m_RefCount; }

ULONG CUnknown::NonDelegatingRelease()
{
    const ULONG count = --m_RefCount;
    if (count == 0) {
        // A destructor that hands the object around must not bring it back to 0 again.
        m_RefCount = 1u << 30;
        delete this;
        return 0;
    }
    return count;
}
