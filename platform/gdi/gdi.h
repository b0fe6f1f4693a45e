// The GDI font subset the engine uses: memory device contexts, fonts made from a LOGFONTW,
// text metrics, 8-bit grey glyph bitmaps, and the half-/full-width character type query.
//
// Fonts come from FreeType; face names are resolved through fontconfig. The Japanese face
// names ("ＭＳ ゴシック", "MS Gothic", "ＭＳ 明朝" ... in full- or half-width letters) and an
// empty name stand for the installed Japanese gothic (or mincho). With SHIFTJIS_CHARSET or
// DEFAULT_CHARSET a face that cannot show Japanese is passed over for one that can, as the
// character set outweighs the face name when GDI maps a font.
//
// A positive lfHeight is the cell height (ascent + descent), a negative one the em size.
// Weight, italic, underline, strike-out, width and escapement are not synthesised.
//
// HFONT and HGDIOBJ are distinct types here, so SelectObject and DeleteObject also take an
// HFONT; the HGDIOBJ that SelectObject returns converts back with reinterpret_cast.
// Every call may come from any thread; one lock serialises them.
#pragma once

#include "platform/win32/win_types.h"

constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;
inline HGDIOBJ const HGDI_ERROR = reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(-1));

constexpr int LF_FACESIZE = 32;

// Character sets.
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE SHIFTJIS_CHARSET = 128;

// Weights.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;

// Precision, quality, pitch and family.
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;

// tmPitchAndFamily bits (TMPF_FIXED_PITCH set means a variable-pitch font).
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

// GetGlyphOutline formats; only GGO_METRICS and GGO_GRAY8_BITMAP are served.
constexpr UINT GGO_METRICS = 0;
constexpr UINT GGO_BITMAP = 1;
constexpr UINT GGO_NATIVE = 2;
constexpr UINT GGO_BEZIER = 3;
constexpr UINT GGO_GRAY2_BITMAP = 4;
constexpr UINT GGO_GRAY4_BITMAP = 5;
constexpr UINT GGO_GRAY8_BITMAP = 6;
constexpr UINT GGO_GLYPH_INDEX = 0x0080;
constexpr UINT GGO_UNHINTED = 0x0100;

// GetStringTypeW.
constexpr DWORD CT_CTYPE1 = 1;
constexpr DWORD CT_CTYPE2 = 2;
constexpr DWORD CT_CTYPE3 = 4;
constexpr WORD C3_HALFWIDTH = 0x0040;
constexpr WORD C3_FULLWIDTH = 0x0080;

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTW) == 92);

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
static_assert(sizeof(TEXTMETRICW) == 60);

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
static_assert(sizeof(TEXTMETRICA) == 56);

// gmptGlyphOrigin is the top-left of the black box: x from the pen, y up from the baseline.
struct GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;
    SHORT gmCellIncX;
    SHORT gmCellIncY;
};
static_assert(sizeof(GLYPHMETRICS) == 20);

// 16.16 fixed point.
struct FIXED {
    WORD fract;
    SHORT value;
};

struct MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
};

// Device contexts are memory objects; the window handle is not looked at (it may be null).
// ReleaseDC returns 1, or 0 for an unknown context.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// Null (with a log line) for a null description, a height beyond 4096 pixels, or when no face
// can be found or opened.
HFONT CreateFontIndirectW(const LOGFONTW* font);

// Selects a font into the context and returns the one it replaces (a new context starts with
// a stock font of cell height 16 in the default face). Null for a bad context or object.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
inline HGDIOBJ SelectObject(HDC dc, HFONT font) { return SelectObject(dc, reinterpret_cast<HGDIOBJ>(font)); }
// A font still selected somewhere stays usable there until replaced. FALSE for a bad handle;
// the stock font is never deleted.
BOOL DeleteObject(HGDIOBJ object);
inline BOOL DeleteObject(HFONT font) { return DeleteObject(reinterpret_cast<HGDIOBJ>(font)); }

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);

// GGO_GRAY8_BITMAP writes levels 0..64, top row first, each row padded to a multiple of 4
// bytes, and returns the byte count; with a null buffer or a size of 0 it returns the size
// needed. A character without a visible shape (a space, a control character, one the font
// lacks) has a 0 x 0 box and returns 0. GGO_METRICS fills the metrics and returns 0.
// GDI_ERROR for a bad context, a null metrics or transformation pointer, a transformation
// other than the identity, another format, or a buffer too small.
// The W form takes a UTF-16 code unit (or a code point); the A form a code page 932 code,
// lead byte << 8 | trail byte for a double-byte character.
DWORD GetGlyphOutlineW(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* transformation);
DWORD GetGlyphOutlineA(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* transformation);

// Only CT_CTYPE3, and of it only C3_HALFWIDTH and C3_FULLWIDTH: a character is full-width
// when code page 932 writes it with two bytes or its East Asian width is wide or full-width,
// half-width otherwise (so U+FF61-FF9F are half-width). A negative count takes the string up
// to and including its NUL.
BOOL GetStringTypeW(DWORD infoType, LPCWSTR source, int count, WORD* charTypes);
