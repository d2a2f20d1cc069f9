#include "app/CMainDlg.h"

#include "app/CPasswordDlg.h"
#include "store/CRegistryStore.h"
#include "store/NumberLists.h"
#include "store/RegistryKeys.h"

CMainDlg::CMainDlg() : CDialog(102), m_hIcon(LoadIcon(128)) {}

bool CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    CenterWindow();
    CleanUpLists();
    m_menuBar = std::make_unique<platform::gui::CMenuBar>(*this, 129);
    if (!PassGate()) {
        EndDialog(IDCANCEL);
        return false;
    }
    if (m_outcome == CPasswordDlg::kBackupPassword) {
        // The reduced program: nothing of the red list, and the menu bar without it.
        GetDlgItem(1013)->ShowWindow(SW_HIDE);
        GetDlgItem(1005)->ShowWindow(SW_HIDE);
        m_reducedMenuBar = std::make_unique<platform::gui::CMenuBar>(*this, 138);
        m_menuBar->Show(false);
    }
    return true;
}

bool CMainDlg::PassGate() {
    CString password;
    CPasswordDlg gate;
    gate.m_mode = CRegistryStore::ReadString(keys::kSettings, u"PWD", password) == 0 ? CPasswordDlg::kCheck
                                                                                     : CPasswordDlg::kSet;
    if (gate.DoModal() != IDOK)
        return false;
    if (gate.m_mode == CPasswordDlg::kSet) {
        CRegistryStore::WriteString(keys::kSettings, u"PWD", gate.m_firstEntry);
        m_outcome = CPasswordDlg::kMainPassword;
    } else {
        m_outcome = gate.m_outcome;
    }
    return true;
}
