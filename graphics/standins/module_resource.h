// Stand-in for the Win32 module resources (LoadResource, SizeofResource, LockResource) until the
// platform layer offers them. A Linux executable carries no resource section, so a resource
// handle here points at a block of bytes that the program keeps itself (embedded data).
#pragma once

#include "platform/win32/win_types.h"

struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// What a resource handle points at.
struct GxModuleResourceBlock {
    const void* data = nullptr;
    DWORD size = 0;
};

// The handle of a block; the block must outlive every use of the handle.
inline HRSRC MakeResourceHandle(const GxModuleResourceBlock* block)
{
    return reinterpret_cast<HRSRC>(const_cast<GxModuleResourceBlock*>(block));
}

// Null for a null resource. The module handle is not used.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// 0 for a null resource.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// The first byte of the loaded resource; null for null.
LPVOID LockResource(HGLOBAL loaded);
