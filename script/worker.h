// GxMoaWorker: the part of a script worker that the script entities reach: its own variable
// table (the GLOBAL_ variables). The worker's run position, exec stack and stepping build on it.
#pragma once

#include "script/variable_table.h"

class GxMoaWorker {
public:
    virtual ~GxMoaWorker() = default;

    GxMoaVariableTable& GetVariableTable() { return m_Variables; }
    const GxMoaVariableTable& GetVariableTable() const { return m_Variables; }

protected:
    GxMoaVariableTable m_Variables{3};   // variables it creates itself are GLOBAL_INGAME
};
