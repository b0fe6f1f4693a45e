// The engine core's list of game modules and the broadcasters through which the core calls every
// module. The list has exactly three places, empty at first; a broadcast visits places 0, 1, 2 in
// that order and skips empty ones. The list never owns its modules.
#pragma once

#include "core/module_core_base.h"

#include <array>
#include <cstdint>

class GxModuleList {
public:
    static constexpr std::int32_t kModuleCount = 3;

    // Puts a module (or null) into a place; false with a log line for a place outside 0 to 2.
    bool SetModule(std::int32_t index, GxModuleCoreBase* module);
    // Null for an empty place or an index outside 0 to 2.
    GxModuleCoreBase* GetModule(std::int32_t index) const;

    // Every module is called.
    void ModulesAfterReset();
    void ModulesInitialize();
    void ModulesBeforeReset();
    void ModulesInitializeLate(GxMoaFunctionBinder* binder);
    void ModulesCreateSequences(GxTaskBase* root);
    void ModulesOnBootTitle();
    void ModulesBeforeLoadGame();
    void ModulesLoadConfigPage(std::int32_t page);
    void ModulesStoreConfigPage(std::int32_t page);
    void ModulesResetConfig();

    // Every module is called, also after one returned false; the result is the AND of all
    // results (true with no module).
    bool ModulesWriteGameData(GxContentWriterBase* writer, const char16_t* path);
    bool ModulesReadGameData(GxContentReaderBase* reader, const char16_t* path, bool fullRestore);
    bool ModulesWritePermanentData(GxContentWriterBase* writer);
    bool ModulesReadPermanentData(GxContentReaderBase* reader);
    bool ModulesWriteUserConfig(GxContentWriterBase* writer);
    bool ModulesReadUserConfig(GxContentReaderBase* reader);

    // The first non-zero RestoreSequence ends the broadcast and is the result; 0 when no module
    // chose the next sequence (the core then switches to the game data's restore sequence).
    std::int32_t ModulesRestoreSequence();

private:
    template <typename Call>
    void ForEach(const Call& call);
    template <typename Call>
    bool AllOf(const Call& call);

    std::array<GxModuleCoreBase*, kModuleCount> m_Modules{};
};
