// The GDI objects behind HDC and HFONT values: memory device contexts holding a selected
// font, and fonts. Handles are never reused, so a stale one is always recognised as bad.
#pragma once

#include "platform/gdi/font.h"
#include "platform/gdi/gdi.h"

#include <cstdint>
#include <map>
#include <memory>

namespace platform::gdi {

struct DeviceContext {
    std::shared_ptr<Font> font;   // keeps a font deleted while selected usable until replaced
    HGDIOBJ fontHandle = nullptr;
};

// Every operation runs under the font system's lock.
class GdiObjectTable {
public:
    static GdiObjectTable& Get();

    HDC AddContext();
    bool RemoveContext(HDC dc);
    DeviceContext* FindContext(HDC dc);

    HGDIOBJ AddFont(std::shared_ptr<Font> font);
    bool RemoveFont(HGDIOBJ handle);
    std::shared_ptr<Font> FindFont(HGDIOBJ handle);
    // Made on first use; null when no font can be made at all.
    HGDIOBJ StockFont();

private:
    GdiObjectTable();

    // Handle values: a count in the upper bits and the kind in the low nibble, clear of
    // window handles (multiples of 16) and paint contexts (window + 8).
    static constexpr std::uintptr_t kContextTag = 4;
    static constexpr std::uintptr_t kFontTag = 12;
    std::uintptr_t NextValue(std::uintptr_t tag);

    std::uintptr_t m_Count = 0;
    std::map<std::uintptr_t, DeviceContext> m_Contexts;
    std::map<std::uintptr_t, std::shared_ptr<Font>> m_Fonts;
    HGDIOBJ m_StockFont = nullptr;
    bool m_StockFontTried = false;
};

}  // namespace platform::gdi
