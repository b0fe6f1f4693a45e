#include "avg/avg_builtin.h"

void AvgBuiltin::RegisterBuiltins(GxMoaFunctionBinder*) {}
