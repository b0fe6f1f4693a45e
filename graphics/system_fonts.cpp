#include "graphics/system_fonts.h"

#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"

namespace {

GxGDIFontMap* SystemFontMaps()
{
    static GxGDIFontMap maps[kSystemFontMapCount];
    return maps;
}

GxFontData* SystemBitmapFonts()
{
    static GxFontData fonts[kSystemBitmapFontCount];
    return fonts;
}

}  // namespace

GxGDIFontMap* GetSystemFontMap(std::int32_t index)
{
    if (index < 0 || index >= kSystemFontMapCount) return nullptr;
    return &SystemFontMaps()[index];
}

GxFontData* GetSystemBitmapFont(std::int32_t index)
{
    if (index < 0 || index >= kSystemBitmapFontCount) return nullptr;
    return &SystemBitmapFonts()[index];
}

void ClearSystemFonts()
{
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index) SystemFontMaps()[index].Clear();
    for (std::int32_t index = 0; index < kSystemBitmapFontCount; ++index) SystemBitmapFonts()[index].Clear();
}
