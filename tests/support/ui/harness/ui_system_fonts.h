// The engine's six glyph caches at the configured sizes for a widget test (as the game start-up
// sets them), and all system fonts emptied and back at the default size when it goes, so that no
// test leaves glyph pages or sizes to the next. No GoogleTest.
#pragma once

#include <cstdint>

class GxSystemConfig;

class UISystemFonts {
public:
    explicit UISystemFonts(const GxSystemConfig& config);
    ~UISystemFonts();
    UISystemFonts(const UISystemFonts&) = delete;
    UISystemFonts& operator=(const UISystemFonts&) = delete;
};
