// [Screens] the load and save screens: the page refresh over the save folder (thumbnails, header
// records, enabled plates, the newest-slot tip), entering and leaving, the two handlers' orders
// with the confirmation question, saving and loading a slot (also when a write or read fails),
// the right click, and damaged slot files.
#include "screens/seq_load.h"
#include "screens/seq_save.h"

#include "avg/global_render_target.h"
#include "core/core.h"
#include "core/scene_generation.h"
#include "core/task_manage.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "graphics/png_image.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/error_log_capture.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace screens_test {
namespace {

// Index 0 as the game's layouts give single widgets, so each screen finds its own of a shared name.
LayoutRow Row(const char16_t* parent, const std::u16string& name, std::int32_t index = 0)
{
    LayoutRow row;
    row.parentName = parent;
    row.moduleName = u"plate";
    row.taskName = name;
    row.taskIndex = index;
    return row;
}

// What the layout must give each file screen.
std::vector<LayoutRow> FileLayout()
{
    std::vector<LayoutRow> rows;
    for (const char16_t* parent : {u"$UI:SeqLoad", u"$UI:SeqSave"}) {
        for (int k = 1; k <= 10; ++k)
            rows.push_back(Row(parent, FormatWide(u"b%02d", k)));
        for (int p = 0; p < 8; ++p)
            rows.push_back(Row(parent, u"btn_fileplate", p));
        rows.push_back(Row(parent, u"btn_back"));
        rows.push_back(Row(parent, u"tip_new"));
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

// Remembers the request words it was entered with.
class SeqBefore : public GxSeqBase {
public:
    explicit SeqBefore(GxTaskBase* owner) : GxSeqBase(owner, u"SeqBefore") {}
    void OnSequenceEnter(std::int32_t worker) override
    {
        GxSeqBase::OnSequenceEnter(worker);
        m_Words[1] = m_Manage->GetWorker(worker)->m_CurrentParam[1];
        ++m_Entered;
    }
    std::int32_t m_Words[2] = {-1, -1};
    int m_Entered = 0;
};

class FileScreens : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_System = m_H.MakeSystem();
        m_Load = new SeqLoad(m_H.m_UI.Root());
        m_Save = new SeqSave(m_H.m_UI.Root());
        m_Before = new SeqBefore(m_H.m_UI.Root());
        m_Saves = m_H.m_UI.Folder() / "save";
        std::filesystem::create_directories(m_Saves);
        Core().m_SaveFolder = m_Saves.u16string() + u"/";
    }
    GxCore& Core() { return m_H.m_UI.Core(); }
    GxUserConfig& Options() { return m_H.m_UI.Config().m_User; }
    // `screen` current in slot 0, entered from SeqBefore.
    void Open(GxSeqBase* screen)
    {
        GxTaskManage& manage = m_H.m_UI.Manage();
        if (manage.GetWorker(0)->m_Current != m_Before) {
            ASSERT_TRUE(manage.ChangeSequence(m_Before, 0, 0, 0));
            manage.ApplySequenceChanges();
        }
        manage.SetWorkerReady(0);
        m_H.EnterOnSlot0(screen);
    }
    // A saved game titled `title` in the slot, binary or text.
    void WriteSlot(std::int32_t slot, const std::u16string& title, bool binary = true,
                   const std::u16string& restore = u"SeqAvgMain")
    {
        GxUserData data(&Core());
        data.SetGameDataTitle(title);
        data.SetRestoreSequence(restore);
        ASSERT_TRUE(SaveGameData(&data, Core().m_SaveFolder + GameDataFileName(slot), binary));
    }
    void WriteThumb(std::int32_t slot, std::uint32_t rgba = 0xFF0000FF)
    {
        std::vector<std::uint32_t> pixels(128 * 96, rgba);
        ASSERT_EQ(WritePngFile((Core().m_SaveFolder + ThumbnailFileName(slot)).c_str(), 128, 96, pixels.data()), 1);
    }
    int Click(SeqFileBase* screen, const char16_t* name, std::int32_t index = 0)
    {
        GxUIEventParam event{};
        return screen->OnUIEvent(screen->FindWidget(name, index), &event);
    }
    int Answer(SeqFileBase* screen, const char16_t* button)
    {
        GxUIEventParam event{};
        return screen->OnUIEvent(m_H.Child(u"dlg_user", button), &event);
    }

    ScreenHarness m_H{{}, {ScreenModule(u"plate", 8)}, FileLayout()};
    SeqSystem* m_System = nullptr;
    SeqLoad* m_Load = nullptr;
    SeqSave* m_Save = nullptr;
    SeqBefore* m_Before = nullptr;
    std::filesystem::path m_Saves;
};

TEST(FileSlots, PlatesMapToSlotsAndPositions)
{
    struct Case {
        std::int32_t page, plate, slot;
        float x, y;
    };
    const Case cases[] = {{0, 0, 1, 52, 150}, {2, 0, 17, 52, 150}, {0, 3, 4, 52, 543}, {9, 7, 80, 536, 543}};
    for (const Case& c : cases) {
        EXPECT_EQ(FileSlotOf(c.page, c.plate), c.slot);
        EXPECT_EQ(FilePlateX(c.plate), c.x);
        EXPECT_EQ(FilePlateY(c.plate), c.y);
    }
    GxGameDataHeader header;
    EXPECT_EQ(WideToUtf8(FilePlateLine1(header, 7)), "データがありません    No.007");
    header.m_Valid = true;
    header.m_SaveTime = u"2026/12/11 13:00:00";
    EXPECT_EQ(WideToUtf8(FilePlateLine1(header, 80)), "2026/12/11 13:00:00    No.080");
}

TEST_F(FileScreens, RefreshReadsThePageAndEnablesOnlySavedPlatesOnTheLoadScreen)
{
    Options().m_GameDataPage = 2;
    WriteSlot(17, u"binary");
    WriteSlot(19, u"text", false);
    WriteThumb(17);
    WriteThumb(20);   // a picture without a save
    for (SeqFileBase* screen : {static_cast<SeqFileBase*>(m_Load), static_cast<SeqFileBase*>(m_Save)}) {
        const bool load = screen == m_Load;
        screen->RefreshPlates();
        for (int k = 1; k <= 10; ++k)
            EXPECT_EQ(screen->FindWidget(FormatWide(u"b%02d", k).c_str())->GetValue() != 0, k == 3) << k;
        EXPECT_EQ(WideToUtf8(screen->GetPlateHeader(0).m_GameDataTitle), "binary");
        EXPECT_EQ(WideToUtf8(screen->GetPlateHeader(2).m_GameDataTitle), "text");
        for (int p : {1, 3, 4, 7})
            EXPECT_FALSE(screen->GetPlateHeader(p).m_Valid) << p;
        EXPECT_TRUE(screen->GetPlateThumbnail(0).HasTiles());
        EXPECT_TRUE(screen->GetPlateThumbnail(3).HasTiles());
        EXPECT_FALSE(screen->GetPlateThumbnail(2).HasTiles());
        for (int p = 0; p < 8; ++p) {
            const bool enabled = screen->FindWidget(u"btn_fileplate", p)->IsEnabled();
            EXPECT_EQ(enabled, !load || p == 0 || p == 2) << p << load;
        }
    }
    // Another page clears what the last one read.
    Options().m_GameDataPage = 0;
    m_Load->RefreshPlates();
    EXPECT_FALSE(m_Load->GetPlateHeader(0).m_Valid);
    EXPECT_FALSE(m_Load->GetPlateThumbnail(0).HasTiles());
    EXPECT_FALSE(m_Load->FindWidget(u"btn_fileplate", 0)->IsEnabled());
}

TEST_F(FileScreens, NewTipFollowsTheLastSavedSlot)
{
    WriteSlot(17, u"a");
    WriteSlot(80, u"b");
    struct Case {
        std::int32_t last, page;
        bool shown;
        float x, y;
    };
    const Case cases[] = {
        {17, 2, true, 446, 151}, {80, 9, true, 930, 544}, {17, 3, false, 0, 0},
        {-1, 2, false, 0, 0},    {0, 0, false, 0, 0},     {18, 2, false, 0, 0},   // 18: no save there
    };
    GxTaskUIBase* tip = m_Save->FindWidget(u"tip_new");
    for (const Case& c : cases) {
        Options().m_LastGameDataFileNum = c.last;
        Options().m_GameDataPage = c.page;
        m_Save->RefreshPlates();
        EXPECT_EQ(tip->IsVisible(), c.shown) << c.last << " " << c.page;
        if (c.shown) {
            EXPECT_EQ(tip->GetPos().x, c.x);
            EXPECT_EQ(tip->GetPos().y, c.y);
        }
        EXPECT_EQ(Options().m_LastGameDataFileNum, c.last);   // the save screen forgets nothing
    }
    // The load screen forgets a newest save that has vanished.
    Options().m_LastGameDataFileNum = 18;
    Options().m_GameDataPage = 2;
    m_Load->RefreshPlates();
    EXPECT_EQ(Options().m_LastGameDataFileNum, -1);
}

TEST_F(FileScreens, DrawPutsEachPlatesPictureAndTwoShadowedLinesInOneNestedScene)
{
    WriteSlot(1, u"first title");
    WriteThumb(1);
    m_Load->RefreshPlates();
    WidgetDrawRecorder& recorder = m_H.m_UI.Recorder();
    recorder.Clear();
    EXPECT_EQ(m_Load->Draw(kScreenOverlayDrawTag, kScreenOverlayRenderList), 0);
    const std::vector<WidgetDrawCall>& calls = recorder.Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front().call, "BeginSceneNested");
    EXPECT_EQ(calls[1].call, "ResetRenderStates");
    EXPECT_EQ(calls.back().call, "EndSceneNested");

    std::vector<const WidgetDrawCall*> pictures;
    std::vector<const WidgetDrawCall*> texts;
    for (const WidgetDrawCall& c : calls) {
        if (c.call == "DrawFlexTexture")
            pictures.push_back(&c);
        else if (c.call == "DrawFontMapText")
            texts.push_back(&c);
    }
    ASSERT_EQ(pictures.size(), 1u);   // only slot 1 has a picture
    EXPECT_EQ(pictures[0]->points[0].x, 52.0f);
    EXPECT_EQ(pictures[0]->points[0].y, 150.0f);
    EXPECT_EQ(pictures[0]->points[1].x, 1.0f);   // 128 x 96 at 1024 x 768
    EXPECT_EQ(pictures[0]->points[1].y, 1.0f);

    ASSERT_EQ(texts.size(), 32u);   // two lines, each shadow then white, on eight plates
    const std::uint32_t shadow = m_H.m_UI.Config().m_System.m_SystemShadowColor;
    struct Expect {
        std::size_t at;
        float x, y;
        std::uint32_t color;
        std::string text;
    };
    const std::string line1 = WideToUtf8(FilePlateLine1(m_Load->GetPlateHeader(0), 1));
    ASSERT_NE(line1.find("    No.001"), std::string::npos);
    const Expect expects[] = {
        {0, 206, 156, shadow, line1},
        {1, 204, 154, 0xFFFFFFFF, line1},
        {2, 206, 186, shadow, "first title"},
        {3, 204, 184, 0xFFFFFFFF, "first title"},
        {5, 204, 285, 0xFFFFFFFF, "データがありません    No.002"},
        {7, 204, 315, 0xFFFFFFFF, ""},
        {29, 688, 547, 0xFFFFFFFF, "データがありません    No.008"},
    };
    for (const Expect& e : expects) {
        const WidgetDrawCall& c = *texts[e.at];
        EXPECT_EQ(c.points[0].x, e.x) << e.at;
        EXPECT_EQ(c.points[0].y, e.y) << e.at;
        EXPECT_EQ(c.colors[0], e.color) << e.at;
        EXPECT_EQ(WideToUtf8(c.text), e.text) << e.at;
    }
}

TEST_F(FileScreens, EnteringEndsSkipAndAutoHoldsNoticesAndLeavingLetsThemGo)
{
    GxUIManage& ui = m_H.m_UI.UI();
    ui.m_SkipMode = true;
    ui.m_AutoMode = true;
    Open(m_Save);
    EXPECT_FALSE(ui.m_SkipMode);
    EXPECT_FALSE(ui.m_AutoMode);
    EXPECT_TRUE(m_System->m_NoticeHold);
    EXPECT_EQ(m_Save->GetSelectedSlot(), -1);
    Click(m_Save, u"btn_fileplate", 1);
    EXPECT_EQ(m_Save->GetSelectedSlot(), 2);
    Answer(m_Save, u"btn_dlguser_no");

    GxTaskManage& manage = m_H.m_UI.Manage();
    ASSERT_TRUE(manage.ChangeSequence(m_Load, 0, 0, 0));
    manage.ApplySequenceChanges();
    EXPECT_TRUE(m_System->m_NoticeHold);   // the load screen holds them again
    EXPECT_EQ(m_Load->GetSelectedSlot(), -1);
    ASSERT_TRUE(manage.ChangeSequence(m_Before, 0, 0, 0));
    manage.ApplySequenceChanges();
    EXPECT_FALSE(m_System->m_NoticeHold);
}

TEST_F(FileScreens, LoadHandlerAsksThenLoadsAndResumesTheSavedScreen)
{
    WriteSlot(10, u"resume me", true, u"SeqBefore");
    Options().m_GameDataPage = 1;
    Open(m_Load);
    RecordingScreenSound& sound = m_H.m_Sound;

    EXPECT_EQ(Click(m_Load, u"b01"), 1);
    EXPECT_EQ(Options().m_GameDataPage, 0);
    EXPECT_EQ(Click(m_Load, u"b02"), 1);
    EXPECT_EQ(Options().m_GameDataPage, 1);

    sound.m_Calls.clear();
    EXPECT_EQ(Click(m_Load, u"btn_fileplate", 1), 1);
    EXPECT_EQ(m_Load->GetSelectedSlot(), 10);
    EXPECT_TRUE(m_System->IsUserDialogActive());
    EXPECT_EQ(WideToUtf8(m_System->GetUserDialogTag()), "SeqLoad_LOADCONFIRM");
    // A second plate while the question is open is consumed and changes nothing.
    EXPECT_EQ(Click(m_Load, u"btn_fileplate", 0), 1);
    EXPECT_EQ(m_Load->GetSelectedSlot(), 10);

    sound.m_Calls.clear();
    EXPECT_EQ(Answer(m_Load, u"btn_dlguser_yes"), 1);
    EXPECT_FALSE(m_System->IsUserDialogActive());
    ASSERT_FALSE(sound.m_Calls.empty());
    EXPECT_EQ(sound.m_Calls.back().rfind("sound 3 ", 0), 0u);
    EXPECT_EQ(WideToUtf8(Core().m_UserData->GetRestoreSequence()), "SeqBefore");
    m_H.m_UI.Manage().ApplySequenceChanges();
    EXPECT_EQ(m_H.m_UI.Manage().GetWorker(0)->m_Current, m_Before);
}

TEST_F(FileScreens, AFailedLoadStaysOnTheLoadScreenWithoutTheLoadSound)
{
    Open(m_Load);
    std::ofstream(m_Saves / "gamedata001.gd", std::ios::binary) << "BGD-broken";
    m_Load->RefreshPlates();
    Click(m_Load, u"btn_fileplate", 0);
    ASSERT_EQ(m_Load->GetSelectedSlot(), 1);
    m_H.m_Sound.m_Calls.clear();
    TestErrorLogCapture log;
    EXPECT_EQ(Answer(m_Load, u"btn_dlguser_yes"), 1);
    for (const std::string& call : m_H.m_Sound.m_Calls)
        EXPECT_NE(call.rfind("sound 3 ", 0), 0u) << call;
    EXPECT_FALSE(log.Lines().empty());
    EXPECT_EQ(m_H.m_UI.Manage().GetWorker(0)->m_Pending, nullptr);
}

TEST_F(FileScreens, SaveWritesTheSlotThumbnailAndOptionsAndShowsTheTip)
{
    Options().m_GameDataPage = 2;
    Open(m_Save);
    std::vector<std::uint8_t>& thumb = GetThumbnailBuffer();
    thumb.assign(128 * 96 * 4, 0);
    for (std::size_t i = 0; i < 128 * 96; ++i) {
        thumb[i * 4] = 0x30;       // blue
        thumb[i * 4 + 1] = 0x20;   // green
        thumb[i * 4 + 2] = 0x10;   // red
        thumb[i * 4 + 3] = 0x00;   // written opaque all the same
    }
    Core().m_UserData->SetGameDataTitle(u"saved");

    m_H.m_Sound.m_Calls.clear();
    EXPECT_EQ(Click(m_Save, u"btn_fileplate", 0), 1);
    EXPECT_EQ(WideToUtf8(m_System->GetUserDialogTag()), "SeqSave_SAVECONFIRM");
    EXPECT_EQ(Answer(m_Save, u"btn_dlguser_yes"), 1);
    EXPECT_FALSE(m_System->IsUserDialogActive());

    std::ifstream data(m_Saves / "gamedata017.gd", std::ios::binary);
    EXPECT_EQ(data.get(), 'B');
    GxGameDataHeader header;
    ASSERT_TRUE(ReadGameDataHeader((m_Saves / "gamedata017.gd").u16string(), &header));
    EXPECT_EQ(WideToUtf8(header.m_GameDataTitle), "saved");
    std::ifstream png(m_Saves / "thumb017.png", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
    std::uint32_t w = 0, h = 0;
    std::uint8_t* pixels = DecodePngMemory(bytes.data(), bytes.size(), &w, &h);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 128u);
    EXPECT_EQ(h, 96u);
    // The buffer's colours, opaque: blue, green, red, alpha as the reader gives them.
    int wrong = 0;
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i)
        wrong += pixels[i * 4] != 0x30 || pixels[i * 4 + 1] != 0x20 || pixels[i * 4 + 2] != 0x10 ||
                 pixels[i * 4 + 3] != 0xFF;
    EXPECT_EQ(wrong, 0);
    FreePngPixels(pixels);
    EXPECT_EQ(Options().m_LastGameDataFileNum, 17);
    EXPECT_TRUE(std::filesystem::exists(m_Saves / "userconf.dat"));
    EXPECT_TRUE(m_Save->FindWidget(u"tip_new")->IsVisible());
    EXPECT_EQ(WideToUtf8(m_Save->GetPlateHeader(0).m_GameDataTitle), "saved");

    // The load screen opens at the same page and shows the tip too.
    m_Load->RefreshPlates();
    EXPECT_TRUE(m_Load->FindWidget(u"tip_new")->IsVisible());
    EXPECT_TRUE(m_Load->FindWidget(u"btn_fileplate", 0)->IsEnabled());
}

TEST_F(FileScreens, AFailedSaveKeepsTheSlotsPreviousSaveAndTheNewestMark)
{
    WriteSlot(3, u"old");
    WriteThumb(3, 0xFF00FF00);
    Options().m_LastGameDataFileNum = 5;
    const auto before = std::filesystem::last_write_time(m_Saves / "thumb003.png");
    // A folder in the game data's place makes its write fail.
    Core().m_SaveFolder = (m_H.m_UI.Folder() / "missing").u16string() + u"/";
    TestErrorLogCapture log;
    EXPECT_FALSE(m_Save->SaveGameToSlot(3));
    EXPECT_EQ(Options().m_LastGameDataFileNum, 5);
    EXPECT_FALSE(log.Lines().empty());
    Core().m_SaveFolder = m_Saves.u16string() + u"/";
    GxGameDataHeader header;
    ASSERT_TRUE(ReadGameDataHeader((m_Saves / "gamedata003.gd").u16string(), &header));
    EXPECT_EQ(WideToUtf8(header.m_GameDataTitle), "old");
    EXPECT_EQ(std::filesystem::last_write_time(m_Saves / "thumb003.png"), before);

    // A slot outside 1..80 (a yes without a plate) writes and reads nothing.
    for (std::int32_t slot : {-1, 0, 81}) {
        EXPECT_FALSE(m_Save->SaveGameToSlot(slot)) << slot;
        EXPECT_FALSE(m_Load->LoadGameFromSlot(slot)) << slot;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_Saves), std::filesystem::directory_iterator()), 2);
}

TEST_F(FileScreens, BackReturnsToThePreviousScreenWithEachScreensWordAndRightClickActsAsBack)
{
    struct Case {
        SeqFileBase* screen;
        std::int32_t word;
    };
    for (const Case& c : {Case{m_Load, 4}, Case{m_Save, 3}}) {
        Open(c.screen);
        EXPECT_EQ(Click(c.screen, u"btn_back"), 1);
        m_H.m_UI.Manage().ApplySequenceChanges();
        EXPECT_EQ(m_H.m_UI.Manage().GetWorker(0)->m_Current, m_Before);
        EXPECT_EQ(m_Before->m_Words[1], c.word);
    }
    // Right click: the back button's event is reported, not consumed; nothing while a question holds.
    Open(m_Save);
    Click(m_Save, u"btn_fileplate", 0);
    ASSERT_TRUE(m_System->IsUserDialogActive());
    const GxVector2 point{5.0f, 5.0f};
    GxTaskManage& manage = m_H.m_UI.Manage();
    EXPECT_EQ(m_Save->OnMouseRightDown(&point, 0, 1), 0);
    m_Save->Update(0, 0);
    manage.ApplySequenceChanges();
    EXPECT_EQ(manage.GetWorker(0)->m_Current, m_Save);
    Answer(m_Save, u"btn_dlguser_no");
    EXPECT_EQ(m_Save->OnMouseRightDown(&point, 0, 1), 0);
    m_Save->Update(0, 0);
    manage.ApplySequenceChanges();
    EXPECT_EQ(manage.GetWorker(0)->m_Current, m_Before);
}

TEST_F(FileScreens, DamagedSlotFilesNeverCrashTheRefreshOrTheDraw)
{
    const std::filesystem::path corpus = std::filesystem::path(TW_SOURCE_DIR) / "tests" / "fuzz" / "corpus";
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"game_data", "image_png"})
        for (const auto& entry : std::filesystem::directory_iterator(corpus / folder))
            files.push_back(entry.path());
    ASSERT_FALSE(files.empty());
    Open(m_Load);
    TestErrorLogCapture log;
    for (const auto& file : files) {
        for (const char* target : {"gamedata001.gd", "thumb001.png"}) {
            std::filesystem::copy_file(file, m_Saves / target, std::filesystem::copy_options::overwrite_existing);
            m_Load->RefreshPlates();
            m_Save->RefreshPlates();
            m_H.m_UI.Step(16000);
            GxGameDataHeader header;
            if (!ReadGameDataHeader((m_Saves / "gamedata001.gd").u16string(), &header)) {
                EXPECT_EQ(WideToUtf8(FilePlateLine1(m_Load->GetPlateHeader(0), 1)), "データがありません    No.001")
                    << file;
            }
            std::filesystem::remove(m_Saves / target);
        }
    }
}

TEST_F(FileScreens, ThePlatesOwnDrawingMovesTheSceneGeneration)
{
    WriteSlot(1, u"first");
    WriteThumb(1);
    Open(m_Load);
    m_Load->Render(0, 0);
    const std::uint64_t settled = GxSceneGeneration::Get();
    m_Load->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), settled);

    // The slot saved again: its new picture may take the old one's place, and is drawn.
    WriteSlot(1, u"second");
    WriteThumb(1, 0xFF00FF00);
    m_Load->RefreshPlates();
    EXPECT_NE(GxSceneGeneration::Get(), settled);
    m_Load->Render(0, 0);
    const std::uint64_t refreshed = GxSceneGeneration::Get();
    m_Load->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), refreshed);
    // The page the plates number their slots by, however it changed.
    Options().m_GameDataPage = 1;
    m_Load->Render(0, 0);
    EXPECT_NE(GxSceneGeneration::Get(), refreshed);
}

}  // namespace
}  // namespace screens_test
