// The profiler: a timing table in units of 0.1 ms read from the performance counter.
#pragma once

#include <cstdint>

// Performance-counter time in units of 0.1 ms.
double GetPerfTime();

class GxProfile {
public:
    virtual ~GxProfile() = default;
};

class GxProfileEx : public GxProfile {
public:
    static constexpr int kSlotCount = 50;
    static constexpr int kNameUnits = 256;

    struct GxProfileSlot {
        bool inUse = false;
        std::int32_t counter0 = 0;
        std::int32_t counter1 = 0;
        char16_t name[kNameUnits] = {};
        double times[3] = {};
        std::int32_t count = 0;
    };

    struct GxProfileMark {
        bool inUse = false;
        char16_t name[kNameUnits] = {};
        double times[3] = {};
    };

    // Clears every slot of both tables, then Reset.
    void Init();
    // Start and last time = now, spare time 0, every slot marked unused.
    void Reset();

    double GetStartTime() const { return m_StartTime; }
    double GetLastTime() const { return m_LastTime; }
    const GxProfileSlot& GetSlot(int index) const { return m_Slots[index]; }
    const GxProfileMark& GetMark(int index) const { return m_Marks[index]; }

private:
    double m_StartTime = 0.0;
    double m_LastTime = 0.0;
    double m_SpareTime = 0.0;
    GxProfileSlot m_Slots[kSlotCount];
    GxProfileMark m_Marks[kSlotCount];
};
