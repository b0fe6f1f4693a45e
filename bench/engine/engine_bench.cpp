// engine_bench: how the engine starts and idles, beside the least an SDL program does to show a
// window, measured in the same run. Both programs are started headless (SDL's dummy drivers
// unless SDL_VIDEODRIVER / SDL_AUDIODRIVER say otherwise), once to warm up and then --runs
// times each; the engine on a small game folder built here. For each it prints the median
// (min-max) of:
//   start -> first frame   from just before exec to the "first-frame" mark on stderr
//   peak RSS               from wait4 once the program has ended
//   idle CPU               user + system time (/proc/<pid>/stat) over --idle seconds after the
//                          first frame, in % of one core
// Usage: engine_bench [--runs N] [--idle SECONDS] [--engine PATH] [--minimal PATH]
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double firstFrameMs = -1.0;
    double peakRssMiB = 0.0;
    double idleCpuPercent = 0.0;
};

struct Program {
    std::string name;
    std::vector<std::string> arguments;   // [0] is the path
    std::string folder;                   // working folder
};

// utime + stime of a process, in clock ticks; -1 when it cannot be read.
long long CpuTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');   // the command name may hold spaces
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::atoll(field.c_str());
        if (index == 15) {
            stime = std::atoll(field.c_str());
            return utime + stime;
        }
    }
    return -1;
}

// Reads what the child wrote until `deadline`; true once a line holds `wanted`.
bool ReadUntil(int fd, std::string& pending, const char* wanted, Clock::time_point deadline, Clock::time_point* seen)
{
    while (true) {
        const std::size_t at = wanted ? pending.find(wanted) : std::string::npos;
        if (at != std::string::npos) {
            pending.erase(0, pending.find('\n', at) == std::string::npos ? pending.size() : pending.find('\n', at) + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd poller{fd, POLLIN, 0};
        if (poll(&poller, 1, static_cast<int>(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        if (seen)
            *seen = Clock::now();
        pending.append(buffer, static_cast<std::size_t>(got));
        // Keep only the unfinished tail of long output.
        if (pending.size() > (1u << 20))
            pending.erase(0, pending.size() - 4096);
    }
}

bool RunOnce(const Program& program, double idleSeconds, Sample& sample)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    std::vector<char*> argv;
    for (const std::string& argument : program.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0)
            dup2(devnull, STDOUT_FILENO);
        if (chdir(program.folder.c_str()) != 0)
            _exit(126);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string pending;
    Clock::time_point markRead = start;
    bool ok = ReadUntil(pipeFds[0], pending, "first-frame", start + std::chrono::seconds(30), &markRead);
    if (ok) {
        sample.firstFrameMs = std::chrono::duration<double, std::milli>(markRead - start).count();
        const long long before = CpuTicks(pid);
        const Clock::time_point idleStart = Clock::now();
        ReadUntil(pipeFds[0], pending, nullptr, idleStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(idleSeconds)), nullptr);
        const long long after = CpuTicks(pid);
        const double seconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
        if (before >= 0 && after >= before && seconds > 0)
            sample.idleCpuPercent = 100.0 * static_cast<double>(after - before) /
                                    static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    } else {
        std::fprintf(stderr, "engine_bench: %s showed no first frame; its output ends:\n%s\n", program.name.c_str(),
                     pending.substr(pending.size() > 2000 ? pending.size() - 2000 : 0).c_str());
    }
    kill(pid, SIGTERM);
    // The programs quit in order on SIGTERM; their output is drained meanwhile.
    int status = 0;
    rusage usage{};
    bool ended = false;
    const Clock::time_point quitDeadline = Clock::now() + std::chrono::seconds(10);
    while (!ended && Clock::now() < quitDeadline) {
        ReadUntil(pipeFds[0], pending, nullptr, Clock::now() + std::chrono::milliseconds(20), nullptr);
        ended = wait4(pid, &status, WNOHANG, &usage) == pid;
    }
    if (!ended) {
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, &usage);
    }
    close(pipeFds[0]);
    if (!ok)
        std::fprintf(stderr, "engine_bench: %s ended with status 0x%x\n", program.name.c_str(), status);
    sample.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return ok;
}

std::string Summary(std::vector<double> values, const char* format)
{
    if (values.empty())
        return "-";
    std::sort(values.begin(), values.end());
    const double median = values.size() % 2 ? values[values.size() / 2]
                                              : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2;
    char text[128];
    char part[32];
    std::snprintf(part, sizeof part, format, median);
    std::string out = part;
    std::snprintf(part, sizeof part, format, values.front());
    out += std::string(" (") + part + "-";
    std::snprintf(part, sizeof part, format, values.back());
    out += part;
    out += ")";
    std::snprintf(text, sizeof text, "%-24s", out.c_str());
    return text;
}

// The engine's game folder: a configuration and a pack.
bool MakeGameFolder(const std::filesystem::path& game)
{
    std::error_code error;
    std::filesystem::create_directories(game / "system", error);
    // An existing save folder: on a real display the notice of a new one would wait for a click.
    std::filesystem::create_directories(game / "BENCH_SAVE", error);
    std::ofstream conf(game / "system" / "sysconf.ini", std::ios::binary);
    conf << "APP_TITLE=Engine Bench\nAPP_SAVEDIR=BENCH_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";
    conf.close();
    std::ofstream setting(game / "setting.ini", std::ios::binary);
    setting << "SkipSlightError=1\n";
    setting.close();
    return TestPackBuilder().Add(u"data/readme.txt", std::string_view("bench")).Write((game / "system.gxp").string());
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    double idleSeconds = 10.0;
    std::string engine = TW_ENGINE_PATH;
    std::string minimal = TW_MINIMAL_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--idle") == 0)
            idleSeconds = std::max(0.1, std::atof(argv[i + 1]));
        else if (std::strcmp(argv[i], "--engine") == 0)
            engine = argv[i + 1];
        else if (std::strcmp(argv[i], "--minimal") == 0)
            minimal = argv[i + 1];
    }
    TestTempDir temp("tw_engine_bench");
    if (!temp.Valid() || !MakeGameFolder(temp.Join("game"))) {
        std::fprintf(stderr, "engine_bench: cannot build the game folder\n");
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TARNWICK_BENCH_MARKS", "1", 1);
    // The engine's saves, logs and window locks stay in the temporary folder.
    setenv("HOME", temp.String().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", temp.String().c_str(), 1);

    const std::vector<Program> programs = {
        {"tarnwick", {engine, temp.Join("game").string()}, temp.String()},
        {"minimal SDL", {minimal}, temp.String()},
    };
    std::vector<std::vector<Sample>> samples(programs.size());
    for (std::size_t p = 0; p < programs.size(); ++p) {
        Sample warmUp;
        if (!RunOnce(programs[p], 0.1, warmUp))
            return 1;
    }
    for (int run = 0; run < runs; ++run) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            Sample sample;
            if (!RunOnce(programs[p], idleSeconds, sample))
                return 1;
            samples[p].push_back(sample);
        }
    }

    std::printf("engine_bench: %d runs after a warm-up, %.0f s idle, video driver %s\n", runs, idleSeconds,
                std::getenv("SDL_VIDEODRIVER"));
    std::printf("%-26s", "");
    for (const Program& program : programs)
        std::printf("%-24s", program.name.c_str());
    std::printf("\n");
    const struct {
        const char* label;
        const char* format;
        double Sample::*field;
    } rows[] = {
        {"start -> first frame ms", "%.1f", &Sample::firstFrameMs},
        {"peak RSS MiB", "%.1f", &Sample::peakRssMiB},
        {"idle CPU % of a core", "%.2f", &Sample::idleCpuPercent},
    };
    for (const auto& row : rows) {
        std::printf("%-26s", row.label);
        for (const std::vector<Sample>& list : samples) {
            std::vector<double> values;
            for (const Sample& sample : list)
                values.push_back(sample.*(row.field));
            std::printf("%s", Summary(values, row.format).c_str());
        }
        std::printf("\n");
    }
    return 0;
}
