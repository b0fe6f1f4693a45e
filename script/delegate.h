// GxMoaDelegate<T>: a builtin handler that is a member function of a builtin module T. The
// module object is not owned.
#pragma once

#include "script/delegate_base.h"

template <typename T>
class GxMoaDelegate : public GxMoaDelegateBase {
public:
    using Handler = bool (T::*)(const std::u16string& name, std::int64_t index, GxMoaVariable& args,
                                GxMoaWorker* worker, GxMoaScriptEntity* entity, GxMoaExecStack* execStack,
                                GxMoaVariable& result);

    GxMoaDelegate() = default;
    GxMoaDelegate(T* object, Handler handler) { Bind(object, handler); }

    bool Invoke(const std::u16string& name, std::int64_t index, GxMoaVariable& args, GxMoaWorker* worker,
                GxMoaScriptEntity* entity, GxMoaExecStack* execStack, GxMoaVariable& result) override
    {
        return (m_pObject->*m_Handler)(name, index, args, worker, entity, execStack, result);
    }

    virtual void Bind(T* object, Handler handler)
    {
        m_pObject = object;
        m_Handler = handler;
    }

private:
    T* m_pObject = nullptr;
    Handler m_Handler = nullptr;
};
