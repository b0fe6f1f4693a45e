#include "graphics/texture_registry.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"

#include <chrono>
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

}  // namespace

template <typename Object>
Object* GxTextureRegistry<Object>::Acquire(std::u16string_view name,
                                           const std::function<Object*(std::u16string_view)>& make)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::u16string copy(name);
    const std::size_t index = FindIndex(copy);
    if (index != kNotFound) {
        m_Objects[index]->AddRef();
        return m_Objects[index];
    }
    Object* object = make(copy);
    if (!object) return nullptr;
    m_Objects.push_back(object);
    ++m_Count;
    return object;
}

template <typename Object>
Object* GxTextureRegistry<Object>::Find(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindIndex(name);
    return index != kNotFound ? m_Objects[index] : nullptr;
}

template <typename Object>
std::size_t GxTextureRegistry<Object>::FindIndex(std::u16string_view name) const
{
    for (std::size_t i = 0; i < m_Objects.size(); ++i)
        if (WideCompare(m_Objects[i]->GetName(), name) == 0) return i;
    return kNotFound;
}

template <typename Object>
void GxTextureRegistry<Object>::ReleaseAt(std::size_t index)
{
    Object* object = m_Objects[index];
    object->Release();
    if (object->GetRefCount() != 0) return;
    m_Objects.erase(m_Objects.begin() + std::ptrdiff_t(index));
    --m_Count;
    DeleteOrRetire(object);
}

template <typename Object>
void GxTextureRegistry<Object>::DeleteOrRetire(Object* object)
{
    // A queued or running load would call into the object after it is gone.
    if (IsJobInFlight(object)) {
        m_Retired.push_back(object);
        return;
    }
    delete object;
}

template <typename Object>
void GxTextureRegistry<Object>::SweepRetired()
{
    for (std::size_t i = 0; i < m_Retired.size();) {
        if (IsJobInFlight(m_Retired[i])) {
            ++i;
            continue;
        }
        delete m_Retired[i];
        m_Retired.erase(m_Retired.begin() + std::ptrdiff_t(i));
    }
}

template <typename Object>
void GxTextureRegistry<Object>::Release(Object* object)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    std::size_t index = kNotFound;
    for (std::size_t i = 0; i < m_Objects.size() && index == kNotFound; ++i)
        if (m_Objects[i] == object) index = i;
    if (index == kNotFound) {
        LogPrintWarning(u"Warning/%s You tried to release the texture does not exist(0x%llx)\n", m_Owner,
                        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(object)));
        return;
    }
    ReleaseAt(index);
}

template <typename Object>
void GxTextureRegistry<Object>::Release(std::u16string_view name)
{
    GxMutexScopedLock lock(m_Lock);
    SweepRetired();
    const std::size_t index = FindIndex(name);
    if (index == kNotFound) {
        LogPrintWarning(u"Warning/%s You tried to release the texture does not exist(%s)\n", m_Owner,
                        std::u16string(name).c_str());
        return;
    }
    ReleaseAt(index);
}

template <typename Object>
void GxTextureRegistry<Object>::ReleaseAll()
{
    GxMutexScopedLock lock(m_Lock);
    for (Object* object : m_Objects) DeleteOrRetire(object);
    m_Objects.clear();
    m_Count = 0;
    for (Object* object : m_Retired) WaitForRunningJob(object);
    SweepRetired();
}

template <typename Object>
std::int32_t GxTextureRegistry<Object>::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Count;
}

template <typename Object>
void GxTextureRegistry<Object>::Dump()
{
    GxMutexScopedLock lock(m_Lock);
    LogPrintDebug(u"---%s dump start---\n", m_Owner);
    LogPrintDebug(u"total %d textures\n", m_Count);
    for (Object* object : m_Objects) LogPrintDebug(u"%s\n", object->GetName().c_str());
    LogPrintDebug(u"---%s dump end---\n", m_Owner);
}

// The two factories' lists.
template class GxTextureRegistry<GxTextureBase>;
template class GxTextureRegistry<GxTextureFlex>;
