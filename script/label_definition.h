// GxMoaLabelDefinition: a jump label of the compiled program: name, where it stands, scope.
// Names that begin with "@" belong to one script's own label list.
#pragma once

#include "script/run_pos.h"

#include <cstdint>
#include <string>

class GxMoaLabelDefinition {
public:
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    std::u16string m_Name;
    GxMoaScriptPos m_Position;
    std::int32_t m_Scope = 0;
};
