// The play screen until the adventure module's own is built: it shows nothing, but each message
// and speaker call is recorded and its update steps the main script worker.
#pragma once

#include "avg/standins/screens_standin.h"

#include <cstdint>
#include <string>

// The play screen until the adventure module is built: it shows nothing, but each message and
// speaker call is recorded (GxStandinTrace) and written as one "debug.log" line, and its update
// steps the main script worker. A shown message holds the worker until a left-button release or
// kMessageHoldFrames frames, so that a run without input advances by itself.
class SeqAvgMain : public GxStandinScreen {
public:
    static constexpr std::int32_t kMessageHoldFrames = 30;

    explicit SeqAvgMain(GxTaskBase* owner);

    // Shows the text under the current speaker and holds the worker.
    void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags);
    // Mode 0 or an empty name clears the speaker; modes 1 and 3 show the name; mode 2 shows it
    // only when its name image exists; any other mode does nothing.
    void SetSpeakerName(const std::u16string& name, std::int32_t mode);
    void ClearSpeakerName();

    // The queued widget events first; when none was handled, the main worker steps for as long
    // as a step succeeds and IsScriptRunnable holds.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // Releases a message hold.
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t keys) override;
    // No message held, no screen change pending, and this screen's worker slot started.
    bool IsScriptRunnable() override;

    const std::u16string& GetSpeakerName() const { return m_SpeakerName; }
    bool IsMessageHeld() const { return m_HoldFramesLeft > 0; }

private:
    std::u16string m_SpeakerName;
    std::int32_t m_HoldFramesLeft = 0;
};
