// The data subsystem's side of the core's GxDataServicesBase.
#pragma once

#include "core/data_services.h"

class GxDataServices : public GxDataServicesBase {
public:
    void LoadGameTables() override;
};

// Installs the one process-wide GxDataServices into the core.
void InstallDataServices();
