#include "platform/d3d9/presenter.h"

#include "platform/d3d9/trace.h"
#include "platform/win32/present_target.h"
#include "platform/win32/window.h"

#include <SDL.h>

#include <cstring>

namespace platform::d3d9 {

namespace {

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
    if (!window || platform::VideoShowsNothing()) return nullptr;
    return platform::GetSdlWindow(window);
}

// The renderer and the streaming texture of one window, when the window layer gave it a
// renderer (a real GPU); else the window's surface is written (see present_target.h). The
// renderer belongs to the window.
struct Presenter::Sdl {
    Uint32 windowId = 0;
    SDL_Renderer* renderer = nullptr;
    bool throughSurface = false;
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
        }
        texture = nullptr;
        renderer = nullptr;
        throughSurface = false;
        windowId = 0;
        textureWidth = textureHeight = 0;
        textureFormat = SDL_PIXELFORMAT_UNKNOWN;
    }

    bool Attach(SDL_Window* window)
    {
        const Uint32 id = SDL_GetWindowID(window);
        if (windowId != 0 && id == windowId) return true;
        Drop();
        windowId = id;
        // Never a renderer of our own: making one now would make SDL re-create the shown window.
        renderer = SDL_GetRenderer(window);
        throughSurface = renderer == nullptr;
        return true;
    }

    // The back buffer copied (and stretched, nearest texel) into the window's surface.
    void PresentThroughSurface(SDL_Window* window, const PixelStore& backBuffer, Uint32 format, const RECT* source,
                               const RECT* dest)
    {
        SDL_Surface* target = SDL_GetWindowSurface(window);
        if (!target) {
            Trace("Present: no window surface (%s)", SDL_GetError());
            return;
        }
        SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<void*>(static_cast<const void*>(backBuffer.Bits())), static_cast<int>(backBuffer.Width()),
            static_cast<int>(backBuffer.Height()), SDL_BITSPERPIXEL(format), static_cast<int>(backBuffer.Pitch()),
            format);
        if (!frame) {
            Trace("Present: no surface for the back buffer (%s)", SDL_GetError());
            return;
        }
        SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
        SDL_Rect sourceRect = source ? ToSdlRect(*source) : SDL_Rect{0, 0, frame->w, frame->h};
        SDL_Rect destRect = dest ? ToSdlRect(*dest) : SDL_Rect{0, 0, target->w, target->h};
        if (dest) SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        if (sourceRect.w == destRect.w && sourceRect.h == destRect.h)
            SDL_BlitSurface(frame, &sourceRect, target, &destRect);
        else
            SDL_BlitScaled(frame, &sourceRect, target, &destRect);
        SDL_FreeSurface(frame);
        SDL_UpdateWindowSurface(window);
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
    if (m_Sdl->throughSurface) {
        m_Sdl->PresentThroughSurface(sdlWindow, backBuffer, format, source, dest);
        return;
    }
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
