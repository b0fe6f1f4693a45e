// Fuzz target: "userconf.dat" bytes through the options decoding, which must keep every percent
// and the thread count in range whatever the file holds.
#include "data/user_config.h"
#include "tests/fuzz/fuzz_bytes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer bytes;
    if (!FuzzBytes(data, size, bytes))
        return 0;
    GxUserConfig config;
    const bool decoded = DecodeUserConfig(&config, bytes, nullptr);
    for (std::int32_t volume : {config.m_Volume_Master, config.m_Volume_BGM, config.m_Volume_Voice[31]})
        if (volume < 0 || volume > 100)
            __builtin_trap();
    if (decoded && (config.m_AsyncThreadNum < 1 || config.m_AsyncThreadNum > 6))
        __builtin_trap();
    const std::int32_t attenuation = config.GetBGMAttenuation() + config.GetVoiceAttenuation(5);
    if (attenuation > 0 || attenuation < -19200)
        __builtin_trap();
    return 0;
}
