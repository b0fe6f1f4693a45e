#include "avg/standins/seq_avg_main.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/script_services.h"
#include "core/standins/standin_trace.h"
#include "core/task_manage.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"

SeqAvgMain::SeqAvgMain(GxTaskBase* owner) : GxStandinScreen(owner, u"SeqAvgMain") {}

void SeqAvgMain::SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags)
{
    GxStandinTrace::Record(FormatWide(u"SeqAvgMain::SetMessageText(%s,%d,%d,%d)", text.c_str(), read ? 1 : 0,
                                      ignoreKinsoku ? 1 : 0, flags));
    LogPrintDebug(u"SeqAvgMain::SetMessageText/speaker=[%s] text=[%s] read=%d\n", m_SpeakerName.c_str(), text.c_str(),
                  read ? 1 : 0);
    m_HoldFramesLeft = kMessageHoldFrames;
}

void SeqAvgMain::SetSpeakerName(const std::u16string& name, std::int32_t mode)
{
    GxStandinTrace::Record(FormatWide(u"SeqAvgMain::SetSpeakerName(%s,%d)", name.c_str(), mode));
    LogPrintDebug(u"SeqAvgMain::SetSpeakerName/name=[%s] mode=%d\n", name.c_str(), mode);
    if (name.empty() || mode == 0) {
        m_SpeakerName.clear();
    } else if (mode == 1 || mode == 3) {
        m_SpeakerName = name;
    } else if (mode == 2) {
        GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
        std::u16string image = (core ? core->GetConfig().m_NameImageFolder : GxCoreConfig().m_NameImageFolder) + name;
        if (ResolveImageFile(image))
            m_SpeakerName = name;
        else
            m_SpeakerName.clear();
    }
}

void SeqAvgMain::ClearSpeakerName()
{
    GxStandinTrace::Record(u"SeqAvgMain::ClearSpeakerName()");
    LogPrintDebug(u"SeqAvgMain::ClearSpeakerName/\n");
    m_SpeakerName.clear();
}

int SeqAvgMain::Update(std::int32_t step, std::uint64_t)
{
    const int handled = ProcessUIEvents(nullptr);
    // Frames, not logic passes: only the first pass of a frame counts.
    if (m_HoldFramesLeft > 0 && step == 0)
        --m_HoldFramesLeft;
    GxScriptServicesBase* script = GetScriptServices();
    if (handled != 0 || script == nullptr)
        return 0;
    while (IsScriptRunnable() && script->StepMainWorker()) {
    }
    return 0;
}

int SeqAvgMain::OnMouseLeftUp(const GxVector2*, std::uint32_t)
{
    if (m_HoldFramesLeft == 0)
        return 0;
    m_HoldFramesLeft = 0;
    return 1;
}

bool SeqAvgMain::IsScriptRunnable()
{
    if (m_HoldFramesLeft > 0 || m_Manage == nullptr || m_Manage->IsAnyChangePending())
        return false;
    return m_WorkerIndex >= 0 && m_Manage->IsWorkerReady(m_WorkerIndex);
}
