// [Widget base] saved state: the 31 values in both content forms, a reference text record, and
// what a read starts afresh.
//
// TARNWICK_UPDATE_GOLDEN=1 writes the reference record anew (look at it before keeping it).
#include "ui_test_support.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "tests/support/content_bytes.h"
#include "ui/task_ui_null.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace ui_test {
namespace {

std::filesystem::path GoldenPath()
{
    return std::filesystem::path(TW_SOURCE_DIR) / "tests/ui/golden/widget_state.txt";
}

// Every saved value away from its default.
void Fill(GxTaskUINull* w)
{
    w->m_Enabled = false;
    w->m_Value = 2.5;
    w->m_Max = 10.0;
    w->m_Min = -1.25;
    w->m_Change = 0.5;
    w->m_GroupID = 3;
    w->m_ModuleID = 17;
    w->m_Text = u"はじめから";
    w->m_Label = u"label";
    w->m_SystemSoundID = 4;
    w->m_AutoHelpTime = 700;
    w->m_Descript = u"説明\ttab";
    w->m_Width = 120;
    w->m_Height = 40;
    w->m_ClientLeft = 2;
    w->m_ClientTop = 3;
    w->m_ClientWidth = 100;
    w->m_ClientHeight = 30;
    w->m_ShapeType = 1;
    w->m_AnimeSpeed = 5;
    w->m_ModalFlag = true;
    w->m_ModalPriority = 2;
    w->m_TopMostFlag = true;
    w->m_ImageAlpha = 128;
    w->m_EventState = 7;
    w->m_HoverCount = 1;
    w->m_EventReportFlags = 0x80000001u;
    w->m_EventBlockFlag = false;
    w->m_MouseMoveBlockFlag = true;
    w->m_AutoReleaseImageFlag = false;
    w->m_LockCount = 2;
}

void ExpectSameState(const GxTaskUINull* a, const GxTaskUINull* b)
{
    EXPECT_EQ(a->m_Enabled, b->m_Enabled);
    EXPECT_EQ(a->m_Value, b->m_Value);
    EXPECT_EQ(a->m_Max, b->m_Max);
    EXPECT_EQ(a->m_Min, b->m_Min);
    EXPECT_EQ(a->m_Change, b->m_Change);
    EXPECT_EQ(a->m_GroupID, b->m_GroupID);
    EXPECT_EQ(a->m_ModuleID, b->m_ModuleID);
    EXPECT_EQ(a->m_Text, b->m_Text);
    EXPECT_EQ(a->m_Label, b->m_Label);
    EXPECT_EQ(a->m_SystemSoundID, b->m_SystemSoundID);
    EXPECT_EQ(a->m_AutoHelpTime, b->m_AutoHelpTime);
    EXPECT_EQ(a->m_Descript, b->m_Descript);
    EXPECT_EQ(a->m_Width, b->m_Width);
    EXPECT_EQ(a->m_Height, b->m_Height);
    EXPECT_EQ(a->m_ClientLeft, b->m_ClientLeft);
    EXPECT_EQ(a->m_ClientTop, b->m_ClientTop);
    EXPECT_EQ(a->m_ClientWidth, b->m_ClientWidth);
    EXPECT_EQ(a->m_ClientHeight, b->m_ClientHeight);
    EXPECT_EQ(a->m_ShapeType, b->m_ShapeType);
    EXPECT_EQ(a->m_AnimeSpeed, b->m_AnimeSpeed);
    EXPECT_EQ(a->m_ModalFlag, b->m_ModalFlag);
    EXPECT_EQ(a->m_ModalPriority, b->m_ModalPriority);
    EXPECT_EQ(a->m_TopMostFlag, b->m_TopMostFlag);
    EXPECT_EQ(a->m_ImageAlpha, b->m_ImageAlpha);
    EXPECT_EQ(a->m_EventState, b->m_EventState);
    EXPECT_EQ(a->m_HoverCount, b->m_HoverCount);
    EXPECT_EQ(a->m_EventReportFlags, b->m_EventReportFlags);
    EXPECT_EQ(a->m_EventBlockFlag, b->m_EventBlockFlag);
    EXPECT_EQ(a->m_MouseMoveBlockFlag, b->m_MouseMoveBlockFlag);
    EXPECT_EQ(a->m_AutoReleaseImageFlag, b->m_AutoReleaseImageFlag);
    EXPECT_EQ(a->m_LockCount, b->m_LockCount);
}

std::unique_ptr<GxContentReaderBase> MakeReader(TestContentForm form, const GxBinBuffer& buffer)
{
    if (form == TestContentForm::kText)
        return std::make_unique<GxContentTextReader>(buffer, false);
    return std::make_unique<GxContentBinaryReader>(buffer, false);
}

void Load(GxBinBuffer& buffer, const std::string& bytes)
{
    std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(bytes.size())), bytes.data(), bytes.size());
}

class WidgetStateTest : public UIHarnessTest {
protected:
    GxTaskUINull* Null() { return new GxTaskUINull(Screen(), nullptr, nullptr, 0); }
};

TEST_F(WidgetStateTest, TheThirtyOneValuesRoundTripInBothForms)
{
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        GxTaskUINull* written = Null();
        Fill(written);
        bool writeResult = false;
        const std::string bytes = WriteContentBytes(form, [&](GxContentWriterBase& writer) {
            writer.WriteHeader("WGT", 1);
            writeResult = written->WriteState(writer);
        });
        EXPECT_TRUE(writeResult);

        GxBinBuffer buffer;
        Load(buffer, bytes);
        std::unique_ptr<GxContentReaderBase> reader = MakeReader(form, buffer);
        std::uint32_t version = 0;
        ASSERT_TRUE(reader->ReadHeader("WGT", &version));
        GxTaskUINull* read = Null();
        EXPECT_TRUE(read->ReadState(*reader));
        ExpectSameState(written, read);
        EXPECT_EQ(read->m_EventListener, nullptr);   // not saved
    }
}

TEST_F(WidgetStateTest, TheTextRecordMatchesTheReference)
{
    GxTaskUINull* w = Null();
    Fill(w);
    const std::string text = WriteContentBytes(TestContentForm::kText, [&](GxContentWriterBase& writer) {
        writer.WriteHeader("WGT", 1);
        w->WriteState(writer);
    });
    if (std::getenv("TARNWICK_UPDATE_GOLDEN")) {
        ASSERT_TRUE(WriteBytesFile(GoldenPath().string(), text));
    }
    std::ifstream file(GoldenPath(), std::ios::binary);
    const std::string golden((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(golden.empty()) << "no reference at " << GoldenPath();
    EXPECT_EQ(text, golden);
}

TEST_F(WidgetStateTest, ReadingStartsTheHelpCountAndThePressAfreshButKeepsTheFurtherFloat)
{
    GxTaskUINull* source = Null();
    const std::string bytes = WriteContentBytes(TestContentForm::kBinary, [&](GxContentWriterBase& writer) {
        writer.WriteHeader("WGT", 1);
        source->WriteState(writer);
    });
    GxTaskUINull* w = Null();
    w->m_HelpCounter = 300;
    w->m_DragState.m_Pressed = true;
    for (float& f : w->m_DragState.m_Start) f = 5.0f;
    for (float& f : w->m_DragState.m_Offset) f = 6.0f;
    for (std::int32_t& n : w->m_DragState.m_Values) n = 7;
    w->m_DragState.m_Further = 8.0f;

    GxBinBuffer buffer;
    Load(buffer, bytes);
    GxContentBinaryReader reader(buffer, false);
    std::uint32_t version = 0;
    ASSERT_TRUE(reader.ReadHeader("WGT", &version));
    EXPECT_TRUE(w->ReadState(reader));
    EXPECT_EQ(w->GetHelpCounter(), 0);
    EXPECT_FALSE(w->m_DragState.m_Pressed);
    for (float f : w->m_DragState.m_Start) EXPECT_EQ(f, -1.0f);
    for (float f : w->m_DragState.m_Offset) EXPECT_EQ(f, 0.0f);
    for (std::int32_t n : w->m_DragState.m_Values) EXPECT_EQ(n, 0);
    EXPECT_EQ(w->m_DragState.m_Further, 8.0f);
}

TEST_F(WidgetStateTest, ACutRecordFailsWithoutHarm)
{
    GxTaskUINull* source = Null();
    Fill(source);
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        std::string bytes = WriteContentBytes(form, [&](GxContentWriterBase& writer) {
            writer.WriteHeader("WGT", 1);
            source->WriteState(writer);
        });
        bytes.resize(bytes.size() * 3 / 4);
        GxBinBuffer buffer;
        Load(buffer, bytes);
        std::unique_ptr<GxContentReaderBase> reader = MakeReader(form, buffer);
        std::uint32_t version = 0;
        ASSERT_TRUE(reader->ReadHeader("WGT", &version));
        GxTaskUINull* w = Null();
        EXPECT_FALSE(w->ReadState(*reader));
        EXPECT_EQ(w->m_LockCount, 0);   // the lost tail keeps its values
        EXPECT_TRUE(w->m_AutoReleaseImageFlag);
    }
}

}  // namespace
}  // namespace ui_test
