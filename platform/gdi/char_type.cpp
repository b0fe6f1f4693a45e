// GetStringTypeW: the half-/full-width character table.
#include "platform/gdi/gdi.h"

#include "platform/win32/codepage.h"
#include "platform/win32/file.h"
#include "platform/win32/user_log.h"

#include <bitset>
#include <cstddef>

namespace {

struct Range {
    char16_t first;
    char16_t last;
};

// East Asian Width W and F in the Basic Multilingual Plane.
constexpr Range kWideRanges[] = {
    {0x1100, 0x115F}, {0x231A, 0x231B}, {0x2329, 0x232A}, {0x23E9, 0x23EC}, {0x23F0, 0x23F0}, {0x23F3, 0x23F3},
    {0x25FD, 0x25FE}, {0x2614, 0x2615}, {0x2648, 0x2653}, {0x267F, 0x267F}, {0x2693, 0x2693}, {0x26A1, 0x26A1},
    {0x26AA, 0x26AB}, {0x26BD, 0x26BE}, {0x26C4, 0x26C5}, {0x26CE, 0x26CE}, {0x26D4, 0x26D4}, {0x26EA, 0x26EA},
    {0x26F2, 0x26F3}, {0x26F5, 0x26F5}, {0x26FA, 0x26FA}, {0x26FD, 0x26FD}, {0x2705, 0x2705}, {0x270A, 0x270B},
    {0x2728, 0x2728}, {0x274C, 0x274C}, {0x274E, 0x274E}, {0x2753, 0x2755}, {0x2757, 0x2757}, {0x2795, 0x2797},
    {0x27B0, 0x27B0}, {0x27BF, 0x27BF}, {0x2B1B, 0x2B1C}, {0x2B50, 0x2B50}, {0x2B55, 0x2B55}, {0x2E80, 0x2E99},
    {0x2E9B, 0x2EF3}, {0x2F00, 0x2FD5}, {0x2FF0, 0x2FFF}, {0x3000, 0x303E}, {0x3041, 0x3096}, {0x3099, 0x30FF},
    {0x3105, 0x312F}, {0x3131, 0x318E}, {0x3190, 0x31E3}, {0x31EF, 0x321E}, {0x3220, 0x3247}, {0x3250, 0x4DBF},
    {0x4E00, 0xA48C}, {0xA490, 0xA4C6}, {0xA960, 0xA97C}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE10, 0xFE19},
    {0xFE30, 0xFE52}, {0xFE54, 0xFE66}, {0xFE68, 0xFE6B}, {0xFF01, 0xFF60}, {0xFFE0, 0xFFE6},
};

using WidthTable = std::bitset<0x10000>;

// Full-width: written with two bytes in code page 932, or wide by East Asian Width. Built
// once; the code-page half asks the converter for every unit.
WidthTable BuildFullWidthTable()
{
    WidthTable table;
    for (const Range& range : kWideRanges)
        for (std::size_t unit = range.first; unit <= range.last; ++unit) table.set(unit);
    for (std::size_t unit = 0x80; unit <= 0xFFFF; ++unit) {
        if (table.test(unit) || (unit >= 0xD800 && unit <= 0xDFFF)) continue;
        const WCHAR wide = static_cast<WCHAR>(unit);
        char bytes[4];
        BOOL usedDefault = FALSE;
        if (WideCharToMultiByte(932, 0, &wide, 1, bytes, sizeof bytes, nullptr, &usedDefault) == 2 && !usedDefault)
            table.set(unit);
    }
    // Half-width katakana are single bytes in code page 932 already; stated for certainty.
    for (std::size_t unit = 0xFF61; unit <= 0xFF9F; ++unit) table.reset(unit);
    return table;
}

const WidthTable& FullWidthTable()
{
    static const WidthTable table = BuildFullWidthTable();
    return table;
}

}  // namespace

BOOL GetStringTypeW(DWORD infoType, LPCWSTR source, int count, WORD* charTypes)
{
    if (!source || !charTypes || count == 0) {
        platform::LogUserError("GetStringTypeW: null string or output, or an empty count");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (infoType != CT_CTYPE3) {
        platform::LogUserError("GetStringTypeW: only CT_CTYPE3 is supported (asked %u)", infoType);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::size_t length = 0;
    if (count < 0) {
        while (source[length] != 0) ++length;
        ++length;   // the NUL is typed too
    } else {
        length = static_cast<std::size_t>(count);
    }
    const WidthTable& fullWidth = FullWidthTable();
    for (std::size_t i = 0; i < length; ++i) charTypes[i] = fullWidth.test(source[i]) ? C3_FULLWIDTH : C3_HALFWIDTH;
    return TRUE;
}
