#include "avg/game_sound_services.h"

#include "core/core.h"
#include "data/system_config.h"
#include "media/audio_channels.h"
#include "media/sound_channels.h"

#include <cstdint>

namespace {

bool UsesXAudio2()
{
    const GxCore* core = GxCore::GetInstance();
    return core == nullptr || core->m_SystemConfig == nullptr || core->m_SystemConfig->m_SoundEngineXAudio2;
}

bool AnyChannelPlays(std::uint32_t first, std::uint32_t last)
{
    const bool xaudio2 = UsesXAudio2();
    for (std::uint32_t channel = first; channel <= last; ++channel) {
        if (xaudio2 ? AudioStreamIsPlaying(channel) : SoundStreamIsPlaying(channel))
            return true;
    }
    return false;
}

}  // namespace

bool IsBgmPlaying()
{
    return AnyChannelPlays(0, 1);
}

bool IsBgvPlaying()
{
    return AnyChannelPlays(2, 3);
}

bool IsSePlaying()
{
    return AnyChannelPlays(4, 8);
}

bool IsVoicePlaying()
{
    return AnyChannelPlays(10, 14);
}
