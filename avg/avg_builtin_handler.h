// The definition line shared by the adventure builtins' handler files.
#pragma once

#include "avg/avg_builtin.h"

// The handlers share one signature; most read only some of its arguments.
#define TW_AVG_HANDLER(handler)                                                                         \
    bool AvgBuiltin::handler([[maybe_unused]] const std::u16string& name, [[maybe_unused]] std::int64_t index, \
                             [[maybe_unused]] GxMoaVariable& args, [[maybe_unused]] GxMoaWorker* worker,        \
                             [[maybe_unused]] GxMoaScriptEntity* entity,                                        \
                             [[maybe_unused]] GxMoaExecStack* execStack, [[maybe_unused]] GxMoaVariable& result)
