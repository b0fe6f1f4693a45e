// Fuzz target: a bitmap font, its image and its ".fmp" table. The first two bytes give the
// image's length (little-endian); the image follows, then the table.
#include "graphics/font_data.h"
#include "graphics/graphics.h"

#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

bool StartGraphics()
{
    platform::SetMessageBoxHeadless(true);
    platform::d3d9::SetVirtualAdapter(platform::d3d9::DefaultVirtualAdapter());
    return GxGraphics::CreateDevice(reinterpret_cast<HWND>(std::uintptr_t(0x2345)), nullptr, nullptr, nullptr);
}

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    if (size) std::fwrite(data, 1, size, file);
    return std::fclose(file) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = StartGraphics();
    if (!started || size < 2) return 0;
    std::size_t imageSize = std::size_t(data[0]) | (std::size_t(data[1]) << 8);
    if (imageSize > size - 2) imageSize = size - 2;
    static const std::string stem = "/tmp/tarnwick_fuzz_font_" + std::to_string(getpid());
    const std::string image = stem + ".png";
    const std::string table = stem + ".fmp";
    if (WriteFile(image, data + 2, imageSize) && WriteFile(table, data + 2 + imageSize, size - 2 - imageSize)) {
        GxFontData font;
        if (font.CreateFromFile(std::u16string(table.begin(), table.end()), std::u16string(image.begin(), image.end()))) {
            float uv[4];
            for (char16_t code : {u'\0', u'A', u'z', u'\u3042', char16_t(font.GetFirstCode()), char16_t(font.GetLastCode())})
                font.GetCharUV(uv, code);
            font.GetTextWidth(u"Az\u3042");
            font.GetName();
        }
    }
    std::remove(image.c_str());
    std::remove(table.c_str());
    return 0;
}
