#include "core/module_list.h"

#include "foundation/log.h"

bool GxModuleList::SetModule(std::int32_t index, GxModuleCoreBase* module)
{
    if (index < 0 || index >= kModuleCount) {
        LogPrint(u"GxModuleList::SetModule/モジュール番号が不正です (%d)\n", index);
        return false;
    }
    m_Modules[static_cast<std::size_t>(index)] = module;
    return true;
}

GxModuleCoreBase* GxModuleList::GetModule(std::int32_t index) const
{
    if (index < 0 || index >= kModuleCount) return nullptr;
    return m_Modules[static_cast<std::size_t>(index)];
}

template <typename Call>
void GxModuleList::ForEach(const Call& call)
{
    for (GxModuleCoreBase* module : m_Modules) {
        if (module != nullptr) call(*module);
    }
}

template <typename Call>
bool GxModuleList::AllOf(const Call& call)
{
    bool result = true;
    for (GxModuleCoreBase* module : m_Modules) {
        // No short cut: a module after a failing one still writes or reads its part.
        if (module != nullptr && !call(*module)) result = false;
    }
    return result;
}

void GxModuleList::ModulesAfterReset()
{
    ForEach([](GxModuleCoreBase& m) { m.AfterReset(); });
}

void GxModuleList::ModulesInitialize()
{
    ForEach([](GxModuleCoreBase& m) { m.Initialize(); });
}

void GxModuleList::ModulesBeforeReset()
{
    ForEach([](GxModuleCoreBase& m) { m.BeforeReset(); });
}

void GxModuleList::ModulesInitializeLate(GxMoaFunctionBinder* binder)
{
    ForEach([binder](GxModuleCoreBase& m) { m.RegisterBuiltins(binder); });
}

void GxModuleList::ModulesCreateSequences(GxTaskBase* root)
{
    ForEach([root](GxModuleCoreBase& m) { m.CreateSequences(root); });
}

void GxModuleList::ModulesOnBootTitle()
{
    ForEach([](GxModuleCoreBase& m) { m.OnBootTitle(); });
}

void GxModuleList::ModulesBeforeLoadGame()
{
    ForEach([](GxModuleCoreBase& m) { m.BeforeLoadGame(); });
}

void GxModuleList::ModulesLoadConfigPage(std::int32_t page)
{
    ForEach([page](GxModuleCoreBase& m) { m.LoadConfigPage(page); });
}

void GxModuleList::ModulesStoreConfigPage(std::int32_t page)
{
    ForEach([page](GxModuleCoreBase& m) { m.StoreConfigPage(page); });
}

void GxModuleList::ModulesResetConfig()
{
    ForEach([](GxModuleCoreBase& m) { m.ResetConfig(); });
}

bool GxModuleList::ModulesWriteGameData(GxContentWriterBase* writer, const char16_t* path)
{
    return AllOf([&](GxModuleCoreBase& m) { return m.WriteGameData(writer, path); });
}

bool GxModuleList::ModulesReadGameData(GxContentReaderBase* reader, const char16_t* path, bool fullRestore)
{
    return AllOf([&](GxModuleCoreBase& m) { return m.ReadGameData(reader, path, fullRestore); });
}

bool GxModuleList::ModulesWritePermanentData(GxContentWriterBase* writer)
{
    return AllOf([&](GxModuleCoreBase& m) { return m.WritePermanentData(writer); });
}

bool GxModuleList::ModulesReadPermanentData(GxContentReaderBase* reader)
{
    return AllOf([&](GxModuleCoreBase& m) { return m.ReadPermanentData(reader); });
}

bool GxModuleList::ModulesWriteUserConfig(GxContentWriterBase* writer)
{
    return AllOf([&](GxModuleCoreBase& m) { return m.WriteUserConfig(writer); });
}

bool GxModuleList::ModulesReadUserConfig(GxContentReaderBase* reader)
{
    return AllOf([&](GxModuleCoreBase& m) { return m.ReadUserConfig(reader); });
}

std::int32_t GxModuleList::ModulesRestoreSequence()
{
    for (GxModuleCoreBase* module : m_Modules) {
        if (module == nullptr) continue;
        const std::int32_t result = module->RestoreSequence();
        if (result != 0) return result;
    }
    return 0;
}
