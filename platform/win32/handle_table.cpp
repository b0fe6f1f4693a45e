#include "platform/win32/handle_table.h"

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace platform {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x100;
};

// Never destroyed: threads still running at exit may close their handles.
HandleTable& Table()
{
    static HandleTable* table = new HandleTable;
    return *table;
}

}  // namespace

std::mutex& WaitMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

std::condition_variable& WaitCondition()
{
    static std::condition_variable* condition = new std::condition_variable;
    return *condition;
}

void NotifyWaiters() { WaitCondition().notify_all(); }

HANDLE AddHandle(std::shared_ptr<KernelObject> object)
{
    if (!object) return nullptr;
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    const std::uintptr_t value = table.next;
    table.next += 4;   // multiples of four, as Windows hands them out
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object;
    {
        HandleTable& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == table.objects.end()) return false;
        object = std::move(it->second);
        table.objects.erase(it);
    }
    return true;   // the object is released here, outside the table's lock
}

}  // namespace platform
