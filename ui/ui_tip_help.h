// GxTaskUITipHelpIs (UI type 45): the framed help text the automatic help shows near the
// pointer. It sizes itself to its text in 16-pixel steps, tiles its frame from the 16 x 16
// squares of one image-set pattern (corners and edges at 0 and 48, the repeated pieces at 16),
// and hides at the next pointer move while m_AutoHide is set.
#pragma once

#include "ui/task_ui_base.h"

#include <cstdint>
#include <string>

struct GxNcOriginImage;

constexpr std::int32_t kUITypeTipHelpIs = 45;

class GxTaskUITipHelpIs : public GxTaskUIBase {
public:
    GxTaskUITipHelpIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskUITipHelpIs() override;

    int Draw(std::int32_t step, std::int32_t pass) override;
    // Hides the tip when the input gate is open, m_AutoHide is set and it is visible; the move
    // is never consumed.
    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    // The widget base's state, then the tip's eleven values; the read forgets the cell and resets
    // the event state.
    bool WriteState(GxContentWriterBase& writer) override;
    bool ReadState(GxContentReaderBase& reader) override;
    // The base's; the row's FontIndex; the set in the configured UI image-set folder.
    void ApplyModuleRecord(const DBUIModuleRow* row) override;
    // "folder/set/name": the set "folder/set.gis" and the cell "name".
    bool SetImageName(const char16_t* path) override;
    // The cell from the pooled set; an empty name needs none. The size is the text's, never the
    // image's.
    bool LoadImages() override;
    void ReleaseImages() override { m_Cell = nullptr; }
    // The text, then the size it needs; an empty text hides the tip.
    void SetText(const char16_t* text) override;

    // 0 to 5 with that font's configured size; any other index is refused with a log line.
    virtual void SetTextFontIndex(std::int32_t index);
    virtual void SetTextColor(std::uint32_t argb) { m_TextColor = argb; }
    virtual void SetEdgeColor(std::uint32_t argb) { m_EdgeColor = argb; }
    virtual void SetNewLineWidth(std::int32_t width) { m_NewLineWidth = width; }
    virtual std::int32_t GetNewLineWidth() const { return m_NewLineWidth; }
    virtual void SetPadding(std::int32_t padding) { m_Padding = padding; }
    virtual std::int32_t GetPadding() const { return m_Padding; }
    virtual void SetPatternIndex(std::int32_t index) { m_PatternIndex = index; }
    virtual std::int32_t GetPatternIndex() const { return m_PatternIndex; }
    // 0 without a cell.
    virtual std::int32_t GetPatternCount() const;
    // pointer: x, y, 0, 0. Below and left of the pointer, flipped to its other side where the
    // tip would leave the 1024 x 768 screen, then held on the screen. Returns 0.
    virtual int PlaceAt(const float* pointer);
    // The number of line breaks (lines - 1) and, when `width` is given, the widest line plus one
    // font size. A trailing break makes no extra line.
    virtual std::int32_t MeasureText(std::int32_t* width) const;

    const GxNcOriginImage* GetCell() const { return m_Cell; }

    std::u16string m_ImageName;
    std::u16string m_ImageSetName;
    GxNcOriginImage* m_Cell = nullptr;   // owned by the pooled set
    std::int32_t m_PatternIndex = 0;
    std::int32_t m_TextFontIndex = 1;
    std::int32_t m_TextFontSize = 0;     // the configured size of font 1 from the constructor
    std::uint32_t m_TextColor = 0xFFFFFFFFu;
    std::uint32_t m_EdgeColor = 0;       // the configuration's "SYSTEM_EDGE_COLOR"
    bool m_UseEdge = true;
    std::int32_t m_NewLineWidth = 320;
    bool m_AutoHide = true;
    std::int32_t m_Padding = 8;
};
