// Game modules: the engine core knows the game genre only through module cores that it calls at
// fixed points of its life (start-up, reset, screen creation, the configuration screen and the
// three data files). A module is a static object of its subsystem; the core never owns it.
#pragma once

#include <cstdint>

class GxCore;
class GxMoaFunctionBinder;
class GxTaskBase;
class GxContentWriterBase;
class GxContentReaderBase;

// A base with only a virtual destructor, shared by the module objects and the script worker.
class GxCoreRemainder {
public:
    virtual ~GxCoreRemainder() = default;
};

// The module interface, in the order the core's life reaches its hooks.
class GxModuleCoreBase {
public:
    virtual ~GxModuleCoreBase() = default;

    virtual const char16_t* GetModuleName() = 0;
    // Once, before every other hook.
    virtual void Attach(GxCore* core) = 0;
    // Last step of the game reset.
    virtual void AfterReset() = 0;
    // Game start-up, after the system image sets are loaded.
    virtual void Initialize() = 0;
    // First step of the game reset.
    virtual void BeforeReset() = 0;
    // Right after Initialize: the module registers its script builtins.
    virtual void RegisterBuiltins(GxMoaFunctionBinder* binder) = 0;
    // After the engine's own screens were created under the root.
    virtual void CreateSequences(GxTaskBase* root) = 0;
    // Whenever the boot or the title screen enters its worker slot.
    virtual void OnBootTitle() = 0;
    virtual void BeforeLoadGame() = 0;
    // After a saved game was loaded: non-zero when the module chose the next sequence itself.
    virtual std::int32_t RestoreSequence() = 0;
    virtual void LoadConfigPage(std::int32_t page) = 0;
    virtual void StoreConfigPage(std::int32_t page) = 0;
    virtual void ResetConfig() = 0;
    // The writer and reader sit inside the file's record, after the engine's own fields; path and
    // fullRestore come unchanged from the game-data writer and reader.
    virtual bool WriteGameData(GxContentWriterBase* writer, const char16_t* path) = 0;
    virtual bool ReadGameData(GxContentReaderBase* reader, const char16_t* path, bool fullRestore) = 0;
    virtual bool WritePermanentData(GxContentWriterBase* writer) = 0;
    virtual bool ReadPermanentData(GxContentReaderBase* reader) = 0;
    virtual bool WriteUserConfig(GxContentWriterBase* writer) = 0;
    virtual bool ReadUserConfig(GxContentReaderBase* reader) = 0;
};
