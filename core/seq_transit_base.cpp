#include "core/seq_transit_base.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/task_manage.h"
#include "core/transit_graphics.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "foundation/value_types.h"

bool GxTransitParam::WriteState(GxContentWriterBase& writer)
{
    writer.WriteBool("m_Transit", m_Transit);
    writer.WriteS32("m_TransitTimeLeft", m_TransitTimeLeft);
    writer.WriteS32("m_TransitTimeTotal", m_TransitTimeTotal);
    return true;
}

bool GxTransitParam::ReadState(GxContentReaderBase& reader)
{
    reader.ReadBool("m_Transit", &m_Transit);
    reader.ReadS32("m_TransitTimeLeft", &m_TransitTimeLeft);
    reader.ReadS32("m_TransitTimeTotal", &m_TransitTimeTotal);
    return reader.GetErrorCount() == 0;
}

float GxTransitParam::GetRate() const
{
    if (!m_Transit || m_TransitTimeTotal <= 0) return 1.0f;
    const double total = static_cast<double>(m_TransitTimeTotal);
    const double rate = (total - static_cast<double>(m_TransitTimeLeft)) / total;
    if (rate < 0.0) return 0.0f;
    if (rate > 1.0) return 1.0f;
    return static_cast<float>(rate);
}

GxSeqTransitBase::GxSeqTransitBase(GxTaskBase* owner, const char16_t* name) : GxSeqBase(owner, name)
{
    m_KindFlags |= kKindTransitSequence;
}

std::int32_t GxSeqTransitBase::GetConfiguredTransitTime() const
{
    GxCore* core = m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
    return core != nullptr ? core->GetTransitTime() : kDefaultTransitTime;
}

void GxSeqTransitBase::OnSequenceLeave(std::int32_t worker)
{
    GxSeqBase::OnSequenceLeave(worker);
    StopTransit();

    if (m_Manage == nullptr) return;
    const GxSeqWorker* slot = m_Manage->GetWorker(worker);
    if (slot == nullptr || slot->m_Pending == nullptr) return;
    GxSeqBase* pending = slot->m_Pending;
    if ((pending->m_KindFlags & kKindTransitSequence) == 0) return;

    // Only a transition sequence can take the fade; a stray kind bit on another class is refused.
    auto* next = dynamic_cast<GxSeqTransitBase*>(pending);
    if (next == nullptr) {
        LogPrint(u"GxSeqTransitBase::OnSequenceLeave/遷移先はトランジションシーケンスではありません(%s)\n",
                 pending->GetTaskName().c_str());
        return;
    }
    // This screen is still the slot's current sequence, so the capture shows it.
    if (GxTransitGraphicsBase* graphics = GetTransitGraphics()) {
        graphics->CaptureScreenToTexture(m_Manage->GetCore());
    }
    next->StartTransit(GetConfiguredTransitTime());
}

int GxSeqTransitBase::StartMain(std::int32_t step, std::uint64_t elapsed)
{
    GxTransitParam& param = m_TransitParam;
    if (param.m_Transit) {
        // Wide arithmetic: a long stall must not wrap the 32-bit count.
        const std::int64_t left =
            static_cast<std::int64_t>(param.m_TransitTimeLeft) - static_cast<std::int64_t>(elapsed / 1000);
        if (left <= 0) {
            param.m_TransitTimeLeft = 0;
            param.m_Transit = false;
        } else {
            param.m_TransitTimeLeft = static_cast<std::int32_t>(left);
        }
        if (param.m_Transit) return 0;
    }
    m_InputFlags &= ~kTransitInputBlock;
    return GxSeqBase::StartMain(step, elapsed);
}

int GxSeqTransitBase::Render(std::int32_t /*step*/, std::uint64_t /*elapsed*/)
{
    GxCore* core = m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
    if (core == nullptr) return 0;
    if (GxTaskRenderManage* list = core->GetRenderList(0)) list->Add(kRenderModeDefault, this, 0.0f, 0);
    if (m_TransitParam.m_Transit) {
        GxSceneGeneration::Touch();   // the fade moves on every frame
        if (GxTaskRenderManage* list = core->GetRenderList(kTransitRenderList)) {
            list->Add(kRenderModeDefault, this, 0.0f, kTransitDrawValue);
        }
    }
    return 0;
}

int GxSeqTransitBase::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value == 0) return GxSeqBase::Draw(value, listIndex);
    if (value == kTransitDrawValue) DrawTransit();
    return 0;
}

bool GxSeqTransitBase::StartTransit(std::int32_t milliseconds)
{
    GxSceneGeneration::Touch();
    m_TransitParam.m_TransitTimeLeft = milliseconds;
    m_TransitParam.m_TransitTimeTotal = milliseconds;
    m_TransitParam.m_Transit = true;
    m_InputFlags |= kTransitInputBlock;
    return true;
}

bool GxSeqTransitBase::StopTransit()
{
    if (!m_TransitParam.m_Transit) return false;
    GxSceneGeneration::Touch();
    m_TransitParam.m_TransitTimeLeft = 0;
    m_TransitParam.m_Transit = false;
    m_InputFlags &= ~kTransitInputBlock;
    return true;
}

void GxSeqTransitBase::DrawTransit()
{
    if (!m_TransitParam.m_Transit) return;
    GxTransitGraphicsBase* graphics = GetTransitGraphics();
    if (graphics == nullptr) return;

    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    const std::uint32_t color = ColorToArgb(1.0f, 1.0f, 1.0f, 1.0f - m_TransitParam.GetRate());
    const GxFRect source{0.0f, 0.0f, kTransitScreenWidth, kTransitScreenHeight};
    graphics->DrawTextureRect2D(graphics->GetCaptureTexture(), 0.0f, 0.0f, source, GxVector2(1.0f, 1.0f), 0.0f,
                                GxVector2(0.0f, 0.0f), GxVector2(0.0f, 0.0f), color, 0, 2);
    // Closed even when the begin failed: the nested count is set either way.
    graphics->EndSceneNested();
}
