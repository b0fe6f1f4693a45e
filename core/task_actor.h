// GxTaskActor: a folder task with a visible appearance. It keeps a record of visual parameters
// (visibility, depth order, alpha, two colours, position, scale, rotation, centre, texture offset,
// shake offset, blend preset) and two queues of timed actions that animate those parameters or
// fire an effect when they end. The actor draws nothing itself: layers and widgets read the
// parameters when they render.
//
// Sections: visual parameters | actions | the actor (easing curves: foundation/easing.h)
#pragma once

#include "core/task_folder.h"
#include "foundation/easing.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <deque>

class GxContentWriterBase;
class GxContentReaderBase;

// ---- visual parameters ---------------------------------------------------------------------

class GxActorVisualParam {
public:
    GxActorVisualParam() { Reset(); }
    virtual ~GxActorVisualParam() = default;

    void Reset();
    // "m_Visible" Bool, "m_OrderZ" F32, "m_Alpha" S32, "m_Color0" and "m_Color1" FColor, "m_Pos",
    // "m_Scale", "m_Rot", "m_CenterPos" Vector3, "m_UVOffset" Vector2, "m_ShakeOffsetPos" Vector3,
    // "m_BlendMode" S32.
    virtual bool WriteState(GxContentWriterBase& writer);
    // True when the reader has counted no error.
    virtual bool ReadState(GxContentReaderBase& reader);

    bool m_Visible = true;
    float m_OrderZ = 1000.0f;   // depth when the actor is queued for drawing
    std::int32_t m_Alpha = 255;
    GxFColor m_Color0;
    GxFColor m_Color1;
    GxVector3 m_Pos;
    GxVector3 m_Scale;
    GxVector3 m_Rot;            // degrees
    GxVector3 m_CenterPos;
    GxVector2 m_UVOffset;
    GxVector3 m_ShakeOffsetPos; // written only by shakes
    std::int32_t m_BlendMode = 2;

    // Every field equal, bit for bit (so a NaN equals itself and the comparison stays cheap).
    bool SameAs(const GxActorVisualParam& other) const;
};

// ---- actions -------------------------------------------------------------------------------

enum GxActionType : std::int32_t {
    kActionWait = 0,
    kActionAlpha = 1,
    kActionMoveTo = 2,
    kActionScaleTo = 3,
    kActionRotateTo = 4,
    kActionMoveBy = 5,
    kActionScaleBy = 6,
    kActionRotateBy = 7,
    kActionShow = 8,
    kActionHide = 9,
    kActionShake = 10,
    kActionSetAlpha = 11,
    kActionSetColor0 = 12,
    kActionSetColor1 = 13,
    kActionSetBlendMode = 14,
    kActionSystemSound = 15,
    kActionSuspend = 16,
    kActionSuspendChildren = 17,
    kActionRemove = 18,
    kActionRemoveChildren = 19,
};

// Curves of m_InterMode; any other value is linear.
constexpr std::int32_t kInterLinear = 1;
constexpr std::int32_t kInterEaseOut = 2;
constexpr std::int32_t kInterEaseIn = 3;
constexpr std::int32_t kInterSine = 4;

class GxActionParam {
public:
    GxActionParam() = default;
    virtual ~GxActionParam() = default;

    // "m_ActionType" S32, "m_TimeLeft" S32, "m_TimeTotal" S32, "m_Start" and "m_End" Vector3,
    // "m_InterMode" U32, "m_InterParam" S32, "m_InitCompleted" Bool.
    virtual bool WriteState(GxContentWriterBase& writer);
    // True when the reader has counted no error.
    virtual bool ReadState(GxContentReaderBase& reader);

    std::int32_t m_ActionType = kActionWait;
    std::int32_t m_TimeLeft = 0;    // milliseconds
    std::int32_t m_TimeTotal = 0;
    GxVector3 m_Start;              // taken from the actor on the first run by most types
    GxVector3 m_End;                // end value or argument
    std::int32_t m_InterMode = kInterLinear;
    std::int32_t m_InterParam = 0;  // kept for the action's owner; the stepping ignores it
    bool m_InitCompleted = false;
};

// ---- the actor -----------------------------------------------------------------------------

class GxTaskActor : public GxTaskFolder {
public:
    static constexpr std::int32_t kActionListCount = 2;

    GxTaskActor(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskActor() override;

    // Steps the actions by the elapsed microseconds as milliseconds; queued UI events are left alone.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    GxVector3 GetPos() const override { return m_VisualParam.m_Pos; }
    GxVector3 GetScale() const override { return m_VisualParam.m_Scale; }
    GxVector3 GetRot() const override { return m_VisualParam.m_Rot; }
    GxVector3 GetCenterPos() const override { return m_VisualParam.m_CenterPos; }
    // Position plus shake offset plus the parent's world position.
    GxVector3 GetWorldPos() const override;
    // Position plus the parent's absolute position, while the parents are actors (no shake); w 0.
    GxVector3 GetAbsolutePosition() const;
    // The folder part, the visual parameters, action lists 0 and 1, "m_ActionPause".
    bool WriteState(GxContentWriterBase& writer) override;
    // As written; both lists are replaced and resume where they stood.
    bool ReadState(GxContentReaderBase& reader) override;

    virtual void Hide() { m_VisualParam.m_Visible = false; }
    virtual void Show() { m_VisualParam.m_Visible = true; }
    virtual bool IsVisible() const { return m_VisualParam.m_Visible; }
    virtual void SetOrderZ(float z) { m_VisualParam.m_OrderZ = z; }
    virtual float GetOrderZ() const { return m_VisualParam.m_OrderZ; }
    virtual void SetBlendMode(std::int32_t mode) { m_VisualParam.m_BlendMode = mode; }
    virtual std::int32_t GetBlendMode() const { return m_VisualParam.m_BlendMode; }
    virtual void SetAlpha(std::int32_t alpha) { m_VisualParam.m_Alpha = alpha; }
    virtual std::int32_t GetAlpha() const { return m_VisualParam.m_Alpha; }
    virtual void SetPos(const GxVector3& pos) { m_VisualParam.m_Pos = pos; }
    virtual void SetScale(const GxVector3& scale) { m_VisualParam.m_Scale = scale; }
    virtual void SetRot(const GxVector3& rot) { m_VisualParam.m_Rot = rot; }
    virtual void SetCenterPos(const GxVector3& center) { m_VisualParam.m_CenterPos = center; }
    virtual void SetUVOffset(const GxVector2& offset) { m_VisualParam.m_UVOffset = offset; }
    virtual void SetColor0(const GxFColor& color) { m_VisualParam.m_Color0 = color; }
    // 0xAARRGGBB, each byte divided by 255.
    virtual void SetColor0Argb(std::uint32_t argb);
    virtual GxFColor GetColor0() const { return m_VisualParam.m_Color0; }
    // Widgets and layers report their size; a plain actor has none.
    virtual std::int32_t GetWidth() const { return 0; }
    virtual std::int32_t GetHeight() const { return 0; }

    bool IsActionListEmpty() const;
    // Whether the running actions change the picture as they go: an action other than a plain
    // wait heads a list. (An action that ends moves the scene generation by itself: its end
    // effect may change anything.)
    bool IsActionAnimating() const;
    // Drops every action without its end effect.
    void ClearActions();
    // Steps list 0, then list 1, each by the whole `ms`; true while either still holds an action.
    bool UpdateActions(std::int32_t ms);
    // Runs every queued action to its end, in order, including actions their end effects queue;
    // after 1024 steps of 10 s it logs a warning and leaves the rest for the next update.
    void FinishActions();

    // Builders: durations in milliseconds; `list` is 0 or 1 (another value queues nothing).
    void AddWaitAction(std::int32_t list, std::int32_t duration);
    void AddFadeInAction(std::int32_t list, std::int32_t duration);
    void AddFadeOutAction(std::int32_t list, std::int32_t duration);
    // Move to target[0..2] on list 0 with the given curve.
    void AddAction(const float target[4], std::int32_t duration, std::int32_t curve);
    // Move by offset[0..2] on list 1 over 200 ms.
    void AddRelativeMoveAction(const float offset[4]);
    // Hide at once, in its turn on list 0.
    void AddHideAction();
    // Set the red, green and blue of colour 0 when the action ends (list 0).
    void AddActionType12(const float rgb[3], std::int32_t duration);
    // Suspend the actor, or its children, after 150 ms on list 1.
    void AddActionType16();
    void AddActionType17();

    const std::deque<GxActionParam>& GetActionList(std::int32_t list) const { return m_ActionList[list]; }
    // Moves the scene generation when the visual parameters differ from the last ones seen here
    // (they are public and written directly); the update and whoever queues the actor for
    // drawing call it.
    void NoteVisualChange();

    bool m_ActionPause = false;   // kept for the actor's owner; the stepping ignores it
    GxActorVisualParam m_VisualParam;
    std::deque<GxActionParam> m_ActionList[kActionListCount];

protected:
    GxActorVisualParam m_SeenVisualParam;

    // One step of one list; see UpdateActions. False once the list is empty.
    bool StepActionList(std::int32_t list, std::int32_t ms);

private:
    void AppendAction(std::int32_t list, std::int32_t type, std::int32_t duration, const GxVector3& end,
                      std::int32_t curve);
    void RunFirstStep(GxActionParam& action);
    void RunEachStep(GxActionParam& action, float u);
    void RunEndEffect(const GxActionParam& action);
    void StepShake(const GxActionParam& action);
};
