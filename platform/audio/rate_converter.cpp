#include "platform/audio/rate_converter.h"

#include "platform/audio/mix_format.h"
#include "platform/av/av_library.h"
#include "platform/win32/user_log.h"

#include <algorithm>
#include <cstring>

namespace platform {

RateConverter::RateConverter(std::uint32_t sourceRate) : m_SourceRate(sourceRate), m_Direct(sourceRate == kMixRate)
{
    if (m_Direct) return;
    // FFmpeg is opened at the first conversion; without it the converter gives silence.
    const av::AvLibrary* ff = av::LoadResampler();
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (!ff ||
        ff->swr_alloc_set_opts2(&m_Swr, &stereo, AV_SAMPLE_FMT_FLT, static_cast<int>(kMixRate), &stereo,
                                AV_SAMPLE_FMT_FLT, static_cast<int>(sourceRate), 0, nullptr) < 0 ||
        ff->swr_init(m_Swr) < 0) {
        LogUserError("audio: resampler from %u Hz cannot be set up", sourceRate);
        if (ff) ff->swr_free(&m_Swr);
    }
}

RateConverter::~RateConverter()
{
    if (m_Swr) av::Api().swr_free(&m_Swr);
}

void RateConverter::Reset()
{
    const av::AvLibrary& ff = av::Api();
    m_OutputStart = m_OutputEnd = 0;
    if (m_Swr) {
        ff.swr_close(m_Swr);
        ff.swr_init(m_Swr);
    }
}

void RateConverter::Produce(float* out, std::uint32_t frames, const Pull& pull)
{
    const av::AvLibrary& ff = av::Api();
    if (m_Direct) {
        const std::uint32_t got = pull(out, frames);
        std::fill(out + got * 2, out + frames * 2, 0.0f);
        return;
    }
    if (!m_Swr) {
        std::fill(out, out + frames * 2, 0.0f);
        return;
    }
    std::uint32_t done = 0;
    while (done < frames) {
        const std::size_t ready = (m_OutputEnd - m_OutputStart) / 2;
        if (ready > 0) {
            const std::size_t take = std::min<std::size_t>(ready, frames - done);
            std::memcpy(out + done * 2, m_Output.data() + m_OutputStart, take * 2 * sizeof(float));
            m_OutputStart += take * 2;
            done += static_cast<std::uint32_t>(take);
            continue;
        }
        m_OutputStart = m_OutputEnd = 0;
        // Enough input for the rest of the block, and at least one frame so the filter moves.
        const std::uint64_t want =
            (static_cast<std::uint64_t>(frames - done) * m_SourceRate + kMixRate - 1) / kMixRate + 1;
        const auto inFrames = static_cast<std::uint32_t>(want);
        m_Input.resize(inFrames * 2);
        const std::uint32_t got = pull(m_Input.data(), inFrames);
        std::fill(m_Input.begin() + got * 2, m_Input.end(), 0.0f);
        const int capacity = ff.swr_get_out_samples(m_Swr, static_cast<int>(inFrames));
        // Grown only: the converter writes what it returns, so nothing needs clearing first.
        const std::size_t room = static_cast<std::size_t>(std::max(capacity, 1)) * 2;
        if (m_Output.size() < room) m_Output.resize(room);
        auto* outData = reinterpret_cast<std::uint8_t*>(m_Output.data());
        const auto* inData = reinterpret_cast<const std::uint8_t*>(m_Input.data());
        const int converted =
            ff.swr_convert(m_Swr, &outData, std::max(capacity, 1), &inData, static_cast<int>(inFrames));
        m_OutputEnd = static_cast<std::size_t>(std::max(converted, 0)) * 2;
    }
}

}  // namespace platform
