// GxSystemDialogHost: the system dialogs that a screen closes when it is left and whose user
// dialog answers it handles. The resident system sequence implements it; the sequence base finds
// it on the task manager's system sequence.
#pragma once

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
};
