// Fuzz target: the pack header and index reader, then every entry read through the engine's
// file access (a handle read in pieces and sought, and the whole-file read).
#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/file_handle.h"
#include "foundation/pack_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::u16string TempPackPath()
{
    static const std::string path = "/tmp/tarnwick_fuzz_pack_" + std::to_string(getpid()) + ".gxp";
    return std::u16string(path.begin(), path.end());
}

void ReadEntry(const std::u16string& name)
{
    GxFileHandle handle;
    if (handle.Open(name)) {
        char piece[97];
        std::uint64_t total = 0;
        while (std::uint32_t got = handle.Read(piece, sizeof piece)) {
            total += got;
            if (total > handle.GetSize()) __builtin_trap();   // never past the entry
        }
        handle.Seek(-3, 2);
        handle.Read(piece, sizeof piece);
        handle.Seek(1, 0);
        handle.Read(piece, 1);
    }
    GxBinBuffer whole;
    GxFile::ReadWholeFile(whole, name, false, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string path = TempPackPath();
    const std::string nativePath(path.begin(), path.end());
    std::FILE* file = std::fopen(nativePath.c_str(), "wb");
    if (!file) return 0;
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    GxPackFileHeaderCache pack;
    if (pack.Load(path)) {
        pack.Find(u"system/sysconf.ini");
        pack.Find(u"A\\B.TXT");
        if (GxFile::AddPackFile(path)) {
            // Names that a loose file shadows (absolute paths, devices) are the disk's, not the pack's.
            for (std::size_t i = 0; i < pack.GetEntryCount() && i < 64; ++i) {
                const std::u16string& name = pack.GetEntry(i).m_Name;
                if (FileExists(name) == kFileInPack) ReadEntry(name);
            }
            GxFile::ReleasePacks();
        }
    }
    std::remove(nativePath.c_str());
    return 0;
}
