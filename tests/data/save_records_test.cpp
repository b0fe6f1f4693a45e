// The saved game's small records: their value order pinned by text-form lines, both forms read
// back, and what a failed read leaves in each field.
#include "save_fixture.h"

#include "data/save_records.h"

namespace data_test {
namespace {

template <typename Record>
std::string WriteRecord(Form form, const Record& record)
{
    return WriteContent(form, "TGD", [&](GxContentWriterBase& w) { EXPECT_TRUE(record.Write(w)); });
}

template <typename Record>
Record ReadBack(Form form, const Record& written)
{
    RecordReader reader(form, WriteRecord(form, written), "TGD");
    EXPECT_TRUE(reader.HeaderRead());
    Record read;
    EXPECT_TRUE(read.Read(*reader));
    EXPECT_TRUE(reader->IsEnd());
    return read;
}

TEST(SaveRecords, DefaultNoticeIsPinnedAndReadsBack)
{
    const GxNoticeParam notice;
    EXPECT_EQ(ValueLines(WriteRecord(Form::kText, notice)),
              (std::vector<std::string>{"1a\tm_Text\t0\t\"\"", "1a\tm_IconName\t0\t\"\"", "05\tm_IconAlign\t1",
                                        "05\tm_ShowTime\t1500", "05\tm_UISoundID\t-1", "05\tm_NoticeID\t0",
                                        "06\tm_TextColor\t4294967295"}));
    for (Form form : {Form::kText, Form::kBinary}) {
        GxNoticeParam changed;
        changed.m_IconAlign = 7;
        changed.m_TextColor = 5;
        RecordReader reader(form, WriteRecord(form, notice), "TGD");
        EXPECT_TRUE(changed.Read(*reader)) << FormName(form);
        EXPECT_EQ(changed.m_Text, u"");
        EXPECT_EQ(changed.m_IconAlign, 1);
        EXPECT_EQ(changed.m_ShowTime, 1500);
        EXPECT_EQ(changed.m_UISoundID, -1);
        EXPECT_EQ(changed.m_NoticeID, 0);
        EXPECT_EQ(changed.m_TextColor, 0xFFFFFFFFu);
    }
}

TEST(SaveRecords, MessageLogElementWritesEveryVoiceSlot)
{
    GxMessageLogElement entry;
    entry.m_Name = u"名前";
    entry.m_Message = u"line \"one\"\ttwo";
    entry.m_ShowNameByText = true;
    entry.m_VoiceFileName[0] = u"v0";
    entry.m_VoiceCharID[0] = 3;
    entry.m_VoiceFileName[2] = u"v2";
    entry.m_VoiceCharID[2] = -4;
    EXPECT_EQ(ValueLines(WriteRecord(Form::kText, entry)),
              (std::vector<std::string>{"1a\tm_Name\t6\t\"名前\"", "1a\tm_Message\t17\t\"line \\\"one\\\"\\ttwo\"",
                                        "0b\tm_IgnoreKinsoku\t0", "0b\tm_DisenableAutoNewline\t0",
                                        "0b\tm_ShowNameByText\t1", "1a\tm_VoiceFileName\t2\t\"v0\"",
                                        "05\tm_VoiceCharID\t3", "1a\tm_VoiceFileName\t0\t\"\"", "05\tm_VoiceCharID\t0",
                                        "1a\tm_VoiceFileName\t2\t\"v2\"", "05\tm_VoiceCharID\t-4",
                                        "1a\tm_VoiceFileName\t0\t\"\"", "05\tm_VoiceCharID\t0"}));
    for (Form form : {Form::kText, Form::kBinary}) {
        SCOPED_TRACE(FormName(form));
        const GxMessageLogElement read = ReadBack(form, entry);
        EXPECT_EQ(read.m_Name, entry.m_Name);
        EXPECT_EQ(read.m_Message, entry.m_Message);
        EXPECT_TRUE(read.m_ShowNameByText);
        EXPECT_FALSE(read.m_IgnoreKinsoku);
        for (int slot = 0; slot < 4; ++slot) {
            EXPECT_EQ(read.m_VoiceFileName[slot], entry.m_VoiceFileName[slot]);
            EXPECT_EQ(read.m_VoiceCharID[slot], entry.m_VoiceCharID[slot]);
        }
    }
}

TEST(SaveRecords, ChoiceItemFlagsAreFourValues)
{
    GxSelectMenuItem item;
    item.m_Text = u"go";
    item.m_Label = u"*label";
    item.m_Visible = true;
    item.m_UseGosub = true;
    EXPECT_EQ(ValueLines(WriteRecord(Form::kText, item)),
              (std::vector<std::string>{"1a\tm_Text\t2\t\"go\"", "1a\tm_Label\t6\t\"*label\"", "0b\tm_Enable\t0",
                                        "0b\tm_Visible\t1", "0b\tm_BeforeSelected\t0", "0b\tm_UseGosub\t1"}));
    for (Form form : {Form::kText, Form::kBinary}) {
        const GxSelectMenuItem read = ReadBack(form, item);
        EXPECT_EQ(read.m_Label, u"*label") << FormName(form);
        EXPECT_FALSE(read.m_Enable);
        EXPECT_TRUE(read.m_Visible);
        EXPECT_FALSE(read.m_BeforeSelected);
        EXPECT_TRUE(read.m_UseGosub);
    }
}

TEST(SaveRecords, SoundPositionsAreUnsigned)
{
    GxSoundPlayParam sound;
    sound.m_FileName = u"bgm/theme";
    sound.m_Loop = -1;
    sound.m_StartSeekPosTime = 3000000000u;
    sound.m_LoopPosTime = 4000000000u;
    sound.m_FadeInTime = 250;
    sound.m_CharID = 12;
    EXPECT_EQ(ValueLines(WriteRecord(Form::kText, sound)),
              (std::vector<std::string>{"1a\tm_FileName\t9\t\"bgm/theme\"", "05\tm_Loop\t-1",
                                        "06\tm_StartSeekPosTime\t3000000000", "06\tm_LoopPosTime\t4000000000",
                                        "05\tm_FadeInTime\t250", "05\tm_CharID\t12"}));
    for (Form form : {Form::kText, Form::kBinary}) {
        const GxSoundPlayParam read = ReadBack(form, sound);
        EXPECT_EQ(read.m_FileName, sound.m_FileName) << FormName(form);
        EXPECT_EQ(read.m_Loop, -1);
        EXPECT_EQ(read.m_StartSeekPosTime, 3000000000u);
        EXPECT_EQ(read.m_LoopPosTime, 4000000000u);
        EXPECT_EQ(read.m_FadeInTime, 250);
        EXPECT_EQ(read.m_CharID, 12);
    }
    sound.Clear();
    EXPECT_TRUE(sound.m_FileName.empty());
    EXPECT_EQ(sound.m_StartSeekPosTime, 0u);
}

TEST(SaveRecords, EarlierErrorMakesAWholeReadReportFalse)
{
    for (Form form : {Form::kText, Form::kBinary}) {
        GxSoundPlayParam sound;
        sound.m_FileName = u"se";
        RecordReader reader(form, WriteRecord(form, sound), "TGD");
        reader->CountDamage("an earlier record was damaged\n");
        GxSoundPlayParam read;
        EXPECT_FALSE(read.Read(*reader)) << FormName(form);
        EXPECT_EQ(read.m_FileName, u"se");   // the record itself was read whole
    }
}

TEST(SaveRecords, FailedReadsEmptyStringsAndKeepNumbersButIconAlign)
{
    // Every value is missing: the reader is at its end.
    for (Form form : {Form::kText, Form::kBinary}) {
        SCOPED_TRACE(FormName(form));
        const std::string bytes = WriteContent(form, "TGD", [](GxContentWriterBase&) {});

        GxNoticeParam notice;
        notice.m_Text = u"old";
        notice.m_IconAlign = 5;
        notice.m_ShowTime = 9;
        notice.m_TextColor = 3;
        RecordReader noticeReader(form, bytes, "TGD");
        EXPECT_FALSE(notice.Read(*noticeReader));
        EXPECT_GE(noticeReader->GetErrorCount(), 7);   // the rest of the record is still read
        EXPECT_EQ(notice.m_Text, u"");
        EXPECT_EQ(notice.m_IconAlign, 0);
        EXPECT_EQ(notice.m_ShowTime, 9);
        EXPECT_EQ(notice.m_TextColor, 3u);

        GxMessageLogElement entry;
        entry.m_Name = u"old";
        entry.m_VoiceFileName[3] = u"old";
        entry.m_VoiceCharID[3] = 8;
        entry.m_IgnoreKinsoku = true;
        RecordReader entryReader(form, bytes, "TGD");
        EXPECT_FALSE(entry.Read(*entryReader));
        EXPECT_EQ(entry.m_Name, u"");
        EXPECT_EQ(entry.m_VoiceFileName[3], u"");
        EXPECT_EQ(entry.m_VoiceCharID[3], 8);
        EXPECT_TRUE(entry.m_IgnoreKinsoku);

        GxSelectMenuItem item;
        item.m_Label = u"old";
        item.m_Enable = true;
        RecordReader itemReader(form, bytes, "TGD");
        EXPECT_FALSE(item.Read(*itemReader));
        EXPECT_EQ(item.m_Label, u"");
        EXPECT_TRUE(item.m_Enable);

        GxSoundPlayParam sound;
        sound.m_FileName = u"old";
        sound.m_LoopPosTime = 6;
        RecordReader soundReader(form, bytes, "TGD");
        EXPECT_FALSE(sound.Read(*soundReader));
        EXPECT_EQ(sound.m_FileName, u"");
        EXPECT_EQ(sound.m_LoopPosTime, 6u);
    }
}

}  // namespace
}  // namespace data_test
