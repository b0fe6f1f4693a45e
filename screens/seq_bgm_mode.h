// SeqBGMMode: the music room. The player picks a track of the music-room table, steps to the
// previous or next track that has a button, or stops the music; a tip points at the track that
// plays. Leaving keeps the track playing.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>
#include <string>

class SeqBGMMode : public GxScreenBase {
public:
    explicit SeqBGMMode(GxTaskBase* owner);
    ~SeqBGMMode() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t flags, std::int32_t extra) override;
    // Only the back button plays its sound; a chosen track answers 0.
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    std::int32_t GetTrackCount() const { return m_TrackCount; }
    std::int32_t GetCurrentTrack() const { return m_CurrentTrack; }

private:
    // The track before or after the current one that has a button, wrapping within the count.
    std::int32_t StepTrack(std::int32_t direction) const;
    void SelectRadio(const char16_t* name, std::int32_t index = 0);
    void PlayTrack(std::int32_t track);
    void StopMusic();
    void UpdatePlayingTip();

    std::int32_t m_TrackCount = 0;
    std::int32_t m_CurrentTrack = 0;
};
