// GxMoaDelegateBase: a builtin handler as the binder stores it, and the builtin signature that
// every handler shares: name, builtin index, argument array, the calling worker, script entity
// and exec stack, and the result value. True when the builtin succeeded.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

class GxMoaExecStackElement;
class GxMoaScriptEntity;
class GxMoaVariable;
class GxMoaWorker;

// A deque: builtins push and pop frames while others hold references to the frames below.
using GxMoaExecStack = std::deque<GxMoaExecStackElement>;

class GxMoaDelegateBase {
public:
    virtual ~GxMoaDelegateBase() = default;
    virtual bool Invoke(const std::u16string& name, std::int64_t index, GxMoaVariable& args, GxMoaWorker* worker,
                        GxMoaScriptEntity* entity, GxMoaExecStack* execStack, GxMoaVariable& result) = 0;
};
