// The counters that the debug status line prints after the video memory. The resident system
// screen owns the record; until the screens fill it, every value stays 0 and the name empty.
#pragma once

#include <cstdint>
#include <string>

struct GxDebugStatistics {
    std::int32_t m_Clk = 0;
    std::int32_t m_Time = 0;
    std::int32_t m_Mov = 0;
    std::int32_t m_AA = 0;
    std::int32_t m_ASNumber = 0;
    std::u16string m_ASName;
    std::int32_t m_BGM = 0;
    std::int32_t m_BGV = 0;
    std::int32_t m_SE = 0;
    std::int32_t m_VO = 0;
};
