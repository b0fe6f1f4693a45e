// Stand-ins for the game's screens until they are built: empty sequences that record when they
// enter and leave their worker slot.
#pragma once

#include "core/seq_base.h"

// An empty screen: clears the target in render list 0 like every sequence.
class GxStandinScreen : public GxSeqBase {
public:
    GxStandinScreen(GxTaskBase* owner, const char16_t* name);

    // Records "Enter <name>"; the boot and title screens also call the modules' boot/title hook.
    // The boot screen then starts the game's script at "MAIN" on "SeqAvgMain" (request words 0
    // and 1), when the loaded program has that label.
    void OnSequenceEnter(std::int32_t worker) override;
    // Records "Leave <name>".
    void OnSequenceLeave(std::int32_t worker) override;

private:
    void StartGameScript();
};

// Names of the game's screens in the order they are built, after the resident "SeqSystem".
extern const char16_t* const kStandinScreenNames[12];

// The twelve stand-in screens under the owner.
void CreateStandinScreens(GxTaskBase* owner);
