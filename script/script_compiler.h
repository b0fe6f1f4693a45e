// Runs the outside script compiler "moacgui.exe" over "scripts" into "bincode" and waits for it.
#pragma once

#include <string>

// "<full path of moacgui.exe>" "<current folder>/scripts" "<current folder>/bincode" -a -mc,
// every path quoted.
std::u16string BuildCompilerCommandLine();
// The compiler's exit code, or 1 when it could not be started. Blocks until the compiler ends.
int CompileScripts();
