// GxMoaBuiltinDefinition: a builtin the compiled program names (lower case). The three numbers
// are the compiler's own and are only carried.
#pragma once

#include <cstdint>
#include <string>

class GxContentReaderBase;
class GxContentWriterBase;

class GxMoaBuiltinDefinition {
public:
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    std::u16string m_Name;
    std::int32_t m_BuiltinIndex = -1;
    std::int32_t m_RelatedIndex = -1;
    std::int32_t m_BuiltinType = 1;
};
