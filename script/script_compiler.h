// Runs the outside script compiler over "scripts" into "bincode" and waits for it.
#pragma once

// The compiler's exit code, or 1 when it could not be started.
int CompileScripts();
