// GxMoaFunctionBinder: builtin names to their handlers. Names are stored with A-Z lower-cased
// and looked up exactly as given, so callers pass the lower-case name the compiler emits.
#pragma once

#include "script/delegate_base.h"

#include <map>
#include <memory>
#include <string>

class GxMoaFunctionBinder {
public:
    GxMoaFunctionBinder() = default;
    virtual ~GxMoaFunctionBinder() { Clear(); }
    GxMoaFunctionBinder(const GxMoaFunctionBinder&) = delete;
    GxMoaFunctionBinder& operator=(const GxMoaFunctionBinder&) = delete;

    // False for an unbound name (no message); otherwise the handler's own result.
    virtual bool CallFunction(const std::u16string& name, std::int64_t index, GxMoaVariable& args,
                              GxMoaWorker* worker, GxMoaScriptEntity* entity, GxMoaExecStack* execStack,
                              GxMoaVariable& result);
    // Takes the delegate in any case. A name bound already keeps its first handler: the offered
    // delegate is deleted at once, an error line is written and the result is false.
    virtual bool AddFunction(const char16_t* name, GxMoaDelegateBase* delegate);
    virtual bool RemoveFunction(const char16_t* name);
    virtual GxMoaDelegateBase* FindFunction(const std::u16string& name) const;
    virtual void Clear();

    std::size_t GetCount() const { return m_Functions.size(); }

private:
    std::map<std::u16string, std::unique_ptr<GxMoaDelegateBase>> m_Functions;
};
