// Fuzz target: "permanent.dat" bytes through the persistent flags' decoding, with a script engine
// registered so that the persistent variables are read too. No damaged count may make it
// allocate or loop beyond what the bytes hold.
#include "data/saved_script.h"
#include "data/user_data_perman.h"
#include "tests/fuzz/fuzz_bytes.h"
#include "script/moa.h"
#include "script/worker.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer bytes;
    if (!FuzzBytes(data, size, bytes))
        return 0;
    GxMoa moa;
    GxMoaWorker worker(&moa);
    SetSavedDataScript(&moa, &worker);
    GxUserDataPerman flags;
    DecodePermanentData(&flags, bytes);
    SetSavedDataScript(nullptr, nullptr);
    // Every word read came from four bytes of the file at least.
    std::size_t words = 0;
    for (const auto& [key, bits] : flags.m_ReadedMessageFlags)
        words += bits.size();
    if (words > size)
        __builtin_trap();
    flags.IsMessageRead(u"main", 100);
    return 0;
}
