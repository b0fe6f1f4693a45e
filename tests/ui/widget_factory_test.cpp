// [Widget factory] type codes to classes, and the layout walk over tables read from files.
#include "ui_test_support.h"

#include "data/data_tables.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/task_ui_null.h"
#include "ui/widget_factory.h"

#include <typeinfo>

namespace ui_test {
namespace {

class WidgetFactoryTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        m_Previous = SetWidgetConstructor(RecordingWidget::kType, &RecordingWidget::Make);
    }
    void TearDown() override { SetWidgetConstructor(RecordingWidget::kType, m_Previous); }

    // Writes and loads the tables; the walk then runs for the test screen.
    void Load(const std::vector<ModuleRow>& modules, const std::vector<LayoutRow>& layouts)
    {
        ASSERT_TRUE(WriteUITables(m_Harness.Folder(), modules, layouts));
        ASSERT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
    }

    // The screen's children, as their task or local names.
    std::vector<std::string> Children()
    {
        std::vector<std::string> names;
        for (GxTaskBase* t = Screen()->m_FirstChild; t; t = t->m_NextSibling)
            names.push_back(WideToUtf8(t->GetTaskName().empty() ? t->GetTaskLocalName() : t->GetTaskName()));
        return names;
    }

    GxWidgetConstructor m_Previous = nullptr;
};

TEST_F(WidgetFactoryTest, TypeCodesBuildTheirClassOrNothing)
{
    struct Case {
        std::int32_t type;
        bool built;
    };
    // Codes of classes not built yet build nothing, like unknown codes.
    const Case cases[] = {{1, true},  {0, false},  {14, false}, {47, true}, {52, false}, {-1, false},
                          {8, true},  {9, true},   {10, true},  {15, true},  {18, true},  {21, true},
                          {31, true}, {40, true},  {48, true},  {50, true},  {51, true},
                          {16, true}, {22, true},  {23, true},  {24, true},  {41, true},
                          {11, true}, {12, true},  {13, true},  {17, true},  {45, true},
                          {RecordingWidget::kType, true}};
    for (const Case& c : cases) {
        LogCapture log;
        GxTaskUIBase* w = NewWidgetOfType(c.type, Screen(), nullptr, 0);
        EXPECT_EQ(w != nullptr, c.built) << c.type;
        if (w) {
            EXPECT_EQ(w->GetTaskType(), c.type);
        }
        EXPECT_TRUE(log.m_Errors.empty()) << c.type;
    }
    EXPECT_EQ(typeid(*NewWidgetOfType(1, Screen(), nullptr, 0)), typeid(GxTaskUINull));
    LogCapture log;
    EXPECT_EQ(NewWidgetOfType(1, nullptr, u"orphan", -1), nullptr);   // never outside a tree
    EXPECT_EQ(log.m_Errors.size(), 1u);
}

TEST_F(WidgetFactoryTest, TheLayoutWalkBuildsMatchingRowsInIdOrderAndDoesNotDescend)
{
    Load({{1, 1, u"null_mod", u"", u"", 10, 20, 1, 2, 3, 4, 0, 0, 3},
          {2, 14, u"type14"},
          {3, 0, u"type0"},
          {4, 52, u"type52"},
          {5, RecordingWidget::kType, u"rec_mod", u"", u"", 64, 32}},
         {
             {1, u"SeqUITest", u"null_mod", u"w_named", -1},
             {2, u"SeqUITest", u"null_mod", u"w_local", 3},
             {3, u"SeqUITest", u"missing", u"w_missing", -1},
             {4, u"SeqUITest", u"type14", u"w_14", -1},
             {5, u"SeqUITest", u"type0", u"w_0", -1},
             {6, u"SeqUITest", u"type52", u"w_52", -1},
             {7, u"SeqUITest", u"null_mod", u"w_create0", -1, 0},
             {8, u"sequitest", u"null_mod", u"w_case", -1},
             {9, u"w_named", u"null_mod", u"w_child", -1},
             {12, u"SeqUITest", u"rec_mod", u"rec", -1, 1, 0, 0, 15.0f, 25.0f, 7.0f, 2, u"テキスト", u"lab", 6, 5, 1, 9,
              800, u"desc"},
             {11, u"SeqUITest", u"null_mod", u"w_eleven", -1},
         });
    LogCapture log;
    m_Harness.CreateWidgets(u"SeqUITest");

    EXPECT_EQ(log.m_Errors, (std::vector<std::string>{"UIモジュールデータ[missing]が見つかりません:SeqUITest\n"}));
    EXPECT_EQ(Children(), (std::vector<std::string>{"w_named", "w_local", "w_eleven", "rec"}));

    auto* named = static_cast<GxTaskUIBase*>(Manage().FindTask(u"w_named"));
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->GetParent(), Screen());
    EXPECT_TRUE(named->GetTaskLocalName().empty());
    EXPECT_EQ(Manage().FindTask(u"w_local"), nullptr);
    GxTaskBase* local = Screen()->FindTaskLocal(u"w_local", 3);
    ASSERT_NE(local, nullptr);
    EXPECT_TRUE(local->GetTaskName().empty());
    EXPECT_EQ(Manage().FindTask(u"w_child"), nullptr);

    // The module row comes last: its size and client rectangle win.
    EXPECT_EQ(named->GetWidth(), 10);
    EXPECT_EQ(named->GetHeight(), 20);
    EXPECT_EQ(named->GetClientLeft(), 1);
    EXPECT_EQ(named->GetClientHeight(), 4);
    EXPECT_EQ(named->GetAnimeSpeed(), 3);
    EXPECT_EQ(named->m_ModuleID, 1);

    auto* rec = static_cast<RecordingWidget*>(Manage().FindTask(u"rec"));
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->m_Calls, (std::vector<std::string>{"SetMax 9", "SetMin 1", "SetValueInt 5",
                                                      "SetText テキスト", "ApplyModuleRecord"}));
    EXPECT_FALSE(rec->IsVisible());
    EXPECT_FALSE(rec->IsEnabled());
    EXPECT_EQ(rec->m_VisualParam.m_Pos.x, 15.0f);
    EXPECT_EQ(rec->m_VisualParam.m_Pos.y, 25.0f);
    EXPECT_EQ(rec->GetOrderZ(), 7.0f);
    EXPECT_EQ(rec->GetGroupID(), 2);
    EXPECT_EQ(rec->GetLabel(), u"lab");
    EXPECT_EQ(rec->GetSystemSoundID(), 6);
    EXPECT_EQ(rec->m_AutoHelpTime, 800);
    EXPECT_EQ(rec->GetDescript(), u"desc");
    EXPECT_EQ(rec->GetValue(), 5.0);
    EXPECT_EQ(rec->GetWidth(), 64);

    // A second walk for the widget's own name builds its children.
    m_Harness.CreateWidgets(u"w_named", named);
    GxTaskBase* child = Manage().FindTask(u"w_child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetParent(), named);
}

TEST_F(WidgetFactoryTest, AModuleRowBuildsAWidgetWithOnlyTheModuleApplied)
{
    Load({{5, RecordingWidget::kType, u"rec_mod", u"", u"", 64, 32, 4, 4, 56, 24}}, {});
    DBUIModuleRow* row = GetDBUIModule().GetRow(5);
    ASSERT_NE(row, nullptr);
    auto* w = static_cast<RecordingWidget*>(Screen()->CreateWidgetFromModule(Screen(), row, u"choice", 2));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->m_Calls, (std::vector<std::string>{"ApplyModuleRecord"}));
    EXPECT_EQ(Screen()->FindTaskLocal(u"choice", 2), w);
    EXPECT_TRUE(w->IsVisible());
    EXPECT_EQ(w->m_VisualParam.m_Pos.x, 0.0f);
    EXPECT_EQ(w->GetClientWidth(), 56);
    EXPECT_EQ(w->m_ModuleID, 5);

    DBUIModuleRow type14;
    type14.m_UIType = 14;
    EXPECT_EQ(Screen()->CreateWidgetFromModule(Screen(), &type14, u"none", -1), nullptr);
    EXPECT_EQ(Screen()->CreateWidgetFromModule(Screen(), nullptr, u"none", -1), nullptr);
}

TEST_F(WidgetFactoryTest, AModuleRowWithIdZeroCannotBeFoundByName)
{
    Load({{0, 1, u"zero_mod"}}, {{1, u"SeqUITest", u"zero_mod", u"w_zero", -1}});
    LogCapture log;
    m_Harness.CreateWidgets(u"SeqUITest");
    EXPECT_EQ(Manage().FindTask(u"w_zero"), nullptr);
    EXPECT_EQ(log.m_Errors.size(), 1u);
}

TEST_F(WidgetFactoryTest, TheWalkCanBeGivenItsOwnTable)
{
    Load({{1, 1, u"null_mod"}}, {});
    DBUILayout own;
    ASSERT_TRUE(UILayoutTable({{1023, u"SeqUITest", u"null_mod", u"w_last", -1}})
                    .Write(m_Harness.Folder() / "own.txt"));
    ASSERT_TRUE(own.LoadTable(Utf8ToWide((m_Harness.Folder() / "own.txt").string())));
    DBUILayout::CreateWidgets(&own, u"SeqUITest", Screen(), Screen());
    EXPECT_NE(Manage().FindTask(u"w_last"), nullptr);   // the last row position is visited
}

TEST_F(WidgetFactoryTest, MissingOrDamagedTablesBuildNothingAndSayWhy)
{
    LogCapture log;
    EXPECT_FALSE(m_Harness.LoadUITables(m_Harness.Folder() / "nowhere"));
    EXPECT_FALSE(log.m_Errors.empty());
    m_Harness.CreateWidgets(u"SeqUITest");
    EXPECT_EQ(Screen()->m_FirstChild, nullptr);

    // A row ID beyond the table stops the read there; the rows before it still build.
    ASSERT_TRUE(UIModuleTable({{1, 1, u"null_mod"}}).Write(m_Harness.Folder() / "data" / "db_uimodule.txt"));
    ASSERT_TRUE(UILayoutTable({{1, u"SeqUITest", u"null_mod", u"w_first", -1}})
                    .Raw(u"5000\tSeqUITest\t0\tnull_mod\tw_far\t-1\t1")
                    .Write(m_Harness.Folder() / "data" / "db_uilayout.txt"));
    log.m_Errors.clear();
    EXPECT_FALSE(m_Harness.LoadUITables(m_Harness.Folder()));
    EXPECT_EQ(log.m_Errors.size(), 1u);
    m_Harness.CreateWidgets(u"SeqUITest");
    EXPECT_NE(Manage().FindTask(u"w_first"), nullptr);
    EXPECT_EQ(Manage().FindTask(u"w_far"), nullptr);

    // No sequence to build through: nothing, with a line.
    log.m_Errors.clear();
    DBUILayout::CreateWidgets(nullptr, u"SeqUITest", Screen(), nullptr);
    EXPECT_EQ(log.m_Errors.size(), 1u);
}

}  // namespace
}  // namespace ui_test
