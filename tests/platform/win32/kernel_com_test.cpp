#include "platform/win32/com.h"
#include "platform/win32/com_object.h"
#include "platform/win32/sync.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

constexpr CLSID kTestClass = {0x1a2b3c4d, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr CLSID kUnknownClass = {0x1a2b3c4d, 0x0001, 0x0002, {9, 9, 9, 9, 9, 9, 9, 9}};

class TestObject : public platform::ComObject<IUnknown> {
public:
    static HRESULT Create(REFIID iid, void** object)
    {
        auto* created = new TestObject;
        const HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    }
};

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { platform::RegisterComClass(kTestClass, &TestObject::Create); }
    void TearDown() override { platform::SetComFaults({}); }
};

TEST_F(ComTest, CountsPerThreadAndBalances)
{
    ASSERT_EQ(platform::ComInitializeCount(), 0);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(platform::ComInitializeCount(), 2);

    const DWORD mainThread = GetCurrentThreadId();
    std::thread other([&] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);   // its own model
        EXPECT_EQ(platform::ComInitializeCount(), 1);
        EXPECT_EQ(platform::ComInitializeCountOfThread(mainThread), 2);
        CoUninitialize();
        CoUninitialize();   // never below 0
        EXPECT_EQ(platform::ComInitializeCount(), 0);
    });
    other.join();

    CoUninitialize();
    EXPECT_EQ(platform::ComInitializeCount(), 1);
    CoUninitialize();
    EXPECT_EQ(platform::ComInitializeCount(), 0);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);   // a fresh start
    CoUninitialize();
}

TEST_F(ComTest, InjectedInitializeFailuresDoNotCount)
{
    for (HRESULT forced : {RPC_E_CHANGED_MODE, E_OUTOFMEMORY}) {
        platform::SetComFaults({forced, {}});
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), forced);
        EXPECT_EQ(platform::ComInitializeCount(), 0);
    }
    platform::SetComFaults({});
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

TEST_F(ComTest, CreatesRegisteredClassesOnAnyThread)
{
    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->Release(), 0u);

    std::thread other([] {
        void* created = nullptr;
        EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &created), S_OK);
        if (created) static_cast<IUnknown*>(created)->Release();
    });
    other.join();
}

TEST_F(ComTest, RefusesUnknownClassesAggregationAndInjectedFailures)
{
    void* object = reinterpret_cast<void*>(1);
    const HRESULT unknown = CoCreateInstance(kUnknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object);
    EXPECT_EQ(unknown, REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);

    IUnknown* outer = nullptr;
    ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&outer)), S_OK);
    EXPECT_EQ(CoCreateInstance(kTestClass, outer, CLSCTX_ALL, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    outer->Release();

    platform::SetComFaults({S_OK, {{kTestClass, E_OUTOFMEMORY}}});
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
