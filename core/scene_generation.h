// GxSceneGeneration: one counter that moves whenever the picture on screen may change, so that
// the frame can leave an unchanged picture alone (no drawing of the render lists, no present).
//
// The rule: whatever changes what a task's Draw would put on the screen, other than which tasks
// are queued in the render lists and in what order (the frame compares those itself), calls
// Touch in the same frame. Today that is: an actor's visual parameters, its running actions other
// than plain waits and every action's end (task_actor), a layer's contents, fades, shakes and
// movies (task_layer), a screen's own drawing (screens: GxScreenBase::AddDrawnState), screen
// transitions
// (seq_transit_base), tasks made or deleted and sequence switches (task_base, task_manage), a
// device reset or screen-mode change and the window being exposed or resized (core).
// A new kind of drawing task (text, widgets, effects, movies, anything a later subsystem draws)
// must Touch whenever its own drawn state changes: a changed text, a revealed character, a
// moved cursor, a played frame. When in doubt, Touch: a spare present costs one frame's drawing,
// a missing one leaves a stale picture.
#pragma once

#include <cstdint>

class GxSceneGeneration {
public:
    // The picture may have changed since the last frame was composed.
    static void Touch() { ++s_Generation; }
    static std::uint64_t Get() { return s_Generation; }

private:
    static inline std::uint64_t s_Generation = 1;
};
