// GxTaskFolder: a task that owns a scope of local names and receives widget events, either at
// once or through a queue that its update empties. Every actor, layer, screen and widget is one.
#pragma once

#include "core/task_base.h"
#include "core/ui_listener.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>

class GxTaskFolder : public GxTaskBase, public GxUIListenerBase {
public:
    GxTaskFolder(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    ~GxTaskFolder() override;

    // Drops the events still queued.
    void OnSequenceLeave(std::int32_t worker) override;
    // Handles the queued events.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // The parent's world position, or (0, 0, 0) without a parent.
    GxVector3 GetWorldPos() const override;
    // The task part, then "m_AcceptUIEventFlag" and "m_InstantUIEventFlag" (Bool).
    bool WriteState(GxContentWriterBase& writer) override;
    // As written; queued events are dropped.
    bool ReadState(GxContentReaderBase& reader) override;

    bool PostUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) override;

    // False (with a log line) when the index of that name is already taken; the first stays.
    virtual bool RegisterTaskLocalName(const std::u16string& localName, std::int32_t index, GxTaskBase* task);
    // False when the name or the index is not registered.
    virtual bool UnregisterTaskLocalName(const std::u16string& localName, std::int32_t index);
    // Null with a log line when absent.
    virtual GxTaskBase* GetTaskLocal(const char16_t* localName, std::int32_t index);
    virtual GxTaskBase* GetTaskLocal(const std::u16string& localName, std::int32_t index);
    // Null without a log line when absent.
    virtual GxTaskBase* FindTaskLocal(const char16_t* localName, std::int32_t index);
    virtual GxTaskBase* FindTaskLocal(const std::u16string& localName, std::int32_t index);
    virtual void SetAcceptUIEventFlag(bool flag) { m_AcceptUIEventFlag = flag; }
    virtual bool GetAcceptUIEventFlag() const { return m_AcceptUIEventFlag; }
    virtual void SetInstantUIEventFlag(bool flag) { m_InstantUIEventFlag = flag; }
    virtual bool GetInstantUIEventFlag() const { return m_InstantUIEventFlag; }
    // Handles queued events oldest first, including those posted meanwhile, up to
    // kUIEventsPerProcess per call; the rest wait for the next call. Returns the sum of the
    // handlers' results. A null listener means this folder.
    virtual int ProcessUIEvents(GxUIListenerBase* listener);
    // Calls the handler of the event's code on listener (null: this folder); 0 for other codes.
    virtual int DispatchUIEvent(const GxUIEventParam* event, GxUIListenerBase* listener);
    virtual void ClearUIEvents();

    std::size_t GetQueuedUIEventCount() const { return m_UIEventQueue.size(); }

    // Bound on the events one ProcessUIEvents handles, so that a handler that keeps posting
    // cannot hold the frame.
    static constexpr int kUIEventsPerProcess = 1024;

    std::map<std::u16string, std::map<std::int32_t, GxTaskBase*>> m_LocalTasks;
    std::deque<GxUIEventParam> m_UIEventQueue;
    bool m_AcceptUIEventFlag = false;
    bool m_InstantUIEventFlag = false;
};
