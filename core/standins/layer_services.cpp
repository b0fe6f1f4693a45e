#include "core/standins/layer_services.h"

#include "core/standins/standin_trace.h"
#include "foundation/file.h"

#include <string>

bool PlaySystemSound(std::int32_t id, std::int32_t voice)
{
    if (GxStandinTrace::IsEnabled()) {
        const std::string text = "PlaySystemSound(" + std::to_string(id) + "," + std::to_string(voice) + ")";
        GxStandinTrace::Record(std::u16string(text.begin(), text.end()));
    }
    return true;
}

bool ResolveImageFile(std::u16string& name)
{
    static const char16_t* const kExtensions[] = {u".png", u".dds", u".tga", u".jpg", u".bmp"};
    for (const char16_t* extension : kExtensions) {
        std::u16string candidate = name + extension;
        if (FileExists(candidate) != kFileNotFound) {
            name = std::move(candidate);
            return true;
        }
    }
    return false;
}
