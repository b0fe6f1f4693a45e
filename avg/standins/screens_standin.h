// Stand-ins for the game's screens until they are built: the resident system sequence
// "SeqSystem" and the screens as empty sequences that record when they enter and leave their
// worker slot.
#pragma once

#include "core/debug_statistics.h"
#include "core/seq_base.h"
#include "core/system_dialog_host.h"
#include "graphics/gdi_font_map.h"

#include <cstdint>
#include <string>

// An empty screen: clears the target in render list 0 like every sequence.
class GxStandinScreen : public GxSeqBase {
public:
    GxStandinScreen(GxTaskBase* owner, const char16_t* name);

    // Records "Enter <name>"; the boot and title screens also call the modules' boot/title hook.
    void OnSequenceEnter(std::int32_t worker) override;
    // Records "Leave <name>".
    void OnSequenceLeave(std::int32_t worker) override;
};

// The boot screen until the game's own: once its worker slot is ready (a request made while its
// own change is pending would be refused), it starts a new game as the title's start button
// will: the game state reset, then the script at "MAIN" on the play screen. A program without
// "MAIN" leaves the game on this screen.
class GxBootStandinScreen : public GxStandinScreen {
public:
    explicit GxBootStandinScreen(GxTaskBase* owner);

    void OnSequenceEnter(std::int32_t worker) override;
    int Update(std::int32_t step, std::uint64_t elapsed) override;

private:
    bool m_StartPending = false;
};

// One request for the user dialog, as the stand-in system sequence keeps it.
struct GxUserDialogRequest {
    std::u16string m_Identifier;
    GxSeqBase* m_Requester = nullptr;
    std::u16string m_Text;
    std::int32_t m_ButtonSet = 0;
};

// The resident system sequence: walked first by input and last by update and render; queues
// itself into render list 9 with value -1 and draws the script engine's debug status line there.
// It has no dialogs yet: a user dialog request is written to "debug.log" and recorded, opens
// nothing and leaves the open-dialog count alone, so no script waits for an answer nobody can give.
class SeqSystem : public GxSeqBase, public GxSystemDialogHost {
public:
    explicit SeqSystem(GxTaskBase* owner);
    ~SeqSystem() override;

    // The identifier and requester of the last request; empty and null before the first.
    const std::u16string& GetUserDialogTag() const override { return m_UserDialogTag; }
    GxSeqBase* GetUserDialogOpener() const override { return m_UserDialogOpener; }
    // Nothing is open, so nothing closes; the user dialog forgets its requester.
    void CloseShutdownDialog(bool) override {}
    void CloseUserDialog(bool) override { m_UserDialogOpener = nullptr; }
    void ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string& text,
                        std::int32_t buttonSet) override;
    bool IsShutdownDialogActive() const override { return m_ShutdownDialogActive; }

    // The last user dialog request and the number of requests so far.
    const GxUserDialogRequest& GetLastUserDialogRequest() const { return m_LastUserDialogRequest; }
    std::int32_t GetUserDialogRequestCount() const { return m_UserDialogRequestCount; }
    // What IsShutdownDialogActive answers; tests set it.
    void SetShutdownDialogActiveForTesting(bool active) { m_ShutdownDialogActive = active; }

    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // The debug status line at (0, 0) in a nested scene, when ShouldDrawDebugStatusLine says so.
    int Draw(std::int32_t value, std::int32_t listIndex) override;

    // "DebugConsoleFlag" of "setting.ini"; else an error was logged, unless "SkipSlightError" is
    // set while the script instance has not stopped on an error.
    bool ShouldDrawDebugStatusLine() const;

    // The debug glyph cache: the default face at the default size, which is the line height.
    GxGDIFontMap m_DebugFont;
    // Zeros until the screens count anything.
    GxDebugStatistics m_Statistics;

private:
    std::u16string m_UserDialogTag;
    GxSeqBase* m_UserDialogOpener = nullptr;
    GxUserDialogRequest m_LastUserDialogRequest;
    std::int32_t m_UserDialogRequestCount = 0;
    bool m_ShutdownDialogActive = false;
};

// Names of the game's screens, built by CreateStandinScreens in this order after SeqSystem.
extern const char16_t* const kStandinScreenNames[12];

// Builds "SeqSystem" and the game's screens under the owner; returns the system sequence.
SeqSystem* CreateStandinScreens(GxTaskBase* owner);
