// The data subsystem's side of the core's GxDataServicesBase: the data tables, and the game
// configuration, player options, game in progress and persistent flags that the core owns
// without seeing their classes.
#pragma once

#include "core/data_services.h"

class GxDataServices : public GxDataServicesBase {
public:
    GxSystemConfigHolder CreateSystemConfig() override;
    bool LoadSysConf(GxSystemConfig& config) override;
    bool LoadSettingIni(GxSystemConfig& config) override;
    void ReadCoreConfig(const GxSystemConfig& config, GxCoreConfig& values) override;

    GxUserConfigHolder CreateUserConfig() override;
    bool SaveUserConfig(GxUserConfig& options, GxCore& core) override;
    std::int32_t GetMovieAttenuation(const GxUserConfig& options) override;

    GxUserDataHolder CreateUserData(GxCore& core) override;
    GxUserDataPermanHolder CreateUserDataPerman(GxCore& core) override;
    void SetLastDialogResult(GxUserData& data, std::int32_t result) override;
    std::u16string GetRestoreSequence(const GxUserData& data) override;
    bool SavePermanentData(GxUserDataPerman& flags, const std::u16string& path, bool binary) override;
};

// Sets the sound-engine flag from the player's choice (0 automatic by the Windows major version,
// 1 DirectSound, 2 XAudio2; another value leaves it) and returns it: true XAudio2.
bool SelectSoundEngine(GxSystemConfig& config, const GxUserConfig& options, DWORD windowsMajor);

// Installs the one process-wide GxDataServices into the core.
void InstallDataServices();
