// SeqRPMode: the gallery of replayable scenes. The replay rows become plates on pages of up to
// 25; a plate is unlocked once its row's script label has been passed in play, and choosing it
// runs the play screen from that label in replay mode, which comes back here when the replayed
// script ends. The share of scenes unlocked is drawn over the widgets.
#pragma once

#include "data/user_data_perman.h"
#include "screens/screen_base.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class GxNcCrammedImageSet;

class SeqRPMode : public GxScreenBase {
public:
    static constexpr std::int32_t kRowCount = 200;
    static constexpr std::int32_t kPlateCount = 25;

    explicit SeqRPMode(GxTaskBase* owner);
    ~SeqRPMode() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t flags) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t flags, std::int32_t extra) override;

    std::int32_t GetCurrentPage() const { return m_CurrentPage; }
    std::int32_t GetPageCount() const { return m_PageCount; }
    std::int32_t GetSceneTotal() const { return m_SceneTotal; }
    std::int32_t GetScenesUnlocked() const { return m_ScenesUnlocked; }
    bool IsUnlocked(std::int32_t row) const;
    const std::vector<std::int32_t>& GetPageRows() const { return m_PageRows; }
    // "%3d" of unlocked × 100 / total (0 without scenes).
    std::u16string GetPercentText() const;

protected:
    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;

private:
    void BuildIndex();
    std::int32_t FindSelectedPage() const;
    void SelectPage(std::int32_t page);
    void FillPlates();
    void StartReplay(std::int32_t row);
    void DrawOverlay();

    std::int32_t m_CurrentPage = 0;
    std::int32_t m_SceneTotal = 0;
    std::int32_t m_ScenesUnlocked = 0;
    std::int32_t m_PageCount = 0;
    std::vector<std::int32_t> m_PageRows;
    std::array<GxFlagBits, kRowCount> m_UnlockedFlags{};
    GxNcCrammedImageSet* m_Thumbnails = nullptr;
    GxNcCrammedImageSet* m_Extras = nullptr;
};
