// A one-shot sound under DirectSound: the whole sound in one static buffer, from a file or from
// a decoded sound of the cache. A loop count of -1 loops for ever; any other plays once.
#pragma once

#include "media/sound_buffer_static.h"
#include "media/sound_player_base.h"

class GxSoundPlayerStatic : public GxSoundPlayerBase {
public:
    GxSoundPlayerStatic() = default;
    ~GxSoundPlayerStatic() override { Close(); }

    // The reserved values are passed on unused (the first as the buffer's play priority).
    bool PlayFromFile(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                      std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue,
                      BYTE use3D);
    bool PlayFromFile(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                      std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue,
                      BYTE use3D);
    bool PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
                        std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue, BYTE use3D);
    // Store the position and orientation, then play.
    bool PlayFromFileWith3D(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                            std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue,
                            BYTE use3D, const GxSoundVector* position, const GxSoundVector* orientation);
    bool PlayFromMemoryWith3D(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                              std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                              std::int32_t reservedValue, BYTE use3D, const GxSoundVector* position,
                              const GxSoundVector* orientation);

    // Stops and releases the buffer; the result is the stop's.
    bool Close() override;
    bool IsPlaying() override { return m_Buffer.IsPlaying(); }
    // A sound that has ended lets its buffer go here.
    bool UpdateFade() override;

    GxSoundBufferStatic& GetBuffer() { return m_Buffer; }

protected:
    GxSoundBufferBase* Buffer() override { return &m_Buffer; }

private:
    bool PlayLoader(GxSoundLoaderBase* loader, const char16_t* positionWarning, const std::u16string& fileName,
                    std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs, std::uint32_t fadeInMs,
                    LONG volume, BYTE use3D);

    GxSoundBufferStatic m_Buffer;
};
