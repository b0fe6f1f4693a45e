// What the core asks of the script engine, which sits above it: the process entry installs a
// GxScriptServicesBase before the core starts. With none installed every call does nothing.
#pragma once

class GxScriptServicesBase {
public:
    virtual ~GxScriptServicesBase() = default;

    // One statement of the main worker "MAIN_WORKER"; false when it has nothing to run, has
    // just stopped or met an error.
    virtual bool StepMainWorker() { return false; }
    virtual bool IsMainWorkerRunning() { return false; }
};

// Not owned; null removes it. Returns the previous one.
GxScriptServicesBase* SetScriptServices(GxScriptServicesBase* services);
GxScriptServicesBase* GetScriptServices();
