#include "tests/support/ui/system_layer_rows.h"

#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/sound_fixtures.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

struct SystemWidget {
    const char16_t* name;
    std::int32_t type;   // 8 image panel, 45 help tip, 13 notice panel
    std::uint32_t color;
    std::int32_t width;
    std::int32_t height;
};

const SystemWidget kWidgets[] = {
    {u"dlg_shutdown", 8, kShutdownDialogColor, kSystemDialogWidth, kSystemDialogHeight},
    {u"btn_yes", 8, kYesButtonColor, kSystemButtonWidth, kSystemButtonHeight},
    {u"btn_no", 8, kNoButtonColor, kSystemButtonWidth, kSystemButtonHeight},
    {u"dlg_user", 8, kUserDialogColor, kSystemDialogWidth, kSystemDialogHeight},
    {u"btn_ok", 8, kOkButtonColor, kSystemButtonWidth, kSystemButtonHeight},
    {u"btn_cancel", 8, kCancelButtonColor, kSystemButtonWidth, kSystemButtonHeight},
    {u"icon_asload", 8, kLoadingIconColor, kSystemIconSize, kSystemIconSize},
    {u"tip_help", 45, 0, 0, 0},
    {u"tip_sysnotice", 13, kSystemNoticeColor, kSystemNoticeWidth, kSystemNoticeHeight},
    {u"tip_usernotice", 13, kUserNoticeColor, kSystemNoticeWidth, kSystemNoticeHeight},
};

const char* const kSystemSoundFiles[] = {
    "push.wav", "cancel.wav", "open.wav", "close.wav", "drag.wav",
    "drop.wav", "decide.wav", "notice0.wav", "notice1.wav", "direct.wav",
};

std::string Narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace

std::vector<ModuleRow> SystemLayerModuleRows(const std::u16string& imageFolder, std::int32_t firstID,
                                             const std::vector<std::u16string>& omit)
{
    std::vector<ModuleRow> rows;
    std::int32_t id = firstID;
    for (const SystemWidget& widget : kWidgets) {
        if (std::find(omit.begin(), omit.end(), widget.name) != omit.end())
            continue;
        ModuleRow row;
        row.id = id++;
        row.type = widget.type;
        row.name = widget.name;
        if (widget.color != 0) {
            row.imageSet = imageFolder;
            row.image = widget.name;
        }
        row.w = widget.width;
        row.h = widget.height;
        row.font = 1;
        rows.push_back(row);
    }
    return rows;
}

bool WriteSystemLayerImages(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = true;
    for (const SystemWidget& widget : kWidgets) {
        if (widget.color == 0)
            continue;
        const TestImage image = TestImage::Solid(widget.width, widget.height, widget.color);
        ok = WriteImageFile((folder / (Narrow(widget.name) + ".png")).string(), BuildPng(PngSpecRgba8(image))) && ok;
    }
    return ok;
}

TestGameFolder& AddSystemLayerFiles(TestGameFolder& game)
{
    for (const SystemWidget& widget : kWidgets) {
        if (widget.color != 0) {
            game.Png("cg/ui/" + Narrow(widget.name) + ".png",
                     TestImage::Solid(widget.width, widget.height, widget.color));
        }
    }
    // A twentieth of a second of silence each.
    const SoundBytes wav = BuildTestPcmWav(1, 22050, 16, TestPcm16Bytes(TestSilence(1102, 1)));
    const std::string_view bytes(reinterpret_cast<const char*>(wav.data()), wav.size());
    for (const char* file : kSystemSoundFiles)
        game.File(std::string("sounds/sys/") + file, bytes);
    return game;
}

TestGameFolder& AddSystemLayer(TestGameFolder& game, const std::vector<ModuleRow>& extraModules,
                               const std::vector<LayoutRow>& layouts, const std::vector<std::u16string>& omit)
{
    std::vector<ModuleRow> modules = SystemLayerModuleRows(u"cg/ui/", 1, omit);
    for (ModuleRow row : extraModules) {
        row.id = static_cast<std::int32_t>(modules.size()) + 1;
        modules.push_back(row);
    }
    AddUITables(game, modules, layouts);
    return AddSystemLayerFiles(game);
}
