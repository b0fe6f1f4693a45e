// Stand-ins for the engine core and the neighbours the task tree reads, until they are built:
// GxCore holds only the fields the task tree, the render lists and the sequences use;
// GxUIManage, GxSystemConfig and GxUserData hold only the fields read or written here.
// The real classes replace these under the same names.
#pragma once

#include "core/module_list.h"
#include "core/task_render_manage.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>

class GxTaskManage;
class GxSharedAssetManage;
class GxWidgetServicesBase;

// The UI state: the open-dialog counter and four UI hold counters (0 means no hold).
class GxUIManage {
public:
    std::int32_t m_DialogCount = 0;
    std::int32_t m_UIHold[4] = {0, 0, 0, 0};
};

// The game configuration fields read by the screens.
class GxSystemConfig {
public:
    DWORD m_ClearColor = 0xFF000000;     // every screen's clear colour
    std::int32_t m_TransitTime = 400;    // milliseconds of an entering screen's fade
};

// The current saved game, as far as the screens touch it.
class GxUserData {
public:
    const std::u16string& GetRestoreSequence() const { return m_RestoreSequence; }

    std::int32_t m_UserDialogAnswer = 0;   // 1 yes/ok, 0 no/cancel
    std::u16string m_RestoreSequence;
};

class GxCore {
public:
    static constexpr std::int32_t kRenderSetCount = 2;

    GxCore() = default;
    virtual ~GxCore() = default;
    GxCore(const GxCore&) = delete;
    GxCore& operator=(const GxCore&) = delete;

    static GxCore* GetInstance();

    // List n (0 to 9) of the current render set; null for any other n.
    GxTaskRenderManage* GetRenderList(std::int32_t n);
    // Empties the ten lists of the current set.
    void ClearRenderLists();
    // Draws lists 0 to 9 of the current set in index order.
    void DrawRenderLists();
    // After a saved game was loaded: the modules choose first, else slot 0 switches to the game
    // data's restore sequence. Always 0.
    std::int32_t ChangeSequenceByName();

    // Not owned by the stand-in: whoever builds the core sets and deletes them.
    GxTaskManage* m_TaskManage = nullptr;
    GxUIManage* m_UIManage = nullptr;
    GxSystemConfig* m_SystemConfig = nullptr;
    GxUserData* m_UserData = nullptr;
    GxSharedAssetManage* m_SharedAssets = nullptr;
    GxWidgetServicesBase* m_WidgetServices = nullptr;
    // The game modules, filled by game start-up; never owned.
    GxModuleList m_ModuleList;
    // Entry set * 10 + n.
    GxTaskRenderManage m_RenderLists[kRenderSetCount * kRenderListCount];
    std::int32_t m_RenderSet = 0;
};

// Stand-in for the device clear of the graphics layer: one clear of the whole viewport when rect
// is null. False without a device, which here means: no clear handler was installed.
bool ClearTarget(DWORD flags, DWORD color, float z, DWORD stencil, const RECT* rect);
using GxClearTargetHandler = bool (*)(DWORD flags, DWORD color, float z, DWORD stencil, const RECT* rect);
// Installs the function ClearTarget forwards to (null: none); returns the previous one.
GxClearTargetHandler SetClearTargetHandler(GxClearTargetHandler handler);
