// GxTaskUINull (UI type 1): a widget with no behaviour of its own, and no images. A screen uses
// one as an invisible widget through which it reports UI events.
#pragma once

#include "ui/task_ui_base.h"

constexpr std::int32_t kUITypeNull = 1;

class GxTaskUINull : public GxTaskUIBase {
public:
    GxTaskUINull(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUINull() override;

    bool SetImageName(const char16_t*) override { return true; }
    bool LoadImages() override { return true; }
    void ReleaseImages() override {}
};
