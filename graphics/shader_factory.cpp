#include "graphics/shader_factory.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <cstdint>

GxShaderFactory::~GxShaderFactory()
{
    ReleaseAll();
}

std::vector<std::unique_ptr<GxShaderEffect>>::iterator GxShaderFactory::FindEntry(std::u16string_view name)
{
    // Effect names are stored lowered, so lowering the one asked for matches A-Z in any case.
    const std::u16string lowered = WideToLowerAscii(name);
    for (auto it = m_Effects.begin(); it != m_Effects.end(); ++it)
        if ((*it)->GetName() == lowered) return it;
    return m_Effects.end();
}

GxShaderEffect* GxShaderFactory::Create(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    const auto found = FindEntry(name);
    if (found != m_Effects.end()) {
        (*found)->AddRef();
        return found->get();
    }
    auto effect = std::make_unique<GxShaderEffect>();
    if (!effect->Load(name)) return nullptr;   // deleted here; it leaves the registry as it goes
    m_Effects.push_back(std::move(effect));
    return m_Effects.back().get();
}

GxShaderEffect* GxShaderFactory::Create(const char* name)
{
    return Create(MultiByteToWide(name ? name : ""));
}

GxShaderEffect* GxShaderFactory::Find(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    const auto found = FindEntry(name);
    return found != m_Effects.end() ? found->get() : nullptr;
}

GxShaderEffect* GxShaderFactory::Find(const char* name)
{
    return Find(MultiByteToWide(name ? name : ""));
}

bool GxShaderFactory::ReloadAll()
{
    GxMutexScopedLock lock(m_Lock);
    bool all = true;
    for (auto& effect : m_Effects) all = effect->Reload() && all;
    return all;
}

void GxShaderFactory::ReleaseEntry(std::vector<std::unique_ptr<GxShaderEffect>>::iterator entry)
{
    if ((*entry)->Release() == 0) m_Effects.erase(entry);
}

void GxShaderFactory::Release(GxShaderEffect* effect)
{
    GxMutexScopedLock lock(m_Lock);
    for (auto it = m_Effects.begin(); it != m_Effects.end(); ++it) {
        if (it->get() == effect) {
            ReleaseEntry(it);
            return;
        }
    }
    const std::u16string pointer =
        FormatNarrowToWide("%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(effect)));
    LogPrintWarning(u"Warning/GxShaderFactory You tried to release the shader does not exist(0x%s)\n", pointer.c_str());
}

void GxShaderFactory::ReleaseByName(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    const auto found = FindEntry(name);
    if (found == m_Effects.end()) {
        const std::u16string text(name);
        LogPrintWarning(u"Warning/GxShaderFactory You tried to release the shader does not exist(%s)\n", text.c_str());
        return;
    }
    ReleaseEntry(found);
}

void GxShaderFactory::ReleaseByName(const char* name)
{
    ReleaseByName(MultiByteToWide(name ? name : ""));
}

void GxShaderFactory::ReleaseAll()
{
    GxMutexScopedLock lock(m_Lock);
    m_Effects.clear();
}

std::int32_t GxShaderFactory::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return static_cast<std::int32_t>(m_Effects.size());
}

GxShaderFactory& GetShaderFactory()
{
    static GxShaderFactory factory;
    return factory;
}
