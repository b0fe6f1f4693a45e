// Process entry: tarnwick [GAME_FOLDER]
// The game folder (default: the current folder) becomes the working folder. An unattended run
// is configured by TARNWICK_MAX_FRAMES and TARNWICK_INPUT_SCRIPT (see core/unattended_run.h).
// Every failure ends the process with its own code (core/exit_code.h) and one line on stderr.
#include "core/bench_marks.h"
#include "core/core.h"
#include "core/exit_code.h"
#include "core/unattended_run.h"
#include "core/win_main.h"
#include "app/engine_services.h"
#include "foundation/wide_string.h"
#include "platform/win32/file.h"
#include "platform/win32/window.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {

int Refuse(int exitCode, const std::string& text)
{
    std::fprintf(stderr, "tarnwick: %s\n", text.c_str());
    return exitCode;
}

// Why the folder cannot be entered, in words.
std::string FolderProblem(const char* path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return "no such folder";
    if (!error && status.type() != std::filesystem::file_type::directory)
        return "not a folder";
    return "it cannot be entered";
}

// Whether the comma-separated driver list of SDL_VIDEODRIVER names `driver`.
bool DriverWasAskedFor(const std::string& driver)
{
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked == nullptr)
        return false;
    std::string_view list = asked;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        if (name.size() == driver.size() &&
            std::equal(name.begin(), name.end(), driver.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

// Without a display SDL falls back to a driver that shows nothing, and the engine would run
// unseen at full speed. That is accepted only when asked for: by SDL_VIDEODRIVER, or by a run
// bounded with TARNWICK_MAX_FRAMES.
bool CheckDisplay(bool boundedRun, std::string* why)
{
    if (!platform::EnsureVideo()) {
        *why = "no display: SDL video cannot start";
        return false;
    }
    const std::string driver = platform::VideoDriverName();
    if ((driver != "offscreen" && driver != "dummy") || boundedRun || DriverWasAskedFor(driver))
        return true;
    *why = "no display: SDL fell back to its invisible \"" + driver +
           "\" video driver (DISPLAY and WAYLAND_DISPLAY unset?); set SDL_VIDEODRIVER=" + driver +
           " or TARNWICK_MAX_FRAMES to run without one";
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    GxBenchMarks::Start();
    if (argc > 2)
        return Refuse(kExitUsage, "usage: tarnwick [GAME_FOLDER]");
    if (argc == 2) {
        const std::u16string folder = Utf8ToWide(argv[1]);
        if (folder.empty() || !SetCurrentDirectoryW(folder.c_str()))
            return Refuse(kExitNoGameFolder,
                          std::string("cannot enter the game folder \"") + argv[1] + "\": " + FolderProblem(argv[1]));
    }

    GxUnattendedRun run;
    std::string error;
    if (!run.ConfigureFromEnvironment(&error))
        return Refuse(kExitUsage, error);
    if (!CheckDisplay(run.GetMaxPasses() != 0, &error))
        return Refuse(kExitNoDisplay, error);
    InstallQuitSignalHandlers();

    InstallEngineServices();
    GxCore* core = GxCore::GetInstance();
    core->m_UnattendedRun = &run;
    char commandLine[] = "";
    const int result = WinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    core->m_UnattendedRun = nullptr;
    if (result != kExitNormal && !core->m_FailureText.empty())
        std::fprintf(stderr, "tarnwick: %s\n", core->m_FailureText.c_str());
    return result;
}
