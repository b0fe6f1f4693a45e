// A builtin called directly through a binder, as a script line on `worker` would call it.
#pragma once

#include "foundation/wide_string.h"
#include "script/function_binder.h"
#include "script/variable.h"
#include "script/worker.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace avg_test {

// The builtin by its registered (lower-cased) name with the values as its argument array; false
// when it failed.
inline bool CallBuiltin(GxMoaFunctionBinder& binder, GxMoaWorker& worker, const std::u16string& name,
                        std::initializer_list<GxMoaVariable> values)
{
    GxMoaVariable args;
    args.MakeArray(static_cast<std::int32_t>(values.size()));
    std::int32_t i = 0;
    for (const GxMoaVariable& value : values)
        args.SetElement(i++, value);
    GxMoaVariable result;
    return binder.CallFunction(WideToLowerAscii(name), 0, args, &worker, nullptr, &worker.GetExecStack(), result);
}

}  // namespace avg_test
