// The builtins of the play screen's stage: the background and event picture with their rule
// transition, colour, movement and wait, and the whole-screen effects (the global fade, the
// flash with its wait, the shake of the visual layer). Every layer is found by name at each
// call; without the play screen or one of its layers the call has nothing to act on.
#include "avg/avg_builtin_handler.h"

#include "avg/module_services.h"
#include "avg/resource_lookup.h"
#include "avg/seq_avg_main.h"
#include "avg/task_tree_walks.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_lookup.h"
#include "data/data_tables.h"
#include "data/db_cgmode.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "script/variable.h"

namespace {

constexpr const char16_t* kBackgroundLayer = u"$BGLAYER:SeqAvgMain";
constexpr const char16_t* kCompanionLayer = u"$BGWLAYER:SeqAvgMain";
constexpr const char16_t* kStandFolder = u"$STAND:SeqAvgMain";
constexpr const char16_t* kFlashLayer = u"$GLOBALFLASH:SeqAvgMain";
constexpr const char16_t* kVisualLayer = u"$VISUAL:SeqAvgMain";
// The configuration's own values, for a core without a configuration object.
constexpr const char16_t* kDefaultBgFolder = u"cg/bg/";
constexpr const char16_t* kDefaultEvFolder = u"cg/ev/";
constexpr const char16_t* kDefaultRuleFolder = u"cg/tr/";
constexpr std::int32_t kDefaultPictureMs = 1000;
constexpr std::int32_t kDefaultShakeMs = 800;
constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::int32_t kLinearCurve = 1;

const GxSystemConfig* Config(const GxCore* core)
{
    return core != nullptr ? core->m_SystemConfig : nullptr;
}

std::int32_t PictureMs(const GxCore* core)
{
    const GxSystemConfig* config = Config(core);
    return config != nullptr ? config->m_BgEvTime : kDefaultPictureMs;
}

std::int32_t ShakeMs(const GxCore* core)
{
    const GxSystemConfig* config = Config(core);
    return config != nullptr ? config->m_StandTime : kDefaultShakeMs;
}

GxTaskBase* FindTask(const GxCore* core, const char16_t* name)
{
    GxTaskManage* manage = core != nullptr ? core->m_TaskManage : nullptr;
    return manage != nullptr ? manage->FindTask(name) : nullptr;
}

GxTaskLayer* FindLayer(const GxCore* core, const char16_t* name)
{
    return dynamic_cast<GxTaskLayer*>(FindTask(core, name));
}

// A packed colour argument with its alpha byte forced opaque, or white when not given.
std::uint32_t OpaqueColor(GxMoaVariable& args, std::int32_t index)
{
    if (!AvgBuiltin::IsGiven(args, index))
        return kWhite;
    return static_cast<std::uint32_t>(AvgBuiltin::Arg(args, index).ToInt64()) | kOpaque;
}

float FloatOr(GxMoaVariable& args, std::int32_t index, float fallback)
{
    return AvgBuiltin::IsGiven(args, index) ? static_cast<float>(AvgBuiltin::Arg(args, index).ToFloat()) : fallback;
}

// A wait on one whole-named layer: the hide argument at 0, the cut-short bits at 1 (bit value 1
// always added to given bits, every bit without them).
void HoldUntilLayerRests(GxCore* core, GxMoaVariable& args, const char16_t* layerName)
{
    GxUserData* data = core != nullptr ? core->m_UserData : nullptr;
    if (data == nullptr)
        return;
    if (HideRequested(args, 0))
        data->m_HideWindowByCommandFlag = true;
    data->m_Hold_EndOfLayerActionSeparate = WaitBits(args, 1);
    data->m_Hold_EndOfLayerActionSeparate_LayerName = layerName;
}

void HideWindowsByCommand(GxCore* core)
{
    if (GxUserData* data = core != nullptr ? core->m_UserData : nullptr)
        data->m_HideWindowByCommandFlag = true;
}

// Marks the gallery picture that `path` names as shown, by the gallery's own file name.
void UnlockGalleryPicture(GxCore* core, const std::u16string& path)
{
    std::int32_t row = 0;
    std::int32_t element = 0;
    GxUserDataPerman* perman = core != nullptr ? core->m_UserDataPerman : nullptr;
    if (perman == nullptr || !FindCGByFileName(path, &row, &element))
        return;
    if (const DBCGModeRow* record = GetDBCGMode().GetRow(row))
        perman->SetCGShown(record->m_FileName[element]);
}

}  // namespace

bool AvgBuiltin::SwitchPicture(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
                               GxMoaScriptEntity* entity, GxMoaExecStack* execStack, bool eventPicture)
{
    SeqAvgMain* play = FindPlayScreen(m_Core);
    GxTaskLayer* background = FindLayer(m_Core, kBackgroundLayer);
    GxTaskLayer* companion = FindLayer(m_Core, kCompanionLayer);
    // A background leaves no companion of an earlier event picture behind.
    if (!eventPicture && companion != nullptr)
        companion->ResetLayer();
    if (background != nullptr)
        background->FinishActions();

    if (!IsGiven(args, 0))
        return Fail(name, worker, entity, execStack, u"画像ファイルを指定してください");
    const std::u16string picture = Arg(args, 0).ToString();
    std::u16string path = (eventPicture ? ConfigFolder(m_Core, GxSystemConfig::kFolderCGEv, kDefaultEvFolder)
                                        : ConfigFolder(m_Core, GxSystemConfig::kFolderCGBg, kDefaultBgFolder)) +
                          picture;
    if (!ResolveImageFile(path)) {
        const GxSystemConfig* config = Config(m_Core);
        if (eventPicture && config != nullptr && config->m_ErrorStopNotFound_EV)
            return Fail(name, worker, entity, execStack, FormatWide(u"画像ファイルが見つかりません[%s]", path.c_str()));
        if (!eventPicture && config != nullptr && config->m_ErrorStopNotFound_BG)
            return Fail(name, worker, entity, execStack, u"画像ファイルが見つかりません");
        // Otherwise the layer gets the name as it is and shows what its loader makes of it.
    }
    if (eventPicture)
        UnlockGalleryPicture(m_Core, path);

    const GxMoaVariable& timeArg = Arg(args, 1);
    // Only a missing time takes the default; one given as "" reads 0.
    const std::int32_t ms = timeArg.IsNull() ? PictureMs(m_Core) : timeArg.ToInt();

    std::u16string rule;
    if (IsGiven(args, 2)) {
        rule = ConfigFolder(m_Core, GxSystemConfig::kFolderCGTr, kDefaultRuleFolder) + Arg(args, 2).ToString();
        if (!ResolveImageFile(rule)) {
            return Fail(name, worker, entity, execStack,
                        eventPicture ? FormatWide(u"トランジション画像ファイルが見つかりません[%s]", rule.c_str())
                                     : std::u16string(u"トランジション画像ファイルが見つかりません"));
        }
    }

    if (ms > 0 && play != nullptr)
        play->CaptureSnapshot();
    const float x = FloatOr(args, 3, 0.0f);
    const float y = FloatOr(args, 4, 0.0f);
    if (background != nullptr)
        background->SetPos(GxVector3(x, y, background->GetPos().z));
    const std::uint32_t color = OpaqueColor(args, 5);
    const bool clearStands = !(IsGiven(args, 6) && Arg(args, 6).ToInt() != 0);

    if (ms > 0 && play != nullptr) {
        play->StartBgTransition(rule, ms, clearStands, path);
    } else {
        if (clearStands)
            ResetLayerTree(FindTask(m_Core, kStandFolder));
        if (background != nullptr)
            background->LoadFlexImage(path, 0);
    }
    if (background != nullptr)
        background->SetColor0Argb(color);

    if (eventPicture && companion != nullptr) {
        std::u16string companionPath = ConfigFolder(m_Core, GxSystemConfig::kFolderCGEv, kDefaultEvFolder);
        companionPath += IsGiven(args, 7) ? GetFileTitleFromPath(Arg(args, 7).ToString())
                                          : GetFileTitleFromPath(picture) + u"_w";
        // Shown only for the save thumbnail: the play screen keeps the layer hidden.
        if (ResolveImageFile(companionPath)) {
            companion->LoadFlexImage(companionPath, 0);
            companion->Hide();
        } else {
            companion->ResetLayer();
        }
    }
    return true;
}

TW_AVG_HANDLER(Bg)
{
    HideWindowsByCommand(m_Core);
    return SwitchPicture(name, args, worker, entity, execStack, false);
}

TW_AVG_HANDLER(BgSw)
{
    return SwitchPicture(name, args, worker, entity, execStack, false);
}

TW_AVG_HANDLER(Ev)
{
    HideWindowsByCommand(m_Core);
    return SwitchPicture(name, args, worker, entity, execStack, true);
}

TW_AVG_HANDLER(EvSw)
{
    return SwitchPicture(name, args, worker, entity, execStack, true);
}

TW_AVG_HANDLER(BgColor)
{
    const std::uint32_t color = OpaqueColor(args, 0);
    if (GxTaskLayer* background = FindLayer(m_Core, kBackgroundLayer))
        background->SetColor0Argb(color);
    return true;
}

TW_AVG_HANDLER(BgActMove)
{
    const float x = FloatOr(args, 0, 0.0f);
    const float y = FloatOr(args, 1, 0.0f);
    const std::int32_t ms = IntOr(args, 2, 0);
    if (GxTaskLayer* background = FindLayer(m_Core, kBackgroundLayer)) {
        const float target[4] = {x, y, background->GetPos().z, 0.0f};
        background->AddAction(target, ms, kLinearCurve);
    }
    return true;
}

TW_AVG_HANDLER(BgWait)
{
    HoldUntilLayerRests(m_Core, args, kBackgroundLayer);
    return true;
}

TW_AVG_HANDLER(Fin)
{
    AvgGlobalFadeIn(IntOr(args, 0, PictureMs(m_Core)));
    return true;
}

TW_AVG_HANDLER(Fout)
{
    AvgGlobalFadeOut(IntOr(args, 0, PictureMs(m_Core)));
    return true;
}

TW_AVG_HANDLER(Flash)
{
    const std::int32_t rise = IsGiven(args, 0) ? Low32(Arg(args, 0).ToInt64()) : PictureMs(m_Core);
    const std::int32_t fall = IsGiven(args, 1) ? Low32(Arg(args, 1).ToInt64()) : PictureMs(m_Core);
    const std::uint32_t color = OpaqueColor(args, 2);
    GxTaskLayer* flash = FindLayer(m_Core, kFlashLayer);
    if (flash == nullptr)
        return true;
    const float rgb[3] = {static_cast<float>((color >> 16) & 0xFFu) / 255.0f,
                          static_cast<float>((color >> 8) & 0xFFu) / 255.0f,
                          static_cast<float>(color & 0xFFu) / 255.0f};
    // One list, so the colour is set before the rise and the fall follows it.
    flash->AddActionType12(rgb, 0);
    flash->AddFadeInAction(0, rise);
    flash->AddFadeOutAction(0, fall);
    return true;
}

TW_AVG_HANDLER(FlashWait)
{
    HoldUntilLayerRests(m_Core, args, kFlashLayer);
    return true;
}

TW_AVG_HANDLER(Shake)
{
    const std::int32_t ms = IntOr(args, 0, ShakeMs(m_Core));
    // The amplitudes are plain reads: a missing one is 0.
    const auto horizontal = static_cast<float>(Arg(args, 1).ToInt());
    const auto vertical = static_cast<float>(Arg(args, 2).ToInt());
    if (GxTaskLayer* visual = FindLayer(m_Core, kVisualLayer))
        visual->StartShake(GxVector3(horizontal, vertical, 0.0f), ms);
    return true;
}

TW_AVG_HANDLER(ShakeEnd)
{
    if (GxTaskLayer* visual = FindLayer(m_Core, kVisualLayer))
        visual->StopShake();
    return true;
}
