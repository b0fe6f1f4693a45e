#include "ui/ui_anim_panel.h"

#include "core/scene_generation.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"

GxTaskUIAnimePanelIs::GxTaskUIAnimePanelIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                           std::int32_t localIndex)
    : GxTaskUIPanelIs(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeAnimePanel;
    m_EventBlockFlag = false;
}

GxTaskUIAnimePanelIs::~GxTaskUIAnimePanelIs() = default;

int GxTaskUIAnimePanelIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    UIPanelUpdate(this, step, elapsed);
    const std::int32_t count = GetPatternCount();
    if (m_Cell && m_AnimeSpeed != 0 && count > 0 && static_cast<std::int64_t>(m_UpdateCount) % m_AnimeSpeed == 0) {
        // A saved index may be anything; the step brings it back into the cell.
        std::int32_t next = m_PatternIndex % count;
        if (next < 0)
            next += count;
        m_PatternIndex = (next + 1) % count;
        // A hidden panel keeps stepping; only a shown one changes the picture (showing it, or
        // an ancestor, moves the generation then).
        if (IsVisibleInTree())
            TouchDrawnArea();
    }
    m_UpdateCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_UpdateCount) + 1u);
    return 0;
}

bool GxTaskUIAnimePanelIs::WriteState(GxContentWriterBase& writer)
{
    const bool ok = GxTaskUIPanelIs::WriteState(writer);
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUIAnimePanelIs::ReadState(GxContentReaderBase& reader)
{
    const bool ok = GxTaskUIPanelIs::ReadState(reader);
    return ok && reader.GetErrorCount() == 0;
}

bool GxTaskUIAnimePanelIs::LoadImages()
{
    GxNcCrammedImageSet* set = FindUIImageSet(m_ImageSetName);
    if (!set) {
        LogPrint(u"GxTaskUIAnimePanelIs/ImageSet wasn't Loaded:%s[%s]\n", m_ImageSetName.c_str(),
                 GetTaskPath().c_str());
        return false;
    }
    GxSceneGeneration::Touch();
    m_Cell = FindUICell(set, m_ImageName + u".png");
    if (!m_Cell) {
        LogPrint(u"GxTaskUIAnimePanelIs/Image not found:%s.png[%s]\n", m_ImageName.c_str(), GetTaskPath().c_str());
        return false;
    }
    TakeUICellSize(this, m_Cell);
    ApplyClientRectRule(this);
    return true;
}
