#include "platform/gdi/font.h"

#include "platform/gdi/font_system.h"
#include "platform/win32/user_log.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace platform::gdi {

namespace {

// A new context's font, and the size asked for by a height of 0.
constexpr LONG kDefaultCellHeight = 16;
constexpr int kGrayLevels = 64;

LONG Scale(double pixelsPerUnit, int units) { return static_cast<LONG>(std::lround(pixelsPerUnit * units)); }

bool IsControl(char32_t character) { return character < 0x20 || (character >= 0x7F && character <= 0x9F); }

SHORT ClampShort(long value)
{
    return static_cast<SHORT>(std::clamp<long>(value, std::numeric_limits<SHORT>::min(),
                                               std::numeric_limits<SHORT>::max()));
}

}  // namespace

void FontSizeDeleter::operator()(FT_SizeRec_* size) const { FT_Done_Size(size); }

std::shared_ptr<Font> Font::Create(const LOGFONTW& description)
{
    LONG height = description.lfHeight;
    if (height < -kMaxHeight || height > kMaxHeight) {
        LogUserError("GDI: font height %ld is out of range", static_cast<long>(height));
        return nullptr;
    }
    if (height == 0) height = kDefaultCellHeight;
    std::size_t nameLength = 0;
    while (nameLength < LF_FACESIZE && description.lfFaceName[nameLength] != 0) ++nameLength;
    const std::u16string_view name(description.lfFaceName, nameLength);
    const bool needJapanese =
        description.lfCharSet == SHIFTJIS_CHARSET || description.lfCharSet == DEFAULT_CHARSET;

    auto font = std::make_shared<Font>();
    font->m_Face = FontSystem::Get().Resolve(name, needJapanese);
    if (!font->m_Face) return nullptr;
    FT_Face face = font->m_Face->Handle();
    FT_Size size = nullptr;
    if (FT_New_Size(face, &size) != 0 || !size) {
        LogUserError("GDI: FreeType cannot make a size for \"%s\"", font->m_Face->Path().c_str());
        return nullptr;
    }
    font->m_Size.reset(size);

    const FontFace& design = *font->m_Face;
    const int cellUnits = design.CellAscent() + design.CellDescent();
    double em = 0;
    LONG ascent = 0;
    LONG descent = 0;
    if (height > 0) {
        // A positive height is the whole cell: the em is what is left of it after the margins.
        em = static_cast<double>(height) * design.UnitsPerEm() / cellUnits;
        ascent = static_cast<LONG>(std::lround(static_cast<double>(height) * design.CellAscent() / cellUnits));
        descent = height - ascent;
    } else {
        em = -static_cast<double>(height);
        ascent = Scale(em / design.UnitsPerEm(), design.CellAscent());
        descent = Scale(em / design.UnitsPerEm(), design.CellDescent());
    }
    if (FT_Activate_Size(size) != 0 || FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(64, std::lround(em * 64)), 72,
                                                        72) != 0) {
        LogUserError("GDI: FreeType cannot size \"%s\" to %.2f pixels", design.Path().c_str(), em);
        return nullptr;
    }

    const double perUnit = em / design.UnitsPerEm();
    TEXTMETRICW& metrics = font->m_Metrics;
    metrics.tmHeight = ascent + descent;
    metrics.tmAscent = ascent;
    metrics.tmDescent = descent;
    metrics.tmInternalLeading = std::max<LONG>(0, metrics.tmHeight - static_cast<LONG>(std::lround(em)));
    metrics.tmExternalLeading = Scale(perUnit, design.ExternalLeading());
    metrics.tmAveCharWidth = std::max<LONG>(1, Scale(perUnit, design.AverageWidth()));
    metrics.tmMaxCharWidth = std::max(metrics.tmAveCharWidth, Scale(perUnit, design.MaxAdvance()));
    metrics.tmWeight = design.Weight();
    metrics.tmDigitizedAspectX = 96;
    metrics.tmDigitizedAspectY = 96;
    metrics.tmFirstChar = design.FirstChar();
    metrics.tmLastChar = design.LastChar();
    metrics.tmDefaultChar = design.DefaultChar();
    metrics.tmBreakChar = design.BreakChar();
    metrics.tmPitchAndFamily = static_cast<BYTE>((design.FixedPitch() ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                                 TMPF_TRUETYPE | (description.lfPitchAndFamily & 0xF0));
    metrics.tmCharSet = description.lfCharSet;
    return font;
}

bool Font::Activate() { return FT_Activate_Size(m_Size.get()) == 0; }

DWORD Font::GlyphOutline(char32_t character, UINT format, GLYPHMETRICS& metrics, DWORD bufferSize, void* buffer)
{
    metrics = GLYPHMETRICS{};
    if (!Activate()) {
        LogUserError("GDI: FreeType cannot select the font's size");
        return GDI_ERROR;
    }
    FT_Face face = m_Face->Handle();
    // Control characters have no shape, whatever the font maps them to.
    const FT_UInt index = IsControl(character) || character > 0x10FFFF ? 0 : FT_Get_Char_Index(face, character);
    const FT_Error loadError = FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL);
    if (loadError != 0) {
        LogUserError("GDI: FreeType cannot load the glyph of U+%04X (error %d)", static_cast<unsigned>(character),
                     loadError);
        return GDI_ERROR;
    }
    FT_GlyphSlot slot = face->glyph;
    metrics.gmCellIncX = ClampShort((slot->advance.x + 32) >> 6);
    // A missing character gets no box: the font's "not defined" shape would be drawn as text.
    if (index == 0 || slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0) return 0;

    const FT_Error renderError = FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL);
    const FT_Bitmap& bitmap = slot->bitmap;
    if (renderError != 0 || bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays < 2 ||
        bitmap.pitch < static_cast<int>(bitmap.width)) {
        LogUserError("GDI: FreeType cannot render the glyph of U+%04X", static_cast<unsigned>(character));
        return GDI_ERROR;
    }
    if (bitmap.width == 0 || bitmap.rows == 0) return 0;
    metrics.gmBlackBoxX = bitmap.width;
    metrics.gmBlackBoxY = bitmap.rows;
    metrics.gmptGlyphOrigin.x = slot->bitmap_left;
    metrics.gmptGlyphOrigin.y = slot->bitmap_top;
    if (format == GGO_METRICS) return 0;

    const std::size_t rowBytes = (static_cast<std::size_t>(bitmap.width) + 3) & ~std::size_t{3};
    const std::size_t needed = rowBytes * bitmap.rows;
    if (!buffer || bufferSize == 0) return static_cast<DWORD>(needed);
    if (bufferSize < needed) {
        LogUserError("GDI: glyph buffer of %u bytes is too small for U+%04X (%zu needed)",
                     static_cast<unsigned>(bufferSize), static_cast<unsigned>(character), needed);
        return GDI_ERROR;
    }
    const unsigned maxGray = static_cast<unsigned>(bitmap.num_grays - 1);
    auto* out = static_cast<BYTE*>(buffer);
    for (unsigned y = 0; y < bitmap.rows; ++y) {
        const unsigned char* source = bitmap.buffer + static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.pitch);
        BYTE* row = out + y * rowBytes;
        for (unsigned x = 0; x < bitmap.width; ++x)
            row[x] = static_cast<BYTE>((source[x] * kGrayLevels + maxGray / 2) / maxGray);
        std::memset(row + bitmap.width, 0, rowBytes - bitmap.width);
    }
    return static_cast<DWORD>(needed);
}

}  // namespace platform::gdi
