// Reading every file of a large scrambled pack through the file system, in the pack's order,
// against reading the same number of bytes with plain read() from one loose file, in the same
// run; once from an empty current folder and once from a folder of 3,000 loose files beside the
// pack; and once from the last file to the first. The engine's cases also report "x_floor",
// their ratio to the per-file pread() floor measured beside each of their passes.
#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/pack_file.h"
#include "platform/win32/file.h"
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kSmallFiles = 3000;
constexpr std::size_t kSmallSize = 48 * 1024;
constexpr std::size_t kLargeFiles = 56;
constexpr std::size_t kLargeSize = 1024 * 1024;   // about 200 MB in all

constexpr int kLooseFiles = 3000;

struct PackFixture {
    TestTempDir root{"tw_bench_pack"};
    std::string folder;
    std::string emptyFolder;
    std::string packPath;
    std::string loosePath;
    std::vector<std::u16string> names;
    std::size_t totalBytes = 0;

    PackFixture()
    {
        folder = root.String();
        emptyFolder = folder + "/empty";
        mkdir(emptyFolder.c_str(), 0777);
        packPath = folder + "/bench.gxp";
        loosePath = folder + "/loose.bin";

        TestPackBuilder builder;
        builder.SetScrambled(true);
        auto add = [&](std::size_t count, std::size_t size, const char* prefix) {
            for (std::size_t i = 0; i < count; ++i) {
                std::vector<BYTE> data(size, static_cast<BYTE>(i));
                std::string name = std::string(prefix) + std::to_string(i) + ".bin";
                std::u16string wide(name.begin(), name.end());
                names.push_back(wide);
                builder.Add(wide, std::move(data));
                totalBytes += size;
            }
        };
        add(kSmallFiles, kSmallSize, "small/file");
        add(kLargeFiles, kLargeSize, "large/file");
        builder.Write(packPath);

        std::vector<BYTE> loose(totalBytes, 0x5A);
        WriteBytesToFile(loosePath, loose);
        for (int i = 0; i < kLooseFiles; ++i) {
            const std::string name = folder + "/Loose" + std::to_string(i) + ".png";
            const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) close(fd);
        }
        // An installed game's folder has not changed for a while.
        const timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 0}};
        utimensat(AT_FDCWD, folder.c_str(), times, 0);
        utimensat(AT_FDCWD, emptyFolder.c_str(), times, 0);

        GxFile::SetCacheEnabled(false);
        GxFile::AddPackFile(std::u16string(packPath.begin(), packPath.end()));
    }

    ~PackFixture() { GxFile::ReleasePacks(); }
};

PackFixture& Fixture()
{
    static PackFixture fixture;
    return fixture;
}

void BM_PlainReadLooseFile(benchmark::State& state)
{
    PackFixture& fixture = Fixture();
    std::vector<char> buffer(kLargeSize);
    for (auto _ : state) {
        int fd = open(fixture.loosePath.c_str(), O_RDONLY);
        std::size_t total = 0;
        ssize_t got;
        while ((got = read(fd, buffer.data(), buffer.size())) > 0) total += static_cast<std::size_t>(got);
        close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.totalBytes));
}
BENCHMARK(BM_PlainReadLooseFile)->Unit(benchmark::kMillisecond);

// The same bytes read with pread() per file into a fresh buffer of the file's size, left
// unfilled as the engine's whole-file buffers are: the floor for reading files one by one; in the
// files' order, or from the last file to the first.
std::size_t ReadPerFileFreshBuffers(const PackFixture& fixture, bool backwards = false)
{
    int fd = open(fixture.loosePath.c_str(), O_RDONLY);
    std::size_t total = 0;
    const std::size_t count = fixture.names.size();
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = backwards ? count - 1 - k : k;
        const std::size_t size = i < kSmallFiles ? kSmallSize : kLargeSize;
        const std::size_t before =
            i < kSmallFiles ? i * kSmallSize : kSmallFiles * kSmallSize + (i - kSmallFiles) * kLargeSize;
        const off_t offset = static_cast<off_t>(before);
        std::unique_ptr<char[]> buffer(new char[size]);
        ssize_t got = pread(fd, buffer.get(), size, offset);
        if (got > 0) total += static_cast<std::size_t>(got);
    }
    close(fd);
    return total;
}

void BM_PlainReadPerFileFreshBuffers(benchmark::State& state)
{
    PackFixture& fixture = Fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPerFileFreshBuffers(fixture));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.totalBytes));
}
BENCHMARK(BM_PlainReadPerFileFreshBuffers)->Unit(benchmark::kMillisecond);

// The same files' bytes read with pread() per file from the pack itself, at their places in it,
// into fresh unfilled buffers: the floor for these very bytes, whose cached pages may be laid out
// unlike those of a file written in one piece.
void BM_PlainReadPackRangesFreshBuffers(benchmark::State& state)
{
    PackFixture& fixture = Fixture();
    struct Range {
        off_t offset;
        std::size_t size;
    };
    std::vector<Range> ranges;
    for (const std::u16string& name : fixture.names) {
        GxPackFileHeaderCache* pack = nullptr;
        const GxPackFileEntry* entry = nullptr;
        if (!FindPackEntry(name, &pack, &entry)) {
            state.SkipWithError("a packed name is missing");
            return;
        }
        ranges.push_back({static_cast<off_t>(pack->GetDataStart() + entry->m_DataOffset), entry->m_Size});
    }
    for (auto _ : state) {
        int fd = open(fixture.packPath.c_str(), O_RDONLY);
        std::size_t total = 0;
        for (const Range& range : ranges) {
            std::unique_ptr<char[]> buffer(new char[range.size]);
            ssize_t got = pread(fd, buffer.get(), range.size, range.offset);
            if (got > 0) total += static_cast<std::size_t>(got);
        }
        close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.totalBytes));
}
BENCHMARK(BM_PlainReadPackRangesFreshBuffers)->Unit(benchmark::kMillisecond);

std::size_t ReadEveryPackedFile(const PackFixture& fixture, bool backwards)
{
    std::size_t total = 0;
    const std::size_t count = fixture.names.size();
    for (std::size_t k = 0; k < count; ++k) {
        GxBinBuffer buffer;
        GxFile::ReadWholeFile(buffer, fixture.names[backwards ? count - 1 - k : k]);
        total += buffer.GetSize();
    }
    return total;
}

// Each iteration also reads the floor's pass, in the same order, untimed, right after its own:
// "x_floor" is the median of the iterations' ratios, which the host's slow drifts between
// benchmarks leave alone.
void ReadEveryPackedFileAgainstTheFloor(benchmark::State& state, bool inLooseFolder, bool backwards)
{
    PackFixture& fixture = Fixture();
    const std::string& current = inLooseFolder ? fixture.folder : fixture.emptyFolder;
    std::vector<char> previous(4096);
    // Through the engine's own call, as the engine enters its game folder.
    if (!getcwd(previous.data(), previous.size()) ||
        !SetCurrentDirectoryW(std::u16string(current.begin(), current.end()).c_str())) {
        state.SkipWithError("cannot enter the folder");
        return;
    }
    using Clock = std::chrono::steady_clock;
    std::vector<double> ratios;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(ReadEveryPackedFile(fixture, backwards));
        const Clock::time_point read = Clock::now();
        state.PauseTiming();
        const Clock::time_point floorStart = Clock::now();
        benchmark::DoNotOptimize(ReadPerFileFreshBuffers(fixture, backwards));
        const std::chrono::duration<double> floor = Clock::now() - floorStart;
        state.ResumeTiming();
        const std::chrono::duration<double> engine = read - start;
        if (floor.count() > 0) ratios.push_back(engine.count() / floor.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.totalBytes));
    if (!ratios.empty()) {
        std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
        state.counters["x_floor"] = ratios[ratios.size() / 2];
    }
    const std::string back = previous.data();
    if (!SetCurrentDirectoryW(std::u16string(back.begin(), back.end()).c_str()))
        state.SkipWithError("cannot leave the folder");
}

// Arg: the loose files in the current folder, where every packed name is looked for first.
void BM_ReadEveryPackedFile(benchmark::State& state)
{
    ReadEveryPackedFileAgainstTheFloor(state, state.range(0) != 0, false);
}
BENCHMARK(BM_ReadEveryPackedFile)->ArgName("loose")->Arg(0)->Arg(kLooseFiles)->Unit(benchmark::kMillisecond);

// From the last file to the first: no read continues the one before it, so nothing is read ahead.
void BM_ReadEveryPackedFileBackwards(benchmark::State& state)
{
    ReadEveryPackedFileAgainstTheFloor(state, false, true);
}
BENCHMARK(BM_ReadEveryPackedFileBackwards)->Unit(benchmark::kMillisecond);

void BM_DescrambleOnly(benchmark::State& state)
{
    std::vector<BYTE> block(kLargeSize, 0x33);
    for (auto _ : state) {
        PackScramble(block.data(), block.size(), 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK(BM_DescrambleOnly);

}  // namespace
