#include "platform/dshow/reference_clock.h"

#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <algorithm>
#include <chrono>

// --- CBaseReferenceClock ------------------------------------------------------------------

CBaseReferenceClock::CBaseReferenceClock(LPCWSTR name) : CUnknown(name, nullptr) {}

CBaseReferenceClock::~CBaseReferenceClock() = default;

HRESULT CBaseReferenceClock::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IReferenceClock) return GetInterface(static_cast<IReferenceClock*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseReferenceClock::GetTime(REFERENCE_TIME* time)
{
    if (!time) return E_POINTER;
    CAutoLock lock(&m_AdviseLock);
    m_LastTime = std::max(m_LastTime, Now());
    *time = m_LastTime;
    return S_OK;
}

HRESULT CBaseReferenceClock::AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HANDLE event,
                                        DWORD_PTR* cookie)
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!event) return E_INVALIDARG;
    const REFERENCE_TIME due = baseTime + streamTime;
    {
        CAutoLock lock(&m_AdviseLock);
        if (due > Now()) {
            *cookie = m_NextCookie++;
            m_Advises.push_back({*cookie, due, event});
        }
    }
    if (*cookie == 0) {
        SetEvent(event);
        return S_OK;
    }
    OnAdviseAdded();
    return S_OK;
}

HRESULT CBaseReferenceClock::AdvisePeriodic(REFERENCE_TIME, REFERENCE_TIME, HANDLE, DWORD_PTR* cookie)
{
    if (cookie) *cookie = 0;
    return E_NOTIMPL;   // nothing on this layer asks for periodic advises
}

HRESULT CBaseReferenceClock::Unadvise(DWORD_PTR cookie)
{
    CAutoLock lock(&m_AdviseLock);
    const auto found = std::find_if(m_Advises.begin(), m_Advises.end(), [&](const Advise& a) { return a.cookie == cookie; });
    if (found == m_Advises.end()) return S_FALSE;
    m_Advises.erase(found);
    return S_OK;
}

void CBaseReferenceClock::TriggerDueAdvises()
{
    std::vector<HANDLE> due;
    {
        CAutoLock lock(&m_AdviseLock);
        const REFERENCE_TIME now = Now();
        for (auto it = m_Advises.begin(); it != m_Advises.end();) {
            if (it->time <= now) {
                due.push_back(it->event);
                it = m_Advises.erase(it);
            } else {
                ++it;
            }
        }
        // Set under the lock: an Unadvise that returns has no set of its advise still to come.
        for (HANDLE event : due) SetEvent(event);
    }
}

REFERENCE_TIME CBaseReferenceClock::NextAdviseTime()
{
    CAutoLock lock(&m_AdviseLock);
    REFERENCE_TIME next = kMaxReferenceTime;
    for (const Advise& advise : m_Advises) next = std::min(next, advise.time);
    return next;
}

// --- CSystemClock -------------------------------------------------------------------------

CSystemClock::CSystemClock()
    : CBaseReferenceClock(u"System clock"), m_Wake(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    m_Thread = CreateThread(nullptr, 0, &CSystemClock::ThreadMain, this, 0, nullptr);
}

CSystemClock::~CSystemClock()
{
    m_Quit = true;
    SetEvent(m_Wake);
    if (m_Thread) {
        WaitForSingleObject(m_Thread, INFINITE);
        CloseHandle(m_Thread);
    }
    CloseHandle(m_Wake);
}

REFERENCE_TIME CSystemClock::Now()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
}

void CSystemClock::OnAdviseAdded() { SetEvent(m_Wake); }

DWORD CSystemClock::ThreadMain(LPVOID parameter)
{
    auto* self = static_cast<CSystemClock*>(parameter);
    while (!self->m_Quit) {
        self->TriggerDueAdvises();
        const REFERENCE_TIME next = self->NextAdviseTime();
        DWORD wait = INFINITE;
        if (next != kMaxReferenceTime) {
            const REFERENCE_TIME ahead = next - self->Now();
            wait = ahead <= 0 ? 0 : static_cast<DWORD>(std::min<REFERENCE_TIME>(ahead / 10'000 + 1, 60'000));
        }
        WaitForSingleObject(self->m_Wake, wait);
    }
    return 0;
}

// --- ManualReferenceClock -----------------------------------------------------------------

namespace platform {

ManualReferenceClock::ManualReferenceClock(REFERENCE_TIME start) : CBaseReferenceClock(u"Manual clock"), m_Time(start) {}

void ManualReferenceClock::Advance(REFERENCE_TIME delta)
{
    m_Time += delta;
    TriggerDueAdvises();
}

void ManualReferenceClock::Set(REFERENCE_TIME time)
{
    m_Time = time;
    TriggerDueAdvises();
}

}  // namespace platform
