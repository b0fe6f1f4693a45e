// GxTaskUIToggleButtonIs (UI type 19) and GxTaskUIRadioButtonIs (UI type 20): image buttons with
// an on/off value (m_Value through GetValueBool) that chooses between the off cells ("_off",
// "_over", "_na") and the on cells ("_on", "_onover", "_onna"). A click flips a toggle, or
// selects a radio button and switches off the radio buttons of its group under the same parent,
// before event 1 is reported. There is no pressed look.
#pragma once

#include "ui/ui_button.h"

constexpr std::int32_t kUITypeToggleButton = 19;
constexpr std::int32_t kUITypeRadioButton = 20;

class GxTaskUIToggleButtonIs : public GxTaskUIButtonIs {
public:
    GxTaskUIToggleButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                           std::int32_t localIndex);
    ~GxTaskUIToggleButtonIs() override;

    // The image index follows the value, the hover and the gate here, not in Update.
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The button's state, then "m_AutoToggleFlag".
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    // Six cells, each missing one falling back in a fixed order (see the source).
    bool LoadImages() override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    virtual bool SetAutoToggleFlag(bool flag)
    {
        m_AutoToggleFlag = flag;
        return flag;
    }
    virtual bool GetAutoToggleFlag() const { return m_AutoToggleFlag; }

    bool m_AutoToggleFlag = true;

protected:
    // The on and off looks Draw shows: the pressed look never, the hover look with the gate open.
    std::int32_t DrawnLookOf(std::int32_t index, bool open) const override;

    // What a click does to the value when m_AutoToggleFlag is set.
    virtual void ApplyClick();
};

class GxTaskUIRadioButtonIs : public GxTaskUIToggleButtonIs {
public:
    GxTaskUIRadioButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                          std::int32_t localIndex);
    ~GxTaskUIRadioButtonIs() override;

    // Every radio button (type 20) of this group under the same parent off, hidden and disabled
    // ones too, then this one on. No event for any of them. Always true.
    virtual bool Select();

protected:
    void ApplyClick() override { Select(); }
};
