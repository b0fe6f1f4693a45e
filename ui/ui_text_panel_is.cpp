#include "ui/ui_text_panel_is.h"

#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "ui/image_widget_support.h"

GxTaskUITextPanelIs::GxTaskUITextPanelIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                         std::int32_t localIndex)
    : GxTaskUIPanelIs(parent, name, localName, localIndex), GxUITextPanelStyle(this)
{
    m_TaskType = kUITypeTextPanelIs;
}

GxTaskUITextPanelIs::~GxTaskUITextPanelIs() = default;

int GxTaskUITextPanelIs::Draw(std::int32_t step, std::int32_t pass)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    GxTaskUIPanelIs::Draw(step, pass);
    DrawPanelText(this);
    return 0;
}

bool GxTaskUITextPanelIs::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIPanelIs::WriteState(writer);
    ok = WriteStyle(writer) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUITextPanelIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIPanelIs::ReadState(reader);
    ReadStyle(reader);
    return reader.GetErrorCount() == 0;
}

void GxTaskUITextPanelIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIPanelIs::ApplyModuleRecord(row);
    if (row)
        SetFontIndex(row->m_FontIndex);
}
