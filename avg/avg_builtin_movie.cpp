// The movie builtins: play or clear the play screen's movie layer, its automatic clear time, and
// the wait for the movie's end. The layer is found by name at each call.
#include "avg/avg_builtin_handler.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "script/variable.h"

namespace {

constexpr const char16_t* kMovieLayerName = u"$MOVIELAYER:SeqAvgMain";
constexpr const char16_t* kDefaultMovieFolder = u"movies/";
constexpr std::int64_t kDefaultChangeMs = 1000;
constexpr std::int64_t kDefaultWidth = 1024;
constexpr std::int64_t kDefaultHeight = 768;
constexpr std::int32_t kDefaultAutoDisappearMs = 800;

std::int64_t ArgOr(GxMoaVariable& args, std::int32_t index, std::int64_t fallback)
{
    return AvgBuiltin::IsGiven(args, index) ? AvgBuiltin::Arg(args, index).ToInt64() : fallback;
}

// Null (with a log line) while the play screen has no movie layer.
GxTaskLayer* MovieLayer(GxCore* core, const std::u16string& name)
{
    GxTaskManage* manage = core != nullptr ? core->m_TaskManage : nullptr;
    auto* layer = manage != nullptr ? dynamic_cast<GxTaskLayer*>(manage->FindTask(kMovieLayerName)) : nullptr;
    if (layer == nullptr)
        LogPrint(u"AvgBuiltin/%s: no movie layer %s\n", name.c_str(), kMovieLayerName);
    return layer;
}

}  // namespace

TW_AVG_HANDLER(Mv)
{
    const std::int32_t changeMs = Low32(ArgOr(args, 1, kDefaultChangeMs));
    const std::int32_t width = Low32(ArgOr(args, 2, kDefaultWidth));
    const std::int32_t height = Low32(ArgOr(args, 3, kDefaultHeight));
    const std::int32_t loopValue = Low32(ArgOr(args, 4, 0));
    const double loopStart = IsGiven(args, 5) ? static_cast<double>(Arg(args, 5).ToInt64()) / 1000.0 : 0.0;

    if (!IsGiven(args, 0)) {
        if (GxTaskLayer* layer = MovieLayer(m_Core, name))
            layer->ClearContent(changeMs);
        return true;
    }
    std::u16string path =
        ConfigFolder(m_Core, GxSystemConfig::kFolderMovies, kDefaultMovieFolder) + Arg(args, 0).ToString();
    // A movie the script names must exist: no developer switch softens this one.
    if (!ResolveMovieFile(path))
        return Fail(name, worker, entity, execStack, FormatWide(u"動画ファイルが見つかりません[%s]", path.c_str()));
    GxTaskLayer* layer = MovieLayer(m_Core, name);
    if (layer == nullptr)
        return true;
    // An empty file stands for "no movie here": the layer is cleared instead.
    if (GxFile::GetFileSize(path) == 0) {
        layer->ClearContent(changeMs);
        return true;
    }
    const std::int32_t attenuation = m_Core != nullptr ? m_Core->GetMovieAttenuation() : 0;
    layer->LoadMovie(path, width, height, loopValue, loopStart, attenuation, true, changeMs);
    return true;
}

TW_AVG_HANDLER(MvWait)
{
    const bool hide = HideRequested(args, 0);
    const std::int32_t bits = WaitBits(args, 1);
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr) {
        if (hide)
            data->m_HideWindowByCommandFlag = true;
        data->m_Hold_EndOfMovie = bits;
    }
    return true;
}

TW_AVG_HANDLER(MvAutoStop)
{
    const std::int32_t ms = IsGiven(args, 0) ? Arg(args, 0).ToInt() : kDefaultAutoDisappearMs;
    if (GxTaskLayer* layer = MovieLayer(m_Core, name))
        layer->SetMovieAutoDisappearTime(ms);
    return true;
}
