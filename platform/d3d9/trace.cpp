#include "platform/d3d9/trace.h"

#include "platform/win32/system_info.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace platform::d3d9 {

void Trace(const char* format, ...)
{
    char text[512];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // Messages are ASCII: widen byte by byte.
    std::u16string wide = u"Direct3D9: ";
    for (const char* p = text; *p; ++p) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    wide.push_back(u'\n');
    OutputDebugStringW(wide.c_str());
}

}  // namespace platform::d3d9
