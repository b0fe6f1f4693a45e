// SeqCGMode: the gallery of event pictures. The gallery rows become plates on pages of up to 25;
// a plate shows its thumbnail once one of its pictures has been seen in play and opens the
// picture viewer on its row, otherwise it is a locked plate. The share of pictures seen and each
// plate's count are drawn over the widgets.
#pragma once

#include "screens/screen_base.h"

#include <array>
#include <cstdint>
#include <vector>

class GxNcCrammedImageSet;

class SeqCGMode : public GxScreenBase {
public:
    static constexpr std::int32_t kRowCount = 200;
    static constexpr std::int32_t kPlateCount = 25;

    explicit SeqCGMode(GxTaskBase* owner);
    ~SeqCGMode() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t flags) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t flags, std::int32_t extra) override;

    std::int32_t GetCurrentPage() const { return m_CurrentPage; }
    std::int32_t GetPageCount() const { return m_PageCount; }
    std::int32_t GetPictureTotal() const { return m_PictureTotal; }
    std::int32_t GetPicturesSeen() const { return m_PicturesSeen; }
    std::int32_t GetSeenCount(std::int32_t row) const;
    const std::vector<std::int32_t>& GetPageRows() const { return m_PageRows; }
    // "%3d" of seen × 100 / total (0 without pictures).
    std::u16string GetPercentText() const;

protected:
    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;

private:
    void BuildIndex();
    // The page of the first page-select radio button that is on; 0 when none is.
    std::int32_t FindSelectedPage() const;
    void SelectPage(std::int32_t page);
    void FillPlates();
    void DrawOverlay();

    std::int32_t m_CurrentPage = 0;
    std::int32_t m_PictureTotal = 0;
    std::int32_t m_PicturesSeen = 0;
    std::int32_t m_PageCount = 0;
    std::vector<std::int32_t> m_PageRows;
    std::array<std::int32_t, kRowCount> m_SeenCounts{};
    GxNcCrammedImageSet* m_Thumbnails = nullptr;
    GxNcCrammedImageSet* m_Extras = nullptr;
};
