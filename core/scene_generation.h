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

// A rectangle of the virtual screen, right and bottom exclusive.
struct GxSceneRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

class GxSceneGeneration {
public:
    // The picture may have changed since the last frame was composed, anywhere.
    static void Touch()
    {
        ++s_Generation;
        s_Anywhere = true;
    }
    // The picture may have changed inside `rect` only (what changed there covers it before and
    // after the change): a frame whose changes all say where may compose only their union over
    // the picture kept from the last frame. An empty rectangle is a change anywhere.
    static void TouchRect(const GxSceneRect& rect)
    {
        ++s_Generation;
        if (rect.right <= rect.left || rect.bottom <= rect.top) {
            s_Anywhere = true;
            return;
        }
        if (!s_HasRect) {
            s_Changed = rect;
            s_HasRect = true;
            return;
        }
        s_Changed.left = rect.left < s_Changed.left ? rect.left : s_Changed.left;
        s_Changed.top = rect.top < s_Changed.top ? rect.top : s_Changed.top;
        s_Changed.right = rect.right > s_Changed.right ? rect.right : s_Changed.right;
        s_Changed.bottom = rect.bottom > s_Changed.bottom ? rect.bottom : s_Changed.bottom;
    }
    static std::uint64_t Get() { return s_Generation; }
    // The changes since the last call: true, with their union in `rect`, when every one of them
    // said where; false after any change anywhere (or none).
    static bool TakeChangedRect(GxSceneRect* rect)
    {
        const bool confined = s_HasRect && !s_Anywhere;
        if (confined && rect != nullptr)
            *rect = s_Changed;
        s_HasRect = false;
        s_Anywhere = false;
        return confined;
    }

private:
    static inline std::uint64_t s_Generation = 1;
    static inline bool s_Anywhere = true;
    static inline bool s_HasRect = false;
    static inline GxSceneRect s_Changed;
};
