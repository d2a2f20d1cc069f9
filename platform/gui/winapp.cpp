#include "platform/gui/winapp.h"

#include "platform/gui/desktop.h"
#include "platform/gui/resources.h"
#include "platform/gui/ui_thread.h"

#include <QApplication>
#include <QPalette>
#include <atomic>

namespace {

CWinApp* g_app = nullptr;

// Begins and ends count in the order they are asked for, from any thread (the send job
// shows the cursor from its own); the screen follows the count on its own thread.
std::atomic<int> g_waits = 0;

void ChangeWaitCursor(int change) {
    g_waits += change;
    const auto follow = [] {
        if (auto* desktop = platform::gui::Desktop::Current())
            desktop->ShowWaitCursor(g_waits > 0);
    };
    if (platform::gui::IsUiThread())
        follow();
    else
        platform::gui::PostToUiThread(follow);
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
