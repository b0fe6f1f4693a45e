#include "platform/d3d9/image_decode.h"

#include "platform/win32/system_info.h"

#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace platform::d3dx {

namespace {

using Reader = bool (*)(ByteView, ImageHeader&, std::vector<std::uint32_t>*);

bool StartsWith(ByteView file, const char* signature, std::size_t length)
{
    return file.size >= length && std::memcmp(file.data, signature, length) == 0;
}

Reader PickReader(ByteView file)
{
    if (StartsWith(file, "\x89PNG\r\n\x1a\n", 8)) return ReadPng;
    if (StartsWith(file, "\xFF\xD8\xFF", 3)) return ReadJpeg;
    if (StartsWith(file, "DDS ", 4)) return ReadDds;
    if (StartsWith(file, "BM", 2)) return ReadBmp;
    return ReadTga;
}

}  // namespace

void Trace(const char* format, ...)
{
    char text[512];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // Library messages may carry any byte: keep ASCII only.
    std::u16string wide = u"D3DX: ";
    for (const char* p = text; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        wide.push_back(c < 0x80 ? static_cast<char16_t>(c) : u'?');
    }
    wide.push_back(u'\n');
    OutputDebugStringW(wide.c_str());
}

bool IsAcceptableSize(std::uint64_t width, std::uint64_t height)
{
    if (width == 0 || height == 0) {
        Trace("image has no pixels (%llux%llu)", static_cast<unsigned long long>(width),
              static_cast<unsigned long long>(height));
        return false;
    }
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
        Trace("image of %llux%llu is too large", static_cast<unsigned long long>(width),
              static_cast<unsigned long long>(height));
        return false;
    }
    return true;
}

bool AllocatePixels(std::vector<std::uint32_t>& pixels, std::uint32_t width, std::uint32_t height)
{
    try {
        pixels.assign(std::size_t(width) * std::size_t(height), 0u);
    } catch (const std::bad_alloc&) {
        Trace("out of memory for a %ux%u image", width, height);
        return false;
    }
    return true;
}

MaskChannel::MaskChannel(std::uint32_t mask) : m_Mask(mask)
{
    if (mask == 0) return;
    m_Shift = std::countr_zero(mask);
    m_Max = (std::uint64_t(1) << std::bit_width(mask >> m_Shift)) - 1;
}

std::uint32_t MaskChannel::Extract(std::uint32_t pixel, std::uint32_t absent) const
{
    if (m_Mask == 0) return absent;
    const std::uint64_t value = (pixel & m_Mask) >> m_Shift;
    return static_cast<std::uint32_t>((value * 255 + m_Max / 2) / m_Max);
}

bool ReadImageHeader(ByteView file, ImageHeader& header)
{
    header = ImageHeader{};
    if (!file.data || file.size == 0) {
        Trace("no image data");
        return false;
    }
    return PickReader(file)(file, header, nullptr);
}

bool DecodeImage(ByteView file, DecodedImage& image)
{
    image = DecodedImage{};
    if (!file.data || file.size == 0) {
        Trace("no image data");
        return false;
    }
    if (!PickReader(file)(file, image.header, &image.argb)) {
        image.argb.clear();
        return false;
    }
    return true;
}

}  // namespace platform::d3dx
