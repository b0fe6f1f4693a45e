#include "script/game_worker_host.h"

namespace {

GxGameWorkerHostBase* g_GameWorkerHost = nullptr;

}  // namespace

GxGameWorkerHostBase* SetGameWorkerHost(GxGameWorkerHostBase* host)
{
    GxGameWorkerHostBase* previous = g_GameWorkerHost;
    g_GameWorkerHost = host;
    return previous;
}

GxGameWorkerHostBase* GetGameWorkerHost()
{
    return g_GameWorkerHost;
}
