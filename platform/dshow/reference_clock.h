// Reference clocks: a base that keeps the advise requests and sets their events once its time
// reaches them, the system clock on the monotonic time, and the manual clock tests drive.
#pragma once

#include "platform/dshow/unknown_base.h"

#include <thread>
#include <vector>

class CBaseReferenceClock : public CUnknown, public IReferenceClock {
public:
    explicit CBaseReferenceClock(LPCWSTR name);
    ~CBaseReferenceClock() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetTime(REFERENCE_TIME* time) override;
    // An advise already due sets its event at once.
    HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HANDLE event, DWORD_PTR* cookie) override;
    HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HANDLE semaphore, DWORD_PTR* cookie) override;
    HRESULT Unadvise(DWORD_PTR cookie) override;

    // Sets the events of every advise the current time has reached.
    void TriggerDueAdvises();

protected:
    virtual REFERENCE_TIME Now() = 0;
    // A new earliest advise: clocks that wake on their own re-arm here.
    virtual void OnAdviseAdded() {}
    REFERENCE_TIME NextAdviseTime();   // kMaxReferenceTime when none

private:
    struct Advise {
        DWORD_PTR cookie;
        REFERENCE_TIME time;
        HANDLE event;
    };
    CCritSec m_AdviseLock;
    std::vector<Advise> m_Advises;
    DWORD_PTR m_NextCookie = 1;
    REFERENCE_TIME m_LastTime = 0;   // GetTime never goes backwards
};

// The monotonic time since the first system clock was made; a thread of its own wakes the
// advises.
class CSystemClock final : public CBaseReferenceClock {
public:
    CSystemClock();
    ~CSystemClock() override;

protected:
    REFERENCE_TIME Now() override;
    void OnAdviseAdded() override;

private:
    static DWORD ThreadMain(LPVOID self);
    HANDLE m_Wake;
    HANDLE m_Thread = nullptr;
    std::atomic<bool> m_Quit{false};
};

namespace platform {

// A clock that moves only when told; advises it reaches are set on the calling thread.
class ManualReferenceClock final : public CBaseReferenceClock {
public:
    explicit ManualReferenceClock(REFERENCE_TIME start = 0);
    void Advance(REFERENCE_TIME delta);
    void Set(REFERENCE_TIME time);
    REFERENCE_TIME Current() const { return m_Time.load(); }

protected:
    REFERENCE_TIME Now() override { return m_Time.load(); }

private:
    std::atomic<REFERENCE_TIME> m_Time;
};

}  // namespace platform
