#pragma once

// A modal piece drawn over the whole screen (a message box, a pop-up menu): shown on top,
// the user interface runs until it quits loop, and the focus goes back where it was. The
// focus goes back before the overlay hides, so that no other control takes it in between,
// as the phone's dialogs keep their focused control.

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace platform::gui {

inline void RunOverlay(QWidget& overlay, QEventLoop*& loop, bool takeFocus,
                       const std::function<void()>& shown = {}) {
    const QPointer<QWidget> focused = QApplication::focusWidget();
    overlay.show();
    overlay.raise();
    if (takeFocus)
        overlay.setFocus();
    if (shown)
        shown();
    QEventLoop running;
    loop = &running;
    running.exec();
    loop = nullptr;
    if (focused)
        focused->setFocus(Qt::OtherFocusReason);
    overlay.hide();
}

} // namespace platform::gui
