// One face of a font file, opened once and shared by every font made from it, with the
// design-unit figures that GDI metrics are computed from. FreeType calls on the face happen
// under the font system's lock.
#pragma once

#include <memory>
#include <string>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace platform::gdi {

struct FontFaceDeleter {
    void operator()(FT_FaceRec_* face) const;
};

class FontFace {
public:
    // Null (with a log line) when FreeType cannot open the face or it has no outlines.
    static std::shared_ptr<FontFace> Open(FT_LibraryRec_* library, const std::string& path, int index);

    FT_FaceRec_* Handle() const { return m_Face.get(); }
    const std::string& Path() const { return m_Path; }

    // Design units. Ascent and descent are the ones GDI sizes a cell with (the OS/2 "win"
    // pair, else the horizontal header); the descent is positive below the baseline.
    int UnitsPerEm() const { return m_UnitsPerEm; }
    int CellAscent() const { return m_CellAscent; }
    int CellDescent() const { return m_CellDescent; }
    int ExternalLeading() const { return m_ExternalLeading; }
    int AverageWidth() const { return m_AverageWidth; }
    int MaxAdvance() const { return m_MaxAdvance; }
    int Weight() const { return m_Weight; }
    bool FixedPitch() const { return m_FixedPitch; }
    char16_t FirstChar() const { return m_FirstChar; }
    char16_t LastChar() const { return m_LastChar; }
    char16_t DefaultChar() const { return m_DefaultChar; }
    char16_t BreakChar() const { return m_BreakChar; }

private:
    std::unique_ptr<FT_FaceRec_, FontFaceDeleter> m_Face;
    std::string m_Path;
    int m_UnitsPerEm = 0;
    int m_CellAscent = 0;
    int m_CellDescent = 0;
    int m_ExternalLeading = 0;
    int m_AverageWidth = 0;
    int m_MaxAdvance = 0;
    int m_Weight = 400;
    bool m_FixedPitch = false;
    char16_t m_FirstChar = 0x20;
    char16_t m_LastChar = 0xFFFF;
    char16_t m_DefaultChar = 0;
    char16_t m_BreakChar = 0x20;
};

}  // namespace platform::gdi
