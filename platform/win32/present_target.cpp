#include "platform/win32/present_target.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace platform {

namespace {

bool EnvironmentSaysSoftware()
{
    const char* always = std::getenv("LIBGL_ALWAYS_SOFTWARE");
    if (always && *always && std::strcmp(always, "0") != 0) return true;
    const char* gallium = std::getenv("GALLIUM_DRIVER");
    return gallium && (std::strcmp(gallium, "llvmpipe") == 0 || std::strcmp(gallium, "softpipe") == 0 ||
                       std::strcmp(gallium, "swrast") == 0);
}

// A GPU is there to render only through a DRM render node; without one, GL is Mesa's software
// rasterizer, a second copy of work our own rasterizer already did.
bool HasRenderNode()
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
    }
    return false;
}

bool IsSoftwareRendererName(const char* name)
{
    if (!name) return true;
    const std::string text = name;
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "Software", "software"})
        if (text.find(word) != std::string::npos) return true;
    return false;
}

// The GL renderer string of the renderer's current context, when it is a GL one.
const char* GlRendererName(SDL_Renderer* renderer)
{
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name) return nullptr;
    if (std::strncmp(info.name, "opengl", 6) != 0) return info.name;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int kGlRenderer = 0x1F01;
    return getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
}

}  // namespace

bool VideoShowsNothing()
{
    const char* driver = SDL_GetCurrentVideoDriver();   // null until SDL video is initialised
    return !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

void PreparePresentTarget(SDL_Window* window)
{
    if (!window || VideoShowsNothing()) return;
    if (HasRenderNode() && !EnvironmentSaysSoftware()) {
        if (SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED)) {
            if (!IsSoftwareRendererName(GlRendererName(renderer))) return;
            SDL_DestroyRenderer(renderer);
        }
    }
    // SDL would otherwise back the window surface with a renderer of its own.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!SDL_GetWindowSurface(window))
        std::fprintf(stderr, "[platform] no surface for the window: %s\n", SDL_GetError());
}

}  // namespace platform
