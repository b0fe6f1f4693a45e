// GxMoaWorker: one thread of execution of a Moa program: the exec stack of open blocks (the
// innermost last), the evaluator's value stack, the result value, its own GLOBAL_ variables and
// one script entity (the STATIC_ variables) per script. It never runs by itself: the owner of
// the worker calls Step, or StepWithinBudget once per pass of the window thread.
#pragma once

#include "script/delegate_base.h"
#include "script/exec_stack_element.h"
#include "script/script_entity.h"
#include "script/variable.h"
#include "script/variable_table.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

class GxMoa;
class GxMoaFunctionBinder;

// The deepest exec stack a script may build. Far beyond any real script, it stops a recursion
// that never returns while memory lasts (a frame costs about a kilobyte and a quarter).
constexpr std::int32_t kMoaMaxExecStackDepth = 200000;
// Statements one logic pass of the window thread runs at most. A script runs far fewer between
// two waits; one that never waits goes on in the next pass, so the window keeps answering. A
// count, not a clock, so that a run does the same in every pass however loaded the machine is.
constexpr std::int32_t kMoaStepsPerPass = 1000;

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
    // False, with an error line, when the exec stack is already at kMoaMaxExecStackDepth.
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
    // One statement; false when the worker has nothing to run, has stopped or met an error. An
    // allocation that fails inside the statement stops the script with an error line.
    virtual bool Step(GxMoaFunctionBinder* binder);

    // Steps while `runnable` holds and a step succeeds, but at most `budget` times; a script that
    // never waits goes on at the next call. The number of steps taken.
    std::int32_t StepWithinBudget(GxMoaFunctionBinder* binder, const std::function<bool()>& runnable,
                                  std::int32_t budget = kMoaStepsPerPass);
    bool IsExecStackFull() const { return m_ExecStack.size() >= static_cast<std::size_t>(kMoaMaxExecStackDepth); }

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
    // The statement interpreter that Step runs.
    bool StepStatement(GxMoaFunctionBinder* binder);
    // Runs one statement; memory that runs out inside it ends the script, not the process.
    template <typename Statement>
    bool GuardStatement(Statement&& statement)
    {
        try {
            return statement();
        } catch (const std::bad_alloc&) {
            return StopAfterAllocationFailure();
        } catch (const std::length_error&) {
            return StopAfterAllocationFailure();
        }
    }
    // The stacks are dropped to give their memory back for the rest of the session (the
    // shut-down saves among it); an error line and the error stop follow. Always false.
    bool StopAfterAllocationFailure();

    GxMoa* m_pOwner = nullptr;
    std::u16string m_Name;
    GxMoaVariableTable m_Variables{3};   // variables it creates itself are GLOBAL_INGAME
    std::map<std::u16string, std::unique_ptr<GxMoaScriptEntity>> m_Entities;
    GxMoaExecStack m_ExecStack;
    std::vector<GxMoaVariable> m_ValueStack;
    GxMoaVariable m_Result;
};
