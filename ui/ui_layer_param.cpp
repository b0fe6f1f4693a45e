#include "ui/ui_layer_param.h"

#include "foundation/matrix.h"
#include "ui/widget_graphics.h"

namespace {

constexpr std::int32_t kUILayerBlendPreset = 2;

}  // namespace

void MakeUILayerParam(const GxNcOriginImage* cell, float scaleX, float scaleY, const GxVector3& position,
                      std::uint32_t argb)
{
    if (!cell)
        return;
    GxMatrix matrix;
    matrix.SetScaling(scaleX, scaleY, 1.0f);
    matrix.AddTranslation(position);
    GetWidgetGraphics()->DrawImagePattern(cell, 0, matrix, 1.0f, ColorFromArgb(argb), ColorFromArgb(0),
                                          kUILayerBlendPreset);
}
