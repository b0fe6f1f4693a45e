// libpng reports errors by longjmp: the functions that call it hold only plain data, and what
// must be freed is owned by their callers' state.
#include "graphics/png_image.h"

#include "foundation/log.h"
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

namespace {

constexpr std::size_t kErrorLength = 200;

struct PngDecodeState {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    std::uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    char error[kErrorLength] = {};
};

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

void OnRead(png_structp png, png_bytep out, std::size_t count)
{
    auto* state = static_cast<PngDecodeState*>(png_get_io_ptr(png));
    if (count > state->size - state->position) png_error(png, "read past the end of the data");
    std::memcpy(out, state->data + state->position, count);
    state->position += count;
}

bool RunDecode(png_structp png, png_infop info, PngDecodeState& state)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &state, OnRead);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);

    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand(png);
    if (depth > 8) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    // The block size is checked before anything is allocated: a forged header must not
    // produce a block smaller than the rows written into it.
    if (width == 0 || height == 0 || std::size_t(height) > kPngMaxImageBytes / 4 / std::size_t(width)) {
        std::snprintf(state.error, kErrorLength, "image of %ux%u is too large", unsigned(width), unsigned(height));
        return false;
    }
    const std::size_t rowBytes = std::size_t(width) * 4;
    if (png_get_rowbytes(png, info) != rowBytes) {
        std::snprintf(state.error, kErrorLength, "rows do not convert to 32 bits");
        return false;
    }
    state.pixels = static_cast<std::uint8_t*>(std::calloc(height, rowBytes));
    state.rows = static_cast<png_bytep*>(std::calloc(height, sizeof(png_bytep)));
    if (!state.pixels || !state.rows) {
        std::snprintf(state.error, kErrorLength, "out of memory");
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y) state.rows[y] = state.pixels + std::size_t(y) * rowBytes;
    png_read_image(png, state.rows);
    std::free(state.rows);
    state.rows = nullptr;
    png_read_end(png, nullptr);
    state.width = width;
    state.height = height;
    return true;
}

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
    if (size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;

    PngDecodeState state;
    state.data = static_cast<const std::uint8_t*>(data);
    state.size = size;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state.error, OnError, OnWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    const bool ok = RunDecode(png, info, state);
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(state.rows);
    if (!ok) {
        std::free(state.pixels);
        LogPrintDebug(u"PNG decode failed: %S\n", state.error);
        return nullptr;
    }
    if (width) *width = state.width;
    if (height) *height = state.height;
    return state.pixels;
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
