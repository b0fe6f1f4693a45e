// Reading every file of a large scrambled pack through the file system, against reading the
// same number of bytes with plain read() from one loose file, in the same run.
#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/pack_file.h"
#include "tests/support/pack_builder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kSmallFiles = 3000;
constexpr std::size_t kSmallSize = 48 * 1024;
constexpr std::size_t kLargeFiles = 56;
constexpr std::size_t kLargeSize = 1024 * 1024;   // about 200 MB in all

struct PackFixture {
    std::string folder;
    std::string packPath;
    std::string loosePath;
    std::vector<std::u16string> names;
    std::size_t totalBytes = 0;

    PackFixture()
    {
        folder = "/tmp/tarnwick_bench_pack_" + std::to_string(getpid());
        std::string command = "mkdir -p " + folder;
        if (std::system(command.c_str()) != 0) return;
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

        GxFile::SetCacheEnabled(false);
        GxFile::AddPackFile(std::u16string(packPath.begin(), packPath.end()));
    }

    ~PackFixture()
    {
        GxFile::ReleasePacks();
        std::remove(packPath.c_str());
        std::remove(loosePath.c_str());
        rmdir(folder.c_str());
    }
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

// The same bytes read with pread() per file into a fresh zero-filled buffer of the file's size,
// as the engine's buffers are: the floor for reading files one by one.
void BM_PlainReadPerFileFreshBuffers(benchmark::State& state)
{
    PackFixture& fixture = Fixture();
    for (auto _ : state) {
        int fd = open(fixture.loosePath.c_str(), O_RDONLY);
        std::size_t total = 0;
        off_t offset = 0;
        for (std::size_t i = 0; i < fixture.names.size(); ++i) {
            std::size_t size = i < kSmallFiles ? kSmallSize : kLargeSize;
            std::vector<char> buffer(size);
            ssize_t got = pread(fd, buffer.data(), size, offset);
            if (got > 0) total += static_cast<std::size_t>(got);
            offset += static_cast<off_t>(size);
        }
        close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.totalBytes));
}
BENCHMARK(BM_PlainReadPerFileFreshBuffers)->Unit(benchmark::kMillisecond);

void BM_ReadEveryPackedFile(benchmark::State& state)
{
    PackFixture& fixture = Fixture();
    for (auto _ : state) {
        std::size_t total = 0;
        for (const std::u16string& name : fixture.names) {
            GxBinBuffer buffer;
            GxFile::ReadWholeFile(buffer, name);
            total += buffer.GetSize();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fixture.totalBytes));
}
BENCHMARK(BM_ReadEveryPackedFile)->Unit(benchmark::kMillisecond);

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
