// Shared set-up of the GDI tests: a memory context with a font selected, and glyph helpers.
#pragma once

#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace gditest {

inline constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

inline LOGFONTW Description(LONG height, std::u16string_view face = u"ＭＳ ゴシック", BYTE charSet = SHIFTJIS_CHARSET)
{
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = charSet;
    std::memcpy(font.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1) * sizeof(WCHAR));
    return font;
}

// A context with a font selected; undoes everything as the engine does (restore, delete, release).
class ScopedFont {
public:
    explicit ScopedFont(const LOGFONTW& description)
    {
        m_Dc = GetDC(nullptr);
        m_Font = CreateFontIndirectW(&description);
        if (m_Dc && m_Font) m_Previous = SelectObject(m_Dc, m_Font);
    }
    explicit ScopedFont(LONG height, std::u16string_view face = u"ＭＳ ゴシック") : ScopedFont(Description(height, face)) {}
    ~ScopedFont()
    {
        if (m_Previous) SelectObject(m_Dc, m_Previous);
        if (m_Font) DeleteObject(m_Font);
        if (m_Dc) ReleaseDC(nullptr, m_Dc);
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

    bool Ok() const { return m_Dc && m_Font && m_Previous; }
    HDC Dc() const { return m_Dc; }

    TEXTMETRICW Metrics() const
    {
        TEXTMETRICW metrics{};
        EXPECT_TRUE(GetTextMetricsW(m_Dc, &metrics));
        return metrics;
    }

private:
    HDC m_Dc = nullptr;
    HFONT m_Font = nullptr;
    HGDIOBJ m_Previous = nullptr;
};

struct Glyph {
    DWORD result = GDI_ERROR;
    GLYPHMETRICS metrics{};
    std::vector<BYTE> bits;   // the returned bytes; the guard bytes after them are checked
};

// Asks the size, then the bitmap into a buffer with guard bytes filled with 0xFF.
template <class Call>
Glyph FetchGlyph(Call call)
{
    Glyph glyph;
    const DWORD size = call(&glyph.metrics, 0, nullptr);
    if (size == GDI_ERROR) return glyph;
    constexpr std::size_t kGuard = 16;
    std::vector<BYTE> buffer(size + kGuard, 0xFF);
    GLYPHMETRICS metrics{};
    glyph.result = call(&metrics, static_cast<DWORD>(buffer.size()), buffer.data());
    EXPECT_EQ(glyph.result, size);
    EXPECT_EQ(std::memcmp(&metrics, &glyph.metrics, sizeof metrics), 0) << "metrics differ between size and fill";
    for (std::size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xFF) << "write past the glyph at " << i;
    buffer.resize(size);
    glyph.bits = std::move(buffer);
    return glyph;
}

inline Glyph FetchW(HDC dc, UINT character)
{
    return FetchGlyph([&](GLYPHMETRICS* m, DWORD n, void* b) {
        return GetGlyphOutlineW(dc, character, GGO_GRAY8_BITMAP, m, n, b, &kIdentity);
    });
}

inline Glyph FetchA(HDC dc, UINT code)
{
    return FetchGlyph([&](GLYPHMETRICS* m, DWORD n, void* b) {
        return GetGlyphOutlineA(dc, code, GGO_GRAY8_BITMAP, m, n, b, &kIdentity);
    });
}

}  // namespace gditest
