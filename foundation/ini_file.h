// GxINIFile: a flat file of KEY=VALUE lines (8-bit text, no sections, no comments) read into
// a map, with typed getters that fall back to the caller's default for a missing key.
// Also the number parsers shared with the data-table loaders.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// Reads an integer: blanks and tabs, a sign ("-" or U+FF0D, "+" or U+FF0B), then digits in
// `base` (0 chooses by prefix: 0x hexadecimal, 0b binary, a leading 0 octal unless
// `octalOff`, else decimal; 2-35 read directly). At most 8 hexadecimal, 32 binary, 11 octal,
// 10 decimal or 32 other digits are taken (16, 64, 21, 19, 64 in the 64-bit form); the
// value is cut to the form's width. `end`, when given, receives the first unit not taken.
// `text` is NUL-terminated.
std::int32_t ParseNumberWide(const char16_t* text, const char16_t** end, int base, bool octalOff);
std::int64_t ParseNumber64Wide(const char16_t* text, const char16_t** end, int base, bool octalOff);

class GxINIFile {
public:
    GxINIFile() = default;
    virtual ~GxINIFile() = default;

    // Empties the map and reads the file; false (logged unless quiet) when it cannot be read.
    bool Parse(const std::u16string& fileName, bool quiet = false);
    // Empties the map and reads KEY=VALUE lines from 8-bit text, up to its first NUL.
    void ParseText(std::string_view text);

    std::u16string GetString(const std::u16string& key, const std::u16string& defaultValue) const;
    // A value that is not a number reads as 0; the default is only for a missing key.
    std::int32_t GetInt(const std::u16string& key, std::int32_t defaultValue) const;
    std::int64_t GetInt64(const std::u16string& key, std::int64_t defaultValue) const;
    // True when the value, read as a decimal integer, is above 0.
    bool GetBool(const std::u16string& key, bool defaultValue) const;

    bool HasKey(const std::u16string& key) const { return m_Entries.count(key) != 0; }

private:
    std::map<std::u16string, std::u16string> m_Entries;   // keys compare with case
};
