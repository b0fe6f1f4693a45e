#include "ui/task_ui_null.h"

GxTaskUINull::GxTaskUINull(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                           std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeNull;
}

GxTaskUINull::~GxTaskUINull() = default;
