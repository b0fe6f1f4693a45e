// GxTaskUIAutoHidePanelFx (UI type 12): an image panel whose alpha follows the pointer. In mode
// 1 it fades out by 32 a frame while the pointer is over its client rectangle and back in when it
// leaves; mode 2 is the reverse; any other mode leaves the alpha alone. Its update is the widget
// base's only, so it never reports the pointer leaving and shows no automatic help.
#pragma once

#include "ui/ui_panel.h"

constexpr std::int32_t kUITypeAutoHidePanelFx = 12;

class GxTaskUIAutoHidePanelFx : public GxTaskUIPanelFx {
public:
    GxTaskUIAutoHidePanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                            std::int32_t localIndex);
    ~GxTaskUIAutoHidePanelFx() override;

    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // The widget base's state, then "m_AutoHideMode".
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;

    std::int32_t m_AutoHideMode = 1;
};
