#include "screens/seq_save.h"

#include "avg/global_render_target.h"
#include "core/core.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "graphics/graphics.h"
#include "graphics/png_image.h"
#include "screens/seq_system.h"
#include "ui/task_ui_base.h"

#include <cstddef>
#include <vector>

namespace {

constexpr const char16_t* kSaveQuestionTag = u"SeqSave_SAVECONFIRM";

}  // namespace

SeqSave::SeqSave(GxTaskBase* owner) : SeqFileBase(owner, u"SeqSave", false) {}

bool SeqSave::OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam*)
{
    if (HandlePageOrPlate(widget, name, u"セーブしますか？", kSaveQuestionTag))
        return true;
    SeqSystem* system = SystemLayer();
    if (system != nullptr && system->GetUserDialogTag() == kSaveQuestionTag) {
        if (name == u"btn_dlguser_yes") {
            system->CloseUserDialog(true);
            SaveGameToSlot(m_SelectedSlot);
            return true;
        }
        if (name == u"btn_dlguser_no")
            system->CloseUserDialog(true);
    }
    if (name == u"btn_back") {
        GoBack(3);
        return true;
    }
    return false;
}

bool SeqSave::SaveGameToSlot(std::int32_t slot)
{
    if (slot < 1 || slot > kFilePageCount * kFilePlateCount) {
        LogPrint(u"SeqSave::SaveGameToSlot/no such slot (%d)\n", slot);
        return false;
    }
    GxCore* core = GetCore();
    const std::u16string folder = SaveFolder();
    const std::u16string dataPath = folder + GameDataFileName(slot);
    bool ok = core != nullptr && core->m_UserData != nullptr && SaveGameData(core->m_UserData, dataPath, true);
    if (ok) {
        const GxDisplaySettings& display = GxGraphics::GetDisplaySettings();
        const std::uint32_t width = display.VirtualWidth / 8;
        const std::uint32_t height = display.VirtualHeight / 8;
        const std::vector<std::uint8_t>& buffer = GetThumbnailBuffer();
        const std::u16string thumbPath = folder + ThumbnailFileName(slot);
        const std::size_t count = static_cast<std::size_t>(width) * height;
        bool written = false;
        if (buffer.size() >= count * 4) {
            // The buffer and the writer share the engine's pixel order (blue, green, red,
            // alpha); only the alpha is forced, so the picture is opaque.
            std::vector<std::uint8_t> pixels(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count * 4));
            for (std::size_t i = 0; i < count; ++i)
                pixels[i * 4 + 3] = 0xFF;
            written = WritePngFile(thumbPath.c_str(), width, height, pixels.data()) != 0;
        }
        if (!written) {
            LogPrint(u"SeqSave::SaveGameToSlot/thumbnail not written [%s]\n", thumbPath.c_str());
            ok = false;
        }
        if (core->m_UserConfig != nullptr)
            core->m_UserConfig->m_LastGameDataFileNum = slot;
    }
    RefreshPlates();
    if (core != nullptr && core->m_UserConfig != nullptr)
        SaveUserConfig(core->m_UserConfig, core);
    if (core != nullptr && core->m_UserDataPerman != nullptr)
        SavePermanentData(core->m_UserDataPerman, folder + u"permanent.dat", true);
    return ok;
}
