#include "media/movie_slots.h"

#include "foundation/log.h"
#include "media/movie_player.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/win32/com.h"

namespace {

GxMoviePlayerBase* g_Slots[kMovieSlots] = {};
int g_ComCount = 0;

// The slot's entry, or null for a number outside the table.
GxMoviePlayerBase** Slot(int slot)
{
    return slot >= 0 && slot < kMovieSlots ? &g_Slots[slot] : nullptr;
}

}  // namespace

bool MovieInitCom()
{
    for (GxMoviePlayerBase*& player : g_Slots) player = nullptr;
    g_ComCount = 0;
    // The filter graph and its decoders are classes of the DirectShow layer, made known here.
    platform::RegisterDshowClasses();
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        g_ComCount = 1;
        return true;
    }
    if (hr == RPC_E_CHANGED_MODE) {
        // Movies then use the thread's own mode; shut-down must not undo it.
        LogPrintWarning(u"Warning/GxMovie COMは別のスレッドモードで初期化済みです(hr=%x)\n", static_cast<unsigned>(hr));
        return true;
    }
    LogPrint(u"Error/GxMovie CoInitializeEx Failed(hr=%x)\n", static_cast<unsigned>(hr));
    return false;
}

bool MovieSlotOpen(int slot, const std::u16string& fileName, GxTextureMovie* texture, std::int32_t number,
                   std::int32_t flag)
{
    GxMoviePlayerBase** entry = Slot(slot);
    if (!entry) return false;
    MovieSlotClose(slot);
    auto* player = new GxMoviePlayerFile;
    const bool opened = player->Open(fileName, texture, number, flag != 0);
    *entry = player;
    return opened;
}

void MovieSlotClose(int slot)
{
    GxMoviePlayerBase** entry = Slot(slot);
    if (!entry || !*entry) return;
    (*entry)->Close();
    delete *entry;
    *entry = nullptr;
}

bool MovieSlotPlay(int slot, std::int32_t loopCount, std::int32_t volume)
{
    GxMoviePlayerBase* player = MovieSlotGetPlayer(slot);
    return player ? player->Play(loopCount, volume) : false;
}

bool MovieSlotStop(int slot)
{
    GxMoviePlayerBase* player = MovieSlotGetPlayer(slot);
    return player ? player->Stop() : false;
}

bool MovieSlotStopAll()
{
    for (GxMoviePlayerBase* player : g_Slots)
        if (player) player->Stop();
    return true;
}

bool MovieSlotSetPosition(int slot, double seconds)
{
    GxMoviePlayerBase* player = MovieSlotGetPlayer(slot);
    if (!player) return false;
    player->SetPosition(seconds);
    return true;
}

double MovieSlotGetPosition(int slot)
{
    GxMoviePlayerBase* player = MovieSlotGetPlayer(slot);
    return player ? player->GetPosition() : 0.0;
}

std::int32_t MovieSlotGetLoopCount(int slot)
{
    GxMoviePlayerBase* player = MovieSlotGetPlayer(slot);
    return player ? player->GetLoopCount() : 0;
}

void MovieSlotSetLoopStart(int slot, double seconds)
{
    if (GxMoviePlayerBase* player = MovieSlotGetPlayer(slot)) player->SetLoopStart(seconds);
}

bool MovieSlotTickAll()
{
    for (GxMoviePlayerBase* player : g_Slots)
        if (player) player->Update();
    return true;
}

void MovieShutdown()
{
    for (int slot = 0; slot < kMovieSlots; ++slot) MovieSlotClose(slot);
    if (g_ComCount != 0) {
        CoUninitialize();
        --g_ComCount;
    }
}

GxMoviePlayerBase* MovieSlotGetPlayer(int slot)
{
    GxMoviePlayerBase** entry = Slot(slot);
    return entry ? *entry : nullptr;
}
