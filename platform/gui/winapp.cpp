#include "platform/gui/winapp.h"

#include <QApplication>
#include <QPalette>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::SetDialogBkColor(std::uint32_t background, std::uint32_t text) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(background));
    palette.setColor(QPalette::WindowText, QColor::fromRgb(text));
    palette.setColor(QPalette::Text, QColor::fromRgb(text));
    QApplication::setPalette(palette);
}

CWinApp* AfxGetApp() { return g_app; }

namespace platform::gui {

int RunWinApp() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    // The program's windows are modal and run their own loops; a start-up that returns
    // false asks for no further loop.
    return app->InitInstance() ? QApplication::exec() : 0;
}

} // namespace platform::gui
