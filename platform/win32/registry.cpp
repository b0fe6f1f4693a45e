#include "platform/win32/registry.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

namespace {

struct Value {
    DWORD type = REG_SZ;
    std::u16string text;
};

// Keys are stored as "<root>\<path>" and value names as given, both in lower case (A-Z only);
// as in the Windows registry, only "\" separates keys.
struct Registry {
    std::mutex mutex;
    std::set<std::u16string> keys;
    std::map<std::pair<std::u16string, std::u16string>, Value> values;
    std::unordered_map<ULONG_PTR, std::u16string> open;   // opened key handle -> key
    ULONG_PTR next = 0x1000;
};

// Never destroyed: keys may be closed by code that runs at exit.
Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

std::u16string Lowered(const std::u16string& text)
{
    std::u16string result = text;
    for (char16_t& c : result)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return result;
}

bool IsRoot(HKEY key) { return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER; }

std::u16string RootName(HKEY key) { return key == HKEY_CLASSES_ROOT ? u"hkcr" : u"hkcu"; }

// Registry lock held. The key path of a root or open handle; false for an unknown handle.
bool KeyPath(Registry& registry, HKEY key, std::u16string& path)
{
    if (IsRoot(key)) {
        path = RootName(key);
        return true;
    }
    auto it = registry.open.find(reinterpret_cast<ULONG_PTR>(key));
    if (it == registry.open.end()) return false;
    path = it->second;
    return true;
}

std::u16string Join(const std::u16string& parent, const std::u16string& child)
{
    std::u16string trimmed = Lowered(child);
    while (!trimmed.empty() && trimmed.front() == u'\\') trimmed.erase(trimmed.begin());
    while (!trimmed.empty() && trimmed.back() == u'\\') trimmed.pop_back();
    return trimmed.empty() ? parent : parent + u'\\' + trimmed;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result)
{
    if (!result) return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::u16string parent;
    if (!KeyPath(registry, key, parent)) return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    const std::u16string path = Join(parent, subKey ? std::u16string(subKey) : std::u16string());
    if (!IsRoot(key) || path != parent) {
        if (registry.keys.count(path) == 0) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
    }
    const ULONG_PTR handle = registry.next;
    registry.next += 4;
    registry.open.emplace(handle, path);
    *result = reinterpret_cast<HKEY>(handle);
    return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize)
{
    if (data && !dataSize) return static_cast<LSTATUS>(ERROR_INVALID_PARAMETER);
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::u16string path;
    if (!KeyPath(registry, key, path)) return static_cast<LSTATUS>(ERROR_INVALID_HANDLE);
    const std::u16string name = valueName ? Lowered(valueName) : std::u16string();
    auto it = registry.values.find({path, name});
    if (it == registry.values.end()) return static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND);
    if (type) *type = it->second.type;
    const DWORD needed = static_cast<DWORD>((it->second.text.size() + 1) * sizeof(char16_t));
    if (!dataSize) return static_cast<LSTATUS>(ERROR_SUCCESS);
    if (!data) {
        *dataSize = needed;
        return static_cast<LSTATUS>(ERROR_SUCCESS);
    }
    if (*dataSize < needed) {
        *dataSize = needed;
        return static_cast<LSTATUS>(ERROR_MORE_DATA);
    }
    std::memcpy(data, it->second.text.c_str(), needed);
    *dataSize = needed;
    return static_cast<LSTATUS>(ERROR_SUCCESS);
}

LSTATUS RegCloseKey(HKEY key)
{
    if (IsRoot(key)) return static_cast<LSTATUS>(ERROR_SUCCESS);
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    return static_cast<LSTATUS>(registry.open.erase(reinterpret_cast<ULONG_PTR>(key)) > 0 ? ERROR_SUCCESS
                                                                                          : ERROR_INVALID_HANDLE);
}

namespace platform {

void SetRegistryValue(HKEY root, const std::u16string& key, const std::u16string& name, DWORD type,
                      const std::u16string& value)
{
    if (!IsRoot(root)) return;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const std::u16string path = Join(RootName(root), key);
    for (std::size_t cut = path.find(u'\\'); cut != std::u16string::npos; cut = path.find(u'\\', cut + 1))
        registry.keys.insert(path.substr(0, cut));
    registry.keys.insert(path);
    registry.values[{path, Lowered(name)}] = Value{type, value};
}

void ClearRegistry()
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.keys.clear();
    registry.values.clear();
}

}  // namespace platform
