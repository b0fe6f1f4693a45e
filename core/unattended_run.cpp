#include "core/unattended_run.h"

#include "core/bench_marks.h"
#include "core/core.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "graphics/png_image.h"
#include "platform/d3d9/device_control.h"
#include "platform/win32/window.h"

#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

volatile std::sig_atomic_t g_QuitSignal = 0;

extern "C" void OnQuitSignal(int)
{
    g_QuitSignal = 1;
}

struct KindName {
    const char* name;
    GxScriptedInputKind kind;
};

constexpr KindName kKindNames[] = {
    {"move", GxScriptedInputKind::Move},         {"ldown", GxScriptedInputKind::LeftDown},
    {"lup", GxScriptedInputKind::LeftUp},        {"rdown", GxScriptedInputKind::RightDown},
    {"rup", GxScriptedInputKind::RightUp},       {"mdown", GxScriptedInputKind::MiddleDown},
    {"mup", GxScriptedInputKind::MiddleUp},      {"wheel", GxScriptedInputKind::Wheel},
    {"keydown", GxScriptedInputKind::KeyDown},   {"keyup", GxScriptedInputKind::KeyUp},
    {"close", GxScriptedInputKind::Close},
};

bool IsPointKind(GxScriptedInputKind kind)
{
    return kind <= GxScriptedInputKind::MiddleUp;
}

// A whole token as a decimal integer within [low, high].
bool ParseInteger(const std::string& token, long long low, long long high, long long& value)
{
    if (token.empty() || token.size() > 12)
        return false;
    char* end = nullptr;
    const long long parsed = std::strtoll(token.c_str(), &end, 10);
    if (end == nullptr || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

// Every white-space character of the C locale separates tokens.
constexpr const char* kBlank = " \t\r\v\f";

bool ParseLine(const std::string& line, GxScriptedInput& event, std::string& why)
{
    std::vector<std::string> tokens;
    for (std::size_t at = line.find_first_not_of(kBlank); at != std::string::npos;) {
        const std::size_t end = line.find_first_of(kBlank, at);
        tokens.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? end : line.find_first_not_of(kBlank, end);
    }
    if (tokens.empty()) {
        why = "missing pass number";
        return false;
    }
    long long number = 0;
    if (!ParseInteger(tokens[0], 0, GxUnattendedRun::kMaxPasses, number)) {
        why = "bad pass number";
        return false;
    }
    event.m_Pass = static_cast<std::uint32_t>(number);
    if (tokens.size() < 2) {
        why = "missing event";
        return false;
    }
    const auto kind = std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                   [&](const KindName& k) { return tokens[1] == k.name; });
    if (kind == std::end(kKindNames)) {
        why = "unknown event \"" + tokens[1] + "\"";
        return false;
    }
    event.m_Kind = kind->kind;
    std::size_t expected = 2;
    if (IsPointKind(event.m_Kind)) {
        expected = 4;
        long long x = 0, y = 0;
        // Client coordinates travel as signed 16-bit halves of the message.
        if (tokens.size() != expected || !ParseInteger(tokens[2], -32768, 32767, x) ||
            !ParseInteger(tokens[3], -32768, 32767, y)) {
            why = "expected two client coordinates";
            return false;
        }
        event.m_X = static_cast<std::int32_t>(x);
        event.m_Y = static_cast<std::int32_t>(y);
    } else if (event.m_Kind == GxScriptedInputKind::Wheel) {
        expected = 3;
        long long notches = 0;
        if (tokens.size() != expected || !ParseInteger(tokens[2], -100, 100, notches) || notches == 0) {
            why = "expected a wheel movement of 1 to 100 notches either way";
            return false;
        }
        event.m_X = static_cast<std::int32_t>(notches);
    } else if (event.m_Kind == GxScriptedInputKind::KeyDown || event.m_Kind == GxScriptedInputKind::KeyUp) {
        // The rest of the line is the name: SDL's names of the modifier keys hold a space
        // ("Left Ctrl").
        std::string name;
        for (std::size_t i = 2; i < tokens.size(); ++i)
            name += (i > 2 ? " " : "") + tokens[i];
        expected = tokens.size();
        const SDL_Scancode scancode = name.empty() ? SDL_SCANCODE_UNKNOWN : SDL_GetScancodeFromName(name.c_str());
        if (scancode == SDL_SCANCODE_UNKNOWN) {
            why = "expected a key name";
            return false;
        }
        event.m_Scancode = static_cast<std::int32_t>(scancode);
    }
    if (tokens.size() != expected) {
        why = "unexpected arguments";
        return false;
    }
    return true;
}

void SendScriptedInput(HWND window, const GxScriptedInput& input)
{
    SDL_Window* sdlWindow = platform::GetSdlWindow(window);
    if (sdlWindow == nullptr)
        return;
    const Uint32 id = SDL_GetWindowID(sdlWindow);
    SDL_Event event{};
    switch (input.m_Kind) {
    case GxScriptedInputKind::Move:
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = id;
        event.motion.x = input.m_X;
        event.motion.y = input.m_Y;
        break;
    case GxScriptedInputKind::LeftDown:
    case GxScriptedInputKind::LeftUp:
    case GxScriptedInputKind::RightDown:
    case GxScriptedInputKind::RightUp:
    case GxScriptedInputKind::MiddleDown:
    case GxScriptedInputKind::MiddleUp: {
        const bool down = input.m_Kind == GxScriptedInputKind::LeftDown ||
                          input.m_Kind == GxScriptedInputKind::RightDown ||
                          input.m_Kind == GxScriptedInputKind::MiddleDown;
        Uint8 button = SDL_BUTTON_LEFT;
        if (input.m_Kind == GxScriptedInputKind::RightDown || input.m_Kind == GxScriptedInputKind::RightUp)
            button = SDL_BUTTON_RIGHT;
        else if (input.m_Kind == GxScriptedInputKind::MiddleDown || input.m_Kind == GxScriptedInputKind::MiddleUp)
            button = SDL_BUTTON_MIDDLE;
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = id;
        event.button.button = button;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = input.m_X;
        event.button.y = input.m_Y;
        break;
    }
    case GxScriptedInputKind::Wheel:
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = id;
        event.wheel.y = input.m_X;
        event.wheel.preciseY = static_cast<float>(input.m_X);
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        break;
    case GxScriptedInputKind::KeyDown:
    case GxScriptedInputKind::KeyUp: {
        const bool down = input.m_Kind == GxScriptedInputKind::KeyDown;
        const auto scancode = static_cast<SDL_Scancode>(input.m_Scancode);
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = id;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        break;
    }
    case GxScriptedInputKind::Close:
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = id;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        break;
    }
    SDL_PushEvent(&event);
}

}  // namespace

bool GxUnattendedRun::ConfigureFromEnvironment(std::string* error)
{
    const char* maxPasses = std::getenv("TARNWICK_MAX_FRAMES");
    if (maxPasses != nullptr && maxPasses[0] != '\0') {
        long long value = 0;
        if (!ParseInteger(maxPasses, 1, kMaxPasses, value)) {
            if (error)
                *error = std::string("TARNWICK_MAX_FRAMES: expected a number of frames from 1 to ") +
                         std::to_string(kMaxPasses) + ", got \"" + maxPasses + "\"";
            return false;
        }
        m_MaxPasses = static_cast<std::uint32_t>(value);
    }
    const char* script = std::getenv("TARNWICK_INPUT_SCRIPT");
    if (script != nullptr && script[0] != '\0') {
        std::string why;
        if (!LoadInputScript(script, &why)) {
            if (error)
                *error = "TARNWICK_INPUT_SCRIPT: " + why;
            return false;
        }
    }
    const char* passes = std::getenv("TARNWICK_CAPTURE_PASSES");
    const char* folder = std::getenv("TARNWICK_CAPTURE_DIR");
    const bool hasPasses = passes != nullptr && passes[0] != '\0';
    const bool hasFolder = folder != nullptr && folder[0] != '\0';
    if (hasPasses) {
        std::string why;
        if (!ParseCapturePasses(passes, &why)) {
            if (error)
                *error = "TARNWICK_CAPTURE_PASSES: " + why;
            return false;
        }
        if (!hasFolder) {
            if (error)
                *error = "TARNWICK_CAPTURE_PASSES: needs TARNWICK_CAPTURE_DIR, the folder for the pictures";
            return false;
        }
    }
    if (hasFolder) {
        std::error_code ignored;
        if (!std::filesystem::is_directory(folder, ignored)) {
            if (error)
                *error = std::string("TARNWICK_CAPTURE_DIR: \"") + folder + "\" is not a folder";
            return false;
        }
        m_CaptureFolder = folder;
    }
    return true;
}

bool GxUnattendedRun::ParseCapturePasses(std::string_view text, std::string* error)
{
    m_CapturePasses.clear();
    std::vector<std::uint32_t> passes;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string token(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        const std::size_t first = token.find_first_not_of(kBlank);
        token = first == std::string::npos ? std::string() : token.substr(first, token.find_last_not_of(kBlank) - first + 1);
        long long pass = 0;
        if (!ParseInteger(token, 0, kMaxPasses - 1, pass)) {
            if (error)
                *error = "expected comma-separated pass numbers from 0 to " + std::to_string(kMaxPasses - 1) +
                         ", got \"" + token + "\"";
            return false;
        }
        passes.push_back(static_cast<std::uint32_t>(pass));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    std::sort(passes.begin(), passes.end());
    passes.erase(std::unique(passes.begin(), passes.end()), passes.end());
    m_CapturePasses = std::move(passes);
    return true;
}

std::string GxUnattendedRun::CapturePath(std::uint32_t pass) const
{
    char name[32];
    std::snprintf(name, sizeof name, "pass%06u.png", static_cast<unsigned>(pass));
    return (std::filesystem::path(m_CaptureFolder) / name).string();
}

bool GxUnattendedRun::AfterPass()
{
    if (m_Pass == 0 || m_CapturePasses.empty())
        return true;
    const std::uint32_t pass = m_Pass - 1;
    if (!std::binary_search(m_CapturePasses.begin(), m_CapturePasses.end(), pass))
        return true;
    return CaptureFrame(pass);
}

bool GxUnattendedRun::CaptureFrame(std::uint32_t pass) const
{
    // A frame that was not composed again left the last presented picture in the back buffer.
    std::vector<std::uint32_t> back;
    UINT width = 0, height = 0;
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (device == nullptr || !platform::d3d9::ReadBackBuffer(device, back, width, height) || width == 0 ||
        height == 0 || back.size() < static_cast<std::size_t>(width) * height) {
        LogPrint(u"GxUnattendedRun::CaptureFrame/no back buffer to capture in pass %u\n", static_cast<unsigned>(pass));
        return false;
    }
    // The picture is kept at the virtual screen size whatever the back buffer's; alpha is opaque,
    // since the back buffer's fourth byte is not part of the picture.
    constexpr auto kWidth = static_cast<std::uint32_t>(kVirtualScreenWidth);
    constexpr auto kHeight = static_cast<std::uint32_t>(kVirtualScreenHeight);
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(kWidth) * kHeight);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * height / kHeight * width;
        for (std::uint32_t x = 0; x < kWidth; ++x)
            picture[static_cast<std::size_t>(y) * kWidth + x] =
                back[row + static_cast<std::size_t>(x) * width / kWidth] | 0xFF000000u;
    }
    const std::u16string path = Utf8ToWide(CapturePath(pass));
    if (WritePngFile(path.c_str(), kWidth, kHeight, picture.data()) == 0) {
        LogPrint(u"GxUnattendedRun::CaptureFrame/cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool GxUnattendedRun::ParseInputScript(std::string_view text, std::string* error)
{
    m_Script.clear();
    m_Next = 0;
    m_Pass = 0;
    std::vector<GxScriptedInput> script;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string line(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        if (line.find_first_not_of(kBlank) == std::string::npos)
            continue;
        GxScriptedInput event;
        std::string why;
        if (!ParseLine(line, event, why)) {
            if (error)
                *error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        }
        script.push_back(event);
    }
    std::stable_sort(script.begin(), script.end(),
                     [](const GxScriptedInput& a, const GxScriptedInput& b) { return a.m_Pass < b.m_Pass; });
    m_Script = std::move(script);
    return true;
}

bool GxUnattendedRun::LoadInputScript(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error)
            *error = "cannot read \"" + path + "\"";
        return false;
    }
    std::string text;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxScriptBytes) {
            if (error)
                *error = "\"" + path + "\" is larger than " + std::to_string(kMaxScriptBytes) + " bytes";
            return false;
        }
    }
    std::string why;
    if (!ParseInputScript(text, &why)) {
        if (error)
            *error = "\"" + path + "\" " + why;
        return false;
    }
    return true;
}

bool GxUnattendedRun::BeforePass(HWND window)
{
    const std::uint32_t pass = m_Pass;
    if (m_Pass < kMaxPasses)
        ++m_Pass;
    while (m_Next < m_Script.size() && m_Script[m_Next].m_Pass <= pass) {
        if (m_Script[m_Next].m_Pass == pass) {
            SendScriptedInput(window, m_Script[m_Next]);
            GxBenchMarks::Mark("input", pass);
        }
        ++m_Next;
    }
    return m_MaxPasses != 0 && pass + 1 == m_MaxPasses;
}

void InstallQuitSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // The first signal asks for an orderly quit; a second one finds the default action again.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool TakeQuitSignal()
{
    if (g_QuitSignal == 0)
        return false;
    g_QuitSignal = 0;
    return true;
}
