// [Screens] the debug screen: the script list from the program, the label list by line with its
// row texts and names, the run and edit buttons enabled only with a label chosen, a run that
// cannot start staying on the screen, and the way back.
#include "screens/seq_debug.h"

#include "core/core.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/wide_string.h"
#include "script/label_definition.h"
#include "script/moa_ex.h"
#include "script/script.h"
#include "script/script_engine.h"
#include "tests/screens/screen_test_support.h"
#include "ui/ui_list_box.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <string>
#include <vector>

namespace screens_test {
namespace debug_screen {

LayoutRow Row(const char16_t* module, const char16_t* name)
{
    LayoutRow row;
    row.parentName = u"$UI:SeqDebug";
    row.moduleName = module;
    row.taskName = name;
    row.create = 1;
    return row;
}

std::vector<LayoutRow> DebugLayout()
{
    std::vector<LayoutRow> rows = {Row(u"list", u"lbox_scriptselect"), Row(u"list", u"lbox_labelselect"),
                                   Row(u"plate", u"btn_runlabel"),     Row(u"plate", u"btn_editlabel"),
                                   Row(u"plate", u"btn_back"),         Row(u"plate", u"btn_callfin")};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

std::vector<ModuleRow> DebugModules()
{
    ModuleRow list;
    list.type = 50;
    list.name = u"list";
    list.w = 200;
    list.h = 200;
    ModuleRow plate;
    plate.type = 8;
    plate.name = u"plate";
    plate.w = 100;
    plate.h = 40;
    return {list, plate};
}

class SeqPrevious : public GxSeqBase {
public:
    SeqPrevious(GxTaskBase* owner, const char16_t* name) : GxSeqBase(owner, name) {}
};

class DebugScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_H.MakeSystem();
        CreateScriptEngine(nullptr);
        GxMoaEx* program = GetScriptInstance();
        for (const char16_t* name : {u"b_script", u"a_script"}) {
            auto script = std::make_unique<GxMoaScript>();
            script->m_ScriptName = name;
            program->AddScript(std::move(script));
        }
        // Lines are counted from 0; the rows show them from 1.
        AddLabel(u"*late", u"a_script", 120);
        AddLabel(u"*early", u"a_script", 5);
        AddLabel(u"*zmid", u"a_script", 40);
        AddLabel(u"*amid", u"a_script", 40);
        AddLabel(u"*other", u"b_script", 1);
        m_Title = new SeqPrevious(m_H.m_UI.Root(), u"SeqTitle");
        m_Screen = new SeqDebug(m_H.m_UI.Root());
        Enter(m_Title);
        Enter(m_Screen);
    }
    void TearDown() override { DestroyScriptEngine(); }
    void AddLabel(const char16_t* name, const char16_t* script, std::int32_t line)
    {
        GxMoaLabelDefinition label;
        label.m_Name = name;
        label.m_Position.m_ScriptName = script;
        label.m_Position.m_Line = line;
        ASSERT_TRUE(GetScriptInstance()->AddLabel(label));
    }
    void Enter(GxSeqBase* sequence)
    {
        ASSERT_TRUE(Manage().ChangeSequence(sequence, 0, 0, 0));
        Manage().ApplySequenceChanges();
        Manage().SetWorkerReady(0);
    }
    GxTaskManage& Manage() { return m_H.m_UI.Manage(); }
    GxTaskUIListBoxFx* List(const char16_t* name)
    {
        return dynamic_cast<GxTaskUIListBoxFx*>(m_Screen->FindWidget(name));
    }
    // Clicks row `index` of the list and lets the screen handle the list's choice.
    void Choose(const char16_t* name, std::int32_t index)
    {
        GxTaskUIListBoxFx* list = List(name);
        list->SetVisibleRows(20);
        const GxVector3 at = list->GetAbsolutePosition();
        for (float y = at.y; y < at.y + 200.0f && list->GetSelectedIndex() != index; y += 1.0f) {
            const GxVector2 point{at.x + 5.0f, y};
            list->OnMouseLeftDown(&point, 0, 0);
        }
        ASSERT_EQ(list->GetSelectedIndex(), index);
        m_Screen->ClearUIEvents();
        list->ReportEvent(15);
        m_Screen->Update(0, 0);
    }
    std::vector<std::string> Rows(const char16_t* name, bool keys)
    {
        std::vector<std::string> rows;
        GxTaskUIListBoxFx* list = List(name);
        for (std::int32_t i = 0; i < list->GetItemCount(); ++i)
            rows.push_back(WideToUtf8(keys ? list->GetItem(i)->m_KeyText : list->GetItem(i)->m_Text));
        return rows;
    }
    bool Enabled(const char16_t* name) { return m_Screen->FindWidget(name)->IsEnabled(); }

    ScreenHarness m_H{{}, DebugModules(), DebugLayout()};
    SeqPrevious* m_Title = nullptr;
    SeqDebug* m_Screen = nullptr;
};

TEST_F(DebugScreen, ScriptsAreListedAndAScriptsLabelsFollowTheirLines)
{
    EXPECT_EQ(Rows(u"lbox_scriptselect", false), (std::vector<std::string>{"a_script", "b_script"}));
    EXPECT_EQ(List(u"lbox_labelselect")->GetItemCount(), 0);
    EXPECT_FALSE(Enabled(u"btn_runlabel"));
    EXPECT_FALSE(Enabled(u"btn_editlabel"));

    Choose(u"lbox_scriptselect", 0);
    EXPECT_EQ(Rows(u"lbox_labelselect", false),
              (std::vector<std::string>{"00000006:", "00000041:", "00000041:", "00000121:"}));
    // On one line the program's order (its table is by name) holds.
    EXPECT_EQ(Rows(u"lbox_labelselect", true), (std::vector<std::string>{"*early", "*amid", "*zmid", "*late"}));
    EXPECT_FALSE(Enabled(u"btn_runlabel"));

    Choose(u"lbox_labelselect", 1);
    EXPECT_TRUE(Enabled(u"btn_runlabel"));
    EXPECT_TRUE(Enabled(u"btn_editlabel"));

    Choose(u"lbox_scriptselect", 1);
    EXPECT_EQ(Rows(u"lbox_labelselect", true), std::vector<std::string>{"*other"});
    EXPECT_FALSE(Enabled(u"btn_runlabel"));
    EXPECT_FALSE(Enabled(u"btn_editlabel"));
}

TEST_F(DebugScreen, ARunThatCannotStartStaysAndBackReturnsWhereItCameFrom)
{
    Choose(u"lbox_scriptselect", 0);
    Choose(u"lbox_labelselect", 0);
    // The labels lead to no program lines, so the worker cannot start there.
    m_Screen->FindWidget(u"btn_runlabel")->ReportEvent(1);
    m_Screen->Update(0, 0);
    Manage().ApplySequenceChanges();
    EXPECT_EQ(Manage().GetWorker(0)->m_Current, m_Screen);

    const GxVector2 point{5.0f, 5.0f};
    EXPECT_EQ(m_Screen->OnMouseRightDown(&point, 0, 0), 1);
    m_Screen->Update(0, 0);
    Manage().ApplySequenceChanges();
    EXPECT_EQ(Manage().GetWorker(0)->m_Current, m_Title);
    EXPECT_EQ(Manage().GetWorker(0)->m_CurrentParam[1], 0);
}

TEST_F(DebugScreen, EditOpensTheLabelsScriptAtItsLineInTheConfiguredEditor)
{
    // A stand-in editor that writes its arguments, one a line, to "args.txt".
    const std::filesystem::path folder = m_H.m_UI.Folder();
    const std::filesystem::path editor = folder / "editor";
    std::ofstream(editor) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << folder.string()
                          << "/args.tmp'\nmv '" << folder.string() << "/args.tmp' '" << folder.string() << "/args.txt'\n";
    chmod(editor.c_str(), 0755);
    m_H.m_UI.Config().m_System.m_Folders[GxSystemConfig::kFolderScripts] = folder.u16string() + u"/scripts/";
    m_H.m_UI.Config().m_System.m_TextEditorCommand = u"\"" + editor.u16string() + u"\" %file %line";
    m_H.m_UI.Config().Refresh();

    Choose(u"lbox_scriptselect", 0);
    Choose(u"lbox_labelselect", 3);   // "*late", line 120 counted from 0
    m_Screen->FindWidget(u"btn_editlabel")->ReportEvent(1);
    m_Screen->Update(0, 0);

    const std::filesystem::path args = folder / "args.txt";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!std::filesystem::exists(args) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::ifstream file(args);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, folder.string() + "/scripts/a_script\n121\n");
}

}  // namespace debug_screen
}  // namespace screens_test
