// GxMoaWorker: one thread of execution of a Moa program: the exec stack of open blocks (the
// innermost last), the evaluator's value stack, the result value, its own GLOBAL_ variables and
// one script entity (the STATIC_ variables) per script. It never runs by itself: the owner of
// the worker calls Step.
#pragma once

#include "script/delegate_base.h"
#include "script/exec_stack_element.h"
#include "script/script_entity.h"
#include "script/variable.h"
#include "script/variable_table.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class GxMoa;
class GxMoaFunctionBinder;

class GxMoaWorker {
public:
    explicit GxMoaWorker(GxMoa* owner = nullptr);
    virtual ~GxMoaWorker();
    GxMoaWorker(const GxMoaWorker&) = delete;
    GxMoaWorker& operator=(const GxMoaWorker&) = delete;

    // The worker's table, then the instance's.
    virtual GxMoaVariableSet* FindVariable(const std::u16string& name);
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);
    virtual bool WriteScriptVariables(GxContentWriterBase& writer, std::int32_t saveClass) const;
    // Data for a script the program no longer has is read and dropped.
    virtual bool ReadScriptVariables(GxContentReaderBase& reader, std::int32_t saveClass);
    virtual bool ClearAndReadScriptVariables(GxContentReaderBase& reader, std::int32_t saveClass);
    virtual void RebuildScriptEntities();
    virtual void DefineMissingVariables();
    virtual void ClearVariables(std::int32_t saveClass);
    virtual void Dump(std::FILE* file, int depth) const;
    virtual bool Reset();
    // A table replaces the frame's locals; without one they stay.
    virtual bool Jump(const std::u16string& label, const GxMoaVariableTable* table);
    virtual bool ResetAndJump(const std::u16string& label, const GxMoaVariableTable* table);
    virtual bool Call(const std::u16string& label, const GxMoaVariableSet* argument);
    // False when the stack was empty or is empty now (the script has ended).
    virtual bool Return(const GxMoaVariable* value);
    virtual void Exit(const GxMoaVariable* value);
    virtual void Stop();
    virtual bool Restart(const std::u16string& scriptName, const std::u16string& label, const GxMoaVariableSet* argument);
    virtual bool JumpToScript(const std::u16string& label, const std::u16string& scriptName,
                              const GxMoaVariableSet* argument);
    virtual bool ResetAndJumpToScript(const std::u16string& scriptName, const std::u16string& label,
                                      const GxMoaVariableSet* argument);
    virtual bool CallInScript(const std::u16string& label, const std::u16string& scriptName,
                              const GxMoaVariableSet* argument);
    virtual bool IsRunning() const { return !m_ExecStack.empty(); }
    virtual std::u16string GetScriptName(const GxMoaExecStackElement* element) const;
    virtual std::int32_t GetLastLine(const GxMoaExecStackElement* element) const;
    virtual std::int32_t GetLine(const GxMoaExecStackElement* element) const;
    virtual GxMoaExecStack& GetExecStack() { return m_ExecStack; }
    // "text:message" as an error of the instance, at the stack's top line.
    virtual void ReportError(const char16_t* text, GxMoaScriptEntity* entity, GxMoaExecStack* execStack,
                             const char16_t* format, ...);
    // One statement; false when the worker has nothing to run, has stopped or met an error.
    virtual bool Step(GxMoaFunctionBinder* binder);

    GxMoaExecStackElement* GetTopExecStackElement();
    GxMoaExecStackElement* GetExecStackElement(std::int32_t index);
    void ResetStacks();
    GxMoaScriptEntity* FindScriptEntity(const std::u16string& scriptName) const;
    GxMoaExecStackElement* FindTopFrame();
    void PopControlBlocks();
    std::u16string DumpText(int depth) const;

    GxMoa* GetOwner() const { return m_pOwner; }
    const std::u16string& GetName() const { return m_Name; }
    GxMoaVariableTable& GetVariableTable() { return m_Variables; }
    const GxMoaVariableTable& GetVariableTable() const { return m_Variables; }
    std::vector<GxMoaVariable>& GetValueStack() { return m_ValueStack; }
    GxMoaVariable& GetResult() { return m_Result; }
    const std::map<std::u16string, std::unique_ptr<GxMoaScriptEntity>>& GetScriptEntities() const { return m_Entities; }

protected:
    // The label's place on the element, looked up from `context`'s script; false when absent.
    bool PlaceAtLabel(GxMoaExecStackElement& element, const std::u16string& label, const GxMoaScriptEntity* context);
    bool PushFrameAt(const std::u16string& label, const GxMoaScriptEntity* context, const GxMoaVariableSet* argument,
                     bool dropFrame);

    GxMoa* m_pOwner = nullptr;
    std::u16string m_Name;
    GxMoaVariableTable m_Variables{3};   // variables it creates itself are GLOBAL_INGAME
    std::map<std::u16string, std::unique_ptr<GxMoaScriptEntity>> m_Entities;
    GxMoaExecStack m_ExecStack;
    std::vector<GxMoaVariable> m_ValueStack;
    GxMoaVariable m_Result;
};
