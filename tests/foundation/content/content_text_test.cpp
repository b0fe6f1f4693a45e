// [Content] text form: written lines, round trips, name checks, staying in step after a
// failure, quoting, byte blocks and damaged lines.
#include "foundation/content_text.h"

#include "content_test_support.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace content_test;

namespace {

struct TextRecord {
    explicit TextRecord(const std::string& text, bool verbose = true)
    {
        Fill(buffer, text);
        reader = std::make_unique<GxContentTextReader>(buffer, verbose);
    }
    GxBinBuffer buffer;
    std::unique_ptr<GxContentTextReader> reader;
};

template <typename WriteFn>
std::string WriteText(WriteFn write)
{
    MemoryStream stream;
    {
        GxContentTextWriter w(stream.File());
        write(w);
    }
    return stream.Bytes();
}

}  // namespace

TEST(ContentText, WritesTheDocumentedLines)
{
    const std::string text = WriteText([](GxContentTextWriter& w) {
        EXPECT_TRUE(w.WriteHeader("TGD", 3));
        EXPECT_TRUE(w.WriteU32("count", 5));
        const GxPoint2 p{1, -2};
        EXPECT_TRUE(w.WritePoint2("pos", &p));
        EXPECT_TRUE(w.WriteF32("f", 0.1f));
        EXPECT_TRUE(w.WriteF64("tiny", 0.0000001));
        EXPECT_TRUE(w.WriteS64("s64", -5));
        EXPECT_TRUE(w.WriteBool("b", true));
        GxBit32 bits;
        bits.m_Bits = 0xFFFFFFFFu;
        EXPECT_TRUE(w.WriteBit32("bits", &bits));
        EXPECT_TRUE(w.WriteString("s", "a\tb\"c\\"));
        EXPECT_TRUE(w.WriteListBegin("items", "label", 2));
        EXPECT_TRUE(w.WriteListEnd());
        EXPECT_TRUE(w.WriteTreeBegin("tree", "lbl"));
        EXPECT_TRUE(w.WriteTreeStratumBegin());
        EXPECT_TRUE(w.WriteTreeStratumEnd());
        EXPECT_TRUE(w.WriteTreeEnd());
    });
    EXPECT_EQ(text,
              "TGD\t3\n"
              "06\tcount\t5\n"
              "32\tpos\t1\t-2\n"
              "09\tf\t0.100000\n"
              "0a\ttiny\t0.000000\n"
              "07\ts64\t-5\n"
              "0b\tb\t1\n"
              "15\tbits\t4294967295\n"
              "1a\ts\t9\t\"a\\tb\\\"c\\\\\"\n"
              "20\titems\tlabel\t2\t{\n"
              "21\t}\n"
              "22\ttree\tlbl\t{\n"
              "24\t{\n"
              "25\t}\n"
              "23\t}\n");
}

TEST(ContentText, MatrixIsOneLineOfSixteenFields)
{
    GxMatrix m;
    m.m[12] = 2.5f;
    const std::string text = WriteText([&](GxContentTextWriter& w) { EXPECT_TRUE(w.WriteMatrix("m", &m)); });
    EXPECT_EQ(text,
              "11\tm\t1.000000\t0.000000\t0.000000\t0.000000\t0.000000\t1.000000\t0.000000\t0.000000"
              "\t0.000000\t0.000000\t1.000000\t0.000000\t2.500000\t0.000000\t0.000000\t1.000000\n");
}

TEST(ContentText, BlocksTakeThirtyTwoBytesALine)
{
    std::uint8_t bytes[33];
    for (int i = 0; i < 33; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i == 32 ? 0xAB : i);
    }
    const std::string text = WriteText([&](GxContentTextWriter& w) {
        EXPECT_TRUE(w.WriteBinary("blk", bytes, 33));
        EXPECT_TRUE(w.WriteBinary("none", nullptr, 0));
        EXPECT_TRUE(w.WriteU8("after", 1));
    });
    EXPECT_EQ(text,
              "1b\tblk\t33\n"
              "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f\n"
              "ab\n"
              "1b\tnone\t0\n"
              "02\tafter\t1\n");
}

TEST(ContentText, RoundTripsEveryType)
{
    const std::string text = WriteText([](GxContentTextWriter& w) { WriteEveryType(w); });
    TextRecord record(text);
    ExpectEveryType(*record.reader, "XTEST");
}

TEST(ContentText, NumbersKeepSixDecimalsAndThirtyTwoBits)
{
    TextRecord record(WriteText([](GxContentTextWriter& w) {
        w.WriteF32("a", 0.0000001f);
        w.WriteF32("b", 0.1f);
        w.WriteF64("c", 3.14159265);
        w.WriteU32("d", 4294967295u);
    }) + "05\te\t4294967295\n" + "01\tf\t300\n" + "09\tg\t-1e300\n");
    EXPECT_EQ(record.reader->GetF32("a"), 0.0f);
    EXPECT_EQ(record.reader->GetF32("b"), 0.1f);
    EXPECT_EQ(record.reader->GetF64("c"), 3.141593);
    EXPECT_EQ(record.reader->GetU32("d"), 4294967295u);
    EXPECT_EQ(record.reader->GetS32("e"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(record.reader->GetS8("f"), static_cast<std::int8_t>(300));
    EXPECT_EQ(record.reader->GetF32("g"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(record.reader->GetErrorCount(), 0);
}

TEST(ContentText, NameCheckFailsOnCaseAndCanBeTurnedOff)
{
    LogCapture log;
    const std::string line = "06\tCount\t5\n";
    TextRecord record("TGD\t1\n" + line + line + "02\tnext\t8\n");
    ASSERT_TRUE(record.reader->ReadHeader("TGD", nullptr));
    std::uint32_t value = 0;
    EXPECT_FALSE(record.reader->ReadU32("count", &value));
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "GxContentTextReader/ValueName does not match Line=2\n");

    // The failed line is consumed: the next read is on the next line.
    record.reader->SetNameCheck(0);
    EXPECT_TRUE(record.reader->ReadU32("count", &value));
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(record.reader->GetU8("anything"), 8);
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
}

TEST(ContentText, HeaderIsCheckedWhateverTheNameCheck)
{
    LogCapture log;
    for (const char* text : {"TGD\t7\n", "tgd\t7\n", "TGD\n", ""}) {
        TextRecord record(text);
        record.reader->SetNameCheck(0);
        std::uint32_t version = 0;
        const bool ok = record.reader->ReadHeader("TGD", &version);
        EXPECT_EQ(ok, std::string(text) == "TGD\t7\n") << text;
        EXPECT_EQ(version, ok ? 7u : 0u);
        EXPECT_EQ(record.reader->GetErrorCount(), ok ? 0 : 1);
    }
    EXPECT_EQ(log.Lines().back(), "GxContentTextReader/FileHeader Isn't TGD Line=0\n");
}

TEST(ContentText, WrongTypeFailsAndStaysInStep)
{
    LogCapture log;
    TextRecord record("0e\tv\t1.0\t2.0\t3.0\t4.0\r\n15\tb\t3\r\n02\tn\t4\r\n0b\tz\t1\r\n");
    GxVector3 v;
    EXPECT_FALSE(record.reader->ReadVector3("v", &v));
    EXPECT_EQ(v.x, 0.0f);
    GxBit32 bits;
    EXPECT_FALSE(record.reader->ReadBit32("other", &bits));
    EXPECT_EQ(record.reader->GetU8("n"), 4);
    EXPECT_EQ(record.reader->GetS16("z"), 0);
    EXPECT_EQ(record.reader->GetErrorCount(), 3);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0], "GxContentTextReader/ValueType Isn't VALTYPE_GxVector3 Line=1\n");
    EXPECT_EQ(log.Lines()[1], "GxContentStringReader/ValueName does not match Line=2\n");
    EXPECT_EQ(log.Lines()[2], "GxContentTextReader/ValueType Isn't VALTYPE_GxS16 Line=4\n");
}

TEST(ContentText, EndOfData)
{
    TextRecord record("02\tn\t4\n");
    EXPECT_EQ(record.reader->PeekValueType(), 2);
    EXPECT_EQ(record.reader->GetU8("n"), 4);
    EXPECT_EQ(record.reader->PeekValueType(), 0);
    EXPECT_TRUE(record.reader->IsEnd());
    EXPECT_TRUE(record.reader->SkipValue());
    EXPECT_EQ(record.reader->GetErrorCount(), 0);
    const GxQuat q = record.reader->GetQuat("q");
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
    EXPECT_EQ(record.reader->GetMatrix("m").m[5], 1.0f);

    // A zero byte ends the text where it stands.
    TextRecord zero(std::string("02\tn\t4\n\0" "02\tn\t5\n", 15));
    EXPECT_EQ(zero.reader->GetU8("n"), 4);
    EXPECT_TRUE(zero.reader->IsEnd());
    EXPECT_EQ(zero.reader->BytesLeft(), 0u) << "nothing after the zero can be read, so no count may rely on it";
    EXPECT_EQ(zero.reader->GetU8("n"), 0);
}

TEST(ContentText, StringsAreUnquotedAndUnescaped)
{
    TextRecord record(
        "1a\ta\t0\t\"x\\vy\\fz\\q\"ignored\n"   // escapes, text after the closing quote
        "1a\tb\t0\tno quote\n"                  // no leading quote: empty, no error
        "1a\tc\t0\t\"open\n"                    // no closing quote: up to the end
        "1a\td\t0\t\"\\u3042\"\n");
    EXPECT_EQ(record.reader->ReadWString("a"), u"x\vy\fzq");
    EXPECT_EQ(record.reader->ReadString("b"), "");
    EXPECT_EQ(record.reader->ReadString("c"), "open");
    EXPECT_EQ(record.reader->ReadWString("d"), u"u3042");
    EXPECT_EQ(record.reader->GetErrorCount(), 0);
}

// Code 24 text is 8-bit: a second byte 0x5C ("ソ" is 83 5C) is no backslash.
TEST(ContentText, DoubleByteTextKeepsItsSecondBytes)
{
    const std::string so = "\x83\x5C";
    TextRecord record("18\ts\t2\t\"" + so + "\"\n" + "18\ts\t2\t\"" + so + "\"\n" + "02\tn\t3\n");
    EXPECT_EQ(record.reader->ReadString("s"), so);
    EXPECT_EQ(record.reader->ReadWString("s"), u"ソ");
    EXPECT_EQ(record.reader->GetU8("n"), 3);

    // UTF-8 text read as 8-bit comes out in the system code page, escapes resolved.
    TextRecord utf8(WriteText([](GxContentTextWriter& w) { w.WriteWString("s", u"ソ\\\"ソ"); }));
    EXPECT_EQ(utf8.reader->ReadString("s"), so + "\\\"" + so);
}

TEST(ContentText, BlocksReadBackAndIgnoreExcessDigits)
{
    TextRecord record(
        "1b\tb\t3\n"
        "0a0B0c\n"
        "1b\tb\t2\n"
        "ff0g1\n"              // "0g" is 0; the odd last digit is dropped
        "1b\tb\t1\n"
        "0102030405060708091011121314151617181920212223242526272829303132333435\n"
        "02\tn\t6\n");
    GxBinBuffer block;
    ASSERT_TRUE(record.reader->ReadBinary("b", block));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GetData()), block.GetSize()),
              Bytes({0x0A, 0x0B, 0x0C}));
    ASSERT_TRUE(record.reader->ReadBinary("b", block));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GetData()), block.GetSize()), Bytes({0xFF, 0x00}));
    ASSERT_TRUE(record.reader->ReadBinary("b", block));
    ASSERT_EQ(block.GetSize(), 1u);
    EXPECT_EQ(block.GetData()[0], 0x01);
    EXPECT_EQ(record.reader->GetU8("n"), 6);
    EXPECT_EQ(record.reader->GetErrorCount(), 0);
}

TEST(ContentText, SkipValuePassesOverBlockLines)
{
    TextRecord record(WriteText([](GxContentTextWriter& w) {
        std::uint8_t bytes[65] = {};
        w.WriteBinary("b", bytes, sizeof(bytes));
        w.WriteListBegin("l", "x", 1);
        w.WriteU8("n", 2);
    }));
    EXPECT_TRUE(record.reader->SkipValue());
    EXPECT_EQ(record.reader->PeekValueType(), VALTYPE_ListBegin);
    EXPECT_TRUE(record.reader->SkipValue());
    EXPECT_EQ(record.reader->GetU8("n"), 2);

    // A huge stored length stops at the end of the data.
    TextRecord huge("1b\tb\t2147483647\n00\n");
    EXPECT_TRUE(huge.reader->SkipValue());
    EXPECT_TRUE(huge.reader->IsEnd());
}

// Damaged lines: counted failures, never a read past the fields or the data.
TEST(ContentText, DamagedLinesFailWithAnErrorCounted)
{
    LogCapture log;
    TextRecord record(
        "0e\tv\t1.0\t2.0\t3.0\n"   // a Vector4 with three numbers
        "1a\ts\t3\n"               // a string without its text field
        "20\tl\tlabel\n"           // a list start without its count
        "06\tu\n"                  // a U32 without its value
        "1b\tb\t-1\n"              // negative block length
        "1b\tb\t100\n"             // more bytes than the text could hold
        "0102\n"
        "02\tn\t9\n");
    GxVector4 v(7.0f, 7.0f, 7.0f, 7.0f);
    EXPECT_FALSE(record.reader->ReadVector4("v", &v));
    EXPECT_EQ(v.x, 7.0f);
    EXPECT_EQ(record.reader->ReadWString("s"), u"");
    std::uint32_t count = 5;
    EXPECT_FALSE(record.reader->ReadListBegin("l", &count));
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(record.reader->GetU32("u"), 0u);
    GxBinBuffer block;
    Fill(block, "keep");
    EXPECT_FALSE(record.reader->ReadBinary("b", block));
    EXPECT_FALSE(record.reader->ReadBinary("b", block));
    EXPECT_EQ(block.GetSize(), 4u);
    EXPECT_EQ(record.reader->GetErrorCount(), 6);
    EXPECT_EQ(log.Lines()[0], "GxContentTextReader/Value Fields Missing Line=1\n");
    EXPECT_EQ(log.Lines()[4], "GxContentTextReader/Binary Length Error(-1) Line=5\n");

    // The failed block left its data line unread.
    EXPECT_EQ(record.reader->PeekValueType(), 0x102);
    EXPECT_TRUE(record.reader->SkipValue());
    EXPECT_EQ(record.reader->GetU8("n"), 9);
}

TEST(ContentText, HeaderNameLimitAndWriterResult)
{
    LogCapture log;
    MemoryStream stream;
    GxContentTextWriter w(stream.File());
    EXPECT_FALSE(w.WriteHeader("TOOLONGHEADERNAM", 1));
    EXPECT_EQ(stream.Bytes(), "");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "GxContentTextWriter/Header String Too Long(Limit=15 Chars)\n");
    EXPECT_TRUE(w.WriteHeader("TOOLONGHEADERNA", 1));

    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    w.SetFile(full);
    EXPECT_FALSE(w.WriteS32("n", 1));
    std::uint8_t bytes[40] = {};
    EXPECT_FALSE(w.WriteBinary("b", bytes, sizeof(bytes)));
    std::fclose(full);
    w.SetFile(nullptr);
    EXPECT_FALSE(w.WriteListEnd());
    EXPECT_FALSE(w.Flush());
}
