// COM start-up per thread and class creation from a registry that the platform modules fill.
#pragma once

#include "platform/win32/unknown.h"

#include <vector>


constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);

// A count per thread: the first call on a thread gives S_OK, later ones S_FALSE, and both
// count. A call with another model than the thread's first gives RPC_E_CHANGED_MODE and does
// not count.
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
// Lowers the calling thread's count, never below 0; at 0 the thread may pick a model again.
void CoUninitialize();
// Needs no CoInitializeEx: the platform's own threads create objects too.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, void** object);

namespace platform {

// Creates a new object of the class and asks it for `iid` (the creator's count included).
using ComClassFactory = HRESULT (*)(REFIID iid, void** object);

// A later registration of the same class replaces the earlier one.
void RegisterComClass(REFCLSID clsid, ComClassFactory factory);

struct ComCreateFault {
    CLSID clsid{};
    HRESULT result = E_FAIL;
};

// Test seam: a non-zero `initializeResult` is what every CoInitializeEx returns (a failure does
// not count); `createFaults` force the result of CoCreateInstance per class.
struct ComFaults {
    HRESULT initializeResult = S_OK;
    std::vector<ComCreateFault> createFaults;
};
void SetComFaults(const ComFaults& faults);

// The CoInitializeEx count of the calling thread, and of the thread with the given ID.
int ComInitializeCount();
int ComInitializeCountOfThread(DWORD threadId);

}  // namespace platform
