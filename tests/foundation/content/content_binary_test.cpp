// [Content] binary form: stored bytes, round trips, widenings, skipping and damaged records.
#include "foundation/content_binary.h"

#include "content_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace content_test;

namespace {

const std::string kBcdHeader = Bytes({'B', 'C', 'D', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});

// A reader over bytes it keeps alive itself.
struct BinaryRecord {
    explicit BinaryRecord(const std::string& bytes, bool verbose = true)
    {
        Fill(buffer, bytes);
        reader = std::make_unique<GxContentBinaryReader>(buffer, verbose);
    }
    GxBinBuffer buffer;
    std::unique_ptr<GxContentBinaryReader> reader;
};

}  // namespace

TEST(ContentBinary, WritesTheDocumentedBytes)
{
    MemoryStream stream;
    GxContentBinaryWriter w(stream.File());
    ASSERT_TRUE(w.WriteHeader("BCD", 1));
    EXPECT_TRUE(w.WriteU32("any name", 5));
    EXPECT_TRUE(w.WriteString("s", "abc"));
    EXPECT_TRUE(w.WriteString("s", ""));
    EXPECT_TRUE(w.WriteF32("f", 1.0f));
    const GxVector2 v(1.0f, 2.0f);
    EXPECT_TRUE(w.WriteVector2("v", &v));
    const std::string expected = kBcdHeader + Bytes({0x06, 0, 0, 0, 5}) +
                                 Bytes({0x1A, 0, 0, 0, 3, 'a', 'b', 'c', 0}) + Bytes({0x1A, 0, 0, 0, 0, 0}) +
                                 Bytes({0x09, 0x3F, 0x80, 0, 0}) +
                                 Bytes({0x0C, 0x3F, 0x80, 0, 0, 0x40, 0x00, 0, 0});
    EXPECT_EQ(stream.Bytes(), expected);
}

TEST(ContentBinary, RoundTripsEveryType)
{
    MemoryStream stream;
    {
        GxContentBinaryWriter w(stream.File());
        WriteEveryType(w);
    }
    BinaryRecord record(stream.Bytes());
    ExpectEveryType(*record.reader, "XTEST");
}

TEST(ContentBinary, HeaderNameLimitIsFifteenCharacters)
{
    LogCapture log;
    MemoryStream stream;
    GxContentBinaryWriter w(stream.File());
    EXPECT_FALSE(w.WriteHeader("ABCDEFGHIJKLMNOP", 3));
    EXPECT_EQ(stream.Bytes(), "");
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "GxContentBinaryWriter/Header String Too Long(Limit=15 Chars)\n");
    EXPECT_EQ(w.GetVersion(), 0u);

    ASSERT_TRUE(w.WriteHeader("ABCDEFGHIJKLMNO", 3));
    BinaryRecord record(stream.Bytes());
    std::uint32_t version = 0;
    EXPECT_TRUE(record.reader->ReadHeader("ABCDEFGHIJKLMNO", &version));
    EXPECT_EQ(version, 3u);
}

TEST(ContentBinary, HeaderMismatchLeavesThePositionAlone)
{
    LogCapture log;
    BinaryRecord record(kBcdHeader);
    std::uint32_t version = 99;
    EXPECT_FALSE(record.reader->ReadHeader("bcd", &version));
    EXPECT_EQ(version, 99u);
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0], "GxContentBinaryReader/FileHeader Isn't bcd\n");
    EXPECT_EQ(record.reader->PeekValueType(), 'B');

    EXPECT_TRUE(record.reader->ReadHeader("BCD", &version));
    EXPECT_EQ(version, 1u);
    EXPECT_TRUE(record.reader->IsEnd());
}

TEST(ContentBinary, HeaderTooShortOrCutBeforeTheVersion)
{
    for (std::size_t size : {0u, 15u, 18u}) {
        BinaryRecord record(kBcdHeader.substr(0, size), false);
        std::uint32_t version = 7;
        EXPECT_FALSE(record.reader->ReadHeader("BCD", &version)) << size;
        EXPECT_EQ(version, 7u);
        EXPECT_EQ(record.reader->GetVersion(), 0u);
        EXPECT_EQ(record.reader->GetErrorCount(), 1) << size;
    }
}

TEST(ContentBinary, TheFourWideningsAndNoOthers)
{
    const std::string vec4 = Bytes({0x0E, 0x3F, 0x80, 0, 0, 0x40, 0, 0, 0, 0x40, 0x40, 0, 0, 0x40, 0x80, 0, 0});
    const std::string vec3 = Bytes({0x0D, 0x3F, 0x80, 0, 0, 0x40, 0, 0, 0, 0x40, 0x40, 0, 0});
    const std::string marker = Bytes({0x02, 0x5A});
    {
        BinaryRecord record(vec4 + marker);
        GxVector3 v;
        v.w = 9.0f;
        EXPECT_TRUE(record.reader->ReadVector3("v", &v));
        EXPECT_EQ(v.x, 1.0f);
        EXPECT_EQ(v.y, 2.0f);
        EXPECT_EQ(v.z, 3.0f);
        EXPECT_EQ(v.w, 9.0f);   // the stored fourth component is passed over, not kept
        EXPECT_EQ(record.reader->GetU8("m"), 0x5A);
    }
    {
        BinaryRecord record(vec3 + marker);
        GxVector4 v(5.0f, 5.0f, 5.0f, 5.0f);
        EXPECT_TRUE(record.reader->ReadVector4("v", &v));
        EXPECT_EQ(v.z, 3.0f);
        EXPECT_EQ(v.w, 0.0f);
        EXPECT_EQ(record.reader->GetU8("m"), 0x5A);
    }
    {
        BinaryRecord record(vec4 + vec4);
        const GxQuat q = record.reader->GetQuat("q");
        const GxFColor c = record.reader->GetFColor("c");
        EXPECT_EQ(q.w, 4.0f);
        EXPECT_EQ(c.a, 4.0f);
        EXPECT_EQ(record.reader->GetErrorCount(), 0);
    }
    {
        // A Vector2 read of a Vector3 is no widening: the type byte goes, the payload stays.
        LogCapture log;
        BinaryRecord record(vec3);
        GxVector2 v;
        EXPECT_FALSE(record.reader->ReadVector2("v", &v));
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_EQ(log.Lines()[0], "GxContentBinaryReader/ValueType Isn't VALTYPE_GxVector2\n");
        EXPECT_EQ(record.reader->PeekValueType(), 0x3F);
    }
}

TEST(ContentBinary, SignedReadOfUnsignedFailsOnThePayload)
{
    BinaryRecord record(Bytes({0x06, 0x11, 0x22, 0x33, 0x44}));
    std::int32_t value = -5;
    EXPECT_FALSE(record.reader->ReadS32("n", &value));
    EXPECT_EQ(value, -5);
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
    EXPECT_EQ(record.reader->PeekValueType(), 0x11);
}

TEST(ContentBinary, StringsStopAtTheirFirstZeroAndConvert)
{
    // "ab", zero, "c" with L = 4, then the marker right after the terminator.
    {
        BinaryRecord record(Bytes({0x1A, 0, 0, 0, 4, 'a', 'b', 0, 'c', 0, 0x02, 0x01}));
        EXPECT_EQ(record.reader->ReadString("s"), "ab");
        EXPECT_EQ(record.reader->GetU8("m"), 1);
        EXPECT_EQ(record.reader->GetErrorCount(), 0);
    }
    // UTF-8 comes out in the system code page for 8-bit reads; code 24 text goes the other way.
    const std::string utf8 = "\xE6\x97\xA5\xE6\x9C\xAC";   // 日本
    const std::string sjis = "\x93\xFA\x96\x7B";           // 日本 in code page 932
    {
        BinaryRecord record(Bytes({0x1A, 0, 0, 0, 6}) + utf8 + Bytes({0}) + Bytes({0x1A, 0, 0, 0, 6}) + utf8 +
                            Bytes({0}));
        EXPECT_EQ(record.reader->ReadString("s"), sjis);
        EXPECT_EQ(record.reader->ReadWString("s"), u"日本");
    }
    {
        BinaryRecord record(Bytes({0x18, 0, 0, 0, 4}) + sjis + Bytes({0}) + Bytes({0x18, 0, 0, 0, 4}) + sjis +
                            Bytes({0}));
        EXPECT_EQ(record.reader->ReadString("s"), sjis);
        EXPECT_EQ(record.reader->ReadWString("s"), u"日本");
        EXPECT_EQ(record.reader->GetErrorCount(), 0);
    }
}

TEST(ContentBinary, SkipValueSizes)
{
    struct Case {
        const char* what;
        std::string value;
    };
    const Case cases[] = {
        {"bit32", Bytes({0x15, 1, 2, 3, 4})},
        {"list start", Bytes({0x20, 0, 0, 0, 9})},
        {"10-byte block", Bytes({0x1B, 0, 0, 0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})},
        {"list end", Bytes({0x21})},
        {"string", Bytes({0x1A, 0, 0, 0, 2, 'h', 'i', 0})},
        {"matrix", Bytes({0x11}) + std::string(64, '\0')},
        {"point3", Bytes({0x33}) + std::string(12, '\0')},
    };
    for (const Case& c : cases) {
        BinaryRecord record(c.value + Bytes({0x02, 0x77}));
        EXPECT_TRUE(record.reader->SkipValue()) << c.what;
        EXPECT_EQ(record.reader->PeekValueType(), 0x02) << c.what;
        EXPECT_EQ(record.reader->GetU8("m"), 0x77) << c.what;
        EXPECT_EQ(record.reader->GetErrorCount(), 0) << c.what;
    }
}

TEST(ContentBinary, EndOfDataCountsOncePerFailure)
{
    LogCapture log;
    BinaryRecord record("");
    EXPECT_EQ(record.reader->PeekValueType(), 255);
    EXPECT_TRUE(record.reader->IsEnd());
    EXPECT_FALSE(record.reader->SkipValue());
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
    EXPECT_EQ(record.reader->GetS8("x"), 0);
    EXPECT_EQ(record.reader->GetErrorCount(), 3);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[1], "GxContentBinaryReader/ReadPos Overrun\n");
    EXPECT_EQ(log.Lines()[2], "GxContentBinaryReader/ValueType Isn't VALTYPE_GxS8\n");

    const GxQuat q = record.reader->GetQuat("q");
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_EQ(record.reader->GetErrorCount(), 5);
    EXPECT_EQ(record.reader->GetFColor("c").g, 1.0f);
    EXPECT_TRUE(record.reader->ReadListElementBegin());
    EXPECT_EQ(record.reader->GetErrorCount(), 7);
}

TEST(ContentBinary, FailedReadsKeepDefaultsAndWhatWasTaken)
{
    // A matrix read of a U32, then a Rect cut after two of its four fields.
    BinaryRecord record(Bytes({0x06, 0, 0, 0, 1}));
    const GxMatrix m = record.reader->GetMatrix("m");
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m.m[i], (i % 5 == 0) ? 1.0f : 0.0f);
    }
    BinaryRecord cut(Bytes({0x12, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0}));
    GxRect rect{9, 9, 9, 9};
    EXPECT_FALSE(cut.reader->ReadRect("r", &rect));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 2);
    EXPECT_EQ(rect.right, 9);
    EXPECT_EQ(cut.reader->GetErrorCount(), 1);
}

TEST(ContentBinary, NonVerboseReaderCountsButLogsNothing)
{
    LogCapture log;
    BinaryRecord record(Bytes({0x06, 0, 0, 0, 1}), false);
    EXPECT_EQ(record.reader->GetF32("f"), 0.0f);
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(ContentBinary, AnyStoredBoolByteReadsAsTrue)
{
    BinaryRecord record(Bytes({0x0B, 0x02, 0x0B, 0x00}));
    EXPECT_TRUE(record.reader->GetBool("a"));
    EXPECT_FALSE(record.reader->GetBool("b"));
}

// Lengths taken from the data are compared with what is left, never added to a pointer.
TEST(ContentBinary, LengthsPastTheEndFailWithoutReadingThere)
{
    LogCapture log;
    {
        BinaryRecord record(Bytes({0x1A, 0, 0, 0, 9, 'a', 'b'}));
        EXPECT_EQ(record.reader->ReadString("s"), "");
        EXPECT_EQ(record.reader->GetErrorCount(), 1);
        EXPECT_EQ(log.Lines().back(), "GxContentBinaryReader/ReadPos Overrun\n");
    }
    {
        // All text present but no terminator: the record is cut.
        BinaryRecord record(Bytes({0x1A, 0, 0, 0, 2, 'a', 'b'}));
        EXPECT_EQ(record.reader->ReadWString("s"), u"");
        EXPECT_EQ(record.reader->GetErrorCount(), 1);
        EXPECT_TRUE(record.reader->IsEnd());
    }
    {
        BinaryRecord record(Bytes({0x1B, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3}));
        GxBinBuffer block;
        Fill(block, "keep");
        EXPECT_FALSE(record.reader->ReadBinary("b", block));
        EXPECT_EQ(block.GetSize(), 4u);
        EXPECT_EQ(record.reader->GetErrorCount(), 1);
    }
    {
        BinaryRecord record(Bytes({0x1B, 0, 0}));
        GxBinBuffer block;
        Fill(block, "keep");
        EXPECT_FALSE(record.reader->ReadBinary("b", block));
        EXPECT_EQ(block.GetSize(), 4u);
    }
    // Skipping a length past the end stops at the end.
    for (const std::string& value : {Bytes({0x1A, 0xFF, 0xFF, 0xFF, 0xFF, 'x'}), Bytes({0x1B, 0x80, 0, 0, 0, 1}),
                                     Bytes({0x18, 0, 0, 0, 1, 'x'})}) {
        BinaryRecord record(value);
        EXPECT_FALSE(record.reader->SkipValue());
        EXPECT_EQ(record.reader->GetErrorCount(), 1);
        EXPECT_TRUE(record.reader->IsEnd());
    }
    for (const std::string& value : {Bytes({0x20, 0, 0}), Bytes({0x11, 0, 0, 0})}) {
        BinaryRecord record(value);
        EXPECT_FALSE(record.reader->SkipValue());
        EXPECT_EQ(record.reader->GetErrorCount(), 1);
    }
}

TEST(ContentBinary, ListCountIsNotEnforced)
{
    MemoryStream stream;
    {
        GxContentBinaryWriter w(stream.File());
        w.WriteListBegin("l", "label", 3);
        w.WriteS16("e", 1);
        w.WriteListEnd();
    }
    BinaryRecord record(stream.Bytes());
    std::uint32_t count = 0;
    EXPECT_TRUE(record.reader->ReadListBegin("l", &count));
    EXPECT_EQ(count, 3u);
    EXPECT_FALSE(record.reader->ReadListEnd());   // the unread element's code is met
    EXPECT_EQ(record.reader->GetErrorCount(), 1);
}

TEST(ContentBinary, WriterReportsTheStreamsResult)
{
    GxContentBinaryWriter detached(nullptr);
    EXPECT_FALSE(detached.WriteU8("n", 1));
    EXPECT_FALSE(detached.WriteHeader("BX", 1));
    EXPECT_FALSE(detached.Flush());

    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    GxContentBinaryWriter w(full);
    EXPECT_FALSE(w.WriteU32("n", 1));
    EXPECT_FALSE(w.WriteString("s", "text"));
    EXPECT_TRUE(w.WriteListElementBegin());
    EXPECT_EQ(w.GetErrorCount(), 0);
    std::fclose(full);
}
