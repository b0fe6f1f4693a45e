// The demo game's user interface: the UI module and layout rows of every screen, the image sets
// their widgets draw from and the screens' backgrounds. The widget names, kinds, folders and
// indices are the ones the screens look up.
#include "demo/tools/demo_generator.h"
#include "demo/tools/demo_ui_backgrounds.h"
#include "demo/tools/demo_ui_kit.h"
#include "foundation/wide_string.h"
#include "tests/support/ui/system_layer_rows.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// Widget kinds, by the table's type codes.
constexpr std::int32_t kMessageWindow = 9;
constexpr std::int32_t kTextWindow = 10;
constexpr std::int32_t kTextPanel = 11;
constexpr std::int32_t kPanel = 15;
constexpr std::int32_t kAnimePanel = 16;
constexpr std::int32_t kButton = 18;
constexpr std::int32_t kToggle = 19;
constexpr std::int32_t kRadio = 20;
constexpr std::int32_t kTextButton = 21;
constexpr std::int32_t kHSlider = 30;
constexpr std::int32_t kVSlider = 31;
constexpr std::int32_t kListBox = 50;

// The system glyph cache the windows and lists write with.
constexpr std::int32_t kTextFont = 2;
constexpr float kWidgetZ = 10.0f;
constexpr std::u16string_view kLooseImages = u"cg/ui/";

// Where a widget goes and how it starts.
struct Place {
    std::u16string parent;
    std::u16string task;
    std::int32_t index = 0;
    float left = 0.0f, top = 0.0f;
    std::int32_t group = 0;
    std::int32_t value = 0;
    std::int32_t min = 0, max = 0;
    std::int32_t visible = 1;
    float z = kWidgetZ;
};

void Lay(DemoUIKit& kit, const std::u16string& module, const Place& p)
{
    LayoutRow row;
    row.parentName = p.parent;
    row.moduleName = module;
    row.taskName = p.task;
    row.taskIndex = p.index;
    row.create = 1;
    row.visible = p.visible;
    row.enabled = 1;
    row.left = p.left;
    row.top = p.top;
    row.orderZ = p.z;
    row.groupId = p.group;
    row.value = p.value;
    row.min = p.min;
    row.max = p.max;
    kit.AddLayout(row);
}

ModuleRow Module(std::int32_t type, const std::u16string& name, const std::u16string& set, const std::u16string& image,
                 std::int32_t font = 1)
{
    ModuleRow row;
    row.type = type;
    row.name = name;
    row.imageSet = set;
    row.image = image;
    row.font = font;
    return row;
}

// A push, toggle or radio button: its looks under the module's name in `set`, its module and its
// place.
void AddButton(DemoUIKit& kit, std::int32_t type, const std::u16string& set, const std::u16string& module,
               std::int32_t width, std::int32_t height, const std::u16string& label, const Place& place,
               const DemoPalette& palette = DemoBluePalette())
{
    kit.AddButtonCells(set, module, width, height, label, type == kButton ? DemoLooks::kButton : DemoLooks::kToggle,
                       palette);
    kit.AddModule(Module(type, module, set, module));
    Lay(kit, module, place);
}

// A slider with its range.
void AddSlider(DemoUIKit& kit, std::int32_t type, const std::u16string& set, const std::u16string& module,
               std::int32_t length, const Place& place)
{
    if (type == kHSlider)
        kit.AddSliderCells(set, module, length, 24, 16, 24);
    else
        kit.AddSliderCells(set, module, 24, length, 24, 32);
    kit.AddModule(Module(type, module, set, module));
    Lay(kit, module, place);
}

// A picture panel of the set: one cell, named after the module.
void AddPanel(DemoUIKit& kit, const std::u16string& set, const std::u16string& module, const TestImage& image,
              const Place& place)
{
    kit.AddCell(set, module + u".png", image);
    kit.AddModule(Module(kPanel, module, set, module));
    Lay(kit, module, place);
}

std::u16string Number(std::int32_t value, int width = 0)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return Utf8ToWide(text);
}

// A literal prefix and a number; appended rather than added, which keeps GCC 12's string
// operator clear of a false overlap warning in optimised builds.
std::u16string Numbered(const char16_t* prefix, std::int32_t value, int width = 0)
{
    std::u16string text = prefix;
    text += Number(value, width);
    return text;
}

// ---- the rows of the story's tables the screens show --------------------------------------------

// One column of a generated table "data/<file>" of the game folder (UTF-16LE with its signature,
// a "#" line naming the columns); one value per row, in file order.
std::vector<std::u16string> TableColumn(const std::filesystem::path& gameFolder, const char* file,
                                        const std::u16string& column)
{
    std::ifstream in(gameFolder / "data" / file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (!text.empty() && text.front() == u'\xFEFF')
        text.erase(0, 1);
    std::vector<std::u16string> lines;
    SplitWide(lines, text, u"\n");
    std::vector<std::u16string> values;
    std::ptrdiff_t at = -1;
    for (std::u16string line : lines) {
        if (!line.empty() && line.back() == u'\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<std::u16string> fields;
        SplitWide(fields, line[0] == u'#' ? line.substr(1) : line, u"\t");
        if (line[0] == u'#') {
            const auto found = std::find(fields.begin(), fields.end(), column);
            if (at < 0 && found != fields.end())
                at = found - fields.begin();
            continue;
        }
        if (at >= 0)
            values.push_back(std::size_t(at) < fields.size() ? fields[std::size_t(at)] : std::u16string());
    }
    return values;
}

std::int32_t PageCount(const std::filesystem::path& gameFolder, const char* file)
{
    std::int32_t pages = 1;
    for (const std::u16string& group : TableColumn(gameFolder, file, u"Group"))
        pages = std::max(pages, std::int32_t(std::atoi(WideToUtf8(group).c_str())));
    return std::min(pages, 8);
}

// ---- screens ------------------------------------------------------------------------------------

constexpr std::int32_t kBackLeft = 864;
constexpr std::int32_t kBackTop = 704;

void AddBack(DemoUIKit& kit, const std::u16string& set, const std::u16string& module, const std::u16string& parent)
{
    AddButton(kit, kButton, set, module, 128, 40, u"戻る", {parent, u"btn_back", 0, kBackLeft, kBackTop});
}

void AddTitle(DemoUIKit& kit, std::vector<DemoBackground>& backgrounds)
{
    const std::u16string set = u"ui_title", parent = u"$UI:SeqTitle";
    static constexpr struct {
        const char16_t* name;
        const char16_t* label;
    } kButtons[] = {
        {u"btn_title_start", u"はじめから"}, {u"btn_title_load", u"つづきから"}, {u"btn_title_visual", u"ギャラリー"},
        {u"btn_title_event", u"回想"},       {u"btn_title_music", u"音楽鑑賞"},   {u"btn_title_config", u"設定"},
        {u"btn_title_extra", u"おまけ"},     {u"btn_title_exit", u"終了"},
    };
    float top = 300.0f;
    for (const auto& button : kButtons) {
        AddButton(kit, kButton, set, button.name, 240, 44, button.label, {parent, button.name, 0, 392.0f, top},
                  DemoAmberPalette());
        top += 52.0f;
    }
    backgrounds.push_back({"bg_title.png", u"Tarnwick Demo", 0x102040, 0x804060, {{300, 180, u"タークウィックの小さな物語"}}});
}

// The configuration screen: the tabs and common buttons, then one folder per page.
void AddConfig(DemoUIKit& kit, std::vector<DemoBackground>& backgrounds)
{
    const std::u16string set = u"ui_config";
    const std::u16string common = u"$UI:SeqConfig";
    static constexpr const char16_t* kTabs[][2] = {{u"btn_tabconf_system", u"システム"},
                                                   {u"btn_tabconf_sound", u"サウンド"},
                                                   {u"btn_tabconf_voice", u"ボイス"},
                                                   {u"btn_tabconf_game", u"ゲーム"}};
    for (int i = 0; i < 4; ++i)
        AddButton(kit, kRadio, set, kTabs[i][0], 150, 40, kTabs[i][1],
                  {common, kTabs[i][0], 0, 400.0f + 150.0f * float(i), 20.0f, 1, i == 0 ? 1 : 0});
    AddButton(kit, kButton, set, u"cfg_exit", 128, 40, u"終了", {common, u"btn_exit", 0, 432, kBackTop});
    AddButton(kit, kButton, set, u"cfg_init", 128, 40, u"初期化", {common, u"btn_init", 0, 576, kBackTop});
    AddButton(kit, kButton, set, u"cfg_title", 128, 40, u"タイトル", {common, u"btn_title", 0, 720, kBackTop});
    AddBack(kit, set, u"cfg_back", common);

    // Rows: a caption on the background at the left, the controls from x 360.
    constexpr std::int32_t kRowLeft = 360;
    const auto rowTop = [](int row) { return 100 + 50 * row; };
    const auto onOff = [&](const std::u16string& folder, std::int32_t index, int row) {
        AddButton(kit, kRadio, set, u"cfg_on", 100, 36, u"ON", {folder, u"btn_on", index, kRowLeft, float(rowTop(row)), index});
        AddButton(kit, kRadio, set, u"cfg_off", 100, 36, u"OFF",
                  {folder, u"btn_off", index, kRowLeft + 112, float(rowTop(row)), index});
    };
    const auto slider = [&](const std::u16string& folder, const std::u16string& task, int row, std::int32_t min,
                            std::int32_t max) {
        AddSlider(kit, kHSlider, set, u"cfg_hslider", 400, {folder, task, 0, kRowLeft, float(rowTop(row) + 6), 0, max, min, max});
    };
    std::vector<DemoCaption> captions;
    const auto caption = [&](int row, const char16_t* text) { captions.push_back({80, rowTop(row) + 18, text}); };

    // System page: screen mode, the two speeds, the window's opacity (all shown negated), six switches.
    const std::u16string system = u"$UI_SYSTEM:SeqConfig";
    AddButton(kit, kRadio, set, u"cfg_window", 130, 36, u"ウィンドウ", {system, u"btn_window", 1, kRowLeft, 100, 1});
    AddButton(kit, kRadio, set, u"cfg_fullscreen", 130, 36, u"フルスクリーン",
              {system, u"btn_fullscreen", 1, kRowLeft + 142, 100, 1});
    slider(system, u"hsld_textspeed", 1, -120, -10);
    slider(system, u"hsld_autospeed", 2, -6000, -500);
    slider(system, u"hsld_winalpha", 3, -255, -32);
    static constexpr const char16_t* kSwitches[] = {u"未読もスキップ",   u"既読は一度に表示", u"既読の文の色を変える",
                                                    u"選んだ選択肢の色", u"選択後もオート",   u"選択後もスキップ"};
    for (int i = 0; i < 6; ++i)
        onOff(system, 2 + i, 4 + i);
    captions.clear();
    for (const char16_t* text : {u"画面モード", u"文字の速さ", u"オートの速さ", u"ウィンドウの濃さ"})
        caption(int(captions.size()), text);
    for (const char16_t* text : kSwitches)
        caption(int(captions.size()), text);
    backgrounds.push_back({"bg_config_system.png", u"設定 ― システム", 0x203048, 0x101820, captions});

    // Sound page: five volumes with the effect sample, voice timing, two switches, the engine.
    const std::u16string sound = u"$UI_SOUND:SeqConfig";
    int row = 0;
    for (const char16_t* task :
         {u"hsld_vol_master", u"hsld_vol_bgm", u"hsld_vol_se", u"hsld_vol_movie", u"hsld_vol_rest"})
        slider(sound, task, row++, 0, 100);
    AddButton(kit, kButton, set, u"cfg_test", 100, 36, u"試聴", {sound, u"btn_test_se", 0, kRowLeft + 420, float(rowTop(2))});
    AddButton(kit, kRadio, set, u"cfg_nextvoice", 160, 36, u"次のボイスまで", {sound, u"btn_nextvoice", 1, kRowLeft, float(rowTop(5)), 1});
    AddButton(kit, kRadio, set, u"cfg_nexttext", 160, 36, u"次の文まで", {sound, u"btn_nexttext", 1, kRowLeft + 172, float(rowTop(5)), 1});
    onOff(sound, 2, 6);
    onOff(sound, 3, 7);
    AddButton(kit, kButton, set, u"cfg_test", 100, 36, u"試聴",
              {sound, u"btn_test_systemvoice", 0, kRowLeft + 240, float(rowTop(7))});
    AddButton(kit, kRadio, set, u"cfg_soundauto", 130, 36, u"自動", {sound, u"btn_soundauto", 4, kRowLeft, float(rowTop(8)), 4});
    AddButton(kit, kRadio, set, u"cfg_directsound", 130, 36, u"DirectSound",
              {sound, u"btn_directsound", 4, kRowLeft + 142, float(rowTop(8)), 4});
    AddButton(kit, kRadio, set, u"cfg_xaudio2", 130, 36, u"XAudio2", {sound, u"btn_xaudio2", 4, kRowLeft + 284, float(rowTop(8)), 4});
    captions.clear();
    for (const char16_t* text : {u"全体の音量", u"音楽", u"効果音", u"ムービー", u"ボイス中の音楽", u"ボイスの停止",
                                 u"オートでボイスを待つ", u"システムボイス", u"サウンドエンジン"})
        caption(int(captions.size()), text);
    backgrounds.push_back({"bg_config_sound.png", u"設定 ― サウンド", 0x204030, 0x0C1810, captions});

    // Voice page: two master volumes, six plates two a row, the scroll controls at the right.
    const std::u16string voice = u"$UI_VOICE:SeqConfig";
    slider(voice, u"hsld_vol_voicemaster", 0, 0, 100);
    slider(voice, u"hsld_vol_systemvoice", 1, 0, 100);
    // The plate: the voice group's face (96 x 96, drawn by the screen at the plate's corner) on
    // a darker well, the controls to its right.
    TestImage plate = DemoFrame(440, 150, 0xB0182030, 0xFF8098C8);
    for (std::uint32_t y = 0; y < 100; ++y)
        for (std::uint32_t x = 0; x < 100; ++x)
            plate.argb[std::size_t(y) * plate.width + x] = 0xFF080C14;
    kit.AddCell(set, u"cfg_voiceplate.png", plate);
    kit.AddModule(Module(kPanel, u"cfg_voiceplate", set, u"cfg_voiceplate"));
    for (int i = 0; i < 6; ++i) {
        const float left = 60.0f + 460.0f * float(i % 2);
        const float top = 210.0f + 160.0f * float(i / 2);
        Lay(kit, u"cfg_voiceplate", {voice, u"tip_voiceplate", i, left, top, 0, 0, 0, 0, 1, 5.0f});
        AddSlider(kit, kHSlider, set, u"cfg_voiceslider", 300, {voice, u"hsld_vol_voice", i, left + 120, top + 30, 0, 100, 0, 100});
        AddButton(kit, kButton, set, u"cfg_voicetest", 100, 32, u"試聴", {voice, u"btn_test_voice", i, left + 120, top + 90});
        AddButton(kit, kToggle, set, u"cfg_systemvoice", 168, 32, u"システムボイス",
                  {voice, u"btn_systemvoice", i, left + 236, top + 90});
    }
    AddButton(kit, kButton, set, u"cfg_scrollup", 40, 32, u"▲", {voice, u"btn_scrollup_voice", 0, 972, 210});
    AddSlider(kit, kVSlider, set, u"cfg_vslider", 380, {voice, u"hsld_scroll_voice", 0, 980, 250, 0, 0, 0, 0});
    AddButton(kit, kButton, set, u"cfg_scrolldown", 40, 32, u"▼", {voice, u"btn_scrolldown_voice", 0, 972, 640});
    captions.clear();
    caption(0, u"ボイス全体");
    caption(1, u"システムボイス");
    backgrounds.push_back({"bg_config_voice.png", u"設定 ― ボイス", 0x402838, 0x180C14, captions});

    // The game page is the modules' own; the adventure module leaves it empty.
    backgrounds.push_back({"bg_config_game.png", u"設定 ― ゲーム", 0x383020, 0x141008, {{80, 118, u"このページの設定はありません"}}});
}

// The save and load screens: page buttons, eight plates (the screen writes their texts and
// thumbnails), the newest mark and the back button.
void AddFileScreen(DemoUIKit& kit, const char16_t* screen, const char* background, const char16_t* title,
                   std::uint32_t top, std::uint32_t bottom, std::vector<DemoBackground>& backgrounds)
{
    const std::u16string set = u"ui_saveload", parent = std::u16string(u"$UI:") + screen;
    for (std::int32_t k = 1; k <= 10; ++k) {
        const std::u16string name = Numbered(u"b", k, 2);
        AddButton(kit, kRadio, set, Numbered(u"file_page", k, 2), 64, 36, Number(k),
                  {parent, name, 0, 52.0f + 72.0f * float(k - 1), 92.0f, 1, k == 1 ? 1 : 0});
    }
    // The plate: a frame with a well where the thumbnail goes (128 x 96 at its top left).
    const DemoPalette& palette = DemoBluePalette();
    const std::pair<const char16_t*, std::pair<std::uint32_t, std::uint32_t>> looks[] = {
        {u"_off.png", {palette.fill, palette.line}},
        {u"_on.png", {palette.onFill, palette.onLine}},
        {u"_over.png", {palette.overFill, palette.onLine}},
        {u"_na.png", {palette.naFill, 0xFF606060}},
    };
    for (const auto& [suffix, colours] : looks) {
        TestImage plate = DemoFrame(464, 112, colours.first, colours.second);
        for (std::uint32_t y = 0; y < 96; ++y)
            for (std::uint32_t x = 0; x < 128; ++x)
                plate.argb[std::size_t(y) * plate.width + x] = 0xFF080C14;
        kit.AddCell(set, std::u16string(u"file_plate") + suffix, plate);
    }
    kit.AddModule(Module(kButton, u"file_plate", set, u"file_plate"));
    for (std::int32_t p = 0; p < 8; ++p)
        Lay(kit, u"file_plate",
            {parent, u"btn_fileplate", p, 52.0f + 484.0f * float(p / 4), 150.0f + 131.0f * float(p % 4)});
    AddPanel(kit, set, u"file_new", DemoLabelled(kit, 64, 24, 0xF0C04020, 0xFFFFE0A0, u"NEW"),
             {parent, u"tip_new", 0, 446, 151, 0, 0, 0, 0, 1, 20.0f});
    AddBack(kit, set, u"file_back", parent);
    backgrounds.push_back({background, title, top, bottom, {}});
}

// The picture and replay galleries: 25 plates, page buttons, previous, next and back.
void AddGallery(DemoUIKit& kit, const char16_t* screen, const char16_t* plate, std::int32_t pages,
                const char* background, const char16_t* title, std::uint32_t top, std::uint32_t bottom,
                std::vector<DemoBackground>& backgrounds)
{
    const std::u16string set = u"ui_extra", parent = std::u16string(u"$UI:") + screen;
    const std::u16string module = std::u16string(u"extra_") + plate;
    kit.AddButtonCells(set, module, 128, 96, u"", DemoLooks::kButton);
    kit.AddModule(Module(kButton, module, set, module));
    for (std::int32_t i = 0; i < 25; ++i)
        Lay(kit, module, {parent, plate, i, 64.0f + 152.0f * float(i % 5), 104.0f + 120.0f * float(i / 5)});
    for (std::int32_t page = 1; page <= pages; ++page)
        AddButton(kit, kRadio, set, Numbered(u"extra_page", page), 120, 36, Numbered(u"PAGE ", page),
                  {parent, u"btn_pageselect", page, 864.0f, 160.0f + 44.0f * float(page - 1), 1, page == 1 ? 1 : 0});
    AddButton(kit, kButton, set, u"extra_prev", 120, 36, u"前のページ", {parent, u"btn_prev", 0, 864, 560});
    AddButton(kit, kButton, set, u"extra_next", 120, 36, u"次のページ", {parent, u"btn_next", 0, 864, 612});
    AddBack(kit, set, u"extra_back", parent);
    backgrounds.push_back({background, title, top, bottom, {{940, 72, u"%"}}});
}

// The locked plate of both galleries and the thumbnails their tables name.
void AddGalleryPictures(DemoUIKit& kit, const std::filesystem::path& gameFolder)
{
    kit.AddCell(u"ui_extra", u"tip_cgplate.png", DemoLabelled(kit, 128, 96, 0xFF202020, 0xFF505050, u"LOCKED", 0x808080));
    kit.AddCell(u"ui_extra", u"tip_rpplate.png", DemoLabelled(kit, 128, 96, 0xFF201820, 0xFF504050, u"LOCKED", 0x808080));
    static constexpr struct {
        const char* table;
        const char16_t* set;
        std::uint32_t fill;
    } kGalleries[] = {{"db_cgmode.txt", u"th_cgmode", 0xFF305070}, {"db_rpmode.txt", u"th_rpmode", 0xFF604030}};
    for (const auto& gallery : kGalleries) {
        std::vector<std::u16string> names = TableColumn(gameFolder, gallery.table, u"Thumbnail");
        names.erase(std::remove(names.begin(), names.end(), std::u16string()), names.end());
        // A set is never empty: the sample plate stands for a table without rows.
        if (names.empty())
            names.push_back(u"th_sample.png");
        for (const std::u16string& name : names) {
            // The name without its extension and the "th_" of the demo's names.
            std::u16string label = name.substr(0, name.rfind(u'.'));
            if (label.rfind(u"th_", 0) == 0)
                label.erase(0, 3);
            kit.AddCell(gallery.set, name, DemoLabelled(kit, 128, 96, gallery.fill, 0xFFE0E0E0, label));
        }
    }
}

// The music room: one radio button per track, play and stop, previous and next, the playing mark.
void AddMusicRoom(DemoUIKit& kit, const std::filesystem::path& gameFolder, std::vector<DemoBackground>& backgrounds)
{
    const std::u16string parent = u"$UI:SeqBGMMode";
    std::vector<std::u16string> names = TableColumn(gameFolder, "db_bgmmode.txt", u"Name");
    const std::vector<std::u16string> ids = TableColumn(gameFolder, "db_bgmmode.txt", u"ID");
    std::vector<std::u16string> tracks;
    for (std::size_t i = 0; i < ids.size() && i < names.size(); ++i)
        if (std::atoi(WideToUtf8(ids[i]).c_str()) >= 1)
            tracks.push_back(names[i]);
    if (tracks.empty())
        tracks = {u"Track 1", u"Track 2", u"Track 3"};
    tracks.resize(std::min<std::size_t>(tracks.size(), 10));
    for (std::size_t t = 0; t < tracks.size(); ++t) {
        const std::int32_t track = std::int32_t(t) + 1;
        AddButton(kit, kRadio, u"ui_bgmname", Numbered(u"bgm_track", track, 2), 400, 44,
                  Number(track, 2) + u"  " + tracks[t],
                  {parent, u"btn_bgmselect", track, 120.0f, 120.0f + 54.0f * float(t), 1});
    }
    const std::u16string set = u"ui_extra";
    AddButton(kit, kRadio, set, u"bgm_play", 110, 40, u"再生", {parent, u"btn_bgmplay", 0, 600, 600, 2});
    AddButton(kit, kRadio, set, u"bgm_stop", 110, 40, u"停止", {parent, u"btn_bgmstop", 0, 720, 600, 2, 1});
    AddButton(kit, kButton, set, u"bgm_prev", 110, 40, u"前の曲", {parent, u"btn_bgmprev", 0, 600, 652});
    AddButton(kit, kButton, set, u"bgm_next", 110, 40, u"次の曲", {parent, u"btn_bgmnext", 0, 720, 652});
    TestImage mark = TestImage::Solid(32, 44, 0x00000000);
    for (std::uint32_t y = 6; y < 38; ++y)
        for (std::uint32_t x = 4; x < 4 + std::min(y - 6, 37 - y); ++x)
            mark.argb[std::size_t(y) * 32 + x] = 0xFFFFD060;
    AddPanel(kit, set, u"bgm_playing", mark, {parent, u"tip_playing", 0, 83, 120, 0, 0, 0, 0, 0, 20.0f});
    AddBack(kit, set, u"bgm_back", parent);
    backgrounds.push_back({"bg_bgmmode.png", u"音楽鑑賞", 0x302050, 0x100818, {}});
}

// The debug screen: the script and label lists with their sliders and the label buttons.
void AddDebug(DemoUIKit& kit)
{
    const std::u16string set = u"ui_debug", parent = u"$UI:SeqDebug";
    ModuleRow list = Module(kListBox, u"dbg_list", std::u16string(kLooseImages), u"lbox_debug", kTextFont);
    list.clientLeft = 8;
    list.clientTop = 8;
    list.clientWidth = 344;
    list.clientHeight = 464;
    kit.AddModule(list);
    Lay(kit, u"dbg_list", {parent, u"lbox_scriptselect", 0, 40, 100});
    Lay(kit, u"dbg_list", {parent, u"lbox_labelselect", 0, 440, 100});
    AddSlider(kit, kVSlider, set, u"dbg_vslider", 480, {parent, u"vsld_scriptselect", 0, 404, 100, 0, 0, 0, 0});
    Lay(kit, u"dbg_vslider", {parent, u"vsld_labelselect", 0, 804, 100, 0, 0, 0, 0});
    AddButton(kit, kButton, set, u"dbg_run", 128, 40, u"実行", {parent, u"btn_runlabel", 0, 864, 100});
    AddButton(kit, kButton, set, u"dbg_edit", 128, 40, u"編集", {parent, u"btn_editlabel", 0, 864, 152});
    AddButton(kit, kToggle, set, u"dbg_callfin", 128, 40, u"FIN呼出", {parent, u"btn_callfin", 0, 864, 204});
    AddBack(kit, set, u"dbg_back", parent);
}

// The play screen: message and name windows, the choice button's module, the click-wait mark and
// the message window's buttons (its children, so hiding the window hides them).
void AddPlayScreen(DemoUIKit& kit)
{
    const std::u16string set = u"ui_avgmain";
    ModuleRow message = Module(kMessageWindow, u"tip_msgwindow", std::u16string(kLooseImages), u"msgwin", kTextFont);
    message.clientLeft = 32;
    message.clientTop = 28;
    message.clientWidth = 896;
    message.clientHeight = 136;
    message.anime = 2;
    kit.AddModule(message);
    ModuleRow name = Module(kTextPanel, u"tip_namewindow", std::u16string(kLooseImages), u"namewin", kTextFont);
    name.clientLeft = 16;
    name.clientTop = 8;
    name.clientWidth = 168;
    name.clientHeight = 24;
    kit.AddModule(name);
    kit.AddButtonCells(set, u"btn_select", 480, 40, u"", DemoLooks::kButton);
    ModuleRow choice = Module(kTextButton, u"btn_select0", set, u"btn_select", kTextFont);
    choice.clientLeft = 24;
    choice.clientTop = 8;
    choice.clientWidth = 432;
    choice.clientHeight = 24;
    kit.AddModule(choice);
    // The click-wait mark: a white triangle pointing down that bobs two pixels a frame.
    std::vector<TestImage> frames;
    for (const std::uint32_t bob : {0u, 2u, 4u, 2u}) {
        TestImage frame = TestImage::Solid(24, 24, 0x00000000);
        for (std::uint32_t r = 0; r < 12; ++r)
            for (std::uint32_t x = 2 + r; x < 22 - r; ++x)
                frame.argb[std::size_t(4 + bob + r) * 24 + x] = 0xFFFFFFFF;
        frames.push_back(frame);
    }
    kit.AddCell(set, u"icon_wait.png", frames);
    ModuleRow wait = Module(kAnimePanel, u"icon_wait", set, u"icon_wait", 0);
    wait.anime = 8;
    kit.AddModule(wait);

    Lay(kit, u"tip_msgwindow", {u"SeqAvgMain", u"$MESWIN:SeqAvgMain", -1, 32, 552, 0, 0, 0, 0, 1, 15000.0f});
    Lay(kit, u"tip_namewindow", {u"SeqAvgMain", u"$NAMEWIN:SeqAvgMain", -1, 32, 504, 0, 0, 0, 0, 1, 15001.0f});
    const std::u16string window = u"$MESWIN:SeqAvgMain";
    Lay(kit, u"icon_wait", {window, u"icon_wait", 0, 904, 148, 0, 0, 0, 0, 0, 15002.0f});
    // A row of small buttons along the window's top right, above its frame.
    static constexpr struct {
        const char16_t* name;
        const char16_t* label;
        std::int32_t type;
        std::int32_t visible;
    } kButtons[] = {
        {u"btn_qsave", u"Q.SAVE", kButton, 1}, {u"btn_qload", u"Q.LOAD", kButton, 1}, {u"btn_save", u"SAVE", kButton, 1},
        {u"btn_load", u"LOAD", kButton, 1},    {u"btn_auto", u"AUTO", kToggle, 1},    {u"btn_skip", u"SKIP", kToggle, 1},
        {u"btn_log", u"LOG", kButton, 1},      {u"btn_voice", u"VOICE", kButton, 1},  {u"btn_config", u"CONFIG", kButton, 1},
        {u"btn_hide", u"HIDE", kButton, 1},
    };
    float left = 294.0f;
    for (const auto& button : kButtons) {
        AddButton(kit, button.type, set, button.name, 62, 24, button.label,
                  {window, button.name, 0, left, -30.0f, 0, 0, 0, 0, button.visible, 15003.0f});
        left += 66.0f;
    }
    // Shown in place of the file buttons while a replay runs.
    AddButton(kit, kButton, set, u"btn_rend", 128, 24, u"回想を終わる", {window, u"btn_rend", 0, 294, -30, 0, 0, 0, 0, 0, 15003.0f});
}

// The back-log: one text window and voice button per row, the paging buttons and back.
void AddBackLog(DemoUIKit& kit, std::vector<DemoBackground>& backgrounds)
{
    const std::u16string set = u"ui_avgmain", parent = u"$UI:SeqAvgLog";
    ModuleRow window = Module(kTextWindow, u"log_window", std::u16string(kLooseImages), u"logwin", kTextFont);
    window.clientLeft = 24;
    window.clientTop = 12;
    window.clientWidth = 672;
    window.clientHeight = 96;
    kit.AddModule(window);
    constexpr std::int32_t kRows = 5;   // the back-log's default page size
    for (std::int32_t i = 0; i < kRows; ++i) {
        const float top = 90.0f + 128.0f * float(i);
        Lay(kit, u"log_window", {parent, u"tip_logwindow", i, 40, top});
        AddButton(kit, kButton, set, u"log_voice", 48, 40, u"♪", {parent, u"btn_voiceplay", i, 776, top + 40});
    }
    AddButton(kit, kButton, set, u"log_bb", 96, 40, u"▲▲", {parent, u"btn_bb", 0, 880, 100});
    AddButton(kit, kButton, set, u"log_b", 96, 40, u"▲", {parent, u"btn_b", 0, 880, 152});
    AddButton(kit, kButton, set, u"log_f", 96, 40, u"▼", {parent, u"btn_f", 0, 880, 560});
    AddButton(kit, kButton, set, u"log_ff", 96, 40, u"▼▼", {parent, u"btn_ff", 0, 880, 612});
    AddBack(kit, set, u"log_back", parent);
    backgrounds.push_back({"bg_avglog.png", u"バックログ", 0x181828, 0x303048, {}});
}

}  // namespace

bool WriteDemoUI(const std::filesystem::path& gameFolder)
{
    DemoUIKit kit;
    std::vector<DemoBackground> backgrounds;
    AddPlayScreen(kit);
    // The resident system layer is built from module rows alone; its panels and sounds are
    // written with the system layer's content.
    for (ModuleRow row : SystemLayerModuleRows())
        kit.AddModule(row);
    AddBackLog(kit, backgrounds);
    AddTitle(kit, backgrounds);
    AddConfig(kit, backgrounds);
    AddFileScreen(kit, u"SeqSave", "bg_save.png", u"セーブ", 0x402020, 0x100808, backgrounds);
    AddFileScreen(kit, u"SeqLoad", "bg_load.png", u"ロード", 0x203040, 0x081018, backgrounds);
    AddGallery(kit, u"SeqCGMode", u"btn_cgselect", PageCount(gameFolder, "db_cgmode.txt"), "bg_cgmode.png",
               u"ギャラリー", 0x304030, 0x101810, backgrounds);
    AddGallery(kit, u"SeqRPMode", u"btn_rpselect", PageCount(gameFolder, "db_rpmode.txt"), "bg_rpmode.png",
               u"回想", 0x403020, 0x181008, backgrounds);
    AddGalleryPictures(kit, gameFolder);
    AddMusicRoom(kit, gameFolder, backgrounds);
    AddDebug(kit);

    bool written = kit.Write(gameFolder);
    written = WriteDemoBackgrounds(gameFolder, backgrounds) && written;
    written = WriteDemoPanelImage(gameFolder, "logwin", 720, 120, 0xC0101828, 0xFF8098C8) && written;
    written = WriteDemoPanelImage(gameFolder, "lbox_debug", 360, 480, 0xE0101010, 0xFF909090) && written;
    return written;
}
