#include "foundation/crc32.h"

#include <array>

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t GxCalcCRC32(const void* bytes, std::size_t length)
{
    if (!bytes || length == 0) return 0;
    const std::uint8_t* p = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) crc = kTable[(crc ^ p[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}
