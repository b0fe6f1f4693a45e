#include "platform/win32/codepage.h"

#include "platform/win32/file.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

static_assert(std::endian::native == std::endian::little, "iconv is asked for UTF-16LE");

namespace {

constexpr char16_t kDefaultWideChar932 = 0x30FB;   // "・"
constexpr char16_t kReplacementChar = 0xFFFD;
constexpr char kDefaultNarrowChar = '?';

enum class PageKind { Utf8, Iconv };

struct PageInfo {
    PageKind kind = PageKind::Iconv;
    std::string charset;
    char16_t wideDefault = kReplacementChar;
};

bool IsCp932(UINT codePage)
{
    return codePage == CP_ACP || codePage == CP_OEMCP || codePage == 3 /* thread page */ || codePage == 932;
}

PageInfo DescribePage(UINT codePage)
{
    if (codePage == CP_UTF8) return {PageKind::Utf8, {}, kReplacementChar};
    if (IsCp932(codePage)) return {PageKind::Iconv, "CP932", kDefaultWideChar932};
    return {PageKind::Iconv, "CP" + std::to_string(codePage), kReplacementChar};
}

// iconv descriptors are not thread-safe: each thread keeps its own, closed at thread exit.
class IconvCache {
public:
    ~IconvCache()
    {
        for (Entry& entry : m_Entries)
            if (entry.descriptor != kInvalid) iconv_close(entry.descriptor);
    }

    // The reset descriptor for the conversion, or kInvalid when iconv does not know the charset.
    iconv_t Get(const std::string& from, const std::string& to)
    {
        for (Entry& entry : m_Entries) {
            if (entry.from == from && entry.to == to) {
                if (entry.descriptor != kInvalid) iconv(entry.descriptor, nullptr, nullptr, nullptr, nullptr);
                return entry.descriptor;
            }
        }
        iconv_t descriptor = iconv_open(to.c_str(), from.c_str());
        m_Entries.push_back({from, to, descriptor});
        return descriptor;
    }

    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

private:
    struct Entry {
        std::string from;
        std::string to;
        iconv_t descriptor;
    };
    std::vector<Entry> m_Entries;
};

iconv_t GetDescriptor(const std::string& from, const std::string& to)
{
    thread_local IconvCache cache;
    return cache.Get(from, to);
}

// --- UTF-8 -------------------------------------------------------------------------------

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one scalar value at `text[i]`; on an ill-formed sequence returns false and the count
// of bytes to skip (the maximal well-formed prefix, at least one), as Unicode recommends.
bool DecodeUtf8(std::string_view text, std::size_t i, char32_t& value, std::size_t& length)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        value = lead;
        length = 1;
        return true;
    }
    std::size_t need = 0;
    unsigned char low = 0x80, high = 0xBF;   // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;   // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        length = 1;
        return false;
    }
    char32_t result = lead & (0x3F >> need);
    std::size_t k = 1;
    for (; k <= need; ++k) {
        if (i + k >= text.size()) break;
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if (k == 1 ? (c < low || c > high) : !IsContinuation(c)) break;
        result = (result << 6) | (c & 0x3F);
    }
    if (k <= need) {
        length = k;
        return false;
    }
    value = result;
    length = need + 1;
    return true;
}

std::u16string Utf8Decode(std::string_view text, bool& substituted)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t value = 0;
        std::size_t length = 1;
        if (!DecodeUtf8(text, i, value, length)) {
            out.push_back(kReplacementChar);
            substituted = true;
        } else if (value >= 0x10000) {
            value -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(value));
        }
        i += length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t value)
{
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

// A lone surrogate becomes U+FFFD.
std::string Utf8Encode(std::u16string_view text, bool& substituted)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacementChar);
            substituted = true;
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

// --- iconv -------------------------------------------------------------------------------

// Runs `descriptor` over the input; on an invalid or unconvertible input unit of `inputStep`
// bytes, skips it and writes `substitute`. Returns false only when iconv itself breaks down.
bool RunIconv(iconv_t descriptor, const char* input, std::size_t inputBytes, std::size_t inputStep,
              const std::string& substitute, std::string& output, bool& substituted)
{
    output.assign(inputBytes * 2 + 16, '\0');
    char* in = const_cast<char*>(input);
    std::size_t inLeft = inputBytes;
    std::size_t used = 0;
    auto ensure = [&](std::size_t extra) {
        if (output.size() - used < extra) output.resize(output.size() * 2 + extra);
    };
    while (inLeft > 0) {
        char* out = output.data() + used;
        std::size_t outLeft = output.size() - used;
        const std::size_t result = iconv(descriptor, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        used = static_cast<std::size_t>(out - output.data());
        if (result != static_cast<std::size_t>(-1)) continue;
        if (error == E2BIG) {
            output.resize(output.size() * 2 + 16);
            continue;
        }
        if (error != EILSEQ && error != EINVAL) return false;
        const std::size_t skip = inLeft < inputStep ? inLeft : inputStep;
        in += skip;
        inLeft -= skip;
        ensure(substitute.size());
        std::memcpy(output.data() + used, substitute.data(), substitute.size());
        used += substitute.size();
        substituted = true;
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    }
    output.resize(used);
    return true;
}

bool ConvertToWide(UINT codePage, std::string_view source, std::u16string& result)
{
    bool substituted = false;
    const PageInfo page = DescribePage(codePage);
    if (page.kind == PageKind::Utf8) {
        result = Utf8Decode(source, substituted);
        return true;
    }
    iconv_t descriptor = GetDescriptor(page.charset, "UTF-16LE");
    if (descriptor == IconvCache::kInvalid) return false;
    const char16_t wideDefault = page.wideDefault;
    std::string substitute(reinterpret_cast<const char*>(&wideDefault), sizeof wideDefault);
    std::string bytes;
    if (!RunIconv(descriptor, source.data(), source.size(), 1, substitute, bytes, substituted)) return false;
    result.resize(bytes.size() / 2);
    std::memcpy(result.data(), bytes.data(), result.size() * 2);
    return true;
}

bool ConvertToNarrow(UINT codePage, std::u16string_view source, LPCSTR defaultChar, std::string& result,
                     bool& substituted)
{
    const PageInfo page = DescribePage(codePage);
    if (page.kind == PageKind::Utf8) {
        result = Utf8Encode(source, substituted);
        return true;
    }
    iconv_t descriptor = GetDescriptor("UTF-16LE", page.charset);
    if (descriptor == IconvCache::kInvalid) return false;
    const std::string substitute = defaultChar && defaultChar[0] ? std::string(defaultChar, defaultChar[1] ? 2 : 1)
                                                                  : std::string(1, kDefaultNarrowChar);
    return RunIconv(descriptor, reinterpret_cast<const char*>(source.data()), source.size() * 2, 2, substitute,
                    result, substituted);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR source, int sourceBytes, LPWSTR destination,
                        int destinationUnits)
{
    if (!source || sourceBytes == 0 || sourceBytes < -1 || destinationUnits < 0 ||
        (destinationUnits > 0 && !destination)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t length = sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceBytes);
    std::u16string wide;
    if (!ConvertToWide(codePage, std::string_view(source, length), wide) || wide.size() > INT_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int needed = static_cast<int>(wide.size());
    if (destinationUnits == 0) return needed;
    if (needed > destinationUnits) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(destination, wide.data(), wide.size() * sizeof(char16_t));
    return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR source, int sourceUnits, LPSTR destination,
                        int destinationBytes, LPCSTR defaultChar, BOOL* usedDefaultChar)
{
    // As on Windows, UTF-8 has no default character to report.
    if (!source || sourceUnits == 0 || sourceUnits < -1 || destinationBytes < 0 ||
        (destinationBytes > 0 && !destination) || (codePage == CP_UTF8 && (defaultChar || usedDefaultChar))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t length = 0;
    if (sourceUnits == -1) {
        while (source[length]) ++length;
        ++length;
    } else {
        length = static_cast<std::size_t>(sourceUnits);
    }
    std::string narrow;
    bool substituted = false;
    if (!ConvertToNarrow(codePage, std::u16string_view(source, length), defaultChar, narrow, substituted) ||
        narrow.size() > INT_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (usedDefaultChar) *usedDefaultChar = substituted ? TRUE : FALSE;
    const int needed = static_cast<int>(narrow.size());
    if (destinationBytes == 0) return needed;
    if (needed > destinationBytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(destination, narrow.data(), narrow.size());
    return needed;
}

UINT GetACP() { return 932; }

BOOL IsDBCSLeadByte(BYTE testChar) { return IsDBCSLeadByteEx(CP_ACP, testChar); }

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar)
{
    if (!IsCp932(codePage)) return FALSE;
    return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
}

LPSTR CharNextExA(WORD codePage, LPCSTR current, DWORD)
{
    if (!current || !*current) return const_cast<LPSTR>(current);
    // A lead byte before the NUL would swallow it: step one byte only.
    if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(*current)) && current[1]) return const_cast<LPSTR>(current + 2);
    return const_cast<LPSTR>(current + 1);
}

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text)
{
    bool substituted = false;
    return Utf8Decode(text, substituted);
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    bool substituted = false;
    return Utf8Encode(text, substituted);
}

}  // namespace platform
