// GxTaskUITimerButtonIs (UI type 23): a charging image button. Every update its value moves by
// m_AutoCountUpValue within [m_Min, m_Max], a "_mid.png" fill grows from the left with the
// progress, and the button takes a press only while its value meets m_AutoEnableMode (1 charged,
// 2 empty, 3 not charged, 4 not empty, any other always). It reports 1, 7 and 8 as the image
// button; a change of its value reports nothing.
#pragma once

#include "ui/ui_button.h"

#include <cstdint>

constexpr std::int32_t kUITypeTimerButton = 23;

// Extra cell slots of the timer button, after the image button's four.
constexpr std::int32_t kTimerImageBack = 4;     // "_back.png"
constexpr std::int32_t kTimerImageBackNa = 5;   // "_backna.png", while not enabled
constexpr std::int32_t kTimerImageFill = 6;     // "_mid.png"

struct GxNcPattern;

// Where a fill pattern goes so that it starts at the client rectangle's top left: the widget's
// position plus the client offset, less the pattern's own crammed offset.
GxVector3 FillOrigin(const GxVector3& position, std::int32_t clientLeft, std::int32_t clientTop,
                     const GxNcPattern& pattern);
// The fill's cut: from the client top left, `filledWidth` wide and the client height high (held
// within the 32-bit range for any saved sizes).
GxRect FillClip(std::int32_t clientLeft, std::int32_t clientTop, std::int32_t filledWidth, std::int32_t clientHeight);

class GxTaskUITimerButtonIs : public GxTaskUIButtonIs {
public:
    GxTaskUITimerButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                          std::int32_t localIndex);
    ~GxTaskUITimerButtonIs() override;

    // The image button's update, then the value moves by m_AutoCountUpValue (per update, not
    // scaled by time).
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // Background, the fill clipped to the progress, then the face.
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The image button's state, then "m_AutoEnableMode" and "m_AutoCountUpValue".
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    // "_off", "_on", "_over", "_na", "_back", "_backna", "_mid" into slots 0 to 6.
    bool LoadImages() override;
    void SetValueBool(bool value) override { SetValue(value ? 1.0 : 0.0); }
    void SetValueInt(std::int32_t value) override { SetValue(static_cast<double>(value)); }
    // Clamped to the range.
    void SetValue(double value) override;
    // The new bound, then the value brought into the range.
    void SetMax(double max) override;
    void SetMin(double min) override;
    // As the image button's (without the key flags), only while auto-enabled.
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    virtual bool IsAutoEnabled() const;

    // (value - min) / (max - min); 0 when max equals min.
    double GetProgress() const;

    std::int32_t m_AutoEnableMode = 1;
    double m_AutoCountUpValue = 0.0;
};
