#include "platform/gui/winapp.h"

#include "platform/gui/phone_screen.h"
#include "platform/gui/resources.h"
#include "platform/gui/ui_thread.h"

#include <QApplication>
#include <QPalette>

namespace {

CWinApp* g_app = nullptr;

// Worker threads (the send job) show the cursor too; the screen changes on its own thread.
void ChangeWaitCursor(int change) {
    const auto work = [change] {
        if (auto* screen = platform::gui::PhoneScreen::Instance())
            screen->ChangeWaitCursor(change);
    };
    if (platform::gui::IsUiThread())
        work();
    else
        platform::gui::PostToUiThread(work);
}

} // namespace

CWinApp::CWinApp() {
    g_app = this;
}

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

HICON CWinApp::LoadIcon(int id) const {
    return ::LoadIcon(id);
}

HICON LoadIcon(int id) {
    return platform::gui::FindImage(id).empty() ? HICON{} : HICON{id};
}

void CWinApp::BeginWaitCursor() {
    ChangeWaitCursor(+1);
}

void CWinApp::EndWaitCursor() {
    ChangeWaitCursor(-1);
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWaitCursor::CWaitCursor() {
    ChangeWaitCursor(+1);
}

CWaitCursor::~CWaitCursor() {
    ChangeWaitCursor(-1);
}

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
