#include "data/play_screen_widgets.h"

namespace {

class GxNoPlayScreenWidgets : public GxPlayScreenWidgetsBase {
public:
    void SetLetterMarginWidth(GxTaskBase*, std::int32_t) override {}
    void SetImageAlpha(GxTaskBase*, std::int32_t) override {}
    void SetTextColor(GxTaskBase*, std::uint32_t) override {}
};

GxNoPlayScreenWidgets g_NoWidgets;
GxPlayScreenWidgetsBase* g_Widgets = nullptr;

}  // namespace

GxPlayScreenWidgetsBase* SetPlayScreenWidgets(GxPlayScreenWidgetsBase* widgets)
{
    GxPlayScreenWidgetsBase* previous = g_Widgets;
    g_Widgets = widgets;
    return previous;
}

GxPlayScreenWidgetsBase& GetPlayScreenWidgets()
{
    return g_Widgets != nullptr ? *g_Widgets : g_NoWidgets;
}
