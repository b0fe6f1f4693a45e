// Stand-ins for the game's screens until they are built: empty sequences that record when they
// enter and leave their worker slot.
#pragma once

#include "core/seq_base.h"

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

// Names of the game's screens in the order they are built, after the resident "SeqSystem".
extern const char16_t* const kStandinScreenNames[12];

// The twelve stand-in screens under the owner.
void CreateStandinScreens(GxTaskBase* owner);
