#pragma once

#include "platform/gui/winapp.h"

// The program: it shows the main window and ends when that window closes.
class CManagerApp : public CWinApp {
public:
    bool InitInstance() override;
};
