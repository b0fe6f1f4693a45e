#include "core/transit_graphics.h"

namespace {

GxTransitGraphicsBase* g_TransitGraphics = nullptr;

}  // namespace

GxTransitGraphicsBase* SetTransitGraphics(GxTransitGraphicsBase* graphics)
{
    GxTransitGraphicsBase* previous = g_TransitGraphics;
    g_TransitGraphics = graphics;
    return previous;
}

GxTransitGraphicsBase* GetTransitGraphics()
{
    return g_TransitGraphics;
}
