#include "tests/support/ui/ui_bitmap_font_fixture.h"

#include "graphics/font_data.h"
#include "graphics/system_fonts.h"
#include "tests/support/image_fixtures.h"

TestSystemBitmapFont::TestSystemBitmapFont(const std::filesystem::path& folder)
{
    constexpr unsigned kCellsPerRow = 16;
    const std::filesystem::path image = folder / "sysfont16.png";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!WriteImageFile(image.string(), BuildPng(PngSpecRgba8(TestImage::Solid(kCellsPerRow * kCellWidth,
                                                                                  6 * kCellHeight, 0xFFFFFFFF)))))
        return;
    GxFontData* font = GetSystemBitmapFont(0);
    m_Ok = font && font->CreateGrid(std::string_view("FONT16SYS"), std::string_view(image.string()), 32, 127,
                                    kCellWidth, kCellHeight, kCellsPerRow);
}

TestSystemBitmapFont::~TestSystemBitmapFont()
{
    if (GxFontData* font = GetSystemBitmapFont(0))
        font->Clear();
}
