// The image-set and motion-project services that layer contents, layers, the game start-up and
// the shut-down call. The motion subsystem, above the core, fills them: the process entry
// installs its GxMotionServicesBase before the core starts. Until one is installed (and in tests
// without one), nothing is loaded: every Get returns null and every draw does nothing.
// The project, motion, image-set and origin-image types stay opaque here.
#pragma once

#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <string>

class GxNcProjectEx;
class GxNcMotion;
class GxNcCrammedImageSet;
struct GxNcOriginImage;
struct GxLayerBoundsRecord;

class GxMotionServicesBase {
public:
    virtual ~GxMotionServicesBase() = default;

    // A counted reference to the ".gnc" project (loaded or reused), or null.
    virtual GxNcProjectEx* GetNcProject(const std::u16string& file, const std::u16string& imageSet,
                                        std::int32_t mode) = 0;
    virtual void ReleaseNcProject(GxNcProjectEx* project) = 0;
    // A counted reference to the ".gis" image set (loaded or reused), or null.
    virtual GxNcCrammedImageSet* GetCrammedImageSet(const std::u16string& file, std::int32_t mode) = 0;
    virtual void ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet) = 0;

    // The image set's origin image of that exact name, or null.
    virtual GxNcOriginImage* FindPatternGroup(GxNcCrammedImageSet* imageSet, const std::u16string& name) = 0;
    // Width and height of pattern `index` of the origin image; false when it has no such pattern.
    virtual bool GetPatternSize(GxNcOriginImage* group, std::int32_t index, std::int32_t* width,
                                std::int32_t* height) = 0;
    // Draws pattern `index` of the group placed by `world`, its alpha times `alpha`.
    virtual void CombineLayerParam(std::int32_t index, const GxMatrix& world, GxNcOriginImage* group, float alpha,
                                   const GxFColor& color, const GxFColor& color1, std::int32_t preset) = 0;

    // Motion groups in project order.
    virtual std::int32_t GetMotionGroupCount(GxNcProjectEx* project) = 0;
    virtual std::u16string GetMotionGroupName(GxNcProjectEx* project, std::int32_t index) = 0;
    // The first motion named `motion` of the first group named `group` (names compared exactly);
    // null when either is missing.
    virtual GxNcMotion* FindNamePair(GxNcProjectEx* project, const std::u16string& group,
                                       const std::u16string& motion) = 0;
    // Frames in the motion.
    virtual std::int32_t GetMotionLength(GxNcMotion* motion) = 0;
    // Evaluates the motion at the frame into the bounds record.
    virtual void CreateSnapShot(GxLayerBoundsRecord& bounds, GxNcProjectEx* project, GxNcMotion* motion,
                                std::int32_t frame, const GxMatrix& world, float alpha, const GxFColor& color,
                                std::int32_t mode, std::int32_t flags) = 0;
    // Draws the evaluated layers back to front into the current render target.
    virtual void DrawSnapShot(const GxLayerBoundsRecord& bounds, const GxMatrix& matrix, const GxFColor& color) = 0;

    // Shut-down: the reports of what is still loaded, then the releases, projects first.
    virtual void ReportUnreleasedNcProjects() {}
    virtual void ReportUnreleasedImageSets() {}
    virtual void ReleaseAllNcProjects() {}
    virtual void ReleaseAllCrammedImageSets() {}
};

// Not owned; null removes it. Returns the previous one.
GxMotionServicesBase* SetMotionServices(GxMotionServicesBase* services);
GxMotionServicesBase* GetMotionServices();

// The calls of the layer code, forwarded to the installed services.
GxNcProjectEx* GetNcProject(const std::u16string& file, const std::u16string& imageSet, std::int32_t mode);
void ReleaseNcProject(GxNcProjectEx* project);
GxNcCrammedImageSet* GetCrammedImageSet(const std::u16string& file, std::int32_t mode);
void ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet);
