// GxTaskUIHSliderIs (UI type 30) and GxTaskUIVSliderIs (UI type 31): a thumb on a track that sets
// the widget's value between m_Min and m_Max. A press on the thumb starts a drag (event 16 on
// every move while pressed); a press on the track sets the value at once and glides the thumb
// there over 100 updates. A linked widget shows the rounded value. The vertical slider is the
// horizontal one on the other axis, m_Min at the top. Both share GxTaskUISliderIs.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>

struct GxNcOriginImage;

constexpr std::int32_t kUITypeHSlider = 30;
constexpr std::int32_t kUITypeVSlider = 31;
constexpr std::int32_t kUIEventValueChanged = 16;
// Updates a track click's glide lasts.
constexpr std::int32_t kSliderGlideFrames = 100;

class GxTaskUISliderIs : public GxTaskUIBase {
public:
    enum class Axis { kHorizontal, kVertical };
    // Cell slots: the thumb's four states, the track and the disabled track.
    enum Cell : std::int32_t { kThumbNormal, kThumbPressed, kThumbHover, kThumbDisabled, kTrack, kTrackDisabled,
                               kCellCount };

    ~GxTaskUISliderIs() override;

    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The base's, the drag state as a state read leaves it, no glide, the thumb drawn at its target.
    void ResetEventState() override;
    // The base's, then the image set (UI image-set folder + ImageSetName + ".gis") and ImageName.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    bool SetImageName(const char16_t* path) override;
    bool LoadImages() override;
    void ReleaseImages() override;
    void SetValueBool(bool value) override { SetValue(value ? 1.0 : 0.0); }
    void SetValueInt(std::int32_t value) override { SetValue(static_cast<double>(value)); }
    // Clamped to the range; the thumb moves there at once, without a glide or an event.
    void SetValue(double value) override;
    void SetMax(double max) override;
    void SetMin(double min) override;
    // The client rectangle widened by half a thumb at both ends of the track.
    bool HitTestClient(const float* origin, float x, float y) const override;

    // Within half a thumb of the thumb's target (not where it is drawn).
    virtual bool HitTestThumb(const float* origin, float x, float y) const;
    // Value to pixel offset along the track, held to the track.
    virtual double ValueToPosition(double value) const;
    virtual double PositionToValue(double position) const;
    // Not held to the range.
    virtual double PixelsToValueDelta(double pixels) const;
    // Not owned; null for none. It gets SetValueInt of the rounded value on every user change.
    virtual void SetLinkedWidget(GxTaskUIBase* widget) { m_LinkedWidget = widget; }

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    // Always ends a drag and is never consumed, also outside the widget and behind a closed gate.
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t keys) override;

    // Pixels along the track: m_ClientWidth, or m_ClientHeight for the vertical slider.
    std::int32_t GetTrackLength() const;
    // The thumb's offset along the track, where it belongs and where it is drawn.
    float GetThumbTarget() const { return Along(m_ThumbTarget); }
    float GetThumbDrawn() const { return Along(m_ThumbDrawn); }
    std::int32_t GetGlideCounter() const { return m_GlideCounter; }
    std::int32_t GetDrawState() const { return m_DrawState; }
    bool IsPressed() const { return m_DragState.m_Pressed; }
    const GxNcOriginImage* GetCell(Cell cell) const { return m_Cells[cell]; }

    std::u16string m_ImageName;
    std::u16string m_ImageSetName;
    GxNcOriginImage* m_Cells[kCellCount] = {};
    std::int32_t m_DrawState = 0;     // 0 normal, 1 pressed, 2 hover
    std::int32_t m_PatternIndex = 0;
    std::int32_t m_ThumbWidth = 0;
    std::int32_t m_ThumbHeight = 0;
    GxVector4 m_ThumbTarget;
    GxVector4 m_ThumbDrawn;
    std::int32_t m_GlideCounter = 0;
    double m_DragStartValue = 0.0;
    GxTaskUIBase* m_LinkedWidget = nullptr;
    std::int32_t m_UpdateCount = 0;

protected:
    GxTaskUISliderIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex,
                     Axis axis);

private:
    float Along(const GxVector4& v) const { return m_Axis == Axis::kHorizontal ? v.x : v.y; }
    float& Along(GxVector4& v) const { return m_Axis == Axis::kHorizontal ? v.x : v.y; }
    float Along(const GxVector2& p) const { return m_Axis == Axis::kHorizontal ? p.x : p.y; }
    // The track and its range allow a mapping (a track of no length maps nothing).
    bool HasTrack() const;
    // "GxTaskUIHSliderIs" or "GxTaskUIVSliderIs", for the messages.
    const char16_t* ClassName() const;
    // m_Value held to the range (a NaN falls to m_Min).
    void StoreClamped(double value);
    // The value held to the range, the minimum first (it wins when the range is inverted).
    double ClampToRange(double value) const;
    void ReportMouse(std::int32_t code, const GxVector2& point);
    // Event 16 and the linked widget.
    void ReportChange(const GxVector2& point);
    void BeginPress(const GxVector2& point);

    Axis m_Axis;
};

class GxTaskUIHSliderIs : public GxTaskUISliderIs {
public:
    GxTaskUIHSliderIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIHSliderIs() override;
};

class GxTaskUIVSliderIs : public GxTaskUISliderIs {
public:
    GxTaskUIVSliderIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIVSliderIs() override;
};
