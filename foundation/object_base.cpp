#include "foundation/object_base.h"

GxObjectRefCountNotAutoDelete::~GxObjectRefCountNotAutoDelete()
{
    // Only the base count is brought down here; derived overrides have already run their own destructors.
    m_RefCount = 0;
}

std::uint32_t GxObjectRefCountNotAutoDelete::AddRef()
{
    return ++m_RefCount;
}

std::uint32_t GxObjectRefCountNotAutoDelete::GetRefCount() const
{
    return m_RefCount;
}

std::uint32_t GxObjectRefCountNotAutoDelete::Release()
{
    if (m_RefCount > 0) --m_RefCount;
    return m_RefCount;
}

void GxObjectRefCountNotAutoDelete::ReleaseAll()
{
    // Stops as well when an override does not bring the count down, rather than spin forever.
    for (std::uint32_t count = GetRefCount(); count > 0;) {
        Release();
        std::uint32_t after = GetRefCount();
        if (after >= count) break;
        count = after;
    }
}
