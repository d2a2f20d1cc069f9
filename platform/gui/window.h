#pragma once

// The toolkit's side of a CWnd: the widget behind a dialog or a control.

#include "platform/gui/wnd.h"

#include "platform/gui/resources.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string_view>

namespace platform::gui {

// The program's UTF-16 text as the toolkit's.
inline QString ToQt(std::u16string_view s) {
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace platform::gui

namespace platform::gui::detail {

// A window that keeps what the program draws on it between paints: a dialog's window.
class Canvas {
public:
    virtual ~Canvas() = default;
    // The picture of the window's face, the size of its client area, white where nothing
    // was drawn. A surface that draws on it keeps it while it draws, even if the window goes.
    virtual std::shared_ptr<QImage> Surface() = 0;
    // Whether the window is painting now (a surface made meanwhile needs no repaint).
    virtual bool Painting() const = 0;
};

// A picture resource decoded; a null image when there is none.
inline QImage ResourceImage(int id) {
    const auto file = FindImage(id);
    QImage image;
    if (!file.empty())
        image.loadFromData(file.data(), static_cast<int>(file.size()));
    return image;
}

struct Window {
    QPointer<QWidget> widget; // null for controls with nothing to show
};

} // namespace platform::gui::detail
