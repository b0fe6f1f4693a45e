// What the core's start-up, reset and screens ask of the script engine, which sits above the
// core: the process entry installs a GxScriptServicesBase before the core starts. With none
// installed (tests without one), the callers skip every call: no engine, no script runs.
#pragma once

#include <string>

class GxCore;
class GxMoaFunctionBinder;

class GxScriptServicesBase {
public:
    virtual ~GxScriptServicesBase() = default;

    // Runs the outside script compiler and waits for it; its exit code (1: not started).
    virtual int CompileScripts() = 0;
    // Makes the script instance, the main worker, the default builtins and the binder.
    virtual void CreateScriptEngine(GxCore* core) = 0;
    // Loads "bincode/moacode.mwb"; false when it could not be read completely.
    virtual bool LoadScriptBinary() = 0;
    virtual void DestroyScriptEngine() = 0;
    // The binder the modules register their builtins with; null without an engine.
    virtual GxMoaFunctionBinder* GetFunctionBinder() = 0;
    // Empties the main worker's stacks and starts it at the label; false when it is absent.
    virtual bool ResetAndJump(const std::u16string& label) = 0;
    // One statement of the main worker; false when it has nothing to run, stopped or failed.
    virtual bool StepMainWorker() = 0;
    virtual bool IsMainWorkerRunning() = 0;
    // Whether a script error has stopped the instance.
    virtual bool IsErrorStop() = 0;
};

// Not owned; null removes it. Returns the previous one.
GxScriptServicesBase* SetScriptServices(GxScriptServicesBase* services);
GxScriptServicesBase* GetScriptServices();
