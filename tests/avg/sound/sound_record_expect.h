// The game's record of a sound (what a saved game restores) compared field by field.
#pragma once

#include "data/save_records.h"

#include <gtest/gtest.h>

namespace avg_test {

inline void ExpectSoundRecord(const GxSoundPlayParam& record, const GxSoundPlayParam& expected)
{
    EXPECT_EQ(record.m_FileName, expected.m_FileName);
    EXPECT_EQ(record.m_Loop, expected.m_Loop);
    EXPECT_EQ(record.m_StartSeekPosTime, expected.m_StartSeekPosTime);
    EXPECT_EQ(record.m_LoopPosTime, expected.m_LoopPosTime);
    EXPECT_EQ(record.m_FadeInTime, expected.m_FadeInTime);
    EXPECT_EQ(record.m_CharID, expected.m_CharID);
}

}  // namespace avg_test
