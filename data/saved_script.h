// The script engine whose variables and main-worker stacks the saved game and the persistent
// flags carry: the engine's one instance and its main worker "MAIN_WORKER". The script set-up
// registers them and unregisters them before they go. While none is registered, a file is
// written and read over an empty instance and worker, so that its layout stays the same.
#pragma once

#include <memory>

class GxMoa;
class GxMoaWorker;

// Not owned; both null unregisters.
void SetSavedDataScript(GxMoa* moa, GxMoaWorker* mainWorker);

// The registered pair for the span of one save or load, or an empty pair of its own.
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
