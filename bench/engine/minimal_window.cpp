// The reference of engine_bench: the least an SDL program does to show a picture. It opens a
// window, presents one cleared frame through a renderer, writes the same first-frame mark as the
// engine, then waits for events until it is told to stop.
#include <SDL.h>

#include <chrono>
#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t g_Stop = 0;

void OnStop(int)
{
    g_Stop = 1;
}

}  // namespace

int main(int, char**)
{
    const auto start = std::chrono::steady_clock::now();
    std::signal(SIGTERM, OnStop);
    std::signal(SIGINT, OnStop);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "minimal_window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("minimal", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1024, 768, 0);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (!renderer) {
        std::fprintf(stderr, "minimal_window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::fprintf(stderr, "tarnwick-mark %lld first-frame\n", static_cast<long long>(since.count()));
    std::fflush(stderr);
    SDL_Event event;
    while (!g_Stop) {
        if (SDL_WaitEventTimeout(&event, 100) && event.type == SDL_QUIT)
            break;
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
