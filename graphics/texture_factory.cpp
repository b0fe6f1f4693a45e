#include "graphics/texture_factory.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"
#include "graphics/texture_text.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

bool IsJobInFlight(GxTextureBase* texture)
{
    auto* plain = dynamic_cast<GxTexture*>(texture);
    return plain && plain->IsJobInFlight();
}

bool IsJobInFlight(GxTextureFlex* texture)
{
    return texture->IsJobInFlight();
}

// A load that has started ends on its own; one still waiting in the queue may never start.
template <typename Object>
void WaitForRunningJob(Object* object)
{
    while (IsJobInFlight(object) && object->IsRunning()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

template <typename Object>
std::size_t FindByName(const std::vector<Object*>& list, std::u16string_view name)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (WideCompare(list[i]->GetName(), name) == 0) return i;
    return kNotFound;
}

template <typename Object>
std::size_t FindByPointer(const std::vector<Object*>& list, const Object* object)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == object) return i;
    return kNotFound;
}

template <typename Object>
void SweepList(std::vector<Object*>& retired)
{
    for (std::size_t i = 0; i < retired.size();) {
        if (IsJobInFlight(retired[i])) {
            ++i;
            continue;
        }
        delete retired[i];
        retired.erase(retired.begin() + std::ptrdiff_t(i));
    }
}

}  // namespace

// ---- GxTextureFactory ----------------------------------------------------------------------

GxTextureFactory::GxTextureFactory() = default;

GxTextureFactory::~GxTextureFactory()
{
    ReleaseAll();
    // What is left still waits in a job queue that may yet run it: it cannot be deleted safely.
}

GxTextureBase* GxTextureFactory::CreateObject(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                              std::uint32_t height, std::uint32_t levels, D3DFORMAT format,
                                              bool scaleFilter, bool deferred)
{
    switch (kind) {
    case kTextureKindFile: {
        auto texture = std::make_unique<GxTexture>();
        if (deferred) {
            texture->PrepareAsyncLoad(name, format, levels, 0, scaleFilter);
            return texture.release();
        }
        return texture->CreateFromFile(name, format, levels, 0, scaleFilter) ? texture.release() : nullptr;
    }
    case kTextureKindPlain: {
        auto texture = std::make_unique<GxTexture>();
        return texture->CreateTexture(name, width, height, format, levels) ? texture.release() : nullptr;
    }
    case kTextureKindRenderTarget: {
        auto texture = std::make_unique<GxTexture>();
        return texture->CreateRenderTarget(name, width, height, format) ? texture.release() : nullptr;
    }
    case kTextureKindText: {
        auto texture = std::make_unique<GxTextureText>();
        return texture->CreateTexture(name, width, height, format, levels) ? texture.release() : nullptr;
    }
    case kTextureKindTextEx: {
        auto texture = std::make_unique<GxTextureTextEx>();
        return texture->CreateTexture(name, width, height, format, levels) ? texture.release() : nullptr;
    }
    case kTextureKindMovie: {
        auto texture = std::make_unique<GxTextureMovie>();
        return texture->Create(name, width, height, format, 0, false) ? texture.release() : nullptr;
    }
    default:
        return nullptr;
    }
}

GxTextureBase* GxTextureFactory::Create(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                        std::uint32_t height, std::uint32_t levels, D3DFORMAT format, std::uint32_t,
                                        bool scaleFilter)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::u16string copy(name);
    const std::size_t index = FindIndex(copy);
    if (index != kNotFound) {
        m_Textures[index]->AddRef();
        return m_Textures[index];
    }
    GxTextureBase* texture = CreateObject(copy, kind, width, height, levels, format, scaleFilter, false);
    if (!texture) return nullptr;
    m_Textures.push_back(texture);
    ++m_Count;
    return texture;
}

GxTextureBase* GxTextureFactory::CreateDeferred(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                                std::uint32_t height, std::uint32_t levels, D3DFORMAT format,
                                                std::uint32_t, bool scaleFilter)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::u16string copy(name);
    const std::size_t index = FindIndex(copy);
    if (index != kNotFound) {
        m_Textures[index]->AddRef();
        return m_Textures[index];
    }
    GxTextureBase* texture = CreateObject(copy, kind, width, height, levels, format, scaleFilter, true);
    if (!texture) return nullptr;
    m_Textures.push_back(texture);
    ++m_Count;
    return texture;
}

GxTextureBase* GxTextureFactory::Find(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindIndex(name);
    return index != kNotFound ? m_Textures[index] : nullptr;
}

std::size_t GxTextureFactory::FindIndex(std::u16string_view name) const
{
    return FindByName(m_Textures, name);
}

void GxTextureFactory::ReleaseAt(std::size_t index)
{
    GxTextureBase* texture = m_Textures[index];
    texture->Release();
    if (texture->GetRefCount() != 0) return;
    m_Textures.erase(m_Textures.begin() + std::ptrdiff_t(index));
    --m_Count;
    DeleteOrRetire(texture);
}

void GxTextureFactory::DeleteOrRetire(GxTextureBase* texture)
{
    // A queued or running load would call into the object after it is gone.
    if (IsJobInFlight(texture)) {
        m_Retired.push_back(texture);
        return;
    }
    delete texture;
}

void GxTextureFactory::SweepRetired()
{
    SweepList(m_Retired);
}

void GxTextureFactory::Release(GxTextureBase* texture)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindByPointer(m_Textures, texture);
    if (index == kNotFound) {
        LogPrintWarning(u"Warning/GxTextureFactory You tried to release the texture does not exist(0x%llx)\n",
                        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(texture)));
        return;
    }
    ReleaseAt(index);
}

void GxTextureFactory::Release(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindIndex(name);
    if (index == kNotFound) {
        LogPrintWarning(u"Warning/GxTextureFactory You tried to release the texture does not exist(%s)\n",
                        std::u16string(name).c_str());
        return;
    }
    ReleaseAt(index);
}

void GxTextureFactory::ReleaseAll()
{
    GxMutexScopedLock lock(m_Lock);
    for (GxTextureBase* texture : m_Textures) DeleteOrRetire(texture);
    m_Textures.clear();
    m_Count = 0;
    for (GxTextureBase* texture : m_Retired) WaitForRunningJob(texture);
    SweepRetired();
}

std::int32_t GxTextureFactory::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Count;
}

void GxTextureFactory::Dump()
{
    GxMutexScopedLock lock(m_Lock);
    LogPrintDebug(u"---GxTextureFactory dump start---\n");
    LogPrintDebug(u"total %d textures\n", m_Count);
    for (GxTextureBase* texture : m_Textures) LogPrintDebug(u"%s\n", texture->GetName().c_str());
    LogPrintDebug(u"---GxTextureFactory dump end---\n");
}

// ---- GxTextureFlexFactory ------------------------------------------------------------------

GxTextureFlexFactory::GxTextureFlexFactory() = default;

GxTextureFlexFactory::~GxTextureFlexFactory()
{
    ReleaseAll();
}

GxTextureFlex* GxTextureFlexFactory::CreateObject(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                                  std::uint32_t height, D3DFORMAT format, bool deferred)
{
    if (kind != kTextureFlexKindFile && kind != kTextureFlexKindPlain) return nullptr;
    auto texture = std::make_unique<GxTextureFlex>();
    if (kind == kTextureFlexKindFile) {
        if (deferred) {
            texture->PrepareAsyncLoad(name, format, 0);
            return texture.release();
        }
        return texture->CreateFromFile(name, format, 0) ? texture.release() : nullptr;
    }
    return texture->CreateTexture(name, width, height, format) ? texture.release() : nullptr;
}

GxTextureFlex* GxTextureFlexFactory::Create(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                            std::uint32_t height, D3DFORMAT format)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::u16string copy(name);
    const std::size_t index = FindIndex(copy);
    if (index != kNotFound) {
        m_Textures[index]->AddRef();
        return m_Textures[index];
    }
    GxTextureFlex* texture = CreateObject(copy, kind, width, height, format, false);
    if (!texture) return nullptr;
    m_Textures.push_back(texture);
    ++m_Count;
    return texture;
}

GxTextureFlex* GxTextureFlexFactory::CreateDeferred(std::u16string_view name, std::uint32_t kind, std::uint32_t width,
                                                    std::uint32_t height, D3DFORMAT format)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::u16string copy(name);
    const std::size_t index = FindIndex(copy);
    if (index != kNotFound) {
        m_Textures[index]->AddRef();
        return m_Textures[index];
    }
    GxTextureFlex* texture = CreateObject(copy, kind, width, height, format, true);
    if (!texture) return nullptr;
    m_Textures.push_back(texture);
    ++m_Count;
    return texture;
}

GxTextureFlex* GxTextureFlexFactory::Find(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindIndex(name);
    return index != kNotFound ? m_Textures[index] : nullptr;
}

std::size_t GxTextureFlexFactory::FindIndex(std::u16string_view name) const
{
    return FindByName(m_Textures, name);
}

void GxTextureFlexFactory::ReleaseAt(std::size_t index)
{
    GxTextureFlex* texture = m_Textures[index];
    texture->Release();
    if (texture->GetRefCount() != 0) return;
    m_Textures.erase(m_Textures.begin() + std::ptrdiff_t(index));
    --m_Count;
    DeleteOrRetire(texture);
}

void GxTextureFlexFactory::DeleteOrRetire(GxTextureFlex* texture)
{
    if (texture->IsJobInFlight()) {
        m_Retired.push_back(texture);
        return;
    }
    delete texture;
}

void GxTextureFlexFactory::SweepRetired()
{
    SweepList(m_Retired);
}

void GxTextureFlexFactory::Release(GxTextureFlex* texture)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindByPointer(m_Textures, texture);
    if (index == kNotFound) {
        LogPrintWarning(u"Warning/GxTextureFlexFactory You tried to release the texture does not exist(0x%llx)\n",
                        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(texture)));
        return;
    }
    ReleaseAt(index);
}

void GxTextureFlexFactory::Release(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindIndex(name);
    if (index == kNotFound) {
        LogPrintWarning(u"Warning/GxTextureFlexFactory You tried to release the texture does not exist(%s)\n",
                        std::u16string(name).c_str());
        return;
    }
    ReleaseAt(index);
}

void GxTextureFlexFactory::ReleaseAll()
{
    GxMutexScopedLock lock(m_Lock);
    for (GxTextureFlex* texture : m_Textures) DeleteOrRetire(texture);
    m_Textures.clear();
    m_Count = 0;
    for (GxTextureFlex* texture : m_Retired) WaitForRunningJob(texture);
    SweepRetired();
}

std::int32_t GxTextureFlexFactory::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Count;
}

void GxTextureFlexFactory::Dump()
{
    GxMutexScopedLock lock(m_Lock);
    LogPrintDebug(u"---GxTextureFlexFactory dump start---\n");
    LogPrintDebug(u"total %d textures\n", m_Count);
    for (GxTextureFlex* texture : m_Textures) LogPrintDebug(u"%s\n", texture->GetName().c_str());
    LogPrintDebug(u"---GxTextureFlexFactory dump end---\n");
}

// ---- process-wide factories ----------------------------------------------------------------

GxTextureFactory& GetTextureFactory()
{
    static GxTextureFactory factory;
    return factory;
}

GxTextureFlexFactory& GetTextureFlexFactory()
{
    static GxTextureFlexFactory factory;
    return factory;
}
