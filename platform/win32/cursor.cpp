#include "platform/win32/cursor.h"

#include "platform/win32/file.h"
#include "platform/win32/window_registry.h"

#include <SDL.h>

#include <mutex>

namespace {

constexpr DWORD kErrorInvalidCursorHandle = 1402;

struct SystemCursor {
    WORD id;
    SDL_SystemCursor shape;
    SDL_Cursor* sdlCursor = nullptr;   // made on first use; kept for the process
    bool tried = false;
};

SystemCursor g_Cursors[] = {
    {32512, SDL_SYSTEM_CURSOR_ARROW},    {32513, SDL_SYSTEM_CURSOR_IBEAM},    {32514, SDL_SYSTEM_CURSOR_WAIT},
    {32515, SDL_SYSTEM_CURSOR_CROSSHAIR}, {32642, SDL_SYSTEM_CURSOR_SIZENWSE}, {32643, SDL_SYSTEM_CURSOR_SIZENESW},
    {32644, SDL_SYSTEM_CURSOR_SIZEWE},   {32645, SDL_SYSTEM_CURSOR_SIZENS},   {32646, SDL_SYSTEM_CURSOR_SIZEALL},
    {32648, SDL_SYSTEM_CURSOR_NO},       {32649, SDL_SYSTEM_CURSOR_HAND},
};

std::mutex g_CursorMutex;
HCURSOR g_Current = reinterpret_cast<HCURSOR>(&g_Cursors[0]);
bool g_Shown = true;

SystemCursor* FromHandle(HCURSOR cursor)
{
    for (SystemCursor& c : g_Cursors)
        if (reinterpret_cast<HCURSOR>(&c) == cursor) return &c;
    return nullptr;
}

void Apply(SystemCursor* cursor)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    if (!cursor) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    if (!cursor->tried) {
        cursor->tried = true;
        cursor->sdlCursor = SDL_CreateSystemCursor(cursor->shape);   // null on drivers without cursors
    }
    if (cursor->sdlCursor) SDL_SetCursor(cursor->sdlCursor);
    SDL_ShowCursor(SDL_ENABLE);
}

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    if (!instance && name && IS_INTRESOURCE(name)) {
        auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        for (SystemCursor& c : g_Cursors)
            if (c.id == id) return reinterpret_cast<HCURSOR>(&c);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    SystemCursor* system = FromHandle(cursor);
    if (cursor && !system) {
        SetLastError(kErrorInvalidCursorHandle);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_CursorMutex);
    HCURSOR previous = g_Current;
    g_Current = cursor;
    g_Shown = cursor != nullptr;
    Apply(system);
    return previous;
}

HCURSOR GetCursor()
{
    std::lock_guard<std::mutex> lock(g_CursorMutex);
    return g_Current;
}

namespace platform {

int SystemCursorShape(HCURSOR cursor)
{
    SystemCursor* system = FromHandle(cursor);
    return system ? static_cast<int>(system->shape) : -1;
}

bool IsCursorShown()
{
    std::lock_guard<std::mutex> lock(g_CursorMutex);
    return g_Shown;
}

void ResetCursorState()
{
    SetCursor(reinterpret_cast<HCURSOR>(&g_Cursors[0]));
}

}  // namespace platform
