// SeqLoad: the load screen. A plate of a saved slot asks "ロードしますか？"; yes loads the slot
// and resumes the screen the game was saved in.
#pragma once

#include "screens/seq_file_base.h"

class SeqLoad : public SeqFileBase {
public:
    explicit SeqLoad(GxTaskBase* owner);

    // Base handler, the question's answers, the button sound, then the page buttons, plates and
    // "btn_back".
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;
    // The game state reset, the modules told, the slot read, the system voice stopped at once.
    // False when the slot did not read (the reader logged it).
    bool LoadGameFromSlot(std::int32_t slot);
};
