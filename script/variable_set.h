// GxMoaVariableSet: one named script variable with its scope code.
#pragma once

#include "script/variable.h"

#include <cstdint>
#include <string>

class GxMoaVariableSet {
public:
    GxMoaVariableSet() = default;
    GxMoaVariableSet(std::u16string name, std::int32_t scope, const GxMoaVariable& value)
        : m_Value(value), m_Scope(scope), m_Name(std::move(name))
    {
    }
    virtual ~GxMoaVariableSet() = default;
    GxMoaVariableSet(const GxMoaVariableSet&) = default;
    GxMoaVariableSet& operator=(const GxMoaVariableSet&) = default;
    GxMoaVariableSet(GxMoaVariableSet&&) = default;
    GxMoaVariableSet& operator=(GxMoaVariableSet&&) = default;

    // The value record, "m_Scope", "m_Name".
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    GxMoaVariable m_Value;
    std::int32_t m_Scope = 0;
    std::u16string m_Name;
};
