#include "tests/support/ui/harness/ui_harness.h"

#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_uilayout.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "platform/win32/window.h"
#include "platform/win32/window_registry.h"
#include "ui/play_screen_widgets.h"
#include "ui/ui_manage.h"
#include "ui/ui_services.h"

#include <cstdlib>

UITestScreen::UITestScreen(GxTaskBase* owner, const char16_t* name) : GxSeqBase(owner, name)
{
    m_AcceptUIEventFlag = true;
}

int UITestScreen::Record(std::int32_t hook, GxTaskUIBase* sender, const GxUIEventParam* event)
{
    UITestEvent record;
    record.hook = hook;
    record.sender = sender;
    if (event)
        record.event = *event;
    m_Events.push_back(record);
    return 0;
}

std::vector<UITestEvent> UITestScreen::EventsOf(std::int32_t hook) const
{
    std::vector<UITestEvent> found;
    for (const UITestEvent& event : m_Events)
        if (event.hook == hook)
            found.push_back(event);
    return found;
}

UIHarness::UIHarness()
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    platform::SetWindowLockFolder(m_Temp.Path().string());
    ResetDataTables();

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = u"TarnwickUIHarness";
    RegisterClassExW(&windowClass);
    m_Window = CreateWindowExW(0, u"TarnwickUIHarness", u"TarnwickUIHarness", WS_POPUP | WS_VISIBLE, 0, 0,
                               static_cast<int>(kVirtualScreenWidth), static_cast<int>(kVirtualScreenHeight), nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);

    m_Core.m_MainWindow = m_Window;
    m_Core.m_UserData = &m_UserData;
    m_Core.m_WidgetServices = &GetUIServices();
    m_PreviousScreenWidgets = SetPlayScreenWidgets(&GetUIPlayScreenWidgets());
    m_Manage = std::make_unique<GxTaskManage>(&m_Core);
    m_Core.m_TaskManage = m_Manage.get();
    m_UI = GetUIServices().CreateUIManage();
    m_Core.m_UIManage = m_UI;
    m_Root = new GxTaskBase(m_Manage.get());
    m_Screen = new UITestScreen(m_Root, u"SeqUITest");
    m_Manage->ChangeSequence(m_Screen, 0, 0, 0);
    m_Manage->ApplySequenceChanges();
    m_Manage->SetWorkerReady(0);
    SetCursor(0, 0);
}

UIHarness::~UIHarness()
{
    m_Manage->ReleaseSequences();
    m_Core.m_TaskManage = nullptr;
    m_Manage.reset();
    m_Core.m_UIManage = nullptr;
    GetUIServices().DeleteUIManage(m_UI);
    m_Core.m_WidgetServices = nullptr;
    SetPlayScreenWidgets(m_PreviousScreenWidgets);
    m_Core.m_MainWindow = nullptr;
    if (m_Window)
        DestroyWindow(m_Window);
    ResetDataTables();
}

bool UIHarness::LoadUITables(const std::filesystem::path& gameFolder)
{
    ResetDataTables();
    const bool modules = GetDBUIModule().LoadTable(Utf8ToWide((gameFolder / "data" / "db_uimodule.txt").string()));
    const bool layouts = GetDBUILayout().LoadTable(Utf8ToWide((gameFolder / "data" / "db_uilayout.txt").string()));
    return modules && layouts;
}

void UIHarness::CreateWidgets(const char16_t* parentName, GxTaskBase* owner)
{
    DBUILayout::CreateWidgets(nullptr, parentName, owner ? owner : m_Screen, m_Screen);
}

void UIHarness::SetCursor(int x, int y)
{
    platform::RecordPointer(m_Window, x, y);
}

int UIHarness::MouseMove(int x, int y, std::uint32_t keys)
{
    SetCursor(x, y);
    const GxVector2 point(static_cast<float>(x), static_cast<float>(y));
    return m_Manage->OnMouseMove(&point, keys);
}

int UIHarness::LeftDown(int x, int y, bool doubleClick, std::uint32_t keys)
{
    SetCursor(x, y);
    const GxVector2 point(static_cast<float>(x), static_cast<float>(y));
    return doubleClick ? m_Manage->OnMouseLeftDoubleClick(&point, keys) : m_Manage->OnMouseLeftDown(&point, keys);
}

int UIHarness::LeftUp(int x, int y, std::uint32_t keys)
{
    SetCursor(x, y);
    const GxVector2 point(static_cast<float>(x), static_cast<float>(y));
    return m_Manage->OnMouseLeftUp(&point, keys);
}

int UIHarness::RightDown(int x, int y, std::uint32_t keys)
{
    SetCursor(x, y);
    const GxVector2 point(static_cast<float>(x), static_cast<float>(y));
    return m_Manage->OnMouseRightDown(&point, keys);
}

int UIHarness::Wheel(int x, int y, std::int32_t delta, std::uint32_t keys)
{
    SetCursor(x, y);
    const GxVector2 point(static_cast<float>(x), static_cast<float>(y));
    return m_Manage->OnMouseWheel(&point, delta, keys);
}

int UIHarness::KeyDown(WPARAM key, LPARAM flags)
{
    return m_Manage->OnKeyDown(key, flags);
}

void UIHarness::Step(std::uint64_t elapsedMicroseconds, std::int32_t passes)
{
    for (std::int32_t pass = 0; pass < std::max(1, passes); ++pass) {
        m_Core.ClearRenderLists();
        m_Manage->SweepRemovedTasks(m_Manage->GetRoot());
        m_Manage->SetStopRequest(false);
        const std::uint64_t elapsed = pass == 0 ? elapsedMicroseconds : 0;
        m_Manage->UpdateAll(pass, elapsed);
        m_Manage->RenderAll(pass, elapsed);
        if (m_Manage->IsAnyChangePending() || m_Manage->IsStopRequested())
            break;
    }
    BeginSceneNested();
    m_Core.DrawRenderLists();
    EndSceneNested();
}
