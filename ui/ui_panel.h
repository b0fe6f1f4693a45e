// The two image panels: GxTaskUIPanelFx (UI type 8) shows one loose image file, GxTaskUIPanelIs
// (UI type 15) one pattern of a cell of an image set. Most visible widgets derive from one of
// them. The panel update, hover and click below are shared unchanged by those widgets: a panel
// reports the pointer entering (7), leaving (8) and a click (1) over its whole bounds.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>

class GxTextureFlex;
struct GxNcOriginImage;

constexpr std::int32_t kUITypePanelFx = 8;
constexpr std::int32_t kUITypePanelIs = 15;

// Degrees of an actor's rotation to the radians the drawing takes.
constexpr float kUIDegreesToRadians = 0.017453292f;

// The panel update: the base's update, then event 8 once the pointer has left the bounds (not
// while a drag holds the press), then the automatic help. Returns 0.
int UIPanelUpdate(GxTaskUIBase* widget, std::int32_t step, std::uint64_t elapsed);
// The panel hover: event 7 when the pointer comes into the bounds; consumed when the widget
// blocks mouse moves and the pointer is within its bounds.
int UIPanelMouseMove(GxTaskUIBase* widget, const GxVector2* point);
// The panel click: event 1 for a press within the bounds; consumed when the event was reported
// and the widget blocks events.
int UIPanelLeftDown(GxTaskUIBase* widget, const GxVector2* point);
// Both sizes of the client rectangle follow the widget's size when they are 0.
void ApplyClientRectRule(GxTaskUIBase* widget);

class GxTaskUIPanelFx : public GxTaskUIBase {
public:
    GxTaskUIPanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIPanelFx() override;

    int Update(std::int32_t step, std::uint64_t elapsed) override { return UIPanelUpdate(this, step, elapsed); }
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    int OnMouseMove(const GxVector2* point, std::uint32_t) override { return UIPanelMouseMove(this, point); }
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t) override
    {
        return UIPanelLeftDown(this, point);
    }

    // The row's ImageSetName serves as a folder: the path is it, the ImageName and ".png".
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    bool SetImageName(const char16_t* name) override;
    // The texture of the path from the texture factory, the size taken from it.
    bool LoadImages() override;
    void ReleaseImages() override;

    const std::u16string& GetImagePath() const { return m_ImagePath; }
    GxTextureFlex* GetTexture() const { return m_Texture; }

protected:
    std::u16string m_ImagePath;
    GxTextureFlex* m_Texture = nullptr;   // one factory reference while held
};

class GxTaskUIPanelIs : public GxTaskUIBase {
public:
    GxTaskUIPanelIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUIPanelIs() override;

    int Update(std::int32_t step, std::uint64_t elapsed) override { return UIPanelUpdate(this, step, elapsed); }
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    int OnMouseMove(const GxVector2* point, std::uint32_t) override { return UIPanelMouseMove(this, point); }
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t) override
    {
        return UIPanelLeftDown(this, point);
    }
    bool WriteState(GxContentWriterBase& writer) override;
    // Forgets the cell and resets the event state; the next LoadImages looks the cell up again.
    bool ReadState(GxContentReaderBase& reader) override;

    // The set: the configured UI image-set folder, the row's ImageSetName and ".gis".
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // The last folder of the path names the set (+ ".gis"), the file name names the cell.
    bool SetImageName(const char16_t* path) override;
    // The cell from the pooled set (never loaded here); a size of 0 takes the first pattern's.
    bool LoadImages() override;
    void ReleaseImages() override { m_Cell = nullptr; }

    virtual void SetPatternIndex(std::int32_t index) { m_PatternIndex = index; }
    virtual std::int32_t GetPatternIndex() const { return m_PatternIndex; }
    // 0 without a cell.
    virtual std::int32_t GetPatternCount() const;

    const GxNcOriginImage* GetCell() const { return m_Cell; }

    std::u16string m_ImageName;
    std::u16string m_ImageSetName;

protected:
    GxNcOriginImage* m_Cell = nullptr;   // owned by the pooled set
public:
    std::int32_t m_PatternIndex = 0;
};
