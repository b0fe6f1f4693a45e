// The CPU cost of one stream refill: one half-second chunk of 44.1 kHz stereo read through the
// stream buffer's ReadBuffer (loader, GxFileHandle, submit to the voice), against a plain
// decoder loop over the same data from memory in the same run. Ogg: ReadBuffer against
// ov_read; WAV: ReadBuffer against a memcpy of the chunk. The voice is never started and its
// queue is flushed between refills, outside the timing. Counter "chunk_share": the refill's
// time as a share of the chunk's 0.5 s of play. DirectSound: four quarter-second chunks of the
// same Ogg through the stream buffer's FillBuffer, as one notification refills at most, with the
// share taken of their 1 s of play.
#include "foundation/wide_string.h"
#include "media/audio_buffer_stream.h"
#include "media/sound_buffer_stream.h"
#include "media/sound_devices.h"
#include "media/sound_loader_ogg.h"
#include "media/sound_loader_wav.h"
#include "platform/audio/mixer.h"
#include "platform/win32/window.h"
#include "tests/support/pack_builder.h"
#include "tests/support/sound_fixtures.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kChunkBytes = kRate * 4 / 2;   // half a second of 16-bit stereo
constexpr std::uint32_t kSeconds = 10;

struct Files {
    TestTempDir folder{"tw_bench_stream"};
    SoundBytes ogg;
    SoundBytes wav;
    std::string oggPath;
    std::string wavPath;

    Files()
    {
        const std::vector<std::int16_t> tone = TestTone(kRate * kSeconds, 2, kRate, 440.0);
        ogg = EncodeTestOggVorbis(tone, 2, kRate, 0.4f);
        wav = BuildTestPcmWav(2, kRate, 16, TestPcm16Bytes(tone));
        oggPath = folder.Join("stream.ogg").string();
        wavPath = folder.Join("stream.wav").string();
        WriteBytesToFile(oggPath, std::vector<BYTE>(ogg.begin(), ogg.end()));
        WriteBytesToFile(wavPath, std::vector<BYTE>(wav.begin(), wav.end()));
    }
};

Files& TheFiles()
{
    static Files files;
    return files;
}

void SetCounters(benchmark::State& state)
{
    state.counters["chunk_share"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / 2.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename Loader>
void Refill(benchmark::State& state, const std::string& path)
{
    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    if (!InitAudioDevice(0)) {
        state.SkipWithError("no XAudio2 engine");
        return;
    }
    {
        Loader loader;
        auto buffer = std::make_unique<GxAudioBufferStream>();
        if (!loader.Open(Utf8ToWide(path)) || !buffer->Create(&loader) ||
            !buffer->Play(-1, 0, 0, 0, 1.0f, 0)) {
            state.SkipWithError("stream did not start");
        } else {
            buffer->Stop();
            for (auto _ : state) {
                state.PauseTiming();
                buffer->GetVoice()->FlushSourceBuffers();
                state.ResumeTiming();
                buffer->ReadBuffer();
            }
            SetCounters(state);
        }
        buffer.reset();
    }
    AudioShutdownDevice();
}

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

void DirectSoundOggRefill(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainProc;
    windowClass.lpszClassName = u"SoundStreamBench";
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, u"SoundStreamBench", u"SoundStreamBench", WS_POPUP, 0, 0, 64, 64, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window || !SoundInitDevice(window, 0)) {
        state.SkipWithError("no DirectSound device");
    } else {
        GxSoundLoaderOgg loader;
        auto buffer = std::make_unique<GxSoundBufferStream>();
        if (!loader.Open(Utf8ToWide(TheFiles().oggPath)) || !buffer->Create(&loader, false)) {
            state.SkipWithError("stream buffer not created");
        } else {
            const DWORD chunk = buffer->GetChunkBytes();
            int next = 0;
            for (auto _ : state) {
                for (int i = 0; i < GxSoundBufferStream::kMaxRefillChunks; ++i) {
                    DWORD written = 0;
                    std::int32_t left = 0;
                    bool end = false;
                    buffer->FillBuffer(static_cast<DWORD>(next) * chunk, chunk, 0, -1, &written, &left, &end);
                    next = (next + 1) % GxSoundBufferStream::kChunkCount;
                }
            }
            state.counters["chunk_share"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                               benchmark::Counter::kIsRate |
                                                                   benchmark::Counter::kInvert);
        }
        buffer.reset();
    }
    SoundShutdownDevice();
    if (window) DestroyWindow(window);
}

struct MemoryFile {
    const SoundBytes* bytes;
    std::size_t position;
};

size_t MemoryRead(void* destination, size_t size, size_t count, void* source)
{
    auto* file = static_cast<MemoryFile*>(source);
    const std::size_t want = size * count;
    const std::size_t left = file->bytes->size() - file->position;
    const std::size_t got = std::min(want, left);
    std::memcpy(destination, file->bytes->data() + file->position, got);
    file->position += got;
    return size ? got / size : 0;
}

int MemorySeek(void* source, ogg_int64_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(source);
    const auto size = static_cast<ogg_int64_t>(file->bytes->size());
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(file->position) : size;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > size) return -1;
    file->position = static_cast<std::size_t>(target);
    return 0;
}

long MemoryTell(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->position); }

void OggRefill(benchmark::State& state) { Refill<GxSoundLoaderOgg>(state, TheFiles().oggPath); }

void OggPlainDecode(benchmark::State& state)
{
    MemoryFile file{&TheFiles().ogg, 0};
    OggVorbis_File vorbis;
    const ov_callbacks callbacks{MemoryRead, MemorySeek, nullptr, MemoryTell};
    if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) != 0) {
        state.SkipWithError("ov_open_callbacks");
        return;
    }
    std::vector<char> chunk(kChunkBytes);
    for (auto _ : state) {
        std::uint32_t filled = 0;
        int section = 0;
        while (filled < kChunkBytes) {
            const long got = ov_read(&vorbis, chunk.data() + filled, static_cast<int>(kChunkBytes - filled), 0, 2, 1,
                                     &section);
            if (got <= 0) {
                ov_pcm_seek(&vorbis, 0);   // wrap, as the endless stream does
                continue;
            }
            filled += static_cast<std::uint32_t>(got);
        }
        benchmark::DoNotOptimize(chunk.data());
    }
    SetCounters(state);
    ov_clear(&vorbis);
}

void WavRefill(benchmark::State& state) { Refill<GxSoundLoaderWav>(state, TheFiles().wavPath); }

void WavMemcpy(benchmark::State& state)
{
    const SoundBytes& wav = TheFiles().wav;
    std::vector<BYTE> chunk(kChunkBytes);
    std::size_t offset = 44;
    for (auto _ : state) {
        if (offset + kChunkBytes > wav.size()) offset = 44;
        std::memcpy(chunk.data(), wav.data() + offset, kChunkBytes);
        offset += kChunkBytes;
        benchmark::DoNotOptimize(chunk.data());
    }
    SetCounters(state);
}

}  // namespace

BENCHMARK(OggRefill)->Unit(benchmark::kMicrosecond);
BENCHMARK(OggPlainDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(DirectSoundOggRefill)->Unit(benchmark::kMicrosecond);
BENCHMARK(WavRefill)->Unit(benchmark::kMicrosecond);
BENCHMARK(WavMemcpy)->Unit(benchmark::kMicrosecond);
