#pragma once

// The About window (dialog 130): the program's icon, its name with the version, and the
// maker's line. It closes with its OK button.

#include "platform/gui/dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(130) {}
};
