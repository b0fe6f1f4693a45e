// Fuzz target: a ".gis" crammed image set through the factory's buffer entry (reader choice,
// header, body, pattern linking), its lookups, and the release of the set, read without textures.
#include "foundation/bin_buffer.h"
#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "motion/crammed_image_set_factory.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LogSetWarningsMuted(true);
    GxBinBuffer buffer;
    if (size > 0 && buffer.Allocate(static_cast<std::uint32_t>(size)) != nullptr)
        std::memcpy(buffer.GetData(), data, size);
    GxNcCrammedImageSetFactory& factory = GetCrammedImageSetFactory();
    GxNcCrammedImageSet* set = factory.GetCrammedImageSetFromBuffer(u"fuzz/Set.gis", buffer, false);
    if (set != nullptr) {
        factory.FindOriginImage(u"FUZZ/set.gis", u"eye.png");
        for (const GxNcOriginImage& origin : set->m_OriginImageArray) {
            set->FindOriginImage(origin.m_FileName);
            for (const GxNcPattern& pattern : origin.m_PatternArray) {
                if (pattern.m_pCrammedImage != nullptr && pattern.m_pCrammedImage->m_pTexture != nullptr)
                    __builtin_trap();   // nothing was loaded
            }
        }
        factory.ReleaseCrammedImageSet(set);
    }
    if (factory.GetCount() != 0 || factory.GetPendingTextureCount() != 0)
        __builtin_trap();
    return 0;
}
