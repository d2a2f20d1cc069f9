#pragma once

// The settings window (dialog 135): the options the filter service reads from the settings
// key (the bubble notice and its vibration, red-list-only, rejecting non-contacts, the
// anti-theft check) and the buttons of the XML export and import. The settings are read
// when the window opens and written only on confirm; the export and import act at once.

#include "platform/gui/boxes.h"
#include "platform/gui/dialog.h"

class CSettingsDlg : public CDialog {
public:
    explicit CSettingsDlg(CWnd* parent = nullptr);

    static constexpr int kNoticeTextLimit = 7;

    int m_redOnly = 0;           // check box 1024, "REDONLY"
    int m_vibrate = 0;           // check box 1025, presence of "SENDFLAG"
    int m_bubble = 0;            // check box 1026, "POPOMSG"
    CString m_noticeText;        // edit 1027, "POPOCONTENT"
    int m_rejectNonContacts = 0; // check box 1031, "contacts"
    CString m_antiTheftNumber;   // edit 1033, data of "DOG"
    int m_antiTheft = 0;         // check box 1032, presence of "DOG"
    CString m_vibrationLength;   // combo box 1035, data of "SENDFLAG"

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

private:
    void LoadSettings();
    void SaveSettings();
    void OnExportLists();
    void OnExportMessages();
    void OnImportLists();
    void OnImportMessages();

    CComboBox m_lengthBox;
    CString m_shownNoticeText; // the notice text as the window opened with it
};
