// GxTaskUIButtonIs (UI type 18): the clickable image of the screens. It shows one of its state
// cells (normal, pressed, hover, disabled) of an image set from the pool and reports the pointer
// entering (7) and leaving (8) its client rectangle and the left button going down over it (1).
// A press keeps the pressed look for 15 updates. The toggle, radio and text buttons build on it.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>

struct GxNcOriginImage;

constexpr std::int32_t kUITypeButton = 18;
// Updates that show the pressed cell after a press.
constexpr std::int32_t kButtonPressFrames = 15;

// State image slots; the toggle family uses 4 and 5.
constexpr std::int32_t kButtonImageSlotCount = 8;
constexpr std::int32_t kButtonImageNormal = 0;    // "_off.png"
constexpr std::int32_t kButtonImagePressed = 1;   // "_on.png"
constexpr std::int32_t kButtonImageHover = 2;     // "_over.png"
constexpr std::int32_t kButtonImageDisabled = 3;  // "_na.png"
constexpr std::int32_t kButtonImageOnHover = 4;   // "_onover.png"
constexpr std::int32_t kButtonImageOnDisabled = 5;   // "_onna.png"

class GxTaskUIButtonIs : public GxTaskUIBase {
public:
    GxTaskUIButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIButtonIs() override;

    // The leave test, the image of the state, then the press counter runs down.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Draw(std::int32_t step, std::int32_t pass) override;
    // The widget's state, then "m_ImageName", "m_ImageSetName", "m_ImageIndex", "m_PatternIndex".
    bool WriteState(GxContentWriterBase& writer) override;
    // As written; then the cells are released and the event state reset (the next sequence
    // enter loads the read names).
    bool ReadState(GxContentReaderBase& reader) override;
    void ResetEventState() override;
    // The base's, then the image set (UI image-set folder + ImageSetName + ".gis") and ImageName.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // "folder/set/name": cells name + suffix of the set "folder/set.gis". Not reloaded here.
    bool SetImageName(const char16_t* path) override;
    // Looks the set up in the pool (never loads one): "_off", "_on", "_over", "_na" cells.
    bool LoadImages() override;
    void ReleaseImages() override;

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;

    virtual std::int32_t GetImageIndex() const { return m_ImageIndex; }

    // The cell of a slot; null when empty or for a slot outside 0 to 7.
    const GxNcOriginImage* GetStateImage(std::int32_t slot) const;
    std::int32_t GetPressFrames() const { return m_PressFrames; }

    std::u16string m_ImageName;
    std::u16string m_ImageSetName;
    GxNcOriginImage* m_StateImages[kButtonImageSlotCount] = {};
    std::int32_t m_ImageIndex = 0;
    std::int32_t m_PatternIndex = 0;

protected:
    // The look Draw shows for the button's look `index` (a toggle shows its own on looks); the
    // update moves the scene generation when this changes.
    virtual std::int32_t DrawnLookOf(std::int32_t index, bool) const { return index; }
    // The cell of slot m_ImageIndex, or the normal cell when that is empty (a saved index outside
    // the slots counts as empty).
    GxNcOriginImage* GetIndexedImage() const;
    // Sizes left at 0 from the normal cell's first pattern, then the client rectangle's.
    void TakeSizesFromNormalImage();
    // Opens the scene bracket with the widgets' render states; CloseDraw ends it.
    static void OpenDraw();
    static void CloseDraw();
    // Pattern m_PatternIndex of the cell through the actor's transform at `alpha`.
    void DrawCell(const GxNcOriginImage* cell, float alpha);
    // DrawCell in the scene bracket at the image alpha times the actor's alpha.
    void DrawStateCell(const GxNcOriginImage* cell);
    // The input gate is open and the point lies in the client rectangle.
    bool IsPressInside(const GxVector2& point);
    // A press at `point` (the input gate already passed): outside the client rectangle 0;
    // inside, the click state for the press frames, then ReportPress.
    int PressClient(const GxVector2& point, std::uint32_t keys, std::int32_t doubleClick, bool withKeys);
    // The set from the pool, then cell name + suffixes[slot] into each slot below `count`; false,
    // logged as `who`, without the set or the normal cell. Fallbacks are the caller's.
    bool FindStateCells(const char16_t* const* suffixes, std::int32_t count, const char16_t* who);
    // FindStateCells, then the plain button's fallbacks (pressed from hover, disabled from normal)
    // and the sizes from the normal cell.
    bool LoadButtonCells(const char16_t* const* suffixes, std::int32_t count, const char16_t* who);
    // Event 1 with pointer and position (and, when `withKeys`, the key flags and the double-click
    // flag), when reported; 1 when it was reported and m_EventBlockFlag is set.
    int ReportPress(const GxVector2& point, std::uint32_t keys, std::int32_t doubleClick, bool withKeys);

    std::int32_t m_PressFrames = 0;   // not saved
    std::int32_t m_DrawnLook = -1;    // DrawnLookOf at the last update; not saved
};
