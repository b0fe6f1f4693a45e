// Why a call was refused, for the developer: written to the debugger output (stderr when
// TARNWICK_DEBUG_OUTPUT is set), as the Direct3D debug runtime would.
#pragma once

namespace platform::d3d9 {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform::d3d9
