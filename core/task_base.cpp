#include "core/task_base.h"

#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "core/task_folder.h"
#include "core/task_manage.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"

GxTaskBase::GxTaskBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex)
{
    // A new or deleted task may take the place of another in the render lists at the same address.
    GxSceneGeneration::Touch();
    if (parent) {
        m_Manage = parent->m_Manage;
        m_Parent = parent;
        m_PrevSibling = parent->m_LastChild;
        if (parent->m_LastChild)
            parent->m_LastChild->m_NextSibling = this;
        else
            parent->m_FirstChild = this;
        parent->m_LastChild = this;
        ++parent->m_ChildCount;
        m_Sequence = FindOwningSequence();
    }
    if (name)
        RegisterTaskName(name);
    if (localName)
        SetTaskLocalName(localName, localIndex);
}

GxTaskBase::GxTaskBase(GxTaskManage* manage) : m_Manage(manage)
{
    if (manage)
        manage->SetRoot(this);
}

GxTaskBase::~GxTaskBase()
{
    GxSceneGeneration::Touch();
    if (m_Manage) {
        if (m_TaskID != 0)
            m_Manage->UnregisterTaskID(m_TaskID, this);
        if (!m_TaskName.empty())
            m_Manage->RemoveTaskName(m_TaskName, this);
    }
    if (!m_TaskLocalName.empty()) {
        GxTaskFolder* folder = FindEnclosingFolder();
        // A task whose local registration was refused must not take the holder's entry with it.
        if (folder && folder->FindTaskLocal(m_TaskLocalName, m_TaskLocalIndex) == this)
            folder->UnregisterTaskLocalName(m_TaskLocalName, m_TaskLocalIndex);
    }
    Unlink();
}

void GxTaskBase::Unlink()
{
    if (m_PrevSibling)
        m_PrevSibling->m_NextSibling = m_NextSibling;
    else if (m_Parent)
        m_Parent->m_FirstChild = m_NextSibling;
    if (m_NextSibling)
        m_NextSibling->m_PrevSibling = m_PrevSibling;
    else if (m_Parent)
        m_Parent->m_LastChild = m_PrevSibling;
    if (m_Parent)
        --m_Parent->m_ChildCount;
    m_Parent = nullptr;
    m_PrevSibling = nullptr;
    m_NextSibling = nullptr;
    // Children are normally swept first; any left over must not point at freed memory.
    for (GxTaskBase* child = m_FirstChild; child; child = child->m_NextSibling)
        child->m_Parent = nullptr;
    m_FirstChild = nullptr;
    m_LastChild = nullptr;
}

GxSeqBase* GxTaskBase::FindOwningSequence() const
{
    for (GxTaskBase* task = m_Parent; task; task = task->m_Parent) {
        if (task->m_KindFlags & kKindSequence)
            return static_cast<GxSeqBase*>(task);
    }
    return nullptr;
}

GxTaskFolder* GxTaskBase::FindEnclosingFolder() const
{
    for (GxTaskBase* task = m_Parent; task; task = task->m_Parent) {
        if (task->m_KindFlags & kKindFolder)
            return static_cast<GxTaskFolder*>(task);
    }
    return nullptr;
}

void GxTaskBase::RefreshSequence(std::int32_t)
{
    m_Sequence = FindOwningSequence();
}

int GxTaskBase::Update(std::int32_t, std::uint64_t)
{
    return 0;
}

int GxTaskBase::StartMain(std::int32_t step, std::uint64_t elapsed)
{
    return Update(step, elapsed);
}

int GxTaskBase::Render(std::int32_t, std::uint64_t)
{
    return 0;
}

int GxTaskBase::Draw(std::int32_t, std::int32_t)
{
    return 0;
}

int GxTaskBase::DrawNotReady(std::int32_t value, std::int32_t listIndex)
{
    return Draw(value, listIndex);
}

void GxTaskBase::SetTaskID(std::uint64_t id)
{
    if (m_TaskID != 0) {
        LogPrint(u"GxTaskBase::SetTaskID/TaskIDは後から変更できませんTaskID=%I64u->%I64u\n",
                 static_cast<unsigned long long>(m_TaskID), static_cast<unsigned long long>(id));
        return;
    }
    m_TaskID = id;
    if (m_Manage)
        m_Manage->RegisterTaskID(this, id);
}

bool GxTaskBase::RegisterTaskName(const char16_t* name)
{
    if (m_Manage && !m_TaskName.empty())
        m_Manage->RemoveTaskName(m_TaskName, this);
    m_TaskName = name ? name : u"";
    if (m_Manage && !m_TaskName.empty())
        return m_Manage->RegisterTaskName(this);
    return false;
}

bool GxTaskBase::SetTaskLocalName(const char16_t* localName, std::int32_t index)
{
    const char16_t* newName = localName ? localName : u"";
    GxTaskFolder* folder = FindEnclosingFolder();
    if (!folder) {
        LogPrint(u"GxTaskBase::SetTaskLocalName/フォルダタスク下にありません (%s,%d)\n", newName, index);
        return false;
    }
    if (!m_TaskLocalName.empty() && folder->FindTaskLocal(m_TaskLocalName, m_TaskLocalIndex) == this)
        folder->UnregisterTaskLocalName(m_TaskLocalName, m_TaskLocalIndex);
    m_TaskLocalName = newName;
    m_TaskLocalIndex = index;
    if (!m_TaskLocalName.empty())
        return folder->RegisterTaskLocalName(m_TaskLocalName, index, this);
    return false;
}

std::u16string GxTaskBase::GetTaskPath() const
{
    return FormatWide(u"%s/%s[%d]:%d", m_TaskName.c_str(), m_TaskLocalName.c_str(), m_TaskLocalIndex, m_TaskType);
}

void GxTaskBase::Resume()
{
    if (m_GlobalState != kTaskSuspended)
        return;
    m_GlobalState = kTaskActive;
    OnResume();
}

void GxTaskBase::Suspend()
{
    if (m_GlobalState != kTaskActive)
        return;
    m_GlobalState = kTaskSuspended;
    OnSuspend();
}

void GxTaskBase::Remove()
{
    RemoveChildren();
    if (m_GlobalState == kTaskRemoved)
        return;
    m_GlobalState = kTaskRemoved;
    OnRemove();
}

void GxTaskBase::ResumeChildren()
{
    for (GxTaskBase* child = m_FirstChild; child; child = child->m_NextSibling)
        child->Resume();
}

void GxTaskBase::SuspendChildren()
{
    for (GxTaskBase* child = m_FirstChild; child; child = child->m_NextSibling)
        child->Suspend();
}

void GxTaskBase::RemoveChildren()
{
    for (GxTaskBase* child = m_FirstChild; child; child = child->m_NextSibling)
        child->Remove();
}

void GxTaskBase::ReleaseHold()
{
    if (m_HoldCount > 0)
        --m_HoldCount;
}

bool GxTaskBase::WriteState(GxContentWriterBase& writer)
{
    bool ok = writer.WriteU32("m_GlobalState", static_cast<std::uint32_t>(m_GlobalState));
    ok = writer.WriteS64("m_TaskID", static_cast<std::int64_t>(m_TaskID)) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskBase::ReadState(GxContentReaderBase& reader)
{
    if (m_TaskID != 0 && m_Manage)
        m_Manage->UnregisterTaskID(m_TaskID, this);

    // A value that cannot be read leaves the field as it was, so a damaged record does not
    // turn the task into state 0 or lose its id. A task reads its state only while it is in the
    // tree, so a state it cannot have there (removed, or none of the states) is damage too: the
    // live state stays, or the next sweep would delete the task.
    std::uint32_t state = 0;
    if (reader.ReadU32("m_GlobalState", &state)) {
        if (state == kTaskActive || state == kTaskSuspended)
            m_GlobalState = static_cast<std::int32_t>(state);
        else
            reader.CountDamage("GxTaskBase::ReadState/state %u cannot be a live task's; %d is kept (%s)\n", state,
                               m_GlobalState, WideToUtf8(m_TaskName).c_str());
    }
    // An id that another task holds would be refused by the registry and leave this task
    // registered under none.
    std::int64_t stored = 0;
    if (reader.ReadS64("m_TaskID", &stored)) {
        const auto id = static_cast<std::uint64_t>(stored);
        const GxTaskBase* holder = id != 0 && m_Manage ? m_Manage->FindTaskByID(id) : nullptr;
        if (holder == nullptr)
            m_TaskID = id;
        else
            reader.CountDamage("GxTaskBase::ReadState/TaskID %llu belongs to another task; %llu is kept (%s)\n",
                               static_cast<unsigned long long>(id), static_cast<unsigned long long>(m_TaskID),
                               WideToUtf8(m_TaskName).c_str());
    }

    if (m_TaskID != 0 && m_Manage)
        m_Manage->RegisterTaskID(this, m_TaskID);
    return reader.GetErrorCount() == 0;
}
