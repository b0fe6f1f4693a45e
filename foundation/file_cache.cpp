#include "foundation/file_cache.h"

#include "platform/win32/timer.h"

#include <cstring>
#include <algorithm>
#include <vector>

GxFileCache::~GxFileCache()
{
    Clear();
}

GxFileCacheBuffer* GxFileCache::Find(const std::u16string& key, std::uint64_t fileTime)
{
    GxMutexScopedLock lock(m_Lock);
    if (!m_Enabled)
        return nullptr;
    auto found = m_Entries.find(key);
    if (found == m_Entries.end() || found->second->m_FileTime != fileTime)
        return nullptr;
    found->second->m_LastUse = timeGetTime();
    return found->second.get();
}

bool GxFileCache::Add(const std::u16string& key, const GxBinBuffer& buffer, std::uint64_t fileTime)
{
    GxMutexScopedLock lock(m_Lock);
    Remove(key);
    const std::uint32_t size = buffer.GetSize();
    if (!m_Enabled || size > m_MaxFileSize || size > m_Capacity)
        return false;
    if (std::uint64_t{m_Total} + size > m_Capacity)
        Evict(size);

    auto copy = std::make_unique<GxFileCacheBuffer>(size);
    if (size != 0) {
        if (copy->GetData() == nullptr)
            return false;
        std::memcpy(copy->GetData(), buffer.GetData(), size);
    }
    copy->m_LastUse = timeGetTime();
    copy->m_FileTime = fileTime;
    m_Entries.emplace(key, std::move(copy));
    m_Total += size;
    return true;
}

bool GxFileCache::Remove(const std::u16string& key)
{
    GxMutexScopedLock lock(m_Lock);
    auto found = m_Entries.find(key);
    if (found == m_Entries.end())
        return false;
    m_Total -= found->second->GetSize();
    m_Entries.erase(found);
    return true;
}

void GxFileCache::Evict(std::uint32_t bytesNeeded)
{
    GxMutexScopedLock lock(m_Lock);
    const std::uint32_t target = bytesNeeded > m_Capacity / 4 ? bytesNeeded : m_Capacity / 4;

    // Oldest first by age (now - last use) rather than by the raw clock, so that the order
    // stays right when the 32-bit millisecond clock wraps. The map walk is in key order and
    // the sort is stable, so equal ages stay in key order.
    struct Item {
        const std::u16string* key;
        std::uint32_t age;
        std::uint32_t size;
    };
    const std::uint32_t now = timeGetTime();
    std::vector<Item> order;
    order.reserve(m_Entries.size());
    for (const auto& [key, buffer] : m_Entries)
        order.push_back({&key, now - buffer->m_LastUse, buffer->GetSize()});
    std::stable_sort(order.begin(), order.end(), [](const Item& a, const Item& b) { return a.age > b.age; });

    std::uint64_t freed = 0;
    for (const Item& item : order) {
        if (freed >= target)
            break;
        freed += item.size;
        const std::u16string key = *item.key;   // the key's storage goes with its entry
        Remove(key);
    }
}

void GxFileCache::Clear()
{
    GxMutexScopedLock lock(m_Lock);
    m_Entries.clear();
    m_Total = 0;
}

std::uint32_t GxFileCache::GetTotalSize()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Total;
}

void GxFileCache::SetEnabled(bool enabled)
{
    GxMutexScopedLock lock(m_Lock);
    m_Enabled = enabled;
}

void GxFileCache::SetCapacity(std::uint32_t bytes)
{
    GxMutexScopedLock lock(m_Lock);
    m_Capacity = bytes;
}

void GxFileCache::SetMaxFileSize(std::uint32_t bytes)
{
    GxMutexScopedLock lock(m_Lock);
    m_MaxFileSize = bytes;
}
