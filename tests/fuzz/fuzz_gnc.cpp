// Fuzz target: a ".gnc" motion project through the project's buffer entry (reader choice,
// header, groups, motions, layers, tracks, the layer tree and its binding), its image-set
// requests and key resolution, then the release of everything.
#include "foundation/bin_buffer.h"
#include "foundation/log.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/nc_project_ex.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

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
    project->ReleaseAll();
    project.reset();
    if (GetCrammedImageSetFactory().GetCount() != 0)
        __builtin_trap();
    return 0;
}
