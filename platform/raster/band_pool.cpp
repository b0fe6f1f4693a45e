#include "platform/raster/band_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace raster::detail {

namespace {

class BandPool {
public:
    ~BandPool() { Resize(1); }

    void Resize(int count) {
        std::lock_guard<std::mutex> turn(m_RunMutex);
        count = std::clamp(count, 1, 64);
        if (count == int(m_Workers.size()) + 1) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Stop = true;
        }
        m_Wake.notify_all();
        for (std::thread& worker : m_Workers) {
            worker.join();
        }
        m_Workers.clear();
        m_Stop = false;
        for (int i = 1; i < count; ++i) {
            m_Workers.emplace_back([this] { WorkerLoop(); });
        }
        m_Threads.store(count, std::memory_order_relaxed);
    }

    int Threads() const { return m_Threads.load(std::memory_order_relaxed); }

    void Run(int bandCount, const std::function<void(int)>& job) {
        std::lock_guard<std::mutex> turn(m_RunMutex);
        if (m_Workers.empty() || bandCount <= 1) {
            for (int band = 0; band < bandCount; ++band) {
                job(band);
            }
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Job = &job;
            m_BandCount = bandCount;
            m_NextBand = 0;
            m_Unfinished = bandCount;
            ++m_Generation;
        }
        m_Wake.notify_all();
        DrainBands();
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Done.wait(lock, [this] { return m_Unfinished == 0; });
        m_Job = nullptr;
    }

private:
    // Takes bands until none is left; each band is counted as finished once its job returns.
    void DrainBands() {
        std::unique_lock<std::mutex> lock(m_Mutex);
        while (m_Job != nullptr && m_NextBand < m_BandCount) {
            int band = m_NextBand++;
            const std::function<void(int)>* job = m_Job;
            lock.unlock();
            (*job)(band);
            lock.lock();
            if (--m_Unfinished == 0) {
                m_Done.notify_all();
            }
        }
    }

    void WorkerLoop() {
        unsigned seen = 0;
        std::unique_lock<std::mutex> lock(m_Mutex);
        for (;;) {
            m_Wake.wait(lock, [&] { return m_Stop || m_Generation != seen; });
            if (m_Stop) {
                return;
            }
            seen = m_Generation;
            lock.unlock();
            DrainBands();
            lock.lock();
        }
    }

    std::mutex m_RunMutex;   // one draw at a time uses the workers
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::condition_variable m_Done;
    std::vector<std::thread> m_Workers;
    std::atomic<int> m_Threads{1};   // read by every draw without taking the locks
    const std::function<void(int)>* m_Job = nullptr;
    int m_BandCount = 0;
    int m_NextBand = 0;
    int m_Unfinished = 0;
    unsigned m_Generation = 0;
    bool m_Stop = false;
};

BandPool& Pool() {
    static BandPool pool;
    return pool;
}

}  // namespace

void SetBandThreads(int count) { Pool().Resize(count); }

int BandThreads() { return Pool().Threads(); }

void RunBands(int bandCount, const std::function<void(int)>& job) { Pool().Run(bandCount, job); }

}  // namespace raster::detail
