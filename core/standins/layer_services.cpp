#include "core/standins/layer_services.h"

#include "core/standins/standin_trace.h"

#include <string>

bool PlaySystemSound(std::int32_t id, std::int32_t voice)
{
    if (GxStandinTrace::IsEnabled()) {
        const std::string text = "PlaySystemSound(" + std::to_string(id) + "," + std::to_string(voice) + ")";
        GxStandinTrace::Record(std::u16string(text.begin(), text.end()));
    }
    return true;
}
