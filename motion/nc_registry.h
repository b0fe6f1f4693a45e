// The registry both motion factories keep: objects under their names with A-Z lower-cased,
// shared by counted references and deleted at the last release. The owning factory holds its
// own lock around every call; `owner` names it in the warnings and reports.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

template <typename T>
class GxNcRegistry {
public:
    using Map = std::map<std::u16string, T*>;

    explicit GxNcRegistry(const char16_t* owner) : m_Owner(owner) {}

    // The object under `key` (lower-cased already) with one more reference, or null.
    T* AddRefExisting(const std::u16string& key)
    {
        auto found = m_Map.find(key);
        if (found == m_Map.end())
            return nullptr;
        found->second->AddRef();
        return found->second;
    }
    void Add(const std::u16string& key, T* object) { m_Map[key] = object; }
    // No reference taken.
    T* Find(const std::u16string& name) const
    {
        auto found = m_Map.find(WideToLowerAscii(name));
        return found != m_Map.end() ? found->second : nullptr;
    }

    // One reference less; the last one calls `onDelete`, unregisters and deletes the object.
    // An object or name the registry does not hold gets a warning.
    void Release(T* object, const std::function<void(T*)>& onDelete = {})
    {
        auto entry = std::find_if(m_Map.begin(), m_Map.end(), [object](const auto& e) { return e.second == object; });
        if (entry == m_Map.end()) {
            // A pointer the registry does not hold may be gone already, so it is not read.
            WarnUnknown(u"");
            return;
        }
        ReleaseEntry(entry, onDelete);
    }
    void Release(const std::u16string& name, const std::function<void(T*)>& onDelete = {})
    {
        auto entry = m_Map.find(WideToLowerAscii(name));
        if (entry == m_Map.end()) {
            WarnUnknown(name.c_str());
            return;
        }
        ReleaseEntry(entry, onDelete);
    }

    // Releases and deletes every object whatever its count; no message.
    void ReleaseAll()
    {
        for (auto& [key, object] : m_Map) {
            object->ReleaseAll();
            delete object;
        }
        m_Map.clear();
    }
    // One error-log line per object still registered, in key order.
    void ReportUnreleased() const
    {
        for (const auto& entry : m_Map)
            LogPrint(u"Warning/%s Object Not Released(%s)\n", m_Owner, entry.first.c_str());
    }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_Map.size()); }

private:
    void ReleaseEntry(typename Map::iterator entry, const std::function<void(T*)>& onDelete)
    {
        T* object = entry->second;
        if (object->Release() != 0)
            return;
        if (onDelete)
            onDelete(object);
        m_Map.erase(entry);
        delete object;
    }
    void WarnUnknown(const char16_t* name) const
    {
        LogPrintWarning(u"Warning/%s You tried to release the object does not exist(%s)\n", m_Owner, name);
    }

    const char16_t* m_Owner;
    Map m_Map;
};
