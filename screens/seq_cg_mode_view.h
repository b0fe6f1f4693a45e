// SeqCGModeView: the seen pictures of one gallery row, full screen, one after another. A click
// or one of the six keys goes on to the next seen picture and the last one returns to the
// gallery; a picture larger than the screen can be dragged, and a picture's placement codes can
// pan it from a start to an end position after a short wait.
#pragma once

#include "foundation/value_types.h"
#include "screens/screen_base.h"

#include <cstdint>
#include <string>

class GxTaskUIBase;

class SeqCGModeView : public GxScreenBase {
public:
    explicit SeqCGModeView(GxTaskBase* owner);
    ~SeqCGModeView() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;

    int OnMouseMove(const GxVector2* point, std::uint32_t flags) override;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t flags, std::int32_t extra) override;
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t flags) override;
    int OnMouseRightDown(const GxVector2* point, std::uint32_t flags, std::int32_t extra) override;
    int OnKeyDown(WPARAM key, LPARAM flags) override;

    int OnUIEventCode2(GxTaskUIBase* widget, const GxUIEventParam* event) override;
    int OnUIEventCode4(GxTaskUIBase* widget, const GxUIEventParam* event) override;
    int OnUIEventCode13(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    std::int32_t GetRow() const { return m_Row; }
    std::int32_t GetEntry() const { return m_Entry; }
    GxVector2 GetPictureSize() const { return m_PictureSize; }
    GxVector3 GetStartPos() const { return m_StartPos; }
    GxVector3 GetEndPos() const { return m_EndPos; }
    bool IsDragging() const { return m_Dragging; }

    // A two-character placement code for a picture of that size on the 1024 × 768 screen.
    static GxVector3 PlacementPos(const std::u16string& code, float width, float height);

private:
    // The first entry after `entry` of the row whose name is set and has been seen, looking at
    // all 32 names; -1 when none is left (or the row does not exist).
    std::int32_t NextSeenEntry(std::int32_t entry) const;
    void ShowEntry(std::int32_t entry, std::int32_t fadeMs);
    void ResetDrag();
    void SetCursor(std::int32_t kind);
    bool CallerTakesInput();
    void GoForward();

    GxTaskUIBase* m_EventCaller = nullptr;
    std::int32_t m_Row = 0;
    std::int32_t m_Entry = -1;
    GxVector2 m_PictureSize{0.0f, 0.0f};
    GxVector3 m_StartPos{0.0f, 0.0f, 0.0f};
    GxVector3 m_EndPos{0.0f, 0.0f, 0.0f};
    GxVector3 m_DragOrigin{0.0f, 0.0f, 0.0f};
    bool m_Dragging = false;
    GxVector2 m_Pointer{-1.0f, -1.0f};
    GxVector2 m_DragStart{-1.0f, -1.0f};
};
