// Fuzz target: one table file's lines loaded into every table the adventure module reads, then
// the module's work over them: the gallery split and counts, the look-ups by name, file and
// label, the character voice search, the key bindings from the key map and from the code table,
// and the system-voice switches.
#include "avg/key_bindings.h"
#include "avg/resource_lookup.h"
#include "data/data_lookup.h"
#include "data/data_tables.h"
#include "data/user_config.h"
#include "foundation/file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::u16string> lines;
    if (!TextBytesToLines(lines, data, size, false))
        return 0;
    ResetDataTables();
    GetDBKeyMap().LoadTableLines(lines);
    GetDBAvgChar().LoadTableLines(lines);
    GetDBBGMMode().LoadTableLines(lines);
    GetDBCGMode().LoadTableLines(lines);
    GetDBCGModePlacement().LoadTableLines(lines);
    GetDBRPMode().LoadTableLines(lines);
    GetDBVoiceVolume().LoadTableLines(lines);
    SplitCGFileNames();
    CountCGFiles();

    const std::u16string probe = lines.empty() ? std::u16string() : lines.front().substr(0, 64);
    IsReplayLabel(probe);
    FindBgmLoopPosTime(probe);
    FindAvgCharByName(probe);
    std::int32_t row = -1, element = -1;
    if (!FindCGByFileName(probe, &row, &element) && (row != 0 || element != 0))
        __builtin_trap();
    std::u16string voice = probe;
    const std::int32_t voiceRow = FindCharacterVoice(voice);
    if (voiceRow < 0 || voiceRow >= DBAvgChar::kRows)
        __builtin_trap();

    static GxUserConfig config;
    BindKeysFromKeyMap(config);
    for (const auto& codes : config.m_KeyCodes)
        for (std::int32_t code : codes)
            if (code < 0)
                __builtin_trap();
    RebindKeysFromUserConfig(config);
    ResetCharacterVoiceFlags(config);
    return 0;
}
