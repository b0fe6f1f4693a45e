// Fuzz target: the BMP reader of the D3DX image functions, header alone and whole image, then
// the resampling and mip code over what it decoded.
#include "platform/d3d9/image_decode.h"
#include "platform/d3d9/image_transform.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace platform::d3dx;
    const ByteView file{data, size};
    ImageHeader header;
    ReadBmp(file, header, nullptr);
    ArgbImage image;
    if (!ReadBmp(file, header, &image.pixels)) return 0;
    image.width = header.width;
    image.height = header.height;
    if (image.pixels.size() > (1u << 16)) return 0;   // the transforms are cheap to cover on small images
    ArgbImage resized, half;
    ResizeImage(image, image.width / 2 + 3, image.height + 1, D3DX_FILTER_TRIANGLE, resized);
    HalveImage(image, half);
    return 0;
}
