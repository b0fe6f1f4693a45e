#include "tests/support/ui/harness/ui_system_fonts.h"

#include "data/system_config.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"

UISystemFonts::UISystemFonts(const GxSystemConfig& config)
{
    ClearSystemFonts();
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
        GetSystemFontMap(index)->SetFont(config.m_FontSize[index], nullptr);
}

UISystemFonts::~UISystemFonts()
{
    ClearSystemFonts();
    for (std::int32_t index = 0; index < kSystemFontMapCount; ++index)
        GetSystemFontMap(index)->SetFont(GxGDIFontMap::kDefaultFontSize, nullptr);
}
