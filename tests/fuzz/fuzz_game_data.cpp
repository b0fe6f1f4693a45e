// Fuzz target: game data bytes through the saved game's full restore and through the header
// read of the save and load screens. The choice list must keep its size whatever the file says,
// and no damaged count may make a reader allocate or loop beyond what the bytes hold.
#include "data/saved_script.h"
#include "data/user_data.h"
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
    GxUserData game;
    const std::size_t items = game.m_SelectMenuItemList.size();
    DecodeGameData(&game, bytes, u"fuzz.gd", true);
    SetSavedDataScript(nullptr, nullptr);
    if (game.m_SelectMenuItemList.size() != items || game.m_MessageLog.size() > size || game.m_NoticeList.size() > size)
        __builtin_trap();
    GxGameDataHeader header;
    DecodeGameDataHeader(bytes, &header);
    game.AddMessageLog(header.m_GameDataTitle, u"", false, false);
    return 0;
}
