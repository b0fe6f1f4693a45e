#include "platform/win32/com.h"

#include "platform/win32/sync.h"

#include <map>
#include <mutex>

namespace {

struct ThreadApartment {
    int count = 0;
    DWORD model = 0;
};

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const
    {
        if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
        if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
        if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
        for (int i = 0; i < 8; ++i) {
            if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
        }
        return false;
    }
};

struct ComState {
    std::mutex mutex;
    std::map<DWORD, ThreadApartment> threads;
    std::map<CLSID, platform::ComClassFactory, GuidLess> classes;
    platform::ComFaults faults;
};

ComState& State()
{
    static ComState* state = new ComState;   // outlives threads that end after exit starts
    return *state;
}

}  // namespace

HRESULT CoInitializeEx(void*, DWORD coInit)
{
    ComState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (FAILED(state.faults.initializeResult)) {
        return state.faults.initializeResult;
    }
    ThreadApartment& apartment = state.threads[GetCurrentThreadId()];
    if (apartment.count > 0 && apartment.model != coInit) return RPC_E_CHANGED_MODE;
    if (apartment.count == 0) apartment.model = coInit;
    ++apartment.count;
    return apartment.count == 1 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    ComState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto found = state.threads.find(GetCurrentThreadId());
    if (found == state.threads.end()) return;
    if (--found->second.count <= 0) state.threads.erase(found);
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    platform::ComClassFactory factory = nullptr;
    {
        ComState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        for (const auto& fault : state.faults.createFaults) {
            if (fault.clsid == clsid) return fault.result;
        }
        auto found = state.classes.find(clsid);
        if (found == state.classes.end()) return REGDB_E_CLASSNOTREG;
        factory = found->second;
    }
    return factory(iid, object);   // unlocked: a constructor may create objects of its own
}

namespace platform {

void RegisterComClass(REFCLSID clsid, ComClassFactory factory)
{
    ComState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.classes[clsid] = factory;
}

void SetComFaults(const ComFaults& faults)
{
    ComState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.faults = faults;
}

int ComInitializeCountOfThread(DWORD threadId)
{
    ComState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto found = state.threads.find(threadId);
    return found == state.threads.end() ? 0 : found->second.count;
}

int ComInitializeCount() { return ComInitializeCountOfThread(GetCurrentThreadId()); }

}  // namespace platform
