// SeqOpening: plays the game's opening movie full screen on its background layer and goes on to
// the title when the movie ends or the player clicks (left or right). The movie is opened on
// entering and started by the first update; a missing file plays nothing, so the second update
// finds no movie playing and the title follows.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>

class GxTaskUIBase;

class SeqOpening : public GxScreenBase {
public:
    explicit SeqOpening(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int Update(std::int32_t step, std::uint64_t elapsed) override;

    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    // Event 1 (left click) goes through the base handler first; event 2 (right click) skips it
    // and plays no sound. Either from the click widget changes to the title.
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;
    int OnUIEventCode2(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    GxTaskUIBase* GetEventCaller() const { return m_EventCaller; }

private:
    GxTaskUIBase* m_EventCaller = nullptr;
};
