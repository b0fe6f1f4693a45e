#include "motion/motion_services.h"

#include "motion/crammed_image_set.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"
#include "motion/nc_project_ex.h"
#include "motion/nc_project_factory.h"

GxNcProjectEx* GxMotionServices::GetNcProject(const std::u16string& file, const std::u16string& imageSet,
                                              std::int32_t mode)
{
    return GetNcProjectFactory().GetNcProject(file, imageSet, mode != 0);
}

void GxMotionServices::ReleaseNcProject(GxNcProjectEx* project)
{
    GetNcProjectFactory().ReleaseNcProject(project);
}

GxNcCrammedImageSet* GxMotionServices::GetCrammedImageSet(const std::u16string& file, std::int32_t)
{
    return GetCrammedImageSetFactory().GetCrammedImageSet(file, true);
}

void GxMotionServices::ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet)
{
    GetCrammedImageSetFactory().ReleaseCrammedImageSet(imageSet);
}

GxNcOriginImage* GxMotionServices::FindPatternGroup(GxNcCrammedImageSet* imageSet, const std::u16string& name)
{
    return imageSet != nullptr ? imageSet->FindOriginImage(name) : nullptr;
}

bool GxMotionServices::GetPatternSize(GxNcOriginImage* image, std::int32_t index, std::int32_t* width,
                                      std::int32_t* height)
{
    if (image == nullptr || index < 0 || static_cast<std::size_t>(index) >= image->m_PatternArray.size())
        return false;
    const GxNcPattern& pattern = image->m_PatternArray[static_cast<std::size_t>(index)];
    if (width != nullptr)
        *width = pattern.m_Width;
    if (height != nullptr)
        *height = pattern.m_Height;
    return true;
}

void GxMotionServices::CombineLayerParam(std::int32_t, const GxMatrix&, GxNcOriginImage*, float, const GxFColor&,
                                         const GxFColor&, std::int32_t)
{
    // Pattern drawing comes with the motion drawing.
}

std::int32_t GxMotionServices::GetMotionGroupCount(GxNcProjectEx* project)
{
    return project != nullptr ? static_cast<std::int32_t>(project->m_MotionGroupList.size()) : 0;
}

std::u16string GxMotionServices::GetMotionGroupName(GxNcProjectEx* project, std::int32_t index)
{
    if (project == nullptr || index < 0 || static_cast<std::size_t>(index) >= project->m_MotionGroupList.size())
        return {};
    return project->m_MotionGroupList[static_cast<std::size_t>(index)]->m_MotionGroupName;
}

GxNcMotion* GxMotionServices::FindNamePair(GxNcProjectEx*, const std::u16string&, const std::u16string&)
{
    return nullptr;   // the motion lookup for play comes with the motion drawing
}

std::int32_t GxMotionServices::GetMotionLength(GxNcMotion* motion)
{
    return motion != nullptr ? motion->m_EndTime : 0;
}

void GxMotionServices::CreateSnapShot(GxLayerBoundsRecord&, GxNcProjectEx*, GxNcMotion*, std::int32_t,
                                      const GxMatrix&, float, const GxFColor&, std::int32_t, std::int32_t)
{
}

void GxMotionServices::DrawSnapShot(const GxLayerBoundsRecord&, const GxMatrix&, const GxFColor&)
{
}

GxNcCrammedImageSet* GxMotionServices::AddImageSet(const std::u16string& name)
{
    return GetImageSetPool().AddImageSet(name);
}

bool GxMotionServices::ReleaseImageSet(const std::u16string& name)
{
    return GetImageSetPool().ReleaseImageSet(name);
}

GxNcCrammedImageSet* GxMotionServices::GetImageSet(const std::u16string& name)
{
    return GetImageSetPool().GetImageSet(name);
}

void GxMotionServices::ReleaseAllImageSets()
{
    GetImageSetPool().ReleaseAllImageSets();
}

void GxMotionServices::ReportUnreleasedNcProjects()
{
    GetNcProjectFactory().ReportUnreleasedNcProjects();
}

void GxMotionServices::ReportUnreleasedImageSets()
{
    GetCrammedImageSetFactory().ReportUnreleasedImageSets();
}

void GxMotionServices::ReleaseAllNcProjects()
{
    GetNcProjectFactory().ReleaseAllNcProjects();
}

void GxMotionServices::ReleaseAllCrammedImageSets()
{
    GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
}

void InstallMotionServices()
{
    // The factories are made before the services can reach them, so they outlive every caller.
    GetNcProjectFactory();
    GetImageSetPool();
    static GxMotionServices services;
    SetMotionServices(&services);
}
