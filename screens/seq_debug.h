// SeqDebug: the authors' screen for starting the play screen at any label of the compiled
// program, or opening a label's line in the text editor. The script list holds the program's
// scripts; choosing one lists its labels by line; the run and edit buttons act on the chosen
// label and are enabled only while one is chosen.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>
#include <string>

class GxTaskUIListBoxFx;

class SeqDebug : public GxScreenBase {
public:
    explicit SeqDebug(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    // A list's choice: the script list's fills the label list.
    int OnUIEventCode15(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    // The script list again from the running program (the constructor's fill).
    void FillScriptList();

protected:
    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;

private:
    GxTaskUIListBoxFx* FindList(const char16_t* name) const;
    void FillLabelList(const std::u16string& script);
    void UpdateLabelButtons();
    void RunLabel();
    void EditLabel();

    std::u16string m_ImageSetPath;
};
