// Stand-in for the Win32 module resources (FindResourceW, LoadResource, SizeofResource,
// LockResource) until the platform layer offers them. A Linux executable carries no resource
// section, so a resource handle here points at a block of bytes that the program keeps itself
// (embedded data), and FindResourceW searches the blocks the program registered.
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

// A numbered resource name or type, as Win32 spells it: the number in the pointer itself.
inline LPCWSTR MakeIntResourceW(WORD id)
{
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id));
}

// Puts a block in the table under its type and name (text or MakeIntResourceW; texts compare
// ignoring the case of A-Z, and "#102" is the number 102). A later block under the same type
// and name replaces it; a null block removes the entry. The block must outlive its entry.
void RegisterModuleResource(LPCWSTR type, LPCWSTR name, const GxModuleResourceBlock* block);
// The registered block of that name and type; null when there is none. The module handle is
// not used: the program is the only module.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// Null for a null resource. The module handle is not used.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// 0 for a null resource.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// The first byte of the loaded resource; null for null.
LPVOID LockResource(HGLOBAL loaded);
