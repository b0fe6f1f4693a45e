#include "graphics/standins/module_resource.h"

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
