#include "foundation/time_util.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/crt/crt_time.h"

#include <ctime>

namespace {

// A time the runtime cannot break down gives all-zero fields and a log line.
std::tm LocalFields(std::int64_t time)
{
    std::tm fields{};
    __time64_t value = time;
    if (_localtime64_s(&fields, &value) != 0) {
        LogPrint(u"GxTime/時刻を変換できません(%I64d)\n", static_cast<long long>(time));
        fields = std::tm{};
    }
    return fields;
}

}  // namespace

std::int32_t GxTimeGetYear(std::int64_t time)
{
    return LocalFields(time).tm_year + 1900;
}

std::int32_t GxTimeGetMonth(std::int64_t time)
{
    return LocalFields(time).tm_mon + 1;
}

std::int32_t GxTimeGetDay(std::int64_t time)
{
    return LocalFields(time).tm_mday;
}

std::int32_t GxTimeGetHour(std::int64_t time)
{
    return LocalFields(time).tm_hour;
}

std::int32_t GxTimeGetMinute(std::int64_t time)
{
    return LocalFields(time).tm_min;
}

std::int32_t GxTimeGetSecond(std::int64_t time)
{
    return LocalFields(time).tm_sec;
}

std::int32_t GxTimeGetWeekDay(std::int64_t time)
{
    return LocalFields(time).tm_wday;
}

std::int32_t GxTimeGetYearDay(std::int64_t time)
{
    return LocalFields(time).tm_yday;
}

std::u16string FormatDateTime(std::int64_t time)
{
    std::tm t = LocalFields(time);
    return FormatWide(u"%04d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                      t.tm_min, t.tm_sec);
}

std::u16string FormatCurrentDateTime()
{
    return FormatDateTime(_time64(nullptr));
}
