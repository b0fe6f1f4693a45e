#include "avg/game_screens_builder.h"

#include "avg/standins/screens_standin.h"

namespace {

GxGameScreensBuilder g_Builder = nullptr;

void BuildStandinScreens(GxTaskBase* owner, GxCore*)
{
    CreateStandinScreens(owner);
}

}  // namespace

GxGameScreensBuilder SetGameScreensBuilder(GxGameScreensBuilder builder)
{
    GxGameScreensBuilder previous = g_Builder;
    g_Builder = builder;
    return previous;
}

void BuildGameScreens(GxTaskBase* owner, GxCore* core)
{
    (g_Builder != nullptr ? g_Builder : &BuildStandinScreens)(owner, core);
}
