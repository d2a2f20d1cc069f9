#pragma once

// The widget behind TrackPopupMenu, for the parts of the platform that drive it.

#include "platform/gui/resources.h"
#include "platform/shell/menu.h"

#include <QEventLoop>
#include <QWidget>

namespace platform::gui {

class PopupMenuWidget : public QWidget {
public:
    PopupMenuWidget(QWidget* screen, const std::vector<MenuItem>& items, QPoint at,
                    MenuAnchor anchor);

    QRect MenuRect() const { return m_menu; }
    // Where the item with a command is, in the screen's pixels (empty when it has none).
    QRect ItemRect(int command) const;
    const std::vector<MenuItem>& Items() const { return m_items; }
    static PopupMenuWidget* Active();

    int Exec();
    void Choose(int command); // 0 dismisses

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<MenuItem> m_items;
    std::vector<QRect> m_rows; // one per item, separators included
    QRect m_menu;
    int m_chosen = 0;
    QEventLoop* m_loop = nullptr;
};

} // namespace platform::gui
