// The script engine whose variables and main-worker stacks the saved game and the persistent
// flags carry: the engine's one instance and its main worker "MAIN_WORKER" (script/script_engine.h),
// looked up afresh for each save or load, since the game reset destroys and remakes them. While
// the engine does not exist, a file is written and read over an empty instance and worker, so
// that its layout stays the same.
#pragma once

#include <memory>

class GxMoa;
class GxMoaWorker;

// Puts another pair in the engine's place (tests and fuzz targets, which run no engine); not
// owned. Both null goes back to the engine's own.
void SetSavedDataScript(GxMoa* moa, GxMoaWorker* mainWorker);

// The pair in use for the span of one save or load: a substituted pair, else the engine's,
// else an empty pair of its own.
class GxSavedDataScript {
public:
    GxSavedDataScript();
    ~GxSavedDataScript();
    GxSavedDataScript(const GxSavedDataScript&) = delete;
    GxSavedDataScript& operator=(const GxSavedDataScript&) = delete;

    GxMoa& Moa() { return *m_Moa; }
    GxMoaWorker& MainWorker() { return *m_Worker; }

private:
    std::unique_ptr<GxMoa> m_OwnMoa;
    std::unique_ptr<GxMoaWorker> m_OwnWorker;
    GxMoa* m_Moa = nullptr;
    GxMoaWorker* m_Worker = nullptr;
};
