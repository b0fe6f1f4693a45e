#include "platform/crt/wide_stdio.h"

#include "platform/win32/file.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

// Streams opened in a ccs=UTF-16LE mode: only those translate "\n" on wide writes.
struct TextStreamRegistry {
    std::mutex mutex;
    std::unordered_set<std::FILE*> streams;
};

TextStreamRegistry& Registry()
{
    static TextStreamRegistry registry;
    return registry;
}

void Remember(std::FILE* stream, bool utf16Text)
{
    TextStreamRegistry& registry = Registry();
    const std::lock_guard<std::mutex> lock(registry.mutex);
    // A plain fclose leaves a stale entry; a new stream at the same address replaces it here.
    if (utf16Text) registry.streams.insert(stream);
    else registry.streams.erase(stream);
}

bool IsUtf16Text(std::FILE* stream)
{
    TextStreamRegistry& registry = Registry();
    const std::lock_guard<std::mutex> lock(registry.mutex);
    return registry.streams.count(stream) != 0;
}

void Forget(std::FILE* stream)
{
    TextStreamRegistry& registry = Registry();
    const std::lock_guard<std::mutex> lock(registry.mutex);
    registry.streams.erase(stream);
}

struct OpenMode {
    char access = 0;         // 'r', 'w' or 'a'
    bool update = false;     // '+'
    bool utf16Text = false;  // ", ccs=UTF-16LE"
};

bool ParseMode(const WCHAR* wideMode, OpenMode& mode)
{
    std::string text;
    for (const WCHAR* p = wideMode; *p; ++p) {
        if (*p >= 0x80) return false;
        text.push_back(static_cast<char>(*p));
    }
    std::string flags = text;
    const std::size_t comma = text.find(',');
    if (comma != std::string::npos) {
        flags = text.substr(0, comma);
        std::string option;
        for (char c : text.substr(comma + 1)) {
            if (c == ' ') continue;
            option.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        }
        if (option != "ccs=utf-16le") return false;
        mode.utf16Text = true;
    }
    while (!flags.empty() && flags.back() == ' ') flags.pop_back();
    if (flags.empty() || (flags[0] != 'r' && flags[0] != 'w' && flags[0] != 'a')) return false;
    mode.access = flags[0];
    bool binary = false, textMode = false;
    for (std::size_t i = 1; i < flags.size(); ++i) {
        const char c = flags[i];
        if (c == '+' && !mode.update) mode.update = true;
        else if (c == 'b' && !binary && !textMode) binary = true;
        else if (c == 't' && !binary && !textMode) textMode = true;
        else return false;
    }
    // A ccs mode is a text mode; it cannot also be binary.
    return !(mode.utf16Text && binary);
}

bool StartsEmpty(std::FILE* stream)
{
    if (std::fseek(stream, 0, SEEK_END) != 0) return false;
    return std::ftell(stream) == 0;
}

// Reading or updating starts after the signature when the file has one.
void SkipSignature(std::FILE* stream)
{
    unsigned char bom[2] = {0, 0};
    if (std::fread(bom, 1, 2, stream) != 2 || bom[0] != 0xFF || bom[1] != 0xFE) std::fseek(stream, 0, SEEK_SET);
}

}  // namespace

std::FILE* _wfopen(const WCHAR* fileName, const WCHAR* mode)
{
    OpenMode parsed;
    if (!fileName || !mode || !*fileName || !ParseMode(mode, parsed)) {
        errno = EINVAL;
        return nullptr;
    }
    const bool creates = parsed.access != 'r';
    const std::string path = platform::ResolvePath(fileName, creates);
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    // Streams are always binary here; the UTF-16 text translation is done by fputws.
    std::string nativeMode(1, parsed.access);
    if (parsed.update) nativeMode += '+';
    nativeMode += "be";
    std::FILE* stream = std::fopen(path.c_str(), nativeMode.c_str());
    if (!stream) return nullptr;
    if (creates) platform::ForgetFolderListing(path);

    if (parsed.utf16Text) {
        if (parsed.access == 'r') {
            SkipSignature(stream);
        } else if (StartsEmpty(stream)) {
            static const unsigned char kBom[2] = {0xFF, 0xFE};
            if (std::fwrite(kBom, 1, 2, stream) != 2) {
                const int error = errno;
                std::fclose(stream);
                errno = error;
                return nullptr;
            }
        }
    }
    Remember(stream, parsed.utf16Text);
    return stream;
}

int fputws(const WCHAR* text, std::FILE* stream)
{
    if (!text || !stream) {
        errno = EINVAL;
        return -1;
    }
    const bool translate = IsUtf16Text(stream);
    std::vector<unsigned char> bytes;
    for (const WCHAR* p = text; *p; ++p) {
        if (translate && *p == u'\n') bytes.insert(bytes.end(), {0x0D, 0x00});
        bytes.push_back(static_cast<unsigned char>(*p & 0xFF));
        bytes.push_back(static_cast<unsigned char>(*p >> 8));
    }
    if (bytes.empty()) return 0;
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() ? 0 : -1;
}

int fclose_w(std::FILE* stream)
{
    if (!stream) {
        errno = EINVAL;
        return EOF;
    }
    Forget(stream);
    return std::fclose(stream);
}

int _fileno(std::FILE* stream)
{
    return fileno(stream);
}

int _commit(int fd)
{
    return fsync(fd);
}
