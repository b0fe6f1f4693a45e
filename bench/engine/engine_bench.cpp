// engine_bench: how the engine starts, idles and plays, beside the least an SDL program does to
// show a window, measured in the same run. Every program is started headless (SDL's dummy
// drivers unless SDL_VIDEODRIVER / SDL_AUDIODRIVER say otherwise); each mode runs once to warm up
// and then --runs times, and the median (min-max) of each figure is printed. When `xvfb-run` is
// on the PATH the whole measurement is repeated under Xvfb (SDL_VIDEODRIVER=x11).
//
// Start mode: the engine on a small folder built here (a configuration and a pack) beside
// bench_minimal_window:
//   start -> first frame   from just before exec to the "first-frame" mark on stderr
//   peak RSS               from wait4 once the program has ended
//   idle CPU               user + system time (/proc/<pid>/stat) over --idle seconds after the
//                          first frame, in % of one core
// Demo modes: the engine on a bench folder made from the demo's generated game (its UI rows,
// image sets, fonts and system sounds) with a script of its own: a background, a character,
// 20 click-wait lines, then "JumpToTitle"; no music, voice, animation or movie, debug mode off.
// Its "userconf.dat" sets 50 characters a second and 500 ms of auto wait. Each run is three
// programs: an idle run, an auto run and a skip run in the save folder the auto run left, so
// the skipped lines are read. Figures:
//   start -> first screen  exec to the "first-screen" mark (the fade-in after it not counted)
//   peak RSS               per run kind
//   idle CPU               on the first message, 2 s to 12 s after "enter SeqAvgMain"
//   auto CPU               the auto button clicked on line 1 (its "input" mark) until "enter
//                          SeqTitle", divided by the wall time
//   skip time              the skip button clicked on line 1: "enter SeqTitle" minus the click's
//                          "input" mark (the release), against the frames the skip needs
// Buttons are clicked where the demo's layout table places them; the title's start button is
// clicked first when the boot sequence goes to the title.
// Usage: engine_bench [--runs N] [--idle SECONDS] [--mode start|demo|all] [--engine PATH]
//                     [--minimal PATH] [--demo GAME_FOLDER]
#include "data/user_config.h"
#include "foundation/content_binary.h"
#include "foundation/wide_string.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/moa_assembler.h"
#include "tests/support/pack_builder.h"
#include "tests/support/table_builder.h"
#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

double CpuPercent(long long ticks, double seconds)
{
    return seconds > 0 ? 100.0 * static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds : 0.0;
}

// One mark line as it arrived on the pipe.
struct Mark {
    std::size_t index = 0;           // among the program's marks
    std::string event;
    long long micros = 0;            // the engine's own clock
    Clock::time_point arrived;       // ours
    long long cpuTicks = -1;         // the child's CPU time when the line was read
};

// A started program whose stderr is read for marks.
class Child {
public:
    // `environment` adds NAME=VALUE pairs for this child only.
    bool Start(const Program& program, const std::vector<std::string>& environment)
    {
        int pipeFds[2];
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            return false;
        std::vector<char*> argv;
        for (const std::string& argument : program.arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        m_Name = program.name;
        m_Start = Clock::now();
        m_Pid = fork();
        if (m_Pid < 0)
            return false;
        if (m_Pid == 0) {
            dup2(pipeFds[1], STDERR_FILENO);
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0)
                dup2(devnull, STDOUT_FILENO);
            for (const std::string& pair : environment)
                putenv(const_cast<char*>(pair.c_str()));
            if (chdir(program.folder.c_str()) != 0)
                _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        m_Fd = pipeFds[0];
        return true;
    }

    ~Child() { Finish(); }

    Clock::time_point StartTime() const { return m_Start; }
    pid_t Pid() const { return m_Pid; }

    // Reads until a mark with this event (exactly) has arrived after the mark `after` (any when
    // null); it is searched among the marks already read first. Empty on a timeout or when the
    // program ended.
    std::optional<Mark> WaitMark(const std::string& event, Clock::time_point deadline, const Mark* after = nullptr)
    {
        for (std::size_t seen = after != nullptr ? after->index + 1 : 0;;) {
            for (; seen < m_Marks.size(); ++seen)
                if (m_Marks[seen].event == event)
                    return m_Marks[seen];
            if (!ReadSome(deadline))
                return std::nullopt;
        }
    }
    // Reads whatever comes until the deadline.
    void Drain(Clock::time_point deadline)
    {
        while (ReadSome(deadline)) {
        }
    }
    const std::vector<Mark>& Marks() const { return m_Marks; }
    // The first mark whose event starts with `prefix`, among those read.
    // Whether a mark whose event starts with `prefix` was read after the mark `after`.
    bool HasMarkAfter(const std::string& prefix, const Mark& after) const
    {
        for (std::size_t i = after.index + 1; i < m_Marks.size(); ++i)
            if (m_Marks[i].event.compare(0, prefix.size(), prefix) == 0)
                return true;
        return false;
    }
    std::string Tail() const { return m_Text.substr(m_Text.size() > 2000 ? m_Text.size() - 2000 : 0); }

    // Ends the program (SIGTERM quits it in order) and returns its peak RSS in MiB.
    double Finish()
    {
        if (m_Pid <= 0)
            return m_PeakRssMiB;
        kill(m_Pid, SIGTERM);
        int status = 0;
        rusage usage{};
        bool ended = false;
        const Clock::time_point quitDeadline = Clock::now() + std::chrono::seconds(10);
        while (!ended && Clock::now() < quitDeadline) {
            ReadSome(Clock::now() + std::chrono::milliseconds(20));
            ended = wait4(m_Pid, &status, WNOHANG, &usage) == m_Pid;
        }
        if (!ended) {
            kill(m_Pid, SIGKILL);
            wait4(m_Pid, &status, 0, &usage);
        }
        close(m_Fd);
        m_Pid = -1;
        m_PeakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
        return m_PeakRssMiB;
    }

private:
    // False on a timeout or the end of the output.
    bool ReadSome(Clock::time_point deadline)
    {
        if (m_Fd < 0)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd poller{m_Fd, POLLIN, 0};
        if (poll(&poller, 1, static_cast<int>(left)) <= 0)
            return Clock::now() < deadline;
        char buffer[4096];
        const ssize_t got = read(m_Fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        const Clock::time_point now = Clock::now();
        m_Text.append(buffer, static_cast<std::size_t>(got));
        std::size_t end;
        while ((end = m_Text.find('\n', m_Parsed)) != std::string::npos) {
            const std::string line = m_Text.substr(m_Parsed, end - m_Parsed);
            m_Parsed = end + 1;
            static constexpr char kPrefix[] = "tarnwick-mark ";
            if (line.compare(0, sizeof kPrefix - 1, kPrefix) != 0)
                continue;
            const std::size_t space = line.find(' ', sizeof kPrefix - 1);
            if (space == std::string::npos)
                continue;
            Mark mark;
            mark.index = m_Marks.size();
            mark.micros = std::atoll(line.c_str() + sizeof kPrefix - 1);
            mark.event = line.substr(space + 1);
            mark.arrived = now;
            mark.cpuTicks = CpuTicks(m_Pid);
            m_Marks.push_back(mark);
        }
        // Keep only the unfinished tail of long output.
        if (m_Text.size() > (1u << 20)) {
            const std::size_t drop = std::min(m_Parsed, m_Text.size() - 4096);
            m_Text.erase(0, drop);
            m_Parsed -= drop;
        }
        return true;
    }

    std::string m_Name;
    Clock::time_point m_Start;
    pid_t m_Pid = -1;
    int m_Fd = -1;
    std::string m_Text;
    std::size_t m_Parsed = 0;
    std::vector<Mark> m_Marks;
    double m_PeakRssMiB = 0.0;
};

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::string Summary(std::vector<double> values, const char* format)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }), values.end());
    if (values.empty())
        return "-";
    std::sort(values.begin(), values.end());
    const double median = values.size() % 2 ? values[values.size() / 2]
                                              : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2;
    char part[32];
    std::snprintf(part, sizeof part, format, median);
    std::string out = part;
    std::snprintf(part, sizeof part, format, values.front());
    out += std::string(" (") + part + "-";
    std::snprintf(part, sizeof part, format, values.back());
    out += part;
    out += ")";
    return out;
}

double Median(std::vector<double> values)
{
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return std::isnan(v); }), values.end());
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    return values.size() % 2 ? values[values.size() / 2] : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2;
}

// ---- Start mode -------------------------------------------------------------------------------

struct StartSample {
    double firstFrameMs = std::nan("");
    double peakRssMiB = std::nan("");
    double idleCpuPercent = std::nan("");
};

bool RunStart(const Program& program, double idleSeconds, StartSample& sample)
{
    Child child;
    if (!child.Start(program, {}))
        return false;
    const std::optional<Mark> first = child.WaitMark("first-frame", child.StartTime() + std::chrono::seconds(30));
    if (!first) {
        std::fprintf(stderr, "engine_bench: %s showed no first frame; its output ends:\n%s\n", program.name.c_str(),
                     child.Tail().c_str());
        child.Finish();
        return false;
    }
    sample.firstFrameMs = Milliseconds(first->arrived - child.StartTime());
    const long long before = CpuTicks(child.Pid());
    const Clock::time_point idleStart = Clock::now();
    child.Drain(idleStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(idleSeconds)));
    const long long after = CpuTicks(child.Pid());
    const double seconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    if (before >= 0 && after >= before)
        sample.idleCpuPercent = CpuPercent(after - before, seconds);
    sample.peakRssMiB = child.Finish();
    return true;
}

// The engine's game folder for the start mode: a configuration and a pack.
bool MakeStartFolder(const fs::path& game)
{
    std::error_code error;
    fs::create_directories(game / "system", error);
    // An existing save folder: on a real display the notice of a new one would wait for a click.
    fs::create_directories(game / "BENCH_SAVE", error);
    std::ofstream conf(game / "system" / "sysconf.ini", std::ios::binary);
    conf << "APP_TITLE=Engine Bench\nAPP_SAVEDIR=BENCH_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";
    conf.close();
    std::ofstream setting(game / "setting.ini", std::ios::binary);
    setting << "SkipSlightError=1\n";
    setting.close();
    return TestPackBuilder().Add(u"data/readme.txt", std::string_view("bench")).Write((game / "system.gxp").string());
}

// Prints one table: a row per figure, a column per program; `goals` adds a goal column.
struct Row {
    std::string label;
    std::vector<std::string> cells;
    std::string goal;
    std::string met;
};

void PrintTable(const std::vector<std::string>& columns, const std::vector<Row>& rows)
{
    std::printf("%-34s", "");
    for (const std::string& column : columns)
        std::printf("%-26s", column.c_str());
    std::printf("%-22s%s\n", "goal", "met");
    for (const Row& row : rows) {
        std::printf("%-34s", row.label.c_str());
        for (const std::string& cell : row.cells)
            std::printf("%-26s", cell.c_str());
        std::printf("%-22s%s\n", row.goal.c_str(), row.met.c_str());
    }
}

bool RunStartMode(const TestTempDir& temp, const std::string& engine, const std::string& minimal, int runs,
                  double idleSeconds)
{
    if (!MakeStartFolder(temp.Join("game"))) {
        std::fprintf(stderr, "engine_bench: cannot build the game folder\n");
        return false;
    }
    const std::vector<Program> programs = {
        {"tarnwick", {engine, temp.Join("game").string()}, temp.String()},
        {"minimal SDL", {minimal}, temp.String()},
    };
    std::vector<std::vector<StartSample>> samples(programs.size());
    for (const Program& program : programs) {
        StartSample warmUp;
        if (!RunStart(program, 0.1, warmUp))
            return false;
    }
    for (int run = 0; run < runs; ++run) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            StartSample sample;
            if (!RunStart(programs[p], idleSeconds, sample))
                return false;
            samples[p].push_back(sample);
        }
    }
    std::printf("\nstart mode: %d runs after a warm-up, %.0f s idle\n", runs, idleSeconds);
    const auto column = [&](std::size_t p, double StartSample::*field) {
        std::vector<double> values;
        for (const StartSample& sample : samples[p])
            values.push_back(sample.*field);
        return values;
    };
    const double engineFirst = Median(column(0, &StartSample::firstFrameMs));
    const double minimalFirst = Median(column(1, &StartSample::firstFrameMs));
    const double engineRss = Median(column(0, &StartSample::peakRssMiB));
    const double engineIdle = Median(column(0, &StartSample::idleCpuPercent));
    std::vector<Row> rows;
    rows.push_back({"start -> first frame ms",
                    {Summary(column(0, &StartSample::firstFrameMs), "%.1f"), Summary(column(1, &StartSample::firstFrameMs), "%.1f")},
                    "<= minimal + 30", engineFirst <= minimalFirst + 30.0 ? "yes" : "NO"});
    rows.push_back({"peak RSS MiB",
                    {Summary(column(0, &StartSample::peakRssMiB), "%.1f"), Summary(column(1, &StartSample::peakRssMiB), "%.1f")},
                    "<= 60", engineRss <= 60.0 ? "yes" : "NO"});
    rows.push_back({"idle CPU % of a core",
                    {Summary(column(0, &StartSample::idleCpuPercent), "%.2f"), Summary(column(1, &StartSample::idleCpuPercent), "%.2f")},
                    "<= 3", engineIdle <= 3.0 ? "yes" : "NO"});
    PrintTable({"tarnwick", "minimal SDL"}, rows);
    return true;
}

// ---- Demo modes -------------------------------------------------------------------------------

constexpr int kDemoLines = 20;
constexpr double kFrameMs = 1000.0 / 60.0;   // the play screen's paced frame rate
// Scripted passes (60 a second): the title's start button once the title has faded in, and a
// play-screen button once line 1 is on screen (the screen's fade-in and the line's reveal done).
constexpr int kTitleClickPass = 90;
constexpr int kLineOnePasses = 180;

// A button's centre in client pixels.
struct ButtonSpot {
    int x = 0;
    int y = 0;
};

// The rows of a UTF-16 table in "data/", split into fields; comment lines are skipped.
std::vector<std::vector<std::string>> ReadTable(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(WideToUtf8(text));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::size_t start = 0, tab;
        while ((tab = line.find('\t', start)) != std::string::npos) {
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

// Where the layout table places a widget (its parents' offsets added) and the middle of its
// module's size.
std::optional<ButtonSpot> FindButton(const fs::path& game, const std::string& task)
{
    const auto layout = ReadTable(game / "data" / "db_uilayout.txt");
    const auto modules = ReadTable(game / "data" / "db_uimodule.txt");
    // Layout columns: ID, ParentName, ParentIndex, ModuleName, TaskName, TaskIndex, Create,
    // Visible, Enabled, Left, Top; module columns: ID, UIType, Name, ImageSetName, ImageName,
    // Width, Height.
    const auto row = [&](const std::string& name) -> const std::vector<std::string>* {
        for (const auto& fields : layout)
            if (fields.size() > 10 && fields[4] == name)
                return &fields;
        return nullptr;
    };
    const std::vector<std::string>* button = row(task);
    if (button == nullptr)
        return std::nullopt;
    int width = 0, height = 0;
    for (const auto& fields : modules)
        if (fields.size() > 6 && fields[2] == (*button)[3]) {
            width = std::atoi(fields[5].c_str());
            height = std::atoi(fields[6].c_str());
        }
    ButtonSpot spot{std::atoi((*button)[9].c_str()) + width / 2, std::atoi((*button)[10].c_str()) + height / 2};
    // A parent such as "$MESWIN:SeqAvgMain" is itself a placed widget; a screen's folder is not.
    for (const std::vector<std::string>* parent = row((*button)[1]); parent != nullptr; parent = row((*parent)[1])) {
        spot.x += std::atoi((*parent)[9].c_str());
        spot.y += std::atoi((*parent)[10].c_str());
    }
    return spot;
}

// A girl-sized shape whose edges fade out over a few pixels, as a drawn character's would.
std::uint32_t CharacterPixel(std::uint32_t x, std::uint32_t y)
{
    constexpr double kWidth = 384.0, kHeight = 672.0, kFeather = 6.0;
    // A head (circle) over a body (rounded trapezoid), both centred.
    const double cx = kWidth / 2.0;
    const double head = 70.0 - std::hypot(double(x) - cx, double(y) - 110.0);
    const double halfWidth = 60.0 + (double(y) - 170.0) * 0.18;
    const double body = std::min({halfWidth - std::fabs(double(x) - cx), double(y) - 170.0, kHeight - 1.0 - double(y)});
    const double inside = std::max(head, double(y) >= 170.0 ? body : -1.0);
    const double alpha = std::clamp(inside / kFeather, 0.0, 1.0);
    const std::uint32_t a = static_cast<std::uint32_t>(std::lround(alpha * 255.0));
    const std::uint32_t shade = 0x90 + (y * 0x40 / 672u);
    return a << 24 | shade << 16 | 0x70u << 8 | (0xFFu - shade / 2);
}

// The bench script: 20 lines of 20 to 26 characters, one click wait each, then the title.
std::string BenchScript()
{
    static const char* const kLines[kDemoLines] = {
        "朝の光が窓から差し込んで、部屋の中を静かに照らしていた。",
        "彼女は机の上の古い地図を広げて、指で道をなぞった。",
        "この町に来てから、もう三日が過ぎようとしている。",
        "駅前の広場では、子供たちが楽しそうに走り回っていた。",
        "遠くの山々は、まだ白い雪をかぶったままだった。",
        "喫茶店の主人は、いつもと同じ笑顔で迎えてくれた。",
        "温かい紅茶の香りが、疲れた心をそっとほどいていく。",
        "窓の外を見ると、小さな鳥が枝の上で歌っていた。",
        "明日はあの橋を渡って、川の向こうへ行ってみよう。",
        "古い本屋の棚には、知らない物語がたくさん並んでいた。",
        "夕暮れの風が、少し冷たく頬をなでて通り過ぎた。",
        "彼女は手帳を開いて、今日の出来事を書き留めた。",
        "石畳の道を歩くたびに、靴の音が小さく響いていた。",
        "港の方から、船の汽笛がかすかに聞こえてくる。",
        "夜になると、町の灯りが星のように瞬き始めた。",
        "宿の部屋に戻ると、机の上に一通の手紙があった。",
        "差出人の名前はなく、ただ短い言葉が書かれていた。",
        "その言葉の意味を考えながら、彼女は眠りについた。",
        "夢の中で、誰かが遠くから名前を呼んでいた気がする。",
        "そして朝が来て、新しい一日がまた始まろうとしていた。",
    };
    // A new game starts under the black of the global fade: the scene is built, then shown at once.
    std::string script = "*MAIN\nBUILTIN BG, STAND, ENDSTAND, FIN, MSG, JumpToTitle\n"
                         "BG(\"bench\", 0)\n"
                         "STAND(\"girl\", \"M\", \"B\", \"\", 0)\n"
                         "a\n"
                         "endstand()\n"
                         "FIN(0)\n";
    for (const char* line : kLines)
        script += std::string("MSG(\"") + line + "\")\n";
    script += "JumpToTitle()\n";
    return script;
}

bool WriteUserConfig(const fs::path& path)
{
    GxUserConfig config;
    config.m_TextWaitTime = 20;    // 50 characters a second
    config.m_AutoWaitTime = 500;
    std::FILE* stream = std::fopen(path.string().c_str(), "wb");
    if (stream == nullptr)
        return false;
    GxContentBinaryWriter writer(stream);
    // The header and the options the engine's own save writes; the adventure module keeps none.
    const bool ok = writer.WriteHeader("BCD", 100) && config.WriteValues(writer);
    return std::fclose(stream) == 0 && ok;
}

// The bench folder: the demo's generated UI, fonts, pictures and system sounds, and a game of
// its own on top.
bool MakeDemoFolder(const fs::path& demo, const fs::path& game, const fs::path& userConfig)
{
    std::error_code error;
    if (!fs::is_regular_file(demo / "data" / "db_uilayout.txt")) {
        std::fprintf(stderr, "engine_bench: no demo game at %s (build the demo first)\n", demo.string().c_str());
        return false;
    }
    for (const char* folder : {"cg", "uigis", "fonts", "data", "sounds/sys"}) {
        fs::create_directories(game / folder, error);
        fs::copy(demo / folder, game / folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
        if (error) {
            std::fprintf(stderr, "engine_bench: cannot copy %s: %s\n", folder, error.message().c_str());
            return false;
        }
    }
    fs::create_directories(game / "system", error);
    fs::create_directories(game / "bincode", error);
    std::ofstream conf(game / "system" / "sysconf.ini", std::ios::binary);
    conf << "APP_TITLE=Engine Bench Demo\nAPP_SAVEDIR=BENCH_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";
    conf.close();
    // Debug mode off: its status line would redraw every frame.
    std::ofstream setting(game / "setting.ini", std::ios::binary);
    setting << "DebugModeFlag=0\nDebugConsoleFlag=0\nSaveToMyDocuments=0\nCleanErrorLog=1\nSkipSlightError=0\n";
    setting.close();
    // No system voices (the title's call would play one) and one character.
    const std::u16string voiceHeader =
        u"#ID\tComment\tVoicePath\tVoiceFileName1\tVoiceFileName2\tVoiceFileName3\tVoiceFileName4\tVoiceFileName5";
    bool ok = TestTableBuilder().Raw(voiceHeader).Write(game / "data" / "db_systemvoice.txt");
    ok = TestTableBuilder()
             .Raw(u"#ID\tCharName\tSubLayerNum\tStandPath\tNCProjFileName\tVoicePath\tVoiceVolumeID\tComment")
             .Row({u"1", u"girl", u"0", u"cg/stand/girl/", u"", u"voice/girl/", u"0", u""})
             .Write(game / "data" / "db_avgchar.txt") &&
         ok;
    fs::create_directories(game / "cg" / "bg", error);
    fs::create_directories(game / "cg" / "stand" / "girl", error);
    ok = WriteImageFile((game / "cg" / "bg" / "bench.png").string(), BuildPng(PngSpecRgb8(TestImage::Scene(1024, 768)))) && ok;
    ok = WriteImageFile((game / "cg" / "stand" / "girl" / "a.png").string(),
                        BuildPng(PngSpecRgba8(TestImage::Make(384, 672, CharacterPixel)))) &&
         ok;
    MoaAssembler assembler;
    assembler.AddScript(u"bench", BenchScript());
    if (!assembler.WriteFile(game / "bincode" / "moacode.mwb", MoaProgramForm::Binary)) {
        for (const std::string& message : assembler.Errors())
            std::fprintf(stderr, "engine_bench: %s\n", message.c_str());
        return false;
    }
    ok = WriteUserConfig(userConfig) && ok;
    if (!ok)
        std::fprintf(stderr, "engine_bench: cannot write the bench folder %s\n", game.string().c_str());
    return ok;
}

// A fresh save folder holding only the prepared options.
bool ResetSaveFolder(const fs::path& game, const fs::path& userConfig)
{
    std::error_code error;
    fs::remove_all(game / "BENCH_SAVE", error);
    fs::create_directories(game / "BENCH_SAVE", error);
    fs::copy_file(userConfig, game / "BENCH_SAVE" / "userconf.dat", error);
    return !error;
}

// What the error log of the last run holds (it must stay empty: a logged error would turn the
// status line on).
std::string ErrorLog(const fs::path& game)
{
    for (const fs::path& path : {game / "BENCH_SAVE" / "error.log", game / "error.log"}) {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!text.empty())
            return text;
    }
    return {};
}

enum class DemoRunKind { kIdle, kAuto, kSkip };

struct DemoSample {
    double firstScreenMs = std::nan("");
    double peakRssMiB = std::nan("");
    double cpuPercent = std::nan("");   // idle or auto
    double skipMs = std::nan("");
};

struct DemoPlan {
    bool titleFirst = false;
    ButtonSpot titleStart;
    ButtonSpot autoButton;
    ButtonSpot skipButton;
};

std::string Click(int pass, const ButtonSpot& spot)
{
    char text[160];
    std::snprintf(text, sizeof text, "%d move %d %d\n%d ldown %d %d\n%d lup %d %d\n", pass, spot.x, spot.y, pass + 1,
                  spot.x, spot.y, pass + 2, spot.x, spot.y);
    return text;
}

// One program of a demo run; false with a line on stderr when it went wrong.
bool RunDemo(const Program& program, const fs::path& scriptPath, const DemoPlan& plan, DemoRunKind kind,
             double idleSeconds, DemoSample& sample)
{
    std::string script = "# engine_bench\n";
    int linePass = kLineOnePasses;
    if (plan.titleFirst) {
        script += Click(kTitleClickPass, plan.titleStart);
        linePass += kTitleClickPass;
    }
    if (kind == DemoRunKind::kAuto)
        script += Click(linePass, plan.autoButton);
    if (kind == DemoRunKind::kSkip)
        script += Click(linePass, plan.skipButton);
    std::ofstream(scriptPath, std::ios::binary) << script;

    Child child;
    if (!child.Start(program, {"TARNWICK_INPUT_SCRIPT=" + scriptPath.string()}))
        return false;
    const auto fail = [&](const char* what) {
        std::fprintf(stderr, "engine_bench: %s: %s; its output ends:\n%s\n", program.name.c_str(), what, child.Tail().c_str());
        child.Finish();
        return false;
    };
    const Clock::time_point start = child.StartTime();
    const std::optional<Mark> first = child.WaitMark("first-screen", start + std::chrono::seconds(30));
    if (!first)
        return fail("no first-screen mark");
    sample.firstScreenMs = Milliseconds(first->arrived - start);
    const std::optional<Mark> play = child.WaitMark("enter SeqAvgMain", start + std::chrono::seconds(40));
    if (!play)
        return fail("the play screen did not start");
    const Clock::time_point entered = play->arrived;
    if (kind == DemoRunKind::kIdle) {
        child.Drain(entered + std::chrono::seconds(2));
        const long long before = CpuTicks(child.Pid());
        const Clock::time_point from = Clock::now();
        child.Drain(from + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(idleSeconds)));
        const long long after = CpuTicks(child.Pid());
        if (before >= 0 && after >= before)
            sample.cpuPercent = CpuPercent(after - before, std::chrono::duration<double>(Clock::now() - from).count());
        if (child.HasMarkAfter("enter ", *play))
            return fail("the first message did not wait");
    } else {
        // The button acts on its release, the last event of the click.
        const std::string release = "input " + std::to_string(linePass + 2);
        const std::optional<Mark> click = child.WaitMark(release, start + std::chrono::seconds(60), &*play);
        if (!click)
            return fail("the button was not clicked");
        // The title the script's end goes to (not the one the run may have started on).
        const std::optional<Mark> title = child.WaitMark(
            "enter SeqTitle", click->arrived + std::chrono::seconds(kind == DemoRunKind::kAuto ? 120 : 30), &*click);
        if (!title)
            return fail(kind == DemoRunKind::kAuto ? "auto mode did not reach the title" : "skip mode did not reach the title");
        if (kind == DemoRunKind::kAuto && click->cpuTicks >= 0 && title->cpuTicks >= click->cpuTicks)
            sample.cpuPercent = CpuPercent(title->cpuTicks - click->cpuTicks,
                                           std::chrono::duration<double>(title->arrived - click->arrived).count());
        if (kind == DemoRunKind::kSkip)
            sample.skipMs = static_cast<double>(title->micros - click->micros) / 1000.0;
        // Shown at the title a moment, so the read lines are kept on the way out.
        child.Drain(Clock::now() + std::chrono::milliseconds(200));
    }
    sample.peakRssMiB = child.Finish();
    return true;
}

// Which screen follows the boot sequence on this build: the title (its start button clicked
// then) or the play screen straight away.
bool ProbeDemo(const Program& program, DemoPlan& plan)
{
    Child child;
    if (!child.Start(program, {}))
        return false;
    const Clock::time_point deadline = child.StartTime() + std::chrono::seconds(30);
    const std::optional<Mark> first = child.WaitMark("first-screen", deadline);
    std::string entered;
    for (const Mark& mark : child.Marks())
        if (mark.event.compare(0, 6, "enter ") == 0 && mark.event != "enter SeqBoot" && entered.empty())
            entered = mark.event.substr(6);
    if (!first || entered.empty()) {
        std::fprintf(stderr, "engine_bench: the demo bench folder shows no screen; output ends:\n%s\n", child.Tail().c_str());
        return false;
    }
    child.Finish();
    if (entered != "SeqTitle" && entered != "SeqAvgMain") {
        std::fprintf(stderr, "engine_bench: the boot sequence went to %s\n", entered.c_str());
        return false;
    }
    plan.titleFirst = entered == "SeqTitle";
    return true;
}

bool RunDemoModes(const TestTempDir& temp, const std::string& engine, const std::string& demoFolder, int runs,
                  double idleSeconds)
{
    const fs::path game = temp.Join("demo");
    const fs::path userConfig = temp.Join("userconf.dat");
    if (!MakeDemoFolder(demoFolder, game, userConfig))
        return false;
    DemoPlan plan;
    const std::optional<ButtonSpot> title = FindButton(game, "btn_title_start");
    const std::optional<ButtonSpot> autoButton = FindButton(game, "btn_auto");
    const std::optional<ButtonSpot> skipButton = FindButton(game, "btn_skip");
    if (!autoButton || !skipButton) {
        std::fprintf(stderr, "engine_bench: the demo's layout has no btn_auto or btn_skip\n");
        return false;
    }
    plan.autoButton = *autoButton;
    plan.skipButton = *skipButton;
    const Program program{"tarnwick demo", {engine, game.string()}, temp.String()};
    if (!ResetSaveFolder(game, userConfig) || !ProbeDemo(program, plan))
        return false;
    if (plan.titleFirst) {
        if (!title) {
            std::fprintf(stderr, "engine_bench: the title shows but the layout has no btn_title_start\n");
            return false;
        }
        plan.titleStart = *title;
    }
    const fs::path scriptPath = temp.Join("input.txt");
    std::vector<DemoSample> idle, autoRuns, skip;
    std::string logged;
    for (int run = -1; run < runs; ++run) {
        DemoSample idleSample, autoSample, skipSample;
        // The warm-up idles briefly.
        const bool ok = ResetSaveFolder(game, userConfig) &&
                        RunDemo(program, scriptPath, plan, DemoRunKind::kIdle, run < 0 ? 0.5 : idleSeconds, idleSample) &&
                        ResetSaveFolder(game, userConfig) &&
                        RunDemo(program, scriptPath, plan, DemoRunKind::kAuto, 0, autoSample) &&
                        RunDemo(program, scriptPath, plan, DemoRunKind::kSkip, 0, skipSample);
        if (!ok)
            return false;
        if (logged.empty())
            logged = ErrorLog(game);
        if (run < 0)
            continue;
        idle.push_back(idleSample);
        autoRuns.push_back(autoSample);
        skip.push_back(skipSample);
    }

    const auto values = [](const std::vector<DemoSample>& list, double DemoSample::*field) {
        std::vector<double> out;
        for (const DemoSample& sample : list)
            out.push_back(sample.*field);
        return out;
    };
    std::vector<double> firstScreen = values(idle, &DemoSample::firstScreenMs);
    for (const auto* list : {&autoRuns, &skip})
        for (double v : values(*list, &DemoSample::firstScreenMs))
            firstScreen.push_back(v);
    // The skip takes one step a frame: each read line is shown whole and advanced in one frame;
    // one frame more for the button's event to turn skip mode on, and one for "JumpToTitle"'s
    // change to be applied.
    const int framesNeeded = kDemoLines + 2;
    const double skipGoal = 1.1 * framesNeeded * kFrameMs;
    const auto met = [](double value, double goal) { return std::isnan(value) ? "-" : value <= goal ? "yes" : "NO"; };
    char skipGoalText[64];
    std::snprintf(skipGoalText, sizeof skipGoalText, "<= %.0f (%d fr x %.1f +10%%)", skipGoal, framesNeeded, kFrameMs);
    std::printf("\ndemo modes: %d runs after a warm-up (each: idle, auto, skip), %.0f s idle, %s first\n", runs,
                idleSeconds, plan.titleFirst ? "title" : "play screen");
    std::vector<Row> rows;
    rows.push_back({"start -> first screen ms (all)", {Summary(firstScreen, "%.1f")}, "<= 100", met(Median(firstScreen), 100.0)});
    rows.push_back({"peak RSS MiB, idle run", {Summary(values(idle, &DemoSample::peakRssMiB), "%.1f")}, "<= 48",
                    met(Median(values(idle, &DemoSample::peakRssMiB)), 48.0)});
    rows.push_back({"peak RSS MiB, auto run", {Summary(values(autoRuns, &DemoSample::peakRssMiB), "%.1f")}, "<= 48",
                    met(Median(values(autoRuns, &DemoSample::peakRssMiB)), 48.0)});
    rows.push_back({"peak RSS MiB, skip run", {Summary(values(skip, &DemoSample::peakRssMiB), "%.1f")}, "<= 48",
                    met(Median(values(skip, &DemoSample::peakRssMiB)), 48.0)});
    rows.push_back({"idle CPU % (first message)", {Summary(values(idle, &DemoSample::cpuPercent), "%.2f")}, "<= 1.5",
                    met(Median(values(idle, &DemoSample::cpuPercent)), 1.5)});
    rows.push_back({"auto CPU % (20 lines)", {Summary(values(autoRuns, &DemoSample::cpuPercent), "%.2f")}, "<= 3",
                    met(Median(values(autoRuns, &DemoSample::cpuPercent)), 3.0)});
    rows.push_back({"skip 20 read lines ms", {Summary(values(skip, &DemoSample::skipMs), "%.1f")}, skipGoalText,
                    met(Median(values(skip, &DemoSample::skipMs)), skipGoal)});
    PrintTable({"tarnwick"}, rows);
    if (!logged.empty())
        std::printf("note: the bench folder logged errors (the status line may have drawn):\n%s\n", logged.c_str());
    return true;
}

bool OnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((fs::path(folder) / program).c_str(), X_OK) == 0)
            return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    double idleSeconds = 10.0;
    std::string mode = "all";
    std::string engine = TW_ENGINE_PATH;
    std::string minimal = TW_MINIMAL_PATH;
    std::string demo = TW_DEMO_GAME;
    bool underDisplay = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--under-display") == 0)
            underDisplay = true;
        else if (hasValue && std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (hasValue && std::strcmp(argv[i], "--idle") == 0)
            idleSeconds = std::max(0.1, std::atof(argv[++i]));
        else if (hasValue && std::strcmp(argv[i], "--mode") == 0)
            mode = argv[++i];
        else if (hasValue && std::strcmp(argv[i], "--engine") == 0)
            engine = argv[++i];
        else if (hasValue && std::strcmp(argv[i], "--minimal") == 0)
            minimal = argv[++i];
        else if (hasValue && std::strcmp(argv[i], "--demo") == 0)
            demo = argv[++i];
    }
    if (mode != "start" && mode != "demo" && mode != "all") {
        std::fprintf(stderr, "engine_bench: --mode is start, demo or all\n");
        return 2;
    }
    TestTempDir temp("tw_engine_bench");
    if (!temp.Valid()) {
        std::fprintf(stderr, "engine_bench: no temporary folder\n");
        return 1;
    }
    setenv("SDL_VIDEODRIVER", underDisplay ? "x11" : "dummy", underDisplay ? 1 : 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("TARNWICK_BENCH_MARKS", "1", 1);
    // The engine's saves, logs and window locks stay in the temporary folder.
    setenv("HOME", temp.String().c_str(), 1);
    setenv("XDG_RUNTIME_DIR", temp.String().c_str(), 1);

    std::printf("engine_bench: video driver %s, %ld cores online\n", std::getenv("SDL_VIDEODRIVER"),
                sysconf(_SC_NPROCESSORS_ONLN));
    if ((mode == "start" || mode == "all") && !RunStartMode(temp, engine, minimal, runs, idleSeconds))
        return 1;
    if ((mode == "demo" || mode == "all") && !RunDemoModes(temp, engine, demo, runs, idleSeconds))
        return 1;
    std::fflush(stdout);

    // The same measurement on a display server, when one can be started.
    if (!underDisplay && std::strcmp(std::getenv("SDL_VIDEODRIVER"), "dummy") == 0 && OnPath("xvfb-run")) {
        std::printf("\nrepeated under Xvfb:\n");
        std::fflush(stdout);
        std::vector<std::string> arguments = {"xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", argv[0], "--under-display"};
        for (int i = 1; i < argc; ++i)
            arguments.push_back(argv[i]);
        std::vector<char*> pointers;
        for (std::string& argument : arguments)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            execvp("xvfb-run", pointers.data());
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return 1;
    }
    return 0;
}
