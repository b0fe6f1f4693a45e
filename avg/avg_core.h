// AvgCore: the adventure module's core, plugged into place 1 of the engine core's module list by
// the game start-up. It owns the module's builtin set from Attach to AfterReset and builds the
// play screen and the back-log screen; its data hooks store nothing.
#pragma once

#include "core/module_core_base.h"

#include <cstdint>
#include <functional>
#include <memory>

class AvgBuiltin;
class GxCore;

class AvgCore : public GxModuleCoreBase, public GxCoreRemainder {
public:
    // The one instance of the process.
    static AvgCore& GetInstance();

    ~AvgCore() override;

    const char16_t* GetModuleName() override;
    // Stores the core and makes the builtin set.
    void Attach(GxCore* core) override;
    // Deletes the builtin set; again does nothing.
    void AfterReset() override;
    void Initialize() override {}
    void BeforeReset() override {}
    // Hands the binder to the builtin set, when there is one.
    void RegisterBuiltins(GxMoaFunctionBinder* binder) override;
    // Shared scope 3 with its six names, then the play screen and the back-log screen.
    void CreateSequences(GxTaskBase* owner) override;
    void OnBootTitle() override {}
    void BeforeLoadGame() override {}
    // The module never chooses the sequence of a loaded game.
    std::int32_t RestoreSequence() override { return 0; }
    void LoadConfigPage(std::int32_t) override {}
    void StoreConfigPage(std::int32_t) override {}
    void ResetConfig() override {}
    bool WriteGameData(GxContentWriterBase*, const char16_t*) override { return true; }
    bool ReadGameData(GxContentReaderBase*, const char16_t*, bool) override { return true; }
    bool WritePermanentData(GxContentWriterBase*) override { return true; }
    bool ReadPermanentData(GxContentReaderBase*) override { return true; }
    bool WriteUserConfig(GxContentWriterBase*) override { return true; }
    bool ReadUserConfig(GxContentReaderBase*) override { return true; }

    GxCore* GetCore() const { return m_Core; }
    AvgBuiltin* GetBuiltin() const { return m_Builtin.get(); }

    // Tests put a builtin set of their own in place of the one Attach makes (null: the module's).
    void SetBuiltinMakerForTesting(std::function<std::unique_ptr<AvgBuiltin>(GxCore*)> maker);

private:
    AvgCore() = default;

    GxCore* m_Core = nullptr;
    std::unique_ptr<AvgBuiltin> m_Builtin;
    std::function<std::unique_ptr<AvgBuiltin>(GxCore*)> m_BuiltinMaker;
};
