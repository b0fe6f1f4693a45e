// The one registry of crammed image sets: each ".gis" is loaded once and shared by name (the
// requested name with A-Z lower-cased), counted, and deleted when its last reference goes.
// Atlas textures may be loaded later (the pending list). At shut-down the sets never released
// are reported. Every operation holds the factory's recursive lock for its whole run.
#pragma once

#include "foundation/mutex.h"
#include "motion/nc_registry.h"

#include <cstdint>
#include <string>
#include <vector>

class GxBinBuffer;
class GxNcCrammedImageSet;
struct GxNcOriginImage;

class GxNcCrammedImageSetFactory {
public:
    GxNcCrammedImageSetFactory() = default;
    // ReleaseAllCrammedImageSets.
    virtual ~GxNcCrammedImageSetFactory();

    GxNcCrammedImageSetFactory(const GxNcCrammedImageSetFactory&) = delete;
    GxNcCrammedImageSetFactory& operator=(const GxNcCrammedImageSetFactory&) = delete;

    // The set with one more reference, or null. The file is the name with its extension replaced
    // by ".gis"; with `loadTextures` false the atlases wait on the pending list.
    virtual GxNcCrammedImageSet* GetCrammedImageSet(const std::u16string& name, bool loadTextures);
    // As GetCrammedImageSet, with the file's bytes already in `buffer` (what the file read feeds).
    GxNcCrammedImageSet* GetCrammedImageSetFromBuffer(const std::u16string& name, const GxBinBuffer& buffer,
                                                      bool loadTextures);
    // No reference taken.
    virtual GxNcCrammedImageSet* FindCrammedImageSet(const std::u16string& name);
    // One reference less; the last one deletes and unregisters the set. Unknown: a warning.
    virtual void ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet);
    virtual void ReleaseCrammedImageSet(const std::u16string& name);
    // Empties and deletes every set whatever its count; no message.
    virtual void ReleaseAllCrammedImageSets();
    virtual std::int32_t GetPendingTextureCount();
    // Loads the first pending set's atlases; the number of sets still pending.
    virtual std::int32_t LoadNextPendingTextures();
    // Loads every pending set's atlases; 0.
    virtual std::int32_t LoadAllPendingTextures();
    // The origin image of that exact file name in the set of that name, or null.
    virtual GxNcOriginImage* FindOriginImage(const std::u16string& setName, const std::u16string& fileName);
    // One error line per registered set, in key order.
    virtual void ReportUnreleasedImageSets();

    std::int32_t GetCount();
    GxMutex& GetLock() { return m_Lock; }

private:
    GxNcCrammedImageSet* Load(const std::u16string& key, const std::u16string& path, const GxBinBuffer& buffer,
                              bool loadTextures);
    // A set deleted at its last release leaves the pending list too.
    void ForgetPending(GxNcCrammedImageSet* imageSet);

    GxMutex m_Lock;
    GxNcRegistry<GxNcCrammedImageSet> m_Registry{u"GxNcCrammedImageSetFactory"};
    std::vector<GxNcCrammedImageSet*> m_PendingTextureList;
};

// The process-wide factory, made on first use and destroyed at exit.
GxNcCrammedImageSetFactory& GetCrammedImageSetFactory();
