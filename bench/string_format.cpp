// Cost of the wide formatter and the string helpers, each beside the C library's snprintf on
// the same input, so a regression shows as a ratio to a reference measured in the same run.
#include "foundation/wide_string.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A typical log line: class and operation, a name, numbers.
const char16_t* const kWideLineFormat = u"%s::%s/%s (%d, 0x%08X, %.3f)\n";
const char* const kNarrowLineFormat = "%s::%s/%s (%d, 0x%08X, %.3f)\n";

void FormatWideLogLine(benchmark::State& state)
{
    for (auto _ : state) {
        std::u16string text = FormatWide(kWideLineFormat, u"GxTexture", u"CreateFromFile", u"bg/bg_school_day.png",
                                         -1234, 0xBEEFu, 3.14159);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(FormatWideLogLine);

void SnprintfLogLine(benchmark::State& state)
{
    for (auto _ : state) {
        char buffer[256];
        int length = std::snprintf(buffer, sizeof buffer, kNarrowLineFormat, "GxTexture", "CreateFromFile",
                                   "bg/bg_school_day.png", -1234, 0xBEEFu, 3.14159);
        std::string text(buffer, static_cast<std::size_t>(length));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(SnprintfLogLine);

// Longer than the first 256-unit buffer, so FormatWide grows and formats again.
void FormatWideLong(benchmark::State& state)
{
    const std::u16string body(static_cast<std::size_t>(state.range(0)), u'x');
    for (auto _ : state) {
        std::u16string text = FormatWide(u"[%s]", body.c_str());
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(FormatWideLong)->Arg(200)->Arg(1000)->Arg(4000);

void SnprintfLong(benchmark::State& state)
{
    const std::string body(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) {
        // Measure, then format into a string of that size: what a grow-free formatter costs.
        const std::size_t length = static_cast<std::size_t>(std::snprintf(nullptr, 0, "[%s]", body.c_str()));
        std::string text(length, '\0');
        std::snprintf(text.data(), length + 1, "[%s]", body.c_str());   // the string's own terminator takes the NUL
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(SnprintfLong)->Arg(200)->Arg(1000)->Arg(4000);

void FormatWideBufferFixed(benchmark::State& state)
{
    char16_t buffer[1024];
    for (auto _ : state) {
        FormatWideBuffer(buffer, 1024, kWideLineFormat, u"GxTexture", u"CreateFromFile", u"bg/bg_school_day.png",
                         -1234, 0xBEEFu, 3.14159);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(FormatWideBufferFixed);

void SnprintfBufferFixed(benchmark::State& state)
{
    char buffer[1024];
    for (auto _ : state) {
        std::snprintf(buffer, sizeof buffer, kNarrowLineFormat, "GxTexture", "CreateFromFile", "bg/bg_school_day.png",
                      -1234, 0xBEEFu, 3.14159);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(SnprintfBufferFixed);

void IntToWide(benchmark::State& state)
{
    std::int32_t value = -123456;
    for (auto _ : state) {
        std::u16string text = IntToWideString(value++);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(IntToWide);

void SnprintfInt(benchmark::State& state)
{
    std::int32_t value = -123456;
    for (auto _ : state) {
        char buffer[16];
        int length = std::snprintf(buffer, sizeof buffer, "%d", value++);
        std::string text(buffer, static_cast<std::size_t>(length));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(SnprintfInt);

// The string helpers on one tab-separated table row, beside snprintf building the same row:
// the row's formatting cost is the unit the helpers are measured in.
const char16_t* const kRow = u"  1024\tSeqTitle\tui_title.gis\t\"Title \\\"screen\\\"\"\t0x00FF00\r\n";

void HelpersOnTableRow(benchmark::State& state)
{
    std::vector<std::u16string> fields;
    for (auto _ : state) {
        std::u16string line = TrimWide(kRow, 3);
        SplitWide(fields, line, u"\t");
        TrimWideAll(fields, 3);
        std::u16string quoted = UnquoteWide(fields[3], 0);
        int same = WideCompare(fields[1], u"SEQTITLE");
        std::u16string path = ReplaceAllWide(fields[2], u".gis", u".png");
        std::u16string joined = JoinWideStrings(fields, u",");
        benchmark::DoNotOptimize(quoted);
        benchmark::DoNotOptimize(same);
        benchmark::DoNotOptimize(path);
        benchmark::DoNotOptimize(joined);
    }
}
BENCHMARK(HelpersOnTableRow);

void SnprintfTableRow(benchmark::State& state)
{
    for (auto _ : state) {
        char buffer[128];
        int length = std::snprintf(buffer, sizeof buffer, "  %d\t%s\t%s\t\"%s\"\t0x%06X\r\n", 1024, "SeqTitle",
                                   "ui_title.gis", "Title \\\"screen\\\"", 0x00FF00);
        std::string text(buffer, static_cast<std::size_t>(length));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(SnprintfTableRow);

void ConvertUtf8RoundTrip(benchmark::State& state)
{
    const std::u16string text = u"日本語のテキストと ASCII text, mixed";
    for (auto _ : state) {
        std::u16string back = Utf8ToWide(WideToUtf8(text));
        benchmark::DoNotOptimize(back);
    }
}
BENCHMARK(ConvertUtf8RoundTrip);

}  // namespace
