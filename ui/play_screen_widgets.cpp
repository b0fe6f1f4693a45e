#include "ui/play_screen_widgets.h"

#include "ui/message_window.h"
#include "ui/ui_text_button.h"

void GxUIPlayScreenWidgets::SetLetterMarginWidth(GxTaskBase* messageWindow, std::int32_t width)
{
    if (auto* window = dynamic_cast<GxTaskUIMessageWindowFx*>(messageWindow))
        window->SetLetterMarginWidth(width);
}

void GxUIPlayScreenWidgets::SetImageAlpha(GxTaskBase* widget, std::int32_t alpha)
{
    if (auto* ui = dynamic_cast<GxTaskUIBase*>(widget))
        ui->SetImageAlpha(alpha);
}

void GxUIPlayScreenWidgets::SetTextColor(GxTaskBase* textButton, std::uint32_t argb)
{
    if (auto* button = dynamic_cast<GxTaskUITextButtonIs*>(textButton))
        button->SetTextColor(argb);
}

GxUIPlayScreenWidgets& GetUIPlayScreenWidgets()
{
    static GxUIPlayScreenWidgets widgets;
    return widgets;
}
