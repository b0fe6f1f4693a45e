// The choice builtins: "SEL" sets the texts and opens the play screen's menu; the others prepare
// labels, visibility, enabling, the cancel item and the choice's key in the game data's items.
#include "avg/avg_builtin_handler.h"

#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "script/moa.h"
#include "script/variable.h"
#include "script/worker.h"

#include <algorithm>

namespace {

// Argument i addresses item i + 1; item 0 is never the script's.
constexpr std::int32_t kScriptChoiceCount = 10;

// How many arguments address an existing item: at most ten, fewer when the list is shorter.
std::int32_t ChoiceArgCount(const GxUserData& data)
{
    const auto items = static_cast<std::int32_t>(data.m_SelectMenuItemList.size());
    return std::clamp(items - 1, 0, kScriptChoiceCount);
}

}  // namespace

bool AvgBuiltin::SetLabels(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
                           GxMoaScriptEntity* entity, GxMoaExecStack* execStack, bool useGosub)
{
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data == nullptr)
        return true;
    const GxMoa* program = worker != nullptr ? worker->GetOwner() : nullptr;
    bool allFound = true;
    const std::int32_t count = ChoiceArgCount(*data);
    for (std::int32_t i = 0; i < count; ++i) {
        GxSelectMenuItem& item = data->m_SelectMenuItemList[static_cast<std::size_t>(i + 1)];
        if (!IsGiven(args, i)) {
            item.m_Label.clear();
            item.m_UseGosub = false;
            continue;
        }
        item.m_Label = Arg(args, i).ToString();
        item.m_UseGosub = useGosub;
        // A missing label is reported, but the other items are still set.
        if (program == nullptr || program->FindLabelInEntity(item.m_Label, entity) == nullptr) {
            Fail(name, worker, entity, execStack,
                 FormatWide(u"選択肢[%d]のラベル[%s]は存在しません", i + 1, item.m_Label.c_str()));
            allFound = false;
        }
    }
    return allFound;
}

bool AvgBuiltin::SetItemFlags(GxMoaVariable& args, bool visible)
{
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data == nullptr)
        return true;
    const std::int32_t count = ChoiceArgCount(*data);
    for (std::int32_t i = 0; i < count; ++i) {
        if (!IsGiven(args, i))
            continue;
        GxSelectMenuItem& item = data->m_SelectMenuItemList[static_cast<std::size_t>(i + 1)];
        (visible ? item.m_Visible : item.m_Enable) = Arg(args, i).ToInt64() != 0;
    }
    return true;
}

TW_AVG_HANDLER(Sel)
{
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data == nullptr)
        return true;
    const std::int32_t count = ChoiceArgCount(*data);
    for (std::int32_t i = 0; i < count; ++i) {
        GxSelectMenuItem& item = data->m_SelectMenuItemList[static_cast<std::size_t>(i + 1)];
        if (IsGiven(args, i)) {
            item.m_Text = Arg(args, i).ToString();
            continue;
        }
        // An item without a text is no choice, whatever the preparing builtins said.
        item.m_Text.clear();
        item.m_Enable = false;
        item.m_Visible = false;
        item.m_UseGosub = false;
    }
    if (data->m_SelectHash.empty() && worker != nullptr)
        data->m_SelectHash = FormatWide(u"%s:%d", worker->GetScriptName(nullptr).c_str(), worker->GetLine(nullptr) + 1);
    data->m_HideWindowByCommandFlag = false;
    if (SeqAvgMain* screen = FindPlayScreen(m_Core))
        screen->ShowSelectMenu();
    return true;
}

TW_AVG_HANDLER(SelGo)
{
    return SetLabels(name, args, worker, entity, execStack, false);
}

TW_AVG_HANDLER(SelGoSub)
{
    return SetLabels(name, args, worker, entity, execStack, true);
}

TW_AVG_HANDLER(SelVisible)
{
    return SetItemFlags(args, true);
}

TW_AVG_HANDLER(SelEnable)
{
    return SetItemFlags(args, false);
}

TW_AVG_HANDLER(SelCancel)
{
    const std::int64_t number = IsGiven(args, 0) ? Arg(args, 0).ToInt64() : 0;
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr)
        data->m_CancelSelectNum = static_cast<std::int32_t>(static_cast<std::uint64_t>(number));
    return true;
}

TW_AVG_HANDLER(SelHash)
{
    const std::u16string key = IsGiven(args, 0) ? Arg(args, 0).ToString() : std::u16string();
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr)
        data->m_SelectHash = key;
    return true;
}
