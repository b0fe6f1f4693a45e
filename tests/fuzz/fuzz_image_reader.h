// The body shared by the image-reader fuzz targets: one reader, header alone and whole image,
// then the resampling and mip code over what it decoded.
#pragma once

#include "platform/d3d9/image_decode.h"
#include "platform/d3d9/image_transform.h"

#include <cstddef>
#include <cstdint>

template <typename Reader>
int FuzzImageReader(const std::uint8_t* data, std::size_t size, Reader read)
{
    using namespace platform::d3dx;
    const ByteView file{data, size};
    ImageHeader header;
    read(file, header, nullptr);
    ArgbImage image;
    if (!read(file, header, &image.pixels)) return 0;
    image.width = header.width;
    image.height = header.height;
    if (image.pixels.size() > (1u << 16)) return 0;   // the transforms are cheap to cover on small images
    ArgbImage resized, half;
    ResizeImage(image, image.width / 2 + 3, image.height + 1, D3DX_FILTER_TRIANGLE, resized);
    HalveImage(image, half);
    return 0;
}
