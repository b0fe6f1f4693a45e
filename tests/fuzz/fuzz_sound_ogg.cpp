// Fuzz target: an Ogg Vorbis file through the Ogg loader, a whole decode and the memory loader.
#include "media/sound_loader_ogg.h"
#include "tests/fuzz/fuzz_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz_sound::Run<GxSoundLoaderOgg>(data, size, ".ogg");
}
