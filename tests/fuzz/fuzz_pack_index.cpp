// Fuzz target: the pack header and index reader, then a lookup and a read of every entry.
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
    }
    std::remove(nativePath.c_str());
    return 0;
}
