// Builds pack archives for tests in the layout the engine reads: a 48-byte header, the index
// and the data area, optionally scrambled, with 8-bit (code page 932) or UTF-16LE names.
// The engine has no pack writer; this one keeps its own copy of the scrambling so that the
// reader is checked against an independent implementation.
#pragma once

#include "platform/win32/win_types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TestPackBuilder {
public:
    static constexpr std::uint64_t kDefaultFileTime = 0x01DA0A0B0C0D0E0Full;

    struct Image {
        std::vector<BYTE> bytes;
        std::vector<std::size_t> entryOffsets;   // file offset of each index entry
        std::vector<std::size_t> dataOffsets;    // file offset of each entry's data
        std::uint64_t dataStart = 0;
    };

    TestPackBuilder& SetScrambled(bool scrambled);
    TestPackBuilder& SetWideNames(bool wideNames);
    // Names are written exactly as given (no case or separator change).
    TestPackBuilder& Add(std::u16string name, std::vector<BYTE> data, std::uint64_t fileTime = kDefaultFileTime);
    TestPackBuilder& Add(std::u16string name, std::string_view text, std::uint64_t fileTime = kDefaultFileTime);

    // The layout with the header's flags set but nothing scrambled yet, so that tests can
    // damage fields at known offsets; ScrambleImage then scrambles it as built.
    Image BuildUnscrambled() const;
    void ScrambleImage(Image& image) const;
    Image Build() const;
    bool Write(const std::string& path) const;

    // The reference transform: byte p ^= (p & 0xFF) ^ key[p % 23].
    static void Scramble(BYTE* bytes, std::size_t length, std::uint32_t position);

private:
    struct Entry {
        std::u16string name;
        std::vector<BYTE> data;
        std::uint64_t fileTime;
    };
    std::vector<Entry> m_Entries;
    bool m_Scrambled = false;
    bool m_WideNames = false;
};

// Little-endian field writers for damaging images, and a whole-file writer.
void PutU32(std::vector<BYTE>& bytes, std::size_t offset, std::uint32_t value);
void PutU64(std::vector<BYTE>& bytes, std::size_t offset, std::uint64_t value);
bool WriteBytesToFile(const std::string& path, const std::vector<BYTE>& bytes);
