// Lights and light tables through the text and binary content forms, and the graphics
// layer's own two lights.
#include "graphics/light.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

namespace {

enum class Form { Text, Binary };

std::unique_ptr<GxContentWriterBase> MakeWriter(Form form, std::FILE* file)
{
    if (form == Form::Text) return std::make_unique<GxContentTextWriter>(file);
    return std::make_unique<GxContentBinaryWriter>(file);
}

std::string WriteRecord(Form form, const std::function<void(GxContentWriterBase&)>& write)
{
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    {
        auto writer = MakeWriter(form, file);
        writer->WriteHeader("LIGHTS", 1);
        write(*writer);
    }
    std::fclose(file);
    std::string bytes(data, size);
    std::free(data);
    return bytes;
}

// Keeps the bytes the reader reads.
struct Record {
    explicit Record(const std::string& bytes)
    {
        std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(bytes.size())), bytes.data(), bytes.size());
    }
    std::unique_ptr<GxContentReaderBase> Reader(Form form)
    {
        std::unique_ptr<GxContentReaderBase> reader;
        if (form == Form::Text) {
            reader = std::make_unique<GxContentTextReader>(buffer, false);
        } else {
            reader = std::make_unique<GxContentBinaryReader>(buffer, false);
        }
        EXPECT_TRUE(reader->ReadHeader("LIGHTS", nullptr));
        return reader;
    }
    GxBinBuffer buffer;
};

GxLight SampleLight(float seed)
{
    GxLight light;
    light.m_Visible = true;
    light.m_Type = static_cast<std::int32_t>(seed) + 3;
    light.m_LightSphere_Pos = GxVector3(seed, -seed, 0.5f);
    light.m_LightSphere_Radius = seed * 2;
    light.m_Dir = GxVector3(0.0f, -1.0f, seed);
    light.m_LightColor0 = GxFColor(0.25f, 0.5f, 0.75f, 1.0f);
    light.m_LightColor1 = GxFColor(seed / 10, 0.0f, 1.0f, 0.5f);
    light.m_ConeAngle = 0.125f * seed;
    light.m_Intensity = 3.5f;
    return light;
}

void ExpectSameLight(const GxLight& a, const GxLight& b)
{
    EXPECT_EQ(a.m_Visible, b.m_Visible);
    EXPECT_EQ(a.m_Type, b.m_Type);
    EXPECT_FLOAT_EQ(a.m_LightSphere_Pos.x, b.m_LightSphere_Pos.x);
    EXPECT_FLOAT_EQ(a.m_LightSphere_Pos.y, b.m_LightSphere_Pos.y);
    EXPECT_FLOAT_EQ(a.m_LightSphere_Pos.z, b.m_LightSphere_Pos.z);
    EXPECT_FLOAT_EQ(a.m_LightSphere_Radius, b.m_LightSphere_Radius);
    EXPECT_FLOAT_EQ(a.m_Dir.x, b.m_Dir.x);
    EXPECT_FLOAT_EQ(a.m_Dir.y, b.m_Dir.y);
    EXPECT_FLOAT_EQ(a.m_Dir.z, b.m_Dir.z);
    for (const auto& [x, y] :
         {std::pair{a.m_LightColor0, b.m_LightColor0}, std::pair{a.m_LightColor1, b.m_LightColor1}}) {
        EXPECT_FLOAT_EQ(x.r, y.r);
        EXPECT_FLOAT_EQ(x.g, y.g);
        EXPECT_FLOAT_EQ(x.b, y.b);
        EXPECT_FLOAT_EQ(x.a, y.a);
    }
    EXPECT_FLOAT_EQ(a.m_ConeAngle, b.m_ConeAngle);
    EXPECT_FLOAT_EQ(a.m_Intensity, b.m_Intensity);
}

class LightTest : public ::testing::TestWithParam<Form> {};

// Writes the light fields the way a stored table holds them.
void WriteLights(GxContentWriterBase& writer, const char* list, std::uint32_t headerCount, int lights)
{
    writer.WriteListBegin(list, "", headerCount);
    for (int i = 0; i < lights; ++i) SampleLight(float(i + 1)).Write(writer);
    writer.WriteListEnd();
}

}  // namespace

TEST_P(LightTest, DefaultTableWritesTwoEmptyLists)
{
    Record record(
        WriteRecord(GetParam(), [](GxContentWriterBase& writer) { EXPECT_TRUE(GxLightTable().Write(writer)); }));
    auto reader = record.Reader(GetParam());
    std::uint32_t count = 99;
    EXPECT_EQ(reader->GetS32("m_PointLightCount"), 0);
    EXPECT_EQ(reader->GetS32("m_SpotLightCount"), 0);
    EXPECT_TRUE(reader->ReadListBegin("m_PointLights", &count));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(reader->ReadListEnd());
    EXPECT_TRUE(reader->ReadListBegin("m_SpotLights", &count));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(reader->ReadListEnd());
    EXPECT_TRUE(reader->IsEnd());
    EXPECT_EQ(reader->GetErrorCount(), 0);
}

TEST_P(LightTest, TableRoundTripsTheLightsInUse)
{
    auto table = std::make_unique<GxLightTable>();
    table->m_PointLightCount = 3;
    table->m_SpotLightCount = 1;
    for (int i = 0; i < 3; ++i) table->m_PointLights[i] = SampleLight(float(i + 1));
    table->m_SpotLights[0] = SampleLight(9.0f);
    table->m_PointLights[3] = SampleLight(50.0f);   // not in use: not written
    Record record(WriteRecord(GetParam(), [&](GxContentWriterBase& writer) { EXPECT_TRUE(table->Write(writer)); }));

    auto read = std::make_unique<GxLightTable>();
    auto reader = record.Reader(GetParam());
    ASSERT_TRUE(read->Read(*reader));
    EXPECT_TRUE(reader->IsEnd());
    EXPECT_EQ(read->m_PointLightCount, 3);
    EXPECT_EQ(read->m_SpotLightCount, 1);
    for (int i = 0; i < 3; ++i) ExpectSameLight(read->m_PointLights[i], table->m_PointLights[i]);
    ExpectSameLight(read->m_SpotLights[0], table->m_SpotLights[0]);
    ExpectSameLight(read->m_PointLights[3], GxLight());
}

TEST_P(LightTest, StoredCountDecidesHowManyLightsAreRead)
{
    // The list header says 5 and 7; the table's counts (3 and 1) are what is read.
    Record record(WriteRecord(GetParam(), [](GxContentWriterBase& writer) {
        writer.WriteS32("m_PointLightCount", 3);
        writer.WriteS32("m_SpotLightCount", 1);
        WriteLights(writer, "m_PointLights", 5, 3);
        WriteLights(writer, "m_SpotLights", 7, 1);
    }));
    auto table = std::make_unique<GxLightTable>();
    auto reader = record.Reader(GetParam());
    ASSERT_TRUE(table->Read(*reader));
    EXPECT_TRUE(reader->IsEnd());
    EXPECT_EQ(table->m_PointLightCount, 3);
    ExpectSameLight(table->m_PointLights[2], SampleLight(3.0f));
    ExpectSameLight(table->m_SpotLights[0], SampleLight(1.0f));
}

TEST_P(LightTest, CountsOutsideTheTableAreRefusedBeforeAnyLight)
{
    const struct {
        std::int32_t points, spots;
    } cases[] = {{257, 0}, {0, 257}, {-1, 0}, {0, -5}, {0x7FFFFFFF, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.points << "/" << c.spots);
        Record record(WriteRecord(GetParam(), [&](GxContentWriterBase& writer) {
            writer.WriteS32("m_PointLightCount", c.points);
            writer.WriteS32("m_SpotLightCount", c.spots);
            WriteLights(writer, "m_PointLights", 1, 1);
            WriteLights(writer, "m_SpotLights", 1, 1);
        }));
        auto table = std::make_unique<GxLightTable>();
        table->m_PointLights[0].m_Intensity = 42.0f;
        auto reader = record.Reader(GetParam());
        EXPECT_FALSE(table->Read(*reader));
        EXPECT_EQ(table->m_PointLightCount, 0);
        EXPECT_EQ(table->m_SpotLightCount, 0);
        EXPECT_EQ(table->m_PointLights[0].m_Intensity, 42.0f) << "no light was read";
    }
    // The 256 of a full table are fine.
    auto full = std::make_unique<GxLightTable>();
    full->m_PointLightCount = GxLightTable::kMaxLights;
    full->m_PointLights[255] = SampleLight(7.0f);
    Record record(WriteRecord(GetParam(), [&](GxContentWriterBase& writer) { EXPECT_TRUE(full->Write(writer)); }));
    auto read = std::make_unique<GxLightTable>();
    auto reader = record.Reader(GetParam());
    ASSERT_TRUE(read->Read(*reader));
    EXPECT_EQ(read->m_PointLightCount, 256);
    ExpectSameLight(read->m_PointLights[255], SampleLight(7.0f));
}

TEST_P(LightTest, DefaultLightReadsBackWhiteWithIntensityOne)
{
    Record record(WriteRecord(GetParam(), [](GxContentWriterBase& writer) { EXPECT_TRUE(GxLight().Write(writer)); }));
    GxLight light = SampleLight(4.0f);
    auto reader = record.Reader(GetParam());
    ASSERT_TRUE(light.Read(*reader));
    ExpectSameLight(light, GxLight());
    EXPECT_FLOAT_EQ(light.m_Intensity, 1.0f);
    EXPECT_FLOAT_EQ(light.m_LightColor0.r, 1.0f);
    EXPECT_FLOAT_EQ(light.m_LightColor1.a, 1.0f);
    EXPECT_FALSE(light.m_Visible);
}

TEST_P(LightTest, DamagedRecordsFail)
{
    const std::string whole =
        WriteRecord(GetParam(), [](GxContentWriterBase& writer) { SampleLight(2.0f).Write(writer); });
    const std::string header = WriteRecord(GetParam(), [](GxContentWriterBase&) {});
    // Cut inside the fields, and with a field renamed.
    Record cut(whole.substr(0, header.size() + (whole.size() - header.size()) / 2));
    GxLight light;
    EXPECT_FALSE(light.Read(*cut.Reader(GetParam())));

    Record renamed(WriteRecord(GetParam(), [](GxContentWriterBase& writer) {
        writer.WriteBool("m_Visible", true);
        writer.WriteS32("m_Kind", 2);
    }));
    EXPECT_FALSE(light.Read(*renamed.Reader(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Forms, LightTest, ::testing::Values(Form::Text, Form::Binary),
                         [](const auto& info) { return info.param == Form::Text ? "Text" : "Binary"; });

TEST(LightWrite, AFailedWriteIsReported)
{
    // Every byte written to /dev/full fails.
    std::FILE* file = std::fopen("/dev/full", "wb");
    ASSERT_NE(file, nullptr);
    std::setvbuf(file, nullptr, _IONBF, 0);
    {
        GxContentBinaryWriter writer(file);
        EXPECT_FALSE(GxLight().Write(writer));
        auto table = std::make_unique<GxLightTable>();
        table->m_PointLightCount = 1;
        EXPECT_FALSE(table->Write(writer));
    }
    std::fclose(file);

    // A count outside the table is not written at all.
    auto table = std::make_unique<GxLightTable>();
    table->m_SpotLightCount = 300;
    const std::string bytes =
        WriteRecord(Form::Binary, [&](GxContentWriterBase& writer) { EXPECT_FALSE(table->Write(writer)); });
    EXPECT_EQ(bytes, WriteRecord(Form::Binary, [](GxContentWriterBase&) {}));
}

TEST(GraphicsLights, DirectionalAndTwoColorLights)
{
    GxGraphics::SetDirectionalLight(GxFColor(1, 1, 1, 1), GxVector3(0, -1, 0));
    GxGraphics::SetTwoColorLight(GxFColor(0.3f, 0.3f, 0.3f, 0.3f), GxFColor(0.2f, 0.2f, 0.2f, 0.2f),
                                 GxVector3(0, 1, 0));
    const GxLight& directional = GxGraphics::GetDirectionalLight();
    EXPECT_TRUE(directional.m_Visible);
    EXPECT_EQ(directional.m_Type, kLightTypeDirectional);
    EXPECT_FLOAT_EQ(directional.m_Dir.y, -1.0f);
    EXPECT_FLOAT_EQ(directional.m_LightColor0.g, 1.0f);
    const GxLight& twoColor = GxGraphics::GetTwoColorLight();
    EXPECT_TRUE(twoColor.m_Visible);
    EXPECT_EQ(twoColor.m_Type, kLightTypeTwoColor);
    EXPECT_FLOAT_EQ(twoColor.m_LightColor0.r, 0.3f);
    EXPECT_FLOAT_EQ(twoColor.m_LightColor1.b, 0.2f);
    EXPECT_FLOAT_EQ(twoColor.m_Dir.y, 1.0f);
    EXPECT_FLOAT_EQ(twoColor.m_Intensity, 1.0f);
}
