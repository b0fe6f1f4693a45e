// SeqTitle: the title screen and the hub of the screens outside play. Entering shows the title
// background and the buttons' image set, clears the user notices, resets the game state (sounds
// keep playing), calls the modules' boot/title hook, starts the title music unless it already
// plays, enables the extra button by the persistent flag and plays the title call when coming
// from the boot screens or from a running game. Its buttons lead to a new game, the load screen,
// the galleries, the configuration, the extra scenario, the debug screen and the shut-down
// question.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>
#include <string>

class SeqTitle : public GxScreenBase {
public:
    explicit SeqTitle(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;

protected:
    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;

private:
    void StartTitleMusic();
    void StartNewGame();

    // The image set added on entering, released on leaving (empty while none is held).
    std::u16string m_ImageSetPath;
};
