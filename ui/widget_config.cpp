#include "ui/widget_config.h"

#include "core/core.h"
#include "core/task_base.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_config.h"

namespace {

GxCore* CoreOf(const GxTaskBase* task)
{
    GxTaskManage* manage = task ? task->GetManage() : nullptr;
    return manage ? manage->GetCore() : nullptr;
}

}  // namespace

const GxSystemConfig& GetWidgetSystemConfig(const GxTaskBase* task)
{
    static const GxSystemConfig defaults;
    GxCore* core = CoreOf(task);
    return core && core->m_SystemConfig ? *core->m_SystemConfig : defaults;
}

const GxUserConfig& GetWidgetUserConfig(const GxTaskBase* task)
{
    static const GxUserConfig defaults;
    GxCore* core = CoreOf(task);
    return core && core->m_UserConfig ? *core->m_UserConfig : defaults;
}

std::int32_t GetWidgetFontSize(const GxTaskBase* task, std::int32_t index)
{
    if (index < 0 || index >= GxSystemConfig::kFontSizeCount)
        return 0;
    return GetWidgetSystemConfig(task).m_FontSize[index];
}
