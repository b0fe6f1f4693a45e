// [Moa builtins] time, time zone and locale under a fixed zone and language; the variable dump
// file byte by byte.
#include "builtin_fixture.h"

#include "platform/crt/crt_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>

using namespace moa_test;
using namespace script_test;

namespace {

// Sets (or clears) an environment variable for the scope; the zone is re-read both ways.
class EnvScope {
public:
    EnvScope(const char* name, const char* value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Old = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
        tzset();
    }
    ~EnvScope()
    {
        if (m_Old)
            setenv(m_Name, m_Old->c_str(), 1);
        else
            unsetenv(m_Name);
        tzset();
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    const char* m_Name;
    std::optional<std::string> m_Old;
};

class MoaTimeBuiltins : public MoaBuiltinTest {};

TEST_F(MoaTimeBuiltins, FieldsZoneAndLocaleInJapan)
{
    EnvScope zone("TZ", "JST-9");
    EnvScope all("LC_ALL", nullptr);
    EnvScope messages("LC_MESSAGES", nullptr);
    EnvScope language("LANG", "ja_JP.UTF-8");
    struct Case {
        const char16_t* name;
        const char* value;
    };
    const Case cases[] = {
        {u"GetYearFromUtime", "Int:2001"}, {u"GetMonthFromUtime", "Int:9"}, {u"GetDayFromUtime", "Int:9"},
        {u"GetHourFromUtime", "Int:10"},   {u"GetMinFromUtime", "Int:46"},  {u"GetSecFromUtime", "Int:40"},
        {u"GetWeekFromUtime", "Int:0"},    {u"GetYDayFromUtime", "Int:251"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(U8(c.name));
        EXPECT_EQ(Call(c.name, {Int(1000000000)}), c.value);
        EXPECT_EQ(Call(c.name, {Str(u"1000000000")}), c.value);
        // Times the conversion refuses: before 1970 and after the year 3000.
        EXPECT_EQ(Call(c.name, {Int(-1)}), "Int:0");
        EXPECT_EQ(Call(c.name, {Int(40000000000LL)}), "Int:0");
    }
    EXPECT_EQ(Call(u"GetTimeZoneBias", {}), "Int:-540");
    EXPECT_EQ(Call(u"GetTimeZoneName", {}), "Str:JST");
    EXPECT_EQ(Call(u"GetLocaleID", {}), "Int:1041");
    {
        EnvScope english("LANG", "en_US.UTF-8");
        EXPECT_EQ(Call(u"GetLocaleID", {}), "Int:1033");
    }
}

TEST_F(MoaTimeBuiltins, TheCurrentTimeIsTheCalendarTime)
{
    platform::SetFakeCalendarTime(1234567890);
    EXPECT_EQ(Call(u"GetUTime", {}), "Int:1234567890");
    platform::SetFakeCalendarTime(0);
    const std::int64_t now = std::stoll(Call(u"GetUTime", {}).substr(4));
    EXPECT_GT(now, 1600000000);
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text as the dump file holds it: a byte-order mark, UTF-16LE, CR LF line ends.
std::string FileBytesOf(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        if (unit == u'\n') {
            bytes += std::string("\r\0", 2);
        }
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

TEST_F(MoaTimeBuiltins, DumpVarToFileWritesTheInstanceThenTheWorker)
{
    ASSERT_TRUE(Run("EXTERN INGAME $ext = 7\nGLOBAL INGAME $glob = \"名前\"\nSTATIC INGAME $st[2]\n$local = 1.5"));
    const std::filesystem::path path = m_Dir.Join("vardump.txt");
    std::ofstream(path, std::ios::binary) << std::string(4000, 'x');   // replaced, not appended to

    GxMoaVariable args = Arr({Str(Utf8ToWide(path.string())), Int(1)});
    GxMoaVariable result;
    ASSERT_TRUE(m_Binder.CallFunction(u"dumpvartofile", 0, args, &m_Worker, nullptr, nullptr, result));
    EXPECT_TRUE(result.IsNull());
    const std::u16string expected = m_Moa.DumpText(0) + m_Worker.DumpText(1);
    EXPECT_EQ(expected.rfind(u"--MoaInstance:\n", 0), 0u);
    EXPECT_NE(expected.find(u"----Worker:MAIN_WORKER\n"), std::u16string::npos);
    EXPECT_NE(expected.find(u"ext"), std::u16string::npos);
    EXPECT_NE(expected.find(u"名前"), std::u16string::npos);
    EXPECT_EQ(ReadBytes(path), FileBytesOf(expected));

    // A path that cannot be opened: nothing written, and still a success.
    const std::filesystem::path nowhere = m_Dir.Join("missing") / "vardump.txt";
    args = Arr({Str(Utf8ToWide(nowhere.string()))});
    EXPECT_TRUE(m_Binder.CallFunction(u"dumpvartofile", 0, args, &m_Worker, nullptr, nullptr, result));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
