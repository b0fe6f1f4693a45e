// The movie renderer's frame upload: DoRenderSample (lock the back texture, convert the RGB24
// rows, unlock, flip) of one frame, at 640x480 and 1024x768, into A8R8G8B8 (21) and A1R5G5B5
// (25) movie textures on the headless device. Each case also reports "x_memcpy": its fastest
// iteration over the fastest memcpy of the destination's bytes (width x height x texel size)
// measured in the same run.
#include "graphics/texture_movie.h"
#include "media/movie_renderer.h"
#include "tests/support/test_device.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A sample over a buffer of its own; nothing else of it is used by the renderer.
class FrameSample final : public IMediaSample {
public:
    FrameSample(LONG width, LONG height) : m_Bytes(static_cast<std::size_t>(((width * 3 + 3) & ~3) * height))
    {
        for (std::size_t i = 0; i < m_Bytes.size(); ++i) m_Bytes[i] = static_cast<BYTE>(i * 31 + 7);
    }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetPointer(BYTE** buffer) override
    {
        *buffer = m_Bytes.data();
        return S_OK;
    }
    LONG GetSize() override { return static_cast<LONG>(m_Bytes.size()); }
    HRESULT GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return VFW_E_SAMPLE_TIME_NOT_SET; }
    HRESULT SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return S_OK; }
    HRESULT IsSyncPoint() override { return S_OK; }
    HRESULT SetSyncPoint(BOOL) override { return S_OK; }
    HRESULT IsPreroll() override { return S_FALSE; }
    HRESULT SetPreroll(BOOL) override { return S_OK; }
    LONG GetActualDataLength() override { return GetSize(); }
    HRESULT SetActualDataLength(LONG) override { return S_OK; }
    HRESULT GetMediaType(AM_MEDIA_TYPE** type) override
    {
        *type = nullptr;
        return S_FALSE;
    }
    HRESULT SetMediaType(AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT IsDiscontinuity() override { return S_FALSE; }
    HRESULT SetDiscontinuity(BOOL) override { return S_OK; }
    HRESULT GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
    HRESULT SetMediaTime(LONGLONG*, LONGLONG*) override { return S_OK; }

private:
    std::vector<BYTE> m_Bytes;
};

TestDevice& Device()
{
    static TestDevice device;
    return device;
}

double MemcpySeconds(std::size_t bytes)
{
    std::vector<BYTE> from(bytes, 1);
    std::vector<BYTE> to(bytes, 0);
    double best = 1e9;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void BM_render_sample(benchmark::State& state)
{
    const LONG width = static_cast<LONG>(state.range(0));
    const LONG height = static_cast<LONG>(state.range(1));
    const auto format = static_cast<D3DFORMAT>(state.range(2));
    if (!Device().Created()) {
        state.SkipWithError("no device");
        return;
    }
    GxTextureMovie movie;
    if (!movie.Create(u"bench", static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), format, 0, false)) {
        state.SkipWithError("no movie texture");
        return;
    }
    HRESULT hr = S_OK;
    auto* renderer = new GxMovieRenderer(nullptr, &movie, false, &hr);
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_RGB24);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = height;
    info->bmiHeader.biBitCount = 24;
    renderer->SetMediaType(&type);
    FrameSample sample(width, height);

    double best = 1e9;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (renderer->DoRenderSample(&sample) != S_OK) state.SkipWithError("frame refused");
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    const std::size_t texel = format == D3DFMT_A8R8G8B8 ? 4 : 2;
    const double reference = MemcpySeconds(static_cast<std::size_t>(width) * height * texel);
    state.counters["x_memcpy"] = best / reference;
    state.counters["best_ms"] = best * 1000;
    state.counters["memcpy_ms"] = reference * 1000;
    renderer->Release();
}

}  // namespace

BENCHMARK(BM_render_sample)
    ->ArgNames({"w", "h", "format"})
    ->Args({640, 480, D3DFMT_A8R8G8B8})
    ->Args({640, 480, D3DFMT_A1R5G5B5})
    ->Args({1024, 768, D3DFMT_A8R8G8B8})
    ->Args({1024, 768, D3DFMT_A1R5G5B5})
    ->Unit(benchmark::kMicrosecond);
