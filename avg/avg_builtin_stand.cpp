// The standing-character and sprite builtins: each character is a layer under the play screen's
// "$STAND:SeqAvgMain" named after it; the builtins change its picture (still images from the
// character's stand folder or a motion project), its sub-layer, place, depth, colour, opacity,
// blend mode, shake and moves, and register a wait for the end of its moves and fades.
#include "avg/avg_builtin_handler.h"

#include "avg/avg_block_reader.h"
#include "avg/resource_lookup.h"
#include "avg/task_tree_walks.h"
#include "core/core.h"
#include "core/layer_content.h"
#include "core/task_folder.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_lookup.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "script/variable.h"

#include <string>
#include <vector>

namespace {

constexpr const char16_t* kStandFolder = u"$STAND:SeqAvgMain";
constexpr std::int32_t kDefaultChangeMs = 800;
constexpr std::int32_t kDefaultBlendMode = 2;
constexpr std::int32_t kDefaultCurve = 1;

constexpr const char16_t* kNoName = u"レイヤー名がありません";
// "SP.COLOR", "SP.ALPHA", "SP.BLEND" and "STAND" name only the character.
constexpr const char16_t* kNoLayerShort = u"レイヤーが見つかりません。キャラ名[%s]は未定義です";
constexpr const char16_t* kNoLayer = u"レイヤーが見つかりません。命令が間違っているかキャラ名[%s]は未定義です";
constexpr const char16_t* kNoCharacter = u"キャラ名[%s]は未定義です";
constexpr const char16_t* kNoImage = u"画像ファイルが見つかりません[%s]";

enum class NotFound { Short, Long };

std::int32_t DefaultChangeMs(const GxCore* core)
{
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    return config != nullptr ? config->m_StandTime : kDefaultChangeMs;
}

GxTaskLayer* FindStandLayer(GxCore* core, const std::u16string& character)
{
    GxTaskManage* manage = core != nullptr ? core->m_TaskManage : nullptr;
    auto* stand = dynamic_cast<GxTaskFolder*>(manage != nullptr ? manage->FindTask(kStandFolder) : nullptr);
    return stand != nullptr ? dynamic_cast<GxTaskLayer*>(stand->FindTaskLocal(character.c_str(), 0)) : nullptr;
}

// The position keywords work on the size of the current content.
float ContentWidth(GxTaskLayer& layer)
{
    return static_cast<float>(layer.GetCurrentContent().m_Width);
}

float ContentHeight(GxTaskLayer& layer)
{
    return static_cast<float>(layer.GetCurrentContent().m_Height);
}

// The character's "_w" picture (named after the title of `name`) in sub-layer 0, hidden; without
// one the sub-layer is emptied. A content without sub-layers is left alone.
void ApplyFirstSubLayer(GxTaskLayer& layer, const std::u16string& standPath, const std::u16string& name)
{
    GxSubLayerContent* subLayer = layer.GetCurrentContent().GetSubLayer(0);
    if (subLayer == nullptr)
        return;
    std::u16string path = standPath + GetFileTitleFromPath(name) + u"_w";
    if (ResolveImageFile(path)) {
        subLayer->Load(path);
        subLayer->m_Visible = false;
    } else {
        subLayer->Clear();
    }
}

}  // namespace

// The layer of the character named by argument 0, or null after the failure was reported.
GxTaskLayer* AvgBuiltin::StandLayer(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
                                    GxMoaScriptEntity* entity, GxMoaExecStack* execStack, bool shortMessage)
{
    const std::u16string character = Arg(args, 0).ToString();
    if (character.empty()) {
        Fail(name, worker, entity, execStack, kNoName);
        return nullptr;
    }
    GxTaskLayer* layer = FindStandLayer(m_Core, character);
    if (layer == nullptr)
        Fail(name, worker, entity, execStack, FormatWide(shortMessage ? kNoLayerShort : kNoLayer, character.c_str()));
    return layer;
}

// The character row of argument 0, or null after the failure was reported.
const DBAvgCharRow* AvgBuiltin::StandRow(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
                                         GxMoaScriptEntity* entity, GxMoaExecStack* execStack)
{
    const std::u16string character = Arg(args, 0).ToString();
    const std::int32_t index = FindAvgCharByName(character);
    const DBAvgCharRow* row = index >= 0 ? GetDBAvgChar().GetRow(index) : nullptr;
    if (row == nullptr)
        Fail(name, worker, entity, execStack, FormatWide(kNoCharacter, character.c_str()));
    return row;
}

TW_AVG_HANDLER(SpColor)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, true);
    if (layer == nullptr)
        return false;
    // Only the colour counts: the script's top byte is replaced by full strength.
    const std::uint32_t rgb =
        IsGiven(args, 1) ? static_cast<std::uint32_t>(static_cast<std::uint64_t>(Arg(args, 1).ToInt64())) : 0xFFFFFFu;
    layer->SetColor0Argb(0xFF000000u | (rgb & 0xFFFFFFu));
    return true;
}

TW_AVG_HANDLER(SpAlpha)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, true);
    if (layer == nullptr)
        return false;
    layer->SetAlpha(IntOr(args, 1, 255));
    return true;
}

TW_AVG_HANDLER(SpBlend)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, true);
    if (layer == nullptr)
        return false;
    layer->SetBlendMode(IntOr(args, 1, kDefaultBlendMode));
    return true;
}

TW_AVG_HANDLER(SpLcg)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    layer->FinishActions();
    const std::int32_t ms = IntOr(args, 5, DefaultChangeMs(m_Core));
    const DBAvgCharRow* row = StandRow(name, args, worker, entity, execStack);
    if (row == nullptr)
        return false;
    const std::u16string standPath = row->m_StandPath;

    float width = ContentWidth(*layer);
    float height = ContentHeight(*layer);
    const GxVector3 pos = layer->GetPos();
    if (IsGiven(args, 1)) {
        const std::u16string image = Arg(args, 1).ToString();
        const std::u16string path = standPath + image;
        std::u16string file = path;
        if (!ResolveImageFile(file))
            return Fail(name, worker, entity, execStack, FormatWide(kNoImage, path.c_str()));
        layer->LoadBlendedImages({file}, ms);
        width = ContentWidth(*layer);
        height = ContentHeight(*layer);
        ApplyFirstSubLayer(*layer, standPath, image);
    } else {
        layer->ClearContent(ms);
    }
    const GxMoaVariable horizontal = Arg(args, 2);
    const GxMoaVariable vertical = Arg(args, 3);
    layer->SetPos(GxVector3(AvgParseHorizontalPosition(horizontal, pos.x, width),
                            AvgParseVerticalPosition(vertical, pos.y, height), pos.z));
    if (IsGiven(args, 4))
        layer->SetOrderZ(static_cast<float>(Arg(args, 4).ToFloat()));
    return true;
}

TW_AVG_HANDLER(SpLnc)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    layer->FinishActions();
    const std::int32_t ms = IntOr(args, 6, DefaultChangeMs(m_Core));
    const DBAvgCharRow* row = StandRow(name, args, worker, entity, execStack);
    if (row == nullptr)
        return false;

    if (IsGiven(args, 2)) {
        const std::u16string path = ConfigFolder(m_Core, GxSystemConfig::kFolderGnc, u"gnc/") + row->m_NCProjFileName;
        std::u16string file = path;
        if (!ResolveProjectFile(file))
            return Fail(name, worker, entity, execStack, FormatWide(u"NCProjファイルが見つかりません[%s]", path.c_str()));
        const std::u16string group = IsGiven(args, 1) ? Arg(args, 1).ToString() : std::u16string();
        const std::u16string motion = Arg(args, 2).ToString();
        if (!layer->LoadMotionProject(file, ConfigFolder(m_Core, GxSystemConfig::kFolderGncGis, u"gnc/gis/"), group,
                                      motion, 0, ms))
            return Fail(name, worker, entity, execStack, u"モーショングループが存在しないか読み込みミスです");
    } else {
        layer->ClearContent(ms);
    }
    GxVector3 pos = layer->GetPos();
    if (IsGiven(args, 3))
        pos.x = static_cast<float>(Arg(args, 3).ToFloat());
    if (IsGiven(args, 4))
        pos.y = static_cast<float>(Arg(args, 4).ToFloat());
    layer->SetPos(GxVector3(pos.x, pos.y, pos.z));
    if (IsGiven(args, 5))
        layer->SetOrderZ(static_cast<float>(Arg(args, 5).ToFloat()));
    return true;
}

TW_AVG_HANDLER(SpWait)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    // A layer already at rest has nothing to wait for.
    if (layer->IsActionListEmpty() && !layer->IsInTransit())
        return true;
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data == nullptr)
        return true;
    if (IsGiven(args, 1) && Arg(args, 1).ToInt() != 0)
        data->m_HideWindowByCommandFlag = true;
    data->m_Hold_EndOfLayerActionSeparate = IsGiven(args, 2) ? (Arg(args, 2).ToInt() | 1) : 15;
    data->m_Hold_EndOfLayerActionSeparate_LayerName = layer->GetTaskLocalName();
    return true;
}

TW_AVG_HANDLER(SpShake)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    const std::int32_t ms = IntOr(args, 1, kDefaultChangeMs);
    const auto horizontal = static_cast<float>(Arg(args, 2).ToInt());
    const auto vertical = static_cast<float>(Arg(args, 3).ToInt());
    layer->StartShake(GxVector3(horizontal, vertical, 0.0f), ms);
    return true;
}

TW_AVG_HANDLER(SpShakeEnd)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    layer->StopShake();
    return true;
}

TW_AVG_HANDLER(SpSub)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    const DBAvgCharRow* row = StandRow(name, args, worker, entity, execStack);
    if (row == nullptr)
        return false;
    const std::int32_t subIndex = Arg(args, 1).ToInt();
    // An index the content does not have is the script's mistake: nothing is touched.
    GxSubLayerContent* subLayer = layer->GetCurrentContent().GetSubLayer(subIndex);
    if (subLayer == nullptr)
        return Fail(name, worker, entity, execStack, FormatWide(u"サブレイヤー[%d]はありません", subIndex));
    if (!IsGiven(args, 2)) {
        subLayer->Clear();
        return true;
    }
    const std::u16string path = row->m_StandPath + Arg(args, 2).ToString();
    std::u16string file = path;
    if (!ResolveImageFile(file))
        return Fail(name, worker, entity, execStack, FormatWide(kNoImage, path.c_str()));
    layer->LoadSubLayer(file, subIndex);
    subLayer->m_Visible = false;
    return true;
}

TW_AVG_HANDLER(SpClearAll)
{
    const std::int32_t ms = IntOr(args, 0, kDefaultChangeMs);
    GxTaskManage* manage = m_Core != nullptr ? m_Core->m_TaskManage : nullptr;
    GxTaskBase* stand = manage != nullptr ? manage->FindTask(kStandFolder) : nullptr;
    if (stand == nullptr)
        return true;
    ClearLayersWithFade(stand->m_FirstChild, ms, 0);
    if (auto* layer = dynamic_cast<GxTaskLayer*>(stand))
        layer->ClearContent(ms);
    return true;
}

TW_AVG_HANDLER(SpActMove)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    const GxVector3 pos = layer->GetPos();
    const GxMoaVariable horizontal = Arg(args, 1);
    const GxMoaVariable vertical = Arg(args, 2);
    const float target[4] = {AvgParseHorizontalPosition(horizontal, pos.x, ContentWidth(*layer)),
                             AvgParseVerticalPosition(vertical, pos.y, ContentHeight(*layer)), pos.z, 0.0f};
    const std::int32_t ms = IntOr(args, 3, 0);
    const std::int32_t curve = IntOr(args, 4, kDefaultCurve);
    layer->m_ActionPause = false;
    layer->AddAction(target, ms, curve);
    return true;
}

TW_AVG_HANDLER(SpActFinish)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, false);
    if (layer == nullptr)
        return false;
    layer->FinishActions();
    return true;
}

TW_AVG_HANDLER(Stand)
{
    GxTaskLayer* layer = StandLayer(name, args, worker, entity, execStack, true);
    if (layer == nullptr)
        return false;
    layer->FinishActions();
    const std::int32_t ms = IntOr(args, 4, DefaultChangeMs(m_Core));
    const DBAvgCharRow* row = StandRow(name, args, worker, entity, execStack);
    if (row == nullptr)
        return false;
    const std::u16string standPath = row->m_StandPath;
    const GxVector3 pos = layer->GetPos();

    const AvgScriptBlock block = ReadAvgScriptBlock(worker, u"endstand");
    if (block.m_Failed)
        return Fail(name, worker, entity, execStack,
                    FormatWide(u"ENDSTANDに到達する前に処理できないトークンがあります[%s]", block.m_BadToken.c_str()));
    if (block.m_Texts.empty()) {
        layer->ClearContent(ms);
        return true;
    }
    // Every picture is found before anything changes on the screen.
    std::vector<std::u16string> files;
    for (const std::u16string& image : block.m_Texts) {
        const std::u16string path = standPath + image;
        std::u16string file = path;
        if (!ResolveImageFile(file))
            return Fail(name, worker, entity, execStack, FormatWide(kNoImage, path.c_str()));
        files.push_back(std::move(file));
    }
    layer->LoadBlendedImages(files, ms);
    const GxMoaVariable horizontal = Arg(args, 1);
    const GxMoaVariable vertical = Arg(args, 2);
    layer->SetPos(GxVector3(AvgParseHorizontalPosition(horizontal, pos.x, ContentWidth(*layer)),
                            AvgParseVerticalPosition(vertical, pos.y, ContentHeight(*layer)), pos.z));
    if (IsGiven(args, 3))
        layer->SetOrderZ(static_cast<float>(Arg(args, 3).ToFloat()));
    ApplyFirstSubLayer(*layer, standPath, block.m_Texts.front());
    return true;
}
