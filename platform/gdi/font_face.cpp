#include "platform/gdi/font_face.h"

#include "platform/win32/user_log.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

namespace platform::gdi {

void FontFaceDeleter::operator()(FT_FaceRec_* face) const { FT_Done_Face(face); }

std::shared_ptr<FontFace> FontFace::Open(FT_LibraryRec_* library, const std::string& path, int index)
{
    FT_Face handle = nullptr;
    const FT_Error error = FT_New_Face(library, path.c_str(), index, &handle);
    if (error != 0 || !handle) {
        LogUserError("GDI: font file \"%s\" (face %d) cannot be opened (FreeType error %d)", path.c_str(), index,
                     error);
        return nullptr;
    }
    auto face = std::make_shared<FontFace>();
    face->m_Face.reset(handle);
    face->m_Path = path;
    if (!FT_IS_SCALABLE(handle) || handle->units_per_EM == 0) {
        LogUserError("GDI: font file \"%s\" has no outlines", path.c_str());
        return nullptr;
    }
    face->m_UnitsPerEm = handle->units_per_EM;

    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(handle, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(handle, FT_SFNT_HHEA));
    const int hheaAscent = hhea ? hhea->Ascender : handle->ascender;
    const int hheaDescent = hhea ? -hhea->Descender : -handle->descender;
    const int lineGap = hhea ? hhea->Line_Gap : std::max(0, handle->height - (hheaAscent + hheaDescent));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        face->m_CellAscent = os2->usWinAscent;
        face->m_CellDescent = os2->usWinDescent;
    } else {
        face->m_CellAscent = hheaAscent;
        face->m_CellDescent = hheaDescent;
    }
    if (face->m_CellAscent + face->m_CellDescent <= 0) {
        face->m_CellAscent = face->m_UnitsPerEm * 7 / 8;
        face->m_CellDescent = face->m_UnitsPerEm - face->m_CellAscent;
    }
    // The header's line gap, less what the cell already holds beyond the header's own height.
    face->m_ExternalLeading = std::max(
        0, lineGap - ((face->m_CellAscent + face->m_CellDescent) - (hheaAscent + hheaDescent)));
    face->m_MaxAdvance = handle->max_advance_width;
    face->m_FixedPitch = FT_IS_FIXED_WIDTH(handle);
    if (os2 && os2->version != 0xFFFF) {
        face->m_AverageWidth = os2->xAvgCharWidth;
        if (os2->usWeightClass > 0) face->m_Weight = os2->usWeightClass;
        face->m_FirstChar = os2->usFirstCharIndex;
        face->m_LastChar = os2->usLastCharIndex;
        if (os2->version >= 2) {
            face->m_DefaultChar = os2->usDefaultChar;
            face->m_BreakChar = os2->usBreakChar;
        }
    }
    if (face->m_AverageWidth <= 0) face->m_AverageWidth = face->m_UnitsPerEm / 2;
    return face;
}

}  // namespace platform::gdi
