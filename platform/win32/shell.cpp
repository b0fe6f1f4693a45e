#include "platform/win32/shell.h"

#include "platform/win32/codepage.h"
#include "platform/win32/file.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The value of KEY="..." in user-dirs.dirs: "$HOME/x" or an absolute path, with \-escapes.
bool ReadUserDir(const std::string& file, const std::string& key, const std::string& home, std::string& folder)
{
    std::ifstream stream(file);
    std::string line;
    bool found = false;
    while (std::getline(stream, line)) {
        std::size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line[at] == '#' || line.compare(at, key.size(), key) != 0) continue;
        at = line.find_first_not_of(" \t", at + key.size());
        if (at == std::string::npos || line[at] != '=' || at + 1 >= line.size() || line[at + 1] != '"') continue;
        std::string value;
        bool closed = false;
        for (std::size_t i = at + 2; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                value += line[++i];
            } else if (line[i] == '"') {
                closed = true;
                break;
            } else {
                value += line[i];
            }
        }
        if (!closed) continue;
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
            value = home + value.substr(5);
        else if (value.empty() || value[0] != '/')
            continue;   // only home-relative and absolute paths are valid there
        folder = value;
        found = true;   // the last assignment wins, as in a shell
    }
    return found;
}

std::string ConfigHome(const std::string& home)
{
    const std::string configured = Environment("XDG_CONFIG_HOME");
    return !configured.empty() && configured[0] == '/' ? configured : home + "/.config";
}

bool IsFolder(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Every missing level of an absolute path, 0700 as user data folders are made.
bool MakeFolders(const std::string& path)
{
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (!IsFolder(prefix) && mkdir(prefix.c_str(), 0700) != 0 && !IsFolder(prefix)) return false;
        if (at == std::string::npos) return true;
    }
}

// Windows always has a documents folder; many Linux homes have none. The XDG data folder
// stands in then, so that saves always have a home of the user's own.
bool DocumentsFolder(const std::string& home, std::string& result)
{
    if (!ReadUserDir(ConfigHome(home) + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR", home, result))
        result = home + "/Documents";
    if (IsFolder(result)) return true;
    const std::string data = Environment("XDG_DATA_HOME");
    result = !data.empty() && data[0] == '/' ? data : home + "/.local/share";
    while (result.size() > 1 && result.back() == '/') result.pop_back();
    return MakeFolders(result);
}

}  // namespace

HRESULT SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path)
{
    if (!path) return E_INVALIDARG;
    path[0] = 0;
    const std::string home = Environment("HOME");
    if (home.empty()) return E_FAIL;

    std::string result;
    switch (folder & 0xFF) {   // the high bits are creation flags
    case CSIDL_PERSONAL:
        if (!DocumentsFolder(home, result)) return E_FAIL;
        break;
    case CSIDL_APPDATA: result = ConfigHome(home); break;
    default: return E_INVALIDARG;
    }
    while (result.size() > 1 && result.back() == '/') result.pop_back();

    const std::u16string wide = platform::Utf8ToUtf16(result);
    if (wide.size() >= MAX_PATH) return E_FAIL;   // the caller's buffer holds MAX_PATH units
    std::memcpy(path, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    return S_OK;
}

BOOL PathFileExistsW(LPCWSTR path)
{
    return path && platform::PathExists(path) ? TRUE : FALSE;
}
