// Shell services: the documents folder and file existence.
#pragma once

#include "platform/win32/win_types.h"

constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_APPDATA = 26;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// CSIDL_PERSONAL: the XDG documents folder (else $HOME/Documents), with "/" separators.
// `path` holds MAX_PATH units.
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
BOOL PathFileExistsW(LPCWSTR path);
