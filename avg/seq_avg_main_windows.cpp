// SeqAvgMain: the message window, the speaker (name window and name image), the choice column
// and the reset of the windows to their layout state.
#include "avg/seq_avg_main.h"

#include "avg/resource_lookup.h"
#include "avg/task_proxy_main.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_lookup.h"
#include "data/data_tables.h"
#include "data/db_uilayout.h"
#include "data/db_uimodule.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/log.h"
#include "graphics/graphics.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "ui/message_window.h"
#include "ui/play_screen_widgets.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

namespace {

constexpr std::int32_t kChoiceRowGap = 10;
constexpr float kChoiceSlide = 32.0f;
constexpr std::int32_t kChoiceDelayStep = 50;
constexpr std::int32_t kChoiceFadeMs = 200;
constexpr std::int32_t kChosenHoldMs = 400;

}  // namespace

// ---- message and speaker -----------------------------------------------------------------------

void SeqAvgMain::SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t word)
{
    if (GxUserData* data = GetUserData())
        data->m_HideWindowByCommandFlag = false;
    // Without a message window the text has nowhere to go; nothing then waits for it either.
    if (m_MessageWindow != nullptr)
        m_MessageWindow->SetText(text.c_str(), true, read, ignoreKinsoku, word != 0);
}

void SeqAvgMain::ClearMessage()
{
    if (m_MessageWindow != nullptr)
        m_MessageWindow->ClearText();
    HideSpeaker();
}

void SeqAvgMain::ClearSpeakerName()
{
    HideSpeaker();
}

void SeqAvgMain::HideSpeaker()
{
    if (m_NameWindow != nullptr) {
        m_NameWindow->SetText(u"");
        m_NameWindow->Hide();
    }
    if (m_NameImage != nullptr) {
        m_NameImage->ResetLayer();
        m_NameImage->Hide();
    }
}

void SeqAvgMain::SetSpeakerName(const std::u16string& name, std::int32_t mode)
{
    if (name.empty() || mode == 0) {
        HideSpeaker();
        return;
    }
    if (mode != 1 && mode != 2 && mode != 3)
        return;
    if (mode == 2 || mode == 3) {
        GxCore* core = GetCore();
        std::u16string image = (core != nullptr ? core->GetConfig().m_NameImageFolder : GxCoreConfig().m_NameImageFolder) +
                               name;
        if (ResolveImageFile(image)) {
            if (m_NameWindow != nullptr) {
                m_NameWindow->SetText(u"");
                m_NameWindow->Show();
            }
            if (m_NameImage != nullptr) {
                m_NameImage->LoadFlexImage(image, 0);
                m_NameImage->Show();
            }
            return;
        }
        if (mode == 2) {
            HideSpeaker();
            return;
        }
    }
    if (m_NameWindow != nullptr) {
        m_NameWindow->SetText(name.c_str());
        m_NameWindow->Show();
    }
    if (m_NameImage != nullptr) {
        m_NameImage->ResetLayer();
        m_NameImage->Hide();
    }
}

// ---- choices -----------------------------------------------------------------------------------

void SeqAvgMain::ShowSelectMenu()
{
    GxUserData* data = GetUserData();
    if (data == nullptr)
        return;
    std::vector<GxSelectMenuItem>& items = data->m_SelectMenuItemList;
    std::int32_t visibleCount = 0;
    for (std::size_t i = 1; i < items.size(); ++i)
        visibleCount += items[i].m_Visible ? 1 : 0;
    if (visibleCount == 0) {
        data->m_LastSelectNum = 0;
        return;
    }

    const GxDisplaySettings& display = GxGraphics::GetDisplaySettings();
    const GxTaskUIBase* first = GetChoiceButton(1);
    const std::int32_t step = (first != nullptr ? first->GetHeight() : 0) + kChoiceRowGap;
    // Without a message window the column is centred on the whole screen.
    const float windowTop = m_MessageWindow != nullptr ? m_MessageWindow->GetPos().y
                                                       : static_cast<float>(display.VirtualHeight);
    float top = static_cast<float>(static_cast<std::int32_t>((windowTop - static_cast<float>(visibleCount * step)) * 0.5f));

    GxCore* core = GetCore();
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    const bool markTaken = core != nullptr && core->m_UserConfig != nullptr && core->m_UserConfig->m_ChangeColorSelectedMenu;
    std::int32_t delay = 0;
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(items.size()); ++i) {
        GxTaskUIBase* button = GetChoiceButton(i);
        const GxSelectMenuItem& item = items[static_cast<std::size_t>(i)];
        if (!item.m_Visible) {
            if (button != nullptr)
                button->Hide();
            continue;
        }
        if (button != nullptr) {
            button->SetText(item.m_Text.c_str());
            button->SetEnabled(item.m_Enable);
            button->Show();
            const float x = static_cast<float>((static_cast<std::int32_t>(display.VirtualWidth) - button->GetWidth()) / 2) -
                            kChoiceSlide;
            const GxVector3 at = button->GetPos();
            button->SetPos(GxVector3(x, top, at.z));
            button->SetAlpha(0);
            button->AddWaitAction(0, delay);
            button->AddWaitAction(1, delay);
            button->AddFadeInAction(0, kChoiceFadeMs);
            const float slide[4] = {kChoiceSlide, 0.0f, 0.0f, 0.0f};
            button->AddRelativeMoveAction(slide);
            const bool taken = markTaken && core->m_UserDataPerman != nullptr &&
                               core->m_UserDataPerman->IsMenuSelected(data->m_SelectHash, i);
            if (config != nullptr)
                GetUIPlayScreenWidgets().SetTextColor(button, taken ? config->m_SelectTextColor1
                                                                    : config->m_SelectTextColor0);
        }
        delay += kChoiceDelayStep;
        top += static_cast<float>(step);
    }
    data->m_LastSelectNum = 0;
    data->m_IsSelecting = true;
}

void SeqAvgMain::JumpToSelectedLabel(std::int32_t number)
{
    GxCore* core = GetCore();
    GxUserData* data = GetUserData();
    if (core == nullptr || data == nullptr)
        return;
    std::vector<GxSelectMenuItem>& items = data->m_SelectMenuItemList;
    if (number < 1 || number >= static_cast<std::int32_t>(items.size())) {
        LogPrint(u"SeqAvgMain::JumpToSelectedLabel/no choice %d\n", number);
        return;
    }
    if (GxUIManage* ui = GetUI()) {
        const GxUserConfig* options = core->m_UserConfig;
        if (options == nullptr || !options->m_KeepAutoModeAfterSelect)
            ui->EndAutoMode(m_MessageWindow);
        if (options == nullptr || !options->m_KeepSkipModeAfterSelect)
            ui->EndSkipMode(m_MessageWindow);
    }
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(items.size()); ++i) {
        GxTaskUIBase* button = GetChoiceButton(i);
        if (button == nullptr || !button->IsVisible())
            continue;
        if (i == number) {
            button->AddWaitAction(0, kChosenHoldMs);
            button->AddFadeOutAction(0, kChoiceFadeMs);
            button->AddHideAction();
        } else {
            button->AddFadeOutAction(0, kChoiceFadeMs);
            button->AddHideAction();
            const float slide[4] = {kChoiceSlide, 0.0f, 0.0f, 0.0f};
            button->AddRelativeMoveAction(slide);
        }
    }
    data->m_LastSelectNum = number;
    data->m_IsSelecting = false;
    if (core->m_UserDataPerman != nullptr)
        core->m_UserDataPerman->SetMenuSelected(data->m_SelectHash, number);

    const GxSelectMenuItem& item = items[static_cast<std::size_t>(number)];
    if (!item.m_Label.empty()) {
        GxMoaWorker* worker = GetMainWorker();
        const bool moved = worker != nullptr &&
                           (item.m_UseGosub ? worker->Call(item.m_Label, nullptr) : worker->Jump(item.m_Label, nullptr));
        if (!moved) {
            LogPrint(u"選択肢[%d]番のラベル [%s] が見つかりません\n", number, item.m_Label.c_str());
            if (GxMoaEx* instance = GetScriptInstance())
                instance->SetErrorStop(true);
        }
    }
    data->ClearSelectMenu();
}

// ---- reset -------------------------------------------------------------------------------------

void SeqAvgMain::ReapplyWindow(GxTaskUIBase* window, const char16_t* moduleName, const char16_t* layoutName)
{
    if (window == nullptr)
        return;
    DBUIModule& modules = GetDBUIModule();
    const std::int32_t id = modules.FindIDByNameStr(moduleName, 0);
    const DBUIModuleRow* module = id != 0 ? modules.GetRow(id) : nullptr;
    if (module != nullptr)
        window->ApplyModuleRecord(module);
    else
        LogPrint(u"UIモジュールデータ[%s]が見つかりません:%s\n", moduleName, kName);
    if (const DBUILayoutRow* layout = FindUILayout(layoutName))
        window->ApplyLayoutRecord(layout);
    GetUIPlayScreenWidgets().SetImageAlpha(window, GetTextWindowOpacity());
}

void SeqAvgMain::ResetPlayScreen()
{
    ClearAllLayers(true, true);
    if (m_MessageWindow != nullptr) {
        m_MessageWindow->ClearText();
        m_MessageWindow->ClearActions();
    }
    ReapplyWindow(m_MessageWindow, u"tip_msgwindow", u"$MESWIN:SeqAvgMain");
    if (m_NameWindow != nullptr)
        m_NameWindow->ClearActions();
    ReapplyWindow(m_NameWindow, u"tip_namewindow", u"$NAMEWIN:SeqAvgMain");
    if (m_NameImage != nullptr) {
        m_NameImage->ClearActions();
        m_NameImage->SetOrderZ((m_NameWindow != nullptr ? m_NameWindow->GetOrderZ() : 0.0f) + 1.0f);
    }
    HideSpeaker();
    for (std::int32_t i = 1; i <= GetChoiceButtonCount(); ++i) {
        if (GxTaskUIBase* button = GetChoiceButton(i)) {
            button->ClearActions();
            button->SetOrderZ(kChoiceOrderZ);
            button->Hide();
        }
    }
    if (m_Proxy != nullptr)
        m_Proxy->ClearTarget();
}
