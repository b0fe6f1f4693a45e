// Readable names for Direct3D values in log lines: format enumerator names and result texts.
// Both are safe to call from any thread (loader and movie threads log through them too).
#pragma once

#include "platform/d3d9/d3d9_types.h"

#include <string>

// The enumerator name of a format ("D3DFMT_A8R8G8B8"), or "ERROR" for a value without one.
// The text is a constant: it never changes and needs no copy.
const WCHAR* GetD3DFormatName(D3DFORMAT format);

// The text of a result code, or "未知のエラーです。(code:0x…)" for a code without one.
// Every call returns its own string, so two texts never overwrite each other.
std::u16string DescribeD3DError(HRESULT result);
