// Fuzz target: a RIFF WAVE file through the WAV loader, a whole decode and the memory loader.
#include "media/sound_loader_wav.h"
#include "tests/fuzz/fuzz_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz_sound::Run<GxSoundLoaderWav>(data, size, ".wav");
}
