// The engine's executable names no FFmpeg library among the shared libraries it needs: FFmpeg
// brings over a hundred libraries with it, which would all load at every start of the engine,
// and is opened instead when a movie or a sound's rate conversion first needs it.
#include <gtest/gtest.h>

#include <elf.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Reads `size` bytes at `offset`; false when they run past the file. The executable of a
// sanitizer build is large, so only the records the look-up needs are read.
bool ReadElfBytes(std::ifstream& in, std::uint64_t fileSize, std::uint64_t offset, void* out, std::uint64_t size)
{
    if (offset > fileSize || fileSize - offset < size) return false;
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
    return static_cast<std::uint64_t>(in.gcount()) == size;
}

// The DT_NEEDED names of a 64-bit ELF file's dynamic section; false with `error` set when the
// file cannot be read or is not such a file.
bool ReadNeededLibraries(const std::string& path, std::vector<std::string>* needed, std::string* error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const auto fileSize = static_cast<std::uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    Elf64_Ehdr header{};
    if (!ReadElfBytes(in, fileSize, 0, &header, sizeof(header)) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr)) {
        *error = "not a 64-bit ELF file: " + path;
        return false;
    }
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!ReadElfBytes(in, fileSize, header.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr))) {
        *error = "section table runs past the file";
        return false;
    }
    for (const Elf64_Shdr& dynamic : sections) {
        if (dynamic.sh_type != SHT_DYNAMIC) continue;
        if (dynamic.sh_link >= sections.size()) {
            *error = "dynamic section names no string table";
            return false;
        }
        const Elf64_Shdr& table = sections[dynamic.sh_link];
        std::vector<Elf64_Dyn> entries(dynamic.sh_size / sizeof(Elf64_Dyn));
        std::string strings(table.sh_size, '\0');
        if (!ReadElfBytes(in, fileSize, dynamic.sh_offset, entries.data(), entries.size() * sizeof(Elf64_Dyn)) ||
            !ReadElfBytes(in, fileSize, table.sh_offset, strings.data(), strings.size())) {
            *error = "dynamic section or its strings run past the file";
            return false;
        }
        for (const Elf64_Dyn& entry : entries) {
            if (entry.d_tag == DT_NULL) break;
            if (entry.d_tag != DT_NEEDED) continue;
            if (entry.d_un.d_val >= strings.size()) {
                *error = "needed name outside the string table";
                return false;
            }
            needed->emplace_back(strings.c_str() + entry.d_un.d_val);
        }
        return true;
    }
    *error = "no dynamic section";
    return false;
}

TEST(ExecutableLibrariesTest, FfmpegIsNotAmongTheNeededLibraries)
{
    std::vector<std::string> needed;
    std::string error;
    ASSERT_TRUE(ReadNeededLibraries(TW_TARNWICK, &needed, &error)) << error;
    // The reader finds what the executable does need, so an empty list cannot pass for a clean one.
    bool hasLibc = false;
    for (const std::string& name : needed) {
        hasLibc = hasLibc || name.rfind("libc.so", 0) == 0;
        for (const char* ffmpeg : {"libavformat", "libavcodec", "libswscale", "libswresample", "libavutil"})
            EXPECT_NE(name.rfind(ffmpeg, 0), 0U) << "tarnwick needs " << name << " at start-up";
    }
    EXPECT_TRUE(hasLibc);
}

}  // namespace
