// [Content] compressed form: header checks, decompression, and what a short, corrupt or
// oversized body does to the reads that follow.
#include "foundation/content_compressed.h"

#include "content_test_support.h"
#include "tests/support/compressed_content.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>

using namespace content_test;

namespace {

// The 28-byte header and a zlib stream; `announced` is the size field (the body's size when 0).
std::string CompressedRecord(const std::string& name, std::uint32_t version, const std::string& body,
                             std::uint32_t announced = 0)
{
    // The reserved word is not read: fill it with something other than zero.
    std::string record = CompressedContentRecord(name, version, body, announced);
    record.replace(24, 4, "\xEF\xBE\xAD\xDE");
    return record;
}

struct CompressedFile {
    explicit CompressedFile(const std::string& bytes, bool verbose = true)
    {
        Fill(buffer, bytes);
        reader = std::make_unique<GxContentCompressedBinaryReader>(buffer, verbose);
    }
    GxBinBuffer buffer;
    std::unique_ptr<GxContentCompressedBinaryReader> reader;
};

}  // namespace

TEST(ContentCompressed, RoundTripsEveryTypeOfTheBinaryForm)
{
    MemoryStream stream;
    {
        GxContentBinaryWriter w(stream.File());
        WriteEveryType(w);
    }
    const std::string body = stream.Bytes().substr(20);   // values only, after the binary header
    CompressedFile file(CompressedRecord("ZMOA", 42, body));
    ExpectEveryType(*file.reader, "ZMOA");
}

TEST(ContentCompressed, HeaderNumbersAreLittleEndian)
{
    CompressedFile file(CompressedRecord("ZMOA", 1, Bytes({0x02, 0x07})));
    std::uint32_t version = 0;
    ASSERT_TRUE(file.reader->ReadHeader("ZMOA", &version));
    EXPECT_EQ(version, 1u);
    EXPECT_EQ(file.reader->GetU8("n"), 7);
    EXPECT_TRUE(file.reader->IsEnd());
}

TEST(ContentCompressed, BeforeTheHeaderNothingIsReadable)
{
    CompressedFile file(CompressedRecord("ZMOA", 1, Bytes({0x02, 0x07})), false);
    EXPECT_TRUE(file.reader->IsEnd());
    EXPECT_EQ(file.reader->PeekValueType(), 255);
    EXPECT_EQ(file.reader->GetU8("n"), 0);
    EXPECT_EQ(file.reader->GetErrorCount(), 2);
}

TEST(ContentCompressed, ShortRecordOrWrongName)
{
    LogCapture log;
    const std::string record = CompressedRecord("ZMOA", 1, Bytes({0x02, 0x07}));
    {
        CompressedFile file(record.substr(0, 27));
        EXPECT_FALSE(file.reader->ReadHeader("ZMOA", nullptr));
        EXPECT_EQ(file.reader->GetErrorCount(), 1);
        EXPECT_EQ(log.Lines().back(), "GxContentCompressedBinaryReader/Header Size Error\n");
    }
    {
        CompressedFile file(record);
        EXPECT_FALSE(file.reader->ReadHeader("Zmoa", nullptr));
        EXPECT_EQ(file.reader->GetErrorCount(), 1);
        EXPECT_EQ(log.Lines().back(), "GxContentCompressedBinaryReader/FileHeader Isn't Zmoa\n");
        EXPECT_EQ(file.reader->GetVersion(), 0u);
    }
}

TEST(ContentCompressed, AnnouncedSizeLargerThanTheBody)
{
    LogCapture log;
    CompressedFile file(CompressedRecord("ZMOA", 2, Bytes({0x02, 0x07}), 6));
    ASSERT_TRUE(file.reader->ReadHeader("ZMOA", nullptr));
    EXPECT_EQ(file.reader->GetU8("n"), 7);
    EXPECT_FALSE(file.reader->IsEnd());
    EXPECT_EQ(file.reader->GetErrorCount(), 0);
    EXPECT_EQ(file.reader->GetU8("n"), 0);   // the zero-filled rest: type 0
    EXPECT_EQ(file.reader->GetErrorCount(), 1);
    EXPECT_EQ(log.Lines().back(), "GxContentCompressedBinaryReader/ValueType Isn't VALTYPE_GxU8\n");
}

TEST(ContentCompressed, CorruptStreamStillReadsTheHeader)
{
    LogCapture log;
    std::string record = CompressedRecord("ZMOA", 3, Bytes({0x02, 0x07, 0x02, 0x08}));
    record[28] = 0x00;   // breaks the zlib stream header
    CompressedFile file(record);
    std::uint32_t version = 0;
    EXPECT_TRUE(file.reader->ReadHeader("ZMOA", &version));
    EXPECT_EQ(version, 3u);
    EXPECT_EQ(file.reader->GetErrorCount(), 1);
    EXPECT_EQ(log.Lines().back(), "GxContentCompressedBinaryReader/Uncompress Failed Code(-3)\n");
    EXPECT_EQ(file.reader->GetU8("n"), 0);
    EXPECT_EQ(file.reader->GetErrorCount(), 2);
}

TEST(ContentCompressed, BodyLongerThanAnnouncedIsCut)
{
    CompressedFile file(CompressedRecord("ZMOA", 1, Bytes({0x02, 0x07, 0x02, 0x08}), 2));
    ASSERT_TRUE(file.reader->ReadHeader("ZMOA", nullptr));
    EXPECT_EQ(file.reader->GetErrorCount(), 1);   // the stream did not fit
    EXPECT_EQ(file.reader->GetU8("n"), 7);
    EXPECT_TRUE(file.reader->IsEnd());
}

// The announced size is allocated before decompressing: one no stream could fill is refused.
TEST(ContentCompressed, AbsurdAnnouncedSizeIsRefused)
{
    const std::string body = Bytes({0x02, 0x07});
    const std::uint32_t streamSize = static_cast<std::uint32_t>(CompressedRecord("ZMOA", 1, body).size() - 28);
    for (std::uint32_t announced : {0xFFFFFFFFu, streamSize * 1032u + 1u}) {
        LogCapture log;
        CompressedFile file(CompressedRecord("ZMOA", 1, body, announced));
        EXPECT_FALSE(file.reader->ReadHeader("ZMOA", nullptr)) << announced;
        EXPECT_EQ(file.reader->GetErrorCount(), 1);
        EXPECT_EQ(log.Lines().back(), "GxContentCompressedBinaryReader/Header Size Error\n");
        EXPECT_TRUE(file.reader->IsEnd());
    }
    CompressedFile largest(CompressedRecord("ZMOA", 1, body, streamSize * 1032u));
    EXPECT_TRUE(largest.reader->ReadHeader("ZMOA", nullptr));
}

TEST(ContentCompressed, SetRangeReplacesTheSourceForTheNextHeader)
{
    GxBinBuffer other;
    Fill(other, CompressedRecord("ZMOA", 5, Bytes({0x02, 0x09})));
    CompressedFile file("short");
    file.reader->SetRange(other.GetData(), other.GetSize());
    std::uint32_t version = 0;
    ASSERT_TRUE(file.reader->ReadHeader("ZMOA", &version));
    EXPECT_EQ(version, 5u);
    EXPECT_EQ(file.reader->GetU8("n"), 9);
    EXPECT_EQ(file.reader->GetErrorCount(), 0);
}
