#include "screens/screen_music.h"

#include "avg/game_sound_services.h"
#include "core/core.h"
#include "data/system_config.h"

namespace {

constexpr std::int32_t kStopFadeMs = 1000;
constexpr std::int32_t kCrossFadeMs = 50;
constexpr char16_t kDefaultMusicFolder[] = u"bgms/";

}  // namespace

void PlayScreenMusic(const GxCore* core, const std::u16string& name, std::int32_t loopPos)
{
    if (name.empty()) {
        StopBgm(kStopFadeMs);
        return;
    }
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    const std::u16string folder =
        config != nullptr ? config->m_Folders[GxSystemConfig::kFolderBgms] : std::u16string(kDefaultMusicFolder);
    // Loop 0 is endless; the record keeps the loop position for a saved game.
    PlayBgm(folder + name, 0, 0, static_cast<std::uint32_t>(loopPos > 0 ? loopPos : 0), kCrossFadeMs, true);
}
