#include "script/opcode_evaluator.h"

#include "foundation/wide_string.h"
#include "script/exec_stack_element.h"
#include "script/expression_compiler.h"
#include "script/function_binder.h"
#include "script/moa.h"
#include "script/script_entity.h"
#include "script/worker.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const GxMoaVariable& SharedNull()
{
    static const GxMoaVariable s_Null;
    return s_Null;
}

std::u16string ScriptNameOf(const GxMoaScriptEntity* entity)
{
    return entity != nullptr ? entity->GetScriptName() : std::u16string(u"*");
}

// Everything one run of a list works with. The element and frame are those found when the run
// began; `Alive` tells whether a builtin has removed the element since.
struct ExecRun {
    GxMoa* moa = nullptr;
    GxMoaWorker* worker = nullptr;
    GxMoaFunctionBinder* binder = nullptr;
    GxMoaScriptEntity* entity = nullptr;
    bool warn = false;
    GxMoaExecStackElement* element = nullptr;
    std::size_t elementIndex = 0;
    std::uint64_t serial = 0;
    GxMoaExecStackElement* frame = nullptr;

    bool Alive() const
    {
        const GxMoaExecStack& stack = worker->GetExecStack();
        return elementIndex < stack.size() && stack[elementIndex].GetSerial() == serial;
    }

    std::int32_t TopLine() const
    {
        const GxMoaExecStack& stack = worker->GetExecStack();
        return stack.empty() ? 0 : stack.back().m_RunPos.m_Line;
    }

    void Report(bool atTopLine, std::int32_t pc, const std::u16string& message) const
    {
        if (moa != nullptr) {
            moa->Error(ScriptNameOf(entity), atTopLine ? TopLine() : 0, u"%s[pc=%d]", message.c_str(), pc);
        }
    }

    void Warn(std::int32_t pc, const std::u16string& name) const
    {
        if (moa != nullptr && warn) {
            const std::u16string message = FormatWide(u"未定義の変数 $%s を使用しました", name.c_str());
            moa->Warning(ScriptNameOf(entity), TopLine(), u"%s[pc=%d]", message.c_str(), pc);
        }
    }

    std::vector<GxMoaVariable>& Stack() const { return worker->GetValueStack(); }

    bool HasOne(std::int32_t pc) const
    {
        if (!Stack().empty()) {
            return true;
        }
        Report(false, pc, u"Exec_IsValueLastOne 計算スタックに必要なパラメータが積まれていません");
        return false;
    }

    bool HasTwo(std::int32_t pc) const
    {
        if (Stack().size() >= 2) {
            return true;
        }
        Report(false, pc, u"Exec_IsValueLastTwo 計算スタックに必要なパラメータが積まれていません");
        return false;
    }

    GxMoaVariable Pop() const
    {
        GxMoaVariable value = std::move(Stack().back());
        Stack().pop_back();
        return value;
    }

    bool Push(const GxMoaVariable& value, std::int32_t pc) const
    {
        return Exec_PushStack(value, worker, pc, moa, entity);
    }

    // Implicit creation needs the frame's locals; saved data can leave a stack without a frame.
    GxMoaVariableTable* FrameTable(std::int32_t pc, const std::u16string& name) const
    {
        if (frame == nullptr) {
            Report(true, pc, FormatWide(u"Exec_FindVariable 変数 $%s を作るフレームがありません", name.c_str()));
            return nullptr;
        }
        return &frame->m_Variables;
    }

    GxMoaVariableSet* Find(const std::u16string& name) const
    {
        return Exec_FindVariable(name, frame, entity, worker);
    }

    GxMoaVariableSet* FindOrDeclare(const std::u16string& name, std::int32_t index, std::int32_t pc, bool& failed) const
    {
        failed = false;
        if (GxMoaVariableSet* found = Find(name)) {
            return found;
        }
        GxMoaVariableTable* table = FrameTable(pc, name);
        if (table == nullptr) {
            failed = true;
            return nullptr;
        }
        GxMoaVariableSet* created = table->Declare(name, index);
        Warn(pc, name);
        return created;
    }
};

bool ValidIndex(std::int32_t index) { return index >= 0 && index < kMoaMaxArrayElements; }

// The limits that keep a script from growing a value without end. Each check runs before the
// copy or concatenation it guards, and costs no more than that would.
bool ReportTextLimit(const ExecRun& run, std::int32_t pc, std::size_t leftLength, std::size_t rightLength)
{
    if (leftLength + rightLength <= static_cast<std::size_t>(kMoaMaxTextLength)) {
        return true;
    }
    run.Report(true, pc, FormatWide(u"a text would pass the limit of %d characters", kMoaMaxTextLength));
    return false;
}

// A value of that extent stored at nesting `level` (0: a whole variable, 1: its element).
bool ReportArrayLimits(const ExecRun& run, std::int32_t pc, const GxMoaValueExtent& extent, std::int32_t level)
{
    if (extent.m_Depth + level > kMoaMaxArrayNesting) {
        run.Report(true, pc, FormatWide(u"arrays would nest deeper than the limit of %d levels", kMoaMaxArrayNesting));
        return false;
    }
    if (extent.m_Elements + level > kMoaMaxArrayElements) {
        run.Report(true, pc, FormatWide(u"an array would pass the limit of %d elements", kMoaMaxArrayElements));
        return false;
    }
    return true;
}

std::int32_t InstructionLength(std::int32_t opcode)
{
    switch (opcode) {
    case MOA_OPC_PUSH_INT:
    case MOA_OPC_PUSH_FLT:
    case MOA_OPC_PUSH_STR:
    case MOA_OPC_PUSH_VAR:
    case MOA_OPC_PUSH_VARARY:
    case MOA_OPC_ELEMENTNUM: return 2;
    case MOA_OPC_CALL_BUILTIN: return 3;
    default: return opcode >= MOA_OPC_POST_INCREMENT ? 3 : 1;
    }
}

void ApplyBinary(std::int32_t opcode, const GxMoaVariable& left, const GxMoaVariable& right, GxMoaVariable& out)
{
    auto truth = [&](bool value) { out.SetInt64(value ? 1 : 0); };
    switch (opcode) {
    case 15: truth(GxMoaVariable::IsEqual(left, right)); break;
    case 16: truth(GxMoaVariable::IsNotEqual(left, right)); break;
    case 17: truth(GxMoaVariable::IsGreater(left, right)); break;
    case 18: truth(GxMoaVariable::IsGreaterEqual(left, right)); break;
    case 19: truth(GxMoaVariable::IsLess(left, right)); break;
    case 20: truth(GxMoaVariable::IsLessEqual(left, right)); break;
    case 21: GxMoaVariable::Add(left, right, out); break;
    case 22: GxMoaVariable::Concat(left, right, out); break;
    case 23: GxMoaVariable::Sub(left, right, out); break;
    case 24: GxMoaVariable::Mul(left, right, out); break;
    case 25: GxMoaVariable::Div(left, right, out); break;
    case 26: GxMoaVariable::Mod(left, right, out); break;
    case 29: GxMoaVariable::BitAnd(left, right, out); break;
    case 30: GxMoaVariable::BitOr(left, right, out); break;
    case 31: GxMoaVariable::BitXor(left, right, out); break;
    case 33: GxMoaVariable::ShiftLeft(left, right, out); break;
    case 34: GxMoaVariable::ShiftRight(left, right, out); break;
    case 36: truth(left.ToInt64() != 0 && right.ToInt64() != 0); break;
    case 37: truth(left.ToInt64() != 0 || right.ToInt64() != 0); break;
    default: break;
    }
}

bool IsBinary(std::int32_t opcode)
{
    return (opcode >= 15 && opcode <= 26) || (opcode >= 29 && opcode <= 31) || opcode == 33 || opcode == 34 ||
           opcode == 36 || opcode == 37;
}

void ApplyCompound(std::int32_t opcode, GxMoaVariable& current, const GxMoaVariable& right)
{
    switch (opcode) {
    case 43: current.AddAssign(right); break;
    case 44: current.ConcatAssign(right); break;
    case 45: current.SubAssign(right); break;
    case 46: current.MulAssign(right); break;
    case 47: current.DivAssign(right); break;
    case 48: current.ModAssign(right); break;
    case 49: current.SetInt64(current.ToInt64() & right.ToInt64()); break;
    case 50: current.SetInt64(current.ToInt64() | right.ToInt64()); break;
    case 51: current.SetInt64(current.ToInt64() ^ right.ToInt64()); break;
    default: break;
    }
}

std::int32_t TargetKind(const GxMoaVariable& operand)
{
    if (operand.GetType() != MOA_VALUE_OPCODE) {
        return -1;
    }
    const std::int64_t kind = operand.GetRawBits();
    return kind == MOA_OPC_ALTER_VAR || kind == MOA_OPC_ALTER_VARARY ? static_cast<std::int32_t>(kind) : -1;
}

// Assignment, compound assignment and postfix steps: the target is a whole variable (8) or an
// element (9, index on the stack under the value). False when the run must stop.
bool ExecAssignment(const ExecRun& run, std::int32_t opcode, std::int32_t pc, const GxMoaVariable& targetOperand,
                    const std::u16string& name)
{
    const bool plain = opcode == MOA_OPC_ASSIGN;
    const bool postfix = opcode == MOA_OPC_POST_INCREMENT || opcode == MOA_OPC_POST_DECREMENT;
    const char16_t* tag = plain ? u"OPC_ASSIGN" : postfix ? u"OPC_AFTER_*" : u"OPC_ASSIGN_*";
    GxMoaVariable right;
    if (!postfix) {
        if (!run.HasOne(pc)) {
            return false;
        }
        right = run.Pop();
    }
    const std::int32_t kind = TargetKind(targetOperand);
    std::int32_t index = -1;
    if (kind == MOA_OPC_ALTER_VARARY) {
        if (!run.HasOne(pc)) {
            return false;
        }
        index = run.Pop().ToInt();
        if (!ValidIndex(index)) {
            std::u16string message =
                FormatWide(u"%s 変数の要素 $%s[%d] に代入できません", tag, name.c_str(), static_cast<int>(index));
            if (index >= kMoaMaxArrayElements) {
                message += FormatWide(u" (an array would pass the limit of %d elements)", kMoaMaxArrayElements);
            }
            run.Report(true, pc, message);
            return false;
        }
    }
    if (kind < 0) {
        run.Report(true, pc, FormatWide(u"%s Opecodeが壊れています", tag));
    }

    if (plain) {
        if (kind >= 0 && !ReportArrayLimits(run, pc, right.MeasureExtent(), index >= 0 ? 1 : 0)) {
            return false;
        }
        if (kind >= 0) {
            if (GxMoaVariableSet* found = run.Find(name)) {
                found->m_Value.SetElement(index, right);
            } else {
                GxMoaVariableTable* table = run.FrameTable(pc, name);
                if (table == nullptr) {
                    return false;
                }
                table->Assign(name, index, &right);
                run.Warn(pc, name);
            }
        }
        return run.Push(right, pc);
    }

    GxMoaVariable current;
    GxMoaVariableSet* target = nullptr;
    if (kind >= 0) {
        bool failed = false;
        target = run.FindOrDeclare(name, index, pc, failed);
        if (failed) {
            return false;
        }
        if (target != nullptr) {
            if (const GxMoaVariable* element = target->m_Value.GetElement(index)) {
                current = *element;
            }
        }
    }
    GxMoaVariable pushed;
    if (postfix) {
        pushed = current;
        const std::int64_t step = opcode == MOA_OPC_POST_INCREMENT ? 1 : -1;
        current.SetInt64(static_cast<std::int64_t>(static_cast<std::uint64_t>(current.ToInt64()) +
                                                   static_cast<std::uint64_t>(step)));
    } else {
        if (opcode == 44 && !ReportTextLimit(run, pc, current.TextSize(), right.TextSize())) {
            return false;
        }
        ApplyCompound(opcode, current, right);
        pushed = current;
    }
    if (target != nullptr) {
        target->m_Value.SetElement(index, current);
    }
    return run.Push(pushed, pc);
}

}  // namespace

GxMoaVariableSet* Exec_FindVariable(const std::u16string& name, GxMoaExecStackElement* frame,
                                    GxMoaScriptEntity* entity, GxMoaWorker* worker)
{
    if (frame != nullptr) {
        if (GxMoaVariableSet* found = frame->m_Variables.Find(name)) {
            return found;
        }
    }
    if (entity != nullptr) {
        return entity->FindVariable(name);
    }
    return worker != nullptr ? worker->FindVariable(name) : nullptr;
}

bool Exec_PushStack(const GxMoaVariable& value, GxMoaWorker* worker, std::int32_t pc, GxMoa* moa,
                    GxMoaScriptEntity* entity)
{
    if (value.GetType() == MOA_VALUE_OPCODE || worker == nullptr) {
        if (moa != nullptr) {
            moa->Error(ScriptNameOf(entity), 0, u"%s[pc=%d]", u"Exec_PushStack 計算スタックに積むパラメータが不足しています",
                       pc);
        }
        return false;
    }
    worker->GetValueStack().push_back(value);
    return true;
}

std::int32_t Exec_Opcode(GxMoaFunctionBinder* binder, GxMoaScriptEntity* entity, GxMoa* moa, GxMoaWorker* worker,
                         bool warn)
{
    ExecRun run;
    run.moa = moa;
    run.worker = worker;
    run.binder = binder;
    run.entity = entity;
    run.warn = warn;
    if (worker == nullptr) {
        if (moa != nullptr) {
            moa->Error(ScriptNameOf(entity), 0, u"%s[pc=%d]", u"Exec_Opcode ExecStackとValueStackが指定されていません", -1);
        }
        return 0;
    }
    GxMoaExecStack& stack = worker->GetExecStack();
    if (stack.empty()) {
        return 1;
    }
    run.element = &stack.back();
    run.elementIndex = stack.size() - 1;
    run.serial = run.element->GetSerial();
    run.frame = worker->FindTopFrame();
    if (run.element->m_OpcodeList.empty()) {
        return 1;
    }
    if (run.element->m_OpcodePos >= static_cast<std::int32_t>(run.element->m_OpcodeList.size())) {
        return 0;
    }

    for (;;) {
        // A builtin may reset this very list (a jump): size and position are read afresh.
        GxMoaExecStackElement& element = *run.element;
        const std::int32_t pc = element.m_OpcodePos;
        const auto size = static_cast<std::int32_t>(element.m_OpcodeList.size());
        if (pc < 0 || pc >= size) {
            run.Report(true, pc, u"Exec_Opcode 不正な演算コードです");
            return 0;
        }
        const GxMoaVariable& entry = element.m_OpcodeList[static_cast<std::size_t>(pc)];
        if (entry.GetType() != MOA_VALUE_OPCODE) {
            run.Report(true, pc, u"Exec_Opcode Opcodeではないパラメータを演算しようとしました");
            return 0;
        }
        const std::int64_t raw = entry.GetRawBits();
        if (raw < 0 || raw > MOA_OPC_LAST) {
            run.Report(true, pc, u"Exec_Opcode 不正な演算コードです");
            return 0;
        }
        const auto opcode = static_cast<std::int32_t>(raw);
        if (opcode == MOA_OPC_ALTER_VAR) {
            run.Report(true, pc, u"OPC_ALTER_VAR 単体でこのコードは実行できません");
            return 0;
        }
        if (opcode == MOA_OPC_ALTER_VARARY) {
            run.Report(true, pc, u"OPC_ALTER_VARARY 単体でこのコードは実行できません");
            return 0;
        }
        const std::int32_t length = InstructionLength(opcode);
        // An instruction cut off by the end of a damaged list is never read past the end.
        if (length > size - pc) {
            run.Report(true, pc, u"Exec_Opcode 不正な演算コードです");
            return 0;
        }
        // Operands are copied: a builtin may empty the list they live in.
        GxMoaVariable operand1;
        GxMoaVariable operand2;
        if (length >= 2) {
            operand1 = element.m_OpcodeList[static_cast<std::size_t>(pc + 1)];
        }
        if (length >= 3) {
            operand2 = element.m_OpcodeList[static_cast<std::size_t>(pc + 2)];
        }

        switch (opcode) {
        case MOA_OPC_NOP:
        case MOA_OPC_SEPARATOR:
        case MOA_OPC_ELEMENT:
        case MOA_OPC_ARRAYINDEX:
        case 38:
        case 39: break;
        case MOA_OPC_PUSH_INT:
        case MOA_OPC_PUSH_FLT:
        case MOA_OPC_PUSH_STR:
        case MOA_OPC_ELEMENTNUM:
            if (!run.Push(operand1, pc)) {
                return 0;
            }
            break;
        case MOA_OPC_PUSH_NULL:
            if (!run.Push(SharedNull(), pc)) {
                return 0;
            }
            break;
        case MOA_OPC_PUSH_VAR: {
            const std::u16string name = operand1.ToString();
            bool failed = false;
            GxMoaVariableSet* set = run.FindOrDeclare(name, -1, pc, failed);
            if (failed || !run.Push(set != nullptr ? set->m_Value : SharedNull(), pc)) {
                return 0;
            }
            break;
        }
        case MOA_OPC_PUSH_VARARY: {
            if (!run.HasOne(pc)) {
                return 0;
            }
            const std::int32_t index = run.Pop().ToInt();
            const std::u16string name = operand1.ToString();
            bool failed = false;
            GxMoaVariableSet* set = run.FindOrDeclare(name, index, pc, failed);
            if (failed) {
                return 0;
            }
            const GxMoaVariable* value = set != nullptr ? set->m_Value.GetElement(index) : nullptr;
            if (!run.Push(value != nullptr ? *value : SharedNull(), pc)) {
                return 0;
            }
            break;
        }
        case MOA_OPC_CALL_BUILTIN: {
            if (binder == nullptr) {
                run.Report(true, pc, u"OPC_CALL_BUILTIN 組み込み関数ポインタが設定されていません");
                return 0;
            }
            if (!run.HasOne(pc)) {
                return 0;
            }
            const auto count = static_cast<std::int32_t>(run.Pop().ToInt64());
            if (count < 0) {
                run.Report(true, pc, u"Exec_Opcode 不正な演算コードです");
                return 0;
            }
            if (static_cast<std::size_t>(count) > run.Stack().size()) {
                run.Report(false, pc, u"Exec_IsValueLastOne 計算スタックに必要なパラメータが積まれていません");
                return 0;
            }
            GxMoaVariable args;
            args.MakeArray(count);
            for (std::int32_t i = count - 1; i >= 0; --i) {
                args.SetElement(i, run.Pop());
            }
            const std::u16string name = operand2.ToString();
            GxMoaVariable result;
            if (!binder->CallFunction(name, operand1.ToInt64(), args, worker, entity, &stack, result)) {
                if (moa != nullptr) {
                    moa->Error(ScriptNameOf(entity), run.TopLine(), u"%s[builtin:%s]",
                               u"関数実行時にエラーが発生したので停止します", name.c_str());
                }
                return 0;
            }
            // A return or exit inside the expression removed the element: the statement is done.
            if (!run.Alive()) {
                return 1;
            }
            if (!run.Push(result, pc)) {
                return 0;
            }
            break;
        }
        case MOA_OPC_ARRAYINIT: {
            if (!run.HasOne(pc)) {
                return 0;
            }
            const auto count = static_cast<std::int32_t>(run.Pop().ToInt64());
            if (count < 0 || count > kMoaMaxArrayElements) {
                run.Report(true, pc, u"Exec_Opcode 不正な演算コードです");
                return 0;
            }
            if (static_cast<std::size_t>(count) > run.Stack().size()) {
                run.Report(false, pc, u"Exec_IsValueLastOne 計算スタックに必要なパラメータが積まれていません");
                return 0;
            }
            GxMoaValueExtent extent{count, 1};
            for (std::size_t i = run.Stack().size() - static_cast<std::size_t>(count); i < run.Stack().size(); ++i) {
                const GxMoaValueExtent inner = run.Stack()[i].MeasureExtent();
                extent.m_Elements += inner.m_Elements;
                extent.m_Depth = std::max(extent.m_Depth, inner.m_Depth + 1);
            }
            if (!ReportArrayLimits(run, pc, extent, 0)) {
                return 0;
            }
            GxMoaVariable array;
            array.MakeArray(count);
            for (std::int32_t i = count - 1; i >= 0; --i) {
                array.SetElement(i, run.Pop());
            }
            if (!run.Push(array, pc)) {
                return 0;
            }
            break;
        }
        case 27:
        case 28:
        case 32:
        case 35: {
            if (!run.HasOne(pc)) {
                return 0;
            }
            GxMoaVariable value = run.Pop();
            if (opcode == 28) {
                value.Negate();
            } else if (opcode == 32) {
                value.BitNot();
            } else if (opcode == 35) {
                value.LogicalNot();
            }
            if (!run.Push(value, pc)) {
                return 0;
            }
            break;
        }
        default:
            if (IsBinary(opcode)) {
                if (!run.HasTwo(pc)) {
                    return 0;
                }
                const GxMoaVariable right = run.Pop();
                const GxMoaVariable left = run.Pop();
                if (opcode == 22 && !ReportTextLimit(run, pc, left.TextSize(), right.TextSize())) {
                    return 0;
                }
                GxMoaVariable out;
                ApplyBinary(opcode, left, right, out);
                if (!run.Push(out, pc)) {
                    return 0;
                }
            } else if (!ExecAssignment(run, opcode, pc, operand1, operand2.ToString())) {
                return 0;
            }
            break;
        }

        run.element->m_OpcodePos += length;
        if (run.element->m_OpcodePos >= static_cast<std::int32_t>(run.element->m_OpcodeList.size())) {
            return 1;
        }
    }
}

bool GxMoa::Eval_Token(GxMoa* moa, GxMoaVariable* result, GxMoaFunctionBinder* binder, GxMoaWorker* worker,
                       GxMoaRunPos start, GxMoaRunPos* end, bool warn)
{
    if (worker == nullptr || !worker->IsRunning()) {
        if (moa != nullptr) {
            moa->Error(u"*", -1, u"%s", u"GxMoa::Eval_Token 実行中ではないWorkerを計算しようとしました");
            moa->SetErrorStop(true);
        }
        return false;
    }
    GxMoaExecStackElement& element = worker->GetExecStack().back();
    GxMoaScriptEntity* entity = element.m_RunPos.m_pEntity;
    element.ResetOpcodeList();
    worker->GetValueStack().clear();
    GxMoaRunPos cursor = start;
    const bool compiled = Phase_Expr(entity != nullptr ? entity->m_pScript : nullptr, element.m_OpcodeList, cursor);
    if (compiled && end != nullptr) {
        *end = cursor;
    }
    if (!compiled) {
        if (moa != nullptr) {
            moa->SetErrorStop(true);
        }
        return false;
    }
    if (Exec_Opcode(binder, entity, moa, worker, warn) != 1) {
        if (moa != nullptr) {
            moa->SetErrorStop(true);
        }
        return false;
    }
    if (result != nullptr) {
        const std::vector<GxMoaVariable>& values = worker->GetValueStack();
        if (values.size() == 1) {
            *result = values.front();
        } else {
            result->Clear();
        }
    }
    return true;
}
