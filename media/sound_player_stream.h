// A stream channel's player under DirectSound: a file (loose or in a pack) streamed through
// its stream buffer, whose notification thread reads from the loader this player owns.
#pragma once

#include "media/sound_buffer_stream.h"
#include "media/sound_loader_base.h"
#include "media/sound_player_base.h"

#include <memory>

class GxSoundPlayerStream : public GxSoundPlayerBase {
public:
    GxSoundPlayerStream() = default;
    ~GxSoundPlayerStream() override { Close(); }

    // Store the position and orientation, then PlayFromFile. The reserved values are passed on
    // unused (the first as the buffer's play priority).
    bool Play(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
              std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue, std::uint32_t loopStartMs,
              BYTE use3D, const GxSoundVector* position, const GxSoundVector* orientation);
    bool Play(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
              std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue, std::uint32_t loopStartMs,
              BYTE use3D, const GxSoundVector* position, const GxSoundVector* orientation);
    bool PlayFromMemoryWith3D(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                              std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                              std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                              const GxSoundVector* position, const GxSoundVector* orientation);
    bool PlayFromFile(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                      std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue,
                      std::uint32_t loopStartMs, BYTE use3D);
    bool PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
                        std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue, std::uint32_t loopStartMs,
                        BYTE use3D);

    // Stops the buffer (the result), ends its thread and lets it go, then deletes the loader.
    bool Close() override;
    bool IsPlaying() override { return m_Buffer.IsPlaying(); }
    bool UpdateFade() override;

    GxSoundBufferStream& GetBuffer() { return m_Buffer; }
    bool HasLoader() const { return m_Loader != nullptr; }

protected:
    GxSoundBufferBase* Buffer() override { return &m_Buffer; }

private:
    bool PlayLoader(std::unique_ptr<GxSoundLoaderBase> loader, const char16_t* positionWarning,
                    const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                    std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::uint32_t loopStartMs,
                    BYTE use3D);

    std::unique_ptr<GxSoundLoaderBase> m_Loader;
    // Declared last: torn down first, so the notification thread has ended before the loader goes.
    GxSoundBufferStream m_Buffer;
};
