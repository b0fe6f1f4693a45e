// GxMoaEx: the engine's script instance: script text output goes to the debug log, warnings
// and errors to the error log with the script name and the 1-based line.
#pragma once

#include "script/moa.h"

class GxMoaEx : public GxMoa {
public:
    // Each formatted text is cut to this many units, its terminator included.
    static constexpr std::size_t kTextUnits = 1024;

    void Print(const char16_t* format, ...) override;
    void Warning(std::u16string scriptName, std::int32_t line, const char16_t* format, ...) override;
    void Error(std::u16string scriptName, std::int32_t line, const char16_t* format, ...) override;
};
