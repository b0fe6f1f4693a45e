// GxTaskUIPressButtonIs (UI type 22): an image button that repeats while held. After a press on
// it, every m_EventIntervalFrame updates (the first in the update right after the press) it
// reports event 16 and counts the repeats in its value, until a left button release reaches it,
// wherever the pointer is. The value is 0 again after the release.
#pragma once

#include "ui/ui_button.h"

#include <cstdint>

constexpr std::int32_t kUITypePressButton = 22;

class GxTaskUIPressButtonIs : public GxTaskUIButtonIs {
public:
    GxTaskUIPressButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                          std::int32_t localIndex);
    ~GxTaskUIPressButtonIs() override;

    // The image button's update with the gate tested first for the image, then the repeat.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // The image button's state, then "m_EventIntervalFrame".
    bool WriteState(GxContentWriterBase& writer) override;
    // As written; a repeat in progress ends and the value is 0.
    bool ReadState(GxContentReaderBase& reader) override;

    // Event 1 (without the key flags) and the repeat starts; the value changes in the updates.
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    // Every release that reaches it ends the repeat; never consumed.
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t keys) override;

    bool IsRepeating() const { return m_Repeating; }
    std::int32_t GetPressFrame() const { return m_PressFrame; }

    std::int32_t m_EventIntervalFrame = 1;   // updates between repeats; 0 or less: no repeats

private:
    void EndRepeat();

    std::int32_t m_PressFrame = -1;   // the update count at the press; -1 when not pressed
    bool m_Repeating = false;
};
