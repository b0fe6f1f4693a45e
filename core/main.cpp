// Process entry: tarnwick [GAME_FOLDER]
#include "platform/win32/file.h"

#include <cstdio>
#include <string>

namespace {

std::u16string Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (0x3F >> extra);
        ++i;
        for (int k = 0; k < extra && i < text.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: tarnwick [GAME_FOLDER]\n");
        return 2;
    }
    if (argc == 2) {
        std::u16string folder = Utf8ToUtf16(argv[1]);
        if (!SetCurrentDirectoryW(folder.c_str())) {
            std::fprintf(stderr, "tarnwick: cannot enter the game folder \"%s\"\n", argv[1]);
            return 1;
        }
    }
    return 0;
}
