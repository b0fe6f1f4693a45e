#include "screens/seq_debug.h"

#include "avg/module_services.h"
#include "core/core.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/file.h"
#include "motion/image_set_pool.h"
#include "script/label_definition.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/text_editor.h"
#include "script/worker.h"
#include "ui/ui_list_box.h"
#include "ui/ui_slider.h"

#include <cstdio>
#include <vector>

namespace {

constexpr char16_t kScriptList[] = u"lbox_scriptselect";
constexpr char16_t kLabelList[] = u"lbox_labelselect";
constexpr std::int32_t kNewGameFromLabelWord = 2;

std::u16string LineText(std::int32_t line)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%08d:", line + 1);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

}  // namespace

SeqDebug::SeqDebug(GxTaskBase* owner) : GxScreenBase(owner, u"SeqDebug")
{
    static constexpr const char16_t* kListSliders[][2] = {
        {kScriptList, u"vsld_scriptselect"},
        {kLabelList, u"vsld_labelselect"},
    };
    for (const auto& pair : kListSliders) {
        GxTaskUIListBoxFx* list = FindList(pair[0]);
        auto* slider = dynamic_cast<GxTaskUIVSliderIs*>(FindWidget(pair[1]));
        if (list != nullptr && slider != nullptr) {
            list->SetScrollBar(slider);
            slider->SetLinkedWidget(list);
        }
    }
    FillScriptList();
    UpdateLabelButtons();
}

GxTaskUIListBoxFx* SeqDebug::FindList(const char16_t* name) const
{
    return dynamic_cast<GxTaskUIListBoxFx*>(FindWidget(name));
}

void SeqDebug::FillScriptList()
{
    GxTaskUIListBoxFx* list = FindList(kScriptList);
    const GxMoaEx* program = GetScriptInstance();
    if (list == nullptr)
        return;
    list->Clear();
    if (program != nullptr) {
        for (const auto& entry : program->GetScripts())
            list->AddItem(entry.first.c_str(), u"", 0, entry.first.c_str(), -1, u"");
    }
    list->SyncScrollBar();
}

void SeqDebug::FillLabelList(const std::u16string& script)
{
    GxTaskUIListBoxFx* list = FindList(kLabelList);
    if (list == nullptr)
        return;
    list->Clear();
    std::vector<const GxMoaLabelDefinition*> labels;
    if (const GxMoaEx* program = GetScriptInstance()) {
        for (const auto& entry : program->GetLabels()) {
            const GxMoaLabelDefinition* label = entry.second.get();
            if (label == nullptr || label->m_Position.m_ScriptName != script)
                continue;
            // Before the first with a greater line: labels on one line keep the table's order.
            auto place = labels.begin();
            while (place != labels.end() && (*place)->m_Position.m_Line <= label->m_Position.m_Line)
                ++place;
            labels.insert(place, label);
        }
    }
    for (const GxMoaLabelDefinition* label : labels)
        list->AddItem(LineText(label->m_Position.m_Line).c_str(), u"", 0, label->m_Name.c_str(), -1,
                      (u"#" + label->m_Name).c_str());
    list->SyncScrollBar();
}

void SeqDebug::UpdateLabelButtons()
{
    GxTaskUIListBoxFx* list = FindList(kLabelList);
    const bool chosen = list != nullptr && list->GetSelectedIndex() >= 0;
    for (const char16_t* name : {u"btn_runlabel", u"btn_editlabel"}) {
        if (GxTaskUIBase* button = FindWidget(name))
            button->SetEnabled(chosen);
    }
}

void SeqDebug::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    m_ImageSetPath = GetImageSetFolder() + u"ui_debug.gis";
    if (GetImageSetPool().AddImageSet(m_ImageSetPath) == nullptr)
        m_ImageSetPath.clear();   // nothing taken, nothing to give back
}

void SeqDebug::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (!m_ImageSetPath.empty()) {
        GetImageSetPool().ReleaseImageSet(m_ImageSetPath);
        m_ImageSetPath.clear();
    }
}

int SeqDebug::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    return ReportRawClick(FindWidget(u"btn_back"), 1);
}

int SeqDebug::OnUIEventCode15(GxTaskUIBase* widget, const GxUIEventParam*)
{
    auto* list = dynamic_cast<GxTaskUIListBoxFx*>(widget);
    if (list != nullptr && list == FindList(kScriptList))
        FillLabelList(list->GetSelectedKey());
    UpdateLabelButtons();
    return 1;
}

bool SeqDebug::OnWidgetEvent(GxTaskUIBase*, const std::u16string& name, const GxUIEventParam*)
{
    UpdateLabelButtons();
    if (name == u"btn_runlabel") {
        RunLabel();
        return true;
    }
    if (name == u"btn_editlabel") {
        EditLabel();
        return true;
    }
    if (name == u"btn_back") {
        const GxSeqWorker* slot = m_Manage != nullptr ? m_Manage->GetWorker(GetWorkerIndex()) : nullptr;
        if (slot != nullptr)
            m_Manage->ChangeSequenceByName(slot->m_PreviousName, GetWorkerIndex(), 0);
        ClearUIEvents();
        return true;
    }
    return false;
}

void SeqDebug::RunLabel()
{
    GxTaskUIListBoxFx* list = FindList(kLabelList);
    if (list == nullptr || list->GetSelectedIndex() < 0)
        return;
    const std::u16string label = list->GetSelectedKey();
    GxTaskUIBase* callFin = FindWidget(u"btn_callfin");
    if (callFin != nullptr && callFin->GetValueBool())
        AvgGlobalFadeIn(0);
    GxMoaWorker* worker = GetMainWorker();
    if (worker == nullptr || !worker->ResetAndJump(label, nullptr))
        return;
    ChangeScreen(u"SeqAvgMain", 0, kNewGameFromLabelWord);
}

void SeqDebug::EditLabel()
{
    GxTaskUIListBoxFx* list = FindList(kLabelList);
    const GxMoaEx* program = GetScriptInstance();
    GxCore* core = GetCore();
    if (list == nullptr || list->GetSelectedIndex() < 0 || program == nullptr || core == nullptr)
        return;
    const GxMoaLabelDefinition* label = program->FindLabel(list->GetSelectedKey());
    if (label == nullptr)
        return;
    const std::u16string folder = GetConfigFolder(GxSystemConfig::kFolderScripts);
    const std::u16string path = GetFullPath(folder + label->m_Position.m_ScriptName);
    const std::int32_t line = label->m_Position.m_Line + 1;
    const std::u16string command = core->GetConfig().m_TextEditorCommand;
    if (command.empty())
        OpenInTextEditor(path, line);
    else
        LaunchEditorProcess(BuildEditorCommandLine(command, path, line));
}
