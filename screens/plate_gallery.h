// GxPlateGallery: what the picture and replay galleries share. Rows of a 200-row table become
// plates on pages of up to 25; the current page lives in the page radio buttons between visits;
// the page, previous, next and back buttons, the wheel and the right click; and the overlay that
// draws the share unlocked and each plate's thumbnail, or the locked pattern.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>
#include <string>
#include <vector>

class GxCore;
class GxNcCrammedImageSet;
struct GxFColor;

class GxPlateGallery : public GxScreenBase {
public:
    static constexpr std::int32_t kRowCount = 200;
    static constexpr std::int32_t kPlateCount = 25;

    // The gallery's own file and widget names.
    struct Names {
        const char16_t* background;      // in the UI image folder
        const char16_t* thumbnailSet;    // in the UI image-set folder
        const char16_t* lockedPattern;   // of "ui_extra.gis"
        const char16_t* plate;           // the plate widgets, indices 0 to 24
    };

    GxPlateGallery(GxTaskBase* owner, const char16_t* name, const Names& names);
    ~GxPlateGallery() override;

    // Tag 2: the share unlocked and the plates, over the widgets.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // Whole notches: up acts as "btn_prev", down as "btn_next", when "btn_prev" takes input.
    // Never consumed.
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t flags) override;
    // "btn_back", when it takes input. Not consumed.
    int OnMouseRightDown(const GxVector2* point, std::uint32_t flags, std::int32_t extra) override;

    std::int32_t GetCurrentPage() const { return m_CurrentPage; }
    std::int32_t GetPageCount() const { return m_PageCount; }
    const std::vector<std::int32_t>& GetPageRows() const { return m_PageRows; }
    // "%3d" of the unlocked × 100 / the total (0 without any).
    std::u16string GetPercentText() const;
    // Whether the row's plate can be chosen.
    virtual bool IsUnlocked(std::int32_t row) const = 0;

protected:
    // The background and both image sets.
    void LoadGalleryAssets();
    void ReleaseGalleryAssets();
    // The page of the first page radio button that is on (0 when none is), and its plates.
    void ShowSelectedPage();
    bool HasThumbnail(const std::u16string& name) const;

    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;

    // Whether the row is listed on the page.
    virtual bool IsOnPage(std::int32_t row, std::int32_t page) const = 0;
    virtual std::u16string GetThumbnail(std::int32_t row) const = 0;
    // Before the change to the title.
    virtual void OnBack() {}
    virtual void OnPlateChosen(std::int32_t row) = 0;
    // What a plate draws after its pattern, and what that depends on.
    virtual void DrawPlateExtra(GxTaskUIBase*, std::int32_t) {}
    virtual void AddPlateExtraState(GxDrawnStateKey&, std::int32_t) const {}
    // The share unlocked and every shown plate: its place, row, lock, thumbnail and glow.
    void AddDrawnState(GxDrawnStateKey& key) const override;
    // `font` is the system bitmap font slot.
    static void DrawNumberText(std::int32_t font, const std::u16string& text, float x, float y);

    std::int32_t m_PageCount = 0;
    std::int32_t m_Total = 0;
    std::int32_t m_Unlocked = 0;

private:
    std::int32_t FindSelectedPage() const;
    void SelectPage(std::int32_t page);
    void FillPlates();
    void DrawOverlay();
    // The added colour of a plate's thumbnail: a glow that pulses while the pointer is over it.
    float GlowOf(const GxTaskUIBase* plate) const;

    Names m_Names;
    std::int32_t m_CurrentPage = 0;
    std::vector<std::int32_t> m_PageRows;
    GxNcCrammedImageSet* m_Thumbnails = nullptr;
    GxNcCrammedImageSet* m_Extras = nullptr;
};
