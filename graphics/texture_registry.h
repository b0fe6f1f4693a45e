// GxTextureRegistry: the named, reference-counted list behind each texture factory. Names are
// compared without regard to the case of A-Z. Every operation holds the registry's lock (the
// factory's lock) for its whole run, creation and file loads included.
//
// An object whose deferred load is queued or running is never deleted under the job pool: the
// release that brings it to zero takes it out of the list and retires it; retired objects are
// deleted by a later operation once their job has run or was cancelled.
#pragma once

#include "foundation/mutex.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

template <typename Object>
class GxTextureRegistry {
public:
    // `owner` names the factory in the messages ("GxTextureFactory").
    explicit GxTextureRegistry(const char16_t* owner) : m_Owner(owner) {}

    GxTextureRegistry(const GxTextureRegistry&) = delete;
    GxTextureRegistry& operator=(const GxTextureRegistry&) = delete;

    // The registered object of that name with one more reference; otherwise what `make` builds
    // for the name, registered unless it is null.
    Object* Acquire(std::u16string_view name, const std::function<Object*(std::u16string_view)>& make);
    // No reference is added.
    Object* Find(std::u16string_view name);
    // Drops one reference; deletes (or retires) at zero. One not registered only logs a warning.
    void Release(Object* object);
    void Release(std::u16string_view name);
    // Every registered object goes whatever its count; waits for loads already running.
    void ReleaseAll();
    std::int32_t GetCount();
    // The list of names to the debug log.
    void Dump();

private:
    std::size_t FindIndex(std::u16string_view name) const;
    void ReleaseAt(std::size_t index);
    void DeleteOrRetire(Object* object);
    void SweepRetired();

    const char16_t* m_Owner;
    std::vector<Object*> m_Objects;   // owned, in registration order
    std::int32_t m_Count = 0;
    GxMutex m_Lock;
    // Released objects whose load is still queued or running; deleted once it is over.
    std::vector<Object*> m_Retired;
};
