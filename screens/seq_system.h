// SeqSystem: the resident sequence, built once at start-up and made the root of the task tree, so
// its widgets lie over every screen and its listeners see every event first. It owns the
// shut-down dialog, the user dialog (a question any screen or the script asks), the system and
// user notices, the loading icon, the help tip, the developer keys, the per-frame music restraint
// while a voice plays, and the debug status line.
#pragma once

#include "core/debug_statistics.h"
#include "core/seq_base.h"
#include "core/system_dialog_host.h"
#include "data/save_records.h"
#include "graphics/gdi_font_map.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class GxCore;
class GxTaskUIBase;
class GxTaskUINoticePanelFx;

// Module rows the dialogs and panels are built from.
constexpr std::int32_t kNoticeShowTime = 2500;
constexpr std::int32_t kSystemNoticeSound = 7;
constexpr std::int32_t kUserNoticeSound = 8;
constexpr std::int32_t kRestraintStep = 4;

class SeqSystem : public GxSeqBase, public GxSystemDialogHost {
public:
    explicit SeqSystem(GxTaskBase* owner);
    ~SeqSystem() override;

    // The restraint (pass 0 only), the notices, the loading icon, then the queued UI events.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // The tenth render list, that list's own draw mode, depth 0, tag -1.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // The debug status line at (0, 0) in a nested scene, when ShouldDrawDebugStatusLine says so.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    int OnKeyDown(WPARAM key, LPARAM flags) override;
    // Opens the shut-down dialog and keeps the window; while it is open the window closes.
    int OnWindowClose() override;
    // The shut-down dialog's buttons.
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    // Each asks the sequence in worker slot 0; true when the slot is empty.
    bool IsWidgetInputAllowed(GxTaskUIBase* widget, std::uint8_t ignore) override;
    bool IsWidgetActive(GxTaskUIBase* widget) override;
    bool IsScriptRunnable() override;
    bool IsUIHoldClear1() override;
    bool IsUIHoldClear2() override;
    bool IsUIHoldClear3() override;

    // ---- GxSystemDialogHost
    const std::u16string& GetUserDialogTag() const override { return m_UserDialogTag; }
    GxSeqBase* GetUserDialogOpener() const override { return m_UserDialogRequester; }
    void CloseShutdownDialog(bool playSound) override;
    void CloseUserDialog(bool playSound) override;
    void ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string& text,
                        std::int32_t buttonSet) override;
    bool IsShutdownDialogActive() const override;
    void PostSystemNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                          std::uint32_t textColor) override;
    void PostUserNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                        std::uint32_t textColor) override;

    bool IsUserDialogActive() const;
    void ShowShutdownDialog();
    // Empties the user notice queue and ends a visible user notice at once.
    void ClearUserNotices();

    // "DebugConsoleFlag"; else an error was logged, unless "SkipSlightError" is set while the
    // script instance has not stopped on an error.
    bool ShouldDrawDebugStatusLine() const;
    // F1 and F2: the main worker's or the script instance's variables into the save folder.
    void DumpWorkerVariables();
    void DumpInstanceVariables();

    const std::u16string& GetShutdownDialogTag() const { return m_ShutdownDialogTag; }
    const std::deque<GxNoticeParam>& GetSystemNotices() const { return m_SystemNotices; }

    // Set while the load, save or configuration screen is current: user notices wait.
    bool m_NoticeHold = false;
    // The debug glyph cache: the default face at the default size, which is the line height.
    GxGDIFontMap m_DebugFont;
    // Zeros until the screens count anything.
    GxDebugStatistics m_Statistics;

private:
    GxCore* Core() const;
    GxSeqBase* SlotZero() const;
    void BuildWidgets();
    GxTaskUIBase* MakeWidget(GxTaskBase* parent, const char16_t* moduleName, const char16_t* name, std::int32_t index,
                             bool logMissing);
    // Resets the dialog's event states, raises the open-dialog count (once) and makes it the
    // dialog's modal priority, then activates it.
    void OpenDialog(GxTaskUIBase* dialog);
    void CloseDialog(GxTaskUIBase* dialog, bool playSound);
    void UpdateRestraint();
    void UpdateNotices();
    void UpdateLoadingIcon();
    void ToggleScreenMode();
    void OpenScriptInEditor();
    void WriteDump(const char16_t* fileName, bool instance);
    // What the status line shows, in short: a change of it is a change of the picture.
    std::u16string StatusLineSignature() const;

    GxTaskUIBase* m_ShutdownDialog = nullptr;
    GxTaskUIBase* m_UserDialog = nullptr;
    GxTaskUIBase* m_UserButtons[5] = {};   // yes, no, OK (0), cancel, OK (1)
    GxTaskUIBase* m_LoadingIcon = nullptr;
    GxTaskUIBase* m_HelpTip = nullptr;
    GxTaskUINoticePanelFx* m_SystemNoticePanel = nullptr;
    GxTaskUINoticePanelFx* m_UserNoticePanel = nullptr;

    std::u16string m_UserDialogTag;
    GxSeqBase* m_UserDialogRequester = nullptr;
    std::u16string m_ShutdownDialogTag;
    std::deque<GxNoticeParam> m_SystemNotices;
    std::vector<std::u16string> m_MissingRows;   // logged at construction
    std::u16string m_StatusLineSignature;
};
