#include "avg/avg_builtin.h"

#include "avg/module_services.h"
#include "script/delegate.h"
#include "script/function_binder.h"
#include "script/variable.h"
#include "script/worker.h"

#include <cmath>
#include <string_view>

// Rows without a handler are the builtins still to be built; they keep their place so that the
// registration order stays that of the full set.
const AvgBuiltin::Entry AvgBuiltin::kBuiltins[kBuiltinCount] = {
    {u"Print", &AvgBuiltin::Print},
    {u"Debug", &AvgBuiltin::Debug},
    {u"GetSaveDir", &AvgBuiltin::GetSaveDir},
    {u"GetCurSeqName", &AvgBuiltin::GetCurSeqName},
    {u"GetPrevSeqName", &AvgBuiltin::GetPrevSeqName},
    {u"GetCurSeqParam0", &AvgBuiltin::GetCurSeqParam0},
    {u"GetCurSeqParam1", &AvgBuiltin::GetCurSeqParam1},
    {u"GetPrevSeqParam0", &AvgBuiltin::GetPrevSeqParam0},
    {u"GetPrevSeqParam1", &AvgBuiltin::GetPrevSeqParam1},
    {u"GetLastSelect", &AvgBuiltin::GetLastSelect},
    {u"GetDialogResult", &AvgBuiltin::GetDialogResult},
    {u"GetDebugModeFlag", &AvgBuiltin::GetDebugModeFlag},
    {u"GetSystemSignature", &AvgBuiltin::GetSystemSignature},
    {u"SetGameDataTitle", &AvgBuiltin::SetGameDataTitle},
    {u"GetGameDataTitle", &AvgBuiltin::GetGameDataTitle},
    {u"GetReplayMode", &AvgBuiltin::GetReplayMode},
    {u"GetPassedLabel", &AvgBuiltin::GetPassedLabel},
    {u"SetNameIdentifyMode", &AvgBuiltin::SetNameIdentifyMode},
    {u"DLG", &AvgBuiltin::Dlg},
    {u"MSG", nullptr},
    {u"MSGN", nullptr},
    {u"MSG.SHOW", &AvgBuiltin::MsgShow},
    {u"MSG.HIDE", &AvgBuiltin::MsgHide},
    {u"MSG.CLEAR", nullptr},
    {u"TEXT", &AvgBuiltin::Text},
    {u"NOTICE.SYS", nullptr},
    {u"NOTICE.USER", nullptr},
    {u"SP.COLOR", &AvgBuiltin::SpColor},
    {u"SP.ALPHA", &AvgBuiltin::SpAlpha},
    {u"SP.BLEND", &AvgBuiltin::SpBlend},
    {u"SP.LCG", &AvgBuiltin::SpLcg},
    {u"SP.LNC", &AvgBuiltin::SpLnc},
    {u"SP.WA", &AvgBuiltin::SpWait},
    {u"SP.SHAKE", &AvgBuiltin::SpShake},
    {u"SP.SHAKE_END", &AvgBuiltin::SpShakeEnd},
    {u"SP.SUB", &AvgBuiltin::SpSub},
    {u"SP.CLEARALL", &AvgBuiltin::SpClearAll},
    {u"SP.ACT_MOVE", &AvgBuiltin::SpActMove},
    {u"SP.ACT_FINISH", &AvgBuiltin::SpActFinish},
    {u"STAND", &AvgBuiltin::Stand},
    {u"BG", nullptr},
    {u"BG.SW", nullptr},
    {u"BG.COLOR", nullptr},
    {u"BG.ACT_MOVE", nullptr},
    {u"BG.WA", nullptr},
    {u"EV", nullptr},
    {u"EV.SW", nullptr},
    {u"EV.COLOR", nullptr},      // the handler of "BG.COLOR"
    {u"EV.ACT_MOVE", nullptr},   // the handler of "BG.ACT_MOVE"
    {u"EV.WA", nullptr},         // the handler of "BG.WA"
    {u"FIN", nullptr},
    {u"FOUT", nullptr},
    {u"FLASH", nullptr},
    {u"FLASH.WA", nullptr},
    {u"SHAKE", nullptr},
    {u"SHAKE.END", nullptr},
    {u"MV", nullptr},
    {u"MV.WA", nullptr},
    {u"MV.AUTOSTOP", nullptr},
    {u"BGM", nullptr},
    {u"BGM.WA", nullptr},
    {u"BGV", nullptr},
    {u"BGV.WA", nullptr},
    {u"SE", nullptr},
    {u"SE_0", nullptr},   // the handler of "SE"
    {u"SE_1", nullptr},
    {u"SE_2", nullptr},
    {u"SE_3", nullptr},
    {u"SE.WA", nullptr},
    {u"VO", nullptr},
    {u"VO_0", nullptr},   // the handler of "VO"
    {u"VO_1", nullptr},
    {u"VO_2", nullptr},
    {u"VO_3", nullptr},
    {u"VO.WA", nullptr},
    {u"SEL", nullptr},
    {u"SEL.GO", &AvgBuiltin::SelGo},
    {u"SEL.GOSUB", &AvgBuiltin::SelGoSub},
    {u"SEL.VISIBLE", &AvgBuiltin::SelVisible},
    {u"SEL.ENABLE", &AvgBuiltin::SelEnable},
    {u"SEL.CANCEL", &AvgBuiltin::SelCancel},
    {u"SEL.HASH", &AvgBuiltin::SelHash},
    {u"WA.CLICK", &AvgBuiltin::WaClick},
    {u"WA.TIME", &AvgBuiltin::WaTime},
    {u"WA.LAYER", &AvgBuiltin::WaLayer},
    {u"RP.SET", nullptr},
    {u"RP.UNSET", nullptr},
    {u"RP.SETALL", nullptr},
    {u"RP.UNSETALL", nullptr},
    {u"RP.END", nullptr},
    {u"CG.SET", nullptr},
    {u"CG.SETGROUP", nullptr},
    {u"CG.SETALL", nullptr},
    {u"CG.UNSETALL", nullptr},
    {u"JumpToTitle", nullptr},
    {u"SetExtraOption", nullptr},
    {u"GetExtraOption", nullptr},
};

void AvgBuiltin::RegisterBuiltins(GxMoaFunctionBinder* binder)
{
    if (binder == nullptr)
        return;
    for (const Entry& entry : kBuiltins) {
        if (entry.handler == nullptr)
            continue;
        const std::u16string_view name(entry.name);
        if (name == u"Print" || name == u"Debug")
            binder->RemoveFunction(entry.name);
        binder->AddFunction(entry.name, new GxMoaDelegate<AvgBuiltin>(this, entry.handler));
    }
}

GxMoaVariable& AvgBuiltin::Arg(GxMoaVariable& args, std::int32_t index)
{
    if (args.GetType() != MOA_VALUE_ARRAY || args.ArraySize() < index + 1)
        args.EnsureArgs(index + 1);
    return args.GetArg(index);
}

bool AvgBuiltin::IsGiven(GxMoaVariable& args, std::int32_t index)
{
    return MoaArgIsNonEmpty(&Arg(args, index));
}

bool AvgBuiltin::Fail(const std::u16string& name, GxMoaWorker* worker, GxMoaScriptEntity* entity,
                      GxMoaExecStack* execStack, const std::u16string& message)
{
    if (worker != nullptr)
        worker->ReportError(name.c_str(), entity, execStack, u"%s", message.c_str());
    return false;
}

namespace {

enum class Keyword { Number, Start, Middle, End, Default, Other };

// What a position value says; `start`, `middle` and `end` are the axis's letters.
Keyword ClassifyPosition(const GxMoaVariable& value, char16_t start, char16_t end)
{
    const std::uint32_t type = value.GetType();
    if (type == MOA_VALUE_INT || type == MOA_VALUE_FLOAT)
        return Keyword::Number;
    if (type != MOA_VALUE_STR && type != MOA_VALUE_REFVAR)
        return Keyword::Other;
    const std::u16string text = value.ToString();
    if (text.size() != 1)
        return Keyword::Other;
    if (text[0] == start)
        return Keyword::Start;
    if (text[0] == u'M')
        return Keyword::Middle;
    if (text[0] == end)
        return Keyword::End;
    return text[0] == u'N' ? Keyword::Default : Keyword::Other;
}

float ParsePosition(const GxMoaVariable& value, float defaultValue, float room, char16_t start, char16_t end,
                    float otherValue)
{
    switch (ClassifyPosition(value, start, end)) {
    case Keyword::Number: return static_cast<float>(value.ToFloat());
    case Keyword::Start: return 0.0f;
    case Keyword::Middle: return std::trunc(room) * 0.5f;
    case Keyword::End: return std::trunc(room);
    case Keyword::Default: return defaultValue;
    case Keyword::Other: break;
    }
    return otherValue;
}

}  // namespace

float AvgParseHorizontalPosition(const GxMoaVariable& value, float defaultValue, float width)
{
    return ParsePosition(value, defaultValue, 1024.0f - width, u'L', u'R', defaultValue);
}

float AvgParseVerticalPosition(const GxMoaVariable& value, float defaultValue, float height)
{
    return ParsePosition(value, defaultValue, 768.0f - height, u'T', u'B', 0.0f);
}
