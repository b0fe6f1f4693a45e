// libpng reports errors by longjmp: the functions that call it hold only plain data, and what
// must be freed is owned by their callers' state.
#include "graphics/png_image.h"

#include "foundation/log.h"
#include "platform/d3d9/image_decode.h"
#include "platform/win32/file.h"

#include <png.h>
#include <zlib.h>

#include <unistd.h>

#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kErrorLength = 200;

struct PngWriteState {
    std::FILE* file = nullptr;
    const std::uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    char error[kErrorLength] = {};
};

void OnError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(error, kErrorLength, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

bool RunWrite(png_structp png, png_infop info, PngWriteState& state)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, state.file);
    png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    png_set_compression_mem_level(png, 9);
    png_set_IHDR(png, info, state.width, state.height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant{};
    significant.red = significant.green = significant.blue = significant.alpha = 8;
    png_set_sBIT(png, info, &significant);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, state.rows);
    png_write_end(png, nullptr);
    return true;
}

std::string TemporaryName(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
}

}  // namespace

std::uint8_t* DecodePngMemory(const void* data, std::size_t size, std::uint32_t* width, std::uint32_t* height)
{
    if (width) *width = 0;
    if (height) *height = 0;
    if (!data || size == 0) return nullptr;

    // One PNG reader for the whole engine: the texture loader's, with its bounds on the size
    // and on what libpng may allocate.
    platform::d3dx::ImageHeader header;
    std::vector<std::uint32_t> argb;
    if (!platform::d3dx::ReadPng({static_cast<const std::uint8_t*>(data), size}, header, &argb)) {
        LogPrintDebug(u"PNG decode failed\n");
        return nullptr;
    }
    const std::size_t bytes = argb.size() * 4;
    if (bytes == 0 || bytes > kPngMaxImageBytes) return nullptr;
    auto* pixels = static_cast<std::uint8_t*>(std::malloc(bytes));
    if (!pixels) {
        LogPrintDebug(u"PNG decode failed: out of memory\n");
        return nullptr;
    }
    // Pixels 0xAARRGGBB stored little-endian are the bytes blue, green, red, alpha.
    for (std::size_t i = 0; i < argb.size(); ++i) {
        const std::uint32_t p = argb[i];
        pixels[i * 4 + 0] = std::uint8_t(p);
        pixels[i * 4 + 1] = std::uint8_t(p >> 8);
        pixels[i * 4 + 2] = std::uint8_t(p >> 16);
        pixels[i * 4 + 3] = std::uint8_t(p >> 24);
    }
    if (width) *width = header.width;
    if (height) *height = header.height;
    return pixels;
}

int WritePngFile(const char16_t* path, std::uint32_t width, std::uint32_t height, const void* pixels)
{
    if (!path || !pixels || width == 0 || height == 0) return 0;
    const std::string target = platform::ResolvePath(path, true);
    const std::string temporary = TemporaryName(target);

    PngWriteState state;
    state.pixels = static_cast<const std::uint8_t*>(pixels);
    state.width = width;
    state.height = height;
    state.file = std::fopen(temporary.c_str(), "wb");
    if (!state.file) return 0;
    state.rows = static_cast<png_bytep*>(std::calloc(height, sizeof(png_bytep)));

    bool ok = false;
    png_structp png =
        state.rows ? png_create_write_struct(PNG_LIBPNG_VER_STRING, state.error, OnError, OnWarning) : nullptr;
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info) {
        // libpng only reads the rows; its interface just lacks const.
        for (std::uint32_t y = 0; y < height; ++y)
            state.rows[y] = const_cast<png_bytep>(state.pixels + std::size_t(y) * width * 4);
        ok = RunWrite(png, info, state);
    }
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    std::free(state.rows);

    // A full disk may show only when the buffered tail is written.
    if (std::fclose(state.file) != 0) ok = false;
    if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) ok = false;
    platform::ForgetFolderListing(target);
    if (!ok) {
        std::remove(temporary.c_str());
        LogPrintDebug(u"PNG write failed: %S\n", state.error[0] ? state.error : "cannot finish the file");
    }
    return ok ? 1 : 0;
}

void FreePngPixels(void* pixels)
{
    std::free(pixels);
}
