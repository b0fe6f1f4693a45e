// GxTaskUIBase: the actor every widget is. It adds to the actor a value with a range, three
// texts, a size and a client rectangle, modal, top-most and lock states, hover and event state,
// timed automatic help, and the event it reports to a listener or to its sequence. Concrete
// widgets load their images, handle the mouse and draw; the base gives them the shared state,
// the tests over the widget tree, the hit tests, the render-list queueing and the event path.
//
// Sections: lifecycle and frame | value, texts, sizes | flags | tree tests and lock |
// hit tests, help and events | saved state
#pragma once

#include "core/task_actor.h"
#include "core/ui_listener.h"

#include <cstdint>
#include <string>

struct DBUILayoutRow;
struct DBUIModuleRow;

// Event codes the base and the panels report (m_EventState takes the same values).
constexpr std::int32_t kUIEventClick = 1;
constexpr std::int32_t kUIEventEnter = 7;
constexpr std::int32_t kUIEventLeave = 8;
constexpr std::int32_t kUIEventActionsEnded = 25;

// The help counter stops at one day, so the tip shows once per hover.
constexpr std::int32_t kAutoHelpCounterLimit = 86400000;
// A widget whose parent is not an actor is centred on the virtual screen.
constexpr std::int32_t kUIScreenWidth = 1024;
constexpr std::int32_t kUIScreenHeight = 768;
// Render lists of the widgets, and how they are queued there.
constexpr std::int32_t kUIRenderList = 5;
constexpr std::int32_t kUIRenderListTopMost = 7;
// The tests of the input gate that the end-of-actions event skips: visible in the tree, modal
// level, slot ready, change pending.
constexpr std::uint8_t kUIActionsEndedGateSkip = 58;

// The press a slider or bar tracks across frames; the base only resets it.
struct GxUIDragState {
    bool m_Pressed = false;
    float m_Start[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    float m_Offset[3] = {0.0f, 0.0f, 0.0f};
    float m_Further = 0.0f;   // cleared by the constructor only
    std::int32_t m_Values[3] = {0, 0, 0};

    // Everything but the further float back to its default.
    void Reset();
};

class GxTaskUIBase : public GxTaskActor {
public:
    GxTaskUIBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIBase() override;

    // ---- lifecycle and frame
    // LoadImages, then ResetEventState.
    void OnSequenceEnter(std::int32_t worker) override;
    // Drops the queued UI events, then ReleaseImages when m_AutoReleaseImageFlag is set.
    void OnSequenceLeave(std::int32_t worker) override;
    // Steps the actions; reports event 25 in the update where the last action ended.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // Render list 7 when top-most in the tree, else 5; sorted ascending at the order Z.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // The actor part, then the widget's 31 values.
    bool WriteState(GxContentWriterBase& writer) override;
    // As written; the help counter and the drag state start afresh. True when the reader counted
    // no error.
    bool ReadState(GxContentReaderBase& reader) override;
    void Hide() override;
    void Show() override;
    std::int32_t GetWidth() const override { return m_Width; }
    std::int32_t GetHeight() const override { return m_Height; }

    virtual void ResetEventState();
    virtual void ApplyModuleRecord(const DBUIModuleRow* row);
    virtual void ApplyLayoutRecord(const DBUILayoutRow* row);
    virtual bool SetImageName(const char16_t* name) = 0;
    virtual bool LoadImages() = 0;
    virtual void ReleaseImages() = 0;

    // ---- value, texts, sizes
    virtual void SetEnabled(bool enabled) { m_Enabled = enabled; }
    virtual bool IsEnabled() const { return m_Enabled; }
    virtual void SetValueBool(bool value);
    virtual void SetValueInt(std::int32_t value);
    virtual void SetValue(double value);
    virtual double GetValue() const { return m_Value; }
    // Truncated toward zero (held within the 32-bit range).
    virtual std::int32_t GetValueInt() const;
    virtual bool GetValueBool() const { return GetValueInt() != 0; }
    // Rounded towards the nearer end of a one-sided range, held within it; truncated otherwise.
    virtual std::int32_t GetValueRounded() const;
    virtual void AddValueInt(std::int32_t delta) { SetValue(GetValue() + delta); }
    virtual void AddValue(double delta) { SetValue(GetValue() + delta); }
    virtual void SetMax(double max) { m_Max = max; }
    virtual double GetMax() const { return m_Max; }
    virtual void SetMin(double min) { m_Min = min; }
    virtual double GetMin() const { return m_Min; }
    virtual void SetChange(double change) { m_Change = change; }
    virtual double GetChange() const { return m_Change; }
    virtual void SetGroupID(std::int32_t id) { m_GroupID = id; }
    virtual std::int32_t GetGroupID() const { return m_GroupID; }
    virtual void SetWidth(std::int32_t width);
    virtual void SetHeight(std::int32_t height);
    virtual std::int32_t GetClientLeft() const { return m_ClientLeft; }
    virtual std::int32_t GetClientTop() const { return m_ClientTop; }
    virtual std::int32_t GetClientWidth() const { return m_ClientWidth; }
    virtual std::int32_t GetClientHeight() const { return m_ClientHeight; }
    virtual void SetClientRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    // The setters copy up to the terminating zero; null sets the empty text.
    virtual void SetText(const char16_t* text);
    virtual const std::u16string& GetText() const { return m_Text; }
    virtual void SetLabel(const char16_t* text);
    virtual const std::u16string& GetLabel() const { return m_Label; }
    virtual void SetDescript(const char16_t* text);
    virtual const std::u16string& GetDescript() const { return m_Descript; }

    // ---- flags (bit numbers outside 0 to 31 change and match nothing)
    virtual void SetEventReportBit(std::int32_t bit);
    virtual void ClearEventReportBit(std::int32_t bit);
    virtual bool TestEventReportBit(std::int32_t bit) const;
    virtual void SetEventBlockFlag(bool flag) { m_EventBlockFlag = flag; }
    virtual bool GetEventBlockFlag() const { return m_EventBlockFlag; }
    virtual void SetMouseMoveBlockFlag(bool flag) { m_MouseMoveBlockFlag = flag; }
    virtual bool GetMouseMoveBlockFlag() const { return m_MouseMoveBlockFlag; }
    virtual void SetModalFlag(bool flag) { m_ModalFlag = flag; }
    virtual bool GetModalFlag() const { return m_ModalFlag; }
    virtual void SetModalPriority(std::int32_t priority) { m_ModalPriority = priority; }
    virtual std::int32_t GetModalPriority() const { return m_ModalPriority; }
    virtual void SetTopMostFlag(bool flag) { m_TopMostFlag = flag; }
    virtual bool GetTopMostFlag() const { return m_TopMostFlag; }
    virtual void SetImageAlpha(std::int32_t alpha);
    virtual std::int32_t GetImageAlpha() const { return m_ImageAlpha; }
    virtual void SetAnimeSpeed(std::int32_t speed) { m_AnimeSpeed = speed; }
    virtual std::int32_t GetAnimeSpeed() const { return m_AnimeSpeed; }
    virtual std::int32_t GetHoverCount() const { return m_HoverCount; }
    // Not owned and not saved; null sends the events to the owning sequence.
    virtual void SetEventListener(GxTaskFolder* listener) { m_EventListener = listener; }
    virtual GxTaskFolder* GetEventListener() const { return m_EventListener; }
    // Centres the widget in its parent (an actor) or on the virtual screen, plus the offset.
    virtual void CenterX(std::int32_t offset);
    virtual void CenterY(std::int32_t offset);

    // Moves the scene generation for a change of this widget's own drawing that stays inside its
    // bounds (a pattern step, a revealed character): only that area when the widget and its
    // actor ancestors are drawn unscaled and unrotated, anywhere otherwise.
    void TouchDrawnArea() const;
    // The same for a band of the widget's own rows, from `top` to `bottom` (widget pixels).
    void TouchDrawnBand(std::int32_t top, std::int32_t bottom) const;

    // ---- tree tests and lock: the widget and its ancestors up to the first that is no widget
    virtual bool IsVisibleInTree() const;
    virtual bool IsEnabledInTree() const;
    virtual bool IsActionIdleInTree() const;
    // The largest priority of a modal widget in the chain, never below 0.
    virtual std::int32_t GetModalPriorityInTree() const;
    virtual bool IsTopMostInTree() const;
    // The actor alphas multiplied down the chain (a / 255 per ancestor), truncated.
    virtual std::int32_t GetAlphaInTree() const;
    virtual void IncLock();
    virtual void DecLock();
    virtual void ClearLock() { m_LockCount = 0; }
    virtual std::int32_t GetLockCount() const { return m_LockCount; }
    virtual bool IsLockedInTree() const;

    // ---- hit tests, help and events
    // origin: the widget's absolute position (x, y). Right and bottom edges are outside.
    virtual bool HitTestClient(const float* origin, float x, float y) const;
    virtual bool HitTestBounds(const float* origin, float x, float y) const;
    virtual void SetSystemSoundID(std::int32_t id) { m_SystemSoundID = id; }
    virtual std::int32_t GetSystemSoundID() const { return m_SystemSoundID; }
    // Per frame from the concrete widgets: shows the help tip once the pointer has rested on the
    // widget for m_AutoHelpTime. elapsed in microseconds; pointer: x, y.
    virtual void UpdateAutoHelp(std::uint64_t elapsed, const float* pointer);
    // The record with the sender and the code only.
    virtual bool ReportEvent(std::int32_t code);
    // To the event listener, else to the owning sequence; false with no target, or a removed or
    // inactive one, or when the target refused.
    virtual bool DispatchEvent(const GxUIEventParam& event);

    // The colour a concrete widget draws with: `rgb` under the alpha of the tree times the image
    // alpha, the product held to 0-255 (saved games bring any alpha back).
    std::uint32_t GetDrawColor(std::uint32_t rgb) const;
    std::int32_t GetHelpCounter() const { return m_HelpCounter; }

    bool m_Enabled = true;
    double m_Value = 0.0;
    double m_Max = 0.0;
    double m_Min = 0.0;
    double m_Change = 1.0;
    std::int32_t m_GroupID = 0;
    std::int32_t m_ModuleID = 0;
    std::u16string m_Text;
    std::u16string m_Label;
    std::int32_t m_SystemSoundID = 0;
    std::int32_t m_AutoHelpTime = -1;   // milliseconds; -1 never
    std::u16string m_Descript;
    std::int32_t m_Width = 0;
    std::int32_t m_Height = 0;
    std::int32_t m_ClientLeft = 0;
    std::int32_t m_ClientTop = 0;
    std::int32_t m_ClientWidth = 0;
    std::int32_t m_ClientHeight = 0;
    std::int32_t m_ShapeType = 0;
    std::int32_t m_AnimeSpeed = 2;
    bool m_ModalFlag = false;
    std::int32_t m_ModalPriority = 0;
    bool m_TopMostFlag = false;
    std::int32_t m_ImageAlpha = 255;
    std::int32_t m_EventState = 0;
    std::int32_t m_HoverCount = 0;
    std::int32_t m_HelpCounter = 0;     // milliseconds hovered; not saved
    std::uint32_t m_EventReportFlags = 0xFFFFFFFFu;
    GxTaskFolder* m_EventListener = nullptr;
    bool m_EventBlockFlag = true;
    bool m_MouseMoveBlockFlag = false;
    bool m_AutoReleaseImageFlag = true;
    std::int32_t m_LockCount = 0;
    GxUIDragState m_DragState;

protected:
    // m_Value itself, for the setters above.
    void SetValueDirect(double value);
    // SetValueDirect of `value` held to [m_Min, m_Max] by ClampToUIRange.
    void SetValueInRange(double value);
    // The widget ancestor of `task`, or null at the first ancestor that is no widget.
    static const GxTaskUIBase* WidgetParentOf(const GxTaskUIBase* task);
};

// Packs `rgb` (its low 24 bits) under an alpha held to 0-255.
std::uint32_t PackUIColor(double alpha, std::uint32_t rgb);
// `value` held to [min, max] (below min gives min, else above max gives max); a NaN gives min.
double ClampToUIRange(double value, double min, double max);

// Geometry from a saved game is held to what a screen can use: positions, offsets and sizes
// within +-kUIMaxExtent pixels, so that a position, an offset and a size added together stay far
// inside 32 bits. A NaN counts as 0.
constexpr std::int32_t kUIMaxExtent = 1 << 16;
std::int32_t HoldUIExtent(std::int32_t value);
float HoldUIExtent(float value);
GxVector3 HoldUIExtent(const GxVector3& value);
// A pixel coordinate truncated toward zero to a whole pixel, held like HoldUIExtent: positions
// summed over a widget's parents may be anything.
std::int32_t UIPixel(float value);
