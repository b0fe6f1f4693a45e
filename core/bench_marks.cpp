#include "core/bench_marks.h"

#include "foundation/wide_string.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::chrono::steady_clock::time_point StartTime()
{
    static const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    return start;
}

void Write(const std::string& line)
{
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                             StartTime());
    std::fprintf(stderr, "tarnwick-mark %lld %s\n", static_cast<long long>(since.count()), line.c_str());
    std::fflush(stderr);
}

}  // namespace

bool GxBenchMarks::IsEnabled()
{
    static const bool enabled = [] {
        const char* value = std::getenv("TARNWICK_BENCH_MARKS");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

void GxBenchMarks::Start()
{
    StartTime();
}

void GxBenchMarks::Mark(std::string_view event)
{
    if (IsEnabled())
        Write(std::string(event));
}

void GxBenchMarks::Mark(std::string_view event, std::u16string_view name)
{
    if (IsEnabled())
        Write(std::string(event) + " " + WideToUtf8(name));
}

void GxBenchMarks::Mark(std::string_view event, std::uint64_t number)
{
    if (IsEnabled())
        Write(std::string(event) + " " + std::to_string(number));
}
