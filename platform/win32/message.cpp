#include "platform/win32/message.h"

#include "platform/win32/event_translator.h"
#include "platform/win32/file.h"
#include "platform/win32/mouse.h"
#include "platform/win32/timer.h"
#include "platform/win32/window_registry.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

struct MessageQueue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<MSG> messages;
    bool overflowLogged = false;
};

MessageQueue& Queue()
{
    static MessageQueue queue;
    return queue;
}

HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    GetCursorPos(&msg.pt);
    return msg;
}

// `force` lets WM_QUIT in even when the queue is full: the quit must never be lost.
bool Enqueue(const MSG& msg, bool force = false)
{
    MessageQueue& queue = Queue();
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (!force && queue.messages.size() >= kMessageQueueLimit) return false;
        queue.messages.push_back(msg);
        queue.overflowLogged = false;
    }
    queue.posted.notify_all();
    return true;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (window == kThreadMessagesOnly) {
        if (msg.hwnd) return false;
    } else if (window && msg.message != WM_QUIT && msg.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool TakeQueued(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) queue.messages.erase(it);
        return true;
    }
    return false;
}

// WM_PAINT is made, not queued: once per invalidation, so a procedure that never validates
// cannot keep the pump busy for ever.
bool TakePaint(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    if (window == kThreadMessagesOnly) return false;
    if ((filterMin || filterMax) && (WM_PAINT < filterMin || WM_PAINT > filterMax)) return false;
    for (auto& record : platform::AllWindowRecords()) {
        if (window && record->handle != window) continue;
        if (!record->visible || !record->needsPaint || record->paintOffered) continue;
        *out = MakeMessage(record->handle, WM_PAINT, 0, 0);
        if (remove) record->paintOffered = true;
        return true;
    }
    return false;
}

}  // namespace

namespace platform {

void PumpSdlEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS) || !IsWindowThread()) return;
    SDL_PumpEvents();
    SDL_Event events[64];
    for (;;) {
        int count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (count <= 0) break;
        for (int i = 0; i < count; ++i) TranslateSdlEvent(events[i]);
    }
}

std::size_t QueuedMessageCount()
{
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    return queue.messages.size();
}

bool PostInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (Enqueue(MakeMessage(window, message, wParam, lParam))) return true;
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (!queue.overflowLogged)
        LogUserError("the message queue is full (%zu messages): input is dropped until it drains", kMessageQueueLimit);
    queue.overflowLogged = true;
    return false;
}

void ClearMessageQueue()
{
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.messages.clear();
    queue.overflowLogged = false;
}

}  // namespace platform

BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!message) return FALSE;
    platform::PumpSdlEvents();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    if (TakeQueued(message, window, filterMin, filterMax, remove)) return TRUE;
    return TakePaint(message, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax)
{
    if (!message || (window && window != kThreadMessagesOnly && !IsWindow(window))) {
        SetLastError(message ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return -1;
    }
    for (;;) {
        if (PeekMessageW(message, window, filterMin, filterMax, PM_REMOVE))
            return message->message == WM_QUIT ? FALSE : TRUE;
        // SDL events do not wake the queue, so look again every few milliseconds.
        MessageQueue& queue = Queue();
        std::unique_lock<std::mutex> lock(queue.mutex);
        queue.posted.wait_for(lock, std::chrono::milliseconds(5));
    }
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageW(const MSG* message)
{
    if (!message || !message->hwnd) return 0;
    auto record = platform::FindWindowRecord(message->hwnd);
    if (!record || !record->procedure) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return record->procedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!Enqueue(MakeMessage(window, message, wParam, lParam))) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    Enqueue(MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0), true);
}
