#include "script/dump_line.h"

#include "foundation/wide_string.h"
#include "script/moa_names.h"
#include "script/variable.h"

#include <cstdint>

std::u16string DumpVariableLine(const char16_t* name, const GxMoaVariable& value, int depth)
{
    std::u16string line;
    for (int i = 0; i < depth; ++i) {
        line += u"  ";
    }
    if (name != nullptr) {
        line += u"$";
        line += name;
    }
    const std::uint32_t type = value.GetType();
    switch (type) {
    case MOA_VALUE_INT:
    case MOA_VALUE_FLOAT:
        line += FormatWide(u"=%s(%s)\n", value.ToString().c_str(), GxMoaVariable::GetValueTypeName(type).c_str());
        break;
    case MOA_VALUE_STR:
        line += FormatWide(u"=\"%s\"(%s)\n", value.ToString().c_str(), GxMoaVariable::GetValueTypeName(type).c_str());
        break;
    case MOA_VALUE_ARRAY: {
        const std::int32_t count = value.ArraySize();
        line += FormatWide(u"[%d]=(Array)\n", count);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::u16string elementName = FormatWide(u"[%d]", i);
            line += DumpVariableLine(elementName.c_str(), value.GetArg(i), depth + 1);
        }
        break;
    }
    case MOA_VALUE_NULL: line += u"=Null\n"; break;
    case MOA_VALUE_OPCODE: {
        const std::int64_t number = value.GetRawBits();
        const std::int32_t opcode = (number >= INT32_MIN && number <= INT32_MAX) ? static_cast<std::int32_t>(number) : -1;
        line += FormatWide(u"=%s(%s)\n", GetOpcodeName(opcode).c_str(), u"Opcode");
        break;
    }
    default: line += u"=Unknown\n"; break;
    }
    return line;
}
