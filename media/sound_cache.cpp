#include "media/sound_cache.h"

#include "foundation/wide_string.h"

GxSoundCache::~GxSoundCache() { Clear(); }

GxWavData* GxSoundCache::Find(const std::u16string& name) const
{
    const std::u16string lowered = WideToLowerAscii(name);
    for (const auto& sound : m_List)
        if (sound->GetName() == lowered)
            return sound.get();
    return nullptr;
}

GxWavData* GxSoundCache::Acquire(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Mutex);
    if (GxWavData* cached = Find(name)) {
        cached->AddRef();
        cached->Touch();
        return cached;
    }
    auto sound = std::make_unique<GxWavData>();
    if (!sound->Create(name))
        return nullptr;
    if (sound->GetDataSize() + m_TotalBytes > kMaxTotalBytes || m_Count >= kMaxEntries)
        TrimLocked();
    // Added even when the cache stays over its limits: the caller needs the sound now.
    m_TotalBytes += sound->GetDataSize();
    ++m_Count;
    m_List.push_back(std::move(sound));
    return m_List.back().get();
}

void GxSoundCache::Release(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Mutex);
    if (GxWavData* sound = Find(name))
        sound->Release();
}

bool GxSoundCache::Preload(const std::u16string& name, bool keep)
{
    GxMutexScopedLock lock(m_Mutex);
    GxWavData* sound = Acquire(name);
    if (sound == nullptr)
        return false;
    if (keep)
        sound->SetKeep(true);
    sound->Release();
    return true;
}

void GxSoundCache::SetKeep(const std::u16string& name, bool keep)
{
    GxMutexScopedLock lock(m_Mutex);
    if (GxWavData* sound = Find(name))
        sound->SetKeep(keep);
}

bool GxSoundCache::Contains(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Mutex);
    return Find(name) != nullptr;
}

bool GxSoundCache::Trim(int) { return Trim(); }

bool GxSoundCache::Trim()
{
    GxMutexScopedLock lock(m_Mutex);
    return TrimLocked();
}

bool GxSoundCache::TrimLocked()
{
    bool deleted = false;
    for (auto it = m_List.begin(); it != m_List.end();) {
        if ((*it)->GetUseCount() == 0 && !(*it)->GetKeep()) {
            m_TotalBytes -= (*it)->GetDataSize();
            --m_Count;
            it = m_List.erase(it);
            deleted = true;
        } else {
            ++it;
        }
    }
    return deleted;
}

void GxSoundCache::Clear()
{
    GxMutexScopedLock lock(m_Mutex);
    m_List.clear();
    m_Count = 0;
    m_TotalBytes = 0;
}

std::uint64_t GxSoundCache::GetTotalBytes()
{
    GxMutexScopedLock lock(m_Mutex);
    return m_TotalBytes;
}

std::uint32_t GxSoundCache::GetCount()
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Count;
}

std::uint32_t GxSoundCache::GetLastUsedTime(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Mutex);
    const GxWavData* sound = Find(name);
    return sound == nullptr ? 0 : sound->GetLastUsedTime();
}

std::uint32_t GxSoundCache::GetLastUsedTime(const std::string& name) { return GetLastUsedTime(MultiByteToWide(name)); }
