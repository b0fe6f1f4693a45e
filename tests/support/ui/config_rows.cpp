#include "tests/support/ui/config_rows.h"

#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <string>

const std::uint32_t kConfigBackgroundColors[4] = {0xFF183048, 0xFF481830, 0xFF304818, 0xFF282828};

const char16_t kConfigTop[] = u"$UI:SeqConfig";
const char16_t kConfigSystem[] = u"$UI_SYSTEM:SeqConfig";
const char16_t kConfigSound[] = u"$UI_SOUND:SeqConfig";
const char16_t kConfigVoice[] = u"$UI_VOICE:SeqConfig";

namespace {

constexpr std::int32_t kTypePanel = 8;
constexpr std::int32_t kTypeButton = 18;
constexpr std::int32_t kTypeToggle = 19;
constexpr std::int32_t kTypeRadio = 20;
constexpr std::int32_t kTypeHSlider = 30;
constexpr std::int32_t kTypeVSlider = 31;

const std::uint32_t kFaceColors[] = {0xFFFF4040, 0xFF40FF40, 0xFF4040FF, 0xFFFFFF40, 0xFF40FFFF, 0xFFFF40FF,
                                     0xFFFF9000, 0xFF9000FF, 0xFF00FF90, 0xFF905000};

std::u16string Wide(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

ModuleRow Module(const char16_t* name, std::int32_t type, const char16_t* imageSet, const char16_t* image,
                 std::int32_t w, std::int32_t h)
{
    ModuleRow row;
    row.type = type;
    row.name = name;
    row.imageSet = imageSet;
    row.image = image;
    row.w = w;
    row.h = h;
    row.font = 1;
    return row;
}

ModuleRow Slider(const char16_t* name, std::int32_t type, const char16_t* image)
{
    const bool horizontal = type == kTypeHSlider;
    ModuleRow row = Module(name, type, u"ui_config", image, horizontal ? kConfigSliderWidth : kConfigThumbSize,
                           horizontal ? kConfigThumbSize : kConfigScrollHeight);
    row.clientLeft = horizontal ? kConfigSliderMargin : 0;
    row.clientTop = horizontal ? 0 : kConfigSliderMargin;
    row.clientWidth = horizontal ? kConfigSliderTrack : kConfigThumbSize;
    row.clientHeight = horizontal ? kConfigThumbSize : kConfigScrollHeight - 2 * kConfigSliderMargin;
    return row;
}

LayoutRow Control(const char16_t* folder, const char16_t* module, const std::u16string& name, std::int32_t index,
                  std::int32_t left, std::int32_t top)
{
    LayoutRow row;
    row.parentName = folder;
    row.moduleName = module;
    row.taskName = name;
    row.taskIndex = index;
    row.left = static_cast<float>(left);
    row.top = static_cast<float>(top);
    return row;
}

// A radio button of the group named by its index (the on/off pairs and the engine buttons).
LayoutRow Radio(const char16_t* folder, const std::u16string& name, std::int32_t index, std::int32_t left,
                std::int32_t top)
{
    LayoutRow row = Control(folder, u"cfg_switch", name, index, left, top);
    row.groupId = index;
    return row;
}

LayoutRow Range(const char16_t* folder, const std::u16string& name, std::int32_t left, std::int32_t top,
                std::int32_t min, std::int32_t max, std::int32_t index = 0)
{
    LayoutRow row = Control(folder, u"cfg_hslider", name, index, left, top);
    row.min = min;
    row.max = max;
    return row;
}

std::vector<LayoutRow> BuildLayout()
{
    std::vector<LayoutRow> rows;
    const char16_t* tabs[] = {u"btn_tabconf_system", u"btn_tabconf_sound", u"btn_tabconf_voice",
                              u"btn_tabconf_game"};
    for (std::int32_t i = 0; i < 4; ++i) {
        LayoutRow tab = Control(kConfigTop, u"cfg_tab", tabs[i], 0, 40 + 160 * i, 20);
        tab.groupId = 1;
        tab.value = i == 0 ? 1 : 0;
        rows.push_back(tab);
    }
    const char16_t* common[] = {u"btn_exit", u"btn_init", u"btn_title", u"btn_back"};
    for (std::int32_t i = 0; i < 4; ++i)
        rows.push_back(Control(kConfigTop, u"cfg_button", common[i], 0, 880, 520 + 60 * i));

    // System page.
    rows.push_back(Radio(kConfigSystem, u"btn_window", 1, 100, 100));
    rows.push_back(Radio(kConfigSystem, u"btn_fullscreen", 1, 160, 100));
    rows.push_back(Range(kConfigSystem, u"hsld_textspeed", 100, 160, -100, 0));
    rows.push_back(Range(kConfigSystem, u"hsld_autospeed", 100, 220, -5000, 0));
    rows.push_back(Range(kConfigSystem, u"hsld_winalpha", 100, 280, -255, 0));
    for (std::int32_t i = 2; i <= 7; ++i) {
        rows.push_back(Radio(kConfigSystem, u"btn_on", i, 500, 100 + 50 * (i - 2)));
        rows.push_back(Radio(kConfigSystem, u"btn_off", i, 560, 100 + 50 * (i - 2)));
    }

    // Sound page.
    const char16_t* volumes[] = {u"hsld_vol_master", u"hsld_vol_bgm", u"hsld_vol_se", u"hsld_vol_movie",
                                 u"hsld_vol_rest"};
    for (std::int32_t i = 0; i < 5; ++i)
        rows.push_back(Range(kConfigSound, volumes[i], 100, 100 + 60 * i, 0, 100));
    rows.push_back(Radio(kConfigSound, u"btn_nextvoice", 1, 500, 100));
    rows.push_back(Radio(kConfigSound, u"btn_nexttext", 1, 560, 100));
    for (std::int32_t i = 2; i <= 3; ++i) {
        rows.push_back(Radio(kConfigSound, u"btn_on", i, 500, 100 + 50 * (i - 1)));
        rows.push_back(Radio(kConfigSound, u"btn_off", i, 560, 100 + 50 * (i - 1)));
    }
    rows.push_back(Radio(kConfigSound, u"btn_soundauto", 4, 500, 250));
    rows.push_back(Radio(kConfigSound, u"btn_directsound", 4, 560, 250));
    rows.push_back(Radio(kConfigSound, u"btn_xaudio2", 4, 620, 250));
    rows.push_back(Control(kConfigSound, u"cfg_button", u"btn_test_se", 0, 100, 420));
    rows.push_back(Control(kConfigSound, u"cfg_button", u"btn_test_systemvoice", 0, 240, 420));

    // Voice page: the masters, the scroll controls at the right, six plates two by three.
    rows.push_back(Range(kConfigVoice, u"hsld_vol_voicemaster", 100, 90, 0, 100));
    rows.push_back(Range(kConfigVoice, u"hsld_vol_systemvoice", 480, 90, 0, 100));
    LayoutRow scroll = Control(kConfigVoice, u"cfg_vslider", u"hsld_scroll_voice", 0, 900, 200);
    rows.push_back(scroll);
    rows.push_back(Control(kConfigVoice, u"cfg_button", u"btn_scrollup_voice", 0, 850, 140));
    rows.push_back(Control(kConfigVoice, u"cfg_button", u"btn_scrolldown_voice", 0, 850, 420));
    for (std::int32_t i = 0; i < 6; ++i) {
        const std::int32_t left = 100 + 380 * (i % 2);
        const std::int32_t top = 140 + 180 * (i / 2);
        rows.push_back(Control(kConfigVoice, u"tip_voiceplate", u"tip_voiceplate", i, left, top));
        rows.push_back(Range(kConfigVoice, u"hsld_vol_voice", left, top + 110, 0, 100, i));
        rows.push_back(Control(kConfigVoice, u"cfg_button", u"btn_test_voice", i, left + 210, top));
        rows.push_back(Control(kConfigVoice, u"cfg_toggle", u"btn_systemvoice", i, left + 210, top + 50));
    }
    // The game page ("$UI_GAME:SeqConfig") is the modules' own: no rows.
    return rows;
}

const std::vector<LayoutRow>& Layout()
{
    static const std::vector<LayoutRow> rows = BuildLayout();
    return rows;
}

using Cell = TestSolidCell;

}  // namespace

std::uint32_t ConfigFaceColor(std::int32_t id)
{
    const std::int32_t count = static_cast<std::int32_t>(sizeof kFaceColors / sizeof kFaceColors[0]);
    return id >= 0 && id < count ? kFaceColors[id] : 0xFFFFFFFFu;
}

std::vector<ModuleRow> ConfigModuleRows()
{
    std::vector<ModuleRow> rows = {
        Module(u"cfg_tab", kTypeRadio, u"ui_config", u"cfg_tab", kConfigTabWidth, kConfigTabHeight),
        Module(u"cfg_button", kTypeButton, u"ui_config", u"cfg_button", kConfigButtonWidth, kConfigButtonHeight),
        Module(u"cfg_switch", kTypeRadio, u"ui_config", u"cfg_switch", kConfigSwitchWidth, kConfigSwitchHeight),
        Module(u"cfg_toggle", kTypeToggle, u"ui_config", u"cfg_switch", kConfigSwitchWidth, kConfigSwitchHeight),
        Slider(u"cfg_hslider", kTypeHSlider, u"cfg_hslider"),
        Slider(u"cfg_vslider", kTypeVSlider, u"cfg_vslider"),
        // An image panel of its own picture; the face is drawn over it.
        Module(u"tip_voiceplate", kTypePanel, u"cg/ui/", u"cfg_voiceplate", kConfigPlateWidth, kConfigPlateHeight),
    };
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

std::vector<LayoutRow> ConfigLayoutRows(std::int32_t firstID)
{
    std::vector<LayoutRow> rows = Layout();
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = firstID + static_cast<std::int32_t>(i);
    return rows;
}

const LayoutRow* FindConfigRow(const std::u16string& folder, const std::u16string& name, std::int32_t index)
{
    for (const LayoutRow& row : Layout())
        if (row.parentName == folder && row.taskName == name && row.taskIndex == index)
            return &row;
    return nullptr;
}

namespace {

// The module's width and height of a layout row.
void SizeOf(const LayoutRow& row, std::int32_t* w, std::int32_t* h)
{
    *w = *h = 0;
    for (const ModuleRow& module : ConfigModuleRows()) {
        if (module.name == row.moduleName) {
            *w = module.w;
            *h = module.h;
        }
    }
}

}  // namespace

std::int32_t ConfigLeft(const std::u16string& folder, const std::u16string& name, std::int32_t index)
{
    const LayoutRow* row = FindConfigRow(folder, name, index);
    return row != nullptr ? static_cast<std::int32_t>(row->left) : -1;
}

std::int32_t ConfigTop(const std::u16string& folder, const std::u16string& name, std::int32_t index)
{
    const LayoutRow* row = FindConfigRow(folder, name, index);
    return row != nullptr ? static_cast<std::int32_t>(row->top) : -1;
}

std::int32_t ConfigCenterX(const std::u16string& folder, const std::u16string& name, std::int32_t index)
{
    const LayoutRow* row = FindConfigRow(folder, name, index);
    if (row == nullptr)
        return -1;
    std::int32_t w = 0, h = 0;
    SizeOf(*row, &w, &h);
    return static_cast<std::int32_t>(row->left) + w / 2;
}

std::int32_t ConfigCenterY(const std::u16string& folder, const std::u16string& name, std::int32_t index)
{
    const LayoutRow* row = FindConfigRow(folder, name, index);
    if (row == nullptr)
        return -1;
    std::int32_t w = 0, h = 0;
    SizeOf(*row, &w, &h);
    return static_cast<std::int32_t>(row->top) + h / 2;
}

std::int32_t ConfigThumbCenterX(const std::u16string& folder, const std::u16string& name, double value,
                                std::int32_t index)
{
    const LayoutRow* row = FindConfigRow(folder, name, index);
    if (row == nullptr || row->max == row->min)
        return -1;
    const double along = (value - row->min) / (row->max - row->min) * kConfigSliderTrack;
    return static_cast<std::int32_t>(row->left) + kConfigSliderMargin + static_cast<std::int32_t>(along);
}

TestGameFolder& AddConfigFiles(TestGameFolder& game, std::int32_t voiceRows)
{
    const char* pages[] = {"system", "sound", "voice", "game"};
    for (std::int32_t i = 0; i < 4; ++i)
        game.Png(std::string("cg/ui/bg_config_") + pages[i] + ".png",
                 TestImage::Solid(1024, 768, kConfigBackgroundColors[i]));
    game.Png("cg/ui/cfg_voiceplate.png", TestImage::Solid(kConfigPlateWidth, kConfigPlateHeight, kConfigPlateColor));
    game.SolidCellImageSet("uigis/", "ui_config",
               {{u"cfg_tab_off.png", kConfigTabWidth, kConfigTabHeight, kConfigTabOffColor},
                {u"cfg_tab_on.png", kConfigTabWidth, kConfigTabHeight, kConfigTabOnColor},
                {u"cfg_button_off.png", kConfigButtonWidth, kConfigButtonHeight, kConfigButtonColor},
                {u"cfg_switch_off.png", kConfigSwitchWidth, kConfigSwitchHeight, kConfigSwitchOffColor},
                {u"cfg_switch_on.png", kConfigSwitchWidth, kConfigSwitchHeight, kConfigSwitchOnColor},
                {u"cfg_hslider_back.png", kConfigSliderWidth, kConfigSliderHeight, kConfigTrackColor},
                {u"cfg_hslider_off.png", kConfigThumbSize, kConfigThumbSize, kConfigThumbColor},
                {u"cfg_vslider_back.png", kConfigThumbSize, kConfigScrollHeight, kConfigTrackColor},
                {u"cfg_vslider_off.png", kConfigThumbSize, kConfigThumbSize, kConfigThumbColor}});
    std::vector<Cell> faces;
    TestTableBuilder voices;
    voices.Comment(u"ID\tPanelVisible\tPanelOrder\tFacePanelFileName\tSoundTestFileName\tSystemVoiceExist\t"
                   u"SystemVoiceEnabled\tComment");
    for (std::int32_t id = 0; id < voiceRows; ++id) {
        const std::u16string number = Wide(std::to_string(id));
        faces.push_back({u"face" + number + u".png", kConfigFaceSize, kConfigFaceSize, ConfigFaceColor(id)});
        voices.Row({number, u"1", number, u"Face" + number + u".png", u"", u"1", u"1", u"voice " + number});
    }
    game.SolidCellImageSet("uigis/", "ui_facepanel", faces);
    return game.Table(u"db_voicevolume.txt", voices);
}

void AddConfigClick(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& folder,
                    const std::u16string& name, std::int32_t index)
{
    const std::string at = " " + std::to_string(ConfigCenterX(folder, name, index)) + " " +
                           std::to_string(ConfigCenterY(folder, name, index));
    runner.AddInput(pass, "move" + at);
    runner.AddInput(pass + 1, "ldown" + at);
    runner.AddInput(pass + 2, "lup" + at);
}

void AddConfigSliderDrag(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& folder,
                         const std::u16string& name, double from, double to)
{
    const std::int32_t y = ConfigCenterY(folder, name);
    const std::int32_t start = ConfigThumbCenterX(folder, name, from);
    const std::int32_t end = ConfigThumbCenterX(folder, name, to);
    auto at = [y](std::int32_t x) { return " " + std::to_string(x) + " " + std::to_string(y); };
    runner.AddInput(pass, "move" + at(start));
    runner.AddInput(pass + 1, "ldown" + at(start));
    runner.AddInput(pass + 2, "move" + at((start + end) / 2));
    runner.AddInput(pass + 3, "move" + at(end));
    runner.AddInput(pass + 4, "lup" + at(end));
}
