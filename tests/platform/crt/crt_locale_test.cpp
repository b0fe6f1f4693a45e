#include "platform/crt/crt_locale.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <locale.h>
#include <string>
#include <wctype.h>

namespace {

class CrtLocale : public testing::Test {
protected:
    void SetUp() override { m_Locale = _create_locale(MSVC_LC_ALL, "Japanese_Japan.932"); }
    void TearDown() override { _free_locale(m_Locale); }

    std::u16string Lower(std::u16string text)
    {
        EXPECT_EQ(_wcslwr_s_l(text.data(), text.size() + 1, m_Locale), 0);
        return text;
    }

    _locale_t m_Locale = nullptr;
};

}  // namespace

TEST_F(CrtLocale, PackNamesLowerAsciiAndFullWidthLetters)
{
    ASSERT_NE(m_Locale, nullptr);
    EXPECT_EQ(Lower(u"SYSTEM\\SysConf.INI"), u"system\\sysconf.ini");
    EXPECT_EQ(Lower(u"ＦＯＮＴ１６ｓｙｓ.PNG"), u"ｆｏｎｔ１６ｓｙｓ.png");
    // Kana, kanji, digits, punctuation and the halves of a surrogate pair stay as they are.
    EXPECT_EQ(Lower(u"立ち絵/アイコン_01-[x].gis\U0001F600"), u"立ち絵/アイコン_01-[x].gis\U0001F600");
    EXPECT_EQ(Lower(u"ÄÖÜ ΣΑΣ ДОМ Ǆ"), u"äöü σασ дом ǆ");
}

TEST_F(CrtLocale, MappingIsTheSameForEveryLocaleObject)
{
    _locale_t c = _create_locale(MSVC_LC_ALL, "C");
    ASSERT_NE(c, nullptr);
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        const auto w = static_cast<WCHAR>(unit);
        ASSERT_EQ(_towlower_l(w, m_Locale), _towlower_l(w, c)) << unit;
        ASSERT_EQ(_towlower_l(w, m_Locale), _towlower_l(w, nullptr)) << unit;
    }
    _free_locale(c);
    EXPECT_EQ(_towupper_l(u'ｚ', m_Locale), u'Ｚ');
    EXPECT_EQ(_towupper_l(u'a', m_Locale), u'A');
    EXPECT_EQ(_towupper_l(u'1', m_Locale), u'1');
}

// The fixed table is the simple case mapping glibc also carries; where its C.UTF-8 locale is
// installed, every unit of the BMP must agree.
TEST_F(CrtLocale, TableAgreesWithTheLibraryCaseMapping)
{
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!utf8) GTEST_SKIP() << "no C.UTF-8 locale on this machine";
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            ASSERT_EQ(unsigned{_towlower_l(static_cast<WCHAR>(unit), m_Locale)}, unit);
            continue;
        }
        auto expectLower = static_cast<unsigned>(towlower_l(static_cast<wint_t>(unit), utf8));
        auto expectUpper = static_cast<unsigned>(towupper_l(static_cast<wint_t>(unit), utf8));
        if (expectLower > 0xFFFF) expectLower = unit;
        if (expectUpper > 0xFFFF) expectUpper = unit;
        ASSERT_EQ(unsigned{_towlower_l(static_cast<WCHAR>(unit), m_Locale)}, expectLower) << std::hex << unit;
        ASSERT_EQ(unsigned{_towupper_l(static_cast<WCHAR>(unit), m_Locale)}, expectUpper) << std::hex << unit;
    }
    freelocale(utf8);
}

TEST_F(CrtLocale, BadArguments)
{
    EXPECT_EQ(_create_locale(99, "C"), nullptr);
    EXPECT_EQ(_create_locale(MSVC_LC_ALL, nullptr), nullptr);
    _free_locale(nullptr);

    EXPECT_EQ(_wcslwr_s_l(nullptr, 4, m_Locale), EINVAL);
    WCHAR unterminated[3] = {u'A', u'B', u'C'};
    EXPECT_EQ(_wcslwr_s_l(unterminated, 3, m_Locale), EINVAL);
    EXPECT_EQ(unterminated[0], u'\0');
    EXPECT_EQ(unterminated[1], u'B');   // nothing written past the first unit
    WCHAR exact[3] = {u'A', u'B', u'\0'};
    EXPECT_EQ(_wcslwr_s_l(exact, 3, m_Locale), 0);
    EXPECT_EQ(std::u16string(exact), u"ab");
}
