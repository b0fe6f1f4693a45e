// Fuzz target: arbitrary UI module, UI layout and character tables under the play screen. The
// input's lines are the three tables one after another, separated by lines "%%". The screen is
// built from them on the headless UI harness, entered, given a message and a speaker, reset,
// shown every choice and a choice taken, and run for a few frames: whatever rows are missing or
// odd, nothing may crash, and the screen must leave the tree whole when it goes.
#include "avg/global_render_target.h"
#include "avg/seq_avg_main.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/user_data.h"
#include "foundation/file.h"
#include "tests/support/ui/harness/ui_harness.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Made at the first input and never taken down: graphics objects made later than the harness
// (the render target's surfaces) would otherwise outlive their factories at exit.
UIHarness* Harness()
{
    static UIHarness* harness = new UIHarness();
    static const bool ready = [] {
        if (!harness->Ok())
            return false;
        CreateGlobalRenderTarget();
        return true;
    }();
    return ready ? harness : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::u16string> lines;
    UIHarness* harness = Harness();
    if (harness == nullptr || !TextBytesToLines(lines, data, size, false))
        return 0;
    std::vector<std::u16string> tables[3];
    std::size_t table = 0;
    for (const std::u16string& line : lines) {
        if (line == u"%%") {
            table = table < 2 ? table + 1 : table;
            continue;
        }
        tables[table].push_back(line);
    }
    ResetDataTables();
    GetDBUIModule().LoadTableLines(tables[0]);
    GetDBUILayout().LoadTableLines(tables[1]);
    GetDBAvgChar().LoadTableLines(tables[2]);

    GxTaskManage& manage = harness->Manage();
    auto* screen = new SeqAvgMain(harness->Root());
    manage.ChangeSequence(screen, 0, 0, 0);
    manage.ApplySequenceChanges();
    harness->Step(16667);
    screen->SetMessageText(u"本文のテキスト", false, false, 0);
    screen->SetSpeakerName(u"A", 1);
    screen->ResetPlayScreen();
    GxUserData& game = *harness->Core().m_UserData;
    game.ClearSelectMenu();
    for (GxSelectMenuItem& item : game.m_SelectMenuItemList) {
        item.m_Text = u"choice";
        item.m_Visible = true;
    }
    screen->ShowSelectMenu();
    for (int frame = 0; frame < 3; ++frame)
        harness->Step(16667, 2);
    screen->JumpToSelectedLabel(1);
    screen->CaptureThumbnail();
    harness->Step(16667);

    // Back to the harness's screen, and the play screen swept out whole.
    manage.ChangeSequence(harness->Screen(), 0, 0, 0);
    manage.ApplySequenceChanges();
    screen->Remove();
    for (int sweep = 0; sweep < 16 && manage.FindTask(u"$ROOT:SeqAvgMain") != nullptr; ++sweep)
        manage.SweepRemovedTasks(manage.GetRoot());
    if (manage.FindTask(u"$ROOT:SeqAvgMain") != nullptr)
        __builtin_trap();
    game.ClearSelectMenu();
    return 0;
}
