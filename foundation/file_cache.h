// GxFileCache: copies of recently read small files, keyed by the name as the caller gave it
// with A-Z lowered, and valid only while the file's time is unchanged. Least recently used
// files go first when the byte budget is exceeded.
#pragma once

#include "foundation/bin_buffer.h"
#include "foundation/mutex.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class GxFileCacheBuffer : public GxBinBuffer {
public:
    explicit GxFileCacheBuffer(std::uint32_t size) : GxBinBuffer(size) {}
    ~GxFileCacheBuffer() override = default;

    std::uint32_t m_LastUse = 0;    // timeGetTime at the last store or hit
    std::uint64_t m_FileTime = 0;   // the file's time when it was stored
};

class GxFileCache {
public:
    GxFileCache() = default;
    virtual ~GxFileCache();

    GxFileCache(const GxFileCache&) = delete;
    GxFileCache& operator=(const GxFileCache&) = delete;

    // The cached buffer for the key when its file time matches; a hit refreshes its last use.
    // The result stays valid only while the caller holds GetLock().
    GxFileCacheBuffer* Find(const std::u16string& key, std::uint64_t fileTime);
    // Stores a copy of the buffer. Any older entry of the key goes first, even when the cache
    // is disabled or the buffer too large to keep.
    bool Add(const std::u16string& key, const GxBinBuffer& buffer, std::uint64_t fileTime);
    bool Remove(const std::u16string& key);
    // Frees at least max(bytesNeeded, capacity / 4) bytes, least recently used first (equal
    // last use in key order), or everything when the cache holds less.
    void Evict(std::uint32_t bytesNeeded);
    void Clear();
    std::uint32_t GetTotalSize();

    void SetEnabled(bool enabled);
    void SetCapacity(std::uint32_t bytes);
    void SetMaxFileSize(std::uint32_t bytes);

    // Recursive; taken by every operation.
    GxMutex& GetLock() { return m_Lock; }

private:
    std::map<std::u16string, std::unique_ptr<GxFileCacheBuffer>> m_Entries;
    std::uint32_t m_Capacity = 0;
    std::uint32_t m_Total = 0;
    std::uint32_t m_MaxFileSize = 0;
    bool m_Enabled = false;
    GxMutex m_Lock;
};
