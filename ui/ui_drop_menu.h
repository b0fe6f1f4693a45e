// GxTaskUIDropMenuIs (UI type 48): the modal container of a drop-down list. It draws nothing. It
// starts closed (inactive); the screen that uses it opens it (activates it, raises its modal
// priority, counts it as an open dialog). While open, any left or right press that reaches it
// closes it: the listed entries slide to the origin over 150 ms, then timed actions deactivate
// its children and the menu. The press always goes on to the tasks behind.
#pragma once

#include "ui/task_ui_base.h"

#include <vector>

constexpr std::int32_t kUITypeDropMenu = 48;
// How long each closing step lasts, in milliseconds.
constexpr std::int32_t kDropMenuCloseTime = 150;

class GxTaskUIDropMenuIs : public GxTaskUIBase {
public:
    GxTaskUIDropMenuIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIDropMenuIs() override;

    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t, std::int32_t) override { return 0; }
    // Only the event state; hover and help counters stay.
    void ResetEventState() override;
    bool SetImageName(const char16_t*) override { return true; }
    bool LoadImages() override { return true; }
    void ReleaseImages() override {}

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    // The entries that slide away when the menu closes; not owned.
    void AddItem(GxTaskUIBase* item) { m_Items.push_back(item); }
    void ClearItemList() { m_Items.clear(); }
    const std::vector<GxTaskUIBase*>& GetItems() const { return m_Items; }
    void SetOpenFlag(bool open) { m_OpenFlag = open; }
    bool GetOpenFlag() const { return m_OpenFlag; }

    // The closing steps, for a press that passed the input gate.
    void Close();

private:
    int OnPress();

    std::vector<GxTaskUIBase*> m_Items;
    bool m_OpenFlag = false;
};
