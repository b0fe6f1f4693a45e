// GxCore: the frame (logic passes, drawing of the render lists, presentation) and the render
// lists of the current set.
#include "core/core.h"

#include "core/bench_marks.h"
#include "core/debug_window.h"
#include "core/input.h"
#include "core/scene_generation.h"
#include "core/shared_asset_manage.h"
#include "graphics/graphics.h"
#include "core/task_manage.h"
#include "foundation/wide_string.h"
#include "platform/win32/paint.h"

#include <algorithm>

namespace {

constexpr std::size_t kTitleBufferUnits = 255;

}  // namespace

GxTaskRenderManage* GxCore::GetRenderList(std::int32_t n)
{
    if (n < 0 || n >= kRenderListCount || m_RenderSet < 0 || m_RenderSet >= kRenderSetCount)
        return nullptr;
    return &m_RenderLists[m_RenderSet * kRenderListCount + n];
}

void GxCore::ClearRenderLists()
{
    for (std::int32_t n = 0; n < kRenderListCount; ++n) {
        if (GxTaskRenderManage* list = GetRenderList(n))
            list->Clear();
    }
}

void GxCore::DrawRenderLists()
{
    for (std::int32_t n = 0; n < kRenderListCount; ++n) {
        if (GxTaskRenderManage* list = GetRenderList(n))
            list->Draw(m_TaskManage, n);
    }
}

bool GxCore::NeedsComposing()
{
    m_FrameSignature.clear();
    m_FrameSignature.push_back(static_cast<std::uint64_t>(m_RenderSet));
    for (std::int32_t n = 0; n < kRenderListCount; ++n) {
        if (GxTaskRenderManage* list = GetRenderList(n))
            list->AppendSignature(m_TaskManage, m_FrameSignature);
    }
    return m_AlwaysCompose || !m_Composed || GxSceneGeneration::Get() != m_ComposedGeneration ||
           m_FrameSignature != m_ComposedSignature;
}

void GxCore::UpdateDebugTitle()
{
    const D3DPRESENT_PARAMETERS* mode = GxGraphics::GetScreenModeParameters(GxGraphics::GetDisplaySettings().CurrentScreenMode);
    if (mode == nullptr || !mode->Windowed || !m_Config.m_DebugModeFlag ||
        m_MainWindow == nullptr)
        return;
    char16_t title[kTitleBufferUnits];
    FormatWideBuffer(title, kTitleBufferUnits, u"%s FPS %2.2f/%d", m_WindowTitle.c_str(),
                     static_cast<double>(m_FrameTimer.GetMeasuredRate()), m_FrameTimer.GetFramesPerSecond());
    SetWindowTextW(m_MainWindow, title);
}

bool GxCore::Frame()
{
    const std::uint64_t elapsed = m_FrameTimer.WaitFrame();
    // The title shows each new rate as the timer completes its measurement.
    if (m_FrameTimer.GetRateMeasureFrames() == 0)
        UpdateDebugTitle();

    const std::int32_t steps = std::max(1, m_FrameTimer.GetLogicSteps());
    for (std::int32_t pass = 0; pass < steps; ++pass) {
        const std::uint64_t passElapsed = pass == 0 ? elapsed : 0;
        ClearRenderLists();
        if (m_TaskManage != nullptr) {
            m_TaskManage->SweepRemovedTasks(m_TaskManage->GetRoot());
            m_TaskManage->SetStopRequest(false);
        }
        if (m_SharedAssets != nullptr)
            m_SharedAssets->UpdateScopes();
        GxInput::Update();
        if (m_TaskManage != nullptr) {
            if (GxInput::IsAnyActionActive())
                m_TaskManage->DispatchKeyAction(GxInput::GetActionState(), pass, passElapsed);
            for (std::int32_t device = 0; device < kInputRecordCount; ++device) {
                const GxInputDeviceState* state = GxInput::GetDeviceState(device);
                for (std::int32_t axis = 0; state != nullptr && axis < kInputAxisCount; ++axis) {
                    if (state->m_AxisActive[axis])
                        m_TaskManage->DispatchKeyActionEx(&state->m_Axes[axis], device, axis, pass, passElapsed);
                }
            }
            m_TaskManage->UpdateAll(pass, passElapsed);
            m_TaskManage->RenderAll(pass, passElapsed);
            // A pending switch or a widget's stop request ends the logic of this frame.
            if (m_TaskManage->IsAnyChangePending() || m_TaskManage->IsStopRequested())
                break;
        }
    }

    // The picture last presented stays in the back buffer (for the transition capture and any
    // frame capture) until something that changes it moves the scene generation.
    const bool compose = NeedsComposing();
    // Taken before drawing: a change made while drawing is composed by the next frame.
    const std::uint64_t generation = GxSceneGeneration::Get();
    GxSceneRect changed;
    const bool confined = GxSceneGeneration::TakeChangedRect(&changed);
    if (compose) {
        // Changes that all said where, on the lists of the picture kept in the back buffer: only
        // their union is drawn again, over that picture.
        const bool part = confined && m_Composed && !m_AlwaysCompose && m_FrameSignature == m_ComposedSignature;
        const RECT clip{changed.left, changed.top, changed.right, changed.bottom};
        const bool clipped = part && GxGraphics::SetComposeClip(&clip);
        DrawRenderLists();
        if (clipped)
            GxGraphics::SetComposeClip(nullptr);
    }

    const GxDebugWindowState& debugWindow = GetDebugWindowState();
    if (debugWindow.m_Window != nullptr && debugWindow.m_Changed) {
        InvalidateRect(debugWindow.m_Window, nullptr, TRUE);
        UpdateWindow(debugWindow.m_Window);
    }

    if (!compose)
        return true;
    const bool presented = GxGraphics::Present(nullptr, nullptr, m_MainWindow);
    if (m_PresentedFrames++ == 0)
        GxBenchMarks::Mark("first-frame");
    // The first screen counts from its first present; the fade-in that follows is design time.
    if (!m_FirstScreenPresented && m_TaskManage != nullptr && m_TaskManage->HasScreenEntered()) {
        m_FirstScreenPresented = true;
        GxBenchMarks::Mark("first-screen");
    }
    // A refused present composes again next frame; without a device there is nothing to redo.
    m_Composed = presented || GxGraphics::GetDevice() == nullptr;
    m_ComposedGeneration = generation;
    m_ComposedSignature.swap(m_FrameSignature);
    return true;
}
