#pragma once

// The toolkit's side of a CWnd: the widget behind a dialog or a control.

#include "platform/gui/wnd.h"

#include <QPointer>
#include <QWidget>

namespace platform::gui::detail {

struct Window {
    QPointer<QWidget> widget; // null for controls with nothing to show
};

} // namespace platform::gui::detail
