// SeqRPMode: the gallery of replayable scenes. The replay rows become plates on pages of up to
// 25; a plate is unlocked once its row's script label has been passed in play, and choosing it
// runs the play screen from that label in replay mode, which comes back here when the replayed
// script ends. The share of scenes unlocked is drawn over the widgets.
#pragma once

#include "data/user_data_perman.h"
#include "screens/plate_gallery.h"

#include <array>
#include <cstdint>

class SeqRPMode : public GxPlateGallery {
public:
    explicit SeqRPMode(GxTaskBase* owner);
    ~SeqRPMode() override;

    void OnSequenceEnter(std::int32_t worker) override;
    // The replay-mode flag stays: a replay started here comes back here.
    void OnSequenceLeave(std::int32_t worker) override;

    std::int32_t GetSceneTotal() const { return m_Total; }
    std::int32_t GetScenesUnlocked() const { return m_Unlocked; }
    bool IsUnlocked(std::int32_t row) const override;

protected:
    // Every row of the page's group, valid or not.
    bool IsOnPage(std::int32_t row, std::int32_t page) const override;
    std::u16string GetThumbnail(std::int32_t row) const override;
    // Clears the replay-mode flag.
    void OnBack() override;
    void OnPlateChosen(std::int32_t row) override;

private:
    void BuildIndex();

    std::array<GxFlagBits, kRowCount> m_UnlockedFlags{};
};
