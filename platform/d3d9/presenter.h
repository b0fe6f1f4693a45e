// Shows a back buffer: in the SDL window behind the window handle, stretched to its client
// area, through the renderer the window layer gave the window (one upload per present) or, with
// no GPU, by a copy into the window's surface; or, headless (no such window, or SDL's dummy or
// offscreen video driver), nothing at all: the back buffer stays readable.
#pragma once

#include "platform/d3d9/pixel_store.h"

#include <cstdint>
#include <memory>

struct SDL_Window;

namespace platform::d3d9 {

// The SDL window behind a handle, or null when there is none or the video driver shows
// nothing (dummy, offscreen).
SDL_Window* FindPresentWindow(HWND window);

class Presenter {
public:
    Presenter();
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // `source` is in back-buffer pixels, `dest` in client pixels; null means the whole area.
    void Present(const PixelStore& backBuffer, HWND window, const RECT* source, const RECT* dest);
    // Desktop full screen (the back buffer is stretched over it) or back to a window.
    void ApplyDisplayMode(HWND window, bool windowed);
    bool IsMinimised(HWND window) const;
    std::uint64_t PresentCount() const { return m_PresentCount; }

private:
    struct Sdl;
    std::unique_ptr<Sdl> m_Sdl;
    std::uint64_t m_PresentCount = 0;
};

}  // namespace platform::d3d9
