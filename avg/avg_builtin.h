// The adventure module's script builtins: one object, made by the module core when it attaches
// and deleted after the game reset, that binds the builtins into the script engine's binder.
#pragma once

#include "core/module_core_base.h"

class GxCore;
class GxMoaFunctionBinder;

// What a module's builtin set offers the module core.
class GxModuleBuiltinBase {
public:
    virtual ~GxModuleBuiltinBase() = default;
};

class AvgBuiltin : public GxModuleBuiltinBase, public GxCoreRemainder {
public:
    explicit AvgBuiltin(GxCore* core) : m_Core(core) {}
    ~AvgBuiltin() override = default;

    // Binds every adventure builtin; there are none yet.
    virtual void RegisterBuiltins(GxMoaFunctionBinder* binder);

    GxCore* GetCore() const { return m_Core; }

private:
    GxCore* m_Core = nullptr;
};
