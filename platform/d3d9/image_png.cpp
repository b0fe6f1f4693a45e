// PNG through libpng: reading from memory and writing a file that appears only when whole.
//
// libpng reports errors by longjmp, so the functions that call it keep no C++ objects of their
// own: what must be freed lives in the caller's frame.
#include "platform/d3d9/image_decode.h"

#include <png.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace platform::d3dx {

namespace {

// What libpng may hold at once while reading: row buffers, the inflate window, PLTE and tRNS.
// The image itself is ours and bounded by the size limits.
constexpr png_alloc_size_t kPngChunkMax = 1 << 20;
constexpr std::size_t kPngLibraryBudget = std::size_t(16) << 20;

// Counts libpng's allocations, so that no chunk header can make it reserve what the file
// cannot fill.
struct PngMemory {
    std::size_t current = 0;
    std::size_t peak = 0;
};

// Each block starts with its size, so that freeing can subtract it.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

png_voidp OnPngAlloc(png_structp png, png_alloc_size_t size)
{
    auto* memory = static_cast<PngMemory*>(png_get_mem_ptr(png));
    if (size > kPngLibraryBudget - memory->current) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(kBlockHeader + size));
    if (!block) return nullptr;
    std::memcpy(block, &size, sizeof size);
    memory->current += size;
    memory->peak = std::max(memory->peak, memory->current);
    return block + kBlockHeader;
}

void OnPngFree(png_structp png, png_voidp pointer)
{
    if (!pointer) return;
    auto* block = static_cast<unsigned char*>(pointer) - kBlockHeader;
    png_alloc_size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    static_cast<PngMemory*>(png_get_mem_ptr(png))->current -= size;
    std::free(block);
}

// The ancillary chunks libpng knows but the engine never reads: skipped unread, never stored.
constexpr png_byte kIgnoredChunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0"
                                      "sPLT\0sRGB\0tEXt\0tIME\0zTXt";

void BoundChunks(png_structp png)
{
    png_set_chunk_malloc_max(png, kPngChunkMax);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, int(sizeof kIgnoredChunks / 5));
}

struct PngReadState {
    ByteView file;
    std::size_t position = 0;
    ImageHeader* header = nullptr;
    std::vector<std::uint32_t>* pixels = nullptr;
    std::vector<png_bytep> rows;
    char error[200] = {};
};

void OnPngError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<char*>(png_get_error_ptr(png));
    std::snprintf(error, sizeof PngReadState::error, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngRead(png_structp png, png_bytep out, std::size_t count)
{
    auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (count > state->file.size - state->position) png_error(png, "unexpected end of data");
    std::memcpy(out, state->file.data + state->position, count);
    state->position += count;
}

void FillHeader(ImageHeader& header, png_uint_32 width, png_uint_32 height, int depth, int colorType, bool hasTrns)
{
    header.width = width;
    header.height = height;
    header.mipLevels = 1;
    header.fileFormat = D3DXIFF_PNG;
    header.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
    if (depth == 16)
        header.format = D3DFMT_A16B16G16R16;
    else if (colorType == PNG_COLOR_TYPE_PALETTE)
        header.format = D3DFMT_P8;
    else if ((colorType & PNG_COLOR_MASK_COLOR) == 0)
        header.format = header.hasAlpha ? D3DFMT_A8L8 : D3DFMT_L8;
    else
        header.format = header.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

bool AllocateRows(PngReadState& state, std::uint32_t width, std::uint32_t height)
{
    try {
        state.rows.resize(height);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto* base = reinterpret_cast<png_bytep>(state.pixels->data());
    for (std::uint32_t y = 0; y < height; ++y) state.rows[y] = base + std::size_t(y) * width * 4;
    return true;
}

// Returns false with `state.error` set by libpng, or with the reason already traced.
bool RunPngRead(png_structp png, png_infop info, PngReadState& state)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &state, OnPngRead);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    BoundChunks(png);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    FillHeader(*state.header, width, height, depth, colorType, hasTrns);
    if (!IsAcceptableSize(width, height)) return false;
    if (!state.pixels) return true;

    // Every layout ends as bytes blue, green, red, alpha: one little-endian 0xAARRGGBB.
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand(png);
    if (depth > 8) png_set_strip_16(png);
    if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4) {
        Trace("PNG rows do not convert to 32 bits");
        return false;
    }
    if (!AllocatePixels(*state.pixels, width, height) || !AllocateRows(state, width, height)) return false;
    png_read_image(png, state.rows.data());
    png_read_end(png, nullptr);
    return true;
}

struct PngWriteState {
    std::FILE* file = nullptr;
    const std::uint32_t* argb = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool withAlpha = true;
    std::vector<png_bytep> rows;
    char error[200] = {};
};

bool RunPngWrite(png_structp png, png_infop info, PngWriteState& state)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, state.file);
    png_set_IHDR(png, info, state.width, state.height, 8,
                 state.withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    // Writing, the filler is the byte to drop.
    if (!state.withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, state.rows.data());
    png_write_end(png, nullptr);
    return true;
}

std::string TemporaryName(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
}

}  // namespace

bool ReadPng(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels)
{
    return ReadPngCounted(file, header, pixels, nullptr);
}

bool ReadPngCounted(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels, std::size_t* libraryPeak)
{
    if (libraryPeak) *libraryPeak = 0;
    if (file.size < 8 || png_sig_cmp(file.data, 0, 8) != 0) {
        Trace("not a PNG file");
        return false;
    }
    PngReadState state;
    state.file = file;
    state.header = &header;
    state.pixels = pixels;
    PngMemory memory;
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, state.error, OnPngError, OnPngWarning,
                                               &memory, OnPngAlloc, OnPngFree);
    if (!png) {
        Trace("PNG reader could not be created");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        Trace("PNG reader could not be created");
        return false;
    }
    const bool ok = RunPngRead(png, info, state);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok && state.error[0]) Trace("PNG: %s", state.error);
    if (libraryPeak) *libraryPeak = memory.peak;
    return ok;
}

bool WritePng(const char* nativePath, const std::uint32_t* argb, std::uint32_t width, std::uint32_t height,
              bool withAlpha)
{
    if (!nativePath || !argb || width == 0 || height == 0) {
        Trace("PNG: nothing to write");
        return false;
    }
    PngWriteState state;
    state.argb = argb;
    state.width = width;
    state.height = height;
    state.withAlpha = withAlpha;
    try {
        state.rows.resize(height);
    } catch (const std::bad_alloc&) {
        Trace("PNG: out of memory");
        return false;
    }
    for (std::uint32_t y = 0; y < height; ++y)
        state.rows[y] = reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(argb + std::size_t(y) * width));

    const std::string path = nativePath;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temporary = TemporaryName(path);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        Trace("PNG: cannot create \"%s\": %s", path.c_str(), std::strerror(errno));
        return false;
    }
    state.file = ::fdopen(fd, "wb");
    if (!state.file) {
        ::close(fd);
        ::unlink(temporary.c_str());
        Trace("PNG: cannot open a stream for \"%s\"", path.c_str());
        return false;
    }

    bool ok = false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state.error, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png && info) ok = RunPngWrite(png, info, state);
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!ok) Trace("PNG: writing \"%s\" failed: %s", path.c_str(), state.error[0] ? state.error : "no memory");

    // A full disk may show only when the buffered tail is written.
    if (std::fflush(state.file) != 0) ok = false;
    if (std::fclose(state.file) != 0) ok = false;
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        Trace("PNG: cannot rename into \"%s\": %s", path.c_str(), std::strerror(errno));
        ok = false;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace platform::d3dx
