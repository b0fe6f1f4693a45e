// GxMoaVariableDefinition: a declared variable of the compiled program: name, array size (-1 for
// a plain variable), scope, initial value, and where it is declared.
#pragma once

#include "script/variable.h"

#include <cstdint>
#include <string>

class GxMoaVariableDefinition {
public:
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    std::u16string m_Name;
    std::int32_t m_ArraySize = -1;
    std::int32_t m_Scope = 0;
    GxMoaVariable m_Value;
    std::u16string m_ScriptName;
    std::int32_t m_Line = 0;
};
