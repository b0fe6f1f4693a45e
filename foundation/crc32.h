// CRC-32 of IEEE 802.3 (reflected polynomial 0xEDB88320, initial all ones, final complement).
#pragma once

#include <cstddef>
#include <cstdint>

// 0 for an empty (or null) buffer.
std::uint32_t GxCalcCRC32(const void* bytes, std::size_t length);
