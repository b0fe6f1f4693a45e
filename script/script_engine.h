// The script engine's four process-wide objects: the script instance, the main worker
// "MAIN_WORKER", the default builtins and the builtin binder. The game start-up makes them and
// loads "bincode/moacode.mwb"; they live until the game reset destroys them.
#pragma once

class GxCore;
class GxMoaBuiltinDefault;
class GxMoaEx;
class GxMoaFunctionBinder;
class GxMoaWorker;

// Destroys any engine first, then makes the instance, the main worker over it, the default
// builtins and an empty binder, and binds the 48 default builtins before anything else can.
void CreateScriptEngine(GxCore* core);
// Deletes, each only when present: the binder (with its delegates), the default builtins, the
// main worker, the instance; each reference is cleared.
void DestroyScriptEngine();
// Reads "bincode/moacode.mwb" into the instance, then builds the EXTERN_ variables and the main
// worker's GLOBAL_ variables and script entities. False, with a log line, when the file is
// missing, of an old form, has a foreign header or cannot be read completely.
bool LoadScriptBinary();

// Null outside CreateScriptEngine .. DestroyScriptEngine.
GxMoaEx* GetScriptInstance();
GxMoaWorker* GetMainWorker();
GxMoaBuiltinDefault* GetDefaultBuiltins();
GxMoaFunctionBinder* GetFunctionBinder();

// What CreateScriptEngine makes. A test puts makers of its own to watch the order of creation
// and deletion; null restores the engine's own.
struct GxScriptEngineMakers {
    GxMoaEx* (*MakeInstance)();
    GxMoaWorker* (*MakeWorker)(GxMoaEx* instance, GxCore* core);
    GxMoaBuiltinDefault* (*MakeBuiltins)();
    GxMoaFunctionBinder* (*MakeBinder)();
};
void SetScriptEngineMakers(const GxScriptEngineMakers* makers);
