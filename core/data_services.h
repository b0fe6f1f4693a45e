// What the core asks of the data subsystem, which sits above the core: the game configuration, the
// player's options, the game in progress and the persistent flags, which the core owns but sees
// only as forward-declared classes. The process entry installs a GxDataServicesBase before the core
// starts. With none installed (tests of the core alone), the core runs on the built-in
// configuration values (GxCoreConfig) and has no player options and no saved data.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <memory>
#include <string>

class GxCore;
class GxSystemConfig;
class GxUserConfig;
class GxUserData;
class GxUserDataPerman;
struct GxCoreConfig;

// Deletes an object the data services made. It is a plain function, so an object can be deleted
// after its services were taken out (a core destroyed at process exit).
template <typename T>
struct GxDataObjectDeleter {
    void (*m_Delete)(T*) = nullptr;
    void operator()(T* object) const
    {
        if (m_Delete != nullptr)
            m_Delete(object);
    }
};
using GxSystemConfigHolder = std::unique_ptr<GxSystemConfig, GxDataObjectDeleter<GxSystemConfig>>;
using GxUserConfigHolder = std::unique_ptr<GxUserConfig, GxDataObjectDeleter<GxUserConfig>>;
using GxUserDataHolder = std::unique_ptr<GxUserData, GxDataObjectDeleter<GxUserData>>;
using GxUserDataPermanHolder = std::unique_ptr<GxUserDataPerman, GxDataObjectDeleter<GxUserDataPerman>>;

class GxDataServicesBase {
public:
    virtual ~GxDataServicesBase() = default;

    // ---- the game configuration
    // A new one with its built-in values.
    virtual GxSystemConfigHolder CreateSystemConfig() = 0;
    // "system/sysconf.ini" over it, registering the packs it names; false when it cannot be read.
    virtual bool LoadSysConf(GxSystemConfig& config) = 0;
    // The development switches of the loose "setting.ini"; false when it is absent or unreadable.
    virtual bool LoadSettingIni(GxSystemConfig& config) = 0;
    // Copies out the values the core reads.
    virtual void ReadCoreConfig(const GxSystemConfig& config, GxCoreConfig& values) = 0;

    // ---- the player's options
    // A new one with its defaults.
    virtual GxUserConfigHolder CreateUserConfig() = 0;
    // "userconf.dat" in the core's save folder, written from the options.
    virtual bool SaveUserConfig(GxUserConfig& options, GxCore& core) = 0;
    // The movie sound's attenuation, 0 to -9600 hundredths of a decibel.
    virtual std::int32_t GetMovieAttenuation(const GxUserConfig& options) = 0;

    // ---- the game in progress and the flags kept across games
    // New ones at the start of a game, sized by the core's configuration when it has one.
    virtual GxUserDataHolder CreateUserData(GxCore& core) = 0;
    virtual GxUserDataPermanHolder CreateUserDataPerman(GxCore& core) = 0;
    // The answer of the user dialog: 1 yes/ok, 0 no/cancel.
    virtual void SetLastDialogResult(GxUserData& data, std::int32_t result) = 0;
    // The sequence a loaded game goes back to (a copy).
    virtual std::u16string GetRestoreSequence(const GxUserData& data) = 0;
    // The persistent flags into `path`, whole or not at all, binary unless `binary` is false.
    virtual bool SavePermanentData(GxUserDataPerman& flags, const std::u16string& path, bool binary) = 0;
};

// Not owned; null removes it. Returns the previous one.
GxDataServicesBase* SetDataServices(GxDataServicesBase* services);
GxDataServicesBase* GetDataServices();
