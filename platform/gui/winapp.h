#pragma once

// The program's application object: the one global instance whose start-up runs the
// program. When its start-up returns false, no message loop runs and the program ends.

#include "platform/gui/wnd.h"

#include <cstdint>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual bool InitInstance() = 0;

    // The colours of every dialog: background and text, as 0xRRGGBB.
    void SetDialogBkColor(std::uint32_t background, std::uint32_t text);
    HICON LoadIcon(int id) const;
    // The wait cursor over the screen, from any thread; the calls nest.
    void BeginWaitCursor();
    void EndWaitCursor();

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();

// Icon resource id of the program; none when it has no such picture.
HICON LoadIcon(int id);

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

namespace platform::gui {
// Runs the application object's start-up on the phone's screen; the program's exit code.
int RunWinApp();
} // namespace platform::gui
