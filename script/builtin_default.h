// GxMoaBuiltinDefault: the 48 general builtins every game's scripts can call: conversions,
// text, file queries, logs, time and locale, arithmetic, a random number, and the flow builtins
// that jump, call and return between labels. Register binds them all to one binder.
#pragma once

#include "script/delegate_base.h"

#include <cstddef>
#include <cstdint>
#include <string>

class GxMoaFunctionBinder;
class GxMoaVariable;

class GxMoaBuiltinDefault {
public:
    using Handler = bool (GxMoaBuiltinDefault::*)(const std::u16string& name, std::int64_t index,
                                                  GxMoaVariable& args, GxMoaWorker* worker,
                                                  GxMoaScriptEntity* entity, GxMoaExecStack* execStack,
                                                  GxMoaVariable& result);
    struct Entry {
        const char16_t* name;
        Handler handler;
    };
    static constexpr std::size_t kBuiltinCount = 48;
    // The builtins in the order they are registered, names as the scripts spell them.
    static const Entry kBuiltins[kBuiltinCount];

    GxMoaBuiltinDefault() = default;
    virtual ~GxMoaBuiltinDefault() = default;
    GxMoaBuiltinDefault(const GxMoaBuiltinDefault&) = delete;
    GxMoaBuiltinDefault& operator=(const GxMoaBuiltinDefault&) = delete;

    // One delegate per builtin, added in table order; a name the binder already has is refused
    // by the binder.
    virtual void Register(GxMoaFunctionBinder* binder);

#define TW_MOA_BUILTIN(handler)                                                                         \
    bool handler(const std::u16string& name, std::int64_t index, GxMoaVariable& args, GxMoaWorker* worker, \
                 GxMoaScriptEntity* entity, GxMoaExecStack* execStack, GxMoaVariable& result)
    TW_MOA_BUILTIN(ToInt);
    TW_MOA_BUILTIN(ToFloat);
    TW_MOA_BUILTIN(ToStr);
    TW_MOA_BUILTIN(IsArray);
    TW_MOA_BUILTIN(ArraySize);
    TW_MOA_BUILTIN(Print);
    TW_MOA_BUILTIN(Debug);
    TW_MOA_BUILTIN(Error);
    TW_MOA_BUILTIN(IsFileExist);
    TW_MOA_BUILTIN(GetFileSize);
    TW_MOA_BUILTIN(StrLen);
    TW_MOA_BUILTIN(StrSub);
    TW_MOA_BUILTIN(StrLower);
    TW_MOA_BUILTIN(StrUpper);
    TW_MOA_BUILTIN(StrFind);
    TW_MOA_BUILTIN(IsLabelExist);
    TW_MOA_BUILTIN(DumpVarToFile);
    TW_MOA_BUILTIN(GetLocaleID);
    TW_MOA_BUILTIN(GetTimeZoneName);
    TW_MOA_BUILTIN(GetTimeZoneBias);
    TW_MOA_BUILTIN(GetUTime);
    TW_MOA_BUILTIN(GetYearFromUtime);
    TW_MOA_BUILTIN(GetMonthFromUtime);
    TW_MOA_BUILTIN(GetDayFromUtime);
    TW_MOA_BUILTIN(GetHourFromUtime);
    TW_MOA_BUILTIN(GetMinFromUtime);
    TW_MOA_BUILTIN(GetSecFromUtime);
    TW_MOA_BUILTIN(GetWeekFromUtime);
    TW_MOA_BUILTIN(GetYDayFromUtime);
    TW_MOA_BUILTIN(GetCurrentDir);
    TW_MOA_BUILTIN(Go);
    TW_MOA_BUILTIN(GoIf);
    TW_MOA_BUILTIN(GoSub);
    TW_MOA_BUILTIN(GoSubIf);
    TW_MOA_BUILTIN(Return);
    TW_MOA_BUILTIN(ReturnIf);
    TW_MOA_BUILTIN(Exit);
    TW_MOA_BUILTIN(RetVal);
    TW_MOA_BUILTIN(Sgn);
    TW_MOA_BUILTIN(Abs);
    TW_MOA_BUILTIN(Fsgn);
    TW_MOA_BUILTIN(Fabs);
    TW_MOA_BUILTIN(Fmod);
    TW_MOA_BUILTIN(Pow);
    TW_MOA_BUILTIN(Sqrt);
    TW_MOA_BUILTIN(Exp);
    TW_MOA_BUILTIN(Log);
    TW_MOA_BUILTIN(Rand);
#undef TW_MOA_BUILTIN

private:
    // A jump of GO or GOIF; false (reported, the instance stopped) when the label is absent.
    bool JumpTo(const std::u16string& name, const std::u16string& label, GxMoaWorker* worker,
                GxMoaScriptEntity* entity, GxMoaExecStack* execStack);
    // A call of GOSUB or GOSUBIF with "_" holding the argument; false as for JumpTo.
    bool CallTo(const std::u16string& name, const std::u16string& label, const GxMoaVariable& argument,
                GxMoaWorker* worker, GxMoaScriptEntity* entity, GxMoaExecStack* execStack);
};
