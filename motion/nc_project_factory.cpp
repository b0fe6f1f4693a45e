#include "motion/nc_project_factory.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/nc_project_ex.h"

#include <algorithm>

GxNcProjectFactory::~GxNcProjectFactory()
{
    ReleaseAllNcProjects();
}

GxNcProjectEx* GxNcProjectFactory::GetNcProject(const std::u16string& name, const std::u16string& imageSetFolder,
                                                bool loadTextures)
{
    GxMutexScopedLock lock(m_Lock);
    const std::u16string key = WideToLowerAscii(name);
    if (auto found = m_Registry.find(key); found != m_Registry.end()) {
        found->second->AddRef();
        return found->second;
    }
    auto* project = new GxNcProjectEx;
    project->LoadFromName(key, imageSetFolder, loadTextures);   // registered whether or not it loaded
    m_Registry[key] = project;
    return project;
}

GxNcProjectEx* GxNcProjectFactory::FindNcProject(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Lock);
    auto found = m_Registry.find(WideToLowerAscii(name));
    return found != m_Registry.end() ? found->second : nullptr;
}

void GxNcProjectFactory::ReleaseEntry(std::map<std::u16string, GxNcProjectEx*>::iterator entry)
{
    GxNcProjectEx* project = entry->second;
    if (project->Release() != 0)
        return;
    m_Registry.erase(entry);
    delete project;
}

void GxNcProjectFactory::ReleaseNcProject(GxNcProjectEx* project)
{
    if (project == nullptr)
        return;
    GxMutexScopedLock lock(m_Lock);
    auto entry = std::find_if(m_Registry.begin(), m_Registry.end(),
                              [project](const auto& e) { return e.second == project; });
    if (entry == m_Registry.end()) {
        // A pointer the registry does not hold may be gone already, so it is not read.
        LogPrintWarning(u"Warning/GxNcProjectFactory You tried to release the object does not exist(%s)\n", u"");
        return;
    }
    ReleaseEntry(entry);
}

void GxNcProjectFactory::ReleaseNcProject(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Lock);
    auto entry = m_Registry.find(WideToLowerAscii(name));
    if (entry == m_Registry.end()) {
        LogPrintWarning(u"Warning/GxNcProjectFactory You tried to release the object does not exist(%s)\n",
                        name.c_str());
        return;
    }
    ReleaseEntry(entry);
}

void GxNcProjectFactory::ReleaseAllNcProjects()
{
    GxMutexScopedLock lock(m_Lock);
    for (auto& [key, project] : m_Registry) {
        project->ReleaseAll();
        delete project;
    }
    m_Registry.clear();
}

void GxNcProjectFactory::ReportUnreleasedNcProjects()
{
    GxMutexScopedLock lock(m_Lock);
    for (const auto& entry : m_Registry)
        LogPrint(u"Warning/GxNcProjectFactory Object Not Released(%s)\n", entry.first.c_str());
}

std::int32_t GxNcProjectFactory::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return static_cast<std::int32_t>(m_Registry.size());
}

GxNcProjectFactory& GetNcProjectFactory()
{
    // The image-set factory is made first so that it outlives this one, whose destructor gives
    // image sets back to it.
    GetCrammedImageSetFactory();
    static GxNcProjectFactory factory;
    return factory;
}
