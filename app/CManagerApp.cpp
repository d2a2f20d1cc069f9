#include "app/CManagerApp.h"

#include "app/CMainDlg.h"

CManagerApp theApp;

bool CManagerApp::InitInstance() {
    SetDialogBkColor(0xFFFFFF, 0x000000);
    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false; // no message loop: the program ends with its main window
}
