// SeqSave: the save screen. A plate asks "セーブしますか？"; yes writes the running game and the
// play screen's last thumbnail into the slot, then the options and the persistent flags.
#pragma once

#include "screens/seq_file_base.h"

class SeqSave : public SeqFileBase {
public:
    explicit SeqSave(GxTaskBase* owner);

    // Writes the slot. A failed game-data write keeps the slot's previous save and picture and the
    // newest-slot mark; the options and persistent flags are written all the same. False when the
    // game data or the picture failed.
    bool SaveGameToSlot(std::int32_t slot);

protected:
    // The page buttons and plates, then the question's answers, then "btn_back".
    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;
};
