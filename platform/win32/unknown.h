// The COM base interface shared by the platform's object interfaces (DirectInput, and any
// other module shaped as COM objects). Objects are reference counted; Release deletes them.
#pragma once

#include "platform/win32/win_types.h"

constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;   // destroyed through Release only
};
using LPUNKNOWN = IUnknown*;

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
