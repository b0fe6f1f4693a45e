#include "platform/d3d9/presenter.h"

#include "platform/d3d9/trace.h"
#include "platform/win32/window.h"

#include <SDL.h>

#include <cstring>

namespace platform::d3d9 {

namespace {

bool VideoShowsNothing()
{
    const char* driver = SDL_GetCurrentVideoDriver();   // null until SDL video is initialised
    return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

Uint32 SdlFormatOf(D3DFORMAT format)
{
    // Alpha is not shown: a window has none.
    switch (format) {
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8: return SDL_PIXELFORMAT_RGB888;
    case D3DFMT_R5G6B5: return SDL_PIXELFORMAT_RGB565;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: return SDL_PIXELFORMAT_RGB555;
    case D3DFMT_A2R10G10B10: return SDL_PIXELFORMAT_ARGB2101010;
    default: return SDL_PIXELFORMAT_UNKNOWN;
    }
}

SDL_Rect ToSdlRect(const RECT& rect)
{
    return SDL_Rect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

SDL_Window* FindPresentWindow(HWND window)
{
    if (!window || VideoShowsNothing()) return nullptr;
    return platform::GetSdlWindow(window);
}

// The renderer and the streaming texture of one window. A renderer the window already had is
// used but not owned.
struct Presenter::Sdl {
    Uint32 windowId = 0;
    SDL_Renderer* renderer = nullptr;
    bool ownsRenderer = false;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    Uint32 textureFormat = SDL_PIXELFORMAT_UNKNOWN;

    ~Sdl() { Drop(); }

    void Drop()
    {
        // When the window is gone SDL has already taken its renderer with it.
        const bool windowAlive = windowId != 0 && SDL_GetWindowFromID(windowId) != nullptr;
        if (windowAlive) {
            if (texture) SDL_DestroyTexture(texture);
            if (renderer && ownsRenderer) SDL_DestroyRenderer(renderer);
        }
        texture = nullptr;
        renderer = nullptr;
        ownsRenderer = false;
        windowId = 0;
        textureWidth = textureHeight = 0;
        textureFormat = SDL_PIXELFORMAT_UNKNOWN;
    }

    bool Attach(SDL_Window* window)
    {
        const Uint32 id = SDL_GetWindowID(window);
        if (renderer && id == windowId) return true;
        Drop();
        windowId = id;
        renderer = SDL_GetRenderer(window);
        if (!renderer) {
            renderer = SDL_CreateRenderer(window, -1, 0);
            if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
            ownsRenderer = renderer != nullptr;
        }
        if (!renderer) {
            Trace("Present: no SDL renderer for the window (%s)", SDL_GetError());
            windowId = 0;
            return false;
        }
        return true;
    }

    bool EnsureTexture(int width, int height, Uint32 format)
    {
        if (texture && width == textureWidth && height == textureHeight && format == textureFormat) return true;
        if (texture) SDL_DestroyTexture(texture);
        texture = SDL_CreateTexture(renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture) {
            Trace("Present: no SDL texture (%s)", SDL_GetError());
            textureWidth = textureHeight = 0;
            return false;
        }
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
        textureWidth = width;
        textureHeight = height;
        textureFormat = format;
        return true;
    }
};

Presenter::Presenter() : m_Sdl(std::make_unique<Sdl>()) {}

Presenter::~Presenter() = default;

void Presenter::Present(const PixelStore& backBuffer, HWND window, const RECT* source, const RECT* dest)
{
    ++m_PresentCount;
    SDL_Window* sdlWindow = FindPresentWindow(window);
    if (!sdlWindow || !m_Sdl->Attach(sdlWindow)) return;   // headless: the back buffer stays readable
    const Uint32 format = SdlFormatOf(backBuffer.Format());
    if (format == SDL_PIXELFORMAT_UNKNOWN) return;
    if (!m_Sdl->EnsureTexture(static_cast<int>(backBuffer.Width()), static_cast<int>(backBuffer.Height()), format))
        return;
    // The one copy of the frame: the upload. Scaling to the client area happens in the renderer.
    SDL_UpdateTexture(m_Sdl->texture, nullptr, backBuffer.Bits(), backBuffer.Pitch());
    SDL_Rect sourceRect;
    SDL_Rect destRect;
    if (source) sourceRect = ToSdlRect(*source);
    if (dest) {
        destRect = ToSdlRect(*dest);
        SDL_SetRenderDrawColor(m_Sdl->renderer, 0, 0, 0, 255);
        SDL_RenderClear(m_Sdl->renderer);
    }
    SDL_RenderCopy(m_Sdl->renderer, m_Sdl->texture, source ? &sourceRect : nullptr, dest ? &destRect : nullptr);
    SDL_RenderPresent(m_Sdl->renderer);
}

void Presenter::ApplyDisplayMode(HWND window, bool windowed)
{
    SDL_Window* sdlWindow = FindPresentWindow(window);
    if (!sdlWindow) return;
    // Desktop full screen: the back buffer is stretched over the whole screen, so client
    // pixels still map linearly onto it.
    const Uint32 wanted = windowed ? 0u : static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP);
    const Uint32 current = SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (current != wanted && SDL_SetWindowFullscreen(sdlWindow, wanted) != 0)
        Trace("could not switch the window %s (%s)", windowed ? "to windowed" : "to full screen", SDL_GetError());
}

bool Presenter::IsMinimised(HWND window) const
{
    SDL_Window* sdlWindow = FindPresentWindow(window);
    return sdlWindow && (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MINIMIZED);
}

}  // namespace platform::d3d9
