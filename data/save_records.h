// The small records a saved game keeps in its lists and fixed fields: the items of the current
// choice menu, the message-log entries behind the back-log screen, the notices waiting to be
// shown, and the state of one sound channel. Each writes and reads its values in a fixed order,
// each value under its field name.
#pragma once

#include <cstdint>
#include <string>

class GxContentReaderBase;
class GxContentWriterBase;

// One item of the current choice menu.
struct GxSelectMenuItem {
    std::u16string m_Text;
    std::u16string m_Label;            // the script label the choice leads to
    bool m_Enable = false;
    bool m_Visible = false;
    bool m_BeforeSelected = false;     // stored and restored; the engine only clears it
    bool m_UseGosub = false;           // true: the label is called, false: jumped to

    // True when the writer took every value.
    bool Write(GxContentWriterBase& writer) const;
    // True when the reader holds no error at all, also from before this record.
    bool Read(GxContentReaderBase& reader);
};

// One message of the message log.
struct GxMessageLogElement {
    static constexpr int kVoiceSlots = 4;

    std::u16string m_Name;
    std::u16string m_Message;
    bool m_IgnoreKinsoku = false;
    bool m_DisenableAutoNewline = false;
    bool m_ShowNameByText = false;
    std::u16string m_VoiceFileName[kVoiceSlots];   // empty: no voice in that slot
    std::int32_t m_VoiceCharID[kVoiceSlots] = {};

    bool Write(GxContentWriterBase& writer) const;
    bool Read(GxContentReaderBase& reader);
};

// One notice waiting to be shown.
struct GxNoticeParam {
    std::u16string m_Text;
    std::u16string m_IconName;
    std::int32_t m_IconAlign = 1;
    std::int32_t m_ShowTime = 1500;
    std::int32_t m_UISoundID = -1;     // -1: none
    std::int32_t m_NoticeID = 0;
    std::uint32_t m_TextColor = 0xFFFFFFFF;

    bool Write(GxContentWriterBase& writer) const;
    // A failed m_IconAlign read leaves 0 there (it is read by value), unlike the other numbers.
    bool Read(GxContentReaderBase& reader);
};

// The state of one sound channel; a cleared record means the channel is silent.
struct GxSoundPlayParam {
    std::u16string m_FileName;
    std::int32_t m_Loop = 0;
    std::uint32_t m_StartSeekPosTime = 0;
    std::uint32_t m_LoopPosTime = 0;
    std::int32_t m_FadeInTime = 0;
    std::int32_t m_CharID = 0;

    void Clear() { *this = GxSoundPlayParam(); }
    bool Write(GxContentWriterBase& writer) const;
    bool Read(GxContentReaderBase& reader);
};
