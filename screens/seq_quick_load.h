// SeqQuickLoad: restores the quick-saved game and resumes it. It waits 31 updates after entering
// (the play screen's fade settles), then on every update while it stays loads the quick save when
// there is one and asks the core to resume the sequence the game data names. A quick save that
// cannot be read whole is logged by the game data reader; the resume still follows.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>

class SeqQuickLoad : public GxScreenBase {
public:
    explicit SeqQuickLoad(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    // Loads the quick save when it opens for reading; nothing, silently, when it does not.
    virtual void QuickLoad();
};
