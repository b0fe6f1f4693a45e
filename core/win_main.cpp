#include "core/win_main.h"

#include "core/core.h"
#include "foundation/file.h"

namespace {

constexpr std::uint32_t kFileCacheCapacity = 188743680;   // 180 MiB
constexpr std::uint32_t kFileCacheMaxFileSize = 1048576;  // 1 MiB

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    GxFile::SetCacheCapacity(kFileCacheCapacity);
    GxFile::SetCacheMaxFileSize(kFileCacheMaxFileSize);
    // A game may keep everything loose: a missing archive is no reason to stop.
    GxFile::AddPackFile(u"system.gxp");
    GxCore* core = GxCore::GetInstance();
    const bool started = core->Initialize(instance);
    if (started) {
        core->MainLoop();
        core->Finalize();
    }
    GxFile::ClearCache();
    GxFile::ReleasePacks();
    return core->m_ExitCode;
}
