// Fuzz target: the INI parser and the 8-bit and UTF-16 line readers over the same bytes.
#include "foundation/file.h"
#include "foundation/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);

    GxINIFile ini;
    ini.ParseText(std::string_view(text, size));
    ini.GetInt(u"APP_TITLE", 0);
    ini.GetString(u"PACK_FILE_00", u"");

    const char* cursor = text;
    std::string line;
    int lineCount = 0;
    while (ReadTextLine(cursor, text + size, line, lineCount)) {
    }
    cursor = text;
    lineCount = 0;
    while (ReadTextLine(cursor, text + size, line, lineCount, 65001)) {
    }

    std::vector<char16_t> wide(size / 2);
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    const char16_t* wideCursor = wide.data();
    std::u16string wideLine;
    lineCount = 0;
    while (ReadTextLineWide(wideCursor, wide.data() + wide.size(), wideLine, lineCount)) {
    }
    return 0;
}
