#pragma once

// The password box (dialog 133): sets a new password (mode 0: two entries that must match)
// or checks one (mode 1) against the main and the backup password. A keypad types into the
// entry that last had the input focus.

#include "platform/gui/dialog.h"

class CPasswordDlg : public CDialog {
public:
    enum Mode { kSet = 0, kCheck = 1 };
    enum Outcome { kDirectView = 0, kBackupPassword = 1, kMainPassword = 2 };

    CPasswordDlg();

    int m_mode = kSet;
    int m_outcome = kDirectView;
    int m_focusedEntry = 0; // 0 none yet, 1 the first entry (1014), 2 the second (1003)
    CString m_firstEntry;
    CString m_secondEntry;
    CString m_storedPassword;
    CString m_redEntry;     // the red-list entry the direct view found
    CString m_redEntryName; // and the name it was found under

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

private:
    void OnDigit(int id);
    void OnBackspace();
    void OnFirstEntryFocus();
    void OnSecondEntryFocus();
    CString* FocusedEntry();
    void ConfirmNewPassword();
    void CheckPassword();
    // Opens the private messages of a red-list number typed behind the backup password's
    // length of characters; false when none is on the red list.
    bool ShowDirectView(const CString& backup);
};
