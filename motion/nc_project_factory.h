// The one registry of motion projects: each ".gnc" is loaded once and shared by name (A-Z
// lower-cased), counted, and deleted when its last reference goes. A project whose file failed
// to load is registered all the same, empty. The lock is held across a whole load, image-set
// requests included.
#pragma once

#include "foundation/mutex.h"
#include "motion/nc_registry.h"

#include <cstdint>
#include <string>

class GxNcProjectEx;

class GxNcProjectFactory {
public:
    GxNcProjectFactory() = default;
    // ReleaseAllNcProjects.
    virtual ~GxNcProjectFactory();

    GxNcProjectFactory(const GxNcProjectFactory&) = delete;
    GxNcProjectFactory& operator=(const GxNcProjectFactory&) = delete;

    // The project with one more reference; never null.
    virtual GxNcProjectEx* GetNcProject(const std::u16string& name, const std::u16string& imageSetFolder,
                                        bool loadTextures);
    // No reference taken.
    virtual GxNcProjectEx* FindNcProject(const std::u16string& name);
    // One reference less; the last one deletes and unregisters. Unknown: a warning.
    virtual void ReleaseNcProject(GxNcProjectEx* project);
    virtual void ReleaseNcProject(const std::u16string& name);
    // Clears and deletes every project whatever its count (their image sets go back).
    virtual void ReleaseAllNcProjects();
    // One error line per registered project, in key order.
    virtual void ReportUnreleasedNcProjects();

    std::int32_t GetCount();
    GxMutex& GetLock() { return m_Lock; }

private:
    GxMutex m_Lock;
    GxNcRegistry<GxNcProjectEx> m_Registry{u"GxNcProjectFactory"};
};

// The process-wide factory, made on first use and destroyed at exit.
GxNcProjectFactory& GetNcProjectFactory();
