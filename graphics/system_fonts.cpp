#include "graphics/system_fonts.h"

#include "graphics/gdi_font_map.h"

namespace {

GxGDIFontMap* SystemFontMaps()
{
    static GxGDIFontMap maps[kSystemFontMapCount];
    return maps;
}

}  // namespace

GxGDIFontMap* GetSystemFontMap(std::int32_t index)
{
    if (index < 0 || index >= kSystemFontMapCount) return nullptr;
    return &SystemFontMaps()[index];
}

void ClearSystemFonts()
{
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index) SystemFontMaps()[index].Clear();
}
