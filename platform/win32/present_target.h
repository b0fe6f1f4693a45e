// What shows a window's frames, chosen when the window is made and before it is ever shown, so
// that SDL never has to re-create (and re-map) the window for a renderer later: a renderer where
// a real GPU draws, else the window's own surface (a shared-memory image on X11), which costs
// neither a software GL stack nor its threads.
#pragma once

struct SDL_Window;

namespace platform {

// Readies the window's presentation; nothing for a video driver that shows nothing.
void PreparePresentTarget(SDL_Window* window);
// Whether the video driver shows nothing (none started, dummy or offscreen).
bool VideoShowsNothing();

}  // namespace platform
