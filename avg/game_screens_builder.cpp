#include "avg/game_screens_builder.h"

namespace {

GxGameScreensBuilder g_Builder = nullptr;

}  // namespace

GxGameScreensBuilder SetGameScreensBuilder(GxGameScreensBuilder builder)
{
    GxGameScreensBuilder previous = g_Builder;
    g_Builder = builder;
    return previous;
}

void BuildGameScreens(GxTaskBase* owner, GxCore* core)
{
    if (g_Builder != nullptr)
        g_Builder(owner, core);
}
