#include "motion/motion_services.h"

#include "motion/crammed_image_set.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"
#include "motion/nc_project_ex.h"
#include "motion/nc_motion_snapshot.h"
#include "motion/nc_pattern_draw.h"
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

void GxMotionServices::CombineLayerParam(std::int32_t index, const GxMatrix& world, GxNcOriginImage* image,
                                         float alpha, const GxFColor& color, const GxFColor& color1,
                                         std::int32_t preset)
{
    DrawCrammedImagePatternNoClip(image, index, world, alpha, color, color1, preset);
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

GxNcMotion* GxMotionServices::FindNamePair(GxNcProjectEx* project, const std::u16string& group,
                                           const std::u16string& motion)
{
    return project != nullptr ? GxFindNamePair(*project, group, motion) : nullptr;
}

std::int32_t GxMotionServices::GetMotionLength(GxNcMotion* motion)
{
    return motion != nullptr ? motion->m_EndTime : 0;
}

void GxMotionServices::CreateSnapShot(GxLayerBoundsRecord& bounds, GxNcProjectEx* project, GxNcMotion* motion,
                                      std::int32_t frame, const GxMatrix& world, float, const GxFColor&,
                                      std::int32_t depth, std::int32_t)
{
    if (motion == nullptr)
        return;
    // Only this subsystem puts snapshots into the record, so the base is always ours.
    if (!bounds.m_pSnapShot)
        bounds.m_pSnapShot = std::make_unique<GxNcMotionSnapShotEx>();
    auto* snapshot = static_cast<GxNcMotionSnapShotEx*>(bounds.m_pSnapShot.get());
    snapshot->Create(project, motion, frame, GxVector4(0.0f, 0.0f, 0.0f, 0.0f), &world,
                     GxFColor(1.0f, 1.0f, 1.0f, 1.0f), depth);
}

void GxMotionServices::DrawSnapShot(const GxLayerBoundsRecord& bounds, const GxMatrix& matrix, const GxFColor& color)
{
    GxNcMotionSnapShotEx::Draw(static_cast<const GxNcMotionSnapShotEx*>(bounds.m_pSnapShot.get()), matrix, 1.0f,
                               color, GxFColor(0.0f, 0.0f, 0.0f, 0.0f), 0, 0);
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
