#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/mem_allocator.h"
#include "platform/dshow/output_queue.h"
#include "platform/win32/com.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "tests/platform/dshow/test_filters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace dshow_test;

IMemAllocator* NewAllocator()
{
    platform::RegisterDshowClasses();
    IMemAllocator* allocator = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                               reinterpret_cast<void**>(&allocator)),
              S_OK);
    return allocator;
}

// A thread that asks for one buffer once its go event is set (so a settle follows it).
struct BufferWaiter {
    IMemAllocator* allocator = nullptr;
    HANDLE go = nullptr;
    HANDLE thread = nullptr;
    IMediaSample* sample = nullptr;
    std::atomic<HRESULT> result{S_FALSE};

    explicit BufferWaiter(IMemAllocator* from) : allocator(from)
    {
        go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, &BufferWaiter::Main, this, 0, nullptr);
    }
    ~BufferWaiter()
    {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(go);
        if (sample) sample->Release();
    }
    static DWORD Main(LPVOID self)
    {
        auto* waiter = static_cast<BufferWaiter*>(self);
        WaitForSingleObject(waiter->go, INFINITE);
        waiter->result = waiter->allocator->GetBuffer(&waiter->sample, nullptr, nullptr, 0);
        return 0;
    }
};

TEST(DshowAllocator, HonoursCountSizeAlignmentAndPrefix)
{
    struct PropertyCase {
        ALLOCATOR_PROPERTIES request;
        LONG minimumSize;
    };
    for (const PropertyCase& c : {PropertyCase{{3, 1000, 16, 0}, 1000}, {{2, 100, 64, 8}, 100}, {{4, 33, 1, 3}, 33}}) {
        SCOPED_TRACE(c.request.cbAlign);
        IMemAllocator* allocator = NewAllocator();
        ALLOCATOR_PROPERTIES request = c.request;
        ALLOCATOR_PROPERTIES actual{};
        ASSERT_EQ(allocator->SetProperties(&request, &actual), S_OK);
        EXPECT_EQ(actual.cBuffers, c.request.cBuffers);
        EXPECT_GE(actual.cbBuffer, c.minimumSize);
        EXPECT_EQ(actual.cbAlign, c.request.cbAlign);
        EXPECT_EQ(actual.cbPrefix, c.request.cbPrefix);
        ASSERT_EQ(allocator->Commit(), S_OK);
        std::vector<IMediaSample*> samples(static_cast<std::size_t>(actual.cBuffers));
        std::vector<BYTE*> pointers;
        for (IMediaSample*& sample : samples) {
            ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
            BYTE* data = nullptr;
            sample->GetPointer(&data);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % static_cast<std::uintptr_t>(c.request.cbAlign), 0u);
            EXPECT_EQ(sample->GetSize(), actual.cbBuffer);
            // The prefix and the whole buffer are ours to write (the sanitizer checks the bounds).
            std::memset(data - c.request.cbPrefix, 0x5A, static_cast<std::size_t>(actual.cbPrefix + actual.cbBuffer));
            pointers.push_back(data);
        }
        for (std::size_t i = 1; i < pointers.size(); ++i)
            EXPECT_GE(pointers[i] > pointers[i - 1] ? pointers[i] - pointers[i - 1] : pointers[i - 1] - pointers[i],
                      actual.cbBuffer + actual.cbPrefix);
        IMediaSample* extra = nullptr;
        EXPECT_EQ(allocator->GetBuffer(&extra, nullptr, nullptr, AM_GBF_NOWAIT), VFW_E_TIMEOUT);
        for (IMediaSample* sample : samples) sample->Release();
        EXPECT_EQ(allocator->Decommit(), S_OK);
        EXPECT_EQ(allocator->Release(), 0u);
    }
}

TEST(DshowAllocator, RefusesWhatItCannotDo)
{
    IMemAllocator* allocator = NewAllocator();
    ALLOCATOR_PROPERTIES actual{};
    IMediaSample* sample = nullptr;
    ALLOCATOR_PROPERTIES badAlign{2, 100, 3, 0};
    EXPECT_EQ(allocator->SetProperties(&badAlign, &actual), VFW_E_BADALIGN);
    EXPECT_EQ(allocator->Commit(), VFW_E_SIZENOTSET);
    EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    ALLOCATOR_PROPERTIES good{1, 100, 1, 0};
    ASSERT_EQ(allocator->SetProperties(&good, &actual), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    EXPECT_EQ(allocator->SetProperties(&good, &actual), VFW_E_ALREADY_COMMITTED);
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(sample->SetActualDataLength(101), VFW_E_BUFFER_OVERFLOW);
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    EXPECT_EQ(sample->GetTime(&start, &end), VFW_E_SAMPLE_TIME_NOT_SET);
    // A sample out keeps its allocator: the last reference goes with the sample.
    EXPECT_EQ(allocator->Decommit(), S_OK);
    EXPECT_EQ(allocator->Release(), 1u);
    sample->Release();
}

TEST(DshowAllocator, AFourthGetBufferWaitsForAReleaseAndDecommitFreesTheWaiter)
{
    IMemAllocator* allocator = NewAllocator();
    auto* impl = dynamic_cast<CBaseAllocator*>(allocator);
    ASSERT_NE(impl, nullptr);
    ALLOCATOR_PROPERTIES request{3, 1000, 16, 0};
    ALLOCATOR_PROPERTIES actual{};
    ASSERT_EQ(allocator->SetProperties(&request, &actual), S_OK);
    ASSERT_EQ(allocator->Commit(), S_OK);
    IMediaSample* held[3] = {};
    for (IMediaSample*& sample : held) ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);

    {
        BufferWaiter waiter(allocator);
        platform::MarkEventSettle();
        SetEvent(waiter.go);
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
        EXPECT_EQ(impl->WaitingCount(), 1);
        EXPECT_EQ(waiter.result.load(), S_FALSE);   // still waiting
        IMediaSample* returned = held[1];
        platform::MarkEventSettle();
        held[1]->Release();
        held[1] = nullptr;
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
        EXPECT_EQ(waiter.result.load(), S_OK);
        EXPECT_EQ(waiter.sample, returned);
        held[1] = waiter.sample;   // all three out again
        waiter.sample = nullptr;
    }
    {
        BufferWaiter waiter(allocator);
        platform::MarkEventSettle();
        SetEvent(waiter.go);
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
        EXPECT_EQ(impl->WaitingCount(), 1);
        platform::MarkEventSettle();
        EXPECT_EQ(allocator->Decommit(), S_OK);
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
        EXPECT_EQ(waiter.result.load(), VFW_E_NOT_COMMITTED);
        EXPECT_EQ(waiter.sample, nullptr);
    }
    EXPECT_EQ(impl->WaitingCount(), 0);
    for (IMediaSample* sample : held) {
        if (sample) sample->Release();
    }
    EXPECT_EQ(allocator->Release(), 0u);
}

// --- the output queue ---------------------------------------------------------------------

class DshowOutputQueue : public ::testing::Test {
protected:
    // The settling follows the queue's thread only while it waits for work (a wake-up left for
    // a thread busy downstream would hold any settling up): what it delivers after that is
    // waited for here, within the settling's bound.
    static bool Eventually(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    void SetUp() override
    {
        m_Sink = new RecordingSink(&m_Log);
        m_Sink->AddRef();
        m_Allocator = NewAllocator();
        ALLOCATOR_PROPERTIES request{24, 4, 1, 0};
        ALLOCATOR_PROPERTIES actual{};
        ASSERT_EQ(m_Allocator->SetProperties(&request, &actual), S_OK);
        ASSERT_EQ(m_Allocator->Commit(), S_OK);
    }
    void TearDown() override
    {
        m_Allocator->Decommit();
        EXPECT_EQ(m_Allocator->Release(), 0u);   // every sample came back
        m_Sink->Release();
        EXPECT_EQ(g_LiveFilters.load(), 0);
    }
    IMediaSample* Numbered(int number)
    {
        IMediaSample* sample = nullptr;
        EXPECT_EQ(m_Allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        std::memcpy(data, &number, sizeof(number));
        return sample;
    }

    EventLog m_Log;
    RecordingSink* m_Sink = nullptr;
    IMemAllocator* m_Allocator = nullptr;
};

TEST_F(DshowOutputQueue, AThousandSamplesKeepTheirOrderWithSegmentsAndTheEnd)
{
    struct Mode {
        const char* name;
        BOOL queue;
        LONG batch;
        BOOL exact;
    };
    std::vector<std::string> expected;
    for (int i = 0; i < 1000; ++i) {
        if (i == 500) expected.push_back("segment 5000000");
        expected.push_back("sample " + std::to_string(i));
    }
    expected.push_back("eos");
    for (const Mode& mode : {Mode{"own thread, exact batches of 8", TRUE, 8, TRUE}, {"own thread, loose batches", TRUE, 3, FALSE},
                             {"on the caller's thread", FALSE, 1, FALSE}}) {
        SCOPED_TRACE(mode.name);
        m_Log.Clear();
        HRESULT hr = E_FAIL;
        auto queue = std::make_unique<COutputQueue>(&m_Sink->Pin(), &hr, FALSE, mode.queue, mode.batch, mode.exact, 10,
                                                    THREAD_PRIORITY_NORMAL);
        ASSERT_EQ(hr, S_OK);
        for (int i = 0; i < 1000; ++i) {
            if (i == 500) queue->NewSegment(5000000, kMaxReferenceTime, 1.0);
            ASSERT_EQ(queue->Receive(Numbered(i)), S_OK);
        }
        platform::MarkEventSettle();
        queue->EOS();
        ASSERT_TRUE(platform::SettleEvents(kSettleMs));
        ASSERT_TRUE(Eventually([&] { return queue->IsIdle(); }));
        EXPECT_EQ(m_Log.Lines(), expected);
        EXPECT_TRUE(queue->IsIdle());
    }
}

TEST_F(DshowOutputQueue, AFlushDropsWhatIsQueued)
{
    HRESULT hr = E_FAIL;
    auto queue = std::make_unique<COutputQueue>(&m_Sink->Pin(), &hr, FALSE, TRUE, 8, TRUE, 10, THREAD_PRIORITY_NORMAL);
    ASSERT_EQ(hr, S_OK);
    platform::MarkEventSettle();
    for (int i = 0; i < 5; ++i) ASSERT_EQ(queue->Receive(Numbered(i)), S_OK);
    ASSERT_TRUE(platform::SettleEvents(kSettleMs));
    EXPECT_TRUE(m_Log.Lines().empty());   // short of a whole batch: held back
    queue->BeginFlush();
    EXPECT_EQ(queue->Receive(Numbered(99)), S_FALSE);   // refused while flushing
    queue->EndFlush();
    platform::MarkEventSettle();
    for (int i = 100; i < 108; ++i) ASSERT_EQ(queue->Receive(Numbered(i)), S_OK);
    ASSERT_TRUE(platform::SettleEvents(kSettleMs));
    ASSERT_TRUE(Eventually([&] { return queue->IsIdle(); }));
    std::vector<std::string> expected{"begin flush", "end flush"};
    for (int i = 100; i < 108; ++i) expected.push_back("sample " + std::to_string(i));
    EXPECT_EQ(m_Log.Lines(), expected);
    platform::MarkEventSettle();
    ASSERT_EQ(queue->Receive(Numbered(200)), S_OK);
    queue->SendAnyway();
    ASSERT_TRUE(platform::SettleEvents(kSettleMs));
    ASSERT_TRUE(Eventually([&] { return queue->IsIdle(); }));
    EXPECT_EQ(m_Log.Lines().back(), "sample 200");
}

}  // namespace
