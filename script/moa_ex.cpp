#include "script/moa_ex.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <cstdarg>

void GxMoaEx::Print(const char16_t* format, ...)
{
    char16_t text[kTextUnits];
    va_list args;
    va_start(args, format);
    FormatWideBufferV(text, kTextUnits, format, args);
    va_end(args);
    LogPrintDebug(u"%s\n", text);
}

void GxMoaEx::Warning(std::u16string scriptName, std::int32_t line, const char16_t* format, ...)
{
    ++m_WarningCount;
    char16_t text[kTextUnits];
    va_list args;
    va_start(args, format);
    FormatWideBufferV(text, kTextUnits, format, args);
    va_end(args);
    LogPrintWarning(u"warn:[Script=\"%s\"/line=%d] %s\n", scriptName.c_str(), line + 1, text);
}

void GxMoaEx::Error(std::u16string scriptName, std::int32_t line, const char16_t* format, ...)
{
    ++m_ErrorCount;
    char16_t text[kTextUnits];
    va_list args;
    va_start(args, format);
    FormatWideBufferV(text, kTextUnits, format, args);
    va_end(args);
    LogPrint(u"err:[Script=\"%s\"/line=%d] %s\n", scriptName.c_str(), line + 1, text);
}
