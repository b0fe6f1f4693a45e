#include "platform/gdi/gdi.h"

#include "platform/gdi/font.h"
#include "platform/gdi/font_system.h"
#include "platform/gdi/gdi_object_table.h"
#include "platform/win32/codepage.h"
#include "platform/win32/file.h"
#include "platform/win32/user_log.h"

#include <mutex>

using platform::LogUserError;
using platform::gdi::DeviceContext;
using platform::gdi::Font;
using platform::gdi::FontSystem;
using platform::gdi::GdiObjectTable;

namespace {

// Windows' default character for code page 932, which the conversion puts for an invalid code.
constexpr char16_t kDefaultChar932 = 0x30FB;
constexpr UINT kDefaultChar932Code = 0x8145;

std::shared_ptr<Font> SelectedFont(HDC dc, const char* call)
{
    DeviceContext* context = GdiObjectTable::Get().FindContext(dc);
    if (!context) {
        LogUserError("%s: bad device context %p", call, static_cast<void*>(dc));
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!context->font) LogUserError("%s: the device context has no usable font", call);
    return context->font;
}

bool IsIdentity(const MAT2& m)
{
    return m.eM11.value == 1 && m.eM11.fract == 0 && m.eM12.value == 0 && m.eM12.fract == 0 && m.eM21.value == 0 &&
           m.eM21.fract == 0 && m.eM22.value == 1 && m.eM22.fract == 0;
}

DWORD GlyphOutline(HDC dc, char32_t character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                   const MAT2* transformation, const char* call)
{
    if (!metrics || !transformation) {
        LogUserError("%s: null %s", call, metrics ? "transformation" : "glyph metrics");
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    if (format != GGO_METRICS && format != GGO_GRAY8_BITMAP) {
        LogUserError("%s: format %u is not supported", call, format);
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    if (!IsIdentity(*transformation)) {
        LogUserError("%s: only the identity transformation is supported", call);
        SetLastError(ERROR_INVALID_PARAMETER);
        return GDI_ERROR;
    }
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    std::shared_ptr<Font> font = SelectedFont(dc, call);
    if (!font) return GDI_ERROR;
    return font->GlyphOutline(character, format, *metrics, bufferSize, buffer);
}

// The character a code page 932 code stands for; false for a code that is not a character.
bool DecodeCp932(UINT code, char32_t& character)
{
    char bytes[2];
    int length = 0;
    if (code <= 0xFF) {
        if (IsDBCSLeadByteEx(932, static_cast<BYTE>(code))) return false;
        if (code < 0x80) {
            character = code;
            return true;
        }
        bytes[length++] = static_cast<char>(code);
    } else if (code <= 0xFFFF) {
        const BYTE lead = static_cast<BYTE>(code >> 8);
        const BYTE trail = static_cast<BYTE>(code & 0xFF);
        if (!IsDBCSLeadByteEx(932, lead) || trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
        bytes[length++] = static_cast<char>(lead);
        bytes[length++] = static_cast<char>(trail);
    } else {
        return false;
    }
    WCHAR wide[2] = {};
    if (MultiByteToWideChar(932, 0, bytes, length, wide, 2) != 1) return false;
    if (wide[0] == kDefaultChar932 && code != kDefaultChar932Code) return false;
    character = wide[0];
    return true;
}

}  // namespace

HDC GetDC(HWND)
{
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    return GdiObjectTable::Get().AddContext();
}

int ReleaseDC(HWND, HDC dc)
{
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    if (GdiObjectTable::Get().RemoveContext(dc)) return 1;
    LogUserError("ReleaseDC: bad device context %p", static_cast<void*>(dc));
    return 0;
}

HFONT CreateFontIndirectW(const LOGFONTW* description)
{
    if (!description) {
        LogUserError("CreateFontIndirectW: null font description");
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    std::shared_ptr<Font> font = Font::Create(*description);
    if (!font) return nullptr;
    return reinterpret_cast<HFONT>(GdiObjectTable::Get().AddFont(std::move(font)));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    GdiObjectTable& table = GdiObjectTable::Get();
    DeviceContext* context = table.FindContext(dc);
    std::shared_ptr<Font> font = table.FindFont(object);
    if (!context || !font) {
        LogUserError("SelectObject: bad %s %p", context ? "font" : "device context",
                     context ? static_cast<void*>(object) : static_cast<void*>(dc));
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ previous = context->fontHandle;
    context->font = std::move(font);
    context->fontHandle = object;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    if (GdiObjectTable::Get().RemoveFont(object)) return TRUE;
    LogUserError("DeleteObject: bad object %p", static_cast<void*>(object));
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics)
{
    if (!metrics) {
        LogUserError("GetTextMetricsW: null metrics");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    std::shared_ptr<Font> font = SelectedFont(dc, "GetTextMetricsW");
    if (!font) return FALSE;
    *metrics = font->Metrics();
    return TRUE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics)
{
    if (!metrics) {
        LogUserError("GetTextMetricsA: null metrics");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(FontSystem::Get().Mutex());
    std::shared_ptr<Font> font = SelectedFont(dc, "GetTextMetricsA");
    if (!font) return FALSE;
    const TEXTMETRICW& wide = font->Metrics();
    auto narrow = [](WCHAR c) { return static_cast<BYTE>(c > 0xFF ? 0xFF : c); };
    *metrics = TEXTMETRICA{wide.tmHeight,
                           wide.tmAscent,
                           wide.tmDescent,
                           wide.tmInternalLeading,
                           wide.tmExternalLeading,
                           wide.tmAveCharWidth,
                           wide.tmMaxCharWidth,
                           wide.tmWeight,
                           wide.tmOverhang,
                           wide.tmDigitizedAspectX,
                           wide.tmDigitizedAspectY,
                           narrow(wide.tmFirstChar),
                           narrow(wide.tmLastChar),
                           narrow(wide.tmDefaultChar),
                           narrow(wide.tmBreakChar),
                           wide.tmItalic,
                           wide.tmUnderlined,
                           wide.tmStruckOut,
                           wide.tmPitchAndFamily,
                           wide.tmCharSet};
    return TRUE;
}

DWORD GetGlyphOutlineW(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* transformation)
{
    return GlyphOutline(dc, character, format, metrics, bufferSize, buffer, transformation, "GetGlyphOutlineW");
}

DWORD GetGlyphOutlineA(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* transformation)
{
    // A code that is no character gets the empty box of a character the font lacks.
    char32_t wide = 0;
    if (!DecodeCp932(character, wide)) wide = 0xFFFFFFFFu;
    return GlyphOutline(dc, wide, format, metrics, bufferSize, buffer, transformation, "GetGlyphOutlineA");
}
