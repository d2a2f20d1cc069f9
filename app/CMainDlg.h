#pragma once

// The main window (dialog 102): after the password gate, one of the two number lists with
// the entries to add a number, the switch between the lists, the firewall switch and the
// commands of the menu bar. A watcher keeps the list on view current while the filter
// service stores messages.

#include "platform/gui/dialog.h"
#include "platform/gui/winapp.h"
#include "platform/shell/menu.h"
#include "signal/CWatcher.h"
#include "ui/CNumberListCtrl.h"

#include <memory>

class CMainDlg : public CDialog {
public:
    CMainDlg();

    CString m_listKey; // the key of the list on view
    CNumberListCtrl m_numberList;
    CString m_numberText;  // edit 1003
    CString m_listTitle;   // static 1000
    CString m_nameText;    // edit 1008
    int m_selected = -1;   // the selected row, -1 for none
    int m_redView = 0;     // 1 while the red list is on view
    int m_firewallOff = 0; // 1 while the settings value "stop" is present
    HICON m_hIcon;         // icon 128
    int m_outcome = 0;     // how the gate opened the program

    // Fills the list from m_listKey as the view on screen shows it; nothing is selected.
    void LoadList();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    const CMessageMap& GetMessageMap() const override;
    void OnOK() override;
    void OnDestroy() override;

private:
    // Runs the password gate; false when the owner cancelled it.
    bool PassGate();
    void OnAdd();
    void OnDelete();
    void OnListRow(int item);
    // A tap names the row; in the red list it opens the number's private messages.
    void OnListClick(int item);
    void OpenRedListNumber(int item);
    void OnAbout();
    void OnSystemContacts();
    void OnSystemSms();
    void OnSwitchList();
    void OnChangePassword();
    void OnFirewall();
    void ShowFirewallState(bool off);
    void OnBackupPassword();
    void OnExit();
    void OnSettings();

    std::unique_ptr<platform::gui::CMenuBar> m_menuBar; // menu bar 129
    std::unique_ptr<platform::gui::CMenuBar>
        m_reducedMenuBar; // menu bar 138, after the backup password
    CWatcher m_watcher;
};
