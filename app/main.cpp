// Process entry: tarnwick [GAME_FOLDER]
// The game folder (default: the current folder) becomes the working folder. An unattended run
// is configured by TARNWICK_MAX_FRAMES and TARNWICK_INPUT_SCRIPT (see core/unattended_run.h).
#include "core/bench_marks.h"
#include "core/core.h"
#include "core/unattended_run.h"
#include "core/win_main.h"
#include "app/engine_services.h"
#include "foundation/wide_string.h"
#include "platform/win32/file.h"
#include "platform/win32/window.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    GxBenchMarks::Start();
    if (argc > 2) {
        std::fprintf(stderr, "usage: tarnwick [GAME_FOLDER]\n");
        return 2;
    }
    if (argc == 2) {
        const std::u16string folder = Utf8ToWide(argv[1]);
        if (folder.empty() || !SetCurrentDirectoryW(folder.c_str())) {
            std::fprintf(stderr, "tarnwick: cannot enter the game folder \"%s\"\n", argv[1]);
            return 1;
        }
    }

    GxUnattendedRun run;
    std::string error;
    if (!run.ConfigureFromEnvironment(&error)) {
        std::fprintf(stderr, "tarnwick: %s\n", error.c_str());
        return 2;
    }
    InstallQuitSignalHandlers();

    InstallEngineServices();
    GxCore* core = GxCore::GetInstance();
    core->m_UnattendedRun = &run;
    char commandLine[] = "";
    const int result = WinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    core->m_UnattendedRun = nullptr;
    return result;
}
