// The declaration parser of effect source: what an effect holds (parameters, their members and
// annotations, techniques with their passes), read from the preprocessor's tokens.
//
// Only declarations are read. Initialisers keep the values of their literal constant
// components (anything else reads as 0); function bodies, pass state blocks, sampler states
// and shader compile expressions are skipped by bracket matching. Globals declared `static`
// are internal to the effect and are not parameters.
#pragma once

#include "platform/d3d9/d3dx_effect.h"
#include "platform/d3d9/fx_preprocessor.h"

#include <string>
#include <vector>

namespace platform::d3dx::fx {

// A parameter, a struct member or an annotation.
struct FxParameter {
    std::string name;
    std::string semantic;
    std::string location;   // "file(line,column)" of the declaration, for messages
    D3DXPARAMETER_CLASS parameterClass = D3DXPC_SCALAR;
    D3DXPARAMETER_TYPE type = D3DXPT_FLOAT;
    UINT rows = 1;
    UINT columns = 1;
    UINT elements = 0;
    DWORD flags = 0;
    UINT bytes = 0;
    std::vector<FxParameter> members;
    std::vector<FxParameter> annotations;
    // The initial value of a numeric parameter that is not an array, one per component,
    // row by row; empty for the others.
    std::vector<double> values;
};

struct FxTechnique {
    std::string name;   // empty for an unnamed technique
    UINT passes = 0;
    std::vector<FxParameter> annotations;
};

struct FxLayout {
    std::vector<FxParameter> parameters;
    std::vector<FxTechnique> techniques;
    UINT functions = 0;
};

// Reads the whole source. False when it is not a valid effect: the message is the
// preprocessor's Error().
bool ParseEffect(Preprocessor& source, FxLayout& layout);

}  // namespace platform::d3dx::fx
