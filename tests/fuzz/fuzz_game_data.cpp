// Fuzz target: game data bytes through the saved game's full restore and through the header
// read of the save and load screens. The full restore runs against a play screen on the headless
// UI harness, so the layers' and widgets' ReadState and the stand strata take the damage too, and
// with the adventure module's sound services over a disabled sound back end, so any sound record
// runs the restore rules.
// The choice list must keep its size whatever the file says, and no damaged count may make a
// reader allocate or loop beyond what the bytes hold.
#include "avg/avg_play_state_services.h"
#include "core/core.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/saved_script.h"
#include "data/user_data.h"
#include "tests/fuzz/fuzz_bytes.h"
#include "tests/support/ui/harness/play_screen_tree.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "script/moa.h"
#include "script/worker.h"

#include <cstddef>
#include <cstdint>

namespace {

// The harness with the play screen of the seeds: stand layers "A" and "B".
UIHarness* Harness()
{
    static UIHarness harness;
    static const bool built = [] {
        if (!harness.Ok())
            return false;
        GetDBAvgChar().GetRow(1)->m_CharName = u"A";
        GetDBAvgChar().GetRow(4)->m_CharName = u"B";
        BuildPlayScreenTree(harness.Screen(), {u"A", u"B"});
        InstallAvgPlayStateServices();
        return true;
    }();
    return built ? &harness : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    GxBinBuffer bytes;
    if (!FuzzBytes(data, size, bytes))
        return 0;
    UIHarness* harness = Harness();
    GxMoa moa;
    GxMoaWorker worker(&moa);
    SetSavedDataScript(&moa, &worker);
    GxUserData game(harness ? &harness->Core() : nullptr);
    // The sound services keep their records in the engine core's game data.
    GxCore* engine = GxCore::GetInstance();
    GxUserData* previous = engine->m_UserData;
    engine->m_UserData = &game;
    const std::size_t items = game.m_SelectMenuItemList.size();
    DecodeGameData(&game, bytes, u"fuzz.gd", true);
    SetSavedDataScript(nullptr, nullptr);
    engine->m_UserData = previous;
    if (game.m_SelectMenuItemList.size() != items || game.m_MessageLog.size() > size || game.m_NoticeList.size() > size)
        __builtin_trap();
    if (harness) {
        // What was read is updated and drawn once.
        harness->Step(16000);
        harness->Recorder().Clear();
    }
    GxGameDataHeader header;
    DecodeGameDataHeader(bytes, &header);
    game.AddMessageLog(header.m_GameDataTitle, u"", false, false);
    return 0;
}
