// The core's image-set and motion-project services over this subsystem's factories and pool,
// and the drawing of motions (a snapshot kept in the content's bounds record) and patterns.
#pragma once

#include "core/motion_services.h"

class GxMotionServices : public GxMotionServicesBase {
public:
    // `mode` non-zero: the image sets' textures load at once.
    GxNcProjectEx* GetNcProject(const std::u16string& file, const std::u16string& imageSet,
                                std::int32_t mode) override;
    void ReleaseNcProject(GxNcProjectEx* project) override;
    // Always with textures, whatever `mode` says.
    GxNcCrammedImageSet* GetCrammedImageSet(const std::u16string& file, std::int32_t mode) override;
    void ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet) override;

    GxNcOriginImage* FindPatternGroup(GxNcCrammedImageSet* imageSet, const std::u16string& name) override;
    bool GetPatternSize(GxNcOriginImage* image, std::int32_t index, std::int32_t* width,
                        std::int32_t* height) override;
    void CombineLayerParam(std::int32_t index, const GxMatrix& world, GxNcOriginImage* image, float alpha,
                           const GxFColor& color, const GxFColor& color1, std::int32_t preset) override;

    std::int32_t GetMotionGroupCount(GxNcProjectEx* project) override;
    std::u16string GetMotionGroupName(GxNcProjectEx* project, std::int32_t index) override;
    GxNcMotion* FindNamePair(GxNcProjectEx* project, const std::u16string& group,
                             const std::u16string& motion) override;
    std::int32_t GetMotionLength(GxNcMotion* motion) override;
    // Rebuilds the bounds record's one snapshot (made on first use) with `world` as the parent
    // matrix, colour white and `mode` as the nesting depth.
    void CreateSnapShot(GxLayerBoundsRecord& bounds, GxNcProjectEx* project, GxNcMotion* motion, std::int32_t frame,
                        const GxMatrix& world, float alpha, const GxFColor& color, std::int32_t mode,
                        std::int32_t flags) override;
    void DrawSnapShot(const GxLayerBoundsRecord& bounds, const GxMatrix& matrix, const GxFColor& color) override;

    void ReportUnreleasedNcProjects() override;
    void ReportUnreleasedImageSets() override;
    void ReleaseAllNcProjects() override;
    void ReleaseAllCrammedImageSets() override;
};

// Installs the process's one GxMotionServices into the core; safe to call again.
void InstallMotionServices();
