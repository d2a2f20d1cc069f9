#pragma once

// The toolkit's side of a CWnd: the widget behind a dialog or a control.

#include "platform/gui/wnd.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace platform::gui::detail {

// A window that keeps what the program draws on it between paints: a dialog's window.
class Canvas {
public:
    virtual ~Canvas() = default;
    // The picture of the window's face, the window's size, white where nothing was drawn.
    virtual QImage& Surface() = 0;
    // Whether the window is painting now (a surface made meanwhile needs no repaint).
    virtual bool Painting() const = 0;
};

struct Window {
    QPointer<QWidget> widget; // null for controls with nothing to show
};

} // namespace platform::gui::detail
