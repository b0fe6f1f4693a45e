#include "core/standins/layer_services.h"

#include "core/core.h"
#include "core/standins/data_standin.h"
#include "core/standins/standin_trace.h"
#include "foundation/file.h"

#include <algorithm>
#include <string>

namespace {

std::u16string g_ErrorImageFileName;
std::int32_t g_MovieAttenuation = 0;

}  // namespace

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

const std::u16string& GetErrorImageFileName(GxCore* core)
{
    if (g_ErrorImageFileName.empty() && core != nullptr && core->m_SystemConfig != nullptr)
        return core->m_SystemConfig->m_ErrorImageFile;
    return g_ErrorImageFileName;
}

void SetErrorImageFileName(const std::u16string& name)
{
    g_ErrorImageFileName = name;
}

std::int32_t GetMovieAttenuation(GxCore*)
{
    return g_MovieAttenuation;
}

void SetMovieAttenuation(std::int32_t attenuation)
{
    g_MovieAttenuation = std::clamp(attenuation, -9600, 0);
}
