// What the core's start-up, shut-down and layer contents ask of the game module, which sits
// above the core: the display defaults before the device exists, the game's start-up and reset,
// and the look-up of a picture named without its extension. The process entry installs a
// GxGameServicesBase before the core starts. With none installed (tests of the core alone), the
// core keeps the graphics layer's built-in display settings, starts and resets no game, and a
// picture is found only under its exact name.
#pragma once

#include <string>

class GxCore;

class GxGameServicesBase {
public:
    virtual ~GxGameServicesBase() = default;

    // Before the graphics device is made: display settings, frame rates, the logs emptied.
    virtual void SetDefaultDisplaySettings(GxCore* core) = 0;
    // After the devices are up; the core ignores the result.
    virtual bool GameStartup(GxCore* core) = 0;
    // At shut-down, after the task manager is gone.
    virtual bool GameReset(GxCore* core) = 0;
    // The path as it is when it exists, else with the first picture extension that exists; false,
    // with the path unchanged, when none does.
    virtual bool ResolveImageFile(std::u16string& path) = 0;
};

// Not owned; null removes it. Returns the previous one.
GxGameServicesBase* SetGameServices(GxGameServicesBase* services);
GxGameServicesBase* GetGameServices();

// The installed services' resolver; without services, whether the exact path exists.
bool ResolveGameImageFile(std::u16string& path);
