// GxTaskUIAnimePanelIs (UI type 16): an image-set panel that plays the patterns of its cell in a
// loop, one pattern every m_AnimeSpeed updates of its own. A click on it is reported but passed
// on to the widgets behind it.
#pragma once

#include "ui/ui_panel.h"

#include <cstdint>

constexpr std::int32_t kUITypeAnimePanel = 16;

class GxTaskUIAnimePanelIs : public GxTaskUIPanelIs {
public:
    GxTaskUIAnimePanelIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex);
    ~GxTaskUIAnimePanelIs() override;

    // The panel update, then the step: on the update counts that are multiples of m_AnimeSpeed
    // the pattern index moves on, wrapping at the cell's pattern count.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    // As the panel's, but an empty name is looked up too (and fails), and the client rectangle
    // follows the size only when the cell was found.
    bool LoadImages() override;
};
