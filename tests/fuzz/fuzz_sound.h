// Shared body of the sound fuzz targets: the input as a file in a private temporary folder,
// opened, read in pieces, sought and told through its loader, then decoded whole through
// GxWavData::Create and read back through the memory loader. Every run is bounded.
#pragma once

#include "foundation/log.h"
#include "media/sound_loader_memory.h"
#include "media/wav_data.h"
#include "tests/support/temp_dir.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fuzz_sound {

// Decoding more than this is skipped: a damaged Ogg may claim billions of frames.
constexpr std::uint64_t kMaxDecodedBytes = 8u << 20;

inline void Exercise(GxSoundLoaderBase& loader)
{
    std::vector<std::uint8_t> piece(4093);
    std::uint64_t total = 0;
    for (int i = 0; i < 4096 && !loader.IsEnd() && total < kMaxDecodedBytes; ++i) {
        std::uint32_t got = 0;
        if (!loader.Read(piece.data(), static_cast<std::uint32_t>(piece.size()), &got))
            break;
        if (got > piece.size())
            __builtin_trap();
        total += got;
        if (got == 0 && loader.GetType() != GxSoundLoaderBase::kTypeOgg)
            break;
    }
    const std::uint64_t length = loader.GetLength();
    for (std::uint64_t frame : {std::uint64_t(0), length / 2, length, length + 1}) {
        if (loader.Seek(frame)) {
            loader.Tell();
            std::uint32_t got = 0;
            loader.Read(piece.data(), 997, &got);
        }
    }
    loader.SetLoopStart(length / 3);
    loader.GetLoopStart();
    loader.GetDurationMs();
    loader.GetTotalBytes();
}

template <class Loader>
int Run(const std::uint8_t* data, std::size_t size, const char* extension)
{
    static TestTempDir folder("tw_fuzz_sound", TestTempDir::kLowerCase);
    static bool muted = (LogSetWarningsMuted(true), true);
    (void)muted;
    if (!folder.Valid())
        return 0;
    const std::string path = folder.Join(std::string("input") + extension).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    if (size != 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    const std::u16string name(path.begin(), path.end());

    std::uint64_t totalBytes = 0;
    {
        Loader loader;
        if (!loader.Open(name))
            return 0;
        totalBytes = loader.GetTotalBytes();
        Exercise(loader);
    }
    if (totalBytes > kMaxDecodedBytes)
        return 0;
    GxWavData sound;
    if (sound.Create(name)) {
        if (sound.GetDataSize() != totalBytes)
            __builtin_trap();
        std::int32_t left = 0, right = 0;
        sound.GetSamplePair(0, left, right);
        sound.GetSamplePair(sound.GetFrameCount() - 1, left, right);
        GxSoundLoaderMemory memory;
        if (memory.Open(&sound))
            Exercise(memory);
    }
    return 0;
}

}  // namespace fuzz_sound
