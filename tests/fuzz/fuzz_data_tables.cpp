// Fuzz target: a table file's bytes through the encoding detection and line split, then the line
// parse of every table schema, and the reads that follow a load.
#include "data/data_tables.h"
#include "foundation/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

template <class Table>
void Parse(const std::vector<std::u16string>& lines)
{
    auto table = std::make_unique<Table>();
    table->LoadTableLines(lines);
    table->LoadTableLines(lines);   // a second load over the first
    const std::int32_t maxID = table->GetMaxID();
    if (maxID >= table->GetMaxRows() || maxID < -1)
        __builtin_trap();
    if (maxID >= 0 && table->GetRow(maxID) == nullptr)
        __builtin_trap();
    if (!lines.empty())
        table->FindIDByName(lines.front(), -1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::u16string> lines;
    if (!TextBytesToLines(lines, data, size, false))
        return 0;
    Parse<DBKeyMap>(lines);
    Parse<DBAvgChar>(lines);
    Parse<DBBGMMode>(lines);
    Parse<DBCGMode>(lines);
    Parse<DBRPMode>(lines);
    Parse<DBUIModule>(lines);
    Parse<DBUILayout>(lines);
    Parse<DBVoiceVolume>(lines);
    Parse<DBSystemVoice>(lines);
    for (const std::u16string& line : lines)
        ParseDecimalFloatWide(line.c_str());
    return 0;
}
