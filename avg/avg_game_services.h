// The adventure module's side of the core's game services: the start-up, the reset, the display
// defaults and the picture look-up. The process entry installs it.
#pragma once

#include "core/game_services.h"

class GxAvgGameServices : public GxGameServicesBase {
public:
    void SetDefaultDisplaySettings(GxCore* core) override;
    bool GameStartup(GxCore* core) override;
    bool GameReset(GxCore* core) override;
    bool ResolveImageFile(std::u16string& path) override;
};

// Installs the module's one object into the core.
void InstallAvgGameServices();
