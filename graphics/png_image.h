// PNG images through libpng, for the blended textures and the save thumbnails.
//
// The engine-side image: width x height pixels of 4 bytes each in the order blue, green, red,
// alpha (0xAARRGGBB read little-endian), rows top to bottom with no padding.
// Neither routine writes the error log: callers name the failing file there. The library's
// reason goes to the debug log.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest image DecodePngMemory accepts, in bytes of output (64 Mi pixels).
constexpr std::size_t kPngMaxImageBytes = std::size_t(1) << 28;

// Decodes a PNG held in memory (through the D3DX image reader, the engine's one PNG reader)
// into a block from the runtime heap (free it with FreePngPixels). `width` and `height` are set
// to 0 first and receive the size on success. Null for null or empty data, a missing
// signature, a damaged or cut-short file, or an image larger than kPngMaxImageBytes.
std::uint8_t* DecodePngMemory(const void* data, std::size_t size, std::uint32_t* width, std::uint32_t* height);

// Writes 8-bit RGBA with an sBIT chunk. The file is written under a temporary name and renamed
// into place, so a failure leaves no partial file and keeps an older file of that name.
// Returns 1 on success, 0 on failure.
int WritePngFile(const char16_t* path, std::uint32_t width, std::uint32_t height, const void* pixels);

// Frees what DecodePngMemory returned; nothing for null.
void FreePngPixels(void* pixels);
