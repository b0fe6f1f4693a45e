#include "screens/seq_opening.h"

#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/file.h"
#include "ui/task_ui_null.h"

#include <string>

namespace {

constexpr std::int32_t kMovieWidth = 1024;
constexpr std::int32_t kMovieHeight = 768;

std::u16string OpeningName(GxCore* core)
{
    return core != nullptr && core->m_SystemConfig != nullptr ? core->m_SystemConfig->m_MovNameOpening
                                                              : std::u16string();
}

std::int32_t MovieVolume(GxCore* core)
{
    return core != nullptr && core->m_UserConfig != nullptr ? core->m_UserConfig->GetMovieAttenuation() : 0;
}

}  // namespace

SeqOpening::SeqOpening(GxTaskBase* owner) : GxScreenBase(owner, u"SeqOpening")
{
    // The sender of the screen's click events; no layout rows. Known by its local name only: the
    // picture viewer has a caller of the same name, and task names are one registry.
    m_EventCaller = new GxTaskUINull(GetUIFolder(), nullptr, u"null_eventcaller", 0);
}

void SeqOpening::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);
    m_UpdateCount = 0;
    GxCore* core = GetCore();
    const std::u16string name = OpeningName(core);
    if (name.empty())
        return;
    const std::u16string path = core->m_SystemConfig->m_Folders[GxSystemConfig::kFolderMovies] + name;
    if (GxFile::GetFileSize(path) == 0)
        return;
    // Opened now, started by the first update.
    if (GxTaskLayer* layer = GetBackgroundLayer())
        layer->LoadMovie(path, kMovieWidth, kMovieHeight, 1, 0.0, MovieVolume(core), false, 0);
}

void SeqOpening::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (GxTaskLayer* layer = GetBackgroundLayer()) {
        layer->StopMovie();
        layer->ResetLayer();
    }
}

int SeqOpening::Update(std::int32_t, std::uint64_t)
{
    GxCore* core = GetCore();
    GxTaskLayer* layer = GetBackgroundLayer();
    if (m_UpdateCount == 0 && !OpeningName(core).empty()) {
        if (layer != nullptr)
            layer->PlayMovie(MovieVolume(core));
        // Opening the movie took time that the pacing must not make up for.
        if (core != nullptr)
            core->m_FrameTimer.ResetFrameTimer();
    }
    if (m_UpdateCount > 0 && (layer == nullptr || !layer->IsMoviePlaying()))
        ChangeScreen(u"SeqTitle");
    ProcessUIEvents(nullptr);
    ++m_UpdateCount;
    return 0;
}

int SeqOpening::OnMouseLeftDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    return ReportRawClick(m_EventCaller, 1);
}

int SeqOpening::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    return ReportRawClick(m_EventCaller, 2);
}

int SeqOpening::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event)
{
    if (GxSeqBase::OnUIEvent(widget, event) != 0)
        return 0;
    if (widget == m_EventCaller)
        ChangeScreen(u"SeqTitle");
    return 1;
}

int SeqOpening::OnUIEventCode2(GxTaskUIBase* widget, const GxUIEventParam*)
{
    if (widget == m_EventCaller)
        ChangeScreen(u"SeqTitle");
    return 1;
}
