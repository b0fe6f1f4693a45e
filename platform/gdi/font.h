// A font made from a LOGFONTW: a shared face at its own pixel size, with its text metrics.
// Every operation runs under the font system's lock.
#pragma once

#include "platform/gdi/font_face.h"
#include "platform/gdi/gdi.h"

#include <memory>

struct FT_SizeRec_;

namespace platform::gdi {

struct FontSizeDeleter {
    void operator()(FT_SizeRec_* size) const;
};

class Font {
public:
    // Heights beyond this many pixels are refused: no text cell is that large, and FreeType
    // would be asked for enormous bitmaps.
    static constexpr LONG kMaxHeight = 4096;

    // Null (with a log line) for an unusable description or when no face can be opened.
    static std::shared_ptr<Font> Create(const LOGFONTW& description);

    const TEXTMETRICW& Metrics() const { return m_Metrics; }

    // `character` is a Unicode code point. See GetGlyphOutlineW for the contract.
    DWORD GlyphOutline(char32_t character, UINT format, GLYPHMETRICS& metrics, DWORD bufferSize, void* buffer);

private:
    bool Activate();

    std::shared_ptr<FontFace> m_Face;
    std::unique_ptr<FT_SizeRec_, FontSizeDeleter> m_Size;   // released before m_Face
    TEXTMETRICW m_Metrics{};
};

}  // namespace platform::gdi
