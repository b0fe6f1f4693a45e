#include "data/save_records.h"

#include "foundation/content.h"

// Writes stop at the first value the stream refuses: the file is abandoned whole then.

bool GxSelectMenuItem::Write(GxContentWriterBase& w) const
{
    return w.WriteWString("m_Text", m_Text) && w.WriteWString("m_Label", m_Label) && w.WriteBool("m_Enable", m_Enable) &&
           w.WriteBool("m_Visible", m_Visible) && w.WriteBool("m_BeforeSelected", m_BeforeSelected) &&
           w.WriteBool("m_UseGosub", m_UseGosub) && w.GetErrorCount() == 0;
}

bool GxSelectMenuItem::Read(GxContentReaderBase& r)
{
    r.ReadWString("m_Text", m_Text);
    r.ReadWString("m_Label", m_Label);
    r.ReadBool("m_Enable", &m_Enable);
    r.ReadBool("m_Visible", &m_Visible);
    r.ReadBool("m_BeforeSelected", &m_BeforeSelected);
    r.ReadBool("m_UseGosub", &m_UseGosub);
    return r.GetErrorCount() == 0;
}

bool GxMessageLogElement::Write(GxContentWriterBase& w) const
{
    bool ok = w.WriteWString("m_Name", m_Name) && w.WriteWString("m_Message", m_Message) &&
              w.WriteBool("m_IgnoreKinsoku", m_IgnoreKinsoku) &&
              w.WriteBool("m_DisenableAutoNewline", m_DisenableAutoNewline) &&
              w.WriteBool("m_ShowNameByText", m_ShowNameByText);
    for (int slot = 0; ok && slot < kVoiceSlots; ++slot)
        ok = w.WriteWString("m_VoiceFileName", m_VoiceFileName[slot]) && w.WriteS32("m_VoiceCharID", m_VoiceCharID[slot]);
    return ok && w.GetErrorCount() == 0;
}

bool GxMessageLogElement::Read(GxContentReaderBase& r)
{
    r.ReadWString("m_Name", m_Name);
    r.ReadWString("m_Message", m_Message);
    r.ReadBool("m_IgnoreKinsoku", &m_IgnoreKinsoku);
    r.ReadBool("m_DisenableAutoNewline", &m_DisenableAutoNewline);
    r.ReadBool("m_ShowNameByText", &m_ShowNameByText);
    for (int slot = 0; slot < kVoiceSlots; ++slot) {
        r.ReadWString("m_VoiceFileName", m_VoiceFileName[slot]);
        r.ReadS32("m_VoiceCharID", &m_VoiceCharID[slot]);
    }
    return r.GetErrorCount() == 0;
}

bool GxNoticeParam::Write(GxContentWriterBase& w) const
{
    return w.WriteWString("m_Text", m_Text) && w.WriteWString("m_IconName", m_IconName) &&
           w.WriteS32("m_IconAlign", m_IconAlign) && w.WriteS32("m_ShowTime", m_ShowTime) &&
           w.WriteS32("m_UISoundID", m_UISoundID) && w.WriteS32("m_NoticeID", m_NoticeID) &&
           w.WriteU32("m_TextColor", m_TextColor) && w.GetErrorCount() == 0;
}

bool GxNoticeParam::Read(GxContentReaderBase& r)
{
    r.ReadWString("m_Text", m_Text);
    r.ReadWString("m_IconName", m_IconName);
    m_IconAlign = r.GetS32("m_IconAlign");
    r.ReadS32("m_ShowTime", &m_ShowTime);
    r.ReadS32("m_UISoundID", &m_UISoundID);
    r.ReadS32("m_NoticeID", &m_NoticeID);
    r.ReadU32("m_TextColor", &m_TextColor);
    return r.GetErrorCount() == 0;
}

bool GxSoundPlayParam::Write(GxContentWriterBase& w) const
{
    return w.WriteWString("m_FileName", m_FileName) && w.WriteS32("m_Loop", m_Loop) &&
           w.WriteU32("m_StartSeekPosTime", m_StartSeekPosTime) && w.WriteU32("m_LoopPosTime", m_LoopPosTime) &&
           w.WriteS32("m_FadeInTime", m_FadeInTime) && w.WriteS32("m_CharID", m_CharID) && w.GetErrorCount() == 0;
}

bool GxSoundPlayParam::Read(GxContentReaderBase& r)
{
    r.ReadWString("m_FileName", m_FileName);
    r.ReadS32("m_Loop", &m_Loop);
    r.ReadU32("m_StartSeekPosTime", &m_StartSeekPosTime);
    r.ReadU32("m_LoopPosTime", &m_LoopPosTime);
    r.ReadS32("m_FadeInTime", &m_FadeInTime);
    r.ReadS32("m_CharID", &m_CharID);
    return r.GetErrorCount() == 0;
}
