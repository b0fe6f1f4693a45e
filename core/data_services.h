// What the core's start-up asks of the data subsystem, which sits above the core: the process
// entry installs a GxDataServicesBase before the core starts. With none installed (tests without
// one), every call does nothing.
#pragma once

class GxDataServicesBase {
public:
    virtual ~GxDataServicesBase() = default;

    // Loads the game's data tables from "data/" and prepares them for reading. The results are
    // not checked: a missing or damaged table is logged by its reader and stays (partly) empty.
    virtual void LoadGameTables() = 0;
};

// Not owned; null removes it. Returns the previous one.
GxDataServicesBase* SetDataServices(GxDataServicesBase* services);
GxDataServicesBase* GetDataServices();

// Forwarded to the installed services.
void LoadGameTables();
