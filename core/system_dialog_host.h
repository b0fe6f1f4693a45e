// GxSystemDialogHost: the system dialogs that a screen opens, closes when it is left and whose
// user dialog answers it handles. The resident system sequence implements it; the sequence base
// and the game module find it on the task manager's system sequence.
#pragma once

#include <cstdint>
#include <string>

class GxSeqBase;

class GxSystemDialogHost {
public:
    virtual ~GxSystemDialogHost() = default;

    // Set when the user dialog is opened, e.g. "SeqAvgMain_USERDIALOG".
    virtual const std::u16string& GetUserDialogTag() const = 0;
    // The sequence that opened the user dialog.
    virtual GxSeqBase* GetUserDialogOpener() const = 0;
    virtual void CloseShutdownDialog(bool playSound) = 0;
    virtual void CloseUserDialog(bool playSound) = 0;
    // Opens the user dialog "dlg_user" with the text; the requester receives the button events.
    // Button set 2: OK and Cancel, 3: Yes and No, any other: one OK.
    virtual void ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string& text,
                                std::int32_t buttonSet) = 0;
    // True while the shut-down dialog "dlg_shutdown" is shown.
    virtual bool IsShutdownDialogActive() const = 0;
    // Queue a notice for 2500 ms: a system notice goes before any user notice; a user notice is
    // kept in the game data (saved with it) and waits while a menu screen holds notices back.
    virtual void PostSystemNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                                  std::uint32_t textColor) = 0;
    virtual void PostUserNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                                std::uint32_t textColor) = 0;
};
