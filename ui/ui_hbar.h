// GxTaskUIHBarIs (UI type 41): a horizontal gauge of three cells of an image set. The back cell
// is drawn whole, the middle cell clipped from the left to the part of the client width that the
// value takes of its range, the top cell whole over both. The value moves at once or glides from
// the shown value to a new one over some milliseconds. The bar reports the pointer entering (7)
// and leaving (8) it and a click (1), and never consumes a click.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>

struct GxNcOriginImage;

constexpr std::int32_t kUITypeHBar = 41;

class GxTaskUIHBarIs : public GxTaskUIBase {
public:
    GxTaskUIHBarIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIHBarIs() override;

    // The base update, the glide's time, then event 8 once the pointer has left the bounds (not
    // while a drag holds the press). No automatic help.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The widget's state, then "m_ImageName", "m_ImageSetName", "m_ImageIndex", "m_PatternIndex",
    // "m_OldValue", "m_ChangeTimeLeft", "m_ChangeTimeTotal".
    bool WriteState(GxContentWriterBase& writer) override;
    // As written; then the cells are forgotten and the event state reset.
    bool ReadState(GxContentReaderBase& reader) override;
    // The set: the UI image-set folder, the row's ImageSetName and ".gis"; the row's ImageName.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // "folder/set/name": the set "folder/set.gis", the cells' stem "name".
    bool SetImageName(const char16_t* path) override;
    // "_on" (else "_off") on top, "_mid" clipped (required), "_back" below, from the pooled set.
    bool LoadImages() override;
    void ReleaseImages() override;
    // Clamped to the range; any glide ends.
    void SetValueBool(bool value) override { SetValue(value ? 1.0 : 0.0); }
    void SetValueInt(std::int32_t value) override { SetValue(static_cast<double>(value)); }
    void SetValue(double value) override;
    // The new bound, then the value and the glide's start brought into the range.
    void SetMax(double max) override;
    void SetMin(double min) override;

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    virtual void SetValueIntGlide(std::int32_t value, std::int32_t milliseconds)
    {
        SetValueGlide(static_cast<double>(value), milliseconds);
    }
    // Clamped like SetValue; the bar glides there from the value shown now over `milliseconds`
    // (0 or less: at once).
    virtual void SetValueGlide(double value, std::int32_t milliseconds);
    virtual void FinishGlide();
    virtual bool IsGliding() const { return m_ChangeTimeLeft > 0; }
    virtual std::int32_t GetImageIndex() const { return m_ImageIndex; }
    virtual void SetPatternIndex(std::int32_t index) { m_PatternIndex = index; }
    virtual std::int32_t GetPatternIndex() const { return m_PatternIndex; }
    // The middle cell's pattern count; 0 without one.
    virtual std::int32_t GetPatternCount() const;

    // The value the bar shows now: between the glide's start and the value while a glide runs.
    double GetShownValue() const;
    // Pixels of the client width the middle cell fills at the shown value.
    std::int32_t GetFilledWidth() const;
    const GxNcOriginImage* GetTopCell() const { return m_TopCell; }
    const GxNcOriginImage* GetMiddleCell() const { return m_MiddleCell; }
    const GxNcOriginImage* GetBackCell() const { return m_BackCell; }

    std::u16string m_ImageName;
    std::u16string m_ImageSetName;
    std::int32_t m_ImageIndex = 0;
    std::int32_t m_PatternIndex = 0;
    double m_OldValue = 0.0;
    std::int32_t m_ChangeTimeLeft = 0;    // milliseconds
    std::int32_t m_ChangeTimeTotal = 0;   // milliseconds; 0: no glide

private:
    double Clamped(double value) const;
    bool IsGlideRunning() const { return m_ChangeTimeTotal > 0 && m_ChangeTimeLeft != 0; }

    // Owned by the pooled set.
    GxNcOriginImage* m_TopCell = nullptr;
    GxNcOriginImage* m_MiddleCell = nullptr;
    GxNcOriginImage* m_BackCell = nullptr;
};
