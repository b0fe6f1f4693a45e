// The fuzz input as the engine's own byte buffer, for the targets that decode saved files from
// memory. False for inputs too large to be a saved file (1 MiB) or when the buffer cannot be had.
#pragma once

#include "foundation/bin_buffer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

inline bool FuzzBytes(const std::uint8_t* data, std::size_t size, GxBinBuffer& bytes)
{
    if (size > 1u << 20)
        return false;
    if (size != 0 && bytes.Allocate(static_cast<std::uint32_t>(size)) == nullptr)
        return false;
    if (size != 0)
        std::memcpy(bytes.GetData(), data, size);
    return true;
}
