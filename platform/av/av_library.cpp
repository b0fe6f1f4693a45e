#include "platform/av/av_library.h"

#include "platform/win32/user_log.h"

#include <dlfcn.h>

#include <mutex>

namespace platform::av {

namespace {

// The libraries the headers were written for: another major version has another ABI.
constexpr char kUtilName[] = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);
constexpr char kResampleName[] = "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR);
constexpr char kCodecName[] = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);
constexpr char kFormatName[] = "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR);
constexpr char kScaleName[] = "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR);

// Written once under each stage's once flag, read after it: call_once orders the two.
AvLibrary g_Library;
bool g_ResamplerLoaded = false;
bool g_AllLoaded = false;

// The library's handle, kept for the life of the process; nullptr with a log line.
void* OpenLibrary(const char* name)
{
    void* handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!handle) LogUserError("FFmpeg: %s cannot be loaded: %s", name, dlerror());
    return handle;
}

template <typename Function>
bool Bind(void* handle, const char* library, const char* name, Function& slot)
{
    dlerror();   // a stale message must not be taken for this look-up's
    void* symbol = dlsym(handle, name);
    if (!symbol) {
        const char* why = dlerror();
        LogUserError("FFmpeg: %s has no function %s: %s", library, name, why ? why : "null symbol");
        return false;
    }
    slot = reinterpret_cast<Function>(symbol);
    return true;
}

// The first missing function ends the binding: one log line names it.
#define TW_AV_BIND(name) \
    if (!Bind(handle, library, #name, table.name)) return false;

bool BindUtil(void* handle, const char* library, AvLibrary& table)
{
    TW_AV_UTIL_FUNCTIONS(TW_AV_BIND)
    return true;
}

bool BindResample(void* handle, const char* library, AvLibrary& table)
{
    TW_AV_RESAMPLE_FUNCTIONS(TW_AV_BIND)
    return true;
}

bool BindCodec(void* handle, const char* library, AvLibrary& table)
{
    TW_AV_CODEC_FUNCTIONS(TW_AV_BIND)
    return true;
}

bool BindFormat(void* handle, const char* library, AvLibrary& table)
{
    TW_AV_FORMAT_FUNCTIONS(TW_AV_BIND)
    return true;
}

bool BindScale(void* handle, const char* library, AvLibrary& table)
{
    TW_AV_SCALE_FUNCTIONS(TW_AV_BIND)
    return true;
}

#undef TW_AV_BIND

using Binder = bool (*)(void* handle, const char* library, AvLibrary& table);

// Opens `name` and fills its part of the table: false at the first library or function missing.
bool OpenAndBind(const char* name, Binder bind)
{
    void* handle = OpenLibrary(name);
    return handle && bind(handle, name, g_Library);
}

}  // namespace

const AvLibrary* LoadResampler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_ResamplerLoaded = OpenAndBind(kUtilName, BindUtil) && OpenAndBind(kResampleName, BindResample);
        // Failures are ours to report, one line each; FFmpeg's own messages stay quiet.
        if (g_ResamplerLoaded) g_Library.av_log_set_level(AV_LOG_QUIET);
    });
    return g_ResamplerLoaded ? &g_Library : nullptr;
}

const AvLibrary* Load()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_AllLoaded = LoadResampler() && OpenAndBind(kCodecName, BindCodec) && OpenAndBind(kFormatName, BindFormat) &&
                      OpenAndBind(kScaleName, BindScale);
    });
    return g_AllLoaded ? &g_Library : nullptr;
}

const AvLibrary& Api() { return g_Library; }

}  // namespace platform::av
