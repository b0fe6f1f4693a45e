#include "ui/ui_text_panel_fx.h"

#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "ui/image_widget_support.h"

GxTaskUITextPanelFx::GxTaskUITextPanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                         std::int32_t localIndex)
    : GxTaskUIPanelFx(parent, name, localName, localIndex), GxUITextPanelStyle(this)
{
    m_TaskType = kUITypeTextPanelFx;
}

GxTaskUITextPanelFx::~GxTaskUITextPanelFx() = default;

int GxTaskUITextPanelFx::Draw(std::int32_t step, std::int32_t pass)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    GxTaskUIPanelFx::Draw(step, pass);
    DrawPanelText(this);
    return 0;
}

bool GxTaskUITextPanelFx::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIBase::WriteState(writer);
    ok = WriteStyle(writer) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUITextPanelFx::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIBase::ReadState(reader);
    ReadStyle(reader);
    return reader.GetErrorCount() == 0;
}

void GxTaskUITextPanelFx::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIPanelFx::ApplyModuleRecord(row);
    if (row)
        SetFontIndex(row->m_FontIndex);
}
