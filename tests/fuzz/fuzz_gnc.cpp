// Fuzz target: a ".gnc" motion project through the project's buffer entry (reader choice,
// header, groups, motions, layers, tracks, the layer tree and its binding), its image-set
// requests and key resolution, snapshots of every motion at a few frames with nested motions
// four levels deep and their drawing (into graphics calls that do nothing), then the release of
// everything.
#include "foundation/bin_buffer.h"
#include "foundation/log.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/nc_graphics_calls.h"
#include "motion/nc_motion_snapshot.h"
#include "motion/nc_project_ex.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

class NoDrawing : public GxNcGraphicsCalls {
public:
    void SetTextureFilter(D3DTEXTUREFILTERTYPE) override {}
    void SetCullMode(DWORD) override {}
    void DrawNcLayerQuad(GxTextureBase*, const GxVector3[5], const GxVector2[5], const D3DCOLOR[5], const D3DCOLOR[5],
                         const GxVector2&, std::int32_t) override
    {
    }
    void DrawQuad2D(GxTextureBase*, const GxVector2[4], const GxFRect&, const D3DCOLOR[4], const D3DCOLOR[4],
                    std::int32_t) override
    {
    }
};

// The most layer records a snapshot of depth 4 can hold: every motion as wide as the widest and
// every nesting layer opening the widest motion again. Nesting fans out by design, so a small
// file can ask for more records than a fuzz run has memory; those inputs skip the snapshots.
bool SnapshotsStaySmall(const GxNcProject& project)
{
    std::uint64_t widest = 0, nesting = 0;
    for (const auto& group : project.m_MotionGroupList) {
        for (const auto& motion : group->m_MotionList) {
            widest = std::max<std::uint64_t>(widest, motion->m_LayerList.size());
            std::uint64_t count = 0;
            for (const auto& layer : motion->m_LayerList) {
                for (const GxNcImageKey& key : layer->m_ImageKeys) {
                    if (!key.m_MotionGroupName.empty()) {
                        ++count;
                        break;
                    }
                }
            }
            nesting = std::max(nesting, count);
        }
    }
    std::uint64_t total = 0, level = 1;
    for (int depth = 0; depth <= 4; ++depth) {
        total += level * widest;
        level *= std::max<std::uint64_t>(nesting, 1);
        if (total > 20000)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LogSetWarningsMuted(true);
    GxBinBuffer buffer;
    if (size > 0 && buffer.Allocate(static_cast<std::uint32_t>(size)) != nullptr)
        std::memcpy(buffer.GetData(), data, size);
    auto project = std::make_unique<GxNcProjectEx>();
    project->LoadFromBuffer(u"fuzz/chara.gnc", u"fuzz/gis", buffer, false);
    for (const auto& group : project->m_MotionGroupList) {
        for (const auto& motion : group->m_MotionList) {
            GxFindNamePair(*project, group->m_MotionGroupName, motion->m_MotionName);
            for (const auto& layer : motion->m_LayerList)
                FindLayerByName(motion->m_LayerList, layer->m_LayerName);
        }
    }
    if (SnapshotsStaySmall(*project)) {
        NoDrawing calls;
        GxNcGraphicsCalls* previous = SetNcGraphicsCalls(&calls);
        GxNcMotionSnapShotEx snapshot;   // reused across motions, as a layer task does
        GxMatrix world;
        world.SetTranslationXYZ(512.0f, 384.0f, 0.0f);
        for (const auto& group : project->m_MotionGroupList) {
            for (const auto& motion : group->m_MotionList) {
                for (const std::int32_t frame : {0, 1, 29, -7, 100000}) {
                    snapshot.Create(project.get(), motion.get(), frame, GxVector4(), &world, GxFColor(), 4);
                    GxNcMotionSnapShotEx::Draw(&snapshot, GxMatrix(), 1.0f, GxFColor(), GxFColor(0, 0, 0, 0), 0, 0);
                }
            }
        }
        SetNcGraphicsCalls(previous);
    }
    project->ReleaseAll();
    project.reset();
    if (GetCrammedImageSetFactory().GetCount() != 0)
        __builtin_trap();
    return 0;
}
