// DBSystemVoice: the system voices, numbers 1 to 23 per speaker (element 0 means no voice and
// stays empty). Read from "data/db_systemvoice.txt".
#pragma once

#include "data/db_base.h"

#include <cstdint>
#include <string>

struct DBSystemVoiceRow : DBRowBase {
    std::int32_t m_ID = 0;
    std::u16string m_Comment;
    std::u16string m_VoicePath;
    std::u16string m_VoiceFileName[24]{};
};

class DBSystemVoice : public GxDBTable<DBSystemVoice, DBSystemVoiceRow, 32> {
public:
    static const GxDBSchema kSchema;
};
