// The resident system layer's widgets for the screen checks and engine runs: its ten UI module
// rows ("dlg_shutdown", "btn_yes", "btn_no", "dlg_user", "btn_ok", "btn_cancel", "icon_asload",
// "tip_help", "tip_sysnotice", "tip_usernotice"), each panel a solid image of its own colour so
// that a captured frame shows which widget is where, and the short system sounds. No GoogleTest
// and no widget code.
#pragma once

#include "tests/support/ui/ui_layout_builder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

constexpr std::int32_t kSystemDialogWidth = 400;
constexpr std::int32_t kSystemDialogHeight = 200;
constexpr std::int32_t kSystemButtonWidth = 100;
constexpr std::int32_t kSystemButtonHeight = 40;
constexpr std::int32_t kSystemIconSize = 40;
constexpr std::int32_t kSystemNoticeWidth = 240;
constexpr std::int32_t kSystemNoticeHeight = 60;

constexpr std::uint32_t kShutdownDialogColor = 0xFF2040C0;
constexpr std::uint32_t kUserDialogColor = 0xFF8040A0;
constexpr std::uint32_t kYesButtonColor = 0xFF20C040;
constexpr std::uint32_t kNoButtonColor = 0xFFC02020;
constexpr std::uint32_t kOkButtonColor = 0xFFC0C020;
constexpr std::uint32_t kCancelButtonColor = 0xFF20C0C0;
constexpr std::uint32_t kLoadingIconColor = 0xFFFF8000;
constexpr std::uint32_t kSystemNoticeColor = 0xFF405060;
constexpr std::uint32_t kUserNoticeColor = 0xFF605040;

// The rows with IDs from `firstID` on; the images are "<imageFolder><module name>.png" ("cg/ui/"
// in a game folder, or an absolute folder ending in a separator). `omit` names rows left out.
std::vector<ModuleRow> SystemLayerModuleRows(const std::u16string& imageFolder = u"cg/ui/", std::int32_t firstID = 1,
                                             const std::vector<std::u16string>& omit = {});
// The panels' images under `folder`; false when one cannot be written.
bool WriteSystemLayerImages(const std::filesystem::path& folder);
// The images under "cg/ui/" and the system sounds "sounds/sys/*.wav" of a game folder.
TestGameFolder& AddSystemLayerFiles(TestGameFolder& game);
// The preset of a game folder with the system layer: its rows, then `extraModules` with IDs
// following them, and `layouts`, written by one AddUITables call (it writes both tables whole),
// with the images and sounds of AddSystemLayerFiles.
TestGameFolder& AddSystemLayer(TestGameFolder& game, const std::vector<ModuleRow>& extraModules = {},
                               const std::vector<LayoutRow>& layouts = {},
                               const std::vector<std::u16string>& omit = {});
