// Shell services: the documents folder and file existence.
#pragma once

#include "platform/win32/win_types.h"

constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_APPDATA = 26;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

// CSIDL_PERSONAL: the XDG documents folder (else $HOME/Documents) when it exists, otherwise the
// XDG data folder ($XDG_DATA_HOME, else $HOME/.local/share), made with its parents if missing.
// "/" separators.
// `path` holds MAX_PATH units.
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
BOOL PathFileExistsW(LPCWSTR path);
