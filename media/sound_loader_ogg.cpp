#include "media/sound_loader_ogg.h"

#include "foundation/log.h"

#include <algorithm>
#include <climits>

GxSoundLoaderOgg::~GxSoundLoaderOgg()
{
    // The callbacks call the virtual source operations; by now only this class's remain.
    Close();
}

bool GxSoundLoaderOgg::Open(const std::u16string& fileName)
{
    Close();
    if (!m_File.Open(fileName)) {
        LogPrintWarning(u"Error/GxSoundLoaderOgg::Open ファイルのオープンに失敗しました(%s)\n", fileName.c_str());
        return false;
    }
    return OpenStream();
}

bool GxSoundLoaderOgg::OpenStream()
{
    const ov_callbacks callbacks = {CallbackRead, CallbackSeek, CallbackClose, CallbackTell};
    m_Vorbis = OggVorbis_File{};
    if (ov_open_callbacks(this, &m_Vorbis, nullptr, 0, callbacks) != 0) {
        // A failed open leaves the source to the caller.
        CloseSource();
        LogPrintWarning(u"Error/GxSoundLoaderOgg::OpenStream ファイルのオープンに失敗しました\n");
        return false;
    }
    if (!ov_seekable(&m_Vorbis)) {
        ov_clear(&m_Vorbis);
        LogPrintWarning(u"Error/GxSoundLoaderOgg::OpenStream シーク可能なファイルではありません\n");
        return false;
    }
    const vorbis_info* info = ov_info(&m_Vorbis, -1);
    const ogg_int64_t total = ov_pcm_total(&m_Vorbis, -1);
    if (info == nullptr || info->channels < 1 || info->channels > 0xFFFF / 2 || info->rate < 1 || total < 0) {
        ov_clear(&m_Vorbis);
        LogPrintWarning(u"Error/GxSoundLoaderOgg::OpenStream ファイルのオープンに失敗しました\n");
        return false;
    }
    m_Format = WAVEFORMATEX{};
    m_Format.wFormatTag = WAVE_FORMAT_PCM;
    m_Format.nChannels = static_cast<WORD>(info->channels);
    m_Format.nSamplesPerSec = static_cast<DWORD>(info->rate);
    m_Format.nBlockAlign = static_cast<WORD>(info->channels * 2);
    m_Format.nAvgBytesPerSec = m_Format.nBlockAlign * m_Format.nSamplesPerSec;
    m_Format.wBitsPerSample = 16;
    m_Format.cbSize = 0;
    m_TotalFrames = static_cast<std::uint64_t>(total);
    m_End = false;
    m_Open = true;
    return true;
}

void GxSoundLoaderOgg::Close()
{
    if (m_Open)
        ov_clear(&m_Vorbis);   // closes the file through the close callback
    m_Open = false;
    m_Vorbis = OggVorbis_File{};
    m_Format = WAVEFORMATEX{};
    m_TotalFrames = 0;
    m_LoopStart = 0;
    m_End = false;
}

bool GxSoundLoaderOgg::Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead)
{
    if (bytesRead != nullptr)
        *bytesRead = 0;
    if (!m_Open)
        return false;
    char* out = static_cast<char*>(destination);
    std::uint32_t got = 0;
    while (got < bytes) {
        int section = 0;
        const int ask = static_cast<int>(std::min<std::uint32_t>(bytes - got, INT_MAX));
        const long result = ov_read(&m_Vorbis, out + got, ask, 0, 2, 1, &section);
        // A hole in the stream ends the sound early, like its end.
        if (result < 1) {
            m_End = true;
            break;
        }
        got += static_cast<std::uint32_t>(result);
    }
    if (bytesRead != nullptr)
        *bytesRead = got;
    return true;
}

bool GxSoundLoaderOgg::Seek(std::uint64_t frame)
{
    if (!m_Open || frame > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    if (ov_pcm_seek(&m_Vorbis, static_cast<ogg_int64_t>(frame)) != 0)
        return false;
    m_End = false;
    return true;
}

std::uint64_t GxSoundLoaderOgg::Tell()
{
    if (!m_Open)
        return 0;
    const ogg_int64_t position = ov_pcm_tell(&m_Vorbis);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

std::uint64_t GxSoundLoaderOgg::GetTotalBytes() const { return m_TotalFrames * m_Format.nChannels * 2; }

std::uint64_t GxSoundLoaderOgg::GetLoopStart() const { return m_LoopStart > GetLoopEnd() ? 0 : m_LoopStart; }

std::uint64_t GxSoundLoaderOgg::GetDurationMs() const
{
    if (m_Format.nSamplesPerSec == 0)
        return 0;
    return m_TotalFrames * 1000 / m_Format.nSamplesPerSec;
}

size_t GxSoundLoaderOgg::CallbackRead(void* buffer, size_t size, size_t count, void* source)
{
    auto* loader = static_cast<GxSoundLoaderOgg*>(source);
    size_t bytes = 0;
    if (__builtin_mul_overflow(size, count, &bytes))
        return 0;
    const std::uint32_t ask = static_cast<std::uint32_t>(std::min<size_t>(bytes, UINT32_MAX));
    const std::uint32_t got = loader->m_File.Read(buffer, ask);
    return size == 0 ? 0 : got / size;
}

int GxSoundLoaderOgg::CallbackSeek(void* source, ogg_int64_t offset, int origin)
{
    if (origin != 0 && origin != 1 && origin != 2)
        return -1;
    auto* loader = static_cast<GxSoundLoaderOgg*>(source);
    if (!loader->SeekSource(offset, origin)) {
        LogPrintWarning(u"Error/GxSoundLoaderOgg::CallbackSeek Failed\n");
        return -1;
    }
    return 0;
}

int GxSoundLoaderOgg::CallbackClose(void* source)
{
    auto* loader = static_cast<GxSoundLoaderOgg*>(source);
    if (!loader->m_File.IsOpen())
        return -1;
    loader->CloseSource();
    return 0;
}

long GxSoundLoaderOgg::CallbackTell(void* source)
{
    return static_cast<long>(static_cast<GxSoundLoaderOgg*>(source)->m_File.Tell());
}
