#pragma once

// The main window (dialog 102): after the password gate, the number lists.

#include "platform/gui/dialog.h"
#include "platform/gui/menu.h"
#include "platform/gui/winapp.h"

#include <memory>

class CMainDlg : public CDialog {
public:
    CMainDlg();

    int m_outcome = 0; // how the gate opened the program
    HICON m_hIcon;     // icon 128

protected:
    bool OnInitDialog() override;

private:
    // Runs the password gate; false when the owner cancelled it.
    bool PassGate();

    std::unique_ptr<platform::gui::CMenuBar> m_menuBar;        // menu bar 129
    std::unique_ptr<platform::gui::CMenuBar> m_reducedMenuBar; // menu bar 138, after the backup password
};
