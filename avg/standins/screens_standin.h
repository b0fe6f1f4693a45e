// Stand-ins for the game's screens until they are built: the resident system sequence
// "SeqSystem" and the screens as empty sequences that record when they enter and leave their
// worker slot.
#pragma once

#include "core/debug_statistics.h"
#include "core/seq_base.h"
#include "graphics/gdi_font_map.h"

// An empty screen: clears the target in render list 0 like every sequence.
class GxStandinScreen : public GxSeqBase {
public:
    GxStandinScreen(GxTaskBase* owner, const char16_t* name);

    // Records "Enter <name>"; the boot and title screens also call the modules' boot/title hook.
    void OnSequenceEnter(std::int32_t worker) override;
    // Records "Leave <name>".
    void OnSequenceLeave(std::int32_t worker) override;
};

// The boot screen until the game's own: once its worker slot is ready (a request made while its
// own change is pending would be refused), it starts a new game as the title's start button
// will: the game state reset, then the script at "MAIN" on the play screen. A program without
// "MAIN" leaves the game on this screen.
class GxBootStandinScreen : public GxStandinScreen {
public:
    explicit GxBootStandinScreen(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    int Update(std::int32_t step, std::uint64_t elapsed) override;

private:
    bool m_StartPending = false;
};

// The resident system sequence: walked first by input and last by update and render; queues
// itself into render list 9 with value -1 and draws the script engine's debug status line there.
class SeqSystem : public GxSeqBase {
public:
    explicit SeqSystem(GxTaskBase* owner);
    ~SeqSystem() override;

    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // The debug status line at (0, 0) in a nested scene, when ShouldDrawDebugStatusLine says so.
    int Draw(std::int32_t value, std::int32_t listIndex) override;

    // "DebugConsoleFlag" of "setting.ini"; else an error was logged, unless "SkipSlightError" is
    // set while the script instance has not stopped on an error.
    bool ShouldDrawDebugStatusLine() const;

    // The debug glyph cache: the default face at the default size, which is the line height.
    GxGDIFontMap m_DebugFont;
    // Zeros until the screens count anything.
    GxDebugStatistics m_Statistics;
};

// Names of the game's screens, built by CreateStandinScreens in this order after SeqSystem.
extern const char16_t* const kStandinScreenNames[12];

// Builds "SeqSystem" and the game's screens under the owner; returns the system sequence.
SeqSystem* CreateStandinScreens(GxTaskBase* owner);
