#include "core/task_folder.h"

#include "foundation/content.h"
#include "foundation/log.h"

#include <iterator>

namespace {

using UIHandler = int (GxUIListenerBase::*)(GxTaskUIBase*, const GxUIEventParam*);

// Handlers of codes 1 to 26, in code order.
constexpr UIHandler kUIHandlers[] = {
    &GxUIListenerBase::OnUIEvent,       &GxUIListenerBase::OnUIEventCode2,  &GxUIListenerBase::OnUIEventCode3,
    &GxUIListenerBase::OnUIEventCode4,  &GxUIListenerBase::OnUIEventCode5,  &GxUIListenerBase::OnUIEventCode6,
    &GxUIListenerBase::OnUIEventCode7,  &GxUIListenerBase::OnUIEventCode8,  &GxUIListenerBase::OnUIEventCode9,
    &GxUIListenerBase::OnUIEventCode10, &GxUIListenerBase::OnUIEventCode11, &GxUIListenerBase::OnUIEventCode12,
    &GxUIListenerBase::OnUIEventCode13, &GxUIListenerBase::OnUIEventCode14, &GxUIListenerBase::OnUIEventCode15,
    &GxUIListenerBase::OnUIEventCode16, &GxUIListenerBase::OnUIEventCode17, &GxUIListenerBase::OnUIEventCode18,
    &GxUIListenerBase::OnUIEventCode19, &GxUIListenerBase::OnUIEventCode20, &GxUIListenerBase::OnUIEventCode21,
    &GxUIListenerBase::OnUIEventCode22, &GxUIListenerBase::OnUIEventCode23, &GxUIListenerBase::OnUIEventCode24,
    &GxUIListenerBase::OnUIEventCode25, &GxUIListenerBase::OnUIEventCode26,
};
static_assert(std::size(kUIHandlers) == kUIEventCodeLast - kUIEventCodeFirst + 1);

}  // namespace

GxTaskFolder::GxTaskFolder(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                           std::int32_t localIndex)
    : GxTaskBase(parent, name, localName, localIndex)
{
    m_KindFlags |= kKindFolder;
}

GxTaskFolder::~GxTaskFolder()
{
    ClearUIEvents();
    m_LocalTasks.clear();
}

void GxTaskFolder::OnSequenceLeave(std::int32_t)
{
    ClearUIEvents();
}

int GxTaskFolder::Update(std::int32_t, std::uint64_t)
{
    ProcessUIEvents(nullptr);
    return 0;
}

GxVector3 GxTaskFolder::GetWorldPos() const
{
    return m_Parent ? m_Parent->GetWorldPos() : GxVector3(0.0f, 0.0f, 0.0f);
}

bool GxTaskFolder::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskBase::WriteState(writer);
    ok = writer.WriteBool("m_AcceptUIEventFlag", m_AcceptUIEventFlag) && ok;
    ok = writer.WriteBool("m_InstantUIEventFlag", m_InstantUIEventFlag) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskFolder::ReadState(GxContentReaderBase& reader)
{
    GxTaskBase::ReadState(reader);
    bool flag = m_AcceptUIEventFlag;
    if (reader.ReadBool("m_AcceptUIEventFlag", &flag))
        m_AcceptUIEventFlag = flag;
    flag = m_InstantUIEventFlag;
    if (reader.ReadBool("m_InstantUIEventFlag", &flag))
        m_InstantUIEventFlag = flag;
    ClearUIEvents();
    return reader.GetErrorCount() == 0;
}

bool GxTaskFolder::PostUIEvent(GxTaskUIBase*, const GxUIEventParam* event)
{
    if (!m_AcceptUIEventFlag || !event)
        return false;
    if (m_InstantUIEventFlag) {
        DispatchUIEvent(event, this);
        return true;
    }
    GxUIEventParam copy = *event;
    for (GxVector3& vector : copy.m_Vector)
        vector.w = 0.0f;
    m_UIEventQueue.push_back(copy);
    return true;
}

bool GxTaskFolder::RegisterTaskLocalName(const std::u16string& localName, std::int32_t index, GxTaskBase* task)
{
    auto found = m_LocalTasks.find(localName);
    if (found == m_LocalTasks.end()) {
        m_LocalTasks[localName].emplace(index, task);
        return true;
    }
    if (found->second.emplace(index, task).second)
        return true;
    LogPrint(u"GxTaskFolder::RegisterTaskLocalName/TaskLocalNameまたはIndex重複を検出 %s (%s,%d)\n", m_TaskName.c_str(),
             localName.c_str(), index);
    return false;
}

bool GxTaskFolder::UnregisterTaskLocalName(const std::u16string& localName, std::int32_t index)
{
    auto found = m_LocalTasks.find(localName);
    if (found == m_LocalTasks.end())
        return false;
    if (found->second.erase(index) == 0)
        return false;
    if (found->second.empty())
        m_LocalTasks.erase(found);
    return true;
}

GxTaskBase* GxTaskFolder::GetTaskLocal(const char16_t* localName, std::int32_t index)
{
    return GetTaskLocal(std::u16string(localName ? localName : u""), index);
}

GxTaskBase* GxTaskFolder::GetTaskLocal(const std::u16string& localName, std::int32_t index)
{
    GxTaskBase* task = FindTaskLocal(localName, index);
    if (!task)
        LogPrint(u"GxTaskFolder::GetTaskLocal/ローカルタスクが存在しません %s:%s[%d]\n", m_TaskName.c_str(),
                 localName.c_str(), index);
    return task;
}

GxTaskBase* GxTaskFolder::FindTaskLocal(const char16_t* localName, std::int32_t index)
{
    return FindTaskLocal(std::u16string(localName ? localName : u""), index);
}

GxTaskBase* GxTaskFolder::FindTaskLocal(const std::u16string& localName, std::int32_t index)
{
    auto found = m_LocalTasks.find(localName);
    if (found == m_LocalTasks.end())
        return nullptr;
    auto entry = found->second.find(index);
    return entry == found->second.end() ? nullptr : entry->second;
}

int GxTaskFolder::ProcessUIEvents(GxUIListenerBase* listener)
{
    int sum = 0;
    int handled = 0;
    while (!m_UIEventQueue.empty()) {
        if (handled == kUIEventsPerProcess) {
            LogPrintWarning(u"GxTaskFolder::ProcessUIEvents/UI events keep arriving; %d left for the next update (%s)\n",
                            static_cast<int>(m_UIEventQueue.size()), m_TaskName.c_str());
            break;
        }
        // Taken off the queue before the handler runs: a handler may clear or refill the queue.
        GxUIEventParam event = m_UIEventQueue.front();
        m_UIEventQueue.pop_front();
        sum += DispatchUIEvent(&event, listener);
        ++handled;
    }
    return sum;
}

int GxTaskFolder::DispatchUIEvent(const GxUIEventParam* event, GxUIListenerBase* listener)
{
    if (!event)
        return 0;
    if (!listener)
        listener = this;
    if (event->m_Code < kUIEventCodeFirst || event->m_Code > kUIEventCodeLast)
        return 0;
    return (listener->*kUIHandlers[event->m_Code - kUIEventCodeFirst])(event->m_Sender, event);
}

void GxTaskFolder::ClearUIEvents()
{
    m_UIEventQueue.clear();
}
