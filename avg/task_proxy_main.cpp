#include "avg/task_proxy_main.h"

#include "core/task_manage.h"
#include "foundation/content.h"
#include "foundation/log.h"

AvgTaskProxyMain::AvgTaskProxyMain(GxTaskBase* parent, const char16_t* name) : GxTaskBase(parent, name, nullptr, 0) {}

AvgTaskProxyMain::~AvgTaskProxyMain()
{
    m_ReceiveSequenceName.clear();
    m_ReceiveTaskName.clear();
}

GxTaskBase* AvgTaskProxyMain::LiveTarget() const
{
    if (!m_ReceiveTask || !m_Manage || m_Manage->FindTaskByName(m_ReceiveTaskName) != m_ReceiveTask)
        return nullptr;
    return m_ReceiveTask;
}

int AvgTaskProxyMain::Update(std::int32_t step, std::uint64_t elapsed)
{
    if (GxTaskBase* target = LiveTarget())
        m_Manage->WalkUpdate(target->m_FirstChild, step, elapsed);
    return 0;
}

int AvgTaskProxyMain::Render(std::int32_t step, std::uint64_t elapsed)
{
    if (GxTaskBase* target = LiveTarget())
        m_Manage->WalkRender(target->m_FirstChild, step, elapsed);
    return 0;
}

void AvgTaskProxyMain::OnSequenceEnter(std::int32_t)
{
    EnterTarget();
}

void AvgTaskProxyMain::OnSequenceLeave(std::int32_t)
{
    LeaveTarget();
}

void AvgTaskProxyMain::EnterTarget()
{
    if (GxTaskBase* target = LiveTarget())
        m_Manage->WalkSequenceEnter(target->m_FirstChild, -1);
}

void AvgTaskProxyMain::LeaveTarget()
{
    if (GxTaskBase* target = LiveTarget())
        m_Manage->WalkSequenceLeave(target->m_FirstChild, -1);
}

bool AvgTaskProxyMain::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskBase::WriteState(writer);
    ok = writer.WriteWString("m_ReceiveSequenceName", m_ReceiveSequenceName) && ok;
    ok = writer.WriteWString("m_ReceiveTaskName", m_ReceiveTaskName) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool AvgTaskProxyMain::ReadState(GxContentReaderBase& reader)
{
    GxTaskBase::ReadState(reader);
    const std::u16string sequenceName = reader.ReadWString("m_ReceiveSequenceName");
    const std::u16string taskName = reader.ReadWString("m_ReceiveTaskName");
    SetTarget(sequenceName, taskName);
    return reader.GetErrorCount() == 0;
}

bool AvgTaskProxyMain::IsInSubtreeOf(const GxTaskBase* task) const
{
    for (const GxTaskBase* node = this; node; node = node->m_Parent) {
        if (node == task)
            return true;
    }
    return false;
}

void AvgTaskProxyMain::SetTarget(const std::u16string& sequenceName, const std::u16string& taskName)
{
    if (sequenceName.empty() && taskName.empty()) {
        ClearTarget();
        return;
    }
    GxTaskBase* sequence = m_Manage ? m_Manage->FindTaskByName(sequenceName) : nullptr;
    GxTaskBase* task = m_Manage ? m_Manage->FindTaskByName(taskName) : nullptr;
    if (!sequence || !task || IsInSubtreeOf(task)) {
        LogPrint(u"AvgTaskProxyMainにタスクを設定できませんでした(%s/%s)\n", sequenceName.c_str(), taskName.c_str());
        ClearTarget();
        return;
    }
    m_ReceiveSequence = sequence;
    m_ReceiveTask = task;
    m_ReceiveSequenceName = sequenceName;
    m_ReceiveTaskName = taskName;
}

void AvgTaskProxyMain::ClearTarget()
{
    m_ReceiveSequenceName.clear();
    m_ReceiveTaskName.clear();
    m_ReceiveSequence = nullptr;
    m_ReceiveTask = nullptr;
}
