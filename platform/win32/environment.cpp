#include "platform/win32/environment.h"

#include "platform/win32/codepage.h"
#include "platform/win32/file.h"

#include <cstdlib>
#include <string>

DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size)
{
    if (!source) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string text = source;
    std::u16string result;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find(u'%', i);
        if (open == std::u16string::npos) {
            result.append(text, i, std::u16string::npos);
            break;
        }
        result.append(text, i, open - i);
        const std::size_t close = text.find(u'%', open + 1);
        if (close == std::u16string::npos) {
            result.append(text, open, std::u16string::npos);
            break;
        }
        const std::u16string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(platform::Utf16ToUtf8(name).c_str());
        if (value) {
            result += platform::Utf8ToUtf16(value);
            i = close + 1;
        } else {
            // Kept as written; the closing "%" may open the next name.
            result.append(text, open, close - open);
            i = close;
        }
    }
    const DWORD needed = static_cast<DWORD>(result.size() + 1);
    if (destination && size >= needed) {
        result.copy(destination, result.size());
        destination[result.size()] = u'\0';
    }
    return needed;
}
