#include "tests/support/sound_fixtures.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

namespace {

void Put16(SoundBytes& bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(SoundBytes& bytes, std::uint32_t value)
{
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

void PutId(SoundBytes& bytes, const std::string& id)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.push_back(i < id.size() ? static_cast<std::uint8_t>(id[i]) : ' ');
}

void AppendPage(SoundBytes& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

SoundBytes BuildTestWav(const std::vector<TestWavChunk>& chunks, std::optional<std::uint32_t> riffSize)
{
    SoundBytes body;
    PutId(body, "WAVE");
    for (const TestWavChunk& chunk : chunks) {
        PutId(body, chunk.id);
        Put32(body, chunk.size.value_or(static_cast<std::uint32_t>(chunk.body.size())));
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
    }
    SoundBytes file;
    PutId(file, "RIFF");
    Put32(file, riffSize.value_or(static_cast<std::uint32_t>(body.size())));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

TestWavChunk TestFmtChunk(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                          std::uint32_t extraBytes)
{
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    TestWavChunk chunk{"fmt ", {}, {}};
    Put16(chunk.body, tag);
    Put16(chunk.body, channels);
    Put32(chunk.body, rate);
    Put32(chunk.body, rate * align);
    Put16(chunk.body, align);
    Put16(chunk.body, bits);
    chunk.body.resize(chunk.body.size() + extraBytes, 0);
    return chunk;
}

SoundBytes BuildTestPcmWav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const SoundBytes& pcm)
{
    return BuildTestWav({TestFmtChunk(1, channels, rate, bits), TestWavChunk{"data", pcm, {}}});
}

std::vector<std::int16_t> TestRamp(std::uint32_t frames, std::uint16_t channels, bool negateRight)
{
    std::vector<std::int16_t> samples;
    samples.reserve(std::size_t(frames) * channels);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const auto value = static_cast<std::int16_t>(frame % 32768);
        for (std::uint16_t channel = 0; channel < channels; ++channel)
            samples.push_back(channel == 1 && negateRight ? static_cast<std::int16_t>(-value) : value);
    }
    return samples;
}

std::vector<std::int16_t> TestSilence(std::uint32_t frames, std::uint16_t channels)
{
    return std::vector<std::int16_t>(std::size_t(frames) * channels, 0);
}

std::vector<std::int16_t> TestTone(std::uint32_t frames, std::uint16_t channels, std::uint32_t rate, double hertz,
                                   double amplitude)
{
    std::vector<std::int16_t> samples;
    samples.reserve(std::size_t(frames) * channels);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const double value = amplitude * std::sin(2.0 * std::numbers::pi * hertz * frame / rate);
        for (std::uint16_t channel = 0; channel < channels; ++channel)
            samples.push_back(static_cast<std::int16_t>(std::lround(value)));
    }
    return samples;
}

SoundBytes TestPcm16Bytes(const std::vector<std::int16_t>& samples)
{
    SoundBytes bytes;
    bytes.reserve(samples.size() * 2);
    for (std::int16_t sample : samples)
        Put16(bytes, static_cast<std::uint16_t>(sample));
    return bytes;
}

SoundBytes EncodeTestOggVorbis(const std::vector<std::int16_t>& samples, std::uint16_t channels, std::uint32_t rate,
                               float quality)
{
    SoundBytes out;
    if (channels == 0)
        return out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, static_cast<long>(rate), quality) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPage(out, page);

    const std::size_t frames = samples.size() / channels;
    const std::size_t chunk = 4096;
    bool ended = false;
    std::size_t done = 0;
    bool eos = false;
    while (!eos) {
        if (done < frames) {
            const std::size_t count = std::min(chunk, frames - done);
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (std::size_t frame = 0; frame < count; ++frame)
                for (std::uint16_t channel = 0; channel < channels; ++channel)
                    buffer[channel][frame] = samples[(done + frame) * channels + channel] / 32768.0f;
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        } else if (!ended) {
            vorbis_analysis_wrote(&dsp, 0);   // the end of the input, once
            ended = true;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (!eos && ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPage(out, page);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
        if (ended && !eos) {
            // Everything went out; whatever is left in the stream is the last page.
            while (ogg_stream_flush(&stream, &page) != 0) {
                AppendPage(out, page);
                if (ogg_page_eos(&page))
                    eos = true;
            }
            if (!eos)
                break;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
