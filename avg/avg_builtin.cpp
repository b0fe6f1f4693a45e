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
    {u"MSG", &AvgBuiltin::Msg},
    {u"MSGN", &AvgBuiltin::MsgN},
    {u"MSG.SHOW", &AvgBuiltin::MsgShow},
    {u"MSG.HIDE", &AvgBuiltin::MsgHide},
    {u"MSG.CLEAR", &AvgBuiltin::MsgClear},
    {u"TEXT", &AvgBuiltin::Text},
    {u"NOTICE.SYS", &AvgBuiltin::NoticeSys},
    {u"NOTICE.USER", &AvgBuiltin::NoticeUser},
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
    {u"BG", &AvgBuiltin::Bg},
    {u"BG.SW", &AvgBuiltin::BgSw},
    {u"BG.COLOR", &AvgBuiltin::BgColor},
    {u"BG.ACT_MOVE", &AvgBuiltin::BgActMove},
    {u"BG.WA", &AvgBuiltin::BgWait},
    {u"EV", &AvgBuiltin::Ev},
    {u"EV.SW", &AvgBuiltin::EvSw},
    {u"EV.COLOR", &AvgBuiltin::BgColor},      // the handler of "BG.COLOR"
    {u"EV.ACT_MOVE", &AvgBuiltin::BgActMove},   // the handler of "BG.ACT_MOVE"
    {u"EV.WA", &AvgBuiltin::BgWait},         // the handler of "BG.WA"
    {u"FIN", &AvgBuiltin::Fin},
    {u"FOUT", &AvgBuiltin::Fout},
    {u"FLASH", &AvgBuiltin::Flash},
    {u"FLASH.WA", &AvgBuiltin::FlashWait},
    {u"SHAKE", &AvgBuiltin::Shake},
    {u"SHAKE.END", &AvgBuiltin::ShakeEnd},
    {u"MV", &AvgBuiltin::Mv},
    {u"MV.WA", &AvgBuiltin::MvWait},
    {u"MV.AUTOSTOP", &AvgBuiltin::MvAutoStop},
    {u"BGM", &AvgBuiltin::Bgm},
    {u"BGM.WA", &AvgBuiltin::BgmWait},
    {u"BGV", &AvgBuiltin::Bgv},
    {u"BGV.WA", &AvgBuiltin::BgvWait},
    {u"SE", &AvgBuiltin::Se},
    {u"SE_0", &AvgBuiltin::Se},   // the handler of "SE"
    {u"SE_1", &AvgBuiltin::Se1},
    {u"SE_2", &AvgBuiltin::Se2},
    {u"SE_3", &AvgBuiltin::Se3},
    {u"SE.WA", &AvgBuiltin::SeWait},
    {u"VO", &AvgBuiltin::Vo},
    {u"VO_0", &AvgBuiltin::Vo},   // the handler of "VO"
    {u"VO_1", &AvgBuiltin::Vo1},
    {u"VO_2", &AvgBuiltin::Vo2},
    {u"VO_3", &AvgBuiltin::Vo3},
    {u"VO.WA", &AvgBuiltin::VoWait},
    {u"SEL", &AvgBuiltin::Sel},
    {u"SEL.GO", &AvgBuiltin::SelGo},
    {u"SEL.GOSUB", &AvgBuiltin::SelGoSub},
    {u"SEL.VISIBLE", &AvgBuiltin::SelVisible},
    {u"SEL.ENABLE", &AvgBuiltin::SelEnable},
    {u"SEL.CANCEL", &AvgBuiltin::SelCancel},
    {u"SEL.HASH", &AvgBuiltin::SelHash},
    {u"WA.CLICK", &AvgBuiltin::WaClick},
    {u"WA.TIME", &AvgBuiltin::WaTime},
    {u"WA.LAYER", &AvgBuiltin::WaLayer},
    {u"RP.SET", &AvgBuiltin::RpSet},
    {u"RP.UNSET", &AvgBuiltin::RpUnset},
    {u"RP.SETALL", &AvgBuiltin::RpSetAll},
    {u"RP.UNSETALL", &AvgBuiltin::RpUnsetAll},
    {u"RP.END", &AvgBuiltin::RpEnd},
    {u"CG.SET", &AvgBuiltin::CgSet},
    {u"CG.SETGROUP", &AvgBuiltin::CgSetGroup},
    {u"CG.SETALL", &AvgBuiltin::CgSetAll},
    {u"CG.UNSETALL", &AvgBuiltin::CgUnsetAll},
    {u"JumpToTitle", &AvgBuiltin::JumpToTitle},
    {u"SetExtraOption", &AvgBuiltin::SetExtraOption},
    {u"GetExtraOption", &AvgBuiltin::GetExtraOption},
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
