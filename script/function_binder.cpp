#include "script/function_binder.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"

bool GxMoaFunctionBinder::CallFunction(const std::u16string& name, std::int64_t index, GxMoaVariable& args,
                                       GxMoaWorker* worker, GxMoaScriptEntity* entity, GxMoaExecStack* execStack,
                                       GxMoaVariable& result)
{
    GxMoaDelegateBase* delegate = FindFunction(name);
    if (delegate == nullptr) {
        return false;
    }
    return delegate->Invoke(name, index, args, worker, entity, execStack, result);
}

bool GxMoaFunctionBinder::AddFunction(const char16_t* name, GxMoaDelegateBase* delegate)
{
    std::unique_ptr<GxMoaDelegateBase> owned(delegate);
    if (!owned) {
        return false;   // a name without a handler would only fail later, at the call
    }
    const std::u16string given = name != nullptr ? name : u"";
    const auto [where, added] = m_Functions.try_emplace(WideToLowerAscii(given));
    if (!added) {
        LogPrint(u"GxMoaFunctionBinder::AddFunction/同名関数が既に登録されています (%s)\n", given.c_str());
        return false;
    }
    where->second = std::move(owned);
    return true;
}

bool GxMoaFunctionBinder::RemoveFunction(const char16_t* name)
{
    return m_Functions.erase(WideToLowerAscii(name != nullptr ? name : u"")) != 0;
}

GxMoaDelegateBase* GxMoaFunctionBinder::FindFunction(const std::u16string& name) const
{
    const auto found = m_Functions.find(name);
    return found != m_Functions.end() ? found->second.get() : nullptr;
}

void GxMoaFunctionBinder::Clear()
{
    m_Functions.clear();
}
