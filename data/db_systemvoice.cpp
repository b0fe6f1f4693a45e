#include "data/db_systemvoice.h"

namespace {

// A line carries elements 1 to 23 of VoiceFileName: voice number 0 means no voice.
const GxDBColumn kColumns[] = {
    {u"ID", kDBTypeInt, 0, 0, &DBFieldAddress<DBSystemVoiceRow, &DBSystemVoiceRow::m_ID>},
    {u"Comment", kDBTypeString, 0, 0, &DBFieldAddress<DBSystemVoiceRow, &DBSystemVoiceRow::m_Comment>},
    {u"VoicePath", kDBTypeString, 0, 0, &DBFieldAddress<DBSystemVoiceRow, &DBSystemVoiceRow::m_VoicePath>},
    {u"VoiceFileName", kDBTypeString, 24, 1, &DBFieldAddress<DBSystemVoiceRow, &DBSystemVoiceRow::m_VoiceFileName>},
};

}  // namespace

const GxDBSchema DBSystemVoice::kSchema = {u"DBSystemVoice", kColumns, 4, 26, -1};
