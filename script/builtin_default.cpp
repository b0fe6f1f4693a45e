#include "script/builtin_default.h"

#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/wide_string.h"
#include "platform/crt/crt_time.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/system_info.h"
#include "script/delegate.h"
#include "script/function_binder.h"
#include "script/moa.h"
#include "script/variable.h"
#include "script/variable_set.h"
#include "script/worker.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <utility>

namespace {

constexpr char16_t kLabelNotFound[] = u"飛び先のラベルが見つかりません[%s]";

// Argument i, with Nulls appended only when the array is shorter: extra arguments stay. The
// reference lasts until a later argument is asked for.
GxMoaVariable& Arg(GxMoaVariable& args, std::int32_t i)
{
    if (args.GetType() != MOA_VALUE_ARRAY || args.ArraySize() < i + 1)
        args.EnsureArgs(i + 1);
    return args.GetArg(i);
}

std::int32_t Low32(std::int64_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// The local-time breakdown of argument 0; false when the conversion refuses the time.
bool LocalTimeOf(GxMoaVariable& args, std::tm* fields)
{
    const __time64_t time = Arg(args, 0).ToInt64();
    return _localtime64_s(fields, &time) == 0;
}

void SetTimeField(GxMoaVariable& args, GxMoaVariable& result, int std::tm::*field, int offset)
{
    std::tm fields{};
    result.SetInt64(LocalTimeOf(args, &fields) ? static_cast<std::int64_t>(fields.*field) + offset : 0);
}

}  // namespace

const GxMoaBuiltinDefault::Entry GxMoaBuiltinDefault::kBuiltins[kBuiltinCount] = {
    {u"ToInt", &GxMoaBuiltinDefault::ToInt},
    {u"ToFloat", &GxMoaBuiltinDefault::ToFloat},
    {u"ToStr", &GxMoaBuiltinDefault::ToStr},
    {u"IsArray", &GxMoaBuiltinDefault::IsArray},
    {u"ArraySize", &GxMoaBuiltinDefault::ArraySize},
    {u"Print", &GxMoaBuiltinDefault::Print},
    {u"Debug", &GxMoaBuiltinDefault::Debug},
    {u"Error", &GxMoaBuiltinDefault::Error},
    {u"IsFileExist", &GxMoaBuiltinDefault::IsFileExist},
    {u"GetFileSize", &GxMoaBuiltinDefault::GetFileSize},
    {u"StrLen", &GxMoaBuiltinDefault::StrLen},
    {u"StrSub", &GxMoaBuiltinDefault::StrSub},
    {u"StrLower", &GxMoaBuiltinDefault::StrLower},
    {u"StrUpper", &GxMoaBuiltinDefault::StrUpper},
    {u"StrFind", &GxMoaBuiltinDefault::StrFind},
    {u"IsLabelExist", &GxMoaBuiltinDefault::IsLabelExist},
    {u"DumpVarToFile", &GxMoaBuiltinDefault::DumpVarToFile},
    {u"GetLocaleID", &GxMoaBuiltinDefault::GetLocaleID},
    {u"GetTimeZoneName", &GxMoaBuiltinDefault::GetTimeZoneName},
    {u"GetTimeZoneBias", &GxMoaBuiltinDefault::GetTimeZoneBias},
    {u"GetUTime", &GxMoaBuiltinDefault::GetUTime},
    {u"GetYearFromUtime", &GxMoaBuiltinDefault::GetYearFromUtime},
    {u"GetMonthFromUtime", &GxMoaBuiltinDefault::GetMonthFromUtime},
    {u"GetDayFromUtime", &GxMoaBuiltinDefault::GetDayFromUtime},
    {u"GetHourFromUtime", &GxMoaBuiltinDefault::GetHourFromUtime},
    {u"GetMinFromUtime", &GxMoaBuiltinDefault::GetMinFromUtime},
    {u"GetSecFromUtime", &GxMoaBuiltinDefault::GetSecFromUtime},
    {u"GetWeekFromUtime", &GxMoaBuiltinDefault::GetWeekFromUtime},
    {u"GetYDayFromUtime", &GxMoaBuiltinDefault::GetYDayFromUtime},
    {u"GetCurrentDir", &GxMoaBuiltinDefault::GetCurrentDir},
    {u"GO", &GxMoaBuiltinDefault::Go},
    {u"GOIF", &GxMoaBuiltinDefault::GoIf},
    {u"GOSUB", &GxMoaBuiltinDefault::GoSub},
    {u"GOSUBIF", &GxMoaBuiltinDefault::GoSubIf},
    {u"RETURN", &GxMoaBuiltinDefault::Return},
    {u"RETURNIF", &GxMoaBuiltinDefault::ReturnIf},
    {u"EXIT", &GxMoaBuiltinDefault::Exit},
    {u"RETVAL", &GxMoaBuiltinDefault::RetVal},
    {u"Sgn", &GxMoaBuiltinDefault::Sgn},
    {u"Abs", &GxMoaBuiltinDefault::Abs},
    {u"Fsgn", &GxMoaBuiltinDefault::Fsgn},
    {u"Fabs", &GxMoaBuiltinDefault::Fabs},
    {u"Fmod", &GxMoaBuiltinDefault::Fmod},
    {u"Pow", &GxMoaBuiltinDefault::Pow},
    {u"Sqrt", &GxMoaBuiltinDefault::Sqrt},
    {u"Exp", &GxMoaBuiltinDefault::Exp},
    {u"Log", &GxMoaBuiltinDefault::Log},
    {u"Rand", &GxMoaBuiltinDefault::Rand},
};

void GxMoaBuiltinDefault::Register(GxMoaFunctionBinder* binder)
{
    if (binder == nullptr)
        return;
    for (const Entry& entry : kBuiltins)
        binder->AddFunction(entry.name, new GxMoaDelegate<GxMoaBuiltinDefault>(this, entry.handler));
}

// The handlers share one signature; most read only the arguments and the result.
#define TW_MOA_HANDLER(handler)                                                                         \
    bool GxMoaBuiltinDefault::handler([[maybe_unused]] const std::u16string& name,                     \
                                      [[maybe_unused]] std::int64_t index,                             \
                                      [[maybe_unused]] GxMoaVariable& args,                            \
                                      [[maybe_unused]] GxMoaWorker* worker,                            \
                                      [[maybe_unused]] GxMoaScriptEntity* entity,                      \
                                      [[maybe_unused]] GxMoaExecStack* execStack,                      \
                                      [[maybe_unused]] GxMoaVariable& result)

TW_MOA_HANDLER(ToInt)
{
    result.SetInt64(Arg(args, 0).ToInt64());
    return true;
}

TW_MOA_HANDLER(ToFloat)
{
    result.SetFloat(Arg(args, 0).ToFloat());
    return true;
}

TW_MOA_HANDLER(ToStr)
{
    result.SetString(Arg(args, 0).ToString());
    return true;
}

TW_MOA_HANDLER(IsArray)
{
    result.SetInt64(Arg(args, 0).GetType() == MOA_VALUE_ARRAY ? 1 : 0);
    return true;
}

TW_MOA_HANDLER(ArraySize)
{
    const GxMoaVariable& value = Arg(args, 0);
    result.SetInt64(value.GetType() == MOA_VALUE_ARRAY ? value.ArraySize() : 0);
    return true;
}

TW_MOA_HANDLER(Print)
{
    const std::u16string text = Arg(args, 0).ToString();
    if (worker != nullptr && worker->GetOwner() != nullptr)
        worker->GetOwner()->Print(u"%s", text.c_str());
    return true;
}

TW_MOA_HANDLER(Debug)
{
    LogPrintDebug(u"%s\n", Arg(args, 0).ToString().c_str());
    return true;
}

TW_MOA_HANDLER(Error)
{
    LogPrint(u"%s\n", Arg(args, 0).ToString().c_str());
    return true;
}

TW_MOA_HANDLER(IsFileExist)
{
    result.SetInt64(FileExists(Arg(args, 0).ToString()));
    return true;
}

TW_MOA_HANDLER(GetFileSize)
{
    result.SetInt64(GxFile::GetFileSize(Arg(args, 0).ToString()));
    return true;
}

TW_MOA_HANDLER(StrLen)
{
    result.SetInt64(static_cast<std::int64_t>(Arg(args, 0).ToString().size()));
    return true;
}

TW_MOA_HANDLER(StrSub)
{
    const bool countGiven = args.GetType() == MOA_VALUE_ARRAY && args.ArraySize() >= 3;
    const std::u16string text = Arg(args, 0).ToString();
    const std::int32_t start = Low32(Arg(args, 1).ToInt64());
    const auto length = static_cast<std::int64_t>(text.size());
    // A start outside the text gives the empty text rather than a read outside it.
    if (start < 0 || start > length) {
        result.SetString(u"");
        return true;
    }
    // The count is unsigned, so a negative one reaches the end of the text.
    const std::uint64_t count = countGiven ? static_cast<std::uint32_t>(Low32(Arg(args, 2).ToInt64()))
                                           : static_cast<std::uint64_t>(length - start);
    result.SetString(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
    return true;
}

TW_MOA_HANDLER(StrLower)
{
    result.SetString(WideToLowerAscii(Arg(args, 0).ToString()));
    return true;
}

TW_MOA_HANDLER(StrUpper)
{
    result.SetString(WideToUpperAscii(Arg(args, 0).ToString()));
    return true;
}

TW_MOA_HANDLER(StrFind)
{
    const std::u16string text = Arg(args, 0).ToString();
    const std::u16string pattern = Arg(args, 1).ToString();
    const std::int32_t start = Low32(Arg(args, 2).ToInt64());
    if (start < 0 || static_cast<std::size_t>(start) > text.size()) {
        result.SetInt64(-1);
        return true;
    }
    result.SetInt64(WideFind(text, pattern, start));
    return true;
}

TW_MOA_HANDLER(IsLabelExist)
{
    const std::u16string label = Arg(args, 0).ToString();
    const std::u16string script = WideToLowerAscii(Arg(args, 1).ToString());
    const GxMoa* moa = worker != nullptr ? worker->GetOwner() : nullptr;
    result.SetInt64(moa != nullptr && moa->HasLabel(label, script) ? 1 : 0);
    return true;
}

TW_MOA_HANDLER(DumpVarToFile)
{
    const std::u16string path = Arg(args, 0).ToString();
    std::FILE* file = _wfopen(path.c_str(), u"wt, ccs=UTF-16LE");
    if (file == nullptr)
        return true;
    if (worker != nullptr) {
        if (worker->GetOwner() != nullptr)
            worker->GetOwner()->Dump(file, 0);
        worker->Dump(file, 1);
    }
    fclose_w(file);
    return true;
}

TW_MOA_HANDLER(GetLocaleID)
{
    result.SetInt64(GetSystemDefaultLCID());
    return true;
}

TW_MOA_HANDLER(GetTimeZoneName)
{
    TIME_ZONE_INFORMATION info{};
    GetTimeZoneInformation(&info);
    std::u16string zone;
    for (char16_t unit : info.StandardName) {
        if (unit == 0)
            break;
        zone.push_back(unit);
    }
    result.SetString(zone);
    return true;
}

TW_MOA_HANDLER(GetTimeZoneBias)
{
    TIME_ZONE_INFORMATION info{};
    GetTimeZoneInformation(&info);
    result.SetInt64(info.Bias);
    return true;
}

TW_MOA_HANDLER(GetUTime)
{
    result.SetInt64(_time64(nullptr));
    return true;
}

TW_MOA_HANDLER(GetYearFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_year, 1900);
    return true;
}

TW_MOA_HANDLER(GetMonthFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_mon, 1);
    return true;
}

TW_MOA_HANDLER(GetDayFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_mday, 0);
    return true;
}

TW_MOA_HANDLER(GetHourFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_hour, 0);
    return true;
}

TW_MOA_HANDLER(GetMinFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_min, 0);
    return true;
}

TW_MOA_HANDLER(GetSecFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_sec, 0);
    return true;
}

TW_MOA_HANDLER(GetWeekFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_wday, 0);
    return true;
}

TW_MOA_HANDLER(GetYDayFromUtime)
{
    SetTimeField(args, result, &std::tm::tm_yday, 0);
    return true;
}

TW_MOA_HANDLER(GetCurrentDir)
{
    // Always with the trailing "/", whichever form the folder query gives.
    result.SetString(AppendPathSeparator(GetCurrentFolder(), u'/'));
    return true;
}

bool GxMoaBuiltinDefault::JumpTo(const std::u16string& name, const std::u16string& label, GxMoaWorker* worker,
                                 GxMoaScriptEntity* entity, GxMoaExecStack* execStack)
{
    if (worker == nullptr)
        return false;
    if (worker->Jump(label, nullptr))
        return true;
    worker->ReportError(name.c_str(), entity, execStack, kLabelNotFound, label.c_str());
    if (worker->GetOwner() != nullptr)
        worker->GetOwner()->SetErrorStop(true);
    return false;
}

bool GxMoaBuiltinDefault::CallTo(const std::u16string& name, const std::u16string& label,
                                 const GxMoaVariable& argument, GxMoaWorker* worker, GxMoaScriptEntity* entity,
                                 GxMoaExecStack* execStack)
{
    if (worker == nullptr)
        return false;
    const GxMoaVariableSet set(u"_", 1, argument);
    if (worker->Call(label, &set))
        return true;
    // A full exec stack has been reported by the worker itself.
    if (!worker->IsExecStackFull())
        worker->ReportError(name.c_str(), entity, execStack, kLabelNotFound, label.c_str());
    if (worker->GetOwner() != nullptr)
        worker->GetOwner()->SetErrorStop(true);
    return false;
}

TW_MOA_HANDLER(Go)
{
    return JumpTo(name, Arg(args, 0).ToString(), worker, entity, execStack);
}

TW_MOA_HANDLER(GoIf)
{
    const bool condition = Arg(args, 0).ToInt64() != 0;
    const std::u16string label = Arg(args, condition ? 1 : 2).ToString();
    if (label.empty())
        return true;
    return JumpTo(name, label, worker, entity, execStack);
}

TW_MOA_HANDLER(GoSub)
{
    const std::u16string label = Arg(args, 0).ToString();
    const GxMoaVariable argument = Arg(args, 1);
    return CallTo(name, label, argument, worker, entity, execStack);
}

TW_MOA_HANDLER(GoSubIf)
{
    const GxMoaVariable argument = Arg(args, 3);
    const bool condition = Arg(args, 0).ToInt64() != 0;
    const std::u16string label = Arg(args, condition ? 1 : 2).ToString();
    if (label.empty())
        return true;
    return CallTo(name, label, argument, worker, entity, execStack);
}

TW_MOA_HANDLER(Return)
{
    const GxMoaVariable value = Arg(args, 0);
    if (worker != nullptr)
        worker->Return(&value);
    return true;
}

TW_MOA_HANDLER(ReturnIf)
{
    const GxMoaVariable value = Arg(args, 1);
    if (Arg(args, 0).ToInt64() != 0 && worker != nullptr)
        worker->Return(&value);
    return true;
}

TW_MOA_HANDLER(Exit)
{
    const GxMoaVariable value = Arg(args, 0);
    if (worker != nullptr)
        worker->Exit(&value);
    return true;
}

TW_MOA_HANDLER(RetVal)
{
    if (worker != nullptr)
        result = worker->GetResult();
    return true;
}

TW_MOA_HANDLER(Sgn)
{
    const std::int64_t value = Arg(args, 0).ToInt64();
    result.SetInt64(value > 0 ? 1 : (value < 0 ? -1 : 0));
    return true;
}

TW_MOA_HANDLER(Abs)
{
    const std::int64_t value = Arg(args, 0).ToInt64();
    // The smallest value has no positive counterpart and stays itself.
    result.SetInt64(value < 0 && value != std::numeric_limits<std::int64_t>::min() ? -value : value);
    return true;
}

TW_MOA_HANDLER(Fsgn)
{
    const double value = Arg(args, 0).ToFloat();
    result.SetFloat(value > 0.0 ? 1.0 : (value < 0.0 ? -1.0 : 0.0));
    return true;
}

TW_MOA_HANDLER(Fabs)
{
    result.SetFloat(std::fabs(Arg(args, 0).ToFloat()));
    return true;
}

TW_MOA_HANDLER(Fmod)
{
    const double a = Arg(args, 0).ToFloat();
    const double b = Arg(args, 1).ToFloat();
    result.SetFloat(std::fmod(a, b));
    return true;
}

TW_MOA_HANDLER(Pow)
{
    const double a = Arg(args, 0).ToFloat();
    const double b = Arg(args, 1).ToFloat();
    result.SetFloat(std::pow(a, b));
    return true;
}

TW_MOA_HANDLER(Sqrt)
{
    result.SetFloat(std::sqrt(Arg(args, 0).ToFloat()));
    return true;
}

TW_MOA_HANDLER(Exp)
{
    result.SetFloat(std::exp(Arg(args, 0).ToFloat()));
    return true;
}

TW_MOA_HANDLER(Log)
{
    result.SetFloat(std::log(Arg(args, 0).ToFloat()));
    return true;
}

TW_MOA_HANDLER(Rand)
{
    std::int32_t low = Low32(Arg(args, 0).ToInt64());
    std::int32_t high = Low32(Arg(args, 1).ToInt64());
    if (low > high)
        std::swap(low, high);
    if (low == high) {
        result.SetInt64(low);
        return true;
    }
    // The span in unsigned arithmetic: a range wider than a positive 32-bit count gives `low`.
    const std::uint32_t span = static_cast<std::uint32_t>(high) - static_cast<std::uint32_t>(low) + 1u;
    if (span == 0 || span > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        result.SetInt64(low);
        return true;
    }
    result.SetInt64(static_cast<std::int64_t>(low) + GxRandomBelow(static_cast<std::int32_t>(span)));
    return true;
}

#undef TW_MOA_HANDLER
