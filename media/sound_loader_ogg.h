// Ogg Vorbis decoded by vorbisfile into 16-bit signed little-endian PCM, read through the
// engine's own file handle so that sounds may lie inside pack archives.
#pragma once

#include "foundation/file_handle.h"
#include "media/sound_loader_base.h"

#include <vorbis/vorbisfile.h>

#include <string>

class GxSoundLoaderOgg : public GxSoundLoaderBase {
public:
    GxSoundLoaderOgg() = default;
    ~GxSoundLoaderOgg() override;
    GxSoundLoaderOgg(const GxSoundLoaderOgg&) = delete;
    GxSoundLoaderOgg& operator=(const GxSoundLoaderOgg&) = delete;

    bool Open(const std::u16string& fileName);

    void Close() override;
    bool IsOpen() const override { return m_Open; }
    // True whenever open; a decoder call that gives nothing ends the read and sets the end flag.
    bool Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead) override;
    bool Seek(std::uint64_t frame) override;
    std::uint64_t Tell() override;
    bool IsEnd() const override { return m_End; }
    const WAVEFORMATEX* GetFormat() const override { return &m_Format; }
    std::uint64_t GetLength() const override { return m_TotalFrames; }
    std::uint64_t GetTotalBytes() const override;
    void SetLoopStart(std::uint64_t frame) override { m_LoopStart = frame; }
    std::uint64_t GetLoopStart() const override;
    std::uint64_t GetLoopEnd() const override { return GetLength(); }
    std::uint64_t GetDurationMs() const override;
    int GetType() const override { return kTypeOgg; }

protected:
    // What the decoder's callbacks do to the source; tests replace them to make a source fail.
    virtual bool SeekSource(std::int64_t offset, int origin) { return m_File.Seek(offset, origin); }
    virtual void CloseSource() { m_File.Close(); }

private:
    bool OpenStream();

    static size_t CallbackRead(void* buffer, size_t size, size_t count, void* source);
    static int CallbackSeek(void* source, ogg_int64_t offset, int origin);
    static int CallbackClose(void* source);
    static long CallbackTell(void* source);

    GxFileHandle m_File;
    OggVorbis_File m_Vorbis{};
    bool m_Open = false;
    alignas(8) WAVEFORMATEX m_Format{};   // packed record: aligned here so its fields are too
    std::uint64_t m_TotalFrames = 0;
    std::uint64_t m_LoopStart = 0;
    bool m_End = false;
};
