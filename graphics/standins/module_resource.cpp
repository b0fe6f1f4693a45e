#include "graphics/standins/module_resource.h"

#include "foundation/wide_string.h"

#include <map>
#include <string>
#include <utility>

namespace {

// A name or type as the table keys it: numbers as "#<n>", texts lower-cased.
std::u16string ResourceKey(LPCWSTR id)
{
    const auto value = reinterpret_cast<ULONG_PTR>(id);
    if (value <= 0xFFFF)
        return u"#" + Utf8ToWide(std::to_string(value));
    return WideToLowerAscii(std::u16string(id));
}

using ResourceTable = std::map<std::pair<std::u16string, std::u16string>, const GxModuleResourceBlock*>;

// Registered at start-up on the window thread and only read afterwards.
ResourceTable& Table()
{
    static ResourceTable table;
    return table;
}

}  // namespace

void RegisterModuleResource(LPCWSTR type, LPCWSTR name, const GxModuleResourceBlock* block)
{
    auto key = std::make_pair(ResourceKey(type), ResourceKey(name));
    if (block == nullptr)
        Table().erase(key);
    else
        Table()[std::move(key)] = block;
}

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type)
{
    const auto found = Table().find(std::make_pair(ResourceKey(type), ResourceKey(name)));
    return found != Table().end() ? MakeResourceHandle(found->second) : nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    return resource;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    if (!resource) return 0;
    return reinterpret_cast<const GxModuleResourceBlock*>(resource)->size;
}

LPVOID LockResource(HGLOBAL loaded)
{
    if (!loaded) return nullptr;
    return const_cast<void*>(static_cast<const GxModuleResourceBlock*>(loaded)->data);
}
