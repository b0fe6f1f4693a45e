// Shared pieces of the widget tests: a recording widget, a log capture and the harness fixture.
#pragma once

#include "core/task_manage.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui_test {

// Keeps the error lines logged while it lives, as UTF-8.
class LogCapture : public GxDebugListenerBase {
public:
    LogCapture() { LogSetSink(this); }
    ~LogCapture() override { LogSetSink(nullptr); }
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError)
            m_Errors.push_back(WideToUtf8(text));
        else if (level == kLevelWarning)
            m_Warnings.push_back(WideToUtf8(text));
        return 0;
    }
    std::vector<std::string> m_Errors;
    std::vector<std::string> m_Warnings;
};

// A widget that notes its virtual calls and, when asked, fills its bounds through the seam.
class RecordingWidget : public GxTaskUIBase {
public:
    static constexpr std::int32_t kType = 33;   // a code no widget class uses

    RecordingWidget(GxTaskBase* parent, const char16_t* name, const char16_t* localName = nullptr,
                    std::int32_t index = 0)
        : GxTaskUIBase(parent, name, localName, index)
    {
        m_TaskType = kType;
    }
    static GxTaskUIBase* Make(GxTaskBase* owner, const char16_t* name, const char16_t* localName, std::int32_t index)
    {
        return new RecordingWidget(owner, name, localName, index);
    }

    bool SetImageName(const char16_t*) override { return Note("SetImageName"), true; }
    bool LoadImages() override { return Note("LoadImages"), true; }
    void ReleaseImages() override { Note("ReleaseImages"); }
    void ResetEventState() override
    {
        Note("ResetEventState");
        if (m_Journal)
            m_Journal->push_back(WideToUtf8(GetTaskName().empty() ? GetTaskLocalName() : GetTaskName()));
        GxTaskUIBase::ResetEventState();
    }
    void SetMax(double v) override { Note("SetMax " + std::to_string(static_cast<int>(v))), GxTaskUIBase::SetMax(v); }
    void SetMin(double v) override { Note("SetMin " + std::to_string(static_cast<int>(v))), GxTaskUIBase::SetMin(v); }
    void SetValueInt(std::int32_t v) override { Note("SetValueInt " + std::to_string(v)), GxTaskUIBase::SetValueInt(v); }
    void SetValue(double v) override { Note("SetValue"), GxTaskUIBase::SetValue(v); }
    void SetText(const char16_t* t) override { Note("SetText " + WideToUtf8(t)), GxTaskUIBase::SetText(t); }
    void SetValueBool(bool v) override { Note(v ? "SetValueBool true" : "SetValueBool false"), GxTaskUIBase::SetValueBool(v); }
    void ApplyModuleRecord(const DBUIModuleRow* row) override
    {
        Note("ApplyModuleRecord");
        GxTaskUIBase::ApplyModuleRecord(row);
    }
    int Draw(std::int32_t, std::int32_t) override
    {
        if (!m_Fill)
            return 0;
        const GxVector3 at = GetAbsolutePosition();
        GetWidgetGraphics()->DrawColorRect(GxFRect{at.x, at.y, at.x + m_Width, at.y + m_Height},
                                           GetDrawColor(m_FillRgb), 1);
        return 0;
    }

    void Note(const std::string& call) { m_Calls.push_back(call); }

    std::vector<std::string> m_Calls;
    std::vector<std::string>* m_Journal = nullptr;   // names of the widgets reset, shared
    bool m_Fill = false;
    std::uint32_t m_FillRgb = 0xFFFFFF;
};

class UIHarnessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Harness.Ok()); }

    GxTaskManage& Manage() { return m_Harness.Manage(); }
    UITestScreen* Screen() { return m_Harness.Screen(); }

    UIHarness m_Harness;
};

}  // namespace ui_test
