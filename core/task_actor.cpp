#include "core/task_actor.h"

#include "core/game_services.h"
#include "core/scene_generation.h"
#include "foundation/content.h"
#include "foundation/easing.h"
#include "foundation/log.h"
#include "foundation/utility.h"
#include "platform/crt/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Each step of FinishActions.
constexpr std::int32_t kFinishStepMs = 10000;
// Steps one FinishActions call makes at most (over 2.8 hours of action time).
constexpr int kFinishStepsPerCall = 1024;
// Actions one step of one list ends at most.
constexpr int kActionsEndedPerStep = 1024;

GxVector3 Lerp(const GxVector3& start, const GxVector3& end, float u)
{
    return GxVector3(start.x * (1.0f - u) + end.x * u, start.y * (1.0f - u) + end.y * u,
                     start.z * (1.0f - u) + end.z * u);
}

float CurveValue(std::int32_t mode, float t)
{
    switch (mode) {
    case kInterEaseOut:
        return GxEasePower(0.0f, 1.0f, t, 0.4f);
    case kInterEaseIn:
        return GxEasePower(0.0f, 1.0f, t, -0.4f);
    case kInterSine:
        return GxEaseSineWave(0.0f, 1.0f, t, -1.0f);
    default:
        return t;
    }
}

// One shake angle in radians: a random whole degree plus a drift of 20 degrees per 16 ms elapsed.
float ShakeAngle(std::int32_t elapsed)
{
    const std::int32_t degrees = msvc::rand() % 360 + 20 * (elapsed / 16);
    return static_cast<float>(degrees * kDegToRad);
}

}  // namespace

// ---- visual parameters ---------------------------------------------------------------------

namespace {

bool SameBits(const float* a, const float* b, std::size_t count)
{
    return std::memcmp(a, b, count * sizeof(float)) == 0;
}

bool SameBits(const GxVector3& a, const GxVector3& b)
{
    const float left[4] = {a.x, a.y, a.z, a.w};
    const float right[4] = {b.x, b.y, b.z, b.w};
    return SameBits(left, right, 4);
}

bool SameBits(const GxFColor& a, const GxFColor& b)
{
    const float left[4] = {a.r, a.g, a.b, a.a};
    const float right[4] = {b.r, b.g, b.b, b.a};
    return SameBits(left, right, 4);
}

}  // namespace

bool GxActorVisualParam::SameAs(const GxActorVisualParam& other) const
{
    const float uv[2] = {m_UVOffset.x, m_UVOffset.y};
    const float otherUv[2] = {other.m_UVOffset.x, other.m_UVOffset.y};
    return m_Visible == other.m_Visible && SameBits(&m_OrderZ, &other.m_OrderZ, 1) && m_Alpha == other.m_Alpha &&
           SameBits(m_Color0, other.m_Color0) && SameBits(m_Color1, other.m_Color1) && SameBits(m_Pos, other.m_Pos) &&
           SameBits(m_Scale, other.m_Scale) && SameBits(m_Rot, other.m_Rot) &&
           SameBits(m_CenterPos, other.m_CenterPos) && SameBits(uv, otherUv, 2) &&
           SameBits(m_ShakeOffsetPos, other.m_ShakeOffsetPos) && m_BlendMode == other.m_BlendMode;
}

void GxActorVisualParam::Reset()
{
    m_Visible = true;
    m_OrderZ = 1000.0f;
    m_Alpha = 255;
    m_Color0 = GxFColor(1.0f, 1.0f, 1.0f, 1.0f);
    m_Color1 = GxFColor(0.0f, 0.0f, 0.0f, 0.0f);
    m_Pos = GxVector3(0.0f, 0.0f, 0.0f);
    m_Scale = GxVector3(1.0f, 1.0f, 1.0f);
    m_Rot = GxVector3(0.0f, 0.0f, 0.0f);
    m_CenterPos = GxVector3(0.0f, 0.0f, 0.0f);
    m_UVOffset = GxVector2(0.0f, 0.0f);
    m_ShakeOffsetPos = GxVector3(0.0f, 0.0f, 0.0f);
    m_BlendMode = 2;
}

bool GxActorVisualParam::WriteState(GxContentWriterBase& writer)
{
    bool ok = writer.WriteBool("m_Visible", m_Visible);
    ok = writer.WriteF32("m_OrderZ", m_OrderZ) && ok;
    ok = writer.WriteS32("m_Alpha", m_Alpha) && ok;
    ok = writer.WriteFColor("m_Color0", &m_Color0) && ok;
    ok = writer.WriteFColor("m_Color1", &m_Color1) && ok;
    ok = writer.WriteVector3("m_Pos", &m_Pos) && ok;
    ok = writer.WriteVector3("m_Scale", &m_Scale) && ok;
    ok = writer.WriteVector3("m_Rot", &m_Rot) && ok;
    ok = writer.WriteVector3("m_CenterPos", &m_CenterPos) && ok;
    ok = writer.WriteVector2("m_UVOffset", &m_UVOffset) && ok;
    ok = writer.WriteVector3("m_ShakeOffsetPos", &m_ShakeOffsetPos) && ok;
    ok = writer.WriteS32("m_BlendMode", m_BlendMode) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxActorVisualParam::ReadState(GxContentReaderBase& reader)
{
    reader.ReadBool("m_Visible", &m_Visible);
    reader.ReadF32("m_OrderZ", &m_OrderZ);
    reader.ReadS32("m_Alpha", &m_Alpha);
    reader.ReadFColor("m_Color0", &m_Color0);
    reader.ReadFColor("m_Color1", &m_Color1);
    reader.ReadVector3("m_Pos", &m_Pos);
    reader.ReadVector3("m_Scale", &m_Scale);
    reader.ReadVector3("m_Rot", &m_Rot);
    reader.ReadVector3("m_CenterPos", &m_CenterPos);
    reader.ReadVector2("m_UVOffset", &m_UVOffset);
    reader.ReadVector3("m_ShakeOffsetPos", &m_ShakeOffsetPos);
    reader.ReadS32("m_BlendMode", &m_BlendMode);
    return reader.GetErrorCount() == 0;
}

// ---- actions -------------------------------------------------------------------------------

bool GxActionParam::WriteState(GxContentWriterBase& writer)
{
    bool ok = writer.WriteS32("m_ActionType", m_ActionType);
    ok = writer.WriteS32("m_TimeLeft", m_TimeLeft) && ok;
    ok = writer.WriteS32("m_TimeTotal", m_TimeTotal) && ok;
    ok = writer.WriteVector3("m_Start", &m_Start) && ok;
    ok = writer.WriteVector3("m_End", &m_End) && ok;
    ok = writer.WriteU32("m_InterMode", static_cast<std::uint32_t>(m_InterMode)) && ok;
    ok = writer.WriteS32("m_InterParam", m_InterParam) && ok;
    ok = writer.WriteBool("m_InitCompleted", m_InitCompleted) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxActionParam::ReadState(GxContentReaderBase& reader)
{
    reader.ReadS32("m_ActionType", &m_ActionType);
    reader.ReadS32("m_TimeLeft", &m_TimeLeft);
    reader.ReadS32("m_TimeTotal", &m_TimeTotal);
    reader.ReadVector3("m_Start", &m_Start);
    reader.ReadVector3("m_End", &m_End);
    std::uint32_t mode = static_cast<std::uint32_t>(m_InterMode);
    if (reader.ReadU32("m_InterMode", &mode))
        m_InterMode = static_cast<std::int32_t>(mode);
    reader.ReadS32("m_InterParam", &m_InterParam);
    reader.ReadBool("m_InitCompleted", &m_InitCompleted);
    return reader.GetErrorCount() == 0;
}

// ---- the actor -----------------------------------------------------------------------------

GxTaskActor::GxTaskActor(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex)
    : GxTaskFolder(parent, name, localName, localIndex)
{
    m_KindFlags |= kKindActor;
}

GxTaskActor::~GxTaskActor()
{
    ClearActions();
}

int GxTaskActor::Update(std::int32_t, std::uint64_t elapsed)
{
    // Running actions animate the picture; a plain wait (a notice held on screen) does not.
    if (IsActionAnimating())
        GxSceneGeneration::Touch();
    UpdateActions(static_cast<std::int32_t>(static_cast<std::uint32_t>(elapsed / 1000)));
    NoteVisualChange();
    return 0;
}

void GxTaskActor::NoteVisualChange()
{
    if (m_VisualParam.SameAs(m_SeenVisualParam))
        return;
    m_SeenVisualParam = m_VisualParam;
    GxSceneGeneration::Touch();
}

GxVector3 GxTaskActor::GetWorldPos() const
{
    GxVector3 world = m_VisualParam.m_Pos + m_VisualParam.m_ShakeOffsetPos;
    if (m_Parent)
        world += m_Parent->GetWorldPos();
    return world;
}

GxVector3 GxTaskActor::GetAbsolutePosition() const
{
    GxVector3 position = m_VisualParam.m_Pos;
    for (const GxTaskBase* task = m_Parent; task && (task->m_KindFlags & kKindActor); task = task->GetParent())
        position += static_cast<const GxTaskActor*>(task)->m_VisualParam.m_Pos;
    position.w = 0.0f;
    return position;
}

bool GxTaskActor::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskFolder::WriteState(writer);
    ok = m_VisualParam.WriteState(writer) && ok;
    for (std::deque<GxActionParam>& list : m_ActionList) {
        ok = writer.WriteListBegin("m_ActionList", "", static_cast<std::uint32_t>(list.size())) && ok;
        for (GxActionParam& action : list) {
            writer.WriteListElementBegin();
            ok = action.WriteState(writer) && ok;
            writer.WriteListElementEnd();
        }
        ok = writer.WriteListEnd() && ok;
    }
    ok = writer.WriteBool("m_ActionPause", m_ActionPause) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskActor::ReadState(GxContentReaderBase& reader)
{
    GxTaskFolder::ReadState(reader);
    m_VisualParam.ReadState(reader);
    for (std::deque<GxActionParam>& list : m_ActionList) {
        list.clear();
        std::uint32_t count = 0;
        if (!reader.ReadListBegin("m_ActionList", &count))
            continue;
        // The stored count is not trusted: actions are taken one by one until one fails to read.
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int32_t errors = reader.GetErrorCount();
            GxActionParam action;
            reader.ReadListElementBegin();
            action.ReadState(reader);
            reader.ReadListElementEnd();
            if (reader.GetErrorCount() != errors)
                break;
            list.push_back(action);
        }
        reader.ReadListEnd();
    }
    reader.ReadBool("m_ActionPause", &m_ActionPause);
    return reader.GetErrorCount() == 0;
}

void GxTaskActor::SetColor0Argb(std::uint32_t argb)
{
    m_VisualParam.m_Color0 = GxFColor(static_cast<float>((argb >> 16) & 0xFF) / 255.0f,
                                      static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
                                      static_cast<float>(argb & 0xFF) / 255.0f,
                                      static_cast<float>((argb >> 24) & 0xFF) / 255.0f);
}

bool GxTaskActor::IsActionListEmpty() const
{
    return m_ActionList[0].empty() && m_ActionList[1].empty();
}

bool GxTaskActor::IsActionAnimating() const
{
    for (const std::deque<GxActionParam>& actions : m_ActionList) {
        if (!actions.empty() && actions.front().m_ActionType != kActionWait)
            return true;
    }
    return false;
}

void GxTaskActor::ClearActions()
{
    m_ActionList[0].clear();
    m_ActionList[1].clear();
}

bool GxTaskActor::UpdateActions(std::int32_t ms)
{
    const bool first = StepActionList(0, ms);
    const bool second = StepActionList(1, ms);
    return first || second;
}

void GxTaskActor::FinishActions()
{
    int steps = 0;
    for (int pass = 0; pass < 2; ++pass) {
        while (!IsActionListEmpty()) {
            // End effects whose hooks queue actions again would otherwise hold the thread forever.
            if (steps == kFinishStepsPerCall) {
                const int left = static_cast<int>(m_ActionList[0].size() + m_ActionList[1].size());
                LogPrintWarning(u"GxTaskActor::FinishActions/actions keep arriving; %d left for the next update (%s)\n",
                                left, m_TaskName.c_str());
                m_VisualParam.m_ShakeOffsetPos = GxVector3(0.0f, 0.0f, 0.0f);
                return;
            }
            StepActionList(0, kFinishStepMs);
            StepActionList(1, kFinishStepMs);
            ++steps;
        }
        m_VisualParam.m_ShakeOffsetPos = GxVector3(0.0f, 0.0f, 0.0f);
    }
}

bool GxTaskActor::StepActionList(std::int32_t list, std::int32_t ms)
{
    if (list < 0 || list >= kActionListCount)
        return false;
    std::deque<GxActionParam>& actions = m_ActionList[list];
    // A negative step is no time; a negative time left is none left, so it cannot lend time to
    // the next action (nor overflow the sum).
    std::int64_t remaining = std::max(ms, 0);
    int ended = 0;
    while (!actions.empty()) {
        // Zero-length actions whose end effects queue more would never use up the step.
        if (ended == kActionsEndedPerStep) {
            LogPrintWarning(u"GxTaskActor::StepActionList/actions keep arriving; %d left for the next update (%s)\n",
                            static_cast<int>(actions.size()), m_TaskName.c_str());
            return true;
        }
        GxActionParam& action = actions.front();
        if (!action.m_InitCompleted) {
            action.m_InitCompleted = true;
            RunFirstStep(action);
        }
        std::int64_t left = std::max(action.m_TimeLeft, 0);
        if (left >= remaining) {
            left -= remaining;
            remaining = 0;
        } else {
            remaining -= left;
            left = 0;
        }
        action.m_TimeLeft = static_cast<std::int32_t>(left);

        float t = 1.0f;
        if (action.m_TimeTotal > 0) {
            t = static_cast<float>(static_cast<std::int64_t>(action.m_TimeTotal) - left) /
                static_cast<float>(action.m_TimeTotal);
            t = std::clamp(t, 0.0f, 1.0f);
        }
        RunEachStep(action, CurveValue(action.m_InterMode, t));

        if (action.m_TimeLeft <= 0) {
            // Taken off the list before its effect runs: a suspend or remove hook may touch the lists.
            const GxActionParam done = action;
            actions.pop_front();
            ++ended;
            // The end effect, or the action that starts next, may change the picture.
            GxSceneGeneration::Touch();
            RunEndEffect(done);
        }
        if (remaining == 0)
            return !actions.empty();
    }
    return false;
}

void GxTaskActor::AppendAction(std::int32_t list, std::int32_t type, std::int32_t duration, const GxVector3& end,
                               std::int32_t curve)
{
    if (list < 0 || list >= kActionListCount)
        return;
    GxActionParam action;
    action.m_ActionType = type;
    action.m_TimeLeft = duration;
    action.m_TimeTotal = duration;
    action.m_End = end;
    action.m_InterMode = curve;
    action.m_InterParam = 0;
    action.m_InitCompleted = false;
    m_ActionList[list].push_back(action);
}

void GxTaskActor::AddWaitAction(std::int32_t list, std::int32_t duration)
{
    AppendAction(list, kActionWait, duration, GxVector3(), kInterLinear);
}

void GxTaskActor::AddFadeInAction(std::int32_t list, std::int32_t duration)
{
    AppendAction(list, kActionAlpha, duration, GxVector3(255.0f, 0.0f, 0.0f), kInterLinear);
}

void GxTaskActor::AddFadeOutAction(std::int32_t list, std::int32_t duration)
{
    AppendAction(list, kActionAlpha, duration, GxVector3(0.0f, 0.0f, 0.0f), kInterLinear);
}

void GxTaskActor::AddAction(const float target[4], std::int32_t duration, std::int32_t curve)
{
    AppendAction(0, kActionMoveTo, duration, GxVector3(target[0], target[1], target[2]), curve);
}

void GxTaskActor::AddRelativeMoveAction(const float offset[4])
{
    AppendAction(1, kActionMoveBy, 200, GxVector3(offset[0], offset[1], offset[2]), kInterLinear);
}

void GxTaskActor::AddHideAction()
{
    AppendAction(0, kActionHide, 0, GxVector3(), kInterLinear);
}

void GxTaskActor::AddActionType12(const float rgb[3], std::int32_t duration)
{
    AppendAction(0, kActionSetColor0, duration, GxVector3(rgb[0], rgb[1], rgb[2]), kInterLinear);
}

void GxTaskActor::AddActionType16()
{
    AppendAction(1, kActionSuspend, 150, GxVector3(), kInterLinear);
}

void GxTaskActor::AddActionType17()
{
    AppendAction(1, kActionSuspendChildren, 150, GxVector3(), kInterLinear);
}

void GxTaskActor::RunFirstStep(GxActionParam& action)
{
    GxActorVisualParam& v = m_VisualParam;
    switch (action.m_ActionType) {
    case kActionAlpha:
        action.m_Start.x = static_cast<float>(v.m_Alpha);
        break;
    case kActionMoveTo:
        action.m_Start = v.m_Pos;
        break;
    case kActionScaleTo:
        action.m_Start = v.m_Scale;
        break;
    case kActionRotateTo:
        action.m_Start = v.m_Rot;
        break;
    case kActionMoveBy:
        action.m_Start = v.m_Pos;
        action.m_End += action.m_Start;
        break;
    case kActionScaleBy:
        action.m_Start = v.m_Scale;
        action.m_End += action.m_Start;
        break;
    case kActionRotateBy:
        action.m_Start = v.m_Rot;
        action.m_End += action.m_Start;
        break;
    case kActionShow:
    case kActionHide:
    case kActionShake:
    case kActionSetAlpha:
    case kActionSetColor0:
    case kActionSetColor1:
    case kActionSetBlendMode:
        action.m_Start = GxVector3(0.0f, 0.0f, 0.0f);
        break;
    default:
        break;
    }
}

void GxTaskActor::RunEachStep(GxActionParam& action, float u)
{
    GxActorVisualParam& v = m_VisualParam;
    switch (action.m_ActionType) {
    case kActionAlpha:
        v.m_Alpha = TruncToInt((1.0f - u) * action.m_Start.x + u * action.m_End.x);
        break;
    case kActionMoveTo:
    case kActionMoveBy:
        v.m_Pos = Lerp(action.m_Start, action.m_End, u);
        break;
    case kActionScaleTo:
    case kActionScaleBy:
        v.m_Scale = Lerp(action.m_Start, action.m_End, u);
        break;
    case kActionRotateTo:
    case kActionRotateBy:
        v.m_Rot = Lerp(action.m_Start, action.m_End, u);
        break;
    case kActionShake:
        if (m_UpdateCount % 2 == 0)
            StepShake(action);
        break;
    default:
        break;
    }
}

void GxTaskActor::StepShake(const GxActionParam& action)
{
    const std::int32_t elapsed =
        static_cast<std::int32_t>(static_cast<std::int64_t>(action.m_TimeTotal) - action.m_TimeLeft);
    // The order of the four draws is part of the effect's look: angle, radius, angle, radius.
    const float a1 = ShakeAngle(elapsed);
    const std::int32_t r1 = msvc::rand() % 10000;
    m_VisualParam.m_ShakeOffsetPos.x =
        static_cast<float>(TruncToInt(r1 * std::sin(static_cast<double>(a1)) / 10000.0 * action.m_End.x));
    const float a2 = ShakeAngle(elapsed);
    const std::int32_t r2 = msvc::rand() % 10000;
    m_VisualParam.m_ShakeOffsetPos.y =
        static_cast<float>(TruncToInt(r2 * std::cos(static_cast<double>(a2)) / 10000.0 * action.m_End.y));
}

void GxTaskActor::RunEndEffect(const GxActionParam& action)
{
    GxActorVisualParam& v = m_VisualParam;
    switch (action.m_ActionType) {
    case kActionShow:
        v.m_Visible = true;
        break;
    case kActionHide:
        v.m_Visible = false;
        break;
    case kActionShake:
        v.m_ShakeOffsetPos = GxVector3(0.0f, 0.0f, 0.0f);
        break;
    case kActionSetAlpha:
        v.m_Alpha = TruncToInt(action.m_End.x);
        break;
    case kActionSetColor0:
        v.m_Color0.r = action.m_End.x;
        v.m_Color0.g = action.m_End.y;
        v.m_Color0.b = action.m_End.z;
        break;
    case kActionSetColor1:
        v.m_Color1.r = action.m_End.x;
        v.m_Color1.g = action.m_End.y;
        v.m_Color1.b = action.m_End.z;
        break;
    case kActionSetBlendMode:
        v.m_BlendMode = TruncToInt(action.m_End.x);
        break;
    case kActionSystemSound:
        PlayGameSystemSound(TruncToInt(action.m_End.x), 0);
        break;
    case kActionSuspend:
        Suspend();
        break;
    case kActionSuspendChildren:
        SuspendChildren();
        break;
    case kActionRemove:
        Remove();
        break;
    case kActionRemoveChildren:
        RemoveChildren();
        break;
    default:
        break;
    }
}
