#include "platform/crt/printf.h"

#include "platform/crt/c_locale.h"
#include "platform/win32/codepage.h"

#include <climits>
#include <cmath>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <locale.h>
#include <string>

// One formatter, a template over the unit type, serves the wide and the 8-bit forms. It makes a
// single pass: units are stored while there is room and counted always, so the caller learns both
// what was written and the full length.
//
// Sections: output sink / argument sizes / conversions between 8-bit and wide text /
// integers / floating point / the format walk / public entry points.

namespace {

// ---- output sink -------------------------------------------------------------------------------

template <typename CharT>
struct Sink {
    CharT* buffer;
    std::size_t capacity;
    std::size_t length = 0;

    void Put(CharT c)
    {
        if (length < capacity) buffer[length] = c;
        ++length;
    }
    void Repeat(CharT c, std::size_t count)
    {
        const std::size_t room = length < capacity ? capacity - length : 0;
        for (std::size_t i = 0; i < count && i < room; ++i) buffer[length + i] = c;
        length += count;
    }
    template <typename SourceT>
    void Write(const SourceT* units, std::size_t count)
    {
        const std::size_t room = length < capacity ? capacity - length : 0;
        for (std::size_t i = 0; i < count && i < room; ++i) buffer[length + i] = static_cast<CharT>(units[i]);
        length += count;
    }
};

// ---- argument sizes ----------------------------------------------------------------------------

enum class Size { Default, Char, Short, Long, LongLong, SizeT, LongDouble, Narrow, Wide };

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alternate = false;
    bool zero = false;
    std::size_t width = 0;
    int precision = -1;   // -1: not given
    Size size = Size::Default;
};

// The argument list travels by reference so every conversion consumes from the same position.
struct Args {
    va_list list;
};

std::int64_t ReadSigned(Args& args, Size size)
{
    switch (size) {
    case Size::Char: return static_cast<signed char>(va_arg(args.list, int));
    case Size::Short: return static_cast<short>(va_arg(args.list, int));
    case Size::LongLong: return va_arg(args.list, long long);
    case Size::SizeT: return static_cast<std::int64_t>(va_arg(args.list, std::ptrdiff_t));
    default: return va_arg(args.list, int);   // "%ld" is 32-bit, as Windows long is
    }
}

std::uint64_t ReadUnsigned(Args& args, Size size)
{
    switch (size) {
    case Size::Char: return static_cast<unsigned char>(va_arg(args.list, unsigned int));
    case Size::Short: return static_cast<unsigned short>(va_arg(args.list, unsigned int));
    case Size::LongLong: return va_arg(args.list, unsigned long long);
    case Size::SizeT: return va_arg(args.list, std::size_t);
    default: return va_arg(args.list, unsigned int);
    }
}

// ---- conversions between 8-bit and wide text ---------------------------------------------------

// 8-bit text in a wide format is read in the system code page, as every other 8-bit text of the
// engine. `maxChars` (-1: no limit) counts whole characters, so a double-byte one is never split.
std::u16string NarrowToWide(const char* text, int maxChars)
{
    std::size_t bytes = 0;
    for (int chars = 0; text[bytes] && (maxChars < 0 || chars < maxChars); ++chars) {
        const bool lead = IsDBCSLeadByte(static_cast<BYTE>(text[bytes])) && text[bytes + 1];
        bytes += lead ? 2 : 1;
        if (bytes > INT_MAX - 2) break;
    }
    if (bytes == 0) return {};
    const int units = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), nullptr, 0);
    if (units <= 0) return {};
    std::u16string out(static_cast<std::size_t>(units), u'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), out.data(), units);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

// Wide text in an 8-bit format, in the system code page. `maxBytes` (-1: no limit) cuts after
// whole characters.
std::string WideToNarrow(const WCHAR* text, int maxBytes)
{
    std::size_t units = 0;
    while (text[units] && (maxBytes < 0 || units < static_cast<std::size_t>(maxBytes)) && units < INT_MAX / 4) ++units;
    if (units == 0) return {};
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), out.data(), bytes, nullptr, nullptr);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    if (maxBytes >= 0 && out.size() > static_cast<std::size_t>(maxBytes)) {
        std::size_t keep = 0;
        while (keep < out.size()) {
            const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(out[keep])) ? 2 : 1;
            if (keep + step > static_cast<std::size_t>(maxBytes)) break;
            keep += step;
        }
        out.resize(keep);
    }
    return out;
}

template <typename CharT>
std::size_t BoundedLength(const CharT* text, int precision)
{
    std::size_t n = 0;
    while ((precision < 0 || n < static_cast<std::size_t>(precision)) && text[n]) ++n;
    return n;
}

// Width padding around a finished piece of text. The runtime pads with '0' whenever the flag
// asks for it, strings included.
template <typename CharT, typename SourceT>
void WritePadded(Sink<CharT>& sink, const Spec& spec, const SourceT* text, std::size_t count)
{
    const std::size_t pad = spec.width > count ? spec.width - count : 0;
    if (!spec.left) sink.Repeat(static_cast<CharT>(spec.zero ? '0' : ' '), pad);
    sink.Write(text, count);
    if (spec.left) sink.Repeat(static_cast<CharT>(' '), pad);
}

template <typename CharT>
bool WantsWide(CharT conversion, Size size)
{
    if (size == Size::Short || size == Size::Narrow) return false;
    if (size == Size::Long || size == Size::Wide) return true;
    const bool upper = conversion == 'S' || conversion == 'C';
    // In a wide format the lower-case conversions take wide text, in an 8-bit one 8-bit text.
    return (sizeof(CharT) == 2) != upper;
}

template <typename CharT>
void FormatString(Sink<CharT>& sink, const Spec& spec, bool wide, Args& args)
{
    const void* pointer = va_arg(args.list, const void*);
    if (!pointer) {
        static const char kNull[] = "(null)";
        WritePadded(sink, spec, kNull, BoundedLength(kNull, spec.precision));
        return;
    }
    if (wide && sizeof(CharT) == 2) {
        const auto* text = static_cast<const WCHAR*>(pointer);
        WritePadded(sink, spec, text, BoundedLength(text, spec.precision));
    } else if (!wide && sizeof(CharT) == 1) {
        const auto* text = static_cast<const char*>(pointer);
        WritePadded(sink, spec, text, BoundedLength(text, spec.precision));
    } else if (wide) {
        const std::string text = WideToNarrow(static_cast<const WCHAR*>(pointer), spec.precision);
        WritePadded(sink, spec, text.data(), text.size());
    } else {
        const std::u16string text = NarrowToWide(static_cast<const char*>(pointer), spec.precision);
        WritePadded(sink, spec, text.data(), text.size());
    }
}

template <typename CharT>
void FormatChar(Sink<CharT>& sink, const Spec& spec, bool wide, Args& args)
{
    const int value = va_arg(args.list, int);
    if (wide == (sizeof(CharT) == 2)) {
        const CharT unit = static_cast<CharT>(value);
        WritePadded(sink, spec, &unit, 1);
    } else if (wide) {
        const WCHAR unit[2] = {static_cast<WCHAR>(value), 0};
        const std::string text = WideToNarrow(unit, -1);
        WritePadded(sink, spec, text.data(), text.size());
    } else {
        const char byte[2] = {static_cast<char>(value), 0};
        std::u16string text = NarrowToWide(byte, -1);
        if (byte[0] == 0) text.assign(1, u'\0');   // "%C" of 0 still writes one unit
        WritePadded(sink, spec, text.data(), text.size());
    }
}

// ---- integers ----------------------------------------------------------------------------------

template <typename CharT>
void FormatInteger(Sink<CharT>& sink, const Spec& spec, char conversion, Args& args)
{
    const bool isSigned = conversion == 'd' || conversion == 'i';
    std::uint64_t magnitude;
    bool negative = false;
    if (isSigned) {
        const std::int64_t value = ReadSigned(args, spec.size);
        negative = value < 0;
        magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    } else {
        magnitude = ReadUnsigned(args, spec.size);
    }

    const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
    const char* digitSet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    char digits[24];
    std::size_t digitCount = 0;
    for (std::uint64_t v = magnitude; v != 0; v /= base) digits[sizeof(digits) - 1 - digitCount++] = digitSet[v % base];
    const char* first = digits + sizeof(digits) - digitCount;

    // Precision is the least number of digits; a zero value with precision 0 prints none.
    const std::size_t precision = spec.precision < 0 ? 1 : static_cast<std::size_t>(spec.precision);
    std::size_t leadingZeros = precision > digitCount ? precision - digitCount : 0;
    if (conversion == 'o' && spec.alternate && leadingZeros == 0 && (digitCount == 0 || first[0] != '0'))
        leadingZeros = 1;

    char prefix[2];
    std::size_t prefixCount = 0;
    if (negative) prefix[prefixCount++] = '-';
    else if (isSigned && spec.plus) prefix[prefixCount++] = '+';
    else if (isSigned && spec.space) prefix[prefixCount++] = ' ';
    if (base == 16 && spec.alternate && magnitude != 0) {
        prefix[prefixCount++] = '0';
        prefix[prefixCount++] = conversion;
    }

    const std::size_t body = prefixCount + leadingZeros + digitCount;
    const std::size_t pad = spec.width > body ? spec.width - body : 0;
    const bool zeroPad = spec.zero && !spec.left && spec.precision < 0;
    if (!spec.left && !zeroPad) sink.Repeat(static_cast<CharT>(' '), pad);
    sink.Write(prefix, prefixCount);
    if (zeroPad) sink.Repeat(static_cast<CharT>('0'), pad);
    sink.Repeat(static_cast<CharT>('0'), leadingZeros);
    sink.Write(first, digitCount);
    if (spec.left) sink.Repeat(static_cast<CharT>(' '), pad);
}

// The runtime prints a pointer as upper-case hexadecimal of its full width, without "0x".
template <typename CharT>
void FormatPointer(Sink<CharT>& sink, const Spec& spec, Args& args)
{
    auto value = reinterpret_cast<std::uintptr_t>(va_arg(args.list, void*));
    char digits[sizeof(void*) * 2];
    for (std::size_t i = sizeof(digits); i-- > 0; value >>= 4) digits[i] = "0123456789ABCDEF"[value & 0xF];
    Spec padding = spec;
    padding.zero = false;
    WritePadded(sink, padding, digits, sizeof(digits));
}

// ---- floating point ----------------------------------------------------------------------------

using platform::CLocale;

// The C library writes the digits, always under the "C" locale so the decimal point is ".".
class ScopedCLocale {
public:
    ScopedCLocale() : m_Previous(CLocale() ? uselocale(CLocale()) : nullptr) {}
    ~ScopedCLocale()
    {
        if (m_Previous) uselocale(m_Previous);
    }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t m_Previous;
};

// Width is applied here rather than by the C library, so a huge width costs no allocation.
template <typename CharT>
void FormatFloat(Sink<CharT>& sink, const Spec& spec, char conversion, Args& args)
{
    char narrowSpec[16];
    std::size_t n = 0;
    narrowSpec[n++] = '%';
    if (spec.plus) narrowSpec[n++] = '+';
    if (spec.space) narrowSpec[n++] = ' ';
    if (spec.alternate) narrowSpec[n++] = '#';
    narrowSpec[n++] = '.';
    narrowSpec[n++] = '*';
    const bool isLong = spec.size == Size::LongDouble;
    if (isLong) narrowSpec[n++] = 'L';
    narrowSpec[n++] = conversion;
    narrowSpec[n] = '\0';

    // The C library's own default precision is the same (6, or exact for "%a").
    const int precision = spec.precision;
    const long double longValue = isLong ? va_arg(args.list, long double) : 0.0L;
    const double value = isLong ? 0.0 : va_arg(args.list, double);

    char small[128];
    std::string large;
    const char* text = small;
    int length;
    {
        ScopedCLocale cLocale;
        length = isLong ? std::snprintf(small, sizeof(small), narrowSpec, precision, longValue)
                        : std::snprintf(small, sizeof(small), narrowSpec, precision, value);
        if (length >= static_cast<int>(sizeof(small))) {
            large.resize(static_cast<std::size_t>(length) + 1);
            length = isLong ? std::snprintf(large.data(), large.size(), narrowSpec, precision, longValue)
                            : std::snprintf(large.data(), large.size(), narrowSpec, precision, value);
            text = large.data();
        }
    }
    if (length < 0) return;
    const auto count = static_cast<std::size_t>(length);

    const std::size_t pad = spec.width > count ? spec.width - count : 0;
    const bool finite = isLong ? std::isfinite(longValue) : std::isfinite(value);
    if (spec.left) {
        sink.Write(text, count);
        sink.Repeat(static_cast<CharT>(' '), pad);
    } else if (spec.zero && finite) {
        // Zeros go after the sign and the "0x" of "%a".
        std::size_t head = (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
        if ((conversion == 'a' || conversion == 'A') && count >= head + 2 && text[head] == '0') head += 2;
        sink.Write(text, head);
        sink.Repeat(static_cast<CharT>('0'), pad);
        sink.Write(text + head, count - head);
    } else {
        sink.Repeat(static_cast<CharT>(' '), pad);
        sink.Write(text, count);
    }
}

// ---- the format walk ---------------------------------------------------------------------------

template <typename CharT>
bool IsDigit(CharT c)
{
    return c >= '0' && c <= '9';
}

template <typename CharT>
std::size_t ParseCount(const CharT*& p)
{
    std::size_t value = 0;
    for (; IsDigit(*p); ++p) {
        value = value * 10 + static_cast<std::size_t>(*p - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    return value;
}

template <typename CharT>
void FormatAll(Sink<CharT>& sink, const CharT* format, Args& args)
{
    const CharT* p = format;
    while (*p) {
        if (*p != '%') {
            sink.Put(*p++);
            continue;
        }
        const CharT* start = p++;
        Spec spec;
        for (;; ++p) {
            if (*p == '-') spec.left = true;
            else if (*p == '+') spec.plus = true;
            else if (*p == ' ') spec.space = true;
            else if (*p == '#') spec.alternate = true;
            else if (*p == '0') spec.zero = true;
            else break;
        }
        if (*p == '*') {
            ++p;
            const int width = va_arg(args.list, int);
            if (width < 0) spec.left = true;   // a negative width means "-" and its size
            spec.width = static_cast<std::size_t>(width < 0 ? -static_cast<long long>(width) : width);
        } else {
            spec.width = ParseCount(p);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                ++p;
                const int precision = va_arg(args.list, int);
                spec.precision = precision < 0 ? -1 : precision;
            } else {
                spec.precision = static_cast<int>(ParseCount(p));
            }
        }
        switch (*p) {
        case 'h':
            ++p;
            spec.size = Size::Short;
            if (*p == 'h') {
                ++p;
                spec.size = Size::Char;
            }
            break;
        case 'l':
            ++p;
            spec.size = Size::Long;
            if (*p == 'l') {
                ++p;
                spec.size = Size::LongLong;
            }
            break;
        case 'L': ++p; spec.size = Size::LongDouble; break;
        case 'w': ++p; spec.size = Size::Wide; break;
        case 'j': ++p; spec.size = Size::LongLong; break;
        case 'z':
        case 't': ++p; spec.size = Size::SizeT; break;
        case 'I':
            ++p;
            if (p[0] == '6' && p[1] == '4') {
                p += 2;
                spec.size = Size::LongLong;
            } else if (p[0] == '3' && p[1] == '2') {
                p += 2;
                spec.size = Size::Default;
            } else {
                spec.size = Size::SizeT;
            }
            break;
        default: break;
        }

        const CharT conversion = *p;
        const char c = (conversion > 0 && conversion < 0x80) ? static_cast<char>(conversion) : '\0';
        switch (c) {
        case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
            FormatInteger(sink, spec, c, args);
            break;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
            FormatFloat(sink, spec, c, args);
            break;
        case 's': case 'S':
            FormatString(sink, spec, WantsWide(conversion, spec.size), args);
            break;
        case 'c': case 'C':
            FormatChar(sink, spec, WantsWide(conversion, spec.size), args);
            break;
        case 'p':
            FormatPointer(sink, spec, args);
            break;
        case 'n':
            // Refused: a format must not be able to write to memory.
            (void)va_arg(args.list, void*);
            break;
        case '%':
            sink.Put(static_cast<CharT>('%'));
            break;
        default:
            // Not a conversion: the text is kept as it stands, so a bad format is visible and a
            // caller growing its buffer on "did not fit" never loops.
            for (const CharT* q = start; q < p; ++q) sink.Put(*q);
            if (*p) sink.Put(*p);
            break;
        }
        if (*p) ++p;
    }
}

template <typename CharT>
std::size_t Run(CharT* buffer, std::size_t capacity, const CharT* format, va_list source)
{
    Sink<CharT> sink{buffer, buffer ? capacity : 0};
    Args args;
    va_copy(args.list, source);
    FormatAll(sink, format, args);
    va_end(args.list);
    return sink.length;
}

template <typename CharT>
int FormatCount(CharT* buffer, std::size_t count, const CharT* format, va_list args)
{
    if (!format || (!buffer && count > 0)) return -1;
    const std::size_t length = Run(buffer, count, format, args);
    if (length > INT_MAX) return -1;
    if (!buffer) return static_cast<int>(length);   // (null, 0): the length needed
    if (length > count) return -1;
    if (length < count) buffer[length] = 0;
    return static_cast<int>(length);
}

template <typename CharT>
int FormatTruncate(CharT* buffer, std::size_t count, const CharT* format, va_list args)
{
    if (!buffer || count == 0) return -1;
    if (!format) {
        buffer[0] = 0;
        return -1;
    }
    const std::size_t length = Run(buffer, count, format, args);
    if (length < count && length <= INT_MAX) {
        buffer[length] = 0;
        return static_cast<int>(length);
    }
    std::size_t cut = count - 1;
    // Never leave the first half of a surrogate pair at the end of cut wide text.
    if constexpr (sizeof(CharT) == 2) {
        if (cut > 0 && buffer[cut - 1] >= 0xD800 && buffer[cut - 1] <= 0xDBFF) --cut;
    }
    buffer[cut] = 0;
    return -1;
}

template <typename CharT>
int MeasureLength(const CharT* format, va_list args)
{
    if (!format) return -1;
    const std::size_t length = Run(static_cast<CharT*>(nullptr), 0, format, args);
    return length > INT_MAX ? -1 : static_cast<int>(length);
}

}  // namespace

// ---- public entry points -----------------------------------------------------------------------

int _vsnwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args)
{
    return FormatCount(buffer, count, format, args);
}

int _snwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = FormatCount(buffer, count, format, args);
    va_end(args);
    return result;
}

int _vscwprintf(const WCHAR* format, va_list args) { return MeasureLength(format, args); }

int _vsnprintf(char* buffer, std::size_t count, const char* format, va_list args)
{
    return FormatCount(buffer, count, format, args);
}

int _snprintf(char* buffer, std::size_t count, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = FormatCount(buffer, count, format, args);
    va_end(args);
    return result;
}

int _vscprintf(const char* format, va_list args) { return MeasureLength(format, args); }

int FormatWideTruncate(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args)
{
    return FormatTruncate(buffer, count, format, args);
}

int FormatNarrowTruncate(char* buffer, std::size_t count, const char* format, va_list args)
{
    return FormatTruncate(buffer, count, format, args);
}

std::size_t WideLength(const WCHAR* text)
{
    if (!text) return 0;
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}
