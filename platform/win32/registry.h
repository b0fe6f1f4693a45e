// The registry: an in-memory stand-in. Linux has no registry, so every key is absent unless a
// test (or a later layer) seeds it; key paths compare without regard to case, value names too.
#pragma once

#include "platform/win32/win_types.h"

#include <string>

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;
using LSTATUS = LONG;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u));

constexpr REGSAM KEY_QUERY_VALUE = 0x1;
constexpr REGSAM KEY_READ = 0x20019;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD ERROR_MORE_DATA = 234;

// Opens `subKey` (null or empty: the key itself again) below a root or an opened key.
// ERROR_FILE_NOT_FOUND when no such key was seeded.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, HKEY* result);
// A null or empty name reads the key's default value. The text is written with its NUL and
// `dataSize` set to its size in bytes; a buffer too small gives ERROR_MORE_DATA and the size
// needed, a null `data` only the size.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LSTATUS RegCloseKey(HKEY key);

namespace platform {

// Seeds a text value (REG_SZ or REG_EXPAND_SZ); an empty name is the default value. The key
// and its parents exist from then on.
void SetRegistryValue(HKEY root, const std::u16string& key, const std::u16string& name, DWORD type,
                      const std::u16string& value);
// Forgets every seeded key; keys still open stay valid handles that find nothing.
void ClearRegistry();

}  // namespace platform
