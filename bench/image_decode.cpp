// Decoding a 1024x768 PNG and JPEG into a texture through the D3DX image functions, beside
// the plain library decode of the same file into a BGRA buffer. The ratio of each pair is the
// cost the engine's path adds (placement into the 1024x1024 texture, format conversion).
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3dx_image.h"
#include "tests/support/image_fixtures.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <memory>
#include <vector>

namespace {

const TestImage& Picture()
{
    static const TestImage picture = TestImage::Scene(1024, 768);
    return picture;
}

const ImageBytes& PngFile()
{
    static const ImageBytes file = BuildPng(PngSpecRgb8(Picture()));
    return file;
}

const ImageBytes& JpegFile()
{
    static const ImageBytes file = BuildJpeg(Picture(), 90, false);
    return file;
}

IDirect3DDevice9* Device()
{
    static IDirect3DDevice9* device = [] {
        IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 64;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        parameters.hDeviceWindow = reinterpret_cast<HWND>(0x1);   // headless: no window lookup
        IDirect3DDevice9* created = nullptr;
        if (direct3d)
            direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, parameters.hDeviceWindow,
                                   D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &created);
        return created;
    }();
    return device;
}

void IntoTexture(benchmark::State& state, const ImageBytes& file)
{
    IDirect3DDevice9* device = Device();
    if (!device) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        IDirect3DTexture9* texture = nullptr;
        const HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
            device, file.data(), UINT(file.size()), 1024, 1024, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
            D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
        if (FAILED(result)) {
            state.SkipWithError("texture load failed");
            return;
        }
        texture->Release();
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

void BM_PngLibraryDecode(benchmark::State& state)
{
    const ImageBytes& file = PngFile();
    for (auto _ : state) {
        // A fresh block per decode, as a caller that keeps the picture needs.
        std::unique_ptr<png_byte[]> pixels(new png_byte[1024 * 768 * 4]);
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
            state.SkipWithError("libpng refused the file");
            return;
        }
        image.format = PNG_FORMAT_BGRA;
        png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

void BM_PngIntoTexture(benchmark::State& state)
{
    IntoTexture(state, PngFile());
}

void BM_JpegLibraryDecode(benchmark::State& state)
{
    const ImageBytes& file = JpegFile();
    for (auto _ : state) {
        std::unique_ptr<JSAMPLE[]> pixels(new JSAMPLE[1024 * 768 * 4]);
        jpeg_decompress_struct decoder{};
        jpeg_error_mgr errors{};
        decoder.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&decoder);
        jpeg_mem_src(&decoder, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&decoder, TRUE);
        decoder.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&decoder);
        while (decoder.output_scanline < decoder.output_height) {
            JSAMPROW row = pixels.get() + std::size_t(decoder.output_scanline) * 1024 * 4;
            jpeg_read_scanlines(&decoder, &row, 1);
        }
        jpeg_finish_decompress(&decoder);
        jpeg_destroy_decompress(&decoder);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}

void BM_JpegIntoTexture(benchmark::State& state)
{
    IntoTexture(state, JpegFile());
}

}  // namespace

BENCHMARK(BM_PngLibraryDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngIntoTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegIntoTexture)->Unit(benchmark::kMillisecond);
