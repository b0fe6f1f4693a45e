// Shared pieces of the content record tests: an in-memory output stream for the writers, a
// buffer filled from bytes for the readers, a log listener that keeps the readers' messages,
// and one record holding a value of every type, written and checked through the interfaces.
#pragma once

#include "foundation/bin_buffer.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/memory_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace content_test {

using MemoryStream = TestMemoryStream;

inline void Fill(GxBinBuffer& buffer, std::string_view bytes)
{
    BYTE* data = buffer.Allocate(static_cast<std::uint32_t>(bytes.size()));
    if (!bytes.empty()) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
}

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values) {
        bytes.push_back(static_cast<char>(v));
    }
    return bytes;
}

using LogCapture = TestErrorLogCapture;

// Values every form stores exactly (the text form keeps six decimals).
inline void WriteEveryType(GxContentWriterBase& w)
{
    GxBit32 bits;
    bits.m_Bits = 0x80000001u;
    const GxPoint4 p4{-1, 2, -3, std::numeric_limits<std::int32_t>::min()};
    const GxPoint3 p3{7, -8, std::numeric_limits<std::int32_t>::max()};
    const GxPoint2 p2{1, -2};
    const GxFRect frect{0.5f, -1.25f, 640.0f, 480.75f};
    const GxRect rect{-10, 20, 1024, 768};
    GxMatrix matrix;
    for (int i = 0; i < 16; ++i) {
        matrix.m[i] = static_cast<float>(i) * 0.5f - 3.0f;
    }
    const GxFColor color(0.25f, 0.5f, 0.75f, 1.0f);
    const GxQuat quat(0.0f, 0.5f, -0.5f, 0.75f);
    const GxVector4 v4(1.0f, 2.0f, 3.0f, 4.0f);
    const GxVector3 v3(-1.5f, 0.0f, 2.25f);
    const GxVector2 v2(100.125f, -0.5f);
    std::uint8_t block[40];
    for (int i = 0; i < 40; ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }

    ASSERT_TRUE(w.WriteHeader("XTEST", 42));
    EXPECT_TRUE(w.WriteBit32("bits", &bits));
    EXPECT_TRUE(w.WritePoint4("p4", &p4));
    EXPECT_TRUE(w.WritePoint3("p3", &p3));
    EXPECT_TRUE(w.WritePoint2("p2", &p2));
    EXPECT_TRUE(w.WriteFRect("frect", &frect));
    EXPECT_TRUE(w.WriteRect("rect", &rect));
    EXPECT_TRUE(w.WriteMatrix("matrix", &matrix));
    EXPECT_TRUE(w.WriteFColor("color", &color));
    EXPECT_TRUE(w.WriteQuat("quat", &quat));
    EXPECT_TRUE(w.WriteVector4("v4", &v4));
    EXPECT_TRUE(w.WriteVector3("v3", &v3));
    EXPECT_TRUE(w.WriteVector2("v2", &v2));
    EXPECT_TRUE(w.WriteBool("yes", true));
    EXPECT_TRUE(w.WriteBool("no", false));
    EXPECT_TRUE(w.WriteF64("f64", -12345.5));
    EXPECT_TRUE(w.WriteF32("f32", 0.125f));
    EXPECT_TRUE(w.WriteU64("u64", std::numeric_limits<std::uint64_t>::max()));
    EXPECT_TRUE(w.WriteS64("s64", std::numeric_limits<std::int64_t>::min()));
    EXPECT_TRUE(w.WriteU32("u32", 4294967295u));
    EXPECT_TRUE(w.WriteS32("s32", std::numeric_limits<std::int32_t>::min()));
    EXPECT_TRUE(w.WriteU16("u16", 65535));
    EXPECT_TRUE(w.WriteS16("s16", -32768));
    EXPECT_TRUE(w.WriteU8("u8", 255));
    EXPECT_TRUE(w.WriteS8("s8", -128));
    EXPECT_TRUE(w.WriteWString("wide", std::u16string(u"日本語 \"q\" \\ tab\t'end'\r\n")));
    EXPECT_TRUE(w.WriteString("narrow", std::string("plain text")));
    EXPECT_TRUE(w.WriteWString("empty", std::u16string()));
    EXPECT_TRUE(w.WriteBinary("block", block, sizeof(block)));
    EXPECT_TRUE(w.WriteBinary("noblock", nullptr, 0));
    EXPECT_TRUE(w.WriteListBegin("list", "entries", 2));
    for (std::int32_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(w.WriteListElementBegin());
        EXPECT_TRUE(w.WriteS32("element", i * 10));
        EXPECT_TRUE(w.WriteListElementEnd());
    }
    EXPECT_TRUE(w.WriteListEnd());
    EXPECT_TRUE(w.WriteTreeBegin("tree", "levels"));
    EXPECT_TRUE(w.WriteTreeStratumBegin());
    EXPECT_TRUE(w.WriteU8("leaf", 9));
    EXPECT_TRUE(w.WriteTreeStratumEnd());
    EXPECT_TRUE(w.WriteTreeEnd());
    EXPECT_TRUE(w.WriteS32("last", 77));
    EXPECT_TRUE(w.Flush());
    EXPECT_EQ(w.GetVersion(), 42u);
    EXPECT_EQ(w.GetErrorCount(), 0);
}

// Reads the record of WriteEveryType back, in order, with the header name given.
inline void ExpectEveryType(GxContentReaderBase& r, const char* headerName)
{
    std::uint32_t version = 0;
    ASSERT_TRUE(r.ReadHeader(headerName, &version));
    EXPECT_EQ(version, 42u);
    EXPECT_EQ(r.GetVersion(), 42u);

    EXPECT_EQ(r.GetBit32("bits").m_Bits, 0x80000001u);
    const GxPoint4 p4 = r.GetPoint4("p4");
    EXPECT_EQ(p4.x, -1);
    EXPECT_EQ(p4.y, 2);
    EXPECT_EQ(p4.z, -3);
    EXPECT_EQ(p4.w, std::numeric_limits<std::int32_t>::min());
    const GxPoint3 p3 = r.GetPoint3("p3");
    EXPECT_EQ(p3.x, 7);
    EXPECT_EQ(p3.y, -8);
    EXPECT_EQ(p3.z, std::numeric_limits<std::int32_t>::max());
    const GxPoint2 p2 = r.GetPoint2("p2");
    EXPECT_EQ(p2.x, 1);
    EXPECT_EQ(p2.y, -2);
    const GxFRect frect = r.GetFRect("frect");
    EXPECT_EQ(frect.left, 0.5f);
    EXPECT_EQ(frect.top, -1.25f);
    EXPECT_EQ(frect.right, 640.0f);
    EXPECT_EQ(frect.bottom, 480.75f);
    const GxRect rect = r.GetRect("rect");
    EXPECT_EQ(rect.left, -10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 1024);
    EXPECT_EQ(rect.bottom, 768);
    const GxMatrix matrix = r.GetMatrix("matrix");
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(matrix.m[i], static_cast<float>(i) * 0.5f - 3.0f) << "element " << i;
    }
    const GxFColor color = r.GetFColor("color");
    EXPECT_EQ(color.r, 0.25f);
    EXPECT_EQ(color.g, 0.5f);
    EXPECT_EQ(color.b, 0.75f);
    EXPECT_EQ(color.a, 1.0f);
    const GxQuat quat = r.GetQuat("quat");
    EXPECT_EQ(quat.x, 0.0f);
    EXPECT_EQ(quat.y, 0.5f);
    EXPECT_EQ(quat.z, -0.5f);
    EXPECT_EQ(quat.w, 0.75f);
    const GxVector4 v4 = r.GetVector4("v4");
    EXPECT_EQ(v4.x, 1.0f);
    EXPECT_EQ(v4.y, 2.0f);
    EXPECT_EQ(v4.z, 3.0f);
    EXPECT_EQ(v4.w, 4.0f);
    const GxVector3 v3 = r.GetVector3("v3");
    EXPECT_EQ(v3.x, -1.5f);
    EXPECT_EQ(v3.y, 0.0f);
    EXPECT_EQ(v3.z, 2.25f);
    const GxVector2 v2 = r.GetVector2("v2");
    EXPECT_EQ(v2.x, 100.125f);
    EXPECT_EQ(v2.y, -0.5f);
    EXPECT_TRUE(r.GetBool("yes"));
    EXPECT_FALSE(r.GetBool("no"));
    EXPECT_EQ(r.GetF64("f64"), -12345.5);
    EXPECT_EQ(r.GetF32("f32"), 0.125f);
    EXPECT_EQ(r.GetU64("u64"), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(r.GetS64("s64"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(r.GetU32("u32"), 4294967295u);
    EXPECT_EQ(r.GetS32("s32"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(r.GetU16("u16"), 65535);
    EXPECT_EQ(r.GetS16("s16"), -32768);
    EXPECT_EQ(r.GetU8("u8"), 255);
    EXPECT_EQ(r.GetS8("s8"), -128);
    EXPECT_EQ(r.ReadWString("wide"), std::u16string(u"日本語 \"q\" \\ tab\t'end'\r\n"));
    std::string narrow;
    r.ReadString("narrow", narrow);
    EXPECT_EQ(narrow, "plain text");
    EXPECT_EQ(r.ReadWString("empty"), std::u16string());

    GxBinBuffer block;
    ASSERT_TRUE(r.ReadBinary("block", block));
    ASSERT_EQ(block.GetSize(), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(block.GetData()[i], static_cast<BYTE>(i * 7 + 3)) << "byte " << i;
    }
    GxBinBuffer noBlock;
    EXPECT_TRUE(r.ReadBinary("noblock", noBlock));
    EXPECT_EQ(noBlock.GetSize(), 0u);

    std::uint32_t count = 0;
    EXPECT_TRUE(r.ReadListBegin("list", &count));
    ASSERT_EQ(count, 2u);
    for (std::uint32_t i = 0; i < count; ++i) {
        EXPECT_TRUE(r.ReadListElementBegin());
        EXPECT_EQ(r.GetS32("element"), static_cast<std::int32_t>(i * 10));
        EXPECT_TRUE(r.ReadListElementEnd());
    }
    EXPECT_TRUE(r.ReadListEnd());
    EXPECT_TRUE(r.ReadTreeBegin("tree"));
    EXPECT_TRUE(r.ReadTreeStratumBegin());
    EXPECT_EQ(r.GetU8("leaf"), 9);
    EXPECT_TRUE(r.ReadTreeStratumEnd());
    EXPECT_TRUE(r.ReadTreeEnd());
    EXPECT_EQ(r.GetS32("last"), 77);

    EXPECT_TRUE(r.IsEnd());
    EXPECT_EQ(r.GetErrorCount(), 0);
}

}  // namespace content_test
