// What the dialogs that choose one line of a list share: an action button (the
// default), disabled until a line is chosen, that takes the chosen line and
// ends the dialog with IDOK; Enter with no line chosen only beeps; the action
// and Cancel buttons fitted to their translated texts.
#pragma once

#include <windows.h>

#include "framework/Controls.h"
#include "framework/Dialog.h"

// Widens or narrows the two buttons to the larger of their texts plus 20
// pixels, keeping the Cancel button's right edge.
void FitDialogButtons(HWND dialog, HWND actionButton, HWND cancelButton);

class CChooseLineDlg : public fw::CDialog {
protected:
    struct Controls {
        int listId;
        int actionId;
        bool doubleClickChooses;  // a double-click on a line acts as the action button
    };
    CChooseLineDlg(UINT templateId, Controls controls) : fw::CDialog(templateId), controls_(controls) {}

    // From OnInitDialog, once the buttons carry their texts: finds the
    // controls and fits the two buttons.
    void SetUpChoice();
    bool OnNotify(int controlId, UINT code) override;
    void OnOK() override;
    // Takes line `line` of the list just before the dialog ends with IDOK;
    // false when the line is no choice, and the dialog stays.
    virtual bool TakeChoice(int line) = 0;

    fw::CListBox list_;
    fw::CButton action_;
    fw::CButton cancel_;

private:
    void Choose();
    Controls controls_;
};
