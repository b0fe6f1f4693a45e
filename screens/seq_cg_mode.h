// SeqCGMode: the gallery of event pictures. The gallery rows become plates on pages of up to 25;
// a plate shows its thumbnail once one of its pictures has been seen in play and opens the
// picture viewer on its row, otherwise it is a locked plate. The share of pictures seen and each
// plate's count are drawn over the widgets.
#pragma once

#include "screens/plate_gallery.h"

#include <array>
#include <cstdint>

class SeqCGMode : public GxPlateGallery {
public:
    explicit SeqCGMode(GxTaskBase* owner);
    ~SeqCGMode() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    // Queued under the other screens' overlays.
    int Render(std::int32_t step, std::uint64_t elapsed) override;

    std::int32_t GetPictureTotal() const { return m_Total; }
    std::int32_t GetPicturesSeen() const { return m_Unlocked; }
    std::int32_t GetSeenCount(std::int32_t row) const;
    bool IsUnlocked(std::int32_t row) const override { return GetSeenCount(row) > 0; }

protected:
    bool IsOnPage(std::int32_t row, std::int32_t page) const override;
    std::u16string GetThumbnail(std::int32_t row) const override;
    void OnPlateChosen(std::int32_t row) override;
    // "seen/count" under the plate, right-aligned.
    void DrawPlateExtra(GxTaskUIBase* plate, std::int32_t row) override;
    void AddPlateExtraState(GxDrawnStateKey& key, std::int32_t row) const override;

private:
    void BuildIndex();

    std::array<std::int32_t, kRowCount> m_SeenCounts{};
};
