// GxBenchMarks: with TARNWICK_BENCH_MARKS=1 the engine writes one line per milestone to stderr,
// flushed at once, for an outside program to time the engine by:
//   tarnwick-mark <microseconds since the process started> <event>
// Events: "first-frame" (the first present), "first-screen" (the first present once a sequence
// other than "SeqBoot" has entered slot 0), "enter <sequence>" (a sequence change applied),
// "ready <sequence>" (a sequence became ready), "input <pass>" (a scripted event injected).
#pragma once

#include <cstdint>
#include <string_view>

class GxBenchMarks {
public:
    // Reads the variable once; marks are written only when it is "1".
    static bool IsEnabled();
    // Starts the clock of the marks; the process entry calls it first thing.
    static void Start();
    static void Mark(std::string_view event);
    static void Mark(std::string_view event, std::u16string_view name);
    static void Mark(std::string_view event, std::uint64_t number);
};
