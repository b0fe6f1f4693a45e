#include "motion/nc_project_factory.h"

#include "foundation/wide_string.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/nc_project_ex.h"


GxNcProjectFactory::~GxNcProjectFactory()
{
    ReleaseAllNcProjects();
}

GxNcProjectEx* GxNcProjectFactory::GetNcProject(const std::u16string& name, const std::u16string& imageSetFolder,
                                                bool loadTextures)
{
    GxMutexScopedLock lock(m_Lock);
    const std::u16string key = WideToLowerAscii(name);
    if (GxNcProjectEx* found = m_Registry.AddRefExisting(key))
        return found;
    auto* project = new GxNcProjectEx;
    project->LoadFromName(key, imageSetFolder, loadTextures);   // registered whether or not it loaded
    m_Registry.Add(key, project);
    return project;
}

GxNcProjectEx* GxNcProjectFactory::FindNcProject(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Lock);
    return m_Registry.Find(name);
}

void GxNcProjectFactory::ReleaseNcProject(GxNcProjectEx* project)
{
    if (project == nullptr)
        return;
    GxMutexScopedLock lock(m_Lock);
    m_Registry.Release(project);
}

void GxNcProjectFactory::ReleaseNcProject(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Lock);
    m_Registry.Release(name);
}

void GxNcProjectFactory::ReleaseAllNcProjects()
{
    GxMutexScopedLock lock(m_Lock);
    m_Registry.ReleaseAll();
}

void GxNcProjectFactory::ReportUnreleasedNcProjects()
{
    GxMutexScopedLock lock(m_Lock);
    m_Registry.ReportUnreleased();
}

std::int32_t GxNcProjectFactory::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Registry.Count();
}

GxNcProjectFactory& GetNcProjectFactory()
{
    // The image-set factory is made first so that it outlives this one, whose destructor gives
    // image sets back to it.
    GetCrammedImageSetFactory();
    static GxNcProjectFactory factory;
    return factory;
}
