#include "platform/win32/message_box.h"

#include "platform/win32/codepage.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

constexpr UINT kButtonMask = 0xF;
constexpr UINT kIconMask = 0xF0;

struct MessageBoxState {
    std::mutex mutex;
    std::vector<platform::MessageBoxRecord> shown;
    std::optional<bool> headless;   // set by tests; else decided from the environment
};

MessageBoxState& State()
{
    static MessageBoxState state;
    return state;
}

bool HeadlessFromEnvironment()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) return true;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(display && *display) && !(wayland && *wayland);
}

// The answer of a box that nobody can see: its first button.
int DefaultAnswer(UINT type) { return (type & kButtonMask) == MB_YESNO ? IDYES : IDOK; }

Uint32 SdlFlags(UINT type)
{
    switch (type & kIconMask) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

int ShowWithSdl(const std::string& caption, const std::string& text, UINT type)
{
    const UINT buttons = type & kButtonMask;
    if (buttons != MB_OKCANCEL && buttons != MB_YESNO) {
        if (SDL_ShowSimpleMessageBox(SdlFlags(type), caption.c_str(), text.c_str(), nullptr) != 0) return -1;
        return IDOK;
    }
    const bool yesNo = buttons == MB_YESNO;
    const SDL_MessageBoxButtonData data[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, yesNo ? IDYES : IDOK, yesNo ? "Yes" : "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, yesNo ? IDNO : IDCANCEL, yesNo ? "No" : "Cancel"},
    };
    const SDL_MessageBoxData box = {SdlFlags(type), nullptr, caption.c_str(), text.c_str(), 2, data, nullptr};
    int answer = 0;
    if (SDL_ShowMessageBox(&box, &answer) != 0) return -1;
    return answer < 0 ? data[1].buttonid : answer;   // closed without a button: the escape answer
}

}  // namespace

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    platform::MessageBoxRecord record;
    record.text = text ? text : u"";
    record.caption = caption ? caption : u"Error";
    record.type = type;
    const std::string text8 = platform::Utf16ToUtf8(record.text);
    const std::string caption8 = platform::Utf16ToUtf8(record.caption);

    bool headless = false;
    {
        MessageBoxState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        state.shown.push_back(std::move(record));
        headless = state.headless.value_or(HeadlessFromEnvironment());
    }
    if (!headless) {
        const int answer = ShowWithSdl(caption8, text8, type);
        if (answer >= 0) return answer;
    }
    // No one to show it to (or SDL could not): the text still reaches the user's terminal.
    std::fprintf(stderr, "%s: %s\n", caption8.c_str(), text8.c_str());
    std::fflush(stderr);
    return DefaultAnswer(type);
}

namespace platform {

const std::vector<MessageBoxRecord>& ShownMessageBoxes() { return State().shown; }

void ClearShownMessageBoxes()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().shown.clear();
}

void SetMessageBoxHeadless(bool headless)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().headless = headless;
}

}  // namespace platform
