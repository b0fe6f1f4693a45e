// The engine's executable names no FFmpeg library among the shared libraries it needs: FFmpeg
// brings over a hundred libraries with it, which would all load at every start of the engine,
// and is opened instead when a movie or a sound's rate conversion first needs it.
#include <gtest/gtest.h>

#include <elf.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A plain copy of a record at `offset`, false when it would run past the file.
template <typename Record>
bool ReadElfRecord(const std::vector<char>& file, std::uint64_t offset, Record* record)
{
    if (offset > file.size() || file.size() - offset < sizeof(Record)) return false;
    std::memcpy(record, file.data() + offset, sizeof(Record));
    return true;
}

// The DT_NEEDED names of a 64-bit ELF file's dynamic section; false with `error` set when the
// file cannot be read or is not such a file.
bool ReadNeededLibraries(const std::string& path, std::vector<std::string>* needed, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Elf64_Ehdr header{};
    if (!ReadElfRecord(file, 0, &header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr)) {
        *error = "not a 64-bit ELF file: " + path;
        return false;
    }
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (!ReadElfRecord(file, header.e_shoff + i * sizeof(Elf64_Shdr), &sections[i])) {
            *error = "section table runs past the file";
            return false;
        }
    }
    for (const Elf64_Shdr& dynamic : sections) {
        if (dynamic.sh_type != SHT_DYNAMIC) continue;
        if (dynamic.sh_link >= sections.size()) {
            *error = "dynamic section names no string table";
            return false;
        }
        const Elf64_Shdr& strings = sections[dynamic.sh_link];
        for (std::uint64_t at = 0; at + sizeof(Elf64_Dyn) <= dynamic.sh_size; at += sizeof(Elf64_Dyn)) {
            Elf64_Dyn entry{};
            if (!ReadElfRecord(file, dynamic.sh_offset + at, &entry)) {
                *error = "dynamic section runs past the file";
                return false;
            }
            if (entry.d_tag == DT_NULL) break;
            if (entry.d_tag != DT_NEEDED) continue;
            const std::uint64_t start = strings.sh_offset + entry.d_un.d_val;
            if (entry.d_un.d_val >= strings.sh_size || start >= file.size()) {
                *error = "needed name outside the string table";
                return false;
            }
            const char* name = file.data() + start;
            needed->emplace_back(name, strnlen(name, file.size() - start));
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
