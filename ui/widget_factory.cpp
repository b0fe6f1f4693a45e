#include "ui/widget_factory.h"

#include "core/seq_base.h"
#include "data/data_tables.h"
#include "foundation/log.h"
#include "ui/message_window.h"
#include "ui/task_ui_null.h"
#include "ui/text_window.h"
#include "ui/ui_anim_panel.h"
#include "ui/ui_button.h"
#include "ui/ui_drop_menu.h"
#include "ui/ui_drop_menu_item.h"
#include "ui/ui_hbar.h"
#include "ui/ui_list_box.h"
#include "ui/ui_menu.h"
#include "ui/ui_panel.h"
#include "ui/ui_press_button.h"
#include "ui/ui_slider.h"
#include "ui/ui_spin_button.h"
#include "ui/ui_text_button.h"
#include "ui/ui_text_log.h"
#include "ui/ui_timer_button.h"
#include "ui/ui_toggle_button.h"
#include "ui/ui_auto_hide_panel.h"
#include "ui/ui_notice_panel.h"
#include "ui/ui_text_panel_fx.h"
#include "ui/ui_text_panel_is.h"
#include "ui/ui_tip_help.h"

#include <array>

namespace {

template <class Widget>
GxTaskUIBase* Construct(GxTaskBase* owner, const char16_t* name, const char16_t* localName, std::int32_t localIndex)
{
    return new Widget(owner, name, localName, localIndex);
}

// One row per widget class, by type code; a code whose class is not there builds nothing.
std::array<GxWidgetConstructor, kUITypeLast + 1> g_Constructors = [] {
    std::array<GxWidgetConstructor, kUITypeLast + 1> table{};
    table[kUITypeNull] = &Construct<GxTaskUINull>;
    table[kUITypePanelFx] = &Construct<GxTaskUIPanelFx>;
    table[kUITypePanelIs] = &Construct<GxTaskUIPanelIs>;
    table[kUITypeAnimePanel] = &Construct<GxTaskUIAnimePanelIs>;
    table[kUITypeMenu] = &Construct<GxTaskUIMenuIs>;
    table[kUITypeDropMenuItem] = &Construct<GxTaskUIDropMenuItemIs>;
    table[kUITypeDropMenu] = &Construct<GxTaskUIDropMenuIs>;
    table[kUITypeListBox] = &Construct<GxTaskUIListBoxFx>;
    table[kUITypeTextLog] = &Construct<GxTaskUITextLogFx>;
    table[kUITypeButton] = &Construct<GxTaskUIButtonIs>;
    table[kUITypeToggleButton] = &Construct<GxTaskUIToggleButtonIs>;
    table[kUITypeRadioButton] = &Construct<GxTaskUIRadioButtonIs>;
    table[kUITypeTextButton] = &Construct<GxTaskUITextButtonIs>;
    table[kUITypePressButton] = &Construct<GxTaskUIPressButtonIs>;
    table[kUITypeTimerButton] = &Construct<GxTaskUITimerButtonIs>;
    table[kUITypeSpinButton] = &Construct<GxTaskUISpinButtonIs>;
    table[kUITypeHSlider] = &Construct<GxTaskUIHSliderIs>;
    table[kUITypeVSlider] = &Construct<GxTaskUIVSliderIs>;
    table[kUITypeHBar] = &Construct<GxTaskUIHBarIs>;
    table[kUITypeMessageWindow] = &Construct<GxTaskUIMessageWindowFx>;
    table[kUITypeTextWindow] = &Construct<GxTaskUITextWindowFx>;
    table[kUITypeTextPanelFx] = &Construct<GxTaskUITextPanelFx>;
    table[kUITypeAutoHidePanelFx] = &Construct<GxTaskUIAutoHidePanelFx>;
    table[kUITypeNoticePanelFx] = &Construct<GxTaskUINoticePanelFx>;
    table[kUITypeTextPanelIs] = &Construct<GxTaskUITextPanelIs>;
    table[kUITypeTipHelpIs] = &Construct<GxTaskUITipHelpIs>;
    return table;
}();

}  // namespace

GxWidgetConstructor SetWidgetConstructor(std::int32_t type, GxWidgetConstructor construct)
{
    if (type < 0 || type > kUITypeLast)
        return nullptr;
    GxWidgetConstructor previous = g_Constructors[static_cast<std::size_t>(type)];
    g_Constructors[static_cast<std::size_t>(type)] = construct;
    return previous;
}

GxTaskUIBase* NewWidgetOfType(std::int32_t type, GxTaskBase* owner, const char16_t* name, std::int32_t index)
{
    if (type < 0 || type > kUITypeLast || !g_Constructors[static_cast<std::size_t>(type)])
        return nullptr;
    // A widget outside any tree would never be deleted.
    if (!owner) {
        LogPrint(u"NewWidgetOfType/no owner for the widget (%s)\n", name ? name : u"");
        return nullptr;
    }
    const GxWidgetConstructor construct = g_Constructors[static_cast<std::size_t>(type)];
    if (index == -1)
        return construct(owner, name, nullptr, 0);
    return construct(owner, nullptr, name, index);
}

GxTaskUIBase* CreateWidgetFromLayout(GxSeqBase* sequence, GxTaskBase* owner, const DBUILayoutRow* row,
                                     const char16_t* name, std::int32_t index)
{
    if (!row)
        return nullptr;
    DBUIModule& modules = GetDBUIModule();
    const std::int32_t id = modules.FindIDByNameStr(row->m_ModuleName.c_str(), 0);
    const DBUIModuleRow* module = id != 0 ? modules.GetRow(id) : nullptr;
    if (!module) {
        const GxSeqBase* owning = owner ? owner->GetSequence() : sequence;
        LogPrint(u"UIモジュールデータ[%s]が見つかりません:%s\n", row->m_ModuleName.c_str(),
                 owning ? owning->GetTaskName().c_str() : u"");
        return nullptr;
    }
    GxTaskUIBase* widget = NewWidgetOfType(module->m_UIType, owner, name, index);
    if (!widget)
        return nullptr;
    widget->ApplyLayoutRecord(row);
    widget->ApplyModuleRecord(module);
    return widget;
}

GxTaskUIBase* CreateWidgetFromModuleRow(GxTaskBase* owner, const DBUIModuleRow* row, const char16_t* name,
                                        std::int32_t index)
{
    if (!row)
        return nullptr;
    GxTaskUIBase* widget = NewWidgetOfType(row->m_UIType, owner, name, index);
    if (widget)
        widget->ApplyModuleRecord(row);
    return widget;
}
