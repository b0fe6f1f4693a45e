#include "platform/crt/crt_time.h"

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

std::atomic<__time64_t> g_FakeCalendarTime{0};

// The runtime's range for 64-bit times: 1970-01-01 up to 3000-12-31 23:59:59 UTC.
constexpr __time64_t kMaxTime64 = 32535215999;

void Invalidate(std::tm* result)
{
    std::memset(result, 0, sizeof(*result));
    result->tm_sec = result->tm_min = result->tm_hour = -1;
    result->tm_mday = result->tm_mon = result->tm_year = -1;
    result->tm_wday = result->tm_yday = result->tm_isdst = -1;
}

template <typename Convert>
int ConvertTime(std::tm* result, const __time64_t* time, Convert convert)
{
    if (!result) return EINVAL;
    if (!time || *time < 0 || *time > kMaxTime64) {
        Invalidate(result);
        return EINVAL;
    }
    const std::time_t seconds = static_cast<std::time_t>(*time);
    if (!convert(&seconds, result)) {
        Invalidate(result);
        return EINVAL;
    }
    return 0;
}

}  // namespace

__time64_t _time64(__time64_t* out)
{
    const __time64_t fake = g_FakeCalendarTime.load(std::memory_order_relaxed);
    const __time64_t now = fake != 0 ? fake : static_cast<__time64_t>(std::time(nullptr));
    if (out) *out = now;
    return now;
}

int _localtime64_s(std::tm* result, const __time64_t* time)
{
    return ConvertTime(result, time, [](const std::time_t* t, std::tm* out) { return localtime_r(t, out) != nullptr; });
}

int _gmtime64_s(std::tm* result, const __time64_t* time)
{
    return ConvertTime(result, time, [](const std::time_t* t, std::tm* out) { return gmtime_r(t, out) != nullptr; });
}

__time64_t _mktime64(std::tm* time)
{
    if (!time) return -1;
    const std::time_t seconds = std::mktime(time);
    if (seconds < 0 || seconds > kMaxTime64) return -1;
    return static_cast<__time64_t>(seconds);
}

namespace platform {

void SetFakeCalendarTime(__time64_t seconds) { g_FakeCalendarTime.store(seconds, std::memory_order_relaxed); }

}  // namespace platform
