#include "core/motion_services.h"

namespace {

GxMotionServicesBase* g_MotionServices = nullptr;

}  // namespace

GxMotionServicesBase* SetMotionServices(GxMotionServicesBase* services)
{
    GxMotionServicesBase* previous = g_MotionServices;
    g_MotionServices = services;
    return previous;
}

GxMotionServicesBase* GetMotionServices()
{
    return g_MotionServices;
}

GxNcProjectEx* GetNcProject(const std::u16string& file, const std::u16string& imageSet, std::int32_t mode)
{
    return g_MotionServices ? g_MotionServices->GetNcProject(file, imageSet, mode) : nullptr;
}

void ReleaseNcProject(GxNcProjectEx* project)
{
    if (g_MotionServices && project)
        g_MotionServices->ReleaseNcProject(project);
}

GxNcCrammedImageSet* GetCrammedImageSet(const std::u16string& file, std::int32_t mode)
{
    return g_MotionServices ? g_MotionServices->GetCrammedImageSet(file, mode) : nullptr;
}

void ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet)
{
    if (g_MotionServices && imageSet)
        g_MotionServices->ReleaseCrammedImageSet(imageSet);
}
