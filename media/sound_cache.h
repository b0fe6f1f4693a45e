// Decoded sounds by name for the one-shot players, one cache per audio back end. Names compare
// ignoring the case of A to Z. Every operation holds the lock for its whole length, loading
// included.
#pragma once

#include "foundation/mutex.h"
#include "media/wav_data.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GxSoundCache {
public:
    static constexpr std::uint64_t kMaxTotalBytes = 20971520;
    static constexpr std::uint32_t kMaxEntries = 1024;

    GxSoundCache() = default;
    virtual ~GxSoundCache();
    GxSoundCache(const GxSoundCache&) = delete;
    GxSoundCache& operator=(const GxSoundCache&) = delete;

    // The cached sound with its use count raised, else the file decoded and added with use
    // count 1 (the cache trims first when full); null when it fails to load.
    virtual GxWavData* Acquire(const std::u16string& name);
    virtual void Release(const std::u16string& name);
    virtual bool Preload(const std::u16string& name, bool keep);
    virtual void SetKeep(const std::u16string& name, bool keep);
    virtual bool Contains(const std::u16string& name);
    virtual bool Trim(int ignored);
    // Deletes every sound no one uses and no one keeps; true when any went.
    virtual bool Trim();
    virtual void Clear();
    virtual std::uint64_t GetTotalBytes();
    virtual std::uint32_t GetCount();
    virtual std::uint32_t GetLastUsedTime(const std::u16string& name);
    virtual std::uint32_t GetLastUsedTime(const std::string& name);

private:
    // Caller holds the lock.
    GxWavData* Find(const std::u16string& name) const;
    bool TrimLocked();

    std::vector<std::unique_ptr<GxWavData>> m_List;
    std::uint32_t m_Count = 0;
    std::uint64_t m_TotalBytes = 0;
    GxMutex m_Mutex;
};
