// GxMoa: the script-language instance: the compiled program (labels, variable and builtin
// definitions, scripts) with its name lookups and its program-file form, and the EXTERN_
// variables. Names compare exactly; the maps are ordered by UTF-16 code unit.
#pragma once

#include "script/builtin_definition.h"
#include "script/definition_lists.h"
#include "script/script.h"
#include "script/variable_table.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class GxMoaFunctionBinder;
class GxMoaScriptEntity;
class GxMoaWorker;

using GxMoaScriptMap = std::map<std::u16string, std::unique_ptr<GxMoaScript>>;

class GxMoa {
public:
    GxMoa() = default;
    virtual ~GxMoa() = default;
    GxMoa(const GxMoa&) = delete;
    GxMoa& operator=(const GxMoa&) = delete;

    // Empties the program; the variables, flags and counts stay.
    virtual void Clear();
    virtual void ResetRunState();
    virtual bool AddLabel(const GxMoaLabelDefinition& definition);
    virtual bool AddVariableDefinition(const GxMoaVariableDefinition& definition);
    virtual bool AddBuiltinDefinition(const GxMoaBuiltinDefinition& definition);
    virtual bool AddNamedValue(const std::u16string& name, const GxMoaVariable& value);
    virtual const GxMoaLabelDefinition* FindLabel(const std::u16string& name) const;
    virtual const GxMoaVariableDefinition* FindVariableDefinition(const std::u16string& name) const;
    virtual const GxMoaBuiltinDefinition* FindBuiltinDefinition(const std::u16string& name) const;
    virtual GxMoaVariable* FindNamedValue(const std::u16string& name);
    virtual GxMoaScript* FindScript(const std::u16string& name) const;
    virtual GxMoaVariableTable& GetVariableTable() { return m_Variables; }
    // "@" names among the given script's own labels only, others among the program's.
    virtual const GxMoaLabelDefinition* FindLabelInScript(const std::u16string& name, const GxMoaScript* script) const;
    virtual const GxMoaLabelDefinition* FindLabelInEntity(const std::u16string& name,
                                                          const GxMoaScriptEntity* entity) const;
    virtual bool HasLabel(const std::u16string& labelName, const std::u16string& scriptName) const;
    // The program file's values after its header; the header is the caller's.
    virtual bool WriteProgram(GxContentWriterBase& writer) const;
    // Starts with Clear. False on any reader error or a closing marker other than "END_MARKER".
    virtual bool ReadProgram(GxContentReaderBase& reader);
    // The EXTERN_ variables of the save class; a false result fails the whole save or load.
    virtual bool WriteVariables(GxContentWriterBase& writer, std::int32_t saveClass) const;
    // Stored values overwrite or are appended; nothing is reset first.
    virtual bool ReadVariables(GxContentReaderBase& reader, std::int32_t saveClass);
    virtual bool ResetAndReadVariables(GxContentReaderBase& reader, std::int32_t saveClass);
    // The EXTERN_ variables (scopes 8-10) from the program's definitions, after emptying the
    // table: values from an earlier program or a saved file do not survive.
    virtual void BuildVariables();
    // Only the EXTERN_ definitions that have no variable yet.
    virtual void AddMissingVariables();
    // EXTERN_ variables the save class selects go back to their initial value (Null without a
    // definition); other scopes are left alone.
    virtual void ResetVariables(std::int32_t saveClass);
    // A new game or a saved game about to be read: INGAME, then NOSAVE.
    virtual bool ResetGameVariables();
    // "--MoaInstance:\n", then the variable table's lines.
    virtual void Dump(std::FILE* file, int depth) const;
    std::u16string DumpText(int depth) const;

    // Script output and diagnostics. The base only counts; GxMoaEx writes the logs. Text that
    // comes from a script is always an argument of "%s", never the format itself.
    virtual void Print(const char16_t* format, ...);
    virtual void Warning(std::u16string scriptName, std::int32_t line, const char16_t* format, ...);
    virtual void Error(std::u16string scriptName, std::int32_t line, const char16_t* format, ...);

    // Compiles the expression at `start` into the worker's top element and runs it; `end` (may
    // be the element's own run position) receives where the compiler stopped before anything
    // runs. A failure sets the error-stop flag.
    static bool Eval_Token(GxMoa* moa, GxMoaVariable* result, GxMoaFunctionBinder* binder, GxMoaWorker* worker,
                           GxMoaRunPos start, GxMoaRunPos* end, bool warn);

    // The first script of a name stays; false (and the script dropped) for a repeated name.
    bool AddScript(std::unique_ptr<GxMoaScript> script);

    const GxMoaLabelMap& GetLabels() const { return m_Labels; }
    const std::vector<GxMoaVariableDefinition>& GetVariableDefinitions() const { return m_VariableDefines; }
    const std::vector<GxMoaBuiltinDefinition>& GetBuiltinDefinitions() const { return m_BuiltinDefines; }
    const GxMoaScriptMap& GetScripts() const { return m_Scripts; }

    bool IsErrorStop() const { return m_ErrorStop; }
    void SetErrorStop(bool stop) { m_ErrorStop = stop; }
    bool IsBreak() const { return m_Break; }
    void SetBreak(bool set) { m_Break = set; }
    std::int32_t GetErrorCount() const { return m_ErrorCount; }
    std::int32_t GetWarningCount() const { return m_WarningCount; }

protected:
    GxMoaLabelMap m_Labels;
    std::vector<GxMoaVariableDefinition> m_VariableDefines;
    std::vector<GxMoaBuiltinDefinition> m_BuiltinDefines;
    std::map<std::u16string, std::unique_ptr<GxMoaVariable>> m_NamedValues;
    GxMoaScriptMap m_Scripts;
    GxMoaVariableTable m_Variables{4};   // variables it creates itself are EXTERN_INGAME
    bool m_ErrorStop = false;
    bool m_Break = false;
    std::int32_t m_ErrorCount = 0;
    std::int32_t m_WarningCount = 0;
};
