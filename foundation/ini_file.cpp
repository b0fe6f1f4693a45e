#include "foundation/ini_file.h"

#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "platform/crt/numeric.h"

#include <vector>

namespace {

struct DigitLimits {
    int hexadecimal, binary, octal, decimal, other;
};
constexpr DigitLimits kLimits32 = {8, 32, 11, 10, 32};
constexpr DigitLimits kLimits64 = {16, 64, 21, 19, 64};

int DigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'z') return c - u'a' + 10;
    if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
    return 99;
}

// The magnitude (wrapping in 64 bits) and whether a minus sign stood before it.
std::uint64_t ParseMagnitude(const char16_t* text, const char16_t** end, int base, bool octalOff,
                             const DigitLimits& limits, bool& negative)
{
    negative = false;
    const char16_t* p = text;
    while (*p == u' ' || *p == u'\t')
        ++p;
    if (*p == u'-' || *p == u'\xFF0D') {
        negative = true;
        ++p;
    } else if (*p == u'+' || *p == u'\xFF0B') {
        ++p;
    }

    const bool hexPrefix = p[0] == u'0' && (p[1] == u'x' || p[1] == u'X');
    const bool binaryPrefix = p[0] == u'0' && (p[1] == u'b' || p[1] == u'B');
    if (base == 0) {
        if (hexPrefix) {
            base = 16;
            p += 2;
        } else if (binaryPrefix) {
            base = 2;
            p += 2;
        } else if (p[0] == u'0' && !octalOff) {
            base = 8;
            ++p;
        } else {
            base = 10;
        }
    } else if (base == 16) {
        if (hexPrefix) p += 2;
    } else if (base == 2) {
        if (binaryPrefix) p += 2;
    } else if (base == 8) {
        if (*p == u'0') ++p;
    } else if (base < 3 || base > 35) {
        if (end != nullptr) *end = p;
        return 0;
    }

    int maxDigits = limits.other;
    switch (base) {
    case 16: maxDigits = limits.hexadecimal; break;
    case 2: maxDigits = limits.binary; break;
    case 8: maxDigits = limits.octal; break;
    case 10: maxDigits = limits.decimal; break;
    default: break;
    }

    std::uint64_t value = 0;
    for (int digits = 0; digits < maxDigits; ++digits) {
        const int digit = DigitValue(*p);   // the NUL is no digit, so the text's end stops it
        if (digit >= base)
            break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        ++p;
    }
    if (end != nullptr) *end = p;
    return value;
}

}  // namespace

std::int32_t ParseNumberWide(const char16_t* text, const char16_t** end, int base, bool octalOff)
{
    bool negative = false;
    const std::uint32_t value = static_cast<std::uint32_t>(ParseMagnitude(text, end, base, octalOff, kLimits32, negative));
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::int64_t ParseNumber64Wide(const char16_t* text, const char16_t** end, int base, bool octalOff)
{
    bool negative = false;
    const std::uint64_t value = ParseMagnitude(text, end, base, octalOff, kLimits64, negative);
    return static_cast<std::int64_t>(negative ? 0u - value : value);
}

bool GxINIFile::Parse(const std::u16string& fileName, bool quiet)
{
    m_Entries.clear();
    GxBinBuffer buffer;
    if (!ReadWholeFileTerminated(buffer, fileName, quiet))
        return false;
    ParseText(std::string_view(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize()));
    return true;
}

void GxINIFile::ParseText(std::string_view text)
{
    m_Entries.clear();
    std::vector<std::u16string> lines;
    SplitWide(lines, MultiByteToWide(text), u"\n");
    for (const std::u16string& rawLine : lines) {
        const std::u16string line = TrimWide(rawLine, 4);
        const std::size_t equal = line.find(u'=');
        if (equal == std::u16string::npos)
            continue;
        m_Entries.emplace(TrimWide(std::u16string_view(line).substr(0, equal), 3),
                          TrimWide(std::u16string_view(line).substr(equal + 1), 3));   // the first definition wins
    }
}

std::u16string GxINIFile::GetString(const std::u16string& key, const std::u16string& defaultValue) const
{
    auto found = m_Entries.find(key);
    return found == m_Entries.end() ? defaultValue : found->second;
}

std::int32_t GxINIFile::GetInt(const std::u16string& key, std::int32_t defaultValue) const
{
    auto found = m_Entries.find(key);
    return found == m_Entries.end() ? defaultValue : ParseNumberWide(found->second.c_str(), nullptr, 0, true);
}

std::int64_t GxINIFile::GetInt64(const std::u16string& key, std::int64_t defaultValue) const
{
    auto found = m_Entries.find(key);
    return found == m_Entries.end() ? defaultValue : ParseNumber64Wide(found->second.c_str(), nullptr, 0, true);
}

bool GxINIFile::GetBool(const std::u16string& key, bool defaultValue) const
{
    auto found = m_Entries.find(key);
    return found == m_Entries.end() ? defaultValue : msvc::wcstol(found->second.c_str(), nullptr, 10) > 0;
}
