// SeqFileBase: what the load and save screens share. Ten pages of eight plates, one per save slot
// ("gamedata%03d.gd" with "thumb%03d.png" in the save folder, slots 1 to 80): entering and
// leaving, the page refresh (thumbnails, header records, the "new" tip) and the plate drawing.
// SeqLoad and SeqSave add their own widget handling and the load or save of a slot.
#pragma once

#include "data/user_data.h"
#include "graphics/texture_flex.h"
#include "screens/screen_base.h"

#include <array>
#include <cstdint>
#include <string>

class SeqSystem;

constexpr std::int32_t kFilePageCount = 10;
constexpr std::int32_t kFilePlateCount = 8;

// Slot number (1..80) of plate p on page g.
constexpr std::int32_t FileSlotOf(std::int32_t page, std::int32_t plate)
{
    return page * kFilePlateCount + plate + 1;
}

// Where plate p stands: two columns of four rows.
constexpr float FilePlateX(std::int32_t plate)
{
    return 52.0f + 484.0f * static_cast<float>(plate / 4);
}
constexpr float FilePlateY(std::int32_t plate)
{
    return 150.0f + 131.0f * static_cast<float>(plate % 4);
}

std::u16string GameDataFileName(std::int32_t slot);
std::u16string ThumbnailFileName(std::int32_t slot);
// The first text line of a plate: the save time and slot, or the empty-slot text.
std::u16string FilePlateLine1(const GxGameDataHeader& header, std::int32_t slot);

class SeqFileBase : public GxScreenBase {
public:
    // isLoad: the load screen (plates of empty slots disabled, a vanished newest save forgotten).
    SeqFileBase(GxTaskBase* owner, const char16_t* name, bool isLoad);
    ~SeqFileBase() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // Acts as "btn_back" when that button could take input; never consumed.
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t clicks) override;

    // Reads the current page's eight slots again.
    void RefreshPlates();

    std::int32_t GetSelectedSlot() const { return m_SelectedSlot; }
    const GxGameDataHeader& GetPlateHeader(std::int32_t plate) const { return m_Headers[plate]; }
    const GxTextureFlex& GetPlateThumbnail(std::int32_t plate) const { return m_Thumbnails[plate]; }

protected:
    std::u16string SaveFolder() const;
    std::int32_t CurrentPage() const;
    // "b01".."b10" set the page; a plate opens the question. True when the name was one of them.
    bool HandlePageOrPlate(GxTaskUIBase* widget, const std::u16string& name, const char16_t* question,
                           const char16_t* tag);
    // Back to the slot's previous screen, then the queued events dropped.
    void GoBack(std::int32_t word1);
    // The sound a widget with the sound bit plays on a click.
    static void PlayButtonSound(GxTaskUIBase* widget);
    static bool HasSoundBit(const GxTaskUIBase* widget);
    // The page and each plate's thumbnail and text lines.
    void AddDrawnState(GxDrawnStateKey& key) const override;

    std::int32_t m_SelectedSlot = -1;

private:
    void DrawPlates();
    std::u16string ScreenName() const;

    bool m_IsLoad;
    std::array<GxTextureFlex, kFilePlateCount> m_Thumbnails;
    std::array<GxGameDataHeader, kFilePlateCount> m_Headers;
};
