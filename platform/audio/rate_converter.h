// Turns one source's stereo float frames at its own rate into frames at the mix rate.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct SwrContext;

namespace platform {

class RateConverter {
public:
    // Writes up to `maxFrames` stereo float frames at the source rate and returns how many;
    // fewer (down to 0) means nothing more now, and the converter pads with silence.
    using Pull = std::function<std::uint32_t(float* frames, std::uint32_t maxFrames)>;

    explicit RateConverter(std::uint32_t sourceRate);
    ~RateConverter();
    RateConverter(const RateConverter&) = delete;
    RateConverter& operator=(const RateConverter&) = delete;

    bool IsValid() const { return m_Direct || m_Swr; }
    // Fills `frames` stereo frames of `out` at the mix rate. At the mix rate the frames pass
    // unchanged; otherwise libswresample converts, with a fixed delay of its filter.
    void Produce(float* out, std::uint32_t frames, const Pull& pull);
    // Drops the frames inside the converter (after a flush or a stop with a new start).
    void Reset();

private:
    std::uint32_t m_SourceRate;
    bool m_Direct;
    SwrContext* m_Swr = nullptr;
    std::vector<float> m_Input;
    std::vector<float> m_Output;   // converted frames not yet handed out: [start, end)
    std::size_t m_OutputStart = 0;
    std::size_t m_OutputEnd = 0;
};

}  // namespace platform
