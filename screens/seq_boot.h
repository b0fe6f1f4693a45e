// SeqBoot: the first screen of a run. Entering resets the game state (sounds keep playing) and
// calls the modules' boot/title hook; its update goes on to the opening movie when one is named
// and Ctrl is up, else straight to the title. A missing target is logged and tried again on the
// next frame.
#pragma once

#include "core/seq_transit_base.h"

#include <cstdint>

class SeqBoot : public GxSeqTransitBase {
public:
    explicit SeqBoot(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    int Update(std::int32_t step, std::uint64_t elapsed) override;
};
