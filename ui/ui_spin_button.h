// GxTaskUISpinButtonIs (UI type 24): a number field with buttons, four image parts in a row:
// clear, a background showing the value as text (system bitmap font 0), down and up. A press on
// down or up steps the value by m_Change in the next update and again every 7 updates while the
// left button is held, by 10 after the first ten steps; clear sets 0. The value stays within
// [m_Min, m_Max]. It carries the button flag (the screens play its sound) but reports no 7 or 8,
// shows no automatic help and saves nothing beyond the widget's state.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>

struct GxNcOriginImage;

constexpr std::int32_t kUITypeSpinButton = 24;

class GxTaskUISpinButtonIs : public GxTaskUIBase {
public:
    // The parts; down, up and clear are buttons, the background only shows the value.
    enum Part : std::int32_t { kDown, kUp, kClear, kBack, kPartCount };
    // The cells of a button part.
    enum Look : std::int32_t { kNormal, kPressed, kHover, kDisabled, kLookCount };

    // Updates between two steps of a held button, the steps made with m_Change before the fast
    // step takes over, and the fast step.
    static constexpr std::int32_t kRepeatInterval = 7;
    static constexpr std::int32_t kFastStepThreshold = 10;
    static constexpr double kFastStep = 10.0;
    static constexpr double kClearValue = 0.0;
    // Updates the clear part shows pressed.
    static constexpr std::int32_t kClearHoldFrames = 15;

    struct PartState {
        std::int32_t m_PressFrame = -1;   // the update count at the press; -1 when not pressed
        bool m_Pressed = false;
        std::int32_t m_HoldCounter = 0;
        std::int32_t m_RepeatCount = 0;   // steps since the press

        void Reset() { *this = PartState(); }
    };

    GxTaskUISpinButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex);
    ~GxTaskUISpinButtonIs() override;

    // Steps a held down or up part on its update counts, or applies a clear press.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The base's; the update count and every part state start afresh.
    void ResetEventState() override;
    // The base's, then the image set (UI image-set folder + ImageSetName + ".gis") and ImageName.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // "folder/set/name": cells name + suffix of the set "folder/set.gis".
    bool SetImageName(const char16_t* path) override;
    // "_down_*", "_up_*", "_clear_*" (off, on, over, na), "_back", "_backna" from the pooled set;
    // the down and up normal cells are required.
    bool LoadImages() override;
    void ReleaseImages() override;
    void SetValueBool(bool value) override { SetValue(value ? 1.0 : 0.0); }
    void SetValueInt(std::int32_t value) override { SetValue(static_cast<double>(value)); }
    // Clamped to the range.
    void SetValue(double value) override;
    void SetMax(double max) override;
    void SetMin(double min) override;

    // A press on down, up or clear (in that order): event 1; the value changes in the updates.
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    // Every release that reaches it ends a down or up hold; never consumed.
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t keys) override;

    // The part's left edge from the widget's x, and its size.
    float GetPartLeft(Part part) const;
    float GetPartWidth(Part part) const { return m_PartWidths[part]; }
    float GetPartHeight(Part part) const { return m_PartHeights[part]; }
    const PartState& GetPartState(Part part) const { return m_PartStates[part]; }
    // Background cells: kNormal "_back.png", kDisabled "_backna.png"; null for the others.
    const GxNcOriginImage* GetCell(Part part, Look look) const;

    std::u16string m_ImageName;
    std::u16string m_ImageSetName;

private:
    // (x, y) on a button part: left and top edges inside, right and bottom outside.
    bool IsOnPart(Part part, const GxVector3& origin, float x, float y) const;
    // One step of a held down or up part on its update counts.
    void StepHeld(Part part, double sign);
    // Event 16 when the value moved away from `old`.
    void ReportChangeFrom(double old);
    // The cell each part shows now.
    const GxNcOriginImage* ShownCell(Part part, bool open, const GxVector2& cursor, const GxVector3& origin) const;

    // Owned by the pooled set: the looks of down, up and clear, and the two background cells.
    GxNcOriginImage* m_Cells[kPartCount][kLookCount] = {};
    float m_PartWidths[kPartCount] = {};
    float m_PartHeights[kPartCount] = {};
    PartState m_PartStates[3];
    std::u16string m_ValueFormat = u"%.0f";
};
